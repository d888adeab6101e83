#include "cli/Commands.h"

#include "accounts/Ledger.h"
#include "accounts/PaymentStore.h"
#include "accounts/StatementOutput.h"
#include "cli/ConsoleDialogs.h"
#include "core/AppContext.h"
#include "core/DbError.h"
#include "core/IniFile.h"
#include "core/StatementStream.h"
#include "history/NoteHistoryStore.h"
#include "imports/ColumnList.h"
#include "imports/ColumnMatching.h"
#include "imports/ImportLog.h"
#include "imports/OrderImport.h"
#include "imports/RecipientImport.h"
#include "imports/SheetRun.h"
#include "imports/Spreadsheet.h"
#include "imports/SpreadsheetError.h"
#include "masterdata/ProductImporter.h"
#include "print/PrintError.h"
#include "print/PrintJournal.h"
#include "templates/TemplatePackage.h"
#include "users/UserStore.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcessEnvironment>
#include <algorithm>
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace cli {

namespace {

// Progress of an import on standard error, only when that is a terminal.
class ConsoleProgress final : public imports::RunObserver {
public:
    ConsoleProgress() : m_shown(errorIsTerminal()) {}
    void progressStart(int maximum) override {
        m_maximum = maximum;
        m_step = 0;
    }
    void progressStep() override {
        ++m_step;
        if (m_shown && (m_step % 50 == 0 || m_step == m_maximum))
            std::fprintf(stderr, "\r%d/%d", m_step, m_maximum);
    }
    void progressEnd(bool stoppedHere) override {
        Q_UNUSED(stoppedHere)
        if (m_shown && m_step > 0)
            std::fprintf(stderr, "\n");
    }

private:
    bool m_shown;
    int m_maximum = 0;
    int m_step = 0;
};

// Opens a workbook and activates the named sheet (the active one when no name is given).
void openSheet(imports::Spreadsheet& sheet, const QString& path, const QString& sheetName) {
    sheet.open(path);
    if (sheetName.isEmpty())
        return;
    const int index = sheet.sheetNames().indexOf(sheetName);
    if (index < 0)
        throw imports::SpreadsheetError(QStringLiteral("工作簿里没有工作表：") + sheetName);
    sheet.activate(index);
}

// The rows of ImportLog.txt a run wrote into a section (skipped or merged rows under LOG, rows
// the store refused under ERR), the sheet row as key; those present before the run are left out.
QJsonObject logRows(const QString& runPath, const QString& section, const QJsonObject& before = {}) {
    const core::IniFile log(imports::ImportLog::fileName(runPath));
    QJsonObject rows;
    for (const QString& key : log.keys(section))
        if (!before.contains(key))
            rows.insert(key, log.readString(section, key));
    return rows;
}

QJsonObject runJson(const imports::RunResult& run, const QJsonObject& skippedRows,
                    const QJsonObject& refusedRows) {
    return {{QStringLiteral("imported"), run.imported},
            {QStringLiteral("skipped"), run.skipped},
            {QStringLiteral("report"), run.report},
            {QStringLiteral("skippedRows"), skippedRows},
            {QStringLiteral("refusedRows"), refusedRows}};
}

// The exit code of an import run that got past opening its workbook; refused: rows the store
// would not take.
int runExit(const imports::RunResult& run, int refused) {
    if (run.failed || refused > 0)
        return DataError;
    if (run.declined || (!run.ran && !run.noData))
        return BadUse; // a question refused or the columns the run needs are missing
    return Done;
}

Outcome refusedFile(const QString& path, const QString& reason) {
    Outcome out;
    out.exit = BadUse;
    writeError(QStringLiteral("不能读取文件 ") + path + QStringLiteral("：") + reason);
    out.result.insert(QStringLiteral("error"), reason);
    return out;
}

Outcome importRecipients(core::AppContext& app, const QString& path, const QString& sheetName) {
    imports::Spreadsheet sheet;
    try {
        openSheet(sheet, path, sheetName);
    } catch (const imports::SpreadsheetError& e) {
        return refusedFile(path, e.message());
    }
    imports::ColumnMatching::prepareForImport(app);
    const QStringList columns = imports::ColumnList::build(sheet);
    if (columns.size() <= 1)
        return refusedFile(
            path, imports::ColumnList::noTitlesMessage(sheet.sheetNames().value(sheet.activeSheet())));
    imports::ImportLog log(app.getRunPath());
    ConsoleProgress progress;
    imports::RecipientImport import(app.db(), app.dialogs(), log, progress);
    const auto scenario = imports::RecipientImport::Scenario::AddressBook;
    imports::RecipientImport::Options options;
    options.scenario = scenario;
    import.setOptions(options);
    import.setColumns(imports::RecipientImport::autoMatch(app.db(), columns, scenario));
    const imports::RunResult run = import.run(sheet, path);
    Outcome out;
    const QJsonObject refused = logRows(app.getRunPath(), QStringLiteral("ERR"));
    out.exit = runExit(run, refused.size());
    out.result = runJson(run, logRows(app.getRunPath(), QStringLiteral("LOG")), refused);
    out.lines << run.report;
    return out;
}

Outcome importProducts(core::AppContext& app, const QString& path, const QString& sheetName) {
    imports::Spreadsheet sheet;
    try {
        openSheet(sheet, path, sheetName);
    } catch (const imports::SpreadsheetError& e) {
        return refusedFile(path, e.message());
    }
    masterdata::ProductImporter importer(app.db(), app.dialogs());
    QStringList titles;
    for (int c = 1; c <= sheet.usedColumns(); ++c)
        titles << sheet.cell(1, c);
    if (!importer.setHeader(titles))
        return refusedFile(path, masterdata::ProductImporter::headerError());
    Outcome out;
    const int columns = importer.columns().size();
    bool began = false;
    try {
        // One transaction for the sheet: a refused commit stores none of it.
        app.db().begin();
        began = true;
        for (int r = 2; r <= sheet.usedRows(); ++r) {
            QStringList cells;
            for (int c = 1; c <= columns; ++c)
                cells << sheet.cell(r, c);
            importer.saveGood(cells);
        }
        app.db().commit();
    } catch (const core::DbError& e) {
        if (began)
            app.db().rollback();
        importer.discardInserted();
        writeError(QStringLiteral("错误：") + e.message());
        out.exit = DataError;
    }
    out.result = {{QStringLiteral("imported"), importer.inserted()},
                  {QStringLiteral("skipped"), importer.skipped()},
                  {QStringLiteral("report"), importer.summary()}};
    out.lines << importer.summary();
    return out;
}

QStringList templateNames(core::AppContext& app) {
    QStringList names;
    core::Recordset rs =
        app.db().query(QStringLiteral("select TypeName from CKTypeTable order by CheckTypeID"));
    for (rs.first(); !rs.eof(); rs.next())
        names << rs.text(0);
    return names;
}

QString readPassword() {
    if (::isatty(STDIN_FILENO) != 1)
        return QString();
    std::fprintf(stderr, "密码：");
    std::fflush(stderr);
    termios before{};
    const bool terminal = ::tcgetattr(STDIN_FILENO, &before) == 0;
    if (terminal) {
        termios silent = before;
        silent.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSANOW, &silent);
    }
    std::string line;
    std::getline(std::cin, line);
    if (terminal)
        ::tcsetattr(STDIN_FILENO, TCSANOW, &before);
    std::fprintf(stderr, "\n");
    return QString::fromStdString(line);
}

} // namespace

