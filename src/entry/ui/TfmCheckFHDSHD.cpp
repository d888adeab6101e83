#include "entry/ui/TfmCheckFHDSHD.h"

#include "core/AppContext.h"
#include "core/IniFile.h"
#include "core/ProgramFolder.h"
#include "core/TemplateStore.h"
#include "entry/EntryOptions.h"
#include "entry/MoneyText.h"
#include "entry/NoteText.h"
#include "entry/WindowPosition.h"
#include "entry/ui/NoteCommands.h"
#include "entry/ui/NoteEditing.h"
#include "entry/ui/OptionBar.h"
#include "entry/ui/ProductPicker.h"
#include "masterdata/TPerson.h"
#include "masterdata/ui/TfrmNoConfig.h"
#include "masterdata/ui/Tfrm_GoodsManage.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QStyle>
#include <QTabBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>

namespace entry::ui {

namespace {

const QString kManagerTab = QStringLiteral("配置常用模板");
const QString kNotYet = QStringLiteral("此功能尚未提供");
// Colour of the tick items: the light red 12171775 of the stored form definitions (BGR).
const QColor kTickColour(0xFF, 0xB9, 0xB9);

} // namespace

// Hands every event of the program to the window, which picks its keys and the area's resizes.
class TfmCheckFHDSHD::AppEvents final : public QObject {
public:
    explicit AppEvents(std::function<bool(QObject*, QEvent*)> handler) : m_handler(std::move(handler)) {}
    bool eventFilter(QObject* watched, QEvent* event) override { return m_handler(watched, event); }

private:
    std::function<bool(QObject*, QEvent*)> m_handler;
};

TfmCheckFHDSHD::TfmCheckFHDSHD(core::AppContext& app, EntryHost& host, QWidget* parent)
    : QWidget(parent), m_app(app), m_host(host), m_lookups(app), m_placement(app), m_store(app.db()),
      m_money([this](const QString& name) { return m_lookups.getMoneyCodeByName(name); }),
      m_printer(app, host.printDevice(), this) {
    setObjectName(QStringLiteral("fmCheckFHDSHD"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    buildToolBar();
    buildTabPanel();
    buildImagePanel();
    layout->addWidget(toolBarCheck);
    layout->addWidget(panelTab);
    layout->addWidget(panelCheckArea, 1);
    // The options stay below the form, outside its scrolling: on a small screen the form
    // scrolls and both option rows remain whole above the main window's status bar.
    layout->addWidget(m_shortbar);
    connectHandlers();
    attachEditing();
    updateHostCommands();
    // The window's keys and the size of the main window's area are watched program-wide.
    m_appEvents = new AppEvents([this](QObject* watched, QEvent* event) { return appEvent(watched, event); });
    qApp->installEventFilter(m_appEvents);
    FormCreate();
}

TfmCheckFHDSHD::~TfmCheckFHDSHD() {
    // Destroying the boxes moves the focus out of them; no rule may run on half a window.
    m_tearingDown = true;
    delete m_appEvents;
    delete m_commands;
    delete m_picker;
    delete m_editing;
    m_app.currentCheckTypeId = -1;
}

// ---------------------------------------------------------------- construction

QToolButton* TfmCheckFHDSHD::addToolButton(const QString& name, const QString& caption,
                                           void (TfmCheckFHDSHD::*handler)()) {
    auto* button = new QToolButton(toolBarCheck);
    button->setObjectName(name);
    button->setText(caption);
    button->setAutoRaise(true);
    toolBarCheck->layout()->addWidget(button);
    m_toolButtons << button;
    if (handler)
        connect(button, &QToolButton::clicked, this, handler);
    return button;
}

QToolButton* TfmCheckFHDSHD::addPendingButton(const QString& name, const QString& caption) {
    QToolButton* button = addToolButton(name, caption, nullptr);
    button->setEnabled(false);
    button->setToolTip(kNotYet);
    return button;
}

QToolButton* TfmCheckFHDSHD::addHostButton(const QString& name, const QString& caption,
                                           EntryHost::Command command, void (TfmCheckFHDSHD::*handler)()) {
    QToolButton* button = addToolButton(name, caption, handler);
    m_hostButtons.append({button, command});
    return button;
}

void TfmCheckFHDSHD::updateHostCommands() {
    // The main window wires its commands as their windows come; ask again at every showing.
    for (const auto& [button, command] : m_hostButtons) {
        const bool offered = m_host.offers(command);
        button->setEnabled(offered);
        button->setToolTip(offered ? QString() : kNotYet);
    }
    const int manager = tbcCheckTypeName->count() - 1;
    if (manager >= 0 && tbcCheckTypeName->tabText(manager) == kManagerTab) {
        const bool offered = m_host.offers(EntryHost::Command::TemplateManager);
        tbcCheckTypeName->setTabEnabled(manager, offered);
        tbcCheckTypeName->setTabToolTip(manager, offered ? QString() : kNotYet);
    }
}

void TfmCheckFHDSHD::buildToolBar() {
    toolBarCheck = new QFrame(this);
    toolBarCheck->setObjectName(QStringLiteral("toolBarCheck"));
    toolBarCheck->setFrameShape(QFrame::StyledPanel);
    auto* row = new QHBoxLayout(toolBarCheck);
    row->setContentsMargins(2, 1, 2, 1);
    row->setSpacing(1);
    QStyle* s = style();
    // The note's own commands (new, save, print, copy) are connected by NoteCommands.
    addToolButton(QStringLiteral("btNew"), QStringLiteral("新建(&N)"), nullptr)
        ->setIcon(s->standardIcon(QStyle::SP_FileIcon));
    addToolButton(QStringLiteral("btSave"), QStringLiteral("保存(&S)"), nullptr)
        ->setIcon(s->standardIcon(QStyle::SP_DialogSaveButton));
    addHostButton(QStringLiteral("btOpen"), QStringLiteral("打开(&O)"), EntryHost::Command::History,
                  &TfmCheckFHDSHD::btOpenClick)
        ->setIcon(s->standardIcon(QStyle::SP_DialogOpenButton));
    addToolButton(QStringLiteral("btPrint1"), QStringLiteral("打印(&P)"), nullptr)
        ->setIcon(s->standardIcon(QStyle::SP_FileDialogDetailedView));
    addToolButton(QStringLiteral("btPrintAndSave"), QStringLiteral("保存并打印"), nullptr)
        ->setIcon(s->standardIcon(QStyle::SP_DialogApplyButton));
    addToolButton(QStringLiteral("btMultiPrintF"), QStringLiteral("重复打印"), nullptr)->hide();
    QToolButton* sendCopy =
        addToolButton(QStringLiteral("btSendCopy"), QStringLiteral("发送给客户"), nullptr);
    sendCopy->setToolTip(QStringLiteral("把保存过的出货单连同底图存成图片或 PDF，并复制到剪贴板"));
    sendCopy->setIcon(s->standardIcon(QStyle::SP_DialogYesButton));
    sendCopy->setEnabled(false);
    btMultiPrintS = addPendingButton(QStringLiteral("btMultiPrintS"), QStringLiteral("批量打印"));
    btMultiPrintS->setIcon(s->standardIcon(QStyle::SP_MediaSeekForward));
    btMultiPrintS->hide();
    connect(btMultiPrintS, &QToolButton::clicked, this, [this] {
        if (m_openBatch)
            m_openBatch();
    });
    QToolButton* saveAs = addToolButton(QStringLiteral("btSaveAs"), QStringLiteral("复制(&C)"), nullptr);
    saveAs->setToolTip(QStringLiteral("将保存过的单据复制为一张新单~"));
    saveAs->setIcon(s->standardIcon(QStyle::SP_FileLinkIcon));
    saveAs->hide();
    btSaveSKRen = addPendingButton(QStringLiteral("btSaveSKRen"), QStringLiteral("保存客户"));
    btSaveSKRen->setIcon(s->standardIcon(QStyle::SP_DirHomeIcon));
    connect(btSaveSKRen, &QToolButton::clicked, this, &TfmCheckFHDSHD::btSaveSKRenClick);
    btPaste = addPendingButton(QStringLiteral("btPaste"), QStringLiteral("地址串识别 &w"));
    btPaste->setIcon(s->standardIcon(QStyle::SP_FileDialogContentsView));
    connect(btPaste, &QToolButton::clicked, this, &TfmCheckFHDSHD::btPasteClick);
    addHostButton(QStringLiteral("btMoveXY"), QStringLiteral("整体偏移"), EntryHost::Command::Offsets,
                  &TfmCheckFHDSHD::btMoveXYClick)
        ->setIcon(s->standardIcon(QStyle::SP_ArrowRight));
    addHostButton(QStringLiteral("btDesign"), QStringLiteral("设计模式"), EntryHost::Command::Designer,
                  &TfmCheckFHDSHD::btDesignClick)
        ->setIcon(s->standardIcon(QStyle::SP_FileDialogListView));
    addHostButton(QStringLiteral("btTestPage"), QStringLiteral("打印测试页"), EntryHost::Command::TestPage,
                  &TfmCheckFHDSHD::btTestPageClick)
        ->setIcon(s->standardIcon(QStyle::SP_FileDialogInfoView));
    btUpOrDown =
        addToolButton(QStringLiteral("btUpOrDown"), QStringLiteral("下"), &TfmCheckFHDSHD::btUpOrDownClick);
    btUpOrDown->setIcon(s->standardIcon(QStyle::SP_ArrowDown));
    addToolButton(QStringLiteral("btClose"), QStringLiteral("关闭&C"), &TfmCheckFHDSHD::btCloseClick)
        ->setIcon(s->standardIcon(QStyle::SP_DialogCloseButton));
    row->addStretch();
    placeToolBar(true);
    toolBarCheck->setFixedHeight(toolBarCheck->sizeHint().height());
}

void TfmCheckFHDSHD::setAddressRecogniser(AddressRecogniser open) {
    m_addressRecogniser = std::move(open);
    btPaste->setEnabled(bool(m_addressRecogniser));
    btPaste->setToolTip(m_addressRecogniser ? QString() : kNotYet);
}

void TfmCheckFHDSHD::btPasteClick() {
    if (!m_addressRecogniser)
        return;
    const std::unique_ptr<masterdata::TPerson> person = m_addressRecogniser();
    m_editing->setCustomer(person.get());
}

void TfmCheckFHDSHD::setAddressBook(CustomerPicker pick, PartySaver save) {
    m_editing->fetchCustomer = std::move(pick);
    m_boxes->shpSKR->setToolTip(m_editing->fetchCustomer ? QStringLiteral("点击选取收款单位") : kNotYet);
    m_saveParty = std::move(save);
    btSaveSKRen->setEnabled(bool(m_saveParty));
    btSaveSKRen->setToolTip(m_saveParty ? QString() : kNotYet);
}

bool TfmCheckFHDSHD::confirmDiscard(const QString& action) {
    return m_commands->confirmDiscard(action);
}

void TfmCheckFHDSHD::setBatchRunning(bool running, bool filled) {
    m_batchRunning = running;
    if (!running && filled && m_commands)
        m_commands->markClean();
}

void TfmCheckFHDSHD::setBatchPrinting(std::function<void()> open) {
    m_openBatch = std::move(open);
    btMultiPrintS->setEnabled(bool(m_openBatch));
    btMultiPrintS->setToolTip(m_openBatch ? QString() : kNotYet);
}

masterdata::TPerson TfmCheckFHDSHD::customerRecord() const {
    masterdata::TPerson r;
    const QString name = m_editing->text(QStringLiteral("zdGKMC"));
    r.setFullName(name == NoteText::kCustomerPlaceholder ? QString() : name);
    r.setUnitType(QStringLiteral("往来单位"));
    // The other customer boxes go along, so the edit form shows what the clerk typed.
    r.setContact(m_editing->text(QStringLiteral("zdGKLXR")));
    r.setAddress(m_editing->text(QStringLiteral("zdGKAddr")));
    const bool phoneShown = m_editing->isShown(QStringLiteral("zdGKPhone"));
    const bool handsetShown = m_editing->isShown(QStringLiteral("zdGKHandset"));
    if (phoneShown && handsetShown) {
        r.setPhone(m_editing->text(QStringLiteral("zdGKPhone")));
        r.setMobile(m_editing->text(QStringLiteral("zdGKHandset")));
    } else if (phoneShown || handsetShown) {
        // One box holds both numbers, mobile first, as picking a customer wrote them.
        const QString both =
            m_editing->text(phoneShown ? QStringLiteral("zdGKPhone") : QStringLiteral("zdGKHandset"));
        const qsizetype cut = both.indexOf(QLatin1Char('\\'));
        if (cut < 0 && phoneShown) {
            r.setPhone(both);
        } else if (cut < 0) {
            r.setMobile(both);
        } else {
            r.setMobile(both.left(cut));
            r.setPhone(both.mid(cut + 1));
        }
    }
    return r;
}

void TfmCheckFHDSHD::btSaveSKRenClick() {
    if (m_editing->text(QStringLiteral("zdGKMC")) == NoteText::kCustomerPlaceholder)
        m_editing->setText(QStringLiteral("zdGKMC"), QString());
    if (!m_saveParty)
        return;
    m_saveParty(customerRecord());
    // The customer list is read when the box is entered with an empty list: empty it, so a unit
    // saved just now is offered from then on.
    const QString typed = m_boxes->zdGKMC->currentText();
    const QSignalBlocker quiet(m_boxes->zdGKMC);
    m_boxes->zdGKMC->clear();
    m_boxes->zdGKMC->setEditText(typed);
}

void TfmCheckFHDSHD::buildTabPanel() {
    panelTab = new QWidget(this);
    panelTab->setObjectName(QStringLiteral("panelTab"));
    auto* row = new QHBoxLayout(panelTab);
    row->setContentsMargins(2, 1, 2, 1);
    tbcCheckTypeName = new QTabBar(panelTab);
    tbcCheckTypeName->setObjectName(QStringLiteral("tbcCheckTypeName"));
    tbcCheckTypeName->setExpanding(false);
    cbFirstTypeName = new QComboBox(panelTab);
    cbFirstTypeName->setObjectName(QStringLiteral("cbFirstTypeName"));
    cbFirstTypeName->setMinimumWidth(160);
    row->addWidget(tbcCheckTypeName, 1);
    row->addWidget(cbFirstTypeName);
    // An empty tab bar asks for no height; measure the panel with one tab so the tabs fit later.
    tbcCheckTypeName->addTab(kManagerTab);
    panelTab->setFixedHeight(panelTab->sizeHint().height());
    tbcCheckTypeName->removeTab(0);
}

void TfmCheckFHDSHD::buildImagePanel() {
    panelCheckArea = new QScrollArea(this);
    panelCheckArea->setObjectName(QStringLiteral("panelCheckArea"));
    panelCheckArea->setFrameShape(QFrame::NoFrame);
    panelCheckArea->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    panelImgBg = new QWidget;
    panelImgBg->setObjectName(QStringLiteral("panelImgBg"));
    bgImage = new QLabel(panelImgBg);
    bgImage->setObjectName(QStringLiteral("bgImage"));
    bgImage->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_shortbar = new OptionBar(this);
    m_boxes = std::make_unique<BillBoxes>(panelImgBg);
    bgImage->lower();
    panelCheckArea->setWidget(panelImgBg);
}

void TfmCheckFHDSHD::connectHandlers() {
    BillBoxes& b = *m_boxes;
    for (const GoodsLine& line : b.lines) {
        line.zdJE->installEventFilter(this);
        line.zdJEXX->installEventFilter(this);
    }
    for (QObject* watched : {static_cast<QObject*>(b.inputJEXX), static_cast<QObject*>(b.zdJEDX),
                             static_cast<QObject*>(b.zdHJJE), static_cast<QObject*>(cbFirstTypeName),
                             static_cast<QObject*>(bgImage), static_cast<QObject*>(panelImgBg)})
        watched->installEventFilter(this);
    connect(b.zdHJJEXX, &QLineEdit::textChanged, this, &TfmCheckFHDSHD::zdHJJEXXChange);

    const struct {
        const char* name;
        void (TfmCheckFHDSHD::*handler)();
    } clicks[] = {
        {"cfgWantPrintRQ", &TfmCheckFHDSHD::cfgWantPrintRQClick},
        {"cfgPrintPriceJE", &TfmCheckFHDSHD::cfgWantPrintRQClick},
        {"cfgJEDXFormatNoStandard", &TfmCheckFHDSHD::cfgJEDXFormatNoStandardClick},
        {"cfgJEDXRMBChecked", &TfmCheckFHDSHD::WantPrintRMBHBFHClick},
        {"cfgHJJEXXWithYuan", &TfmCheckFHDSHD::cfgHJJEXXWithYuanClick},
        {"cfgHJJENeedQianFF", &TfmCheckFHDSHD::cfgHJJENeedQianFFClick},
        {"cfgTotalJEWithSheep", &TfmCheckFHDSHD::cfgTotalJEWithSheepClick},
        {"cfgJEXXNeedQianFF", &TfmCheckFHDSHD::cfgJEXXNeedQianFFClick},
        {"cfgJENeedSheep", &TfmCheckFHDSHD::cfgJENeedSheepClick},
    };
    for (const auto& click : clicks)
        connect(m_shortbar->check(QLatin1String(click.name)), &QCheckBox::clicked, this, click.handler);
    connect(m_shortbar->list(QStringLiteral("cfgJEDXFormat")), &QComboBox::activated, this,
            &TfmCheckFHDSHD::cfgJEDXFormatChange);
    connect(m_shortbar->cfgMoneyType(), &QComboBox::activated, this, &TfmCheckFHDSHD::cfgMoneyTypeChange);
    m_shortbar->cfgMoneyType()->installEventFilter(this);
    connect(m_shortbar->btRemember(), &QPushButton::clicked, this, &TfmCheckFHDSHD::btRememberClick);
    connect(cbFirstTypeName, &QComboBox::activated, this,
            [this] { switchTemplate(cbFirstTypeName->currentText()); });
    connect(tbcCheckTypeName, &QTabBar::currentChanged, this, &TfmCheckFHDSHD::tbcCheckTypeNameChange);
    // A click on the tab that is already current changes nothing in the tab bar, yet the user
    // asks for its variant (the tab may have stayed current while the list chose another one).
    connect(tbcCheckTypeName, &QTabBar::tabBarClicked, this, [this](int index) {
        if (index >= 0 && index == tbcCheckTypeName->currentIndex())
            tbcCheckTypeNameChange(index);
    });
}

void TfmCheckFHDSHD::attachEditing() {
    // The editing rules watch the dates, the date format, the quantities and the customer list.
    m_editing = new NoteEditing(m_app, *this, this);
    m_editing->openNumberRules = [this](int templateId, const QString& caption) {
        masterdata::ui::TfrmNoConfig rules(m_app, templateId, this);
        rules.setWindowTitle(caption);
        rules.exec();
    };
    m_editing->attach();
    // Until the program hands in the address book the square picks nothing.
    m_boxes->shpSKR->setToolTip(kNotYet);

    m_picker = new ProductPicker(m_app, m_host.grids(), *m_editing, panelCheckArea);
    m_picker->manageProducts = [this] { masterdata::ui::openGoodsManage(m_app, m_host.grids(), this); };
    m_picker->attach();

    m_commands = new NoteCommands(m_app, *this, *m_editing, m_printer, this);
    m_commands->attach();
}

void TfmCheckFHDSHD::FormCreate() {
    for (QLabel* cell : m_boxes->digitCells)
        cell->clear();
    m_shortbar->cfgMoneyType()->addItems(m_lookups.loadMoneyTypeList());

    const int id = m_app.templates().loadDefaultCheckTypeId(kind());
    if (id <= 0) {
        QMetaObject::invokeMethod(
            this, [this] { frameWidget()->close(); }, Qt::QueuedConnection);
        return;
    }
    const QString variant = m_app.templates().loadCheckTypeLastNameByID(id);
    m_app.currentCheckTypeId = id;
    if (cbFirstTypeName->count() == 0)
        reloadTypeNameList();
    // The default template opens even when it is disabled, so the list must offer its variant.
    if (cbFirstTypeName->findText(variant) < 0) {
        const QSignalBlocker blocker(cbFirstTypeName);
        cbFirstTypeName->addItem(variant);
    }
    m_currentId = id;
    setCurrentCheckType(variant);
    m_laidOutId = 0;
    cbFirstTypeNameChange();
    fillTabs();
}

void TfmCheckFHDSHD::fillTabs() {
    const QSignalBlocker blocker(tbcCheckTypeName);
    while (tbcCheckTypeName->count() > 0)
        tbcCheckTypeName->removeTab(0);
    for (const QString& variant : m_app.templates().loadCommonTypeLastNameList(kind()))
        tbcCheckTypeName->addTab(variant);
    tbcCheckTypeName->addTab(kManagerTab);
    updateHostCommands();
    setCurrentCheckType(cbFirstTypeName->currentText());
}

// ---------------------------------------------------------------- showing and closing

QWidget* TfmCheckFHDSHD::frameWidget() {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        return sub;
    return this;
}

void TfmCheckFHDSHD::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Once per opening: a window restored from minimised keeps its dates, place and tool bar.
    if (!event->spontaneous() && !m_formShown) {
        m_formShown = true;
        FormShow();
    }
}

void TfmCheckFHDSHD::FormShow() {
    const QDateTime now = QDateTime::currentDateTime();
    m_boxes->SelDate->setDateTime(now);
    m_boxes->SelDateOrder->setDateTime(now);
    m_editing->refreshDates();
    const WindowPosition position = WindowPosition::load(m_app.userIni());
    frameWidget()->move(position.x, position.y);
    placeToolBar(position.barAtTop);
    updateHostCommands();
    m_host.setBackgroundMenuEnabled(false);
    m_host.formFaceLoad(*this);
    fitIntoArea();
    m_commands->markClean();
}

void TfmCheckFHDSHD::closeEvent(QCloseEvent* event) {
    if (m_batchRunning) {
        m_app.dialogs().message(
            QStringLiteral("正在批量打印，请先在批量打印窗口点击【中止】，再关闭填单窗口~"));
        event->ignore();
        return;
    }
    if (!m_closed && !m_commands->confirmDiscard()) {
        event->ignore();
        return;
    }
    if (!m_closed) {
        m_closed = true;
        m_host.setBackgroundMenuEnabled(true);
        WindowPosition position;
        position.x = frameWidget()->x();
        position.y = frameWidget()->y();
        position.barAtTop = m_barAtTop;
        position.save(m_app.userIni());
        m_host.formFaceSave(*this);
    }
    event->accept();
}

void TfmCheckFHDSHD::fitIntoArea() {
    QWidget* frame = frameWidget();
    QWidget* area = frame == this ? nullptr : frame->parentWidget();
    if (!area) {
        resize(m_fullSize);
        return;
    }
    // The sub-window follows the form, so a smaller form leaves no empty band around it; on a
    // small screen it stays inside the area, so neither the option bar nor a tool bar at the
    // bottom ends up under the main window's status bar. The frame's margins (title bar and
    // border) are known even before it has been laid out.
    const QMargins frameMargins = frame->contentsMargins();
    const QSize margins(frameMargins.left() + frameMargins.right(),
                        frameMargins.top() + frameMargins.bottom());
    const QSize room = area->size() - margins;
    QSize wanted = m_fullSize;
    if (wanted.height() > room.height()) {
        wanted.setHeight(std::max(room.height(), minimumHeight()));
        wanted.rwidth() += style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    }
    wanted.setWidth(std::max(std::min(wanted.width(), room.width()), minimumWidth()));
    frame->resize(wanted + margins);
    const QPoint at(std::clamp(frame->x(), 0, std::max(0, area->width() - frame->width())),
                    std::clamp(frame->y(), 0, std::max(0, area->height() - frame->height())));
    frame->move(at);
}

void TfmCheckFHDSHD::btCloseClick() {
    frameWidget()->close();
}

void TfmCheckFHDSHD::placeToolBar(bool atTop) {
    m_barAtTop = atTop;
    auto* column = qobject_cast<QVBoxLayout*>(layout());
    column->removeWidget(toolBarCheck);
    column->insertWidget(atTop ? 0 : column->count(), toolBarCheck);
    for (QToolButton* button : m_toolButtons)
        button->setToolButtonStyle(atTop ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonTextBesideIcon);
    btUpOrDown->setText(atTop ? QStringLiteral("下") : QStringLiteral("上"));
    btUpOrDown->setIcon(style()->standardIcon(atTop ? QStyle::SP_ArrowDown : QStyle::SP_ArrowUp));
}

void TfmCheckFHDSHD::btUpOrDownClick() {
    placeToolBar(!m_barAtTop);
}

// ---------------------------------------------------------------- template binding

void TfmCheckFHDSHD::reloadTypeNameList() {
    const QString shown = cbFirstTypeName->currentText();
    const QSignalBlocker blocker(cbFirstTypeName);
    cbFirstTypeName->clear();
    cbFirstTypeName->addItems(m_app.templates().loadCheckTypeLastNameList(kind()));
    cbFirstTypeName->setCurrentIndex(cbFirstTypeName->findText(shown));
}

void TfmCheckFHDSHD::templatesChanged() {
    reloadTypeNameList();
    // A renamed template stays on screen under its new name; a disabled one stays offered, as
    // at opening. A deleted one stays shown until another is chosen.
    const QString variant = m_app.templates().loadCheckTypeLastNameByID(m_currentId);
    if (!variant.isEmpty()) {
        const QSignalBlocker blocker(cbFirstTypeName);
        if (cbFirstTypeName->findText(variant) < 0)
            cbFirstTypeName->addItem(variant);
        cbFirstTypeName->setCurrentIndex(cbFirstTypeName->findText(variant));
    }
    fillTabs();
}

void TfmCheckFHDSHD::unitsChanged() {
    m_editing->reloadCustomerList();
}

bool TfmCheckFHDSHD::setCurrentCheckType(const QString& variant) {
    const bool alreadyShown = cbFirstTypeName->currentText() == variant;
    const int index = cbFirstTypeName->findText(variant);
    if (index >= 0) {
        const QSignalBlocker blocker(cbFirstTypeName);
        cbFirstTypeName->setCurrentIndex(index);
    }
    const QSignalBlocker blocker(tbcCheckTypeName);
    for (int i = 0; i < tbcCheckTypeName->count(); ++i)
        if (tbcCheckTypeName->tabText(i) == variant)
            tbcCheckTypeName->setCurrentIndex(i);
    return !alreadyShown && index >= 0;
}

void TfmCheckFHDSHD::cbFirstTypeNameChange() {
    const QString variant = cbFirstTypeName->currentText();
    m_currentId = m_app.templates().loadCheckTypeIDByFirstAndLastName(kind(), variant);
    initFormType();
    setWindowTitle(QStringLiteral("出货单（") + variant + QStringLiteral("）-ID=") + m_boxes->zdPJBH->text());
    m_app.currentCheckTypeId = m_currentId;
    setCurrentCheckType(variant);
    m_shownVariant = variant;
}

void TfmCheckFHDSHD::switchTemplate(const QString& variant) {
    const QString previous = m_shownVariant;
    if (variant == previous)
        return;
    commitPendingTotal();
    QList<int> typed;
    for (int n = 1; n <= NoteEditing::kLines; ++n)
        if (m_editing->isShown(NoteEditing::lineBox("zdSFNR", n)) && m_editing->lineHoldsValues(n))
            typed << n;
    setCurrentCheckType(variant);
    cbFirstTypeNameChange();
    QStringList dropped;
    QList<int> hidden;
    for (const int n : std::as_const(typed))
        if (!m_editing->isShown(NoteEditing::lineBox("zdSFNR", n))) {
            hidden << n;
            dropped << QString::number(n);
        }
    if (hidden.isEmpty())
        return;
    const bool agreed = m_app.dialogs().ask(
        QStringLiteral("模板(") + variant + QStringLiteral(")不显示已填写的第") +
            dropped.join(QStringLiteral("、")) + QStringLiteral("行货物（共") +
            QString::number(hidden.size()) +
            QStringLiteral("行），切换后这些行将被清除，不会保存也不会打印。确定要切换模板吗？"),
        QStringLiteral("确认"));
    if (agreed) {
        for (const int n : std::as_const(hidden))
            m_editing->clearLine(n);
        zdJEXX1Exit(1);
        return;
    }
    // Back to the template the lines were typed on; its boxes still hold them.
    setCurrentCheckType(previous);
    cbFirstTypeNameChange();
}

void TfmCheckFHDSHD::tbcCheckTypeNameChange(int index) {
    if (index < 0)
        return;
    commitPendingTotal();
    const QString text = tbcCheckTypeName->tabText(index);
    if (text == kManagerTab) {
        m_app.currentCheckTypeId = m_currentId;
        m_host.run(EntryHost::Command::TemplateManager);
        setCurrentCheckType(cbFirstTypeName->currentText());
        return;
    }
    // The tab of the variant on screen asks for nothing new (it may be clicked while current).
    if (text == cbFirstTypeName->currentText())
        return;
    if (cbFirstTypeName->findText(text) >= 0)
        switchTemplate(text);
    else
        m_app.dialogs().message(
            QStringLiteral("模板(") + text +
            QStringLiteral(")不存在或被重命名了，请关闭填单界面并重新填开,以刷新模板列表！"));
}

void TfmCheckFHDSHD::initFormType() {
    // Without a template there is nothing to open or place.
    if (m_currentId <= 0)
        return;
    m_ini.reset();
    m_ini = m_app.templates().OpenCheckInif(m_currentId);
    m_tag = m_currentId;
    if (m_currentId == m_laidOutId)
        return;
    loadParam(m_currentId);
    loadCheckBoxsConfig();
    // The tool bar's buttons that are items too (批量打印) stay where the tool bar puts them.
    m_placement.setFormControlsPosition(m_currentId, kind(), this, m_ini.get(), panelImgBg);
    // Placing shows the date boxes of the layout; an unticked "打日期" keeps them hidden.
    cfgWantPrintRQClick();
    m_laidOutId = m_currentId;
    zdJEXX1Exit(1);
}

void TfmCheckFHDSHD::reloadTemplate() {
    if (m_currentId <= 0)
        return;
    m_app.templates().buildCheckIniFile(m_currentId);
    m_laidOutId = 0;
    initFormType();
}

void TfmCheckFHDSHD::loadParam(int id) {
    const std::optional<TemplateFace> face = m_store.loadTemplateFace(id);
    if (!face)
        return;
    loadCheckBox(face->checkBoxes);
    const int barHeight = m_shortbar->sizeHint().height();
    bgImage->setGeometry(0, 0, face->width, face->height);
    panelImgBg->resize(face->width, face->height);
    // The sub-window's title bar and borders come on top (fitIntoArea), so the height is the
    // content's alone: any slack here is an empty band under the option bar, and on a 768-pixel
    // screen it is what pushes the form into scrolling.
    m_fullSize =
        QSize(face->width + 8, face->height + panelTab->height() + toolBarCheck->height() + barHeight);
    // Below the full size the form scrolls (the option bar stays); beside a vertical scroll bar
    // it may be that much wider.
    setMinimumSize(
        std::min(m_fullSize.width(), 320),
        std::min(m_fullSize.height(), panelTab->height() + toolBarCheck->height() + barHeight + 120));
    setMaximumSize(m_fullSize + QSize(style()->pixelMetric(QStyle::PM_ScrollBarExtent), 0));
    fitIntoArea();
    const QString file = face->imageFile.isEmpty() ? QStringLiteral("dhd_default.jpg") : face->imageFile;
    const QPixmap picture(core::ProgramFolder::existingPath(m_app.pathOf(QStringLiteral("Image/") + file)));
    if (!picture.isNull())
        bgImage->setPixmap(picture);
}

void TfmCheckFHDSHD::loadCheckBox(const QString& captions) {
    QStringList parts = captions.split(QLatin1Char(','));
    parts.last() = parts.last().trimmed();
    m_tickItems.clear();
    for (int i = 0; i < parts.size(); ++i) {
        const QString name = QStringLiteral("defCheck%1").arg(i);
        auto* box = qobject_cast<QCheckBox*>(core::ui::FormPlacement::findControl(this, name));
        if (!box) {
            box = new QCheckBox(panelImgBg);
            box->setObjectName(name);
        }
        box->setParent(panelImgBg);
        box->setText(parts[i]);
        box->setToolTip(parts[i]);
        QPalette palette = box->palette();
        palette.setColor(QPalette::Window, kTickColour);
        box->setPalette(palette);
        box->setAutoFillBackground(true);
        box->move(i * 20, i * 30);
        box->hide();
        m_tickItems << box;
    }
}

void TfmCheckFHDSHD::loadCheckBoxsConfig() {
    for (const OptionDef& option : EntryOptions::table()) {
        const QString stored = core::TemplateStore::getInifCheckConfigByName(m_ini.get(), option.name);
        if (option.kind == OptionDef::Check) {
            m_shortbar->check(option.name)->setChecked(EntryOptions::isOn(stored, option.defaultOn));
            continue;
        }
        QComboBox* list = m_shortbar->list(option.name);
        QStringList items;
        for (int i = 0; i < list->count(); ++i)
            items << list->itemText(i);
        int index = EntryOptions::matchItem(items, stored);
        if (index < 0 && option.name == QLatin1String("cfgJEDXFormat"))
            index = EntryOptions::matchItem(items, EntryOptions::defaultCapitalFormat());
        list->setCurrentIndex(index);
    }
    setMoneyName(core::TemplateStore::getInifCheckConfigByName(m_ini.get(), EntryOptions::moneyKey()));
    m_editing->refreshDates();
    setJEXX(m_boxes->inputJEXX->text());
}

QString TfmCheckFHDSHD::getItemCheckTitle() const {
    QStringList ticked;
    for (const QCheckBox* box : m_tickItems)
        if (box->isChecked())
            ticked << box->text();
    return ticked.join(QLatin1Char(','));
}

void TfmCheckFHDSHD::setItemCheckTitle(const QString& captions) {
    if (captions.isEmpty())
        for (QCheckBox* box : m_tickItems)
            box->setChecked(false);
    const QStringList wanted = captions.split(QLatin1Char(','));
    for (QCheckBox* box : m_tickItems)
        if (wanted.contains(box->text()))
            box->setChecked(true);
}

void TfmCheckFHDSHD::btRememberClick() {
    rememberOptions(true);
}

void TfmCheckFHDSHD::rememberOptions(bool fromButton) {
    core::TemplateStore& store = m_app.templates();
    for (const OptionDef& option : EntryOptions::table()) {
        const QString value =
            option.kind == OptionDef::Check
                ? (m_shortbar->isChecked(option.name) ? QStringLiteral("1") : QStringLiteral("0"))
                : m_shortbar->list(option.name)->currentText();
        store.setCheckConfigByName(m_currentId, option.name, value);
    }
    const QString money = m_shortbar->cfgMoneyType()->currentText();
    if (!money.isEmpty())
        store.setCheckConfigByName(m_currentId, EntryOptions::moneyKey(), money);
    if (fromButton)
        m_app.dialogs().message(QStringLiteral("打印勾选及选项已记住！"));
    store.buildCheckIniFile(m_currentId);
    m_ini.reset();
    m_ini = store.OpenCheckInif(m_currentId);
}

QString TfmCheckFHDSHD::variant() const {
    return cbFirstTypeName->currentText();
}

bool TfmCheckFHDSHD::selectVariant(const QString& variant) {
    if (cbFirstTypeName->findText(variant) < 0) {
        // A saved note may name a template that has been disabled since: it still opens.
        if (m_app.templates().loadCheckTypeIDByFirstAndLastName(kind(), variant) <= 0)
            return false;
        const QSignalBlocker blocker(cbFirstTypeName);
        cbFirstTypeName->addItem(variant);
    }
    setCurrentCheckType(variant);
    m_laidOutId = 0;
    cbFirstTypeNameChange();
    return true;
}

// ---------------------------------------------------------------- money texts

void TfmCheckFHDSHD::commitTypedTotal(const QString& total) {
    m_boxes->inputJEXX->setText(total);
    inputJEXXExit();
}

void TfmCheckFHDSHD::setCurrency(const QString& name) {
    setMoneyName(name);
    refreshAllLines();
    reformatTotal();
}

QString TfmCheckFHDSHD::getMoneyCode() {
    if (!m_money.hasMoneyCode())
        setMoneyName(m_money.currencyName());
    return m_money.moneyCode();
}

void TfmCheckFHDSHD::setMoneyName(const QString& name) {
    m_money.setMoneyName(name);
    QComboBox* list = m_shortbar->cfgMoneyType();
    const int index = list->findText(m_money.currencyName());
    if (index >= 0) {
        const QSignalBlocker blocker(list);
        list->setCurrentIndex(index);
    }
}

bool TfmCheckFHDSHD::setJEXX(const QString& total, BillMoney::Sum sum) {
    const MoneyOptions options = m_shortbar->moneyOptions();
    const QString code = options.totalWithSymbol ? getMoneyCode() : QString();
    return applyTotal(m_money.total(total, options, code, sum));
}

bool TfmCheckFHDSHD::applyTotal(const TotalTexts& texts) {
    BillBoxes& b = *m_boxes;
    if (texts.outcome == TotalTexts::Repeated)
        return true;
    if (texts.outcome == TotalTexts::Refused) {
        m_app.dialogs().alert(texts.message, BillMoney::messageCaption(), false);
        return false;
    }
    // The change handler of zdHJJEXX is for totals coming from outside (a reloaded note); the
    // total's own write must not run the rule a second time and overwrite its memo.
    m_writingTotal = true;
    b.zdHJJEXX->setText(texts.lowerCase);
    m_writingTotal = false;
    if (texts.zero) {
        b.inputJEXX->clear();
        b.zdJEDX->clear();
        b.zdHJJE->clear();
        WriteToJEGrid(texts.digits);
        return true;
    }
    b.zdHJJE->setText(texts.display);
    WriteToJEGrid(texts.digits);
    b.zdJEDX->setText(texts.capitals);
    return true;
}

void TfmCheckFHDSHD::WriteToJEGrid(const QStringList& digits) {
    for (int i = 0; i < m_boxes->digitCells.size(); ++i)
        m_boxes->digitCells[i]->setText(digits.value(i));
}

QString TfmCheckFHDSHD::getNoStandardChineseJEDX() const {
    QStringList cells;
    for (const QLabel* cell : m_boxes->digitCells)
        cells << cell->text();
    return BillMoney::nonStandardCapitals(cells,
                                          m_shortbar->isChecked(QStringLiteral("cfgJEDXFormatNoStandard")));
}

void TfmCheckFHDSHD::refreshTotal() {
    // Lines are handled one at a time (typed, or set again by a reload or a currency change):
    // the sum so far may be negative or too large until the last line is in.
    if (const std::optional<QString> total = m_editing->SumAllJE())
        setJEXX(*total, BillMoney::Sum::Running);
}

bool TfmCheckFHDSHD::zdJEXX1Exit(int n) {
    if (n < 1 || n > BillBoxes::lineCount || m_inLineExit)
        return true;
    // Hiding the focused editor moves the focus away, which would run this rule again.
    m_inLineExit = true;
    const GoodsLine& line = m_boxes->lines[n - 1];
    const MoneyOptions options = m_shortbar->moneyOptions();
    const LineTexts texts = BillMoney::line(line.zdJEXX->text(), options.lineThousands,
                                            options.lineWithSymbol ? getMoneyCode() : QString());
    if (!texts.ok) {
        // The typed text stays on its line, where the clerk sees it and where saving and printing
        // find it and refuse the note naming the line; emptying it would let the note through
        // with a total that no longer adds up.
        m_boxes->zdJEDX->clear();
        line.zdJEXX->setText(texts.editor);
        line.zdJE->setText(texts.editor);
        line.zdJEXX->hide();
        m_boxes->zdHJJE->setText(BillMoney::lineError());
        // Once the line is mended, its total is written again even when it is the one before.
        m_money.forgetMemo();
        m_inLineExit = false;
        return true;
    }
    // An amount no note can hold must not stay on the note, where it would be saved and printed
    // beside a total that no longer matches the lines.
    const bool accepted = BillMoney::lineFits(texts.value);
    if (accepted) {
        line.zdJEXX->setText(texts.editor);
        line.zdJE->setText(texts.amount);
    } else {
        m_app.dialogs().alert(BillMoney::rangeMessage(), BillMoney::messageCaption(), false);
        line.zdJEXX->clear();
        line.zdJE->clear();
    }
    refreshTotal();
    if (BillMoney::isZeroAmount(line.zdJE->text()) && line.zdSFNR->text().trimmed().isEmpty())
        line.zdJE->clear();
    line.zdJEXX->hide();
    m_inLineExit = false;
    return accepted;
}

void TfmCheckFHDSHD::showLineEditor(QLineEdit* editor, QWidget* over) {
    editor->setGeometry(over->geometry());
    editor->show();
    editor->raise();
    editor->setFocus();
}

void TfmCheckFHDSHD::zdJE1Enter(int n) {
    if (n < 1 || n > BillBoxes::lineCount)
        return;
    const GoodsLine& line = m_boxes->lines[n - 1];
    showLineEditor(line.zdJEXX, line.zdJE);
}

void TfmCheckFHDSHD::zdJEDXEnter() {
    BillBoxes& b = *m_boxes;
    if (!b.lines[0].zdJE->isHidden() || !b.lines[0].zdDJ->isHidden()) {
        b.zdJEDX->setReadOnly(true);
        b.zdJEDX->setToolTip(QStringLiteral("大写无需输入,只需输入项目单价金额，自动汇总!"));
        return;
    }
    b.zdJEDX->setToolTip(QStringLiteral("点击输入小写金额，回车自动变大写!"));
    b.zdJEDX->setReadOnly(false);
    showLineEditor(b.inputJEXX, b.zdJEDX);
    b.inputJEXX->selectAll();
}

void TfmCheckFHDSHD::zdHJJEEnter() {
    BillBoxes& b = *m_boxes;
    if (!b.lines[0].zdDJ->isHidden() || !b.lines[0].zdJE->isHidden() || !b.zdJEDX->isHidden()) {
        b.zdHJJE->setReadOnly(true);
        b.zdHJJE->setToolTip(QStringLiteral("汇总无需输入,只需输入项目金额，自动汇总!"));
        return;
    }
    b.zdHJJE->setToolTip(QStringLiteral("点击输入小写金额，回车自动变大写!"));
    showLineEditor(b.inputJEXX, b.zdHJJE);
    b.inputJEXX->selectAll();
}

void TfmCheckFHDSHD::inputJEXXExit() {
    if (m_inTotalExit)
        return;
    m_inTotalExit = true;
    QLineEdit* editor = m_boxes->inputJEXX;
    editor->setText(NormalizeAmountText(editor->text()));
    setJEXX(editor->text());
    editor->hide();
    m_inTotalExit = false;
}

void TfmCheckFHDSHD::commitPendingTotal() {
    if (!m_boxes->inputJEXX->isHidden())
        inputJEXXExit();
}

void TfmCheckFHDSHD::zdHJJEXXChange(const QString& text) {
    if (m_writingTotal)
        return;
    if (!text.isEmpty())
        setJEXX(text);
    double value = 0;
    if (text == QLatin1String("0") || (parseDecimal(text, value) && value <= 0)) {
        m_boxes->zdJEDX->clear();
        m_boxes->zdHJJE->clear();
    }
}

void TfmCheckFHDSHD::refreshAllLines() {
    for (int n = 1; n <= BillBoxes::lineCount; ++n)
        zdJEXX1Exit(n);
}

void TfmCheckFHDSHD::reloadMoneyTypeList() {
    QComboBox* list = m_shortbar->cfgMoneyType();
    const QStringList names = m_lookups.loadMoneyTypeList();
    QStringList shown;
    for (int i = 0; i < list->count(); ++i)
        shown << list->itemText(i);
    if (names == shown)
        return;
    const QString current = list->currentText();
    const QSignalBlocker blocker(list);
    list->clear();
    list->addItems(names);
    list->setCurrentIndex(list->findText(current));
}

void TfmCheckFHDSHD::cfgMoneyTypeChange() {
    const QString chosen = m_shortbar->cfgMoneyType()->currentText();
    if (chosen != m_money.currencyName()) {
        setMoneyName(chosen);
        getMoneyCode();
    }
    refreshAllLines();
    reformatTotal();
}

void TfmCheckFHDSHD::reformatTotal() {
    m_money.forgetMemo();
    setJEXX(m_boxes->zdHJJEXX->text(), BillMoney::Sum::Running);
}

void TfmCheckFHDSHD::cfgJEDXFormatChange() {
    reformatTotal();
}

void TfmCheckFHDSHD::cfgJEDXFormatNoStandardClick() {
    cfgJEDXFormatChange();
}

void TfmCheckFHDSHD::WantPrintRMBHBFHClick() {
    cfgJEDXFormatChange();
}

void TfmCheckFHDSHD::cfgHJJEXXWithYuanClick() {
    cfgJEDXFormatChange();
}

void TfmCheckFHDSHD::cfgHJJENeedQianFFClick() {
    cfgJEDXFormatChange();
}

void TfmCheckFHDSHD::cfgTotalJEWithSheepClick() {
    cfgJEDXFormatChange();
}

void TfmCheckFHDSHD::cfgJEXXNeedQianFFClick() {
    refreshAllLines();
}

void TfmCheckFHDSHD::cfgJENeedSheepClick() {
    refreshAllLines();
    reformatTotal();
}

void TfmCheckFHDSHD::cfgWantPrintRQClick() {
    BillBoxes& b = *m_boxes;
    if (m_shortbar->isChecked(QStringLiteral("cfgWantPrintRQ"))) {
        core::ui::FormPlacement::setFormCtlPositionFromIni(QStringLiteral("SelDate"), m_ini.get(), this);
        core::ui::FormPlacement::setFormCtlPositionFromIni(QStringLiteral("zdNianYueRi"), m_ini.get(), this);
        SelDateCloseUp();
    } else {
        b.SelDate->hide();
        b.zdNianYueRi->hide();
    }
}

void TfmCheckFHDSHD::cfgDateFormatChange() {
    m_editing->refreshDates();
}

void TfmCheckFHDSHD::SelDateCloseUp() {
    m_editing->refreshDates();
}

void TfmCheckFHDSHD::SelDateOrderCloseUp() {
    m_editing->refreshDates();
}

// ---------------------------------------------------------------- tool bar and clicks

void TfmCheckFHDSHD::btMoveXYClick() {
    m_app.currentCheckTypeId = m_currentId;
    m_host.run(EntryHost::Command::Offsets);
}

void TfmCheckFHDSHD::btDesignClick() {
    m_app.currentCheckTypeId = m_currentId;
    m_host.run(EntryHost::Command::Designer);
    reloadTemplate();
}

void TfmCheckFHDSHD::btTestPageClick() {
    // The test page is of the template on screen, whichever the main window last knew.
    m_app.currentCheckTypeId = m_currentId;
    m_host.run(EntryHost::Command::TestPage);
}

void TfmCheckFHDSHD::btOpenClick() {
    m_host.run(EntryHost::Command::History);
}

void TfmCheckFHDSHD::bgImageClick() {
    BillBoxes& b = *m_boxes;
    if (!b.SelDate->isHidden())
        b.SelDate->setFocus();
    else if (!b.zdNianYueRi->isHidden())
        b.zdNianYueRi->setFocus();
    else
        cbFirstTypeName->setFocus();
    m_picker->hide();
}

void TfmCheckFHDSHD::panelImgBgClick() {
    m_picker->hide();
}

void TfmCheckFHDSHD::cbFirstTypeNameEnter() {
    const QScreen* shown = screen();
    const int height = shown ? shown->geometry().height() : 0;
    cbFirstTypeName->setMaxVisibleItems(EntryOptions::dropDownRows(height));
}

int TfmCheckFHDSHD::lineOf(QObject* watched, bool editor) const {
    for (int n = 1; n <= BillBoxes::lineCount; ++n) {
        const GoodsLine& line = m_boxes->lines[n - 1];
        if (watched == (editor ? static_cast<QObject*>(line.zdJEXX) : static_cast<QObject*>(line.zdJE)))
            return n;
    }
    return 0;
}

QAbstractButton* TfmCheckFHDSHD::keyButton(QObject* receiver, const QKeyEvent* key) {
    QWidget* focus = QApplication::focusWidget();
    QWidget* frame = frameWidget();
    if (!focus || receiver != focus || (focus != frame && !frame->isAncestorOf(focus)))
        return nullptr;
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    const QKeySequence pressed(QKeyCombination(modifiers, Qt::Key(key->key())));
    if (modifiers == Qt::ControlModifier && key->key() == Qt::Key_S)
        return findChild<QAbstractButton*>(QStringLiteral("btSave"));
    if (modifiers == Qt::ControlModifier && key->key() == Qt::Key_P)
        return findChild<QAbstractButton*>(QStringLiteral("btPrint1"));
    if (modifiers != Qt::AltModifier)
        return nullptr;
    for (QToolButton* button : m_toolButtons)
        if (button->isVisible() && button->isEnabled() && QKeySequence::mnemonic(button->text()) == pressed)
            return button;
    return nullptr;
}

bool TfmCheckFHDSHD::appEvent(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::ShortcutOverride || (type == QEvent::KeyPress && watched->isWidgetType())) {
        // The window's own keys win over the main menu's while a box of the window has the
        // focus: claiming the key before the shortcut map sees it keeps Alt+S from being
        // ambiguous with a menu title of the same letter.
        if (QAbstractButton* button = keyButton(watched, static_cast<QKeyEvent*>(event))) {
            event->accept();
            if (type == QEvent::KeyPress)
                button->click();
            return true;
        }
    }
    if (type == QEvent::Resize && frameWidget() != this && watched == frameWidget()->parentWidget())
        fitIntoArea();
    return false;
}

bool TfmCheckFHDSHD::eventFilter(QObject* watched, QEvent* event) {
    if (m_tearingDown)
        return false;
    BillBoxes& b = *m_boxes;
    const QEvent::Type type = event->type();
    if (type == QEvent::FocusIn) {
        if (const int n = lineOf(watched, false))
            zdJE1Enter(n);
        else if (watched == b.zdJEDX)
            zdJEDXEnter();
        else if (watched == b.zdHJJE)
            zdHJJEEnter();
        else if (watched == cbFirstTypeName)
            cbFirstTypeNameEnter();
    } else if (type == QEvent::FocusOut) {
        if (const int n = lineOf(watched, true))
            zdJEXX1Exit(n);
        else if (watched == b.inputJEXX)
            inputJEXXExit();
    } else if (type == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (watched == m_shortbar->cfgMoneyType())
            reloadMoneyTypeList();
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (const int n = lineOf(watched, true); n && enter) {
            zdJEXX1Exit(n);
            return true;
        }
        if (watched == b.inputJEXX) {
            if (enter) {
                inputJEXXExit();
                return true;
            }
            const QString text = key->text();
            if (key->key() != Qt::Key_Backspace && key->key() != Qt::Key_Escape && !text.isEmpty() &&
                !BillMoney::acceptsTotalKey(text[0]))
                return true;
        }
    } else if (type == QEvent::MouseButtonPress) {
        if (watched == m_shortbar->cfgMoneyType())
            reloadMoneyTypeList();
        else if (watched == bgImage)
            bgImageClick();
        else if (watched == panelImgBg)
            panelImgBgClick();
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace entry::ui
