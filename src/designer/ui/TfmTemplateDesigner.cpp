#include "designer/ui/TfmTemplateDesigner.h"

#include "core/AppContext.h"
#include "core/ui/FormFace.h"
#include "designer/ui/LayoutSurface.h"
#include "print/PrintLookups.h"
#include "print/TextBreaking.h"
#include "templates/WindowFit.h"
#include "templates/ui/TfrmPrintOffset.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace designer::ui {

namespace {

const QString kChooseGroup = QStringLiteral("请选择分组");
const int kMaxName = 50;

QString namePart(const QString& entry) {
    const int at = entry.indexOf(QLatin1Char('='));
    return (at < 0 ? entry : entry.mid(at + 1)).left(kMaxName).trimmed();
}

// What the clerk reads of an entry "label=name": the label; the name only when there is none.
QString labelPart(const QString& entry) {
    const int at = entry.indexOf(QLatin1Char('='));
    const QString label = at < 0 ? QString() : entry.left(at).trimmed();
    return label.isEmpty() ? namePart(entry) : label;
}

// The lists show labels and keep each entry whole for the selection.
void fillList(QListWidget* list, const QStringList& entries) {
    list->clear();
    for (const QString& entry : entries)
        (new QListWidgetItem(labelPart(entry), list))->setData(Qt::UserRole, entry);
}

QString entryOf(const QListWidgetItem* item) {
    return item->data(Qt::UserRole).toString();
}

QPushButton* button(QWidget* parent, const QString& name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    return b;
}

QCheckBox* check(QWidget* parent, const QString& name, const QString& caption) {
    auto* c = new QCheckBox(caption, parent);
    c->setObjectName(name);
    return c;
}

} // namespace

TfmTemplateDesigner::TfmTemplateDesigner(core::AppContext& app, int checkTypeId, QWidget* parent)
    : QDialog(parent), m_app(app), m_store(app.db(), checkTypeId) {
    setObjectName(QStringLiteral("TfmTemplateDesigner"));
    setWindowTitle(QStringLiteral("打印预览"));
    m_screenDpi = qMax(1, logicalDpiX());
    buildWindow();
    openTemplate(checkTypeId);
}

TfmTemplateDesigner::~TfmTemplateDesigner() = default;

void TfmTemplateDesigner::run(core::AppContext& app, int checkTypeId, QWidget* parent) {
    TfmTemplateDesigner window(app, checkTypeId, parent);
    if (window.isValid())
        window.exec();
}

// ---- building -------------------------------------------------------------------------------

QSpinBox* TfmTemplateDesigner::spin(const QString& name, int min, int max) {
    auto* box = new QSpinBox(this);
    box->setObjectName(name);
    box->setRange(min, max);
    // Written when the clerk has finished typing or stepped, not at every digit.
    box->setKeyboardTracking(false);
    return box;
}

void TfmTemplateDesigner::buildWindow() {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(4, 4, 4, 0);
    pnlPaper = buildPaperPanel();
    outer->addWidget(pnlPaper);

    auto* middle = new QHBoxLayout;
    pnlTool = buildToolPanel();
    middle->addWidget(pnlTool);
    m_surface = new LayoutSurface;
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("ScrollBox1"));
    m_scroll->setWidget(m_surface);
    m_scroll->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    middle->addWidget(m_scroll, 1);
    auto* right = new QVBoxLayout;
    pnlProperty = buildPropertyPanel();
    right->addWidget(pnlProperty);
    PageControlUpdate = buildBatchPages();
    right->addWidget(PageControlUpdate);
    right->addStretch();
    middle->addLayout(right);
    outer->addLayout(middle, 1);

    auto* bar = new QHBoxLayout;
    const int widths[4] = {220, 90, 200, 0};
    for (int i = 0; i < 4; ++i) {
        m_panels[i] = new QLabel(this);
        m_panels[i]->setObjectName(QStringLiteral("StatusBar1Panel") + QString::number(i));
        m_panels[i]->setFrameShape(QFrame::Panel);
        m_panels[i]->setFrameShadow(QFrame::Sunken);
        if (widths[i] > 0)
            m_panels[i]->setFixedWidth(widths[i]);
        bar->addWidget(m_panels[i], widths[i] > 0 ? 0 : 1);
    }
    outer->addLayout(bar);
    PageControlUpdate->hide();

    connect(m_surface, &LayoutSurface::partPressed, this,
            [this](const QString& item, const QString&) { surfacePressed(item); });
    connect(m_surface, &LayoutSurface::partDoubleClicked, this, &TfmTemplateDesigner::surfaceDoubleClicked);
    connect(m_surface, &LayoutSurface::paperClicked, this, [this] {
        setMessage(QString::number(m_surface->width()) + QLatin1Char('*') +
                   QString::number(m_surface->height()));
    });
    connect(m_surface, &LayoutSurface::dragMoved, this, &TfmTemplateDesigner::dragMoved);
    connect(m_surface, &LayoutSurface::dragFinished, this, &TfmTemplateDesigner::dragFinished);
    connect(m_surface, &LayoutSurface::keyMove, this, [this](int dx, int dy) {
        if (dx != 0)
            moveSelected(QStringLiteral("CtlX"), dx);
        if (dy != 0)
            moveSelected(QStringLiteral("CtlY"), dy);
    });
    resize(1300, 760);
}

QWidget* TfmTemplateDesigner::buildPaperPanel() {
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("pnlPaper"));
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(0, 0, 0, 0);
    auto paperBox = [&](const QString& name) {
        auto* box = new QDoubleSpinBox(panel);
        box->setObjectName(name);
        box->setDecimals(2);
        box->setRange(0, 999);
        box->setSuffix(QStringLiteral(" 厘米"));
        return box;
    };
    edtPWidth = paperBox(QStringLiteral("edtPWidth"));
    edtPHeight = paperBox(QStringLiteral("edtPHeight"));
    btSaveXY = button(panel, QStringLiteral("btSaveXY"), QStringLiteral("【保存票据设置】"));
    edtPreImage = new QLineEdit(panel);
    edtPreImage->setObjectName(QStringLiteral("edtPreImage"));
    edtPreImage->setReadOnly(true);
    btPicBrowse = button(panel, QStringLiteral("btPicBrowse"), QStringLiteral("浏览"));
    btMaxVeiw = button(this, QStringLiteral("btMaxVeiw"), QStringLiteral("满屏"));
    row->addWidget(new QLabel(QStringLiteral("原始单据宽度:"), panel));
    row->addWidget(edtPWidth);
    row->addWidget(new QLabel(QStringLiteral("高度:"), panel));
    row->addWidget(edtPHeight);
    row->addWidget(btSaveXY);
    row->addSpacing(20);
    row->addWidget(new QLabel(QStringLiteral("底图源"), panel));
    row->addWidget(edtPreImage, 1);
    row->addWidget(btPicBrowse);
    connect(btSaveXY, &QPushButton::clicked, this, &TfmTemplateDesigner::btSaveXYClick);
    connect(btPicBrowse, &QPushButton::clicked, this, [this] {
        const QString file = m_app.dialogs().openFileName(QStringLiteral("底图源"),
                                                          QStringLiteral("图片 (*.jpg *.jpeg *.bmp)"));
        if (file.isEmpty())
            return;
        edtPreImage->setText(file);
        loadImage(file);
    });
    connect(btMaxVeiw, &QPushButton::clicked, this, &TfmTemplateDesigner::btMaxVeiwClick);
    return panel;
}

