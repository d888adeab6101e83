#include "accounts/Ledger.h"

#include "accounts/AccountsTables.h"
#include "core/Database.h"
#include "core/Recordset.h"
#include "entry/NoteDayTotals.h"
#include "entry/NoteSalesTotals.h"
#include "entry/TypedNumber.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <map>

namespace accounts {

namespace {

const QString kIso = QStringLiteral("yyyy-MM-dd");
// Voided notes are no delivery; deleted ones are gone from the table.
const QString kNotVoid = QStringLiteral(" and coalesce(票据状态,'')<>'作废' ");
// A printed order's first page in the journal; rows of older journals have no source.
const QString kFirstPrint = QStringLiteral("(select min(PrintTime) from PrintJournal j where "
                                           "j.OrderNo=o.订单号 and coalesce(j.Source,'order')='order')");
// An order saved as a note is that note's delivery: the note counts, the order does not.
const QString kNotSavedAsNote =
    QStringLiteral(" and (coalesce(o.票据编号,'')='' or not exists (select 1 from DataCheckFHDSHD n where "
                   "n.票据编号=o.票据编号)) ");

QString iso(QDate d) {
    return d.toString(kIso);
}
QDate dayOf(const QString& text) {
    return QDate::fromString(text.left(10), kIso);
}

// Who owns a record written under a name on a day: the unit that later renamed that name away
// (the first such rename on or after the day), else the name itself. Owners are customer keys.
class Owners {
public:
    explicit Owners(core::Database& db) {
        if (!db.hasTable(QStringLiteral("CustomerRenames")))
            return;
        const core::Recordset rs = db.query(QStringLiteral(
            "select 单位ID, 旧名称, 新名称, 改名时间 from CustomerRenames order by 改名时间, ID"));
        QVariantList units;
        for (int i = 0; i < rs.recordCount(); ++i) {
            core::Recordset row = rs;
            row.seek(i);
            const int unit = int(row.integer(QStringLiteral("单位ID")));
            m_renames.append({unit, customerKey(row.text(QStringLiteral("旧名称"))),
                              dayOf(row.text(QStringLiteral("改名时间")))});
            m_oldNames << row.text(QStringLiteral("旧名称"));
            if (!m_renamedKeys.contains(m_renames.last().oldKey))
                m_renamedKept << entry::NoteSalesTotals::customerKey(row.text(QStringLiteral("旧名称")));
            m_renamedKeys.insert(m_renames.last().oldKey);
            m_unitName[unit] = row.text(QStringLiteral("新名称")); // a deleted unit keeps its last name
            units << unit;
        }
        if (units.isEmpty())
            return;
        const core::Recordset now =
            db.query(QStringLiteral("select ID, 全称 from CKPersonalInfoTable where ID") +
                         core::Database::keyList(QStringLiteral("ids")),
                     {{QStringLiteral("ids"), units}});
        for (int i = 0; i < now.recordCount(); ++i) {
            core::Recordset row = now;
            row.seek(i);
            m_unitName[int(row.integer(QStringLiteral("ID")))] = row.text(QStringLiteral("全称"));
        }
    }

    QString owner(const QString& name, QDate day) const {
        const QString key = customerKey(name);
        for (const Rename& r : m_renames)
            if (r.oldKey == key && day <= r.day)
                return customerKey(m_unitName.value(r.unit));
        return key;
    }
    // Every name a record of the customer can carry.
    QStringList namesOf(const QString& customer) const {
        QStringList names{customer};
        const QString key = customerKey(customer);
        for (int i = 0; i < m_renames.size(); ++i)
            if (customerKey(m_unitName.value(m_renames[i].unit)) == key)
                names << m_oldNames[i];
        return names;
    }
    // The days a name of the key was renamed away.
    QVector<QDate> renameDays(const QString& key) const {
        QVector<QDate> days;
        for (const Rename& r : m_renames)
            if (r.oldKey == key)
                days << r.day;
        return days;
    }
    const QStringList& oldNames() const { return m_oldNames; }
    // A name some rename carried away: its owner depends on the day.
    bool renamed(const QString& name) const { return m_renamedKeys.contains(customerKey(name)); }
    // Those names as the kept sales key them.
    const QVariantList& renamedKept() const { return m_renamedKept; }

private:
    struct Rename {
        int unit;
        QString oldKey;
        QDate day;
    };
    QVector<Rename> m_renames;
    QStringList m_oldNames;
    QSet<QString> m_renamedKeys;
    QVariantList m_renamedKept;
    QHash<int, QString> m_unitName;
};

QString bookName(core::Database& db, const QString& customer) {
    const core::Recordset rs =
        db.query(QStringLiteral("select 全称 from CKPersonalInfoTable where 全称=:n order by ID"),
                 {{QStringLiteral("n"), customer}});
    for (int i = 0; i < rs.recordCount(); ++i) {
        core::Recordset row = rs;
        row.seek(i);
        if (customerKey(row.text(0)) == customerKey(customer))
            return row.text(0);
    }
    return customer;
}

GoodsLine goodsLine(const core::Recordset& rs) {
    return {rs.text(QStringLiteral("货号")), rs.text(QStringLiteral("商品名")),
            rs.text(QStringLiteral("规格")), rs.text(QStringLiteral("单位")),
            rs.text(QStringLiteral("数量")), rs.text(QStringLiteral("单价")),
            rs.text(QStringLiteral("金额"))};
}

} // namespace

QString customerKey(const QString& name) {
    QString key = name.trimmed();
    for (QChar& c : key)
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + ('a' - 'A'));
    return key;
}

