#include "templates/ui/TfrmPrintOffset.h"

#include "core/AppContext.h"
#include "core/DbError.h"
#include "core/ui/FormFace.h"
#include "templates/ui/Tfm_PrintPreview.h"
#include "templates/ui/TfrmImageShow.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace templates::ui {

namespace {

const QString kChanged = QStringLiteral("票据整体属性修改成功！");
const QString kUnchanged = QStringLiteral("票据整体属性没有变动！");
const QString kNotYet = QStringLiteral("此功能尚未提供");
using F = TemplateWhole::Field;

QString centimetres(int tenths) {
    return QStringLiteral("=") + QString::number(tenths / 100.0) + QStringLiteral("厘米");
}

} // namespace

TfrmPrintOffset::TfrmPrintOffset(core::AppContext& app, int checkTypeId, QWidget* parent)
    : QDialog(parent), m_app(app) {
    setObjectName(QStringLiteral("TfrmPrintOffset"));
    setWindowTitle(QStringLiteral("打印整体偏移调整"));
    buildWindow();
    fillList(checkTypeId);
    loadParam();
    core::ui::FormFace::load(m_app.userIni(), *this);
}

TfrmPrintOffset::~TfrmPrintOffset() {
    delete m_image;
}

QSpinBox* TfrmPrintOffset::numberBox(const QString& name, F field) {
    auto* box = new QSpinBox(this);
    box->setObjectName(name);
    const TemplateWhole::Range r = TemplateWhole::range(field);
    box->setRange(r.min, r.max);
    box->setMinimumWidth(80);
    // Whole numbers only: the point key is swallowed, so "12.5" typed gives 125.
    box->findChild<QLineEdit*>()->installEventFilter(this);
    box->installEventFilter(this);
    m_boxes[field] = box;
    return box;
}

