#include "designer/ui/TfmCheckDesign.h"

#include "core/AppContext.h"
#include "core/ProgramFolder.h"
#include "core/ui/FormPlacement.h"
#include "designer/FormRules.h"
#include "entry/EntryStore.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSlider>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace designer::ui {

namespace {

const QString kNotYet = QStringLiteral("此功能尚未提供");
const QString kHint = QStringLiteral("提示");
constexpr int kItemName = Qt::UserRole;

bool isArrow(int key) {
    return key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down;
}

} // namespace

TfmCheckDesign::TfmCheckDesign(core::AppContext& app, int checkTypeId, QWidget* parent)
    : QDialog(parent), m_app(app), m_store(app) {
    setObjectName(QStringLiteral("TfmCheckDesign"));
    setWindowTitle(QStringLiteral("模板设计"));
    buildWindow();
    setPrintLayoutOpener({});
    setOffsetOpener({});
    // Ctrl+arrow keys move the box wherever the focus is in this window, number boxes included.
    qApp->installEventFilter(this);

    fillKinds();
    m_id = m_store.initialTemplate(checkTypeId);
    if (m_id <= 0) {
        m_app.dialogs().message(QStringLiteral("系统没有任何可用的模板信息，请确保软件数据完整~"));
        return;
    }
    m_kind = templateKind();
    setLoading(true);
    cbCheckTypeNameList->setCurrentIndex(cbCheckTypeNameList->findText(m_kind));
    fillVariants();
    setLoading(false);
    fillItemList();
    loadTemplate(m_id, true);
}

TfmCheckDesign::~TfmCheckDesign() {
    qApp->removeEventFilter(this);
}

QString TfmCheckDesign::templateKind() const {
    return m_app.templates().loadCheckTypeFirstNameByID(m_id);
}

QSpinBox* TfmCheckDesign::numberBox(const QString& name) {
    auto* box = new QSpinBox(this);
    box->setObjectName(name);
    box->setRange(0, 1000);
    box->setToolTip(QStringLiteral("像素"));
    box->findChild<QLineEdit*>()->installEventFilter(this);
    connect(box, &QSpinBox::valueChanged, this, [this] { numberBoxChange(); });
    connect(box, &QSpinBox::editingFinished, this, [this] { numberBoxExit(); });
    return box;
}