QWidget* TfmTemplateDesigner::buildToolPanel() {
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("pnlTool"));
    panel->setFixedWidth(220);
    auto* col = new QVBoxLayout(panel);
    col->setContentsMargins(0, 0, 0, 0);

    RadioGrpSel = new QGroupBox(QStringLiteral("选取"), panel);
    RadioGrpSel->setObjectName(QStringLiteral("RadioGrpSel"));
    rbSingle = new QRadioButton(QStringLiteral("单选"), RadioGrpSel);
    rbSingle->setObjectName(QStringLiteral("rbSingle"));
    rbMultiple = new QRadioButton(QStringLiteral("多选"), RadioGrpSel);
    rbMultiple->setObjectName(QStringLiteral("rbMultiple"));
    rbSingle->setChecked(true);
    auto* modes = new QHBoxLayout(RadioGrpSel);
    modes->addWidget(rbSingle);
    modes->addWidget(rbMultiple);
    col->addWidget(RadioGrpSel);
    connect(rbMultiple, &QRadioButton::toggled, this, [this](bool on) {
        if (on != m_multiple)
            setMultiple(on);
    });

    auto* groupRow = new QHBoxLayout;
    groupRow->addWidget(new QLabel(QStringLiteral("分组:"), panel));
    cbSelGroup = new QComboBox(panel);
    cbSelGroup->setObjectName(QStringLiteral("cbSelGroup"));
    cbSelGroup->setEditable(true);
    cbSelGroup->setInsertPolicy(QComboBox::NoInsert);
    cbSelGroup->setToolTip(kChooseGroup);
    cbSelGroup->addItem(kChooseGroup);
    cbSelGroup->setEnabled(false);
    cbSelGroup->installEventFilter(this);
    cbSelGroup->lineEdit()->installEventFilter(this);
    groupRow->addWidget(cbSelGroup, 1);
    col->addLayout(groupRow);
    col->addWidget(new QLabel(QStringLiteral("例如: 数量*"), panel));
    connect(cbSelGroup, &QComboBox::textActivated, this, &TfmTemplateDesigner::selectGroup);
    connect(cbSelGroup->lineEdit(), &QLineEdit::returnPressed, this,
            [this] { selectGroup(cbSelGroup->currentText()); });

    auto* moves = new QGridLayout;
    btMoveUp = button(panel, QStringLiteral("btMoveUp"), QStringLiteral("上移"));
    btMoveDown = button(panel, QStringLiteral("btMoveDown"), QStringLiteral("下移"));
    btMoveLeft = button(panel, QStringLiteral("btMoveLeft"), QStringLiteral("左移"));
    btMoveRight = button(panel, QStringLiteral("btMoveRight"), QStringLiteral("右移"));
    moves->addWidget(btMoveUp, 0, 1);
    moves->addWidget(btMoveLeft, 1, 0);
    moves->addWidget(btMoveRight, 1, 2);
    moves->addWidget(btMoveDown, 2, 1);
    col->addLayout(moves);
    connect(btMoveUp, &QPushButton::clicked, this, [this] { moveSelected(QStringLiteral("CtlY"), -1); });
    connect(btMoveDown, &QPushButton::clicked, this, [this] { moveSelected(QStringLiteral("CtlY"), 1); });
    connect(btMoveLeft, &QPushButton::clicked, this, [this] { moveSelected(QStringLiteral("CtlX"), -1); });
    connect(btMoveRight, &QPushButton::clicked, this, [this] { moveSelected(QStringLiteral("CtlX"), 1); });

    auto* stepRow = new QHBoxLayout;
    StepLenth = spin(QStringLiteral("StepLenth"), 1, 100);
    StepLenth->setKeyboardTracking(true);
    StepLenth->setValue(5);
    lbStepWidth = new QLabel(QStringLiteral("0.5mm"), panel);
    lbStepWidth->setObjectName(QStringLiteral("lbStepWidth"));
    stepRow->addWidget(new QLabel(QStringLiteral("步长:"), panel));
    stepRow->addWidget(StepLenth);
    stepRow->addWidget(lbStepWidth);
    col->addLayout(stepRow);
    auto* quick = new QHBoxLayout;
    for (int n : {1, 2, 3, 5, 10}) {
        auto* b = new QToolButton(panel);
        b->setObjectName(QStringLiteral("lbStep") + QString::number(n));
        b->setText(QString::number(n));
        b->setAutoRaise(true);
        connect(b, &QToolButton::clicked, this, [this, n] { StepLenth->setValue(10 * n); });
        quick->addWidget(b);
    }
    col->addLayout(quick);
    connect(StepLenth, &QSpinBox::valueChanged, this, &TfmTemplateDesigner::stepChanged);

    auto* zoomRow = new QHBoxLayout;
    cbZoom = new QComboBox(panel);
    cbZoom->setObjectName(QStringLiteral("cbZoom"));
    for (int z : LayoutScale::kZooms)
        cbZoom->addItem(QString::number(z));
    cbZoom->setCurrentText(QStringLiteral("100"));
    zoomRow->addWidget(new QLabel(QStringLiteral("缩放%:"), panel));
    zoomRow->addWidget(cbZoom);
    ckTransportColor = check(panel, QStringLiteral("ckTransportColor"), QStringLiteral("透明底色"));
    zoomRow->addWidget(ckTransportColor);
    col->addLayout(zoomRow);
    connect(cbZoom, &QComboBox::currentTextChanged, this, &TfmTemplateDesigner::zoomChanged);
    connect(ckTransportColor, &QCheckBox::toggled, this, [this](bool on) { m_surface->setTransparent(on); });

    lstAllCtlNames = new QListWidget(panel);
    lstAllCtlNames->setObjectName(QStringLiteral("lstAllCtlNames"));
    lstSelectedNames = new QListWidget(panel);
    lstSelectedNames->setObjectName(QStringLiteral("lstSelectedNames"));
    lstSelectedNames->setMaximumHeight(120);
    col->addWidget(lstAllCtlNames, 1);
    col->addWidget(new QLabel(QStringLiteral("已选项目:"), panel));
    col->addWidget(lstSelectedNames);
    for (QListWidget* list : {lstAllCtlNames, lstSelectedNames}) {
        list->setContextMenuPolicy(Qt::CustomContextMenu);
        list->viewport()->installEventFilter(this);
    }
    connect(lstAllCtlNames, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        if (m_selection.isEmpty())
            addEntry(entryOf(item));
    });
    connect(lstAllCtlNames, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        addEntry(entryOf(item));
        if (!m_multiple) {
            pnlProperty->show();
            ALoadDataByCtlName(currentName());
        }
    });
    connect(lstAllCtlNames, &QListWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu(this);
        menu.addAction(QStringLiteral("全选"), this, &TfmTemplateDesigner::selectAll);
        menu.addAction(QStringLiteral("反选"), this, &TfmTemplateDesigner::invertSelection);
        menu.exec(lstAllCtlNames->viewport()->mapToGlobal(at));
    });
    connect(lstSelectedNames, &QListWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu(this);
        menu.addAction(QStringLiteral("清空选择"), this, &TfmTemplateDesigner::clearSelection);
        menu.exec(lstSelectedNames->viewport()->mapToGlobal(at));
    });
    col->addWidget(btMaxVeiw);
    return panel;
}