QString centsText(qint64 cents) {
    const quint64 magnitude = cents < 0 ? quint64(0) - quint64(cents) : quint64(cents);
    return (cents < 0 ? QStringLiteral("-") : QString()) + QString::number(magnitude / 100) +
           QLatin1Char('.') + QStringLiteral("%1").arg(magnitude % 100, 2, 10, QLatin1Char('0'));
}

std::optional<qint64> textCents(const QString& text) {
    return entry::TypedNumber::cents(text);
}

Period Period::month(int year, int month) {
    const QDate first(year, month, 1);
    return {first, first.addMonths(1).addDays(-1)};
}

Ledger::Ledger(core::Database& db) : m_db(db) {
    if (!m_db.hasTable(QStringLiteral("Payments")))
        ensureTables(m_db);
}

namespace {

const QString kVoid = QStringLiteral("作废");

// Balances read the kept sales, never every note: a store without them all gets them here.
void keptSalesComplete(core::Database& db) {
    if (!entry::NoteSalesTotals(db).complete())
        entry::NoteDayTotals(db).ensure();
}
const QString kMonth = QStringLiteral("yyyy-MM");

// Cents of the kept notes dated before `day` (undated ones too), per owner (a customer key),
// with a name the owner's records carry. Months before the day's month come from the month rows,
// the days of its month before it from the day rows; a name some rename carried away is summed
// per month, or per day in a month a rename fell in, as its owner depends on the day. `keys`
// narrows the read to the kept keys of a few names; empty, every customer is read.
struct Delivered {
    QString name;
    qint64 cents = 0;
};
std::map<QString, Delivered> keptBefore(core::Database& db, const Owners& owners, QDate day,
                                        const QVariantList& keys) {
    std::map<QString, Delivered> out;
    const auto add = [&](const QString& name, const QString& owner, qint64 cents) {
        if (name.trimmed().isEmpty())
            return;
        Delivered& d = out[owner];
        if (d.name.isEmpty())
            d.name = name;
        d.cents += cents;
    };
    const QDate monthStart(day.year(), day.month(), 1);
    core::Params p{{QStringLiteral("month"), monthStart.toString(kMonth)},
                   {QStringLiteral("from"), iso(monthStart)},
                   {QStringLiteral("day"), iso(day)},
                   {QStringLiteral("void"), kVoid},
                   {QStringLiteral("keys"), keys}};
    const QString only =
        keys.isEmpty() ? QString()
                       : QStringLiteral(" and 顾客键") + core::Database::keyList(QStringLiteral("keys"));
    for (const QString& sql :
         {QStringLiteral("select min(顾客名称), sum(金额分) from NoteCustomerMonths where 出票月<:month and "
                         "票据状态<>:void") +
              only + QStringLiteral(" group by 顾客键"),
          QStringLiteral(
              "select min(顾客名称), sum(金额分) from NoteCustomerDays where 出票日>=:from and 出票日<:day "
              "and 票据状态<>:void") +
              only + QStringLiteral(" group by 顾客键")})
        for (core::Recordset rs = db.query(sql, p); !rs.eof(); rs.next())
            if (!owners.renamed(rs.text(0)))
                add(rs.text(0), customerKey(rs.text(0)), rs.value(1).toLongLong());
    if (owners.renamedKept().isEmpty())
        return out;
    p.insert(QStringLiteral("renamed"), owners.renamedKept());
    const QString renamedOnly =
        QStringLiteral(" and 顾客键") + core::Database::keyList(QStringLiteral("renamed"));
    const auto byDay = [&](const QString& where, const core::Params& params) {
        for (core::Recordset rs = db.query(QStringLiteral("select min(顾客名称), 出票日, sum(金额分) from "
                                                          "NoteCustomerDays where 票据状态<>:void and ") +
                                               where + QStringLiteral(" group by 顾客键, 出票日"),
                                           params);
             !rs.eof(); rs.next())
            add(rs.text(0), owners.owner(rs.text(0), dayOf(rs.text(1))), rs.value(2).toLongLong());
    };
    byDay(QStringLiteral("出票日>=:from and 出票日<:day") + renamedOnly, p);
    for (core::Recordset rs =
             db.query(QStringLiteral("select min(顾客名称), 出票月, sum(金额分) from NoteCustomerMonths "
                                     "where 出票月<:month and 票据状态<>:void") +
                          renamedOnly + QStringLiteral(" group by 顾客键, 出票月"),
                      p);
         !rs.eof(); rs.next()) {
        const QString name = rs.text(0);
        const QDate first = QDate::fromString(rs.text(1) + QStringLiteral("-01"), kIso);
        const QDate last = first.addMonths(1).addDays(-1);
        const QVector<QDate> renames = owners.renameDays(customerKey(name));
        if (!first.isValid() ||
            std::none_of(renames.begin(), renames.end(), [&](QDate d) { return d >= first && d < last; })) {
            add(name, owners.owner(name, first), rs.value(2).toLongLong());
            continue;
        }
        byDay(QStringLiteral("出票日>=:first and 出票日<=:last and 顾客键=:key"),
              {{QStringLiteral("first"), iso(first)},
               {QStringLiteral("last"), iso(last)},
               {QStringLiteral("void"), kVoid},
               {QStringLiteral("key"), entry::NoteSalesTotals::customerKey(name)}});
    }
    return out;
}

// Printed orders with their first printing before `end` and their goods lines (a line a row;
// an order without lines has one row of nulls), in the order of their first printing.
struct PrintedOrder {
    QString number, name;
    QString first; // PrintTime of the first page
    qint64 cents = 0;
    QVector<GoodsLine> goods;
};
QVector<PrintedOrder> printedOrders(core::Database& db, const QString& end, const QVariantList& names) {
    QVector<PrintedOrder> out;
    if (!db.hasTable(QStringLiteral("PrintJournal")))
        return out;
    QHash<QString, int> at;
    core::Params p{{QStringLiteral("end"), end}};
    QString only;
    if (!names.isEmpty()) {
        p.insert(QStringLiteral("names"), names);
        only = QStringLiteral(" and o.客户全称") + core::Database::keyList(QStringLiteral("names"));
    }
    core::Recordset rs = db.query(
        QStringLiteral(
            "select o.订单号, o.客户全称||'' as n, j.f, d.货号, d.商品名, d.规格, d.单位, d.数量, d.单价, "
            "d.金额, d.ID from (select OrderNo, min(PrintTime) as f from PrintJournal where "
            "coalesce(Source,'order')='order' group by OrderNo) j join OrderList o on o.订单号=j.OrderNo "
            "left join OrderDetail d on d.订单号=o.订单号 where j.f<:end") +
            only + kNotSavedAsNote + QStringLiteral(" order by j.f, o.订单号, d.ID"),
        p);
    for (; !rs.eof(); rs.next()) {
        const QString key = db.caseKey(rs.text(0));
        auto it = at.find(key);
        if (it == at.end()) {
            it = at.insert(key, out.size());
            out.append({rs.text(0), rs.text(1), rs.text(2), 0, {}});
        }
        if (rs.value(10).isNull())
            continue;
        PrintedOrder& o = out[*it];
        o.cents += textCents(rs.text(9)).value_or(0);
        o.goods.append({rs.text(3), rs.text(4), rs.text(5), rs.text(6), rs.text(7), rs.text(8), rs.text(9)});
    }
    return out;
}

// Statements of this many customers or fewer read their own names' records; more read every
// record of the period once.
constexpr int kFewCustomers = 20;

} // namespace

