#include "accounts/ui/TfrmStatement.h"

#include "accounts/PaymentStore.h"
#include "accounts/StatementOutput.h"
#include "core/AppContext.h"
#include "core/DbError.h"
#include "core/Dialogs.h"
#include "core/IniFile.h"
#include "core/Lookups.h"
#include "imports/GridExport.h"
#include "imports/SpreadsheetError.h"
#include "print/PrintError.h"
#include "print/ScreenCanvas.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QDateEdit>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace accounts::ui {

namespace {

const QString kSizeSection = QStringLiteral("WindowSize");
const QString kCaption = QStringLiteral("对账单");

// The wait cursor while a long output runs.
class Busy {
public:
    Busy() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~Busy() { QGuiApplication::restoreOverrideCursor(); }
    Q_DISABLE_COPY_MOVE(Busy)
};

QString monthText(const Period& period) {
    return period.from.toString(QStringLiteral("yyyy-MM"));
}

} // namespace

StatementPreview::StatementPreview(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("preview"));
}

void StatementPreview::setDocument(const StatementDocument* document) {
    m_document = document;
    setVisible(document != nullptr);
    resize(sizeHint());
    updateGeometry();
    update();
}

QSize StatementPreview::pageSize() const {
    return {StatementDocument::kPageWidth * kDpi / 254, StatementDocument::kPageHeight * kDpi / 254};
}

QSize StatementPreview::sizeHint() const {
    const QSize page = pageSize();
    const int pages = m_document ? m_document->pageCount() : 0;
    return {page.width() + 2 * kGap, pages * (page.height() + kGap) + kGap};
}

void StatementPreview::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Dark));
    if (!m_document)
        return;
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QSize page = pageSize();
    const int left = qMax(kGap, (width() - page.width()) / 2);
    for (int i = 0; i < m_document->pageCount(); ++i) {
        const QRect sheet(QPoint(left, kGap + i * (page.height() + kGap)), page);
        if (!sheet.intersects(event->rect()))
            continue;
        painter.fillRect(sheet.translated(3, 3), QColor(0x50, 0x50, 0x50));
        painter.fillRect(sheet, Qt::white);
        painter.save();
        painter.translate(sheet.topLeft());
        print::ScreenCanvas canvas(painter, kDpi, kDpi);
        m_document->drawPage(canvas, i);
        painter.restore();
    }
}