void TfmCheckDesign::buildWindow() {
    pageControl = new QTabWidget(this);
    pageControl->setObjectName(QStringLiteral("pageControl"));
    auto* design = new QWidget;
    pageControl->addTab(design, QStringLiteral("界面设计"));
    pageControl->addTab(new QWidget, QStringLiteral("整体打印偏移"));
    connect(pageControl, &QTabWidget::currentChanged, this, &TfmCheckDesign::offsetPageShown);

    auto* left = new QWidget(design);
    left->setFixedWidth(290);
    auto* column = new QVBoxLayout(left);
    column->setContentsMargins(4, 4, 4, 4);
    column->addWidget(new QLabel(QStringLiteral("1、选中票据种类："), left));
    cbCheckTypeNameList = new QComboBox(left);
    cbCheckTypeNameList->setObjectName(QStringLiteral("cbCheckTypeNameList"));
    column->addWidget(cbCheckTypeNameList);
    column->addWidget(new QLabel(QStringLiteral("2、选中票据模板："), left));
    auto* variantRow = new QHBoxLayout;
    cbTypeLastName = new QComboBox(left);
    cbTypeLastName->setObjectName(QStringLiteral("cbTypeLastName"));
    cbTypeLastName->installEventFilter(this);
    btRefreshCheck = new QPushButton(QStringLiteral("刷 新(&R)"), left);
    btRefreshCheck->setObjectName(QStringLiteral("btRefreshCheck"));
    variantRow->addWidget(cbTypeLastName, 1);
    variantRow->addWidget(btRefreshCheck);
    column->addLayout(variantRow);

    listCtlLabel = new QListWidget(left);
    listCtlLabel->setObjectName(QStringLiteral("listCtlLabel"));
    listCtlLabel->setContextMenuPolicy(Qt::CustomContextMenu);
    auto* menu = new QMenu(listCtlLabel);
    menu->setObjectName(QStringLiteral("PopupList"));
    auto addEntry = [this, menu](const QString& caption, const QString& name,
                                 void (TfmCheckDesign::*handler)()) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, handler);
    };
    addEntry(QStringLiteral("全选"), QStringLiteral("nSelectAll"), &TfmCheckDesign::nSelectAllClick);
    addEntry(QStringLiteral("反选"), QStringLiteral("nInvert"), &TfmCheckDesign::nInvertClick);
    addEntry(QStringLiteral("勾选项目定义"), QStringLiteral("nCheckBoxs"), &TfmCheckDesign::nCheckBoxsClick);
    connect(listCtlLabel, &QWidget::customContextMenuRequested, this,
            [this, menu](const QPoint& at) { menu->popup(listCtlLabel->viewport()->mapToGlobal(at)); });
    column->addWidget(listCtlLabel, 1);

    auto* grid = new QGridLayout;
    SrcX = numberBox(QStringLiteral("SrcX"));
    SrcY = numberBox(QStringLiteral("SrcY"));
    SrcW = numberBox(QStringLiteral("SrcW"));
    SrcH = numberBox(QStringLiteral("SrcH"));
    const struct {
        const char* caption;
        QSpinBox* box;
    } boxes[] = {{"横向X:", SrcX}, {"纵向Y:", SrcY}, {"输入框宽:", SrcW}, {"输入框高:", SrcH}};
    // Two boxes a row, so the item list keeps its room on a small screen.
    for (int i = 0; i < 4; ++i) {
        grid->addWidget(new QLabel(QString::fromUtf8(boxes[i].caption), left), i / 2, (i % 2) * 2);
        grid->addWidget(boxes[i].box, i / 2, (i % 2) * 2 + 1);
    }
    column->addLayout(grid);

    auto* steps = new QHBoxLayout;
    auto* stepColumn = new QVBoxLayout;
    stepColumn->addWidget(new QLabel(QStringLiteral("移动步长:"), left));
    barMM = new QSlider(Qt::Horizontal, left);
    barMM->setObjectName(QStringLiteral("barMM"));
    barMM->setRange(1, 40);
    barMM->setValue(3);
    lbStep = new QLabel(QStringLiteral("3"), left);
    connect(barMM, &QSlider::valueChanged, lbStep, [this](int v) { lbStep->setNum(v); });
    auto* stepRow = new QHBoxLayout;
    stepRow->addWidget(barMM, 1);
    stepRow->addWidget(lbStep);
    stepColumn->addLayout(stepRow);
    steps->addLayout(stepColumn, 1);

    auto* arrows = new QGridLayout;
    arrows->setSpacing(0);
    auto arrow = [this, left](const QString& name, Qt::ArrowType type, const QString& hint, int dx, int dy) {
        auto* b = new QToolButton(left);
        b->setObjectName(name);
        b->setArrowType(type);
        b->setToolTip(hint);
        connect(b, &QToolButton::clicked, this, [this, dx, dy] { btRunClick(dx, dy); });
        return b;
    };
    btRunU = arrow(QStringLiteral("btRunU"), Qt::UpArrow, QStringLiteral("点1下=所选项目上移"), 0, -1);
    btRunL = arrow(QStringLiteral("btRunL"), Qt::LeftArrow, QStringLiteral("点1下=所选项目左移"), -1, 0);
    btRunR = arrow(QStringLiteral("btRunR"), Qt::RightArrow, QStringLiteral("点1下=所选项目右移"), 1, 0);
    btRunD = arrow(QStringLiteral("btRunD"), Qt::DownArrow, QStringLiteral("点1下=所选项目下移"), 0, 1);
    arrows->addWidget(btRunU, 0, 1);
    arrows->addWidget(btRunL, 1, 0);
    arrows->addWidget(btRunR, 1, 2);
    arrows->addWidget(btRunD, 2, 1);
    steps->addLayout(arrows);
    column->addLayout(steps);

    ckHidden = new QCheckBox(QStringLiteral("隐藏[不打印或不填写]"), left);
    ckHidden->setObjectName(QStringLiteral("ckHidden"));
    connect(ckHidden, &QCheckBox::clicked, this, &TfmCheckDesign::ckHiddenClick);
    column->addWidget(ckHidden);
    column->addWidget(new QLabel(QStringLiteral("默认值填写内容:"), left));
    edtDefaultVal = new QLineEdit(left);
    edtDefaultVal->setObjectName(QStringLiteral("edtDefaultVal"));
    edtDefaultVal->setToolTip(QStringLiteral("默认值，勾中填写V"));
    connect(edtDefaultVal, &QLineEdit::textEdited, this, &TfmCheckDesign::edtDefaultValChange);
    column->addWidget(edtDefaultVal);
    lbFont = new QLabel(QStringLiteral("打印预览字体,ABC,abc,123"), left);
    lbFont->setObjectName(QStringLiteral("lbFont"));
    lbFont->setFixedHeight(40);
    column->addWidget(lbFont);
    auto* buttons = new QHBoxLayout;
    btSaveCheck = new QPushButton(QStringLiteral("保存设置"), left);
    btSaveCheck->setObjectName(QStringLiteral("btSaveCheck"));
    connect(btSaveCheck, &QPushButton::clicked, this, &TfmCheckDesign::btSaveCheckClick);
    btPreview = new QPushButton(QStringLiteral("设置打印参数"), left);
    btPreview->setObjectName(QStringLiteral("btPreview"));
    connect(btPreview, &QPushButton::clicked, this, &TfmCheckDesign::btPreviewClick);
    buttons->addWidget(btSaveCheck);
    buttons->addWidget(btPreview);
    column->addLayout(buttons);
    lbMessage = new QLabel(left);
    lbMessage->setObjectName(QStringLiteral("lbMessage"));
    lbMessage->setWordWrap(true);
    lbMessage->setAutoFillBackground(true);
    lbMessage->hide();
    column->addWidget(lbMessage);
    m_blinkTimer = new QTimer(this);
    m_blinkTimer->setInterval(2000);
    connect(m_blinkTimer, &QTimer::timeout, this, &TfmCheckDesign::blink);

    panelCheckArea = new QScrollArea(design);
    panelCheckArea->setObjectName(QStringLiteral("panelCheckArea"));
    panelImgBg = new QWidget;
    panelImgBg->setObjectName(QStringLiteral("panelImgBg"));
    bgImage = new QLabel(panelImgBg);
    bgImage->setObjectName(QStringLiteral("bgImage"));
    bgImage->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    bgImage->setMouseTracking(true);
    bgImage->installEventFilter(this);
    panelCheckArea->setWidget(panelImgBg);

    auto* designRow = new QHBoxLayout(design);
    designRow->setContentsMargins(0, 0, 0, 0);
    designRow->addWidget(left);
    designRow->addWidget(panelCheckArea, 1);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    for (int i = 0; i < 3; ++i) {
        m_panels[i] = new QLabel(StatusBar1);
        StatusBar1->addWidget(m_panels[i], i == 0 ? 2 : 1);
    }
    m_panels[2]->setText(QStringLiteral("新模板添加和升级，请直接找青木鸟！"));

    auto* whole = new QVBoxLayout(this);
    whole->setContentsMargins(0, 0, 0, 0);
    whole->setSpacing(0);
    whole->addWidget(pageControl, 1);
    whole->addWidget(StatusBar1);

    connect(cbCheckTypeNameList, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_loading)
            cbCheckTypeNameListChange();
    });
    connect(cbTypeLastName, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_loading)
            cbTypeLastNameChange();
    });
    connect(btRefreshCheck, &QPushButton::clicked, this, &TfmCheckDesign::btRefreshCheckClick);
    connect(listCtlLabel, &QListWidget::itemClicked, this, &TfmCheckDesign::listCtlLabelClick);
}

