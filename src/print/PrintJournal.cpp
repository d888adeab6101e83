#include "print/PrintJournal.h"

#include "core/AppContext.h"
#include "core/ColumnOps.h"
#include "core/Database.h"
#include "core/DbError.h"
#include "core/LikePattern.h"
#include "core/Recordset.h"

#include <algorithm>

namespace print {

const QString PrintJournal::kTable = QStringLiteral("PrintJournal");

void PrintJournal::ensureTable() {
    if (m_tableChecked)
        return;
    core::ColumnOps ops(m_app);
    const bool made = ops.CreateTableIFNotExists(
        kTable, QStringLiteral("create table PrintJournal (ID autoincrement(1,1) primary key, JobNo long, "
                               "PageNo long, PrintTime Text(19), Printer Text(255), Paper Text(100), "
                               "TemplateID long, TemplateName Text(100), NoteNo Text(50), OrderNo Text(50), "
                               "Operator Text(50), Copies long, Digest Text(40))"));
    if (!made)
        throw core::DbError(QStringLiteral("无法创建打印记录表"));
    m_app.db().exec(
        QStringLiteral("create index if not exists PrintJournal_Job on PrintJournal (JobNo, PageNo)"));
    m_app.db().exec(
        QStringLiteral("create index if not exists PrintJournal_Time on PrintJournal (PrintTime)"));
    m_tableChecked = true;
}

int PrintJournal::record(const Job& job) {
    if (job.pages.isEmpty())
        return 0;
    ensureTable();
    core::Database& db = m_app.db();
    db.begin();
    try {
        const int number = db.scalar(QStringLiteral("select max(JobNo) from PrintJournal")).toInt() + 1;
        const QString time = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        int index = 0;
        for (const Job::Page& page : job.pages) {
            db.exec(QStringLiteral(
                        "insert into PrintJournal (JobNo, PageNo, PrintTime, Printer, Paper, TemplateID, "
                        "TemplateName, NoteNo, OrderNo, Operator, Copies, Digest) values (:job, :page, "
                        ":time, :printer, :paper, :tid, :tname, :note, :ord, :op, :copies, :digest)"),
                    {{QStringLiteral("job"), number},
                     {QStringLiteral("page"), ++index},
                     {QStringLiteral("time"), time},
                     {QStringLiteral("printer"), job.printer},
                     {QStringLiteral("paper"), job.paper},
                     {QStringLiteral("tid"), job.templateId},
                     {QStringLiteral("tname"), job.templateName},
                     {QStringLiteral("note"), page.noteNumber},
                     {QStringLiteral("ord"), page.orderNumber},
                     {QStringLiteral("op"), job.operatorName},
                     {QStringLiteral("copies"), job.copies},
                     {QStringLiteral("digest"), page.digest}});
        }
        db.commit();
        return number;
    } catch (...) {
        db.rollback();
        throw;
    }
}

PrintJournal::Statement PrintJournal::listStatement(const Filter& filter) {
    QStringList where;
    QVariantMap params;
    if (filter.from.isValid()) {
        where << QStringLiteral("PrintTime >= :from");
        params.insert(QStringLiteral("from"), filter.from.toString(Qt::ISODate));
    }
    if (filter.to.isValid()) {
        where << QStringLiteral("PrintTime < :to");
        params.insert(QStringLiteral("to"), filter.to.addDays(1).toString(Qt::ISODate));
    }
    if (!filter.printer.isEmpty()) {
        where << QStringLiteral("Printer = :printer");
        params.insert(QStringLiteral("printer"), filter.printer);
    }
    if (filter.job > 0) {
        where << QStringLiteral("JobNo = :job");
        params.insert(QStringLiteral("job"), filter.job);
    }
    if (!filter.number.trimmed().isEmpty()) {
        where << QStringLiteral("(NoteNo like :number escape '\\' or OrderNo like :number escape '\\')");
        params.insert(QStringLiteral("number"),
                      QLatin1Char('%') + core::likeLiteral(filter.number.trimmed()) + QLatin1Char('%'));
    }
    QString sql = QStringLiteral(
        "select ID, JobNo as 作业号, PageNo as 页号, PrintTime as 打印时间, Printer as 打印机, "
        "Paper as 纸张, TemplateName as 模板, NoteNo as 单号, OrderNo as 订单号, "
        "Operator as 操作员, Copies as 份数 from PrintJournal");
    if (!where.isEmpty())
        sql += QStringLiteral(" where ") + where.join(QStringLiteral(" and "));
    sql += QStringLiteral(" order by JobNo desc, PageNo");
    return {sql, params};
}

QVector<JournalPage> PrintJournal::pagesByIds(const QList<qint64>& ids) {
    ensureTable();
    QVector<JournalPage> out;
    // One statement per id keeps every value bound; a reprint selects a few hundred at most.
    for (qint64 id : ids)
        out += read(QStringLiteral("ID = :id"), {{QStringLiteral("id"), id}}, QStringLiteral("ID"));
    std::sort(out.begin(), out.end(), [](const JournalPage& a, const JournalPage& b) {
        return a.job != b.job ? a.job < b.job : a.page < b.page;
    });
    return out;
}

QVector<JournalPage> PrintJournal::pagesOf(int job, int first, int last) {
    ensureTable();
    QString where = QStringLiteral("JobNo = :job and PageNo >= :first");
    QVariantMap params{{QStringLiteral("job"), job}, {QStringLiteral("first"), first}};
    if (last >= 0) {
        where += QStringLiteral(" and PageNo <= :last");
        params.insert(QStringLiteral("last"), last);
    }
    return read(where, params, QStringLiteral("PageNo"));
}

QStringList PrintJournal::printers() {
    ensureTable();
    QStringList out;
    core::Recordset rs =
        m_app.db().query(QStringLiteral("select distinct Printer from PrintJournal order by Printer"));
    for (rs.first(); !rs.eof(); rs.next())
        out << rs.text(0);
    return out;
}

QVector<JournalPage> PrintJournal::read(const QString& where, const QVariantMap& params,
                                        const QString& order) {
    QString sql = QStringLiteral("select * from PrintJournal");
    if (!where.isEmpty())
        sql += QStringLiteral(" where ") + where;
    sql += QStringLiteral(" order by ") + order;
    core::Recordset rs = m_app.db().query(sql, params);
    QVector<JournalPage> out;
    out.reserve(rs.recordCount());
    for (rs.first(); !rs.eof(); rs.next()) {
        JournalPage p;
        p.id = rs.integer(QStringLiteral("ID"));
        p.job = int(rs.integer(QStringLiteral("JobNo")));
        p.page = int(rs.integer(QStringLiteral("PageNo")));
        p.time = QDateTime::fromString(rs.text(QStringLiteral("PrintTime")),
                                       QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        p.printer = rs.text(QStringLiteral("Printer"));
        p.paper = rs.text(QStringLiteral("Paper"));
        p.templateId = int(rs.integer(QStringLiteral("TemplateID")));
        p.templateName = rs.text(QStringLiteral("TemplateName"));
        p.noteNumber = rs.text(QStringLiteral("NoteNo"));
        p.orderNumber = rs.text(QStringLiteral("OrderNo"));
        p.operatorName = rs.text(QStringLiteral("Operator"));
        p.copies = int(rs.integer(QStringLiteral("Copies")));
        p.digest = rs.text(QStringLiteral("Digest"));
        out << p;
    }
    return out;
}

} // namespace print