TfrmStatement::TfrmStatement(core::AppContext& app, print::PrintDevice& device, QWidget* parent)
    : QDialog(parent), m_app(app), m_device(device) {
    setObjectName(QStringLiteral("TfrmStatement"));
    setWindowTitle(kCaption);
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint);

    m_customer = new QComboBox(this);
    m_customer->setObjectName(QStringLiteral("cbCustomer"));
    m_customer->setEditable(true);
    m_customer->addItems(core::Lookups(app).loadCompanyList(QStringLiteral("往来单位")));
    m_customer->setInsertPolicy(QComboBox::NoInsert);
    m_customer->completer()->setCompletionMode(QCompleter::PopupCompletion);
    m_customer->completer()->setFilterMode(Qt::MatchContains);
    m_customer->setMinimumContentsLength(18);
    m_customer->setCurrentIndex(-1);
    auto* customerLabel = new QLabel(QStringLiteral("客户(&K)"), this);
    customerLabel->setBuddy(m_customer);

    m_thisMonth = new QRadioButton(QStringLiteral("本月(&M)"), this);
    m_thisMonth->setObjectName(QStringLiteral("rbThisMonth"));
    m_lastMonth = new QRadioButton(QStringLiteral("上月(&L)"), this);
    m_lastMonth->setObjectName(QStringLiteral("rbLastMonth"));
    m_dates = new QRadioButton(QStringLiteral("日期范围(&R)"), this);
    m_dates->setObjectName(QStringLiteral("rbDates"));
    auto* ranges = new QButtonGroup(this);
    for (QRadioButton* b : {m_thisMonth, m_lastMonth, m_dates})
        ranges->addButton(b);
    m_from = new QDateEdit(this);
    m_from->setObjectName(QStringLiteral("edtFrom"));
    m_to = new QDateEdit(this);
    m_to->setObjectName(QStringLiteral("edtTo"));
    for (QDateEdit* d : {m_from, m_to}) {
        d->setCalendarPopup(true);
        d->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    }
    m_goods = new QCheckBox(QStringLiteral("含商品明细(&G)"), this);
    m_goods->setObjectName(QStringLiteral("chkGoods"));

    auto* filters = new QHBoxLayout;
    filters->addWidget(customerLabel);
    filters->addWidget(m_customer, 1);
    filters->addSpacing(12);
    filters->addWidget(m_thisMonth);
    filters->addWidget(m_lastMonth);
    filters->addWidget(m_dates);
    filters->addWidget(m_from);
    filters->addWidget(new QLabel(QStringLiteral("至"), this));
    filters->addWidget(m_to);
    filters->addSpacing(12);
    filters->addWidget(m_goods);

    m_preview = new StatementPreview;
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("scrollPreview"));
    m_scroll->setWidget(m_preview);
    m_scroll->setAlignment(Qt::AlignHCenter);
    m_scroll->setBackgroundRole(QPalette::Dark);

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("lblStatus"));
    auto button = [this](const QString& text, const char* name) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };
    QPushButton* print = button(QStringLiteral("打印(&P)"), "btPrint");
    QPushButton* pdf = button(QStringLiteral("保存PDF(&S)"), "btPdf");
    QPushButton* excel = button(QStringLiteral("导出Excel(&E)"), "btExcel");
    QPushButton* all = button(QStringLiteral("全部客户(&A)"), "btAll");
    QPushButton* close = button(QStringLiteral("关闭(&X)"), "btClose");
    m_outputs = {print, pdf, excel};
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_status, 1);
    for (QPushButton* b : {print, pdf, excel, all, close})
        bottom->addWidget(b);

    auto* column = new QVBoxLayout(this);
    column->addLayout(filters);
    column->addWidget(m_scroll, 1);
    column->addLayout(bottom);

    connect(print, &QPushButton::clicked, this, &TfrmStatement::printStatement);
    connect(pdf, &QPushButton::clicked, this, &TfrmStatement::savePdf);
    connect(excel, &QPushButton::clicked, this, &TfrmStatement::exportExcel);
    connect(all, &QPushButton::clicked, this, &TfrmStatement::allCustomers);
    connect(close, &QPushButton::clicked, this, &TfrmStatement::reject);
    connect(m_customer, &QComboBox::currentIndexChanged, this, &TfrmStatement::refresh);
    connect(m_customer->lineEdit(), &QLineEdit::returnPressed, this, &TfrmStatement::refresh);
    connect(ranges, &QButtonGroup::buttonClicked, this, [this] {
        if (m_thisMonth->isChecked())
            setRange(Range::ThisMonth);
        else if (m_lastMonth->isChecked())
            setRange(Range::LastMonth);
        else
            setRange(Range::Dates);
    });
    for (QDateEdit* d : {m_from, m_to})
        connect(d, &QDateEdit::editingFinished, this, &TfrmStatement::refresh);
    connect(m_goods, &QCheckBox::toggled, this, &TfrmStatement::refresh);

    const QStringList size = app.userIni().readString(kSizeSection, objectName()).split(QLatin1Char(','));
    resize(size.size() == 2 ? QSize(size[0].toInt(), size[1].toInt()).expandedTo(QSize(640, 400))
                            : QSize(1000, 700));
    setRange(Range::ThisMonth);
    m_customer->setFocus();
}

TfrmStatement::~TfrmStatement() {
    m_app.userIni().writeString(kSizeSection, objectName(),
                                QStringLiteral("%1,%2").arg(width()).arg(height()));
    m_app.userIni().flush();
}

void TfrmStatement::setCustomer(const QString& customer) {
    m_customer->setEditText(customer);
    refresh();
}