void TfmCheckDesign::setPrintLayoutOpener(PrintLayoutOpener open) {
    m_openLayout = std::move(open);
    btPreview->setEnabled(bool(m_openLayout));
    btPreview->setToolTip(m_openLayout ? QString() : kNotYet);
}

void TfmCheckDesign::setOffsetOpener(OffsetOpener open) {
    m_openOffsets = std::move(open);
    pageControl->setTabEnabled(1, bool(m_openOffsets));
    pageControl->setTabToolTip(1, m_openOffsets ? QString() : kNotYet);
}

// ---------------------------------------------------------------- template choice

void TfmCheckDesign::fillKinds() {
    setLoading(true);
    cbCheckTypeNameList->clear();
    cbCheckTypeNameList->addItems(m_app.templates().loadCheckTypeFirstNameList());
    setLoading(false);
}

void TfmCheckDesign::fillVariants() {
    const bool was = m_loading;
    setLoading(true);
    cbTypeLastName->clear();
    cbTypeLastName->addItems(m_app.templates().loadCheckTypeLastNameList(cbCheckTypeNameList->currentText()));
    cbTypeLastName->setCurrentIndex(
        cbTypeLastName->findText(m_app.templates().loadCheckTypeLastNameByID(m_id)));
    setLoading(was);
}

void TfmCheckDesign::fillItemList() {
    listCtlLabel->clear();
    try {
        m_items = m_store.loadItems(cbCheckTypeNameList->currentText());
    } catch (const core::DbError&) {
        m_items.clear();
    }
    // Each entry keeps its item name: two items of one label stay two entries.
    for (const FormItem& item : m_items) {
        auto* entry = new QListWidgetItem(item.label, listCtlLabel);
        entry->setData(kItemName, item.name);
        entry->setFlags(entry->flags() | Qt::ItemIsUserCheckable);
        entry->setCheckState(Qt::Unchecked);
    }
}

