#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <QVector>

#include <functional>

namespace core {
class AppContext;
}

namespace print {

// One page handed to a printer, as the journal keeps it.
struct JournalPage {
    // What the page was printed from, so a reprint reads the same thing as stored now: a saved
    // note (by its number) or an order of the order tables (a batch run, by its order number).
    enum class Source { Note, Order };

    qint64 id = 0;
    int job = 0;  // the job number, counted over the whole journal
    int page = 0; // 1-based within its job
    QDateTime time;
    QString printer;
    QString paper;
    int templateId = 0;
    QString templateName; // the variant (cbFirstTypeName) the page printed with
    QString noteNumber;
    QString orderNumber;
    QString operatorName;
    int copies = 1;
    QString digest; // of the values the page carried (BillPrinter::pageDigest)
    Source source = Source::Note;
    bool orderRemark = true; // an order page: the order's remark went into its box
};

// The print journal: every page handed to a printer, so that after a jam the clerk finds the
// spoiled forms and prints them again. Table PrintJournal, created when missing; every value
// bound. A job's pages are written in one transaction after the printer took the job, so an
// aborted job leaves nothing and a written job is whole.
class PrintJournal {
public:
    explicit PrintJournal(core::AppContext& app) : m_app(app) {}

    // What a job printed, before it has a number.
    struct Job {
        QString printer;
        QString paper;
        int templateId = 0;
        QString templateName;
        QString operatorName;
        int copies = 1;
        struct Page {
            QString noteNumber;
            QString orderNumber;
            QString digest;
            JournalPage::Source source = JournalPage::Source::Note;
            bool orderRemark = true;
        };
        QVector<Page> pages;
        QDateTime time = {}; // when the printer took it; invalid: now
    };

    // Writes the job's pages under the next job number, which no other seat can take meanwhile;
    // `alongside` runs in the same transaction (a batch run marks its orders printed there, so
    // the orders and their pages are written together or not at all). Returns the job's number
    // (0 for a job without pages). Throws DbError; nothing is written then.
    int record(const Job& job, const std::function<void()>& alongside = {});

    // Jobs the printer took whose pages could not be written wait in a file of the program
    // folder (Data/PrintJournal.pending) until a later write succeeds, so a reprint after a jam
    // still finds them. keep() adds a job there; writePending() writes what waits, each job under
    // its own number, and empties the file. Both report a failure by throwing; keep() a
    // std::runtime_error, writePending() DbError (what waits stays waiting).
    void keep(const Job& job);
    int writePending();
    bool hasPending() const;

    struct Filter {
        QDate from; // invalid: no bound
        QDate to;
        QString printer; // exact; empty: any
        int job = 0;     // 0: any
        QString number;  // part of a note or order number; empty: any
    };
    // The statement of the journal's list (columns ID, 作业号, 页号, 打印时间, 打印机, 纸张, 模板,
    // 单号, 订单号, 操作员, 份数), newest job first, pages in order within a job.
    struct Statement {
        QString sql;
        QVariantMap params;
    };
    static Statement listStatement(const Filter& filter);
    // The pages of these ids, in job and page order. Throws DbError.
    QVector<JournalPage> pagesByIds(const QList<qint64>& ids);
    // Pages first…last of a job, in order. Throws DbError.
    QVector<JournalPage> pagesOf(int job, int first, int last = -1);
    // Printers the journal names, for the filter. Throws DbError.
    QStringList printers();

    // Creates the table and its indexes when missing. Throws DbError.
    void ensureTable();

    static const QString kTable;

private:
    int insertJob(const Job& job);
    // Jobs of two seats that were once given one number (before numbers were locked) are told
    // apart and the later ones renumbered, so the unique key on job and page can be made.
    void separateSharedJobs();
    QString pendingPath() const;
    QVector<JournalPage> read(const QString& where, const QVariantMap& params, const QString& order);

    core::AppContext& m_app;
    bool m_tableChecked = false;
};

} // namespace print