Statement Ledger::statement(const QString& customer, Period period, bool withGoods) const {
    return statements({customer}, period, withGoods).constFirst();
}

QVector<Statement> Ledger::statements(const QStringList& customers, Period period, bool withGoods) const {
    keptSalesComplete(m_db);
    const Owners owners(m_db);
    QVector<Statement> out;
    QHash<QString, int> wanted; // customer key → its statement
    QVariantList names, keys;   // with few customers: every name their records can carry
    for (const QString& typed : customers) {
        const QString customer = typed.trimmed();
        Statement st;
        st.customer = bookName(m_db, customer);
        st.from = period.from;
        st.to = period.to;
        if (!wanted.contains(customerKey(customer)))
            wanted.insert(customerKey(customer), out.size());
        out << st;
        if (customers.size() > kFewCustomers)
            continue;
        for (const QString& name : owners.namesOf(customer)) {
            keys << entry::NoteSalesTotals::customerKey(name);
            // Notes may carry the name with stray spaces: each spelling the notes hold.
            names << name;
            for (core::Recordset rs = m_db.query(
                     QStringLiteral("select distinct 顾客名称||'' from DataCheckFHDSHD where 顾客名称>=:n "
                                    "and 顾客名称<:next"),
                     {{QStringLiteral("n"), name}, {QStringLiteral("next"), name + QChar(0xffff)}});
                 !rs.eof(); rs.next())
                if (customerKey(rs.text(0)) == customerKey(name) && rs.text(0) != name)
                    names << rs.text(0);
        }
    }
    const QString only = names.isEmpty() ? QString() : core::Database::keyList(QStringLiteral("names"));
    const QString end = iso(period.to.addDays(1));
    const core::Params params{{QStringLiteral("names"), names},
                              {QStringLiteral("from"), iso(period.from)},
                              {QStringLiteral("end"), end}};
    // The statement a record of a name on a day belongs to, or null.
    const auto statementOf = [&](const QString& name, QDate day) -> Statement* {
        const auto it = wanted.constFind(owners.owner(name, day));
        return it == wanted.constEnd() ? nullptr : &out[*it];
    };
    QHash<Statement*, QVector<StatementEntry>> notes, orders, payments;

    for (const auto& [owner, delivered] : keptBefore(m_db, owners, period.from, keys))
        if (const auto it = wanted.constFind(owner); it != wanted.constEnd())
            out[*it].openingCents += delivered.cents;
    QHash<QString, Statement*> noteOf; // note number (case key) → its statement, for goods lines
    {
        core::Recordset rs = m_db.query(
            QStringLiteral(
                "select 票据编号, 出票日期, 合计金额, 票据状态, 备注, 顾客名称 from DataCheckFHDSHD "
                "where 出票日期>=:from and 出票日期<:end") +
                (only.isEmpty() ? QString() : QStringLiteral(" and 顾客名称") + only) + kNotVoid +
                QStringLiteral("order by 出票日期, 票据编号"),
            params);
        for (; !rs.eof(); rs.next()) {
            const QDate day = dayOf(rs.text(1));
            Statement* st = statementOf(rs.text(5), day);
            if (!st)
                continue;
            const QString state = rs.text(3);
            StatementEntry e;
            e.kind = StatementEntry::Kind::Note;
            e.date = day;
            e.number = rs.text(0);
            e.cents = textCents(rs.text(2)).value_or(0);
            e.notShipped = state != QStringLiteral("已发货") && state != QStringLiteral("已收款");
            e.remark = rs.text(4);
            notes[st] << e;
            noteOf.insert(m_db.caseKey(e.number), st);
        }
    }
    for (PrintedOrder& o : printedOrders(m_db, end, names)) {
        const QDate day = dayOf(o.first);
        Statement* st = day.isValid() ? statementOf(o.name, day) : nullptr;
        if (!st)
            continue;
        if (day < period.from) {
            st->openingCents += o.cents;
            continue;
        }
        StatementEntry e;
        e.kind = StatementEntry::Kind::PrintedOrder;
        e.date = day;
        e.number = o.number;
        e.cents = o.cents;
        if (withGoods)
            e.goods = std::move(o.goods);
        orders[st] << e;
    }
    {
        // Before the period, summed per name (per day for a name some rename carried away);
        // within it, one by one.
        for (core::Recordset rs = m_db.query(
                 QStringLiteral("select 顾客名称||'' as n, case when 顾客名称") +
                     core::Database::keyList(QStringLiteral("renamed")) +
                     QStringLiteral(
                         " then 收款日期 end as d, sum(金额分) from Payments where 收款日期<:from") +
                     (only.isEmpty() ? QString() : QStringLiteral(" and 顾客名称") + only) +
                     QStringLiteral(" group by 1, 2"),
                 {{QStringLiteral("names"), names},
                  {QStringLiteral("from"), iso(period.from)},
                  {QStringLiteral("renamed"),
                   QVariantList(owners.oldNames().begin(), owners.oldNames().end())}});
             !rs.eof(); rs.next()) {
            // A name no rename carried away is its own, whatever the day.
            Statement* st = statementOf(rs.text(0), rs.text(1).isEmpty() ? period.from : dayOf(rs.text(1)));
            if (st)
                st->openingCents -= rs.value(2).toLongLong();
        }
        core::Recordset rs = m_db.query(
            QStringLiteral("select 收款日期, 顾客名称, 金额分, 收款方式, 票据编号, 备注 from Payments where "
                           "收款日期>=:from and 收款日期<:end") +
                (only.isEmpty() ? QString() : QStringLiteral(" and 顾客名称") + only) +
                QStringLiteral(" order by 收款日期, ID"),
            params);
        for (; !rs.eof(); rs.next()) {
            const QDate day = dayOf(rs.text(0));
            Statement* st = statementOf(rs.text(1), day);
            if (!st)
                continue;
            StatementEntry e;
            e.kind = StatementEntry::Kind::Payment;
            e.date = day;
            e.number = rs.text(4);
            e.cents = rs.value(2).toLongLong();
            e.method = rs.text(3);
            e.remark = rs.text(5);
            payments[st] << e;
        }
    }
    if (withGoods && !noteOf.isEmpty()) {
        QHash<QString, QVector<GoodsLine>> lines;
        core::Recordset d = m_db.query(
            QStringLiteral(
                "select 票据编号, 货号, 商品名, 规格, 单位, 数量, 单价, 金额 from DataCheckFHDSHDDetail "
                "where "
                "票据编号 in (select 票据编号 from DataCheckFHDSHD where 出票日期>=:from and 出票日期<:end") +
                (only.isEmpty() ? QString() : QStringLiteral(" and 顾客名称") + only) +
                QStringLiteral(") order by 票据编号, 序号, ID"),
            params);
        for (; !d.eof(); d.next()) {
            const QString number = m_db.caseKey(d.text(0));
            if (noteOf.contains(number))
                lines[number] << goodsLine(d);
        }
        for (auto it = notes.begin(); it != notes.end(); ++it)
            for (StatementEntry& e : it.value())
                e.goods = lines.value(m_db.caseKey(e.number));
    }
    for (int i = 0; i < out.size(); ++i) {
        Statement& st = out[i];
        if (wanted.value(customerKey(customers.at(i))) != i)
            continue;
        for (const StatementEntry& e : notes.value(&st) + orders.value(&st))
            st.deliveredCents += e.cents;
        for (const StatementEntry& e : payments.value(&st))
            st.receivedCents += e.cents;
        st.closingCents = st.openingCents + st.deliveredCents - st.receivedCents;
        st.entries = notes.value(&st) + orders.value(&st) + payments.value(&st);
        std::stable_sort(st.entries.begin(), st.entries.end(),
                         [](const StatementEntry& a, const StatementEntry& b) {
                             const bool pa = a.kind == StatementEntry::Kind::Payment;
                             const bool pb = b.kind == StatementEntry::Kind::Payment;
                             return a.date != b.date ? a.date < b.date : (!pa && pb);
                         });
    }
    // A customer asked for twice gets the same statement twice.
    for (int i = 0; i < out.size(); ++i) {
        const int first = wanted.value(customerKey(customers.at(i)));
        if (first != i)
            out[i] = out[first];
    }
    return out;
}