void TfmCheckDesign::cbCheckTypeNameListChange() {
    saveIfPending();
    const QString kind = cbCheckTypeNameList->currentText();
    fillItemList();
    int id = m_id;
    if (templateKind() != kind)
        id = m_app.templates().loadDefaultCheckTypeId(kind);
    if (id > 0)
        m_id = id;
    m_kind = templateKind();
    fillVariants();
    loadTemplate(m_id, true);
}

void TfmCheckDesign::cbTypeLastNameChange() {
    const QString kind = cbCheckTypeNameList->currentText();
    const QString variant = cbTypeLastName->currentText();
    const int id = m_app.templates().loadCheckTypeIDByFirstAndLastName(kind, variant);
    if (id <= 0)
        return;
    saveIfPending();
    m_id = id;
    loadTemplate(id, false);
    setWindowTitle(QStringLiteral("票据设计调整（") + kind + QStringLiteral("-") + variant +
                   QStringLiteral("）,ID=") + QString::number(id));
}

void TfmCheckDesign::cbTypeLastNameEnter() {
    // The entry window follows the boxes saved so far.
    m_store.rebuildCaches(m_id);
    const QScreen* screen = this->screen();
    cbTypeLastName->setMaxVisibleItems(screen && screen->size().height() > 1000 ? 35 : 26);
}

void TfmCheckDesign::btRefreshCheckClick() {
    saveIfPending();
    loadTemplate(m_id, true);
}

// ---------------------------------------------------------------- loading

void TfmCheckDesign::loadTemplate(int id, bool force) {
    if (id == m_loadedId && !force)
        return;
    setStatus(0, QStringLiteral("没有选中调整项目！"));
    const std::optional<entry::TemplateFace> face = entry::EntryStore(m_app.db()).loadTemplateFace(id);
    if (!face)
        return; // the last state stays
    endDrag();
    m_imageSize = QSize(face->width, face->height);
    m_checkBoxes = face->checkBoxes;
    bgImage->setGeometry(0, 0, face->width, face->height);
    panelImgBg->resize(face->width, face->height);
    const QString file = face->imageFile.isEmpty() ? QStringLiteral("dhd_default.jpg") : face->imageFile;
    const QPixmap picture(core::ProgramFolder::existingPath(m_app.pathOf(QStringLiteral("Image/") + file)));
    bgImage->setPixmap(picture);
    m_loadedId = id;
    createBoxes();
    setRanges(0, 0, 1, 1);
    // The window grows to show the whole image where the screen allows.
    if (const QScreen* screen = this->screen()) {
        const QSize room = screen->availableSize() - QSize(40, 80);
        const QSize wanted(300 + face->width + 30, std::max(720, face->height + 90));
        resize(wanted.boundedTo(room).expandedTo(size()));
    }
}

void TfmCheckDesign::createBoxes() {
    m_current = nullptr;
    m_previous = nullptr;
    m_saved = true;
    qDeleteAll(m_boxes);
    m_boxes.clear();
    QHash<QString, FormLayout> layouts;
    try {
        layouts = m_store.loadLayouts(m_loadedId);
    } catch (const core::DbError& e) {
        m_app.dialogs().message(QStringLiteral("调入项目参数失败!") + e.message());
    }
    for (int i = 0; i < listCtlLabel->count(); ++i)
        listCtlLabel->item(i)->setCheckState(Qt::Unchecked);
    for (int i = 0; i < m_items.size(); ++i) {
        const FormItem& item = m_items.at(i);
        if (!FormRules::hasBox(item.kind) || m_boxes.contains(item.name))
            continue;
        auto* box = new FormBox(item.name, item.kind, item.label, panelImgBg);
        connect(box, &FormBox::pressed, this, &TfmCheckDesign::boxPressed);
        connect(box, &FormBox::dragged, this, &TfmCheckDesign::boxDragged);
        connect(box, &FormBox::released, this, &TfmCheckDesign::boxReleased);
        m_boxes.insert(item.name, box);
        if (item.kind == QLatin1String("CHECKBOX")) {
            const QString caption = FormRules::tickCaption(m_checkBoxes, item.name);
            box->setText(caption.isEmpty() ? item.label : caption);
        }
        const auto found = layouts.constFind(item.name);
        if (found == layouts.constEnd()) {
            // No row yet: at the origin, hidden, in the kind's own size.
            const QSize size = FormRules::initialSize(item.kind);
            box->setGeometry(0, 0, size.width(), size.height());
            box->hide();
            continue;
        }
        placeBox(box, *found);
        if ((item.kind == QLatin1String("TEXT") || item.kind == QLatin1String("LABEL")) &&
            !found->initValue.isEmpty())
            box->setText(found->initValue);
        listCtlLabel->item(i)->setCheckState(found->shown ? Qt::Checked : Qt::Unchecked);
    }
    bgImage->lower();
    clearFocus();
    setLoading(true);
    for (QSpinBox* b : {SrcX, SrcY, SrcW, SrcH})
        b->setValue(0);
    edtDefaultVal->clear();
    ckHidden->setChecked(false);
    setLoading(false);
}

