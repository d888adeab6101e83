#pragma once

#include <QDate>
#include <QString>
#include <QVector>

namespace core {
class Database;
}

namespace accounts {

// One bar of a ranking: a customer (name as first kept, key as the tables compare it) or a
// product (货号 and 商品名), with its sales in cents.
struct RankedSales {
    QString label;
    QString code; // products: 货号, may be empty
    QString name; // customers: 顾客名称; products: 商品名
    qint64 cents = 0;
};

// The sales figures of the overview, read from the kept totals (entry::NoteSalesTotals), never
// from the notes. Voided notes (票据状态 作废) are no sales.
class SalesOverview {
public:
    explicit SalesOverview(core::Database& db) : m_db(db) {}

    // Cents per month for `count` months from the month of `first`, index 0 first.
    QVector<qint64> months(QDate first, int count) const;
    // The largest customers and products of the days from..to (inclusive), largest first, ties
    // by name; at most `most`.
    QVector<RankedSales> topCustomers(QDate from, QDate to, int most = 10) const;
    QVector<RankedSales> topProducts(QDate from, QDate to, int most = 10) const;

    static const QString kVoidState; // 作废

private:
    core::Database& m_db;
};

} // namespace accounts
