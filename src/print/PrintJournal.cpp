#include "print/PrintJournal.h"

#include "core/AppContext.h"
#include "core/ColumnOps.h"
#include "core/Database.h"
#include "core/DbError.h"
#include "core/LikePattern.h"
#include "core/Recordset.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <algorithm>
#include <stdexcept>

namespace print {

const QString PrintJournal::kTable = QStringLiteral("PrintJournal");

namespace {

const QString kOrderSource = QStringLiteral("order");
const QString kNoteSource = QStringLiteral("note");
// A pending file larger than this is no list of a few jobs the printer took.
constexpr qint64 kPendingLimit = 16 * 1024 * 1024;

QJsonObject toJson(const PrintJournal::Job& job) {
    QJsonArray pages;
    for (const PrintJournal::Job::Page& p : job.pages)
        pages.append(QJsonObject{
            {QStringLiteral("note"), p.noteNumber},
            {QStringLiteral("order"), p.orderNumber},
            {QStringLiteral("digest"), p.digest},
            {QStringLiteral("source"), p.source == JournalPage::Source::Order ? kOrderSource : kNoteSource},
            {QStringLiteral("remark"), p.orderRemark}});
    const QDateTime time = job.time.isValid() ? job.time : QDateTime::currentDateTime();
    return {{QStringLiteral("printer"), job.printer},
            {QStringLiteral("paper"), job.paper},
            {QStringLiteral("templateId"), job.templateId},
            {QStringLiteral("templateName"), job.templateName},
            {QStringLiteral("operator"), job.operatorName},
            {QStringLiteral("copies"), job.copies},
            {QStringLiteral("time"), time.toString(Qt::ISODate)},
            {QStringLiteral("pages"), pages}};
}

PrintJournal::Job fromJson(const QJsonObject& o) {
    PrintJournal::Job job;
    job.printer = o.value(QStringLiteral("printer")).toString();
    job.paper = o.value(QStringLiteral("paper")).toString();
    job.templateId = o.value(QStringLiteral("templateId")).toInt();
    job.templateName = o.value(QStringLiteral("templateName")).toString();
    job.operatorName = o.value(QStringLiteral("operator")).toString();
    job.copies = o.value(QStringLiteral("copies")).toInt(1);
    job.time = QDateTime::fromString(o.value(QStringLiteral("time")).toString(), Qt::ISODate);
    for (const QJsonValue& v : o.value(QStringLiteral("pages")).toArray()) {
        const QJsonObject p = v.toObject();
        job.pages.append(
            {p.value(QStringLiteral("note")).toString(), p.value(QStringLiteral("order")).toString(),
             p.value(QStringLiteral("digest")).toString(),
             p.value(QStringLiteral("source")).toString() == kOrderSource ? JournalPage::Source::Order
                                                                          : JournalPage::Source::Note,
             p.value(QStringLiteral("remark")).toBool(true)});
    }
    return job;
}

} // namespace

void PrintJournal::ensureTable() {
    if (m_tableChecked)
        return;
    core::ColumnOps ops(m_app);
    const bool made = ops.CreateTableIFNotExists(
        kTable, QStringLiteral("create table PrintJournal (ID autoincrement(1,1) primary key, JobNo long, "
                               "PageNo long, PrintTime Text(19), Printer Text(255), Paper Text(100), "
                               "TemplateID long, TemplateName Text(100), NoteNo Text(50), OrderNo Text(50), "
                               "Operator Text(50), Copies long, Digest Text(40), Source Text(10), "
                               "OrderRemark long)"));
    // Journals of earlier versions gain the page's source; their rows read it from OrderNo.
    if (!made || !ops.aAddColumn(kTable, QStringLiteral("Source"), nullptr, QStringLiteral("10")) ||
        !ops.aAddColumn(kTable, QStringLiteral("OrderRemark"), nullptr, QString(), QStringLiteral("Numeric")))
        throw core::DbError(QStringLiteral("无法创建打印记录表"));
    core::Database& db = m_app.db();
    db.exec(QStringLiteral("create index if not exists PrintJournal_Time on PrintJournal (PrintTime)"));
    // An order's pages by its number; the ledger reads each order's first printing from it alone.
    db.exec(QStringLiteral(
        "create index if not exists PrintJournal_OrderFirst on PrintJournal (OrderNo, Source, PrintTime)"));
    const QString unique = QStringLiteral(
        "create unique index if not exists PrintJournal_JobPage on PrintJournal (JobNo, PageNo)");
    try {
        db.exec(unique);
    } catch (const core::DbError&) {
        separateSharedJobs();
        db.exec(unique);
    }
    m_tableChecked = true;
}

void PrintJournal::separateSharedJobs() {
    core::Database& db = m_app.db();
    db.begin();
    try {
        core::Recordset rs = db.query(QStringLiteral(
            "select ID, JobNo, PageNo, PrintTime, Printer, Operator, TemplateID, Copies from PrintJournal "
            "where JobNo in (select JobNo from PrintJournal group by JobNo, PageNo having count(*)>1) "
            "order by JobNo, ID"));
        // Within a shared number, one seat's job is the rows of one time, printer, operator,
        // template and copies whose pages count up; the first job keeps the number.
        struct Run {
            QString key;
            qint64 lastPage = 0;
            QList<qint64> ids;
        };
        QVector<Run> moved;
        qint64 job = -1;
        QVector<Run> runs;
        const auto flush = [&] {
            for (int i = 1; i < runs.size(); ++i)
                moved << runs[i];
            runs.clear();
        };
        for (rs.first(); !rs.eof(); rs.next()) {
            if (rs.integer(QStringLiteral("JobNo")) != job) {
                flush();
                job = rs.integer(QStringLiteral("JobNo"));
            }
            const QString key =
                QStringList{rs.text(QStringLiteral("PrintTime")), rs.text(QStringLiteral("Printer")),
                            rs.text(QStringLiteral("Operator")), rs.text(QStringLiteral("TemplateID")),
                            rs.text(QStringLiteral("Copies"))}
                    .join(QChar(0x1f));
            const qint64 page = rs.integer(QStringLiteral("PageNo"));
            auto run = std::find_if(runs.begin(), runs.end(),
                                    [&](const Run& r) { return r.key == key && r.lastPage < page; });
            if (run == runs.end())
                run = runs.insert(runs.end(), Run{key, 0, {}});
            run->lastPage = page;
            run->ids << rs.integer(QStringLiteral("ID"));
        }
        flush();
        int next = db.scalar(QStringLiteral("select max(JobNo) from PrintJournal")).toInt();
        for (const Run& r : moved) {
            QVariantList ids;
            for (qint64 id : r.ids)
                ids << id;
            db.exec(QStringLiteral("update PrintJournal set JobNo=:job where ID") +
                        core::Database::keyList(QStringLiteral("ids")),
                    {{QStringLiteral("job"), ++next}, {QStringLiteral("ids"), ids}});
        }
        db.commit();
    } catch (...) {
        db.rollback();
        throw;
    }
}

int PrintJournal::insertJob(const Job& job) {
    core::Database& db = m_app.db();
    // The number is taken under a lock that another seat's journal write waits for until this
    // transaction ends, so two seats never give their jobs one number; the unique key on job and
    // page stands behind it.
    db.lockName(QStringLiteral("PrintJournal.JobNo"));
    const int number = db.scalar(QStringLiteral("select max(JobNo) from PrintJournal")).toInt() + 1;
    const QDateTime when = job.time.isValid() ? job.time : QDateTime::currentDateTime();
    const QString time = when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    int index = 0;
    for (const Job::Page& page : job.pages) {
        db.exec(
            QStringLiteral("insert into PrintJournal (JobNo, PageNo, PrintTime, Printer, Paper, TemplateID, "
                           "TemplateName, NoteNo, OrderNo, Operator, Copies, Digest, Source, OrderRemark) "
                           "values (:job, :page, :time, :printer, :paper, :tid, :tname, :note, :ord, :op, "
                           ":copies, :digest, :source, :remark)"),
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
             {QStringLiteral("digest"), page.digest},
             {QStringLiteral("source"),
              page.source == JournalPage::Source::Order ? kOrderSource : kNoteSource},
             {QStringLiteral("remark"), page.orderRemark ? 1 : 0}});
    }
    return number;
}