void TfmCheckDesign::placeBox(FormBox* box, const FormLayout& layout) {
    using core::ui::FormPlacement;
    const int x = FormPlacement::screenPixels(layout.srcX);
    const int y = FormPlacement::screenPixels(layout.srcY);
    int w = FormPlacement::screenPixels(layout.srcW);
    int h = FormPlacement::screenPixels(layout.srcH);
    // A line is drawn one pixel thick along its longer side.
    if (box->kind() == QLatin1String("LINE")) {
        if (h < w)
            h = 1;
        else
            w = 1;
    }
    const QRect where(x, y, std::max(w, 1), std::max(h, 1));
    box->setGeometry(where);
    FormPlacement::placeBox(box, where, layout.shown);
}

void TfmCheckDesign::setRanges(int x, int y, int w, int h) {
    const bool was = m_loading;
    setLoading(true);
    const auto apply = [](QSpinBox* box, FormRules::Range r) { box->setRange(r.min, r.max); };
    apply(SrcX, FormRules::positionRange(m_imageSize.width(), x));
    apply(SrcY, FormRules::positionRange(m_imageSize.height(), y));
    apply(SrcW, FormRules::sizeRange(m_imageSize.width(), w));
    apply(SrcH, FormRules::sizeRange(m_imageSize.height(), h));
    setLoading(was);
}

// ---------------------------------------------------------------- selecting

const FormItem* TfmCheckDesign::itemOf(const QString& name) const {
    for (const FormItem& item : m_items)
        if (item.name.compare(name, Qt::CaseInsensitive) == 0)
            return &item;
    return nullptr;
}

FormBox* TfmCheckDesign::box(const QString& name) const {
    return m_boxes.value(name.toUpper());
}

QString TfmCheckDesign::currentItem() const {
    return m_current ? m_current->objectName() : QString();
}

void TfmCheckDesign::listCtlLabelClick(QListWidgetItem* entry) {
    if (entry)
        selectItem(entry->data(kItemName).toString());
}

void TfmCheckDesign::selectItem(const QString& name) {
    if (!m_saved)
        saveCurrent(SaveMode::Quiet);
    FormBox* target = box(name);
    const FormItem* item = itemOf(name);
    if (!target || !item) {
        m_app.dialogs().message(QStringLiteral("找不到对应的项目定义~~"));
        return;
    }
    if (m_current && m_current != target) {
        m_previous = m_current;
        m_previous->setHighlight(FormBox::Highlight::Unselected);
    }
    m_current = target;
    target->setHighlight(FormBox::Highlight::Selected);
    for (int i = 0; i < listCtlLabel->count(); ++i)
        if (listCtlLabel->item(i)->data(kItemName).toString() == item->name) {
            listCtlLabel->setCurrentRow(i);
            break;
        }

    std::optional<FormLayout> layout;
    try {
        layout = m_store.loadLayout(m_loadedId, item->name);
    } catch (const core::DbError& e) {
        setMessage(e.message());
        return;
    }
    if (!layout) {
        setStatus(0, QStringLiteral("还没有该项打印配置信息,添加一个！"));
        // The new row takes this box's own place and size.
        FormLayout own;
        const QRect g = target->geometry();
        own.srcX = g.x();
        own.srcY = g.y();
        own.srcW = g.width();
        own.srcH = g.height();
        own.shown = !target->isHidden();
        showLayout(*item, own);
        saveCurrent(SaveMode::Silent);
    } else {
        showLayout(*item, *layout);
    }
    setStatus(0, QStringLiteral("当前调整:") + item->label);
    setStatus(1, item->name);
}

void TfmCheckDesign::showLayout(const FormItem& item, const FormLayout& layout) {
    setLoading(true);
    const int x = core::ui::FormPlacement::screenPixels(layout.srcX);
    const int y = core::ui::FormPlacement::screenPixels(layout.srcY);
    const int w = core::ui::FormPlacement::screenPixels(layout.srcW);
    const int h = core::ui::FormPlacement::screenPixels(layout.srcH);
    // Ranges first, so a stored value outside the usual ones is shown, and saved, as it is.
    setRanges(x, y, w, h);
    SrcX->setValue(x);
    SrcY->setValue(y);
    SrcW->setValue(w);
    SrcH->setValue(h);
    edtDefaultVal->setText(layout.initValue);
    ckHidden->setChecked(!layout.shown);
    if (m_current && m_current->objectName() == item.name) {
        placeBox(m_current, layout);
        if (layout.shown)
            m_current->raise();
    }
    showFont(layout);
    setLoading(false);
    m_saved = true;
}

