#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

namespace core {
class Database;
}

namespace accounts {

// A goods line as the note or order stores it (text).
struct GoodsLine {
    QString code, name, spec, unit, quantity, price, amount;
};

struct StatementEntry {
    enum class Kind { Note, PrintedOrder, Payment };
    Kind kind = Kind::Note;
    QDate date;
    QString number;           // note number / order number / the note a payment names
    qint64 cents = 0;         // notes and orders positive; payments as received (refund negative)
    bool notShipped = false;  // a note neither 已发货 nor 已收款
    QString method;           // payments: 收款方式
    QString remark;           // payments and notes: 备注
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

// Balances of customers from the notes, the printed orders and the payments. Read only.
//
// A customer is a name compared as the local file compares text, trimmed: A–Z fold, every other
// character as written (so Ａ and ａ are two names on either engine; the server's wider fold is
// narrowed here). A name the address book renamed stays with the renamed unit for everything
// dated up to the rename's day (table CustomerRenames).
class Ledger {
public:
    explicit Ledger(core::Database& db);
    Statement statement(const QString& customer, Period period, bool withGoods) const;
    // The statements of many customers, in the order asked, each as statement() gives it; read
    // in one pass over the period rather than one per customer.
    QVector<Statement> statements(const QStringList& customers, Period period, bool withGoods) const;
    // Customers with notes, first printings of orders or payments in the period, sorted.
    QStringList activeCustomers(Period period) const;
    struct Receivable {
        QString customer;
        qint64 totalCents = 0;
        qint64 ageCents[4] = {}; // 0–30, 31–60, 61–90, >90 days
    };
    // Customers owing (total != 0), largest first. The open amount is the newest deliveries'
    // (payments settle the oldest debt first); a credit stands in the first column.
    QVector<Receivable> receivables(QDate asOf) const;

private:
    core::Database& m_db;
};

// "1234.50", "-0.05": the one money text of statements.
QString centsText(qint64 cents);
// A money text (typed-number rules: full-width digits, groups of three, a sign) to cents,
// exactly; a third decimal rounds half away from zero. Empty or no number: nothing.
std::optional<qint64> textCents(const QString& text);
// The key two customer names share when they are one customer: trimmed, A–Z folded.
QString customerKey(const QString& name);

} // namespace accounts
