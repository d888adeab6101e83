#pragma once

#include "core/Database.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>
#include <stdexcept>

namespace core {
class AppContext;
}

namespace accounts {

// A change of the register the clerk is told about in words (rights, bad amount, unknown
// customer, a row another seat deleted).
class PaymentRefused : public std::runtime_error {
public:
    explicit PaymentRefused(const QString& text) : std::runtime_error(text.toStdString()), m_text(text) {}
    QString text() const { return m_text; }

private:
    QString m_text;
};

struct Payment {
    qint64 id = 0;
    QDate date;
    QString customer;
    qint64 cents = 0; // refunds negative
    QString method;
    QString note; // the note it pays, may be empty
    QString remark;
    QString operatorName;
    QString entered; // yyyy-MM-dd HH:mm:ss
};

struct PaymentFilter {
    QDate from, to;   // inclusive; invalid: open
    QString customer; // empty: every customer
};

// The payments register (table Payments). Every change is one transaction under the register's
// lock and checks the operator's rights: with the login off everyone may do everything; with it
// on 管理员 and 订单处理员 add, change and delete, 录单员 only adds.
class PaymentStore {
public:
    explicit PaymentStore(core::AppContext& app);

    static const QString kMethodDictionary; // 收款方式

    enum class Action { Add, Change, Delete };
    // Empty when the operator may; else the message for the clerk.
    QString refusal(Action action) const;

    // An amount as the clerk types it (full-width digits, groups, a sign) to cents; refuses
    // empty, zero and what is no amount.
    static std::optional<qint64> typedCents(const QString& typed);
    // The customer as the address book holds the typed name (letter case as the tables compare
    // it), else as written on a saved note; empty when neither knows it.
    QString knownCustomer(const QString& typed);
    QStringList methods();

    // Each returns or throws PaymentRefused / core::DbError; nothing is half-done.
    qint64 add(Payment payment);
    void change(const Payment& payment);
    void remove(qint64 id);
    std::optional<Payment> find(qint64 id);
    QVector<Payment> list(const PaymentFilter& filter);
    // The list's statement (for the grid), its parameters, and the filter's sum in cents.
    static QString listSql(const PaymentFilter& filter);
    static core::Params listParams(const PaymentFilter& filter);
    qint64 sum(const PaymentFilter& filter);

private:
    void check(Action action) const;
    void checked(Payment& payment);
    // The bound values of a payment's row, the operator and the time of entry with them.
    core::Params fields(const Payment& payment) const;
    template <typename Work> void inTransaction(Work work);

    core::AppContext& m_app;
    core::Database& m_db;
};

} // namespace accounts
