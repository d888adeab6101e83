#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <QVector>

namespace core {
class AppContext;
}

namespace print {

// One page handed to a printer, as the journal keeps it.
struct JournalPage {
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
        };
        QVector<Page> pages;
    };

    // Writes the job's pages; returns its number (0 for a job without pages). Throws DbError.
    int record(const Job& job);

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
    QVector<JournalPage> read(const QString& where, const QVariantMap& params, const QString& order);

    core::AppContext& m_app;
    bool m_tableChecked = false;
};

} // namespace print