void TfrmPrintOffset::buildWindow() {
    listCheckTypeName = new QListWidget(this);
    listCheckTypeName->setObjectName(QStringLiteral("listCheckTypeName"));
    listCheckTypeName->setMaximumWidth(320);
    lbTypeName = new QLabel(QStringLiteral("请左侧选择要设定单据种类"), this);
    lbTypeName->setObjectName(QStringLiteral("lbTypeName"));

    auto* feed = new QGroupBox(QStringLiteral("打印机进纸方向（平推一般是纵向）"), this);
    rdHX = new QRadioButton(QStringLiteral("横向"), feed);
    rdHX->setObjectName(QStringLiteral("rdHX"));
    rdZX = new QRadioButton(QStringLiteral("纵向"), feed);
    rdZX->setObjectName(QStringLiteral("rdZX"));
    lbPictureZX = new QLabel(QStringLiteral("<a href=\"zx\">纵向进纸图示</a>"), feed);
    lbPictureHX = new QLabel(QStringLiteral("<a href=\"hx\">横向进纸图示</a>"), feed);
    lbPictureZX->setObjectName(QStringLiteral("lbPictureZX"));
    lbPictureHX->setObjectName(QStringLiteral("lbPictureHX"));
    auto* feedRow = new QHBoxLayout(feed);
    feedRow->addWidget(rdHX);
    feedRow->addWidget(rdZX);
    feedRow->addStretch();
    feedRow->addWidget(lbPictureZX);
    feedRow->addWidget(lbPictureHX);

    auto label = [this](const QString& name) {
        auto* l = new QLabel(this);
        l->setObjectName(name);
        l->setMinimumWidth(90);
        return l;
    };
    auto* screen = new QGroupBox(QStringLiteral("软件填开界面大小（影响填单界面，不影响打印效果）"), this);
    auto* screenGrid = new QGridLayout(screen);
    screenGrid->addWidget(new QLabel(QStringLiteral("界面宽："), screen), 0, 0);
    screenGrid->addWidget(numberBox(QStringLiteral("edtTWidth"), F::TWidth), 0, 1);
    screenGrid->addWidget(new QLabel(QStringLiteral("(像素)"), screen), 0, 2);
    screenGrid->addWidget(new QLabel(QStringLiteral("界面高："), screen), 1, 0);
    screenGrid->addWidget(numberBox(QStringLiteral("edtTHeight"), F::THeight), 1, 1);
    screenGrid->addWidget(new QLabel(QStringLiteral("(像素)"), screen), 1, 2);
    m_boxes[F::TWidth]->setReadOnly(true);
    m_boxes[F::THeight]->setReadOnly(true);
    m_boxes[F::TWidth]->setToolTip(QStringLiteral("双击后可修改"));
    m_boxes[F::THeight]->setToolTip(QStringLiteral("双击后可修改"));

    auto* offset = new QGroupBox(QStringLiteral("票据整体打印偏移( 负号表示相反方向 )"), this);
    auto* offsetGrid = new QGridLayout(offset);
    auto arrow = [offset](const QString& name, Qt::ArrowType type) {
        auto* b = new QToolButton(offset);
        b->setObjectName(name);
        b->setArrowType(type);
        b->setAutoRepeat(false);
        return b;
    };
    btLeft = arrow(QStringLiteral("btMoveLeft"), Qt::LeftArrow);
    btRight = arrow(QStringLiteral("btMoveRight"), Qt::RightArrow);
    btUp = arrow(QStringLiteral("btMoveUp"), Qt::UpArrow);
    btDown = arrow(QStringLiteral("btMoveDown"), Qt::DownArrow);
    lbMoveX = label(QStringLiteral("lbMoveX"));
    lbMoveY = label(QStringLiteral("lbMoveY"));
    offsetGrid->addWidget(new QLabel(QStringLiteral("整体打印右移："), offset), 0, 0);
    offsetGrid->addWidget(numberBox(QStringLiteral("XMove"), F::XMove), 0, 1);
    offsetGrid->addWidget(new QLabel(QStringLiteral("(0.1毫米)"), offset), 0, 2);
    offsetGrid->addWidget(btLeft, 0, 3);
    offsetGrid->addWidget(btRight, 0, 4);
    offsetGrid->addWidget(lbMoveX, 0, 5);
    offsetGrid->addWidget(new QLabel(QStringLiteral("整体打印下移："), offset), 1, 0);
    offsetGrid->addWidget(numberBox(QStringLiteral("YMove"), F::YMove), 1, 1);
    offsetGrid->addWidget(new QLabel(QStringLiteral("(0.1毫米)"), offset), 1, 2);
    offsetGrid->addWidget(btUp, 1, 3);
    offsetGrid->addWidget(btDown, 1, 4);
    offsetGrid->addWidget(lbMoveY, 1, 5);

    auto* paper = new QGroupBox(QStringLiteral("票据实际大小( 影响预览效果，不影响打印效果)"), this);
    auto* paperGrid = new QGridLayout(paper);
    lbWidth = label(QStringLiteral("lbWidth"));
    lbHeight = label(QStringLiteral("lbHeight"));
    paperGrid->addWidget(new QLabel(QStringLiteral("票面宽："), paper), 0, 0);
    paperGrid->addWidget(numberBox(QStringLiteral("edtPWidth"), F::PWidth), 0, 1);
    paperGrid->addWidget(new QLabel(QStringLiteral("(0.1毫米)"), paper), 0, 2);
    paperGrid->addWidget(lbWidth, 0, 3);
    paperGrid->addWidget(new QLabel(QStringLiteral("票面高："), paper), 1, 0);
    paperGrid->addWidget(numberBox(QStringLiteral("edtPHeight"), F::PHeight), 1, 1);
    paperGrid->addWidget(new QLabel(QStringLiteral("(0.1毫米)"), paper), 1, 2);
    paperGrid->addWidget(lbHeight, 1, 3);

    btSaveMove = new QPushButton(QStringLiteral("保存整体设置"), this);
    btSaveMove->setObjectName(QStringLiteral("btSaveMove"));
    btPreviewIt = new QPushButton(QStringLiteral("预览"), this);
    btPreviewIt->setObjectName(QStringLiteral("btPreviewIt"));
    btPrintItemSet = new QPushButton(QStringLiteral("整体上差不多，我要调整某单项的打印位置"), this);
    btPrintItemSet->setObjectName(QStringLiteral("btPrintItemSet"));
    Button1 = new QPushButton(QStringLiteral("结束设置"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    setDesignerCommand({});
    // Enter in a box finishes the box; it must not press a button.
    for (QPushButton* b : {btSaveMove, btPreviewIt, btPrintItemSet, Button1})
        b->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btSaveMove);
    buttons->addWidget(btPreviewIt);
    buttons->addWidget(btPrintItemSet);
    buttons->addStretch();
    buttons->addWidget(Button1);
    auto* right = new QVBoxLayout;
    right->addWidget(lbTypeName);
    right->addWidget(feed);
    right->addWidget(screen);
    right->addWidget(offset);
    right->addWidget(paper);
    right->addLayout(buttons);
    right->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(listCheckTypeName);
    layout->addLayout(right, 1);

    connect(listCheckTypeName, &QListWidget::itemClicked, this, [this] { loadParam(); });
    connect(lbPictureZX, &QLabel::linkActivated, this, [this] { showFeedPicture(false); });
    connect(lbPictureHX, &QLabel::linkActivated, this, [this] { showFeedPicture(true); });
    for (F f : {F::XMove, F::YMove, F::PWidth, F::PHeight})
        connect(m_boxes[f], &QSpinBox::editingFinished, this, [this, f] { autoSave(f); });
    for (int f = 0; f < TemplateWhole::FieldCount; ++f)
        connect(m_boxes[f], &QSpinBox::valueChanged, this, &TfrmPrintOffset::updateLabels);
    connect(btLeft, &QToolButton::clicked, this, [this] { moveBy(-10, 0); });
    connect(btRight, &QToolButton::clicked, this, [this] { moveBy(10, 0); });
    connect(btUp, &QToolButton::clicked, this, [this] { moveBy(0, -10); });
    connect(btDown, &QToolButton::clicked, this, [this] { moveBy(0, 10); });
    connect(btSaveMove, &QPushButton::clicked, this, &TfrmPrintOffset::btSaveMoveClick);
    connect(btPreviewIt, &QPushButton::clicked, this, &TfrmPrintOffset::btPreviewItClick);
    connect(btPrintItemSet, &QPushButton::clicked, this, &TfrmPrintOffset::btPrintItemSetClick);
    connect(Button1, &QPushButton::clicked, this, &QDialog::close);
}

void TfrmPrintOffset::setDesignerCommand(std::function<void()> open) {
    m_openDesigner = std::move(open);
    btPrintItemSet->setEnabled(bool(m_openDesigner));
    btPrintItemSet->setToolTip(m_openDesigner ? QString() : kNotYet);
}

void TfrmPrintOffset::fillList(int checkTypeId) {
    QList<QPair<QString, int>> names;
    try {
        names = TemplateWhole::enabledTemplates(m_app.db());
    } catch (const core::DbError&) {
        // An unreadable list leaves the window empty; the clerk can still close it.
    }
    int selected = -1;
    for (int i = 0; i < names.size(); ++i) {
        listCheckTypeName->addItem(names.at(i).first);
        if (names.at(i).second == checkTypeId && selected < 0)
            selected = i;
    }
    // The whole of every name is shown (up to the list's widest), with room for a scroll bar.
    const int scrollBar = listCheckTypeName->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    listCheckTypeName->setMinimumWidth(
        qMin(listCheckTypeName->maximumWidth(),
             listCheckTypeName->sizeHintForColumn(0) + 2 * listCheckTypeName->frameWidth() + scrollBar + 8));
    if (checkTypeId > 0 && selected < 0)
        m_app.dialogs().message(QStringLiteral("没有找到编号为") + QString::number(checkTypeId) +
                                QStringLiteral("的票据，请查看是否存在或被隐藏。"));
    if (listCheckTypeName->count() > 0)
        listCheckTypeName->setCurrentRow(qMax(0, selected));
}

void TfrmPrintOffset::loadParam() {
    if (listCheckTypeName->count() > 0 && !listCheckTypeName->currentItem())
        listCheckTypeName->setCurrentRow(0);
    const QListWidgetItem* item = listCheckTypeName->currentItem();
    TemplateWhole loaded;
    try {
        loaded = TemplateWhole::load(m_app.db(), item ? item->text() : QString());
    } catch (const core::DbError&) {
        return; // the boxes stay as they were
    }
    m_stored = loaded;
    m_autoSaved = false;
    if (!m_stored.found) {
        m_stored[F::XMove] = 0;
        m_stored[F::YMove] = 0;
    } else {
        setWindowTitle(m_stored.name);
        lbTypeName->setText(QStringLiteral("当前调整：") + m_stored.name);
    }
    showValues();
}

void TfrmPrintOffset::showValues() {
    m_showing = true;
    for (int f = 0; f < TemplateWhole::FieldCount; ++f) {
        const TemplateWhole::Range r = TemplateWhole::rangeFor(F(f), m_stored.values[f]);
        m_boxes[f]->setRange(r.min, r.max);
        m_boxes[f]->setValue(m_stored.values[f]);
    }
    (m_stored.landscape ? rdHX : rdZX)->setChecked(true);
    m_showing = false;
    updateLabels();
}

void TfrmPrintOffset::updateLabels() {
    lbMoveX->setText(centimetres(qAbs(m_boxes[F::XMove]->value())));
    lbMoveY->setText(centimetres(qAbs(m_boxes[F::YMove]->value())));
    lbWidth->setText(centimetres(m_boxes[F::PWidth]->value()));
    lbHeight->setText(centimetres(m_boxes[F::PHeight]->value()));
}

TemplateWhole TfrmPrintOffset::wanted() const {
    TemplateWhole w = m_stored;
    for (int f = 0; f < TemplateWhole::FieldCount; ++f)
        w.values[f] = m_boxes[f]->value();
    w.landscape = !rdZX->isChecked();
    return w;
}

void TfrmPrintOffset::autoSave(F field) {
    if (m_showing || !m_stored.found)
        return;
    const int value = m_boxes[field]->value();
    if (value == m_stored.values[field]) {
        setWindowTitle(kUnchanged);
        return;
    }
    try {
        TemplateWhole::saveField(m_app.db(), m_stored.id, field, value);
        m_stored.values[field] = value;
        m_autoSaved = true;
        setWindowTitle(kChanged);
    } catch (const core::DbError& e) {
        setWindowTitle(QStringLiteral("票据整体属性保存失败：") + e.message());
    }
}

void TfrmPrintOffset::btSaveMoveClick() {
    if (!m_stored.found) {
        m_app.dialogs().message(QStringLiteral("请选择要设置的票据类型！"));
        return;
    }
    const TemplateWhole want = wanted();
    try {
        const int written = TemplateWhole::saveChanges(m_app.db(), m_stored, want);
        m_stored = want;
        // Changes a box or an arrow already saved are saved changes all the same; the title says
        // what the message says, not what the last box or arrow did.
        const QString said = written > 0 || m_autoSaved ? kChanged : kUnchanged;
        m_autoSaved = false;
        setWindowTitle(said);
        m_app.dialogs().notice(said, QStringLiteral("提示"));
    } catch (const core::DbError& e) {
        const QString said = QStringLiteral("票据整体属性保存失败：") + e.message();
        setWindowTitle(said);
        m_app.dialogs().notice(said, QStringLiteral("提示"));
    }
}

void TfrmPrintOffset::moveBy(int dx, int dy) {
    if (!m_stored.found) {
        m_app.dialogs().message(QStringLiteral("请在左侧选择要设置的快递单据！"));
        return;
    }
    if (dx != 0) {
        m_boxes[F::XMove]->setValue(m_boxes[F::XMove]->value() + dx);
        autoSave(F::XMove);
    }
    if (dy != 0) {
        m_boxes[F::YMove]->setValue(m_boxes[F::YMove]->value() + dy);
        autoSave(F::YMove);
    }
}

void TfrmPrintOffset::btPreviewItClick() {
    Tfm_PrintPreview preview(m_app, currentId(), this);
    if (preview.isValid())
        preview.exec();
}

void TfrmPrintOffset::btPrintItemSetClick() {
    if (!m_openDesigner)
        return;
    if (currentId() > 0)
        m_app.currentCheckTypeId = currentId();
    m_openDesigner();
    close();
}

void TfrmPrintOffset::showFeedPicture(bool landscape) {
    if (!m_image) {
        m_image = new TfrmImageShow(m_app, nullptr);
        m_image->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_image->resize(400, 400);
    const QString file =
        landscape ? QStringLiteral("Image/sys_exHX.jpg") : QStringLiteral("Image/sys_exZX.jpg");
    if (m_image->loadPictureFile(m_app.pathOf(file)))
        m_image->show();
}

bool TfrmPrintOffset::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Period || key->text() == QLatin1String("."))
            return true;
    }
    if (event->type() == QEvent::MouseButtonDblClick) {
        for (F f : {F::TWidth, F::THeight}) {
            QSpinBox* box = m_boxes[f];
            if (watched == box || watched == box->findChild<QLineEdit*>()) {
                box->setReadOnly(!box->isReadOnly());
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmPrintOffset::closeEvent(QCloseEvent* event) {
    core::ui::FormFace::save(m_app.userIni(), *this);
    if (m_image)
        m_image->close();
    QDialog::closeEvent(event);
}

} // namespace templates::ui
