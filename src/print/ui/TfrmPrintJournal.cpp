#include "print/ui/TfrmPrintJournal.h"

#include "core/AppContext.h"
#include "core/DbError.h"
#include "core/ui/DataGrid.h"

#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace print::ui {

namespace {

const QString kAll = QStringLiteral("全部");

} // namespace

TfrmPrintJournal::TfrmPrintJournal(core::AppContext& app, Reprinter reprinter, QWidget* parent)
    : QDialog(parent), m_app(app), m_journal(app), m_reprinter(std::move(reprinter)) {
    setObjectName(QStringLiteral("TfrmPrintJournal"));
    setWindowTitle(QStringLiteral("打印记录"));
    resize(900, 560);
    auto* layout = new QVBoxLayout(this);

    auto* filters = new QHBoxLayout;
    m_from = new QDateEdit(QDate::currentDate().addDays(-7), this);
    m_from->setObjectName(QStringLiteral("dtFrom"));
    m_from->setCalendarPopup(true);
    m_from->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    m_to = new QDateEdit(QDate::currentDate(), this);
    m_to->setObjectName(QStringLiteral("dtTo"));
    m_to->setCalendarPopup(true);
    m_to->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    m_printer = new QComboBox(this);
    m_printer->setObjectName(QStringLiteral("cbPrinter"));
    m_printer->setMinimumContentsLength(12);
    m_job = new QSpinBox(this);
    m_job->setObjectName(QStringLiteral("edJob"));
    m_job->setRange(0, 999999999);
    m_job->setSpecialValueText(kAll);
    m_number = new QLineEdit(this);
    m_number->setObjectName(QStringLiteral("edNumber"));
    m_number->setPlaceholderText(QStringLiteral("单号或订单号"));
    auto* query = new QPushButton(QStringLiteral("查询"), this);
    query->setObjectName(QStringLiteral("btQuery"));
    filters->addWidget(new QLabel(QStringLiteral("日期从"), this));
    filters->addWidget(m_from);
    filters->addWidget(new QLabel(QStringLiteral("到"), this));
    filters->addWidget(m_to);
    filters->addWidget(new QLabel(QStringLiteral("打印机"), this));
    filters->addWidget(m_printer);
    filters->addWidget(new QLabel(QStringLiteral("作业"), this));
    filters->addWidget(m_job);
    filters->addWidget(new QLabel(QStringLiteral("单号"), this));
    filters->addWidget(m_number, 1);
    filters->addWidget(query);
    layout->addLayout(filters);

    m_grid = new core::ui::DataGrid(app.db(), this);
    m_grid->setObjectName(QStringLiteral("gridJournal"));
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    layout->addWidget(m_grid, 1);

    auto* actions = new QHBoxLayout;
    auto* selected = new QPushButton(QStringLiteral("补打所选"), this);
    selected->setObjectName(QStringLiteral("btReprintSelected"));
    m_fromPage = new QSpinBox(this);
    m_fromPage->setObjectName(QStringLiteral("edFromPage"));
    m_fromPage->setRange(1, 999999);
    m_fromPage->setPrefix(QStringLiteral("从第"));
    m_fromPage->setSuffix(QStringLiteral("张起"));
    auto* from = new QPushButton(QStringLiteral("补打到作业结束"), this);
    from->setObjectName(QStringLiteral("btReprintFrom"));
    auto* close = new QPushButton(QStringLiteral("关闭"), this);
    close->setObjectName(QStringLiteral("btClose"));
    actions->addWidget(selected);
    actions->addSpacing(20);
    actions->addWidget(m_fromPage);
    actions->addWidget(from);
    actions->addStretch();
    actions->addWidget(close);
    layout->addLayout(actions);
    selected->setEnabled(bool(m_reprinter));
    from->setEnabled(bool(m_reprinter));

    connect(query, &QPushButton::clicked, this, &TfrmPrintJournal::btQueryClick);
    connect(m_number, &QLineEdit::returnPressed, this, &TfrmPrintJournal::btQueryClick);
    connect(selected, &QPushButton::clicked, this, &TfrmPrintJournal::btReprintSelectedClick);
    connect(from, &QPushButton::clicked, this, &TfrmPrintJournal::btReprintFromClick);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    // The page the clerk points at is where "从第n张起" starts.
    connect(m_grid, &core::ui::DataGrid::queryOpened, this, [this] {
        m_grid->setColumnHidden(0, true);
        m_grid->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    });

    m_printer->addItem(kAll);
    try {
        m_printer->addItems(m_journal.printers());
    } catch (const core::DbError& e) {
        m_app.dialogs().alert(QStringLiteral("读取打印记录出错：") + e.message(), QStringLiteral("提示"),
                              false);
    }
    btQueryClick();
}

void TfrmPrintJournal::btQueryClick() {
    PrintJournal::Filter filter;
    filter.from = m_from->date();
    filter.to = m_to->date();
    if (m_printer->currentIndex() > 0)
        filter.printer = m_printer->currentText();
    filter.job = m_job->value();
    filter.number = m_number->text();
    const PrintJournal::Statement s = PrintJournal::listStatement(filter);
    try {
        m_journal.ensureTable();
        m_grid->setQuery(s.sql, s.params);
    } catch (const core::DbError& e) {
        m_app.dialogs().alert(QStringLiteral("读取打印记录出错：") + e.message(), QStringLiteral("提示"),
                              false);
    }
}

void TfrmPrintJournal::btReprintSelectedClick() {
    QList<qint64> ids;
    for (int row : m_grid->selectedRows())
        ids << m_grid->value(row, QStringLiteral("ID")).toLongLong();
    try {
        reprint(m_journal.pagesByIds(ids));
    } catch (const core::DbError& e) {
        m_app.dialogs().alert(QStringLiteral("读取打印记录出错：") + e.message(), QStringLiteral("提示"),
                              false);
    }
}

void TfrmPrintJournal::btReprintFromClick() {
    const int job =
        m_grid->currentRow() >= 0 ? m_grid->currentValue(QStringLiteral("作业号")).toInt() : m_job->value();
    if (job <= 0) {
        m_app.dialogs().message(QStringLiteral("请先选中要补打的作业~"));
        return;
    }
    try {
        const QVector<JournalPage> pages = m_journal.pagesOf(job, m_fromPage->value());
        if (pages.isEmpty()) {
            m_app.dialogs().message(
                QStringLiteral("作业%1没有第%2张，请检查张数~").arg(job).arg(m_fromPage->value()));
            return;
        }
        reprint(pages);
    } catch (const core::DbError& e) {
        m_app.dialogs().alert(QStringLiteral("读取打印记录出错：") + e.message(), QStringLiteral("提示"),
                              false);
    }
}

void TfrmPrintJournal::reprint(const QVector<JournalPage>& pages) {
    if (!m_reprinter)
        return;
    const int printed = m_reprinter(pages);
    if (printed > 0) {
        m_app.dialogs().message(QStringLiteral("已补打 %1 张。").arg(printed));
        btQueryClick();
    }
}

} // namespace print::ui
