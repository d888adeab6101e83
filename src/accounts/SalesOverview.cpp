#include "accounts/SalesOverview.h"

#include "core/Database.h"

namespace accounts {

const QString SalesOverview::kVoidState = QStringLiteral("作废");

namespace {

core::Params span(QDate from, QDate to) {
    return {{QStringLiteral("from"), from.toString(Qt::ISODate)},
            {QStringLiteral("to"), to.toString(Qt::ISODate)},
            {QStringLiteral("void"), SalesOverview::kVoidState}};
}

} // namespace

QVector<qint64> SalesOverview::months(QDate first, int count) const {
    QVector<qint64> out(qMax(count, 0), 0);
    if (count <= 0)
        return out;
    const QDate start(first.year(), first.month(), 1);
    const QDate end = start.addMonths(count).addDays(-1);
    core::Recordset rs = m_db.query(
        QStringLiteral("select substr(出票日,1,7) as month_, sum(金额分) as cents_ from NoteCustomerDays "
                       "where 出票日>=:from and 出票日<=:to and 票据状态<>:void group by substr(出票日,1,7)"),
        span(start, end));
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

QVector<RankedSales> SalesOverview::topCustomers(QDate from, QDate to, int most) const {
    core::Params p = span(from, to);
    p.insert(QStringLiteral("most"), most);
    core::Recordset rs = m_db.query(
        QStringLiteral("select min(顾客名称) as name_, sum(金额分) as cents_ from NoteCustomerDays where "
                       "出票日>=:from and 出票日<=:to and 票据状态<>:void group by 顾客键 "
                       "order by sum(金额分) desc, min(顾客名称) limit :most"),
        p);
    QVector<RankedSales> out;
    for (rs.first(); !rs.eof(); rs.next()) {
        RankedSales r;
        r.name = rs.text(0);
        r.label = r.name.isEmpty() ? QStringLiteral("（未填顾客）") : r.name;
        r.cents = rs.value(1).toLongLong();
        out << r;
    }
    return out;
}

QVector<RankedSales> SalesOverview::topProducts(QDate from, QDate to, int most) const {
    core::Params p = span(from, to);
    p.insert(QStringLiteral("most"), most);
    core::Recordset rs = m_db.query(
        QStringLiteral("select min(货号) as code_, min(商品名) as name_, sum(金额分) as cents_ from "
                       "NoteProductDays where 出票日>=:from and 出票日<=:to and 票据状态<>:void group by "
                       "商品键 order by sum(金额分) desc, min(商品名) limit :most"),
        p);
    QVector<RankedSales> out;
    for (rs.first(); !rs.eof(); rs.next()) {
        RankedSales r;
        r.code = rs.text(0);
        r.name = rs.text(1);
        r.label = r.name.isEmpty() ? (r.code.isEmpty() ? QStringLiteral("（未填商品）") : r.code) : r.name;
        r.cents = rs.value(2).toLongLong();
        out << r;
    }
    return out;
}

} // namespace accounts