int finish(const Invocation& call, const ConsoleDialogs& dialogs, Outcome outcome) {
    // A refused question is what stopped the run, whatever failed after it.
    if (dialogs.refused())
        outcome.exit = BadUse;
    if (call.json()) {
        outcome.result.insert(QStringLiteral("command"), call.command);
        if (!call.subcommand.isEmpty())
            outcome.result.insert(QStringLiteral("subcommand"), call.subcommand);
        outcome.result.insert(QStringLiteral("exit"), outcome.exit);
        outcome.result.insert(QStringLiteral("messages"), QJsonArray::fromStringList(errorLog()));
        if (outcome.exit != Done && !outcome.result.contains(QStringLiteral("error"))) {
            // What stopped the run: a refused question, else the first reason the command gave.
            QString reason =
                dialogs.refused() ? dialogs.texts().value(dialogs.texts().size() - 1) : reasonsLog().value(0);
            if (reason.isEmpty())
                reason = errorLog().value(errorLog().size() - 1);
            outcome.result.insert(QStringLiteral("error"), reason);
        }
        writeOut(QString::fromUtf8(QJsonDocument(outcome.result).toJson(QJsonDocument::Compact)) +
                 QLatin1Char('\n'));
    } else if (!outcome.lines.isEmpty()) {
        writeOut(outcome.lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
    }
    return outcome.exit;
}

int login(core::AppContext& app, const Invocation& call, QString* typed) {
    users::UserStore store(app);
    if (!store.loginRequired())
        return Done;
    const QString name = call.value(QStringLiteral("user"));
    if (name.trimmed().isEmpty()) {
        writeError(
            QStringLiteral("已启用登录：请用 --user 给出操作员，密码放在环境变量 OVERPRINT_PASSWORD 中"));
        return BadUse;
    }
    const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    QString password;
    if (env.contains(QStringLiteral("OVERPRINT_PASSWORD")))
        password = env.value(QStringLiteral("OVERPRINT_PASSWORD"));
    else if (typed && !typed->isEmpty())
        password = *typed;
    else if (::isatty(STDIN_FILENO) == 1) {
        password = readPassword();
        if (typed)
            *typed = password;
    } else {
        writeError(QStringLiteral("没有密码：请设置环境变量 OVERPRINT_PASSWORD"));
        return BadUse;
    }
    try {
        if (store.login(name, password) == users::UserStore::Login::LoggedIn)
            return Done;
    } catch (const core::DbError& e) {
        writeError(QStringLiteral("错误：") + e.message());
        return DataError;
    }
    writeError(QStringLiteral("登录失败：用户名或密码不对"));
    return BadUse;
}

Outcome importOrders(core::AppContext& app, const QString& orders, const QString& details,
                     const QString& sheetName) {
    imports::Spreadsheet orderSheet;
    imports::Spreadsheet lineSheet;
    QStringList orderColumns;
    QStringList lineColumns;
    try {
        openSheet(orderSheet, orders, sheetName);
        orderColumns = imports::ColumnList::build(orderSheet);
    } catch (const imports::SpreadsheetError& e) {
        return refusedFile(orders, e.message());
    }
    if (!details.isEmpty()) {
        try {
            openSheet(lineSheet, details, QString());
            lineColumns = imports::ColumnList::build(lineSheet);
        } catch (const imports::SpreadsheetError& e) {
            return refusedFile(details, e.message());
        }
    }
    imports::ColumnMatching::prepareForImport(app);
    const QVector<int> orderMatch = imports::OrderImport::autoMatchOrders(app.db(), orderColumns);
    if (orderMatch.value(0, -1) < 0)
        return refusedFile(orders, imports::OrderImport::missingOrderColumnMessage());
    // A sheet of the wrong kind (the two swapped, say) is refused before anything is written.
    if (const QString refused = imports::OrderImport::sheetRefusal({&orderSheet, orderMatch, orders}, true);
        !refused.isEmpty())
        return refusedFile(orders, refused);
    QVector<int> lineMatch;
    if (!details.isEmpty()) {
        lineMatch = imports::OrderImport::autoMatchLines(app.db(), lineColumns);
        if (lineMatch.value(0, -1) < 0)
            return refusedFile(details, imports::OrderImport::missingOrderColumnMessage());
        const QString refused = imports::OrderImport::sheetRefusal({&lineSheet, lineMatch, details}, false);
        if (!refused.isEmpty())
            return refusedFile(details, refused);
    }

    imports::ImportLog log(app.getRunPath());
    ConsoleProgress progress;
    imports::OrderImport import(app.db(), app.dialogs(), log, progress);
    imports::OrderImport::Half lineHalf;
    if (!details.isEmpty())
        lineHalf = {&lineSheet, lineMatch, details};
    // Both halves in one transaction: orders never stand without their lines.
    const imports::OrderImport::Result run = import.run({&orderSheet, orderMatch, orders}, lineHalf);
    const QString runPath = app.getRunPath();
    const QJsonObject skipped = logRows(runPath, QStringLiteral("LOG"));
    const QJsonObject refused = logRows(runPath, QStringLiteral("ERR"));
    Outcome out;
    out.exit = std::max(runExit(run.orders, refused.size()), details.isEmpty() ? 0 : runExit(run.lines, 0));
    out.result.insert(QStringLiteral("orders"), runJson(run.orders, skipped, refused));
    out.result.insert(QStringLiteral("changed"), QJsonArray::fromStringList(run.changed));
    out.lines << run.orders.report;
    if (!details.isEmpty()) {
        out.result.insert(QStringLiteral("lines"), runJson(run.lines, {}, {}));
        out.lines << run.lines.report;
    }
    return out;
}

Outcome runImport(core::AppContext& app, const Invocation& call) {
    const QString file = call.positional.value(0);
    const QString sheet = call.value(QStringLiteral("sheet"));
    if (call.subcommand == QLatin1String("recipients"))
        return importRecipients(app, file, sheet);
    if (call.subcommand == QLatin1String("products"))
        return importProducts(app, file, sheet);
    return importOrders(app, file, QString(), sheet);
}

Outcome runPackage(core::AppContext& app, const Invocation& call) {
    const QString file = call.positional.value(0);
    Outcome out;
    templates::PackageTransfer transfer(app);
    templates::PackageTransfer::Report report;
    if (call.subcommand == QLatin1String("export")) {
        QStringList names = call.all(QStringLiteral("template"));
        try {
            const QStringList stored = templateNames(app);
            for (const QString& name : names)
                if (!stored.contains(name)) {
                    writeError(QStringLiteral("没有这个模板：") + name);
                    out.exit = BadUse;
                    return out;
                }
            if (names.isEmpty())
                names = stored;
            report = transfer.exportTemplates(names, file);
        } catch (const core::DbError& e) {
            writeError(QStringLiteral("导出失败：") + e.message());
            out.exit = DataError;
            return out;
        }
        out.lines << QStringLiteral("导出 %1 个模板到 %2").arg(report.succeeded).arg(file);
        out.result.insert(QStringLiteral("exported"), report.succeeded);
    } else {
        QStringList names;
        try {
            names = templates::TemplatePackage(file).names();
        } catch (const core::DbError& e) {
            return refusedFile(file, e.message());
        }
        if (names.isEmpty())
            return refusedFile(file, QStringLiteral("包里找不到可用于导入的票据"));
        try {
            report = transfer.importTemplates(file, names);
        } catch (const core::DbError& e) {
            return refusedFile(file, e.message());
        }
        out.lines << QStringLiteral("导入 %1 个模板").arg(report.succeeded);
        out.result.insert(QStringLiteral("imported"), report.succeeded);
    }
    for (const QString& note : report.notes)
        writeError(note);
    out.result.insert(QStringLiteral("failed"), report.failed);
    out.result.insert(QStringLiteral("notes"), QJsonArray::fromStringList(report.notes));
    if (report.failed > 0)
        out.exit = DataError;
    return out;
}

Outcome runNotes(core::AppContext& app, const Invocation& call) {
    Outcome out;
    history::NoteFilter filter;
    const QString from = call.value(QStringLiteral("from"));
    const QString to = call.value(QStringLiteral("to"));
    if (!from.isEmpty() || !to.isEmpty()) {
        filter.anyDate = false;
        filter.from = from.isEmpty() ? QDate(1900, 1, 1) : QDate::fromString(from, Qt::ISODate);
        filter.to = to.isEmpty() ? QDate(9999, 12, 31) : QDate::fromString(to, Qt::ISODate);
        if (!filter.from.isValid() || !filter.to.isValid()) {
            writeError(QStringLiteral("日期应写成 YYYY-MM-DD：") + (filter.from.isValid() ? to : from));
            out.exit = BadUse;
            return out;
        }
    }
    history::NoteHistoryStore store(app.db());
    const history::NoteCondition condition = history::NoteHistoryStore::condition(filter);
    try {
        const history::NoteTotals totals = store.totals(condition);
        // The notes are read forward one at a time: a long history never sits in memory whole.
        core::StatementStream rows(
            app.db(), history::NoteHistoryStore::statement(condition, QStringLiteral("出票日期")),
            condition.params, static_cast<int>(totals.count));
        QStringList fields;
        for (int c = 0; c < rows.columnCount(); ++c)
            fields << rows.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        const QStringList shown = {QStringLiteral("票据编号"), QStringLiteral("出票日期"),
                                   QStringLiteral("模板种类"), QStringLiteral("顾客名称"),
                                   QStringLiteral("合计金额"), QStringLiteral("票据状态")};
        QList<int> at;
        for (const QString& name : shown)
            at << fields.indexOf(name);
        QJsonArray notes;
        for (int r = 0; r < rows.rowCount(); ++r) {
            QStringList cells;
            QJsonObject note;
            for (int i = 0; i < shown.size(); ++i) {
                const QString value =
                    at.at(i) < 0 ? QString() : rows.data(rows.index(r, at.at(i)), Qt::DisplayRole).toString();
                cells << value;
                note.insert(shown.at(i), value);
            }
            if (call.json())
                notes.append(note);
            else
                out.lines << cells.join(QLatin1Char('\t'));
        }
        // The money as the text shows it, in the JSON too: a string, never a float.
        QString sum = history::NoteHistoryStore::sumText(totals.sum);
        if (sum.isEmpty())
            sum = QStringLiteral("0.00");
        out.lines << QStringLiteral("共 %1 张，合计金额 %2").arg(totals.count).arg(sum);
        out.result.insert(QStringLiteral("notes"), notes);
        out.result.insert(QStringLiteral("count"), totals.count);
        out.result.insert(QStringLiteral("sum"), sum);
    } catch (const core::DbError& e) {
        writeError(QStringLiteral("错误：") + e.message());
        out.exit = DataError;
    }
    return out;
}

Outcome runPayment(core::AppContext& app, const Invocation& call) {
    Outcome out;
    const auto date = [&](const QString& option, QDate fallback) {
        const QString text = call.value(option);
        return text.isEmpty() ? fallback : QDate::fromString(text, Qt::ISODate);
    };
    try {
        accounts::PaymentStore store(app);
        if (call.subcommand == QLatin1String("add")) {
            accounts::Payment p;
            p.date = date(QStringLiteral("date"), QDate::currentDate());
            p.customer = call.value(QStringLiteral("customer"));
            p.method = call.has(QStringLiteral("method")) ? call.value(QStringLiteral("method"))
                                                          : QStringLiteral("现金");
            p.note = call.value(QStringLiteral("note"));
            const std::optional<qint64> cents =
                accounts::PaymentStore::typedCents(call.value(QStringLiteral("amount")));
            if (p.customer.trimmed().isEmpty() || !cents || !p.date.isValid()) {
                writeError(p.customer.trimmed().isEmpty() ? QStringLiteral("请用 --customer 写出客户")
                           : !cents ? QStringLiteral("金额“%1”不是有效的金额（不能为零，退款写负数）")
                                          .arg(call.value(QStringLiteral("amount")))
                                    : QStringLiteral("日期应写成 YYYY-MM-DD：") +
                                          call.value(QStringLiteral("date")));
                out.exit = BadUse;
                return out;
            }
            p.cents = *cents;
            const qint64 id = store.add(p);
            const std::optional<accounts::Payment> saved = store.find(id);
            out.lines << QStringLiteral("已登记收款 %1：%2 %3 %4 元")
                             .arg(id)
                             .arg(saved->date.toString(Qt::ISODate), saved->customer,
                                  accounts::centsText(saved->cents));
            out.result.insert(QStringLiteral("id"), id);
            out.result.insert(QStringLiteral("customer"), saved->customer);
            out.result.insert(QStringLiteral("amount"), accounts::centsText(saved->cents));
            return out;
        }
        accounts::PaymentFilter filter{date(QStringLiteral("from"), {}), date(QStringLiteral("to"), {}),
                                       call.value(QStringLiteral("customer"))};
        if ((call.has(QStringLiteral("from")) && !filter.from.isValid()) ||
            (call.has(QStringLiteral("to")) && !filter.to.isValid())) {
            writeError(QStringLiteral("日期应写成 YYYY-MM-DD"));
            out.exit = BadUse;
            return out;
        }
        QJsonArray rows;
        const QVector<accounts::Payment> payments = store.list(filter);
        qint64 sum = 0;
        for (const accounts::Payment& p : payments) {
            sum += p.cents;
            const QStringList cells{QString::number(p.id),
                                    p.date.toString(Qt::ISODate),
                                    p.customer,
                                    accounts::centsText(p.cents),
                                    p.method,
                                    p.note,
                                    p.remark,
                                    p.operatorName};
            out.lines << cells.join(QLatin1Char('\t'));
            rows.append(QJsonObject{{QStringLiteral("id"), p.id},
                                    {QStringLiteral("date"), p.date.toString(Qt::ISODate)},
                                    {QStringLiteral("customer"), p.customer},
                                    {QStringLiteral("amount"), accounts::centsText(p.cents)},
                                    {QStringLiteral("method"), p.method},
                                    {QStringLiteral("note"), p.note},
                                    {QStringLiteral("remark"), p.remark},
                                    {QStringLiteral("operator"), p.operatorName}});
        }
        out.lines
            << QStringLiteral("共 %1 笔，合计 %2 元").arg(payments.size()).arg(accounts::centsText(sum));
        out.result.insert(QStringLiteral("payments"), rows);
        out.result.insert(QStringLiteral("count"), int(payments.size()));
        out.result.insert(QStringLiteral("sum"), accounts::centsText(sum));
    } catch (const accounts::PaymentRefused& e) {
        writeError(e.text());
        out.exit = BadUse;
    } catch (const core::DbError& e) {
        writeError(QStringLiteral("错误：") + e.message());
        out.exit = DataError;
    }
    return out;
}

Outcome runJournal(core::AppContext& app, const Invocation& call) {
    Outcome out;
    print::PrintJournal::Filter filter;
    if (call.has(QStringLiteral("from"))) {
        filter.from = QDate::fromString(call.value(QStringLiteral("from")), Qt::ISODate);
        if (!filter.from.isValid()) {
            writeError(QStringLiteral("日期应写成 YYYY-MM-DD：") + call.value(QStringLiteral("from")));
            out.exit = BadUse;
            return out;
        }
    }
    filter.job = CommandLine::positiveNumber(call.value(QStringLiteral("job")));
    try {
        print::PrintJournal journal(app);
        journal.ensureTable(); // a program that never printed has no journal yet
        const print::PrintJournal::Statement list = print::PrintJournal::listStatement(filter);
        const int rowCount =
            app.db()
                .scalar(QStringLiteral("select count(*) from (") + list.sql + QStringLiteral(") as listed"),
                        list.params)
                .toInt();
        // Read forward one page at a time: a long journal never sits in memory whole.
        core::StatementStream rows(app.db(), list.sql, list.params, rowCount);
        QHash<QString, int> at;
        for (int c = 0; c < rows.columnCount(); ++c)
            at.insert(rows.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(), c);
        int row = 0;
        const auto cell = [&](const char* name) {
            return rows.data(rows.index(row, at.value(QString::fromUtf8(name), 0)), Qt::DisplayRole);
        };
        QJsonArray jobs;
        QJsonObject job;
        QJsonArray pages;
        const auto closeJob = [&] {
            if (job.isEmpty())
                return;
            job.insert(QStringLiteral("pages"), pages);
            jobs.append(job);
            job = {};
            pages = {};
        };
        for (; row < rows.rowCount(); ++row) {
            const int number = cell("作业号").toInt();
            if (job.value(QStringLiteral("job")).toInt() != number) {
                closeJob();
                job = {{QStringLiteral("job"), number},
                       {QStringLiteral("time"), cell("打印时间").toString()},
                       {QStringLiteral("printer"), cell("打印机").toString()},
                       {QStringLiteral("template"), cell("模板").toString()},
                       {QStringLiteral("paper"), cell("纸张").toString()},
                       {QStringLiteral("operator"), cell("操作员").toString()},
                       {QStringLiteral("copies"), cell("份数").toInt()}};
                out.lines << QStringLiteral("作业%1\t%2\t%3\t%4")
                                 .arg(number)
                                 .arg(cell("打印时间").toString(), cell("打印机").toString(),
                                      cell("模板").toString());
            }
            const QJsonObject page{{QStringLiteral("page"), cell("页号").toInt()},
                                   {QStringLiteral("note"), cell("单号").toString()},
                                   {QStringLiteral("order"), cell("订单号").toString()}};
            pages.append(page);
            out.lines << QStringLiteral("  第%1张\t单号 %2\t订单号 %3")
                             .arg(page.value(QStringLiteral("page")).toInt())
                             .arg(page.value(QStringLiteral("note")).toString(),
                                  page.value(QStringLiteral("order")).toString());
        }
        closeJob();
        out.lines << QStringLiteral("共 %1 个作业，%2 张").arg(jobs.size()).arg(rowCount);
        out.result.insert(QStringLiteral("jobs"), jobs);
        out.result.insert(QStringLiteral("count"), jobs.size());
        out.result.insert(QStringLiteral("pageCount"), rowCount);
    } catch (const core::DbError& e) {
        writeError(QStringLiteral("错误：") + e.message());
        out.exit = DataError;
    }
    return out;
}

namespace {

QStringList statementLines(const accounts::Statement& s, bool withEntries) {
    using accounts::centsText;
    QStringList lines;
    lines << QStringLiteral("%1  %2  期初 %3  发货 %4  收款 %5  期末应收 %6")
                 .arg(s.customer, accounts::StatementDocument::periodText(s), centsText(s.openingCents),
                      centsText(s.deliveredCents), centsText(s.receivedCents), centsText(s.closingCents));
    if (withEntries)
        for (const accounts::StatementEntry& e : s.entries)
            lines << QStringLiteral("  %1  %2  %3  %4")
                         .arg(e.date.toString(Qt::ISODate), e.number, accounts::StatementDocument::summary(e),
                              centsText(e.cents));
    return lines;
}

} // namespace

Outcome runStatement(core::AppContext& app, const Invocation& call) {
    Outcome out;
    QString error;
    QDate from;
    QDate to;
    if (!CommandLine::statementPeriod(call, from, to, &error)) {
        writeError(error);
        out.exit = BadUse;
        return out;
    }
    const accounts::Period period{from, to};
    const bool all = call.flags.contains(QStringLiteral("all"));
    const bool goods = call.flags.contains(QStringLiteral("goods"));
    const QString pdfPath = call.value(QStringLiteral("pdf"));
    const QString xlsxPath = call.value(QStringLiteral("xlsx"));
    if (all && !xlsxPath.isEmpty()) {
        const QFileInfo folder(xlsxPath);
        if (folder.exists() ? !folder.isDir() : !QDir().mkpath(xlsxPath)) {
            writeError(QStringLiteral("不能使用文件夹：") + xlsxPath);
            out.exit = BadUse;
            return out;
        }
    }
    try {
        accounts::Ledger ledger(app.db());
        QStringList customers;
        if (all) {
            customers = ledger.activeCustomers(period);
        } else {
            // A mistyped name would otherwise give a statement of nothing owed.
            const QString typed = call.value(QStringLiteral("customer")).trimmed();
            const QString known = accounts::PaymentStore(app).knownCustomer(typed);
            if (known.isEmpty()) {
                writeError(QStringLiteral("通讯录和出货单里都没有这个客户：") + typed);
                out.exit = BadUse;
                return out;
            }
            customers << known;
        }
        const QString ourUnit = accounts::ourUnitName(app.db());
        std::unique_ptr<accounts::StatementPdf> pdf;
        if (!pdfPath.isEmpty() && !customers.isEmpty())
            pdf = std::make_unique<accounts::StatementPdf>(pdfPath);
        QJsonArray statements;
        QStringList files;
        const QVector<accounts::Statement> read = ledger.statements(customers, period, goods);
        const QStringList fileNames = accounts::statementFileNames(customers, QStringLiteral(".xlsx"));
        for (int i = 0; i < customers.size(); ++i) {
            const accounts::Statement& s = read.at(i);
            if (call.json())
                statements.append(accounts::statementJson(s));
            out.lines << statementLines(s, !all);
            if (pdf)
                pdf->add(accounts::StatementDocument(s, ourUnit));
            if (!xlsxPath.isEmpty()) {
                const QString file = all ? QDir(xlsxPath).filePath(fileNames.at(i)) : xlsxPath;
                accounts::writeStatementXlsx(s, ourUnit, file);
                files << file;
            }
        }
        if (pdf) {
            pdf->finish();
            out.result.insert(QStringLiteral("pdf"), QFileInfo(pdfPath).absoluteFilePath());
            out.result.insert(QStringLiteral("pages"), pdf->pages());
        }
        if (!files.isEmpty())
            out.result.insert(QStringLiteral("xlsx"), QJsonArray::fromStringList(files));
        if (all) {
            out.result.insert(QStringLiteral("customers"), int(customers.size()));
            out.result.insert(QStringLiteral("statements"), statements);
            if (customers.isEmpty())
                out.lines << QStringLiteral("这段期间没有客户往来");
        } else if (!statements.isEmpty()) {
            out.result.insert(QStringLiteral("statement"), statements.first());
        }
    } catch (const core::DbError& e) {
        writeError(QStringLiteral("错误：") + e.message());
        out.exit = DataError;
    } catch (const imports::SpreadsheetError& e) {
        writeError(QStringLiteral("导出Excel失败：") + e.message());
        out.exit = DataError;
    } catch (const print::PrintError& e) {
        writeError(QStringLiteral("保存PDF失败：") + e.message());
        out.exit = PrinterError;
    }
    return out;
}

} // namespace cli
