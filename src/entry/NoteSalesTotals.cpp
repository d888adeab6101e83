#include "entry/NoteSalesTotals.h"

#include "core/StatementCache.h"
#include "entry/TypedNumber.h"

#include <QByteArray>
#include <QHash>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QVector>

#include <algorithm>
#include <functional>
#include <limits>

namespace entry {

const QString NoteSalesTotals::kCustomers = QStringLiteral("NoteCustomerDays");
const QString NoteSalesTotals::kProducts = QStringLiteral("NoteProductDays");
const QString NoteSalesTotals::kCustomerMonths = QStringLiteral("NoteCustomerMonths");
const QString NoteSalesTotals::kProductMonths = QStringLiteral("NoteProductMonths");

QStringList NoteSalesTotals::tables() {
    return {kCustomers, kProducts, kCustomerMonths, kProductMonths};
}

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

const QString kCustomerMonthTable = QStringLiteral(
    "CREATE TABLE NoteCustomerMonths (ID INTEGER PRIMARY KEY AUTOINCREMENT, 出票月 TEXT COLLATE NOCASE, "
    "顾客键 TEXT COLLATE NOCASE, 顾客名称 TEXT COLLATE NOCASE, 票据状态 TEXT COLLATE NOCASE, "
    "单据数 INTEGER, 金额分 INTEGER)");
const QString kCustomerMonthKey =
    QStringLiteral("CREATE UNIQUE INDEX IF NOT EXISTS idx_notecustomermonths_key ON NoteCustomerMonths "
                   "(出票月, 顾客键, 票据状态)");
// A customer's months from the index alone: the ledger sums a customer's old debt by it.
const QString kCustomerMonthIndex =
    QStringLiteral("CREATE INDEX IF NOT EXISTS idx_notecustomermonths_customer ON NoteCustomerMonths "
                   "(顾客键, 出票月, 票据状态, 金额分, "
                   "顾客名称)");
const QString kProductMonthTable = QStringLiteral(
    "CREATE TABLE NoteProductMonths (ID INTEGER PRIMARY KEY AUTOINCREMENT, 出票月 TEXT COLLATE NOCASE, "
    "商品键 TEXT COLLATE NOCASE, 货号 TEXT COLLATE NOCASE, 商品名 TEXT COLLATE NOCASE, "
    "票据状态 TEXT COLLATE NOCASE, 行数 INTEGER, 金额分 INTEGER)");
const QString kProductMonthKey = QStringLiteral("CREATE UNIQUE INDEX IF NOT EXISTS idx_noteproductmonths_key "
                                                "ON NoteProductMonths (出票月, 商品键, 票据状态)");

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
    int size() const { return m_rows.size(); }
    void clear() {
        m_index.clear();
        m_rows.clear();
    }
    // The same sums per month (yyyy-MM of the day; "" stays ""), names as first met.
    Buckets months() const {
        Buckets out;
        for (const Bucket& b : m_rows) {
            Bucket& m = out.at(b.day.left(7), b.key, b.state);
            if (m.count == 0) {
                m.code = b.code;
                m.name = b.name;
            }
            m.count += b.count;
            m.cents += b.cents;
        }
        return out;
    }

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

// The columns of one kept table: its period (day or month), its key and the names kept with
// the key, and its count.
struct Columns {
    QString table, period, key;
    QStringList names; // 顾客名称, or 货号 and 商品名
    QString count;     // 单据数 or 行数
};

Columns customerColumns(const QString& table, const QString& period) {
    return {table, period, QStringLiteral("顾客键"), {QStringLiteral("顾客名称")}, QStringLiteral("单据数")};
}

Columns productColumns(const QString& table, const QString& period) {
    return {table,
            period,
            QStringLiteral("商品键"),
            {QStringLiteral("货号"), QStringLiteral("商品名")},
            QStringLiteral("行数")};
}

// Rows go in period order, so that a table counted from scratch lies in the order the
// overview and the ledger read its periods.
void write(core::StatementCache& statements, const Columns& c, const Buckets& buckets, int sign) {
    const QString t = c.table;
    const QString names = c.names.join(QStringLiteral(", "));
    const bool product = c.names.size() > 1;
    const QString insert =
        QStringLiteral("insert into %1 (%2, %3, %4, 票据状态, %5, 金额分) values (:period, :key, %6, :state, "
                       ":n, :cents) on conflict (%2, %3, 票据状态) do update set %5=%1.%5+excluded.%5, "
                       "金额分=%1.金额分+excluded.金额分")
            .arg(t, c.period, c.key, names, c.count,
                 product ? QStringLiteral(":code, :name") : QStringLiteral(":name"));
    const QString match =
        QStringLiteral(" where %1=:period and %2=:key and 票据状态=:state").arg(c.period, c.key);
    const QString update =
        QStringLiteral("update %1 set %2=%2+:n, 金额分=金额分+:cents").arg(t, c.count) + match;
    const QString drop =
        QStringLiteral("delete from %1").arg(t) + match + QStringLiteral(" and %1<=0").arg(c.count);
    QVector<const Bucket*> rows;
    rows.reserve(buckets.rows().size());
    for (const Bucket& b : buckets.rows())
        rows << &b;
    std::stable_sort(rows.begin(), rows.end(),
                     [](const Bucket* a, const Bucket* b) { return a->day < b->day; });
    for (const Bucket* b : rows) {
        core::Params p{{QStringLiteral("period"), b->day},
                       {QStringLiteral("key"), b->key},
                       {QStringLiteral("state"), b->state},
                       {QStringLiteral("n"), sign * b->count},
                       {QStringLiteral("cents"), sign * b->cents}};
        if (sign > 0) {
            p.insert(QStringLiteral("name"), b->name);
            if (product)
                p.insert(QStringLiteral("code"), b->code);
            statements.exec(insert, p);
            continue;
        }
        statements.exec(update, p);
        p.remove(QStringLiteral("n"));
        p.remove(QStringLiteral("cents"));
        statements.exec(drop, p);
    }
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

bool NoteSalesTotals::monthsKept() {
    return m_db.hasTable(kCustomerMonths) && m_db.hasTable(kProductMonths);
}

void NoteSalesTotals::createMonths() {
    for (const QString& table : {kCustomerMonths, kProductMonths})
        if (m_db.hasTable(table))
            m_db.exec(QStringLiteral("drop table ") + table);
    m_db.exec(kCustomerMonthTable);
    m_db.exec(kCustomerMonthKey);
    m_db.exec(kCustomerMonthIndex);
    m_db.exec(kProductMonthTable);
    m_db.exec(kProductMonthKey);
}

void NoteSalesTotals::monthsFromDays() {
    // The day tables hold every sum the months need: a store of the build before the months
    // gets them without reading a note.
    m_db.exec(QStringLiteral("delete from NoteCustomerMonths"));
    m_db.exec(QStringLiteral("delete from NoteProductMonths"));
    m_db.exec(QStringLiteral(
        "insert into NoteCustomerMonths (出票月, 顾客键, 顾客名称, 票据状态, 单据数, 金额分) select m, "
        "顾客键, "
        "min(顾客名称), 票据状态, sum(单据数), sum(金额分) from (select substr(出票日,1,7) as m, 顾客键, "
        "顾客名称, 票据状态, 单据数, 金额分 from NoteCustomerDays) d group by m, 顾客键, 票据状态"));
    m_db.exec(QStringLiteral(
        "insert into NoteProductMonths (出票月, 商品键, 货号, 商品名, 票据状态, 行数, 金额分) select m, "
        "商品键, "
        "min(货号), min(商品名), 票据状态, sum(行数), sum(金额分) from (select substr(出票日,1,7) as m, "
        "商品键, 货号, 商品名, 票据状态, 行数, 金额分 from NoteProductDays) d group by m, 商品键, 票据状态"));
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
    createMonths();
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
    bool months = true;
    if (!monthsKept()) {
        createMonths();
        months = false;
    }
    // Every side of every count in one statement, read at one moment on a server.
    const core::Recordset check = m_db.query(QStringLiteral(
        "select (select count(*) from DataCheckFHDSHD) as notes, (select sum(单据数) from "
        "NoteCustomerDays) as keptNotes, (select count(*) from DataCheckFHDSHDDetail d where exists "
        "(select 1 from DataCheckFHDSHD h where h.票据编号=d.票据编号)) as lines, (select sum(行数) from "
        "NoteProductDays) as keptLines, (select sum(单据数) from NoteCustomerMonths) as monthNotes, "
        "(select sum(行数) from NoteProductMonths) as monthLines"));
    const qint64 notes = check.value(0).toLongLong(), lines = check.value(2).toLongLong();
    if (notes != check.value(1).toLongLong() || lines != check.value(3).toLongLong()) {
        recount();
        return true;
    }
    if (months && notes == check.value(4).toLongLong() && lines == check.value(5).toLongLong())
        return false;
    monthsFromDays();
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
    if (!monthsKept())
        createMonths();
    m_db.exec(QStringLiteral("delete from NoteCustomerMonths"));
    m_db.exec(QStringLiteral("delete from NoteProductMonths"));
}

void NoteSalesTotals::move(const QString& where, const core::Params& params, int sign) {
    if (!kept())
        return;
    // Sums are added to the kept rows, so they go out in parts: a recount of a large local store
    // holds a part of its keys at a time, not a row per note. The server's driver drops a result
    // still being read when another statement runs: there every part goes out at the end.
    const int part = m_db.engine() == core::Engine::SQLite ? 20000 : std::numeric_limits<int>::max();
    core::StatementCache statements(m_db);
    Buckets customers;
    const auto writeCustomers = [&] {
        write(statements, customerColumns(kCustomers, QStringLiteral("出票日")), customers, sign);
        write(statements, customerColumns(kCustomerMonths, QStringLiteral("出票月")), customers.months(),
              sign);
        customers.clear();
    };
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
                   if (customers.size() >= part)
                       writeCustomers();
               });
    writeCustomers();
    Buckets products;
    const auto writeProducts = [&] {
        write(statements, productColumns(kProducts, QStringLiteral("出票日")), products, sign);
        write(statements, productColumns(kProductMonths, QStringLiteral("出票月")), products.months(), sign);
        products.clear();
    };
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
        if (products.size() >= part)
            writeProducts();
    });
    writeProducts();
}

} // namespace entry
