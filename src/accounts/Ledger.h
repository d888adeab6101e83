#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVector>

namespace core {
class Database;
}

namespace accounts {

struct GoodsLine {
    QString code, name, spec, unit, quantity, price, amount;
}; // as stored (text)
struct StatementEntry {
    enum class Kind { Note, PrintedOrder, Payment };
    Kind kind;
    QDate date;
    QString number;           // note number / order number / the note a payment names
    qint64 cents = 0;         // notes and orders positive; payments as received (refund negative)
    bool notShipped = false;  // a note whose 票据状态 is not 已发货
    QString method;           // payments: 收款方式
    QString remark;           // payments: 备注; notes: 备注
    QVector<GoodsLine> goods; // filled only when asked for
};
struct Statement {
    QString customer;                // the name as the address book holds it now
    QDate from, to;                  // inclusive
    qint64 openingCents = 0;         // notes minus payments before `from`
    qint64 deliveredCents = 0;       // notes and printed orders in the period
    qint64 receivedCents = 0;        // payments in the period
    qint64 closingCents = 0;         // opening + delivered - received  (应收余额)
    QVector<StatementEntry> entries; // by date, notes before payments on one day
};
struct Period {
    QDate from, to;
    static Period month(int year, int month);
};
class Ledger {
public:
    explicit Ledger(core::Database& db);
    Statement statement(const QString& customer, Period period, bool withGoods) const;
    QStringList activeCustomers(Period period) const; // notes, orders or payments in the period
    struct Receivable {
        QString customer;
        qint64 totalCents = 0;
        qint64 ageCents[4] = {};
    };                                                 // 0–30, 31–60, 61–90, >90 days
    QVector<Receivable> receivables(QDate asOf) const; // customers owing (total != 0), largest first

private:
    core::Database& m_db;
};
QString centsText(qint64 cents); // "1234.50", "-0.05": the one money text of statements

} // namespace accounts
