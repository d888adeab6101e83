#include "entry/NoteSalesTotals.h"

#include "core/RepeatedStatement.h"
#include "entry/TypedNumber.h"

#include <QByteArray>
#include <QHash>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QVector>

#include <functional>
#include <memory>

namespace entry {

const QString NoteSalesTotals::kCustomers = QStringLiteral("NoteCustomerDays");
const QString NoteSalesTotals::kProducts = QStringLiteral("NoteProductDays");

namespace {

const QString kCustomerTable = QStringLiteral(
    "CREATE TABLE NoteCustomerDays (ID INTEGER PRIMARY KEY AUTOINCREMENT, 出票日 TEXT COLLATE NOCASE, "
    "顾客键 TEXT COLLATE NOCASE, 顾客名称 TEXT COLLATE NOCASE, 票据状态 TEXT COLLATE NOCASE, "
    "单据数 INTEGER, 金额分 INTEGER)");
const QString kCustomerKey = QStringLiteral("CREATE UNIQUE INDEX IF NOT EXISTS idx_notecustomerdays_key ON "
                                            "NoteCustomerDays (出票日, 顾客键, 票据状态)");
const QString kProductTable = QStringLiteral(
    "CREATE TABLE NoteProductDays (ID INTEGER PRIMARY KEY AUTOINCREMENT, 出票日 TEXT COLLATE NOCASE, "
    "商品键 TEXT COLLATE NOCASE, 货号 TEXT COLLATE NOCASE, 商品名 TEXT COLLATE NOCASE, "
    "票据状态 TEXT COLLATE NOCASE, 行数 INTEGER, 金额分 INTEGER)");
const QString kProductKey = QStringLiteral("CREATE UNIQUE INDEX IF NOT EXISTS idx_noteproductdays_key ON "
                                           "NoteProductDays (出票日, 商品键, 票据状态)");

// Goods lines that belong to a note the condition finds; lines of no note are sales of nobody.
QString linesOf(const QString& where) {
    return QStringLiteral("select d.货号, d.商品名, d.金额, h.day_, h.state_ from DataCheckFHDSHDDetail d "
                          "join (select 票据编号 as number_, 出票日期 as day_, 票据状态 as state_ from "
                          "DataCheckFHDSHD where ") +
           where + QStringLiteral(") h on d.票据编号=h.number_");
}

QString text(const QVariant& value) {
    const QString t = value.toString();
    return t.isNull() ? QStringLiteral("") : t;
}

struct Bucket {
    QString day, key, code, name, state;
    qint64 count = 0;
    qint64 cents = 0;
};

// Sums rows per key in memory: a day holds many notes of one customer, so grouping here keeps
// the statements to one per key.
class Buckets {
public:
    Bucket& at(const QString& day, const QString& key, const QString& state) {
        const QChar sep(0x1f);
        const QString whole = day + sep + key + sep + state;
        auto it = m_index.find(whole);
        if (it == m_index.end()) {
            it = m_index.insert(whole, m_rows.size());
            m_rows.push_back({day, key, {}, {}, state});
        }
        return m_rows[*it];
    }
    const QVector<Bucket>& rows() const { return m_rows; }

private:
    QHash<QString, int> m_index;
    QVector<Bucket> m_rows;
};

void forEachRow(core::Database& db, const QString& sql, const core::Params& params,
                const std::function<void(const QSqlQuery&)>& row) {
    const QString translated = db.translated(sql);
    QSqlQuery rows(db.connection());
    rows.setForwardOnly(true);
    if (!rows.prepare(translated))
        throw core::DbError(core::Database::errorText(rows.lastError()));
    core::Database::bind(rows, translated, params, db.engine());
    if (!rows.exec())
        throw core::DbError(core::Database::errorText(rows.lastError()));
    while (rows.next())
        row(rows);
    if (rows.lastError().isValid())
        throw core::DbError(core::Database::errorText(rows.lastError()));
}

} // namespace

bool NoteSalesTotals::cents(const QString& text, qint64* out) {
    // Read as the statements read money.
    const std::optional<qint64> cents = TypedNumber::cents(text);
    if (cents)
        *out = *cents;
    return cents.has_value();
}

QString NoteSalesTotals::customerKey(const QString& name) {
    QString key = name.trimmed();
    for (QChar& c : key)
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + ('a' - 'A'));
    return QString::fromLatin1(key.toUtf8().toHex());
}

QString NoteSalesTotals::day(const QString& issued) {
    static const QRegularExpression iso(QStringLiteral("^(\\d{4}-\\d{2}-\\d{2})(?:[ T].*)?$"));
    const QRegularExpressionMatch m = iso.match(issued);
    return m.hasMatch() ? m.captured(1) : QStringLiteral("");
}

QString NoteSalesTotals::productKey(const QString& code, const QString& name) const {
    const QString c = code.trimmed();
    return c.isEmpty() ? QLatin1Char('=') + m_db.caseKey(name.trimmed()) : QLatin1Char('#') + m_db.caseKey(c);
}

bool NoteSalesTotals::kept() {
    if (m_kept < 0)
        m_kept = m_db.hasTable(kCustomers) && m_db.hasTable(kProducts) ? 1 : 0;
    return m_kept == 1;
}

void NoteSalesTotals::create() {
    // A store of an earlier build may hold one of the two (a copy interrupted before its
    // commit cannot, but a hand-made one can): both are made anew.
    for (const QString& table : {kCustomers, kProducts})
        if (m_db.hasTable(table))
            m_db.exec(QStringLiteral("drop table ") + table);
    m_db.exec(kCustomerTable);
    m_db.exec(kCustomerKey);
    m_db.exec(kProductTable);
    m_db.exec(kProductKey);
    m_kept = 1;
}