namespace {

// Display names: the address book's where it has the key, else the first name met.
class Names {
public:
    explicit Names(core::Database& db) {
        core::Recordset rs = db.query(QStringLiteral("select 全称 from CKPersonalInfoTable order by ID"));
        for (rs.first(); !rs.eof(); rs.next())
            if (!m_book.contains(customerKey(rs.text(0))))
                m_book.insert(customerKey(rs.text(0)), rs.text(0));
    }
    void meet(const QString& key, const QString& name) {
        if (!m_met.contains(key))
            m_met.insert(key, m_book.value(key, name));
    }
    QString operator[](const QString& key) const { return m_met.value(key); }

private:
    QHash<QString, QString> m_book; // the first unit of a key
    QHash<QString, QString> m_met;
};

} // namespace

QStringList Ledger::activeCustomers(Period period) const {
    const Owners owners(m_db);
    Names names(m_db);
    const QVariantList renamed(owners.oldNames().begin(), owners.oldNames().end());
    QSet<QString> keys;
    const auto meet = [&](core::Recordset rs) {
        for (rs.first(); !rs.eof(); rs.next()) {
            const QString name = rs.text(0);
            if (name.trimmed().isEmpty())
                continue;
            const QString key = owners.owner(name, dayOf(rs.text(1)));
            keys.insert(key);
            names.meet(key, name);
        }
    };
    const QString from = iso(period.from), end = iso(period.to.addDays(1));
    meet(m_db.query(
        QStringLiteral("select distinct 顾客名称||'' as n, case when 顾客名称") +
            core::Database::keyList(QStringLiteral("renamed")) +
            QStringLiteral(" then substr(出票日期,1,10) end as d from DataCheckFHDSHD where 出票日期>=:from "
                           "and 出票日期<:end") +
            kNotVoid,
        {{QStringLiteral("renamed"), renamed},
         {QStringLiteral("from"), from},
         {QStringLiteral("end"), end}}));
    meet(m_db.query(
        QStringLiteral("select distinct 顾客名称||'' as n, 收款日期 as d from Payments where 收款日期>=:from "
                       "and 收款日期<:end"),
        {{QStringLiteral("from"), from}, {QStringLiteral("end"), end}}));
    if (m_db.hasTable(QStringLiteral("PrintJournal")))
        meet(m_db.query(
            QStringLiteral("select n, f from (select o.客户全称||'' as n, ") + kFirstPrint +
                QStringLiteral(" as f from OrderList o where o.订单号 in (select OrderNo from PrintJournal "
                               "where PrintTime>=:from and PrintTime<:end)") +
                kNotSavedAsNote + QStringLiteral(") x where f>=:from2"),
            {{QStringLiteral("from"), from}, {QStringLiteral("end"), end}, {QStringLiteral("from2"), from}}));
    QStringList out;
    for (const QString& key : keys)
        out << names[key];
    std::sort(out.begin(), out.end());
    return out;
}

