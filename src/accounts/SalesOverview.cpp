#include "accounts/SalesOverview.h"

#include "core/Database.h"

namespace accounts {

const QString SalesOverview::kVoidState = QStringLiteral("作废");

namespace {

// A span of days as the kept tables read it: its whole months from the month rows, the days
// before the first and after the last whole month from the day rows. Bounds of a part a span
// lacks select nothing.
struct Parts {
    core::Params params;
    // Rows of `columns` from the month table and the day table of one kind, void left out.
    QString rows(const QString& columns, const QString& months, const QString& days) const {
        return QStringLiteral("select ") + columns + QStringLiteral(" from ") + months +
               QStringLiteral(" where 出票月>=:m0 and 出票月<=:m1 and 票据状态<>:void union all select ") +
               columns + QStringLiteral(" from ") + days +
               QStringLiteral(" where ((出票日>=:a0 and 出票日<=:a1) or (出票日>=:b0 and 出票日<=:b1)) and "
                              "票据状态<>:void");
    }
};

Parts parts(QDate from, QDate to) {
    const QString none0 = QStringLiteral("9"), none1 = QStringLiteral("0"); // from > to: nothing
    const QDate firstWhole = from.day() == 1 ? from : QDate(from.year(), from.month(), 1).addMonths(1);
    const QDate afterLast = to.addDays(1).day() == 1 ? to.addDays(1) : QDate(to.year(), to.month(), 1);
    Parts p;
    p.params.insert(QStringLiteral("void"), SalesOverview::kVoidState);
    if (firstWhole < afterLast) {
        p.params.insert(QStringLiteral("m0"), firstWhole.toString(QStringLiteral("yyyy-MM")));
        p.params.insert(QStringLiteral("m1"), afterLast.addDays(-1).toString(QStringLiteral("yyyy-MM")));
        p.params.insert(QStringLiteral("a0"), from.toString(Qt::ISODate));
        p.params.insert(QStringLiteral("a1"), firstWhole.addDays(-1).toString(Qt::ISODate));
        p.params.insert(QStringLiteral("b0"), afterLast.toString(Qt::ISODate));
        p.params.insert(QStringLiteral("b1"), to.toString(Qt::ISODate));
    } else {
        p.params.insert(QStringLiteral("m0"), none0);
        p.params.insert(QStringLiteral("m1"), none1);
        p.params.insert(QStringLiteral("a0"), from.toString(Qt::ISODate));
        p.params.insert(QStringLiteral("a1"), to.toString(Qt::ISODate));
        p.params.insert(QStringLiteral("b0"), none0);
        p.params.insert(QStringLiteral("b1"), none1);
    }
    return p;
}

} // namespace

QVector<qint64> SalesOverview::months(QDate first, int count) const {
    QVector<qint64> out(qMax(count, 0), 0);
    if (count <= 0)
        return out;
    const QDate start(first.year(), first.month(), 1);
    core::Recordset rs = m_db.query(
        QStringLiteral("select 出票月, sum(金额分) as cents_ from NoteCustomerMonths where 出票月>=:from and "
                       "出票月<=:to and 票据状态<>:void group by 出票月"),
        {{QStringLiteral("from"), start.toString(QStringLiteral("yyyy-MM"))},
         {QStringLiteral("to"), start.addMonths(count - 1).toString(QStringLiteral("yyyy-MM"))},
         {QStringLiteral("void"), kVoidState}});
    for (rs.first(); !rs.eof(); rs.next()) {
        const QDate month = QDate::fromString(rs.text(0) + QStringLiteral("-01"), Qt::ISODate);
        if (!month.isValid())
            continue;
        const int at = (month.year() - start.year()) * 12 + month.month() - start.month();
        if (at >= 0 && at < count)
            out[at] = rs.value(1).toLongLong();
    }
    return out;
}

namespace {

// The largest of a span by key, largest first, ties by name: its code (customers have none),
// name and cents from the month and day tables of one kind.
QVector<RankedSales> ranked(core::Database& db, QDate from, QDate to, int most, const QString& kind,
                            const QString& key, const QString& code, const QString& name) {
    Parts p = parts(from, to);
    p.params.insert(QStringLiteral("most"), most);
    core::Recordset rs = db.query(
        QStringLiteral("select min(code_), min(name_), sum(金额分) from (") +
            p.rows(key + QStringLiteral(", ") + code + QStringLiteral(" as code_, ") + name +
                       QStringLiteral(" as name_, 金额分"),
                   QStringLiteral("Note%1Months").arg(kind), QStringLiteral("Note%1Days").arg(kind)) +
            QStringLiteral(") s group by ") + key +
            QStringLiteral(" order by sum(金额分) desc, min(name_) limit :most"),
        p.params);
    QVector<RankedSales> out;
    for (rs.first(); !rs.eof(); rs.next()) {
        RankedSales r;
        r.code = rs.text(0);
        r.name = rs.text(1);
        r.cents = rs.value(2).toLongLong();
        out << r;
    }
    return out;
}

} // namespace

QVector<RankedSales> SalesOverview::topCustomers(QDate from, QDate to, int most) const {
    QVector<RankedSales> out =
        ranked(m_db, from, to, most, QStringLiteral("Customer"), QStringLiteral("顾客键"),
               QStringLiteral("''"), QStringLiteral("顾客名称"));
    for (RankedSales& r : out)
        r.label = r.name.isEmpty() ? QStringLiteral("（未填顾客）") : r.name;
    return out;
}

QVector<RankedSales> SalesOverview::topProducts(QDate from, QDate to, int most) const {
    QVector<RankedSales> out =
        ranked(m_db, from, to, most, QStringLiteral("Product"), QStringLiteral("商品键"),
               QStringLiteral("货号"), QStringLiteral("商品名"));
    for (RankedSales& r : out)
        r.label = r.name.isEmpty() ? (r.code.isEmpty() ? QStringLiteral("（未填商品）") : r.code) : r.name;
    return out;
}

} // namespace accounts
