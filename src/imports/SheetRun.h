#pragma once

#include <QString>
#include <functional>

namespace core {
class Database;
class Dialogs;
} // namespace core

namespace imports {

class ImportLog;
class Spreadsheet;

// What a run asks of the window that shows it; every call has a quiet default, so the logic
// runs without a window.
class RunObserver {
public:
    virtual ~RunObserver() = default;
    virtual void status(const QString& text) { Q_UNUSED(text) }
    virtual void progressStart(int maximum) { Q_UNUSED(maximum) }
    virtual void progressStep() {}
    // The bar shows this position as its end (a stop shortens the bar to where it stood).
    virtual void progressEnd(bool stoppedHere) { Q_UNUSED(stoppedHere) }
    // Lets the window process pending events, so it can be moved and stopped.
    virtual void serviceEvents() {}
    virtual bool stopRequested() { return false; }
    // The clerk answered No to the stop question: the request is forgotten and the stop
    // command offered again.
    virtual void stopDeclined() {}
};

struct RunResult {
    int imported = 0;
    int skipped = 0;
    bool ran = false;      // rows were walked (false: the run ended before them)
    bool stopped = false;  // a confirmed stop
    bool failed = false;   // nothing kept: the message says why
    bool noData = false;   // the sheet is empty
    bool declined = false; // the clerk declined a question before the rows
    QString report;        // the final report, or the failure message
};

// The walk over the data rows of a sheet shared by the imports: rows 2 onwards, at most
// maxDataRows of them, every row written inside one transaction that is committed at the end
// and on a confirmed stop. A commit that fails rolls everything back and is reported as such,
// with nothing counted as imported. Started inside a transaction of the caller's, the rows join
// it: the caller commits, and rolls back after a failed run.
class SheetRun {
public:
    static constexpr int maxDataRows = 6000;

    SheetRun(core::Database& db, core::Dialogs& dialogs, ImportLog& log, RunObserver& observer)
        : m_db(db), m_dialogs(dialogs), m_log(log), m_observer(observer) {}

    // saveRow(row) returns whether the row was written; it logs its own outcome. It throws
    // core::DbError only when the run cannot go on. skippedText follows the count of skipped
    // rows in the report.
    RunResult run(const Spreadsheet& sheet, const std::function<bool(int)>& saveRow,
                  const QString& skippedText);

    // After a statement failed inside the run: throws when the engine ended the transaction
    // with it (a full disk, say), since the rows after it would be written outside of it.
    static void ensureTransaction(core::Database& db);

    static QString overMaxMessage();
    static QString failurePrefix() { return QStringLiteral("意外导入错误,E="); }

private:
    core::Database& m_db;
    core::Dialogs& m_dialogs;
    ImportLog& m_log;
    RunObserver& m_observer;
};

} // namespace imports