QVector<Ledger::Receivable> Ledger::receivables(QDate asOf) const {
    // The notes' side comes from the kept sales (a row per customer and month, and per customer
    // and day for the last months), never from every note.
    keptSalesComplete(m_db);
    const Owners owners(m_db);
    Names names(m_db);
    struct Sums {
        qint64 delivered[4] = {};
        qint64 paid = 0;
    };
    std::map<QString, Sums> sums;
    const auto ageOf = [&](QDate day) {
        const qint64 days = day.daysTo(asOf);
        return days <= 30 ? 0 : days <= 60 ? 1 : days <= 90 ? 2 : 3;
    };
    const auto deliver = [&](const QString& name, const QString& owner, int age, qint64 cents) {
        if (name.trimmed().isEmpty())
            return;
        names.meet(owner, name);
        sums[owner].delivered[age] += cents;
    };
    const QString end = iso(asOf.addDays(1));
    // Months before this one's are over 90 days old as a whole; days from it on are aged one by one.
    const QDate oldest = asOf.addDays(-90);
    const QDate split(oldest.year(), oldest.month(), 1);
    for (const auto& [owner, delivered] : keptBefore(m_db, owners, split, {}))
        deliver(delivered.name, owner, 3, delivered.cents);
    core::Params recent{{QStringLiteral("split"), iso(split)},
                        {QStringLiteral("asof"), iso(asOf)},
                        {QStringLiteral("void"), kVoid},
                        {QStringLiteral("b0"), iso(asOf.addDays(-30))},
                        {QStringLiteral("b1"), iso(asOf.addDays(-60))},
                        {QStringLiteral("b2"), iso(oldest)}};
    for (core::Recordset rs = m_db.query(
             QStringLiteral(
                 "select min(顾客名称), 顾客键, case when 出票日>=:b0 then 0 when 出票日>=:b1 then 1 "
                 "when 出票日>=:b2 then 2 else 3 end as age, sum(金额分) from NoteCustomerDays "
                 "where 出票日>=:split and 出票日<=:asof and 票据状态<>:void group by 顾客键, 3"),
             recent);
         !rs.eof(); rs.next())
        if (!owners.renamed(rs.text(0)))
            deliver(rs.text(0), customerKey(rs.text(0)), int(rs.value(2).toLongLong()),
                    rs.value(3).toLongLong());
    if (!owners.renamedKept().isEmpty()) {
        // A renamed name belongs to whoever held it on the day.
        recent.insert(QStringLiteral("keys"), owners.renamedKept());
        for (core::Recordset rs = m_db.query(
                 QStringLiteral(
                     "select min(顾客名称), 出票日, sum(金额分) from NoteCustomerDays where 出票日>=:split "
                     "and 出票日<=:asof and 票据状态<>:void and 顾客键") +
                     core::Database::keyList(QStringLiteral("keys")) +
                     QStringLiteral(" group by 顾客键, 出票日"),
                 recent);
             !rs.eof(); rs.next()) {
            const QDate day = dayOf(rs.text(1));
            deliver(rs.text(0), owners.owner(rs.text(0), day), ageOf(day), rs.value(2).toLongLong());
        }
    }
    for (const PrintedOrder& o : printedOrders(m_db, end, {})) {
        const QDate day = dayOf(o.first);
        if (day.isValid() && day <= asOf)
            deliver(o.name, owners.owner(o.name, day), ageOf(day), o.cents);
    }
    // Payments per name; a renamed name's per day, as it belongs to whoever held it then. The
    // local file groups names as customers are told apart (A–Z folded), straight from the
    // balance index; the server's case-blind text folds more, so it groups the names as written.
    const QString byName =
        m_db.engine() == core::Engine::SQLite ? QStringLiteral("顾客名称") : QStringLiteral("顾客名称||''");
    for (core::Recordset rs =
             m_db.query(QStringLiteral("select min(顾客名称||'') as n, sum(金额分) from Payments "
                                       "where 收款日期<:end group by ") +
                            byName,
                        {{QStringLiteral("end"), end}});
         !rs.eof(); rs.next()) {
        const QString name = rs.text(0);
        if (name.trimmed().isEmpty() || owners.renamed(name))
            continue;
        names.meet(customerKey(name), name);
        sums[customerKey(name)].paid += rs.value(1).toLongLong();
    }
    if (!owners.renamedKept().isEmpty())
        for (core::Recordset rs = m_db.query(
                 QStringLiteral(
                     "select 顾客名称||'' as n, 收款日期, sum(金额分) from Payments where 收款日期<:end and "
                     "顾客名称") +
                     core::Database::keyList(QStringLiteral("renamed")) + QStringLiteral(" group by 1, 2"),
                 {{QStringLiteral("renamed"),
                   QVariantList(owners.oldNames().begin(), owners.oldNames().end())},
                  {QStringLiteral("end"), end}});
             !rs.eof(); rs.next()) {
            const QString name = rs.text(0);
            if (!owners.renamed(name))
                continue; // a wider fold of the server's text; counted above
            const QString key = owners.owner(name, dayOf(rs.text(1)));
            names.meet(key, name);
            sums[key].paid += rs.value(2).toLongLong();
        }
    QVector<Receivable> out;
    for (const auto& [key, s] : sums) {
        Receivable r;
        r.customer = names[key];
        for (const qint64 d : s.delivered)
            r.totalCents += d;
        r.totalCents -= s.paid;
        if (r.totalCents == 0)
            continue;
        if (r.totalCents < 0) {
            r.ageCents[0] = r.totalCents;
        } else {
            qint64 open = r.totalCents;
            for (int i = 0; i < 4 && open > 0; ++i) {
                const qint64 part = std::min(open, std::max<qint64>(s.delivered[i], 0));
                r.ageCents[i] = part;
                open -= part;
            }
            r.ageCents[3] += open; // only when some column's deliveries were negative
        }
        out << r;
    }
    std::stable_sort(out.begin(), out.end(),
                     [](const Receivable& a, const Receivable& b) { return a.totalCents > b.totalCents; });
    return out;
}

} // namespace accounts