void TfrmStatement::setRange(Range range) {
    const QDate today = QDate::currentDate();
    const QSignalBlocker blockFrom(m_from);
    const QSignalBlocker blockTo(m_to);
    if (range == Range::Dates) {
        m_dates->setChecked(true);
    } else {
        const QDate month = range == Range::ThisMonth ? today : today.addMonths(-1);
        const Period p = Period::month(month.year(), month.month());
        (range == Range::ThisMonth ? m_thisMonth : m_lastMonth)->setChecked(true);
        m_from->setDate(p.from);
        m_to->setDate(p.to);
    }
    m_from->setEnabled(range == Range::Dates);
    m_to->setEnabled(range == Range::Dates);
    refresh();
}

void TfrmStatement::setDates(const QDate& from, const QDate& to) {
    m_dates->setChecked(true);
    m_from->setDate(from);
    m_to->setDate(to);
    setRange(Range::Dates);
}

void TfrmStatement::setWithGoods(bool on) {
    m_goods->setChecked(on); // toggled refreshes
}

Period TfrmStatement::period() const {
    return {m_from->date(), m_to->date()};
}

void TfrmStatement::refresh() {
    m_preview->setDocument(nullptr);
    m_document.reset();
    const QString typed = m_customer->currentText().trimmed();
    for (QPushButton* b : m_outputs)
        b->setEnabled(false);
    if (typed.isEmpty()) {
        m_status->setText(QStringLiteral("请选择客户"));
        return;
    }
    if (period().from > period().to) {
        m_status->setText(QStringLiteral("开始日期不能晚于结束日期"));
        return;
    }
    try {
        const QString customer = PaymentStore(m_app).knownCustomer(typed);
        if (customer.isEmpty()) {
            m_status->setText(QStringLiteral("通讯录和出货单里都没有这个客户：") + typed);
            return;
        }
        Statement s = Ledger(m_app.db()).statement(customer, period(), m_goods->isChecked());
        m_document.emplace(std::move(s), ourUnitName(m_app.db()));
    } catch (const core::DbError& e) {
        m_status->setText(QStringLiteral("读取对账数据出错：") + e.message());
        return;
    }
    const Statement& s = m_document->statement();
    m_preview->setDocument(&*m_document);
    m_scroll->ensureVisible(0, 0);
    m_status->setText(QStringLiteral("共 %1 页　%2 笔　期末应收余额 %3 元")
                          .arg(m_document->pageCount())
                          .arg(s.entries.size())
                          .arg(centsText(s.closingCents)));
    for (QPushButton* b : m_outputs)
        b->setEnabled(true);
}

bool TfrmStatement::ready() {
    if (m_document)
        return true;
    m_app.dialogs().message(QStringLiteral("请先选择客户和对账期间~"));
    return false;
}

void TfrmStatement::printStatement() {
    if (!ready())
        return;
    printStatements(m_app, m_device, {*m_document});
}

void TfrmStatement::savePdf() {
    if (!ready())
        return;
    const QString suggested = QDir::home().filePath(statementFileName(
        m_document->statement().customer + QLatin1Char('_') + monthText(period()), QStringLiteral(".pdf")));
    const QString path = m_app.dialogs().saveFileName(QStringLiteral("保存对账单PDF"), suggested,
                                                      QStringLiteral("PDF 文件 (*.pdf)"));
    if (path.isEmpty())
        return;
    try {
        StatementPdf pdf(path);
        pdf.add(*m_document);
        pdf.finish();
        m_status->setText(QStringLiteral("已保存：") + QDir::toNativeSeparators(path));
    } catch (const print::PrintError& e) {
        m_app.dialogs().error(QStringLiteral("保存PDF失败：") + e.message());
    }
}