void TfmCheckDesign::showFont(const FormLayout& layout) {
    QFont font(layout.fontName.isEmpty() ? QStringLiteral("宋体") : layout.fontName);
    if (layout.fontSize > 0)
        font.setPointSize(layout.fontSize);
    font.setBold(layout.bold);
    font.setItalic(layout.italic);
    font.setUnderline(layout.underline);
    lbFont->setFont(font);
    lbFont->setToolTip(font.family() + QLatin1Char(' ') + QString::number(layout.fontSize));
}

void TfmCheckDesign::reloadCurrentItem() {
    if (!m_current)
        return;
    const FormItem* item = itemOf(m_current->objectName());
    if (!item)
        return;
    try {
        if (const std::optional<FormLayout> layout = m_store.loadLayout(m_loadedId, item->name))
            showLayout(*item, *layout);
    } catch (const core::DbError& e) {
        setMessage(e.message());
    }
}

// ---------------------------------------------------------------- saving

BoxValues TfmCheckDesign::currentValues() const {
    BoxValues v;
    v.x = SrcX->value();
    v.y = SrcY->value();
    v.w = SrcW->value();
    v.h = SrcH->value();
    v.hidden = ckHidden->isChecked();
    v.initValue = edtDefaultVal->text();
    return v;
}

void TfmCheckDesign::saveIfPending(SaveMode mode) {
    if (!m_saved && m_current)
        saveCurrent(mode);
}

bool TfmCheckDesign::saveCurrent(SaveMode mode) {
    const FormItem* item = m_current ? itemOf(m_current->objectName()) : nullptr;
    if (!item) {
        const QString text = QStringLiteral("部分未启用项目，可以点击左侧列表中的数据项目选中！");
        if (mode == SaveMode::Button)
            m_app.dialogs().notice(text, kHint);
        else
            setMessage(text);
        return false;
    }
    QString caption = item->label;
    if (item->kind == QLatin1String("CHECKBOX"))
        caption = QStringLiteral("勾选-") + m_current->text();
    const FormStore::SaveResult result = m_store.saveItem(m_loadedId, *item, currentValues(), caption);
    switch (result.outcome) {
    case FormStore::Outcome::Duplicate:
        setMessage(QStringLiteral("错误:CKControlTable ") + item->name + QStringLiteral(" not found!"));
        return false;
    case FormStore::Outcome::Failed:
        m_app.dialogs().notice(QStringLiteral("保存设置失败！"), kHint);
        return false;
    case FormStore::Outcome::Updated:
    case FormStore::Outcome::Inserted:
        break;
    }
    m_saved = true;
    // The clerk knows the item by its label; the stored name only when it has none.
    const QString shown = item->label.trimmed().isEmpty() ? item->name : item->label.trimmed();
    const QString done = QStringLiteral("' ") + shown + QStringLiteral("' 打印细节修改成功！");
    if (mode == SaveMode::Button)
        m_app.dialogs().notice(done, kHint);
    else if (mode == SaveMode::Quiet)
        setWindowTitle(done);
    return true;
}

void TfmCheckDesign::btSaveCheckClick() {
    saveCurrent(SaveMode::Button);
}

void TfmCheckDesign::btPreviewClick() {
    if (!m_openLayout || m_id <= 0)
        return;
    saveIfPending();
    m_openLayout(this, m_id);
    // The print-layout designer may have changed the font and the default value.
    reloadCurrentItem();
}

// ---------------------------------------------------------------- moving and sizing

void TfmCheckDesign::applyBoxValues() {
    if (!m_current)
        return;
    FormLayout layout;
    layout.srcX = SrcX->value();
    layout.srcY = SrcY->value();
    layout.srcW = SrcW->value();
    layout.srcH = SrcH->value();
    layout.shown = !ckHidden->isChecked();
    placeBox(m_current, layout);
}

void TfmCheckDesign::numberBoxChange() {
    if (m_loading)
        return;
    if (!m_current) {
        setMessage(QStringLiteral("请选择左侧需要配置或修改的项目！"));
        return;
    }
    applyBoxValues();
    markUnsaved();
}

void TfmCheckDesign::numberBoxExit() {
    if (!m_loading)
        saveIfPending();
}

void TfmCheckDesign::moveCurrentTo(int x, int y) {
    setLoading(true);
    SrcX->setValue(x);
    SrcY->setValue(y);
    setLoading(false);
    applyBoxValues();
    markUnsaved();
}