void TfmTemplateDesigner::connectField(QSpinBox* box, const QString& column) {
    connect(box, &QSpinBox::valueChanged, this,
            [this, column](int value) { ASaveCtlDataField(column, value); });
}

QWidget* TfmTemplateDesigner::buildPropertyPanel() {
    auto* panel = new QGroupBox(QStringLiteral("项目属性"), this);
    panel->setObjectName(QStringLiteral("pnlProperty"));
    panel->setFixedWidth(330);
    auto* grid = new QGridLayout(panel);
    int row = 0;
    auto addRow = [&](const QString& caption, QWidget* w, const QString& unit = QString()) {
        grid->addWidget(new QLabel(caption, panel), row, 0);
        grid->addWidget(w, row, 1);
        if (!unit.isEmpty())
            grid->addWidget(new QLabel(unit, panel), row, 2);
        ++row;
    };
    edtCtlX = spin(QStringLiteral("edtCtlX"), 0, 3000);
    edtCtlY = spin(QStringLiteral("edtCtlY"), 0, 3000);
    edtCtlH = spin(QStringLiteral("edtCtlH"), 0, 3000);
    edtCtlW = spin(QStringLiteral("edtCtlW"), 0, 3000);
    for (QSpinBox* box : {edtCtlX, edtCtlY, edtCtlH, edtCtlW})
        box->setSingleStep(5);
    addRow(QStringLiteral("距左:"), edtCtlX, QStringLiteral("0.1mm"));
    addRow(QStringLiteral("距顶:"), edtCtlY, QStringLiteral("0.1mm"));
    addRow(QStringLiteral("区域高:"), edtCtlH, QStringLiteral("0.1mm"));
    addRow(QStringLiteral("区域宽:"), edtCtlW, QStringLiteral("0.1mm"));
    connectField(edtCtlX, QStringLiteral("CtlX"));
    connectField(edtCtlY, QStringLiteral("CtlY"));
    connectField(edtCtlH, QStringLiteral("CtlH"));
    connectField(edtCtlW, QStringLiteral("CtlW"));

    cbFontName = new QComboBox(panel);
    cbFontName->setObjectName(QStringLiteral("cbFontName"));
    addRow(QStringLiteral("打印字体:"), cbFontName);
    connect(cbFontName, &QComboBox::textActivated, this, [this](const QString& face) {
        ASaveCtlDataField(QStringLiteral("CtlFontName"), face.isEmpty() ? QStringLiteral("宋体") : face);
    });
    edtFontSize = spin(QStringLiteral("edtFontSize"), 6, 20);
    addRow(QStringLiteral("字号:"), edtFontSize);
    connectField(edtFontSize, QStringLiteral("CtlFontSize"));

    auto* styles = new QHBoxLayout;
    ckBold = check(panel, QStringLiteral("ckBold"), QStringLiteral("粗体"));
    ckItalic = check(panel, QStringLiteral("ckItalic"), QStringLiteral("斜体"));
    ckUnderLine = check(panel, QStringLiteral("ckUnderLine"), QStringLiteral("下划线"));
    const std::pair<QCheckBox*, QString> styleColumns[] = {{ckBold, QStringLiteral("Bold")},
                                                           {ckItalic, QStringLiteral("Italic")},
                                                           {ckUnderLine, QStringLiteral("UnderLine")}};
    for (const auto& [box, column] : styleColumns) {
        styles->addWidget(box);
        const QString c = column;
        connect(box, &QCheckBox::toggled, this, [this, c](bool on) { ASaveCtlDataField(c, on ? 1 : 0); });
    }
    grid->addLayout(styles, row++, 0, 1, 3);

    ckMutiLineOn = check(panel, QStringLiteral("ckMutiLineOn"), QStringLiteral("无需换行打印."));
    grid->addWidget(ckMutiLineOn, row++, 0, 1, 3);
    edtBreakNum = spin(QStringLiteral("edtBreakNum"), 1, 200);
    edtFontSizeBreak = spin(QStringLiteral("edtFontSizeBreak"), 6, 20);
    edtLineH = spin(QStringLiteral("edtLineH"), 25, 200);
    addRow(QStringLiteral("每行汉字:"), edtBreakNum);
    addRow(QStringLiteral("换行字号:"), edtFontSizeBreak);
    addRow(QStringLiteral("行高:"), edtLineH, QStringLiteral("(0.1mm)"));
    connectField(edtBreakNum, QStringLiteral("BreakNum"));
    connectField(edtFontSizeBreak, QStringLiteral("BreakFontSize"));
    connectField(edtLineH, QStringLiteral("CtlLH"));
    connect(ckMutiLineOn, &QCheckBox::toggled, this, [this](bool on) {
        updateBreakControls();
        if (on) {
            ASaveCtlDataField(QStringLiteral("BreakNum"), edtBreakNum->value());
            ASaveCtlDataField(QStringLiteral("BreakFontSize"), edtFontSizeBreak->value());
            ASaveCtlDataField(QStringLiteral("CtlLH"), edtLineH->value());
        } else {
            ASaveCtlDataField(QStringLiteral("BreakNum"), QString());
        }
    });

    ckWidthAveOn = check(panel, QStringLiteral("ckWidthAveOn"), QStringLiteral("无需等宽打印."));
    grid->addWidget(ckWidthAveOn, row++, 0, 1, 3);
    edtAveWidth = spin(QStringLiteral("edtAveWidth"), 20, 200);
    addRow(QStringLiteral("字宽:"), edtAveWidth, QStringLiteral("(0.1mm)"));
    grid->addWidget(new QLabel(QStringLiteral("( 邮编等格子项目)"), panel), row++, 0, 1, 3);
    connectField(edtAveWidth, QStringLiteral("FitParam"));
    connect(ckWidthAveOn, &QCheckBox::toggled, this, [this](bool on) {
        updateCellControls();
        ASaveCtlDataField(QStringLiteral("FitParam"),
                          on ? QVariant(edtAveWidth->value()) : QVariant(QString()));
    });

    auto* aligns = new QHBoxLayout;
    alLeft = new QRadioButton(QStringLiteral("左对齐"), panel);
    alLeft->setObjectName(QStringLiteral("alLeft"));
    alCenter = new QRadioButton(QStringLiteral("居中"), panel);
    alCenter->setObjectName(QStringLiteral("alCenter"));
    alRight = new QRadioButton(QStringLiteral("右对齐"), panel);
    alRight->setObjectName(QStringLiteral("alRight"));
    const std::pair<QRadioButton*, QString> alignValues[] = {
        {alLeft, QStringLiteral("0")}, {alCenter, QStringLiteral("1")}, {alRight, QStringLiteral("2")}};
    for (const auto& [b, value] : alignValues) {
        aligns->addWidget(b);
        const QString v = value;
        connect(b, &QRadioButton::toggled, this, [this, v](bool on) {
            if (on)
                ASaveCtlDataField(QStringLiteral("Align"), v);
        });
    }
    grid->addLayout(aligns, row++, 0, 1, 3);

    edtDefaultValue = new QLineEdit(panel);
    edtDefaultValue->setObjectName(QStringLiteral("edtDefaultValue"));
    edtDefaultValue->setMaxLength(80);
    addRow(QStringLiteral("默认值："), edtDefaultValue);
    connect(edtDefaultValue, &QLineEdit::textEdited, this,
            [this](const QString& text) { ASaveCtlDataField(QStringLiteral("InitValue"), text); });

    cbTestData = new QComboBox(panel);
    cbTestData->setObjectName(QStringLiteral("cbTestData"));
    cbTestData->setEditable(true);
    cbTestData->lineEdit()->setMaxLength(100);
    QStringList samples = {QStringLiteral("签收前请确认包装完好，本人签收！")};
    for (int d = 1; d <= 10; ++d)
        samples << QString::number(d % 10);
    samples << QStringLiteral("深圳市南山示例贸易有限公司") << QStringLiteral("518057")
            << QStringLiteral("0755-86001234") << QStringLiteral("广东省深圳市南山区科技园南区高新南一道8号");
    cbTestData->addItems(samples);
    btUpdateTestData = button(panel, QStringLiteral("btUpdateTestData"), QStringLiteral("更新测试"));
    grid->addWidget(new QLabel(QStringLiteral("测试数据："), panel), row, 0);
    grid->addWidget(cbTestData, row, 1);
    grid->addWidget(btUpdateTestData, row++, 2);
    connect(btUpdateTestData, &QPushButton::clicked, this, &TfmTemplateDesigner::btUpdateTestDataClick);

    btSaveXYWH = button(panel, QStringLiteral("btSaveXYWH"), QStringLiteral("【保存项目设置】"));
    grid->addWidget(btSaveXYWH, row++, 0, 1, 3);
    connect(btSaveXYWH, &QPushButton::clicked, this, &TfmTemplateDesigner::btSaveXYWHClick);
    fillFonts();
    updateBreakControls();
    updateCellControls();
    panel->setEnabled(false);
    return panel;
}