void TfrmStatement::exportExcel() {
    if (!ready())
        return;
    const QString suggested = QDir::home().filePath(statementFileName(
        m_document->statement().customer + QLatin1Char('_') + monthText(period()), QStringLiteral(".xlsx")));
    const QString path = m_app.dialogs().saveFileName(QStringLiteral("导出对账单Excel"), suggested,
                                                      QStringLiteral("Excel 文件 (*.xlsx)"));
    if (path.isEmpty())
        return;
    try {
        writeStatementXlsx(m_document->statement(), ourUnitName(m_app.db()), path);
        m_status->setText(QStringLiteral("已导出：") + QDir::toNativeSeparators(path));
    } catch (const imports::SpreadsheetError& e) {
        m_app.dialogs().error(QStringLiteral("导出Excel失败：") + e.message());
    }
}

void TfrmStatement::allCustomers() {
    QStringList customers;
    try {
        customers = Ledger(m_app.db()).activeCustomers(period());
    } catch (const core::DbError& e) {
        m_app.dialogs().error(QStringLiteral("读取对账数据出错：") + e.message());
        return;
    }
    if (customers.isEmpty()) {
        m_app.dialogs().message(QStringLiteral("这段期间没有客户往来~"));
        return;
    }
    const int answer = m_app.dialogs().yesNoCancel(
        QStringLiteral(
            "为这段期间有往来的 %1 个客户输出对账单：\n"
            "“是”合成一个PDF文件（每个客户各自分页），\n“否”每个客户一个Excel文件，放进一个文件夹。")
            .arg(customers.size()),
        QStringLiteral("全部客户"));
    if (answer < 0)
        return;
    const QString ourUnit = ourUnitName(m_app.db());
    const bool goods = m_goods->isChecked();
    const QString month = monthText(period());
    if (answer == 1) {
        const QString path =
            m_app.dialogs().saveFileName(QStringLiteral("保存全部客户对账单PDF"),
                                         QDir::home().filePath(QStringLiteral("对账单_%1.pdf").arg(month)),
                                         QStringLiteral("PDF 文件 (*.pdf)"));
        if (path.isEmpty())
            return;
        Busy busy;
        try {
            StatementPdf pdf(path);
            for (Statement& s : Ledger(m_app.db()).statements(customers, period(), goods))
                pdf.add(StatementDocument(std::move(s), ourUnit));
            pdf.finish();
            m_status->setText(QStringLiteral("已保存 %1 个客户的对账单：%2")
                                  .arg(customers.size())
                                  .arg(QDir::toNativeSeparators(path)));
        } catch (const core::DbError& e) {
            m_app.dialogs().error(QStringLiteral("读取对账数据出错：") + e.message());
        } catch (const print::PrintError& e) {
            m_app.dialogs().error(QStringLiteral("保存PDF失败：") + e.message());
        }
        return;
    }
    // The workbooks go into a folder the clerk names; it is made when it does not exist yet.
    const QString folder = m_app.dialogs().saveFileName(
        QStringLiteral("保存全部客户对账单的文件夹"),
        QDir::home().filePath(QStringLiteral("对账单_%1").arg(month)), QStringLiteral("文件夹 (*)"));
    if (folder.isEmpty())
        return;
    if (QFileInfo(folder).exists() ? !QFileInfo(folder).isDir() : !QDir().mkpath(folder)) {
        m_app.dialogs().error(QStringLiteral("不能使用文件夹：") + QDir::toNativeSeparators(folder));
        return;
    }
    Busy busy;
    int written = 0;
    try {
        const QVector<Statement> read = Ledger(m_app.db()).statements(customers, period(), goods);
        const QStringList fileNames = statementFileNames(customers, QStringLiteral(".xlsx"));
        for (int i = 0; i < customers.size(); ++i) {
            writeStatementXlsx(read.at(i), ourUnit, QDir(folder).filePath(fileNames.at(i)));
            ++written;
        }
    } catch (const core::DbError& e) {
        m_app.dialogs().error(QStringLiteral("读取对账数据出错：") + e.message());
    } catch (const imports::SpreadsheetError& e) {
        m_app.dialogs().error(QStringLiteral("导出Excel失败：") + e.message());
    }
    m_status->setText(
        QStringLiteral("已导出 %1 个客户的对账单到：%2").arg(written).arg(QDir::toNativeSeparators(folder)));
}

} // namespace accounts::ui