void TfmCheckDesign::btRunClick(int dx, int dy) {
    if (!m_current) {
        m_app.dialogs().message(QStringLiteral("请选取或点中需要配置或修改的项目！"));
        return;
    }
    const int step = barMM->value();
    moveCurrentTo(SrcX->value() + dx * step, SrcY->value() + dy * step);
    setMessage(QStringLiteral("移动填写项目并不会影响打印位置"));
    saveCurrent(SaveMode::Quiet);
}

bool TfmCheckDesign::keyPress(const QKeyEvent* key) {
    const Qt::KeyboardModifiers mods =
        key->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
    if (!isArrow(key->key()) || !m_current)
        return false;
    const int dx = key->key() == Qt::Key_Left ? -1 : key->key() == Qt::Key_Right ? 1 : 0;
    const int dy = key->key() == Qt::Key_Up ? -1 : key->key() == Qt::Key_Down ? 1 : 0;
    if (mods == Qt::ShiftModifier) {
        setLoading(true);
        SrcW->setValue(FormRules::keyResize(SrcW->value(), dx));
        SrcH->setValue(FormRules::keyResize(SrcH->value(), dy));
        setLoading(false);
        applyBoxValues();
        markUnsaved();
        return true;
    }
    const bool fast = mods == (Qt::ControlModifier | Qt::ShiftModifier);
    if (mods != Qt::ControlModifier && !fast)
        return false;
    const int distance = fast ? 10 : 1;
    const int x = FormRules::keyMove(SrcX->value(), dx * distance, m_imageSize.width());
    const int y = FormRules::keyMove(SrcY->value(), dy * distance, m_imageSize.height());
    const int movedX = x - SrcX->value();
    const int movedY = y - SrcY->value();
    moveCurrentTo(x, y);
    setMessage(FormRules::keyMoveMessage(dx, dy, std::abs(movedX + movedY), fast));
    return true;
}

void TfmCheckDesign::ckHiddenClick() {
    if (!m_current) {
        setMessage(QStringLiteral("请选择左侧需要配置或修改的项目！"));
        return;
    }
    const bool hidden = ckHidden->isChecked();
    m_current->setVisible(!hidden);
    if (!hidden) {
        applyBoxValues();
        m_current->raise();
    }
    for (int i = 0; i < listCtlLabel->count(); ++i)
        if (listCtlLabel->item(i)->data(kItemName).toString() == m_current->objectName())
            listCtlLabel->item(i)->setCheckState(hidden ? Qt::Unchecked : Qt::Checked);
    markUnsaved();
}

void TfmCheckDesign::edtDefaultValChange() {
    if (!m_current)
        return;
    const FormItem* item = itemOf(m_current->objectName());
    if (item && (item->kind == QLatin1String("TEXT") || item->kind == QLatin1String("LABEL"))) {
        const QString value = edtDefaultVal->text().trimmed();
        m_current->setText(value.isEmpty() ? item->label : value);
    }
    markUnsaved();
}

// ---------------------------------------------------------------- dragging

void TfmCheckDesign::boxPressed(FormBox* pressed, QPoint globalPos) {
    if (pressed != m_current)
        selectItem(pressed->objectName());
    if (m_current != pressed)
        return;
    m_dragged = pressed;
    m_grab = globalPos - pressed->mapToGlobal(QPoint(0, 0));
}

void TfmCheckDesign::boxDragged(QPoint globalPos) {
    if (!m_dragged || m_dragged != m_current)
        return;
    const QPoint topLeft = panelImgBg->mapFromGlobal(globalPos) - m_grab;
    // The box stays on the image: its corner within the position boxes' range.
    const int x = std::clamp(topLeft.x(), SrcX->minimum(), SrcX->maximum());
    const int y = std::clamp(topLeft.y(), SrcY->minimum(), SrcY->maximum());
    if (x == SrcX->value() && y == SrcY->value())
        return;
    moveCurrentTo(x, y);
    const QString what = m_current->text().isEmpty() ? m_current->toolTip() : m_current->text();
    setMessage(QStringLiteral("拖动了【") + what +
               QStringLiteral("】(精确移动请试试，Ctrl+方向键),拖动不会影响打印位置！"));
}

void TfmCheckDesign::boxReleased() {
    endDrag();
    saveIfPending(SaveMode::Silent);
}

void TfmCheckDesign::endDrag() {
    m_dragged = nullptr;
}

// ---------------------------------------------------------------- tick captions and list marks

void TfmCheckDesign::nSelectAllClick() {
    for (int i = 0; i < listCtlLabel->count(); ++i)
        listCtlLabel->item(i)->setCheckState(Qt::Checked);
}