QTabWidget* TfmTemplateDesigner::buildBatchPages() {
    auto* pages = new QTabWidget(this);
    pages->setObjectName(QStringLiteral("PageControlUpdate"));
    pages->setFixedWidth(330);

    auto* sizePage = new QWidget;
    auto* sizeRow = new QHBoxLayout(sizePage);
    cbBatchFontSize = new QComboBox(sizePage);
    cbBatchFontSize->setObjectName(QStringLiteral("cbBatchFontSize"));
    for (int s = 8; s <= 20; ++s)
        cbBatchFontSize->addItem(QString::number(s));
    cbBatchFontSize->setCurrentText(QStringLiteral("11"));
    auto* applySize = button(sizePage, QStringLiteral("btBatchFontSize"), QStringLiteral("批量应用"));
    sizeRow->addWidget(new QLabel(QStringLiteral("字号:"), sizePage));
    sizeRow->addWidget(cbBatchFontSize);
    sizeRow->addWidget(applySize);
    pages->addTab(sizePage, QStringLiteral("批量改字号"));
    connect(applySize, &QPushButton::clicked, this, [this] {
        batch([this](const QStringList& names) {
            return m_store.setAll(names, QStringLiteral("CtlFontSize"),
                                  cbBatchFontSize->currentText().toInt(),
                                  QStringLiteral("修改字号（字体大小）成功！"));
        });
    });

    auto* facePage = new QWidget;
    auto* faceRow = new QHBoxLayout(facePage);
    cbBatchFontName = new QComboBox(facePage);
    cbBatchFontName->setObjectName(QStringLiteral("cbBatchFontName"));
    auto* applyFace = button(facePage, QStringLiteral("btBatchFontName"), QStringLiteral("批量应用"));
    faceRow->addWidget(cbBatchFontName, 1);
    faceRow->addWidget(applyFace);
    pages->addTab(facePage, QStringLiteral("批量改字体"));
    connect(applyFace, &QPushButton::clicked, this, [this] {
        if (cbBatchFontName->currentIndex() < 0 || cbBatchFontName->currentText().isEmpty()) {
            m_app.dialogs().message(QStringLiteral("字体必须选择"));
            return;
        }
        batch([this](const QStringList& names) {
            return m_store.setAll(names, QStringLiteral("CtlFontName"), cbBatchFontName->currentText(),
                                  QStringLiteral("修改字体成功！！"));
        });
    });

    auto* alignPage = new QWidget;
    auto* alignGrid = new QGridLayout(alignPage);
    using E = LayoutStore::Extreme;
    struct Extremes {
        const char* caption;
        const char* column;
        E extreme;
        std::optional<int> fallback;
        const char* text;
    };
    const Extremes extremes[] = {
        {"最左对齐", "CtlX", E::Min, std::nullopt, "批量修改最左对齐成功！"},
        {"最右对齐", "CtlX", E::Max, std::nullopt, "批量修改最右对齐成功！"},
        {"最顶对齐", "CtlY", E::Min, std::nullopt, "批量修改距最顶对齐成功！"},
        {"最底对齐", "CtlY", E::Max, std::nullopt, "批量修改距最底对齐成功！"},
        {"等宽-最宽", "CtlW", E::Max, 120, "批量修改等量宽度（最宽）成功！"},
        {"等高-最高", "CtlH", E::Max, 40, "批量修改等量高度（最高）成功！"},
        {"等宽-最窄", "CtlW", E::Min, 35, "个批量修改等量宽度(最窄)成功！"},
        {"等高-最矮", "CtlH", E::Min, 40, "个批量修改等量高度(最矮)成功！"},
    };
    int i = 0;
    for (const Extremes& e : extremes) {
        auto* b = new QPushButton(QString::fromUtf8(e.caption), alignPage);
        b->setObjectName(QStringLiteral("btBatch") + QString::number(i));
        alignGrid->addWidget(b, i / 2, i % 2);
        ++i;
        connect(b, &QPushButton::clicked, this, [this, e] {
            batch([this, e](const QStringList& names) {
                return m_store.alignTo(names, QString::fromLatin1(e.column), e.extreme, e.fallback,
                                       QString::fromUtf8(e.text));
            });
        });
    }
    struct Steps {
        const char* caption;
        const char* column;
        bool grow;
        const char* text;
    };
    const Steps steps[] = {{"+宽", "CtlW", true, "个批量加宽成功！"},
                           {"-宽", "CtlW", false, "个批量减宽成功！"},
                           {"+高", "CtlH", true, "个批量加高成功！"},
                           {"-高", "CtlH", false, "个批量减高成功！"}};
    for (const Steps& s : steps) {
        auto* b = new QPushButton(QString::fromUtf8(s.caption), alignPage);
        b->setObjectName(QStringLiteral("btBatch") + QString::number(i));
        alignGrid->addWidget(b, i / 2, i % 2);
        ++i;
        connect(b, &QPushButton::clicked, this, [this, s] {
            batch([this, s](const QStringList& names) {
                const QString column = QString::fromLatin1(s.column);
                const QString text = QString::fromUtf8(s.text);
                return s.grow ? m_store.grow(names, column, StepLenth->value(), text)
                              : m_store.shrink(names, column, StepLenth->value(), text);
            });
        });
    }
    pages->addTab(alignPage, QStringLiteral("批量对齐、大小"));

    auto* spreadPage = new QWidget;
    auto* spreadGrid = new QGridLayout(spreadPage);
    edtIncreaseX = spin(QStringLiteral("edtIncreaseX"), 20, 1000);
    edtIncreaseX->setValue(40);
    edtIncreaseY = spin(QStringLiteral("edtIncreaseY"), 20, 1000);
    edtIncreaseY->setValue(50);
    auto* across = button(spreadPage, QStringLiteral("btSpreadX"), QStringLiteral("批量应用-横向"));
    auto* down = button(spreadPage, QStringLiteral("btSpreadY"), QStringLiteral("批量应用-纵向"));
    spreadGrid->addWidget(new QLabel(QStringLiteral("横向增量:"), spreadPage), 0, 0);
    spreadGrid->addWidget(edtIncreaseX, 0, 1);
    spreadGrid->addWidget(across, 0, 2);
    spreadGrid->addWidget(new QLabel(QStringLiteral("纵向增量:"), spreadPage), 1, 0);
    spreadGrid->addWidget(edtIncreaseY, 1, 1);
    spreadGrid->addWidget(down, 1, 2);
    pages->addTab(spreadPage, QStringLiteral("批量纵向分布"));
    for (QLayout* l : {static_cast<QLayout*>(sizeRow), static_cast<QLayout*>(faceRow),
                       static_cast<QLayout*>(alignGrid), static_cast<QLayout*>(spreadGrid)})
        l->setAlignment(Qt::AlignTop);
    connect(across, &QPushButton::clicked, this, [this] {
        batch([this](const QStringList& names) {
            return m_store.distribute(names, QStringLiteral("CtlX"), edtIncreaseX->value());
        });
    });
    connect(down, &QPushButton::clicked, this, [this] {
        batch([this](const QStringList& names) {
            return m_store.distribute(names, QStringLiteral("CtlY"), edtIncreaseY->value());
        });
    });
    return pages;
}