void NoteSalesTotals::ensure() {
    if (kept()) {
        repair();
        return;
    }
    try {
        create();
        put(QStringLiteral("1=1"), {});
    } catch (const core::DbError&) {
        m_kept = -1;
        throw;
    }
}

bool NoteSalesTotals::repair() {
    if (!kept())
        return false;
    // Both sides of both counts in one statement, read at one moment on a server.
    const core::Recordset check = m_db.query(QStringLiteral(
        "select (select count(*) from DataCheckFHDSHD) as notes, (select sum(单据数) from "
        "NoteCustomerDays) as keptNotes, (select count(*) from DataCheckFHDSHDDetail d where exists "
        "(select 1 from DataCheckFHDSHD h where h.票据编号=d.票据编号)) as lines, (select sum(行数) from "
        "NoteProductDays) as keptLines"));
    if (check.value(0).toLongLong() == check.value(1).toLongLong() &&
        check.value(2).toLongLong() == check.value(3).toLongLong())
        return false;
    recount();
    return true;
}

void NoteSalesTotals::recount() {
    if (!kept())
        return;
    clear();
    put(QStringLiteral("1=1"), {});
}

void NoteSalesTotals::clear() {
    if (!kept())
        return;
    m_db.exec(QStringLiteral("delete from NoteCustomerDays"));
    m_db.exec(QStringLiteral("delete from NoteProductDays"));
}

void NoteSalesTotals::move(const QString& where, const core::Params& params, int sign) {
    if (!kept())
        return;
    Buckets customers;
    forEachRow(m_db,
               QStringLiteral("select 出票日期, 顾客名称, 票据状态, 合计金额 from DataCheckFHDSHD where ") +
                   where,
               params, [&](const QSqlQuery& row) {
                   const QString name = text(row.value(1)).trimmed();
                   Bucket& b = customers.at(day(text(row.value(0))), customerKey(name), text(row.value(2)));
                   if (b.count == 0)
                       b.name = name;
                   ++b.count;
                   qint64 c = 0;
                   if (cents(text(row.value(3)), &c))
                       b.cents += c;
               });
    Buckets products;
    forEachRow(m_db, linesOf(where), params, [&](const QSqlQuery& row) {
        const QString code = text(row.value(0)).trimmed();
        const QString name = text(row.value(1)).trimmed();
        Bucket& b = products.at(day(text(row.value(3))), productKey(code, name), text(row.value(4)));
        if (b.count == 0) {
            b.code = code;
            b.name = name;
        }
        ++b.count;
        qint64 c = 0;
        if (cents(text(row.value(2)), &c))
            b.cents += c;
    });

    std::unique_ptr<core::RepeatedStatement> addCustomer, addProduct;
    if (sign > 0) {
        addCustomer = std::make_unique<core::RepeatedStatement>(
            m_db,
            QStringLiteral("insert into NoteCustomerDays (出票日, 顾客键, 顾客名称, 票据状态, 单据数, "
                           "金额分) values (:day, :key, :name, :state, :n, :cents) on conflict (出票日, "
                           "顾客键, 票据状态) do update set 单据数=NoteCustomerDays.单据数+excluded.单据数, "
                           "金额分=NoteCustomerDays.金额分+excluded.金额分"));
        addProduct = std::make_unique<core::RepeatedStatement>(
            m_db, QStringLiteral(
                      "insert into NoteProductDays (出票日, 商品键, 货号, 商品名, 票据状态, 行数, "
                      "金额分) values (:day, :key, :code, :name, :state, :n, :cents) on conflict "
                      "(出票日, 商品键, 票据状态) do update set 行数=NoteProductDays.行数+excluded.行数, "
                      "金额分=NoteProductDays.金额分+excluded.金额分"));
    }
    for (const Bucket& b : customers.rows()) {
        const core::Params p{
            {QStringLiteral("day"), b.day},        {QStringLiteral("key"), b.key},
            {QStringLiteral("name"), b.name},      {QStringLiteral("state"), b.state},
            {QStringLiteral("n"), sign * b.count}, {QStringLiteral("cents"), sign * b.cents}};
        if (sign > 0) {
            addCustomer->exec(p);
            continue;
        }
        const QString match = QStringLiteral(" where 出票日=:day and 顾客键=:key and 票据状态=:state");
        m_db.exec(
            QStringLiteral("update NoteCustomerDays set 单据数=单据数+:n, 金额分=金额分+:cents") + match, p);
        m_db.exec(QStringLiteral("delete from NoteCustomerDays") + match + QStringLiteral(" and 单据数<=0"),
                  p);
    }
    for (const Bucket& b : products.rows()) {
        const core::Params p{{QStringLiteral("day"), b.day},           {QStringLiteral("key"), b.key},
                             {QStringLiteral("code"), b.code},         {QStringLiteral("name"), b.name},
                             {QStringLiteral("state"), b.state},       {QStringLiteral("n"), sign * b.count},
                             {QStringLiteral("cents"), sign * b.cents}};
        if (sign > 0) {
            addProduct->exec(p);
            continue;
        }
        const QString match = QStringLiteral(" where 出票日=:day and 商品键=:key and 票据状态=:state");
        m_db.exec(QStringLiteral("update NoteProductDays set 行数=行数+:n, 金额分=金额分+:cents") + match, p);
        m_db.exec(QStringLiteral("delete from NoteProductDays") + match + QStringLiteral(" and 行数<=0"), p);
    }
}

} // namespace entry