int PrintJournal::record(const Job& job, const std::function<void()>& alongside) {
    if (job.pages.isEmpty())
        return 0;
    ensureTable();
    core::Database& db = m_app.db();
    db.begin();
    try {
        const int number = insertJob(job);
        db.reachStep(QStringLiteral("journal.pages"));
        if (alongside)
            alongside();
        db.commit();
        return number;
    } catch (...) {
        db.rollback();
        throw;
    }
}

QString PrintJournal::pendingPath() const {
    return m_app.pathOf(QStringLiteral("Data/PrintJournal.pending"));
}

bool PrintJournal::hasPending() const {
    return QFileInfo::exists(pendingPath());
}

namespace {

// The jobs of a pending file; an unreadable file is moved aside (it may be looked at, but it
// must not stop every later job's journal).
QVector<PrintJournal::Job> readPending(const QString& path) {
    QVector<PrintJournal::Job> jobs;
    QFile file(path);
    if (!file.exists())
        return jobs;
    QJsonParseError error{};
    QJsonDocument doc;
    if (file.size() <= kPendingLimit && file.open(QIODevice::ReadOnly))
        doc = QJsonDocument::fromJson(file.readAll(), &error);
    file.close();
    if (!doc.isArray()) {
        QFile::rename(path, path + QStringLiteral(".unreadable-") +
                                QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddHHmmss")));
        return jobs;
    }
    for (const QJsonValue& v : doc.array())
        if (v.isObject())
            jobs << fromJson(v.toObject());
    return jobs;
}

} // namespace

void PrintJournal::keep(const Job& job) {
    if (job.pages.isEmpty())
        return;
    const QString path = pendingPath();
    QJsonArray all;
    for (const Job& waiting : readPending(path))
        all.append(toJson(waiting));
    all.append(toJson(job));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(QJsonDocument(all).toJson(QJsonDocument::Compact)) < 0 || !file.commit())
        throw std::runtime_error(file.errorString().toStdString());
}

int PrintJournal::writePending() {
    const QString path = pendingPath();
    const QVector<Job> jobs = readPending(path);
    if (jobs.isEmpty()) {
        QFile::remove(path);
        return 0;
    }
    ensureTable();
    core::Database& db = m_app.db();
    db.begin();
    try {
        for (const Job& job : jobs)
            if (!job.pages.isEmpty())
                insertJob(job);
        db.commit();
    } catch (...) {
        db.rollback();
        throw;
    }
    // Removed right after the commit: a kill in between writes these jobs a second time, which
    // loses nothing.
    QFile::remove(path);
    return int(jobs.size());
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
        // Rows written before the source was kept: a page with an order number came from a
        // batch run, whose note number is the order's too.
        const QString source = rs.text(QStringLiteral("Source"));
        p.source = source == kOrderSource || (source.isEmpty() && !p.orderNumber.isEmpty())
                       ? JournalPage::Source::Order
                       : JournalPage::Source::Note;
        p.orderRemark = rs.value(QStringLiteral("OrderRemark")).isNull() ||
                        rs.integer(QStringLiteral("OrderRemark")) != 0;
        out << p;
    }
    return out;
}

} // namespace print