void TfmTemplateDesigner::fillFonts() {
    QStringList faces;
    for (const QString& family : QFontDatabase::families())
        if (!family.startsWith(QLatin1Char('@'))) // vertical faces
            faces << family;
    if (faces.isEmpty())
        m_app.dialogs().message(QStringLiteral("载入字体库异常！"));
    // Template faces that are not installed print through their substitutes; they stay choosable.
    for (const QString& face :
         {QStringLiteral("宋体"), QStringLiteral("黑体"), QStringLiteral("楷体"), QStringLiteral("仿宋")})
        if (!faces.contains(face))
            faces.prepend(face);
    cbFontName->addItems(faces);
}

// ---- opening --------------------------------------------------------------------------------

void TfmTemplateDesigner::openTemplate(int checkTypeId) {
    cbBatchFontName->addItems([this] {
        QStringList all;
        for (int i = 0; i < cbFontName->count(); ++i)
            all << cbFontName->itemText(i);
        return all;
    }());
    cbBatchFontName->setCurrentIndex(-1);
    const QString kind = m_app.templates().loadCheckTypeFirstNameByID(checkTypeId);
    if (kind.trimmed().isEmpty()) {
        m_app.dialogs().message(QStringLiteral("没有找到对应的单据信息~"));
        return;
    }
    m_valid = true;
    setWindowTitle(QStringLiteral("【") + m_app.templates().loadCheckTypeFullNameByID(checkTypeId) +
                   QStringLiteral("】打印设置"));
    m_panels[1]->setText(QString::number(checkTypeId));
    try {
        if (!m_store.loadTemplate()) {
            m_valid = false;
            m_app.dialogs().message(QStringLiteral("没有找到对应的单据信息~"));
            return;
        }
        m_loading = true;
        edtPWidth->setValue(m_store.paperWidth() / 100.0);
        edtPHeight->setValue(m_store.paperHeight() / 100.0);
        m_loading = false;
        m_maxTop = m_store.paperHeight() - 5;
        m_surface->setScale(LayoutScale(m_screenDpi, 100));
        m_surface->setPaper(m_store.paperWidth(), m_store.paperHeight());
        m_panels[0]->setText(m_store.kind() + QLatin1Char('[') +
                             QString::number(m_store.paperWidth() / 10.0) + QLatin1Char(',') +
                             QString::number(m_store.paperHeight() / 10.0) + QLatin1Char(']'));
        const QString image = m_store.imageFile().trimmed();
        // Only a plain name inside the image folder.
        if (!image.isEmpty() && !image.contains(QLatin1Char('/')) && !image.contains(QLatin1Char('\\')))
            loadImage(m_app.pathOf(QStringLiteral("Image/") + image));
    } catch (const std::exception& e) {
        setMessage(QStringLiteral("分组获取失败") + QString::fromUtf8(e.what()));
    }
    print::PlanContext context;
    context.cellWidth = print::PrintLookups::getCellsWidth(m_app.db(), checkTypeId, QStringLiteral("zdQY"),
                                                           QStringLiteral("zdBY"), 35);
    m_surface->setPlanContext(context);
    btLoadCheckItemClick();
    try {
        fillList(lstAllCtlNames, m_store.itemList());
    } catch (const std::exception& e) {
        setMessage(QString::fromUtf8(e.what()));
    }
}