void TfmCheckDesign::nInvertClick() {
    for (int i = 0; i < listCtlLabel->count(); ++i) {
        QListWidgetItem* entry = listCtlLabel->item(i);
        entry->setCheckState(entry->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    }
}

void TfmCheckDesign::nCheckBoxsClick() {
    if (m_loadedId <= 0)
        return;
    QString typed;
    if (!m_app.dialogs().inputValue(QStringLiteral("输入勾选项目(以逗号分隔,最多13个,不得重复)："),
                                    m_checkBoxes, QStringLiteral("text"), typed))
        return;
    if (typed.isEmpty() || typed == m_checkBoxes)
        return;
    const QString list = FormRules::cleanCheckBoxes(typed);
    if (list.isEmpty()) {
        m_app.dialogs().message(QStringLiteral("输入了无效的字符(引号\\?\\*\\(\\)\\%)!"));
        return;
    }
    saveIfPending();
    try {
        m_store.saveCheckBoxes(m_loadedId, list);
    } catch (const core::DbError& e) {
        m_app.dialogs().message(e.message());
        return;
    }
    loadTemplate(m_loadedId, true);
}

// ---------------------------------------------------------------- messages and status

void TfmCheckDesign::setMessage(const QString& text) {
    lbMessage->setText(text);
    lbMessage->setVisible(!text.isEmpty());
    if (text.isEmpty())
        m_blinkTimer->stop();
    else if (!m_blinkTimer->isActive())
        m_blinkTimer->start();
}

QString TfmCheckDesign::messageText() const {
    return lbMessage->text();
}

void TfmCheckDesign::blink() {
    m_blinkOn = !m_blinkOn;
    QPalette palette = lbMessage->palette();
    palette.setColor(QPalette::Window,
                     m_blinkOn ? QColor(Qt::yellow) : this->palette().color(QPalette::Window));
    lbMessage->setPalette(palette);
}

void TfmCheckDesign::setStatus(int panel, const QString& text) {
    m_panels[panel]->setText(text);
}

QString TfmCheckDesign::statusText(int panel) const {
    return m_panels[panel]->text();
}

// ---------------------------------------------------------------- events and closing

void TfmCheckDesign::offsetPageShown(int index) {
    if (index != 1)
        return;
    pageControl->setCurrentIndex(0);
    if (!m_openOffsets || m_id <= 0)
        return;
    saveIfPending();
    m_openOffsets(m_id);
    // The offset window may have changed the entry area's size.
    loadTemplate(m_id, true);
}

bool TfmCheckDesign::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::KeyPress || type == QEvent::ShortcutOverride) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || widget->window() != this)
            return QDialog::eventFilter(watched, event);
        auto* key = static_cast<QKeyEvent*>(event);
        // Shift+arrow selects text in the default-value box, as in any text box.
        const bool selecting = watched == edtDefaultVal && !(key->modifiers() & Qt::ControlModifier);
        if (isArrow(key->key()) && (key->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier)) &&
            m_current && !selecting) {
            if (type == QEvent::ShortcutOverride) {
                event->accept();
                return true;
            }
            return keyPress(key);
        }
        // Number boxes take digits, the point and editing keys; any other typed key acts as Enter.
        if (type == QEvent::KeyPress && qobject_cast<QLineEdit*>(watched) &&
            qobject_cast<QSpinBox*>(widget->parentWidget())) {
            const QString text = key->text();
            if (!text.isEmpty() && text.at(0).isPrint() && !text.at(0).isDigit() &&
                text != QLatin1String(".")) {
                auto* box = static_cast<QSpinBox*>(widget->parentWidget());
                box->interpretText();
                numberBoxExit();
                return true;
            }
        }
        return QDialog::eventFilter(watched, event);
    }
    if (watched == cbTypeLastName && type == QEvent::FocusIn)
        cbTypeLastNameEnter();
    if (watched == bgImage) {
        if (type == QEvent::MouseMove) {
            const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
            setStatus(0, QStringLiteral("(") + QString::number(at.x() + 2) + QLatin1Char(',') +
                             QString::number(at.y()) + QLatin1Char(')'));
        } else if (type == QEvent::MouseButtonPress) {
            saveIfPending(SaveMode::Silent);
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfmCheckDesign::finish() {
    if (m_finished)
        return;
    m_finished = true;
    endDrag();
    saveIfPending();
    m_store.rebuildCaches(m_loadedId);
}

void TfmCheckDesign::closeEvent(QCloseEvent* event) {
    // A dialog closed while not shown as modal never reaches done().
    finish();
    QDialog::closeEvent(event);
}

void TfmCheckDesign::done(int result) {
    finish();
    QDialog::done(result);
}

} // namespace designer::ui