void TfmTemplateDesigner::loadImage(const QString& path) {
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    // A picture is only a background: anything absurdly large is not decoded.
    if (!size.isValid() || qint64(size.width()) * size.height() > 60'000'000) {
        m_surface->setBackground(QImage());
        return;
    }
    m_surface->setBackground(reader.read());
}

void TfmTemplateDesigner::btLoadCheckItemClick() {
    if (m_store.id() <= 0) {
        m_surface->setItems({});
        setWindowTitle(QStringLiteral("未知的单据"));
        return;
    }
    try {
        QVector<LayoutItem> items = m_store.loadItems();
        if (m_store.storeMissingSizes(items, LayoutScale(m_screenDpi, 100)) > 0)
            items = m_store.loadItems();
        m_surface->setItems(items);
    } catch (const std::exception& e) {
        setMessage(QString::fromUtf8(e.what()));
    }
}

// ---- selection ------------------------------------------------------------------------------

QStringList TfmTemplateDesigner::selectedNames() const {
    QStringList out;
    for (const QString& e : m_selection)
        out << namePart(e);
    return out;
}

QString TfmTemplateDesigner::currentName() const {
    return m_selection.isEmpty() ? QString() : namePart(m_selection.first());
}

QString TfmTemplateDesigner::entryFor(const QString& name) {
    return m_store.labelOf(name) + QLatin1Char('=') + name;
}

void TfmTemplateDesigner::addEntry(const QString& entry) {
    if (!m_multiple) {
        m_selection = {entry};
    } else {
        const QString name = namePart(entry);
        if (!selectedNames().contains(name, Qt::CaseInsensitive))
            m_selection << entry;
    }
    selectionChanged();
}

void TfmTemplateDesigner::selectionChanged() {
    fillList(lstSelectedNames, m_selection);
    m_surface->setSelected(selectedNames());
    const bool several = m_selection.size() >= 2;
    pnlProperty->setVisible(!several && !(m_multiple && m_selection.isEmpty()));
    pnlProperty->setEnabled(m_selection.size() == 1);
    PageControlUpdate->setVisible(several);
    m_panels[2]->setText(m_selection.size() == 1 ? labelPart(m_selection.first())
                                                 : QString::number(m_selection.size()));
    if (m_selection.size() != 1)
        m_current.reset();
    else if (!m_current || m_current->name.compare(currentName(), Qt::CaseInsensitive) != 0)
        ALoadDataByCtlName(currentName()); // the panel never shows another item than the one it edits
}

void TfmTemplateDesigner::selectItem(const QString& name) {
    surfacePressed(name);
}

void TfmTemplateDesigner::surfacePressed(const QString& item) {
    if (!m_multiple)
        m_selection.clear();
    int found = -1;
    const QStringList names = selectedNames();
    for (int i = 0; i < names.size(); ++i)
        if (names.at(i).compare(item, Qt::CaseInsensitive) == 0)
            found = i;
    if (found >= 0) {
        m_selection.removeAt(found);
        selectionChanged();
        return;
    }
    addEntry(entryFor(item));
    if (m_selection.size() == 1)
        ALoadDataByCtlName(item);
}

void TfmTemplateDesigner::surfaceDoubleClicked(const QString& item) {
    if (m_multiple)
        m_selection.clear();
    addEntry(entryFor(item));
    pnlProperty->show();
    ALoadDataByCtlName(item);
}

void TfmTemplateDesigner::setMultiple(bool multiple) {
    m_multiple = multiple;
    {
        const QSignalBlocker block(rbMultiple);
        const QSignalBlocker block2(rbSingle);
        rbMultiple->setChecked(multiple);
        rbSingle->setChecked(!multiple);
    }
    cbSelGroup->setEnabled(multiple);
    if (!multiple) {
        cbSelGroup->clear();
        cbSelGroup->addItem(kChooseGroup);
    }
    m_selection.clear();
    selectionChanged();
}

void TfmTemplateDesigner::selectGroup(const QString& groupOrPattern) {
    const QString group = groupOrPattern.trimmed();
    if (group.isEmpty() || group == kChooseGroup)
        return;
    if (!m_multiple)
        setMultiple(true);
    try {
        const QStringList names = m_store.groupMembers(group);
        if (names.isEmpty())
            return;
        m_selection.clear();
        for (const QString& n : names)
            m_selection << entryFor(n);
        selectionChanged();
    } catch (const std::exception& e) {
        setMessage(QString::fromUtf8(e.what()));
    }
}

void TfmTemplateDesigner::selectAll() {
    if (!m_multiple)
        setMultiple(true);
    m_selection.clear();
    for (int i = 0; i < lstAllCtlNames->count(); ++i)
        m_selection << entryOf(lstAllCtlNames->item(i));
    selectionChanged();
}

void TfmTemplateDesigner::invertSelection() {
    const QStringList before = selectedNames();
    QStringList inverted;
    for (int i = 0; i < lstAllCtlNames->count(); ++i) {
        const QString entry = entryOf(lstAllCtlNames->item(i));
        if (!before.contains(namePart(entry), Qt::CaseInsensitive))
            inverted << entry;
    }
    if (inverted.size() > 1 && !m_multiple)
        setMultiple(true);
    m_selection = inverted;
    selectionChanged();
    if (m_selection.size() == 1)
        ALoadDataByCtlName(currentName());
}

void TfmTemplateDesigner::clearSelection() {
    m_selection.clear();
    selectionChanged();
}

// ---- one item -------------------------------------------------------------------------------

void TfmTemplateDesigner::setRange(QSpinBox* box, int min, int max, int value) {
    // The range takes the stored value in, so showing it never changes it.
    box->setRange(qMin(min, value), qMax(max, value));
    box->setValue(value);
}

void TfmTemplateDesigner::ALoadDataByCtlName(const QString& name) {
    std::optional<LayoutItem> item;
    try {
        item = m_store.loadItem(name);
    } catch (const std::exception& e) {
        setMessage(QString::fromUtf8(e.what()));
    }
    m_current = item;
    if (!item)
        return;
    m_loading = true;
    const print::ItemLayout& l = item->layout;
    const LayoutScale atHundred(m_screenDpi, 100);
    setRange(edtCtlX, 0, 3000, l.x);
    setRange(edtCtlY, 0, m_maxTop, l.y);
    setRange(edtCtlW, 0, 3000, l.width > 0 ? l.width : atHundred.toTenths(item->srcW));
    setRange(edtCtlH, 0, 3000, l.height > 0 ? l.height : atHundred.toTenths(item->srcH));
    setRange(edtFontSize, 6, 20, l.fontSize);
    const QString face = l.fontName.isEmpty() ? QStringLiteral("宋体") : l.fontName;
    if (cbFontName->findText(face) < 0)
        cbFontName->addItem(face);
    cbFontName->setCurrentText(face);
    ckBold->setChecked(l.bold > 0);
    ckItalic->setChecked(l.italic > 0);
    ckUnderLine->setChecked(l.underline > 0);
    // Ticked exactly when the printer breaks or spreads the item.
    const bool breaks = print::TextBreaking::isDigitText(l.breakNum) && l.breakNum.toInt() >= 1;
    ckMutiLineOn->setChecked(breaks);
    setRange(edtBreakNum, 1, 200, breaks ? l.breakNum.toInt() : 50);
    setRange(edtFontSizeBreak, 6, 20, breaks ? l.breakFontSize : l.fontSize);
    setRange(edtLineH, 25, 200, l.lineHeight > 0 ? int(l.lineHeight) : 50);
    const bool cells = print::TextBreaking::isNumberText(l.fitParam);
    ckWidthAveOn->setChecked(cells);
    setRange(edtAveWidth, 20, 200, cells ? l.fitParam.toInt() : 20);
    updateBreakControls();
    updateCellControls();
    cbTestData->setCurrentText(item->testValue);
    edtDefaultValue->setText(item->initValue);
    const QString align = l.align.trimmed();
    (align == QLatin1String("1")   ? alCenter
     : align == QLatin1String("2") ? alRight
                                   : alLeft)
        ->setChecked(true);
    m_loading = false;
    m_panels[2]->setText(item->label.trimmed().isEmpty() ? item->name : item->label);
}

void TfmTemplateDesigner::ASaveCtlDataField(const QString& column, const QVariant& value) {
    if (m_loading || m_selection.size() > 1 || !m_current)
        return;
    const Outcome out = m_store.saveField(m_current->name, column, value);
    report(out);
    if (out.rows > 0)
        ARePaintItem(m_current->name);
}

void TfmTemplateDesigner::ARePaintItem(const QString& name) {
    try {
        if (std::optional<LayoutItem> item = m_store.loadItem(name)) {
            m_surface->setItem(*item);
            if (m_current && m_current->name.compare(name, Qt::CaseInsensitive) == 0)
                m_current = item;
        }
    } catch (const std::exception& e) {
        setMessage(QString::fromUtf8(e.what()));
    }
}

void TfmTemplateDesigner::repaintSelected() {
    for (const QString& name : selectedNames())
        ARePaintItem(name);
}

void TfmTemplateDesigner::updateBreakControls() {
    const bool on = ckMutiLineOn->isChecked();
    ckMutiLineOn->setText(on ? QStringLiteral("需换行,超过     汉字换行打印.")
                             : QStringLiteral("无需换行打印."));
    for (QWidget* w : {static_cast<QWidget*>(edtBreakNum), static_cast<QWidget*>(edtFontSizeBreak),
                       static_cast<QWidget*>(edtLineH)})
        w->setEnabled(on);
}

void TfmTemplateDesigner::updateCellControls() {
    const bool on = ckWidthAveOn->isChecked();
    ckWidthAveOn->setText(on ? QStringLiteral("需等宽打印,") : QStringLiteral("无需等宽打印."));
    edtAveWidth->setEnabled(on);
}

void TfmTemplateDesigner::btSaveXYWHClick() {
    if (m_selection.size() >= 2) {
        setMessage(QStringLiteral("单选一个项目才可以保存！"));
        return;
    }
    ASaveCtlDataField(QStringLiteral("CtlY"), edtCtlY->value());
    ASaveCtlDataField(QStringLiteral("CtlX"), edtCtlX->value());
    ASaveCtlDataField(QStringLiteral("CtlW"), edtCtlW->value());
    ASaveCtlDataField(QStringLiteral("CtlH"), edtCtlH->value());
}

void TfmTemplateDesigner::btUpdateTestDataClick() {
    const QString name = currentName();
    if (name.isEmpty())
        return;
    const Outcome out = m_store.updateTestData(name, cbTestData->currentText());
    report(out);
    if (out.rows > 0)
        ARePaintItem(name);
}

// ---- moves ----------------------------------------------------------------------------------

void TfmTemplateDesigner::moveSelected(const QString& column, int sign) {
    const QStringList names = selectedNames();
    if (names.isEmpty())
        return;
    QPushButton* b = column == QLatin1String("CtlX") ? (sign < 0 ? btMoveLeft : btMoveRight)
                                                     : (sign < 0 ? btMoveUp : btMoveDown);
    b->setEnabled(false);
    const Outcome out = m_store.moveBy(names, column, sign * StepLenth->value());
    b->setEnabled(true);
    report(out);
    repaintSelected();
    if (names.size() == 1)
        ALoadDataByCtlName(names.first());
}

void TfmTemplateDesigner::dragMoved(const QString& item, const QPoint& delta) {
    if (!m_current || m_current->name.compare(item, Qt::CaseInsensitive) != 0)
        return;
    const LayoutScale& s = m_surface->scale();
    m_loading = true;
    setRange(edtCtlX, 0, 3000, s.moved(m_current->layout.x, delta.x()));
    setRange(edtCtlY, 0, m_maxTop, s.moved(m_current->layout.y, delta.y()));
    m_loading = false;
}

void TfmTemplateDesigner::dragFinished(const QString& item, const QPoint& delta) {
    if (!m_current || m_current->name.compare(item, Qt::CaseInsensitive) != 0)
        return;
    const LayoutScale& s = m_surface->scale();
    const int x = s.moved(m_current->layout.x, delta.x());
    const int y = s.moved(m_current->layout.y, delta.y());
    ASaveCtlDataField(QStringLiteral("CtlX"), x);
    ASaveCtlDataField(QStringLiteral("CtlY"), y);
    ARePaintItem(item);
    ALoadDataByCtlName(item);
}

void TfmTemplateDesigner::stepChanged(int step) {
    lbStepWidth->setText(QString::number(step * 0.1) + QStringLiteral("mm"));
    for (QSpinBox* box : {edtCtlX, edtCtlY, edtCtlH, edtCtlW})
        box->setSingleStep(step);
}

void TfmTemplateDesigner::zoomChanged() {
    const int zoom = cbZoom->currentText().toInt();
    if (zoom <= 0)
        return;
    m_surface->setScale(LayoutScale(m_screenDpi, zoom));
    if (m_current)
        ALoadDataByCtlName(m_current->name);
}

void TfmTemplateDesigner::batch(const std::function<Outcome(const QStringList&)>& command) {
    const QStringList names = selectedNames();
    if (names.isEmpty())
        return;
    report(command(names));
    repaintSelected();
}

// ---- paper, view, messages ------------------------------------------------------------------

void TfmTemplateDesigner::btSaveXYClick() {
    const Outcome out = m_store.savePaperSize(edtPWidth->value(), edtPHeight->value());
    report(out);
    if (out.rows <= 0)
        return;
    m_maxTop = m_store.paperHeight() - 5;
    m_surface->setPaper(m_store.paperWidth(), m_store.paperHeight());
    m_panels[0]->setText(m_store.kind() + QLatin1Char('[') + QString::number(m_store.paperWidth() / 10.0) +
                         QLatin1Char(',') + QString::number(m_store.paperHeight() / 10.0) + QLatin1Char(']'));
    btLoadCheckItemClick();
    m_surface->setSelected(selectedNames());
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* offsets = qobject_cast<templates::ui::TfrmPrintOffset*>(w); offsets && offsets->isVisible())
            offsets->loadParam();
}

void TfmTemplateDesigner::btMaxVeiwClick() {
    const bool full = btMaxVeiw->text() == QStringLiteral("满屏");
    pnlPaper->setVisible(!full);
    pnlTool->setVisible(!full);
    pnlProperty->setVisible(!full && m_selection.size() < 2);
    PageControlUpdate->setVisible(!full && m_selection.size() >= 2);
    // The button stays reachable while the tool panel is hidden.
    btMaxVeiw->setParent(full ? static_cast<QWidget*>(this) : pnlTool);
    if (full) {
        btMaxVeiw->move(4, 4);
        btMaxVeiw->show();
        btMaxVeiw->raise();
        showMaximized();
    } else {
        pnlTool->layout()->addWidget(btMaxVeiw);
        btMaxVeiw->show();
        showNormal();
    }
    btMaxVeiw->setText(full ? QStringLiteral("返回") : QStringLiteral("满屏"));
}

void TfmTemplateDesigner::report(const Outcome& outcome) {
    if (outcome.message.isEmpty())
        return;
    if (outcome.boxed)
        m_app.dialogs().message(outcome.message);
    else
        setMessage(outcome.message);
}

void TfmTemplateDesigner::setMessage(const QString& text) {
    m_panels[3]->setText(text);
}

QString TfmTemplateDesigner::statusMessage() const {
    return m_panels[3]->text();
}

bool TfmTemplateDesigner::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == cbSelGroup || watched == cbSelGroup->lineEdit()) && event->type() == QEvent::FocusIn &&
        cbSelGroup->count() <= 1) {
        const QString typed = cbSelGroup->currentText();
        cbSelGroup->clear();
        cbSelGroup->addItems(m_store.groups());
        cbSelGroup->addItem(kChooseGroup);
        cbSelGroup->setEditText(typed);
    }
    if (event->type() == QEvent::Wheel) {
        // The wheel over a list moves its current entry by one, as the arrow keys do.
        for (QListWidget* list : {lstAllCtlNames, lstSelectedNames})
            if (watched == list->viewport() && list->count() > 0) {
                const int dir = static_cast<QWheelEvent*>(event)->angleDelta().y() < 0 ? 1 : -1;
                list->setCurrentRow(qBound(0, list->currentRow() + dir, list->count() - 1));
                return true;
            }
    }
    return QDialog::eventFilter(watched, event);
}

void TfmTemplateDesigner::closeEvent(QCloseEvent* event) {
    // A drag still under way is dropped: nothing the clerk did not finish is written.
    m_surface->cancelDrag();
    core::ui::FormFace::save(m_app.userIni(), *this);
    QDialog::closeEvent(event);
}

void TfmTemplateDesigner::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_placed)
        return;
    m_placed = true;
    core::ui::FormFace::load(m_app.userIni(), *this);
    const QScreen* screen = this->screen();
    if (!screen)
        return;
    // The status bar, where a drag reports its result, must stay on the screen: the whole
    // window fits the available area, with room for a title bar not yet reported.
    QMargins frame(frameGeometry().left() - geometry().left(), geometry().top() - frameGeometry().top(),
                   frameGeometry().right() - geometry().right(),
                   frameGeometry().bottom() - geometry().bottom());
    frame =
        QMargins(qAbs(frame.left()), qMax(qAbs(frame.top()), 32), qAbs(frame.right()), qAbs(frame.bottom()));
    setGeometry(templates::fitWindow(geometry(), screen->availableGeometry(), frame));
}

} // namespace designer::ui
