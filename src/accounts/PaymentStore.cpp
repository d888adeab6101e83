#include "accounts/PaymentStore.h"

#include "accounts/AccountsTables.h"
#include "accounts/Ledger.h"
#include "core/AppContext.h"
#include "core/Recordset.h"
#include "masterdata/TPerson.h"

namespace accounts {

const QString PaymentStore::kMethodDictionary = QStringLiteral("收款方式");

namespace {

const QString kIso = QStringLiteral("yyyy-MM-dd");
const QString kColumns =
    QStringLiteral("ID, 收款日期, 顾客名称, 金额分, 收款方式, 票据编号, 备注, 操作员, 录入时间");
// Beyond this no single payment is meant; it also keeps every sum far inside 64 bits.
constexpr qint64 kLimitCents = qint64(1000000000) * 100;

QString where(const PaymentFilter& f) {
    QString w = QStringLiteral(" where 1=1");
    if (f.from.isValid())
        w += QStringLiteral(" and 收款日期>=:from");
    if (f.to.isValid())
        w += QStringLiteral(" and 收款日期<=:to");
    if (!f.customer.trimmed().isEmpty())
        w += QStringLiteral(" and 顾客名称=:customer");
    return w;
}

Payment read(const core::Recordset& rs) {
    Payment p;
    p.id = rs.integer(QStringLiteral("ID"));
    p.date = QDate::fromString(rs.text(QStringLiteral("收款日期")), kIso);
    p.customer = rs.text(QStringLiteral("顾客名称"));
    p.cents = rs.integer(QStringLiteral("金额分"));
    p.method = rs.text(QStringLiteral("收款方式"));
    p.note = rs.text(QStringLiteral("票据编号"));
    p.remark = rs.text(QStringLiteral("备注"));
    p.operatorName = rs.text(QStringLiteral("操作员"));
    p.entered = rs.text(QStringLiteral("录入时间"));
    return p;
}

} // namespace

PaymentStore::PaymentStore(core::AppContext& app) : m_app(app), m_db(app.db()) {
    ensureTables(m_db);
}

QString PaymentStore::refusal(Action action) const {
    // With the login off nobody is named and the desk is trusted, as in every other window.
    if (m_app.userName.isEmpty())
        return {};
    const QString role = m_app.userRole;
    if (role == QStringLiteral("管理员") || role == QStringLiteral("订单处理员"))
        return {};
    if (role == QStringLiteral("录单员") && action == Action::Add)
        return {};
    const QString what = action == Action::Add      ? QStringLiteral("登记收款")
                         : action == Action::Change ? QStringLiteral("修改收款")
                                                    : QStringLiteral("删除收款");
    return QStringLiteral("操作员“%1”（%2）无权%3，请用管理员或订单处理员登录。")
        .arg(m_app.userName, role.isEmpty() ? QStringLiteral("无角色") : role, what);
}

void PaymentStore::check(Action action) const {
    const QString text = refusal(action);
    if (!text.isEmpty())
        throw PaymentRefused(text);
}

std::optional<qint64> PaymentStore::typedCents(const QString& typed) {
    const std::optional<qint64> cents = textCents(typed);
    if (!cents || *cents == 0 || *cents >= kLimitCents || *cents <= -kLimitCents)
        return std::nullopt;
    return cents;
}

QString PaymentStore::knownCustomer(const QString& typed) {
    const QString name = typed.trimmed();
    if (name.isEmpty())
        return {};
    // As the entry window takes a typed 客户名称: the address book's row of that name.
    if (const auto person = masterdata::TPerson::findByFullName(m_db, name);
        person && customerKey(person->fullName()) == customerKey(name))
        return person->fullName();
    const core::Recordset rs = m_db.query(
        QStringLiteral(
            "select 顾客名称 from DataCheckFHDSHD where 顾客名称=:n order by 流水号 desc limit 20"),
        {{QStringLiteral("n"), name}});
    for (int i = 0; i < rs.recordCount(); ++i) {
        core::Recordset row = rs;
        row.seek(i);
        if (customerKey(row.text(0)) == customerKey(name))
            return row.text(0);
    }
    return {};
}

QStringList PaymentStore::methods() {
    core::Recordset rs = m_db.query(QStringLiteral("select distinct DMValue from DMTable where DMName=:n and "
                                                   "DMValue<>'<空>' order by DMValue"),
                                    {{QStringLiteral("n"), kMethodDictionary}});
    QStringList out;
    for (rs.first(); !rs.eof(); rs.next())
        out << rs.text(0);
    return out;
}

void PaymentStore::checked(Payment& p) {
    if (!p.date.isValid())
        throw PaymentRefused(QStringLiteral("收款日期无效。"));
    if (p.cents == 0 || p.cents >= kLimitCents || p.cents <= -kLimitCents)
        throw PaymentRefused(QStringLiteral("金额必须不为零，且绝对值小于1,000,000,000。"));
    const QString customer = knownCustomer(p.customer);
    if (customer.isEmpty())
        throw PaymentRefused(QStringLiteral("客户“%1”不在通讯录中，也没有开过送货单，请先在通讯录中登记。")
                                 .arg(p.customer.trimmed()));
    p.customer = customer;
    p.method = p.method.trimmed();
    p.note = p.note.trimmed();
    p.remark = p.remark.trimmed();
}

template <typename Work> void PaymentStore::inTransaction(Work work) {
    m_db.begin();
    try {
        m_db.lockName(QStringLiteral("Payments"));
        work();
        m_db.commit();
    } catch (...) {
        m_db.rollback();
        throw;
    }
}

core::Params PaymentStore::fields(const Payment& p) const {
    return {
        {QStringLiteral("d"), p.date.toString(kIso)},
        {QStringLiteral("c"), p.customer},
        {QStringLiteral("cents"), p.cents},
        {QStringLiteral("m"), p.method},
        {QStringLiteral("n"), p.note},
        {QStringLiteral("r"), p.remark},
        {QStringLiteral("o"), m_app.userName},
        {QStringLiteral("t"), QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))}};
}

qint64 PaymentStore::add(Payment p) {
    check(Action::Add);
    checked(p);
    qint64 id = 0;
    inTransaction([&] {
        m_db.exec(QStringLiteral(
                      "insert into Payments (收款日期, 顾客名称, 金额分, 收款方式, 票据编号, 备注, 操作员, "
                      "录入时间) values (:d, :c, :cents, :m, :n, :r, :o, :t)"),
                  fields(p));
        id = m_db.scalar(QStringLiteral("select ID from Payments where rowid=:r"),
                         {{QStringLiteral("r"), m_db.lastInsertId()}})
                 .toLongLong();
    });
    return id;
}

void PaymentStore::change(const Payment& payment) {
    check(Action::Change);
    Payment p = payment;
    checked(p);
    inTransaction([&] {
        const int rows = m_db.exec(
            QStringLiteral(
                "update Payments set 收款日期=:d, 顾客名称=:c, 金额分=:cents, 收款方式=:m, 票据编号=:n, "
                "备注=:r, 操作员=:o, 录入时间=:t where ID=:id"),
            [&] {
                core::Params params = fields(p);
                params.insert(QStringLiteral("id"), p.id);
                return params;
            }());
        if (rows == 0)
            throw PaymentRefused(QStringLiteral("这笔收款已被其他用户删除，修改没有保存。"));
    });
}

void PaymentStore::remove(qint64 id) {
    check(Action::Delete);
    inTransaction([&] {
        if (m_db.exec(QStringLiteral("delete from Payments where ID=:id"), {{QStringLiteral("id"), id}}) == 0)
            throw PaymentRefused(QStringLiteral("这笔收款已被其他用户删除。"));
    });
}

std::optional<Payment> PaymentStore::find(qint64 id) {
    const core::Recordset rs =
        m_db.query(QStringLiteral("select ") + kColumns + QStringLiteral(" from Payments where ID=:id"),
                   {{QStringLiteral("id"), id}});
    if (rs.isEmpty())
        return std::nullopt;
    return read(rs);
}

QString PaymentStore::listSql(const PaymentFilter& filter) {
    return QStringLiteral("select ") + kColumns + QStringLiteral(" from Payments") + where(filter) +
           QStringLiteral(" order by 收款日期, ID");
}

core::Params PaymentStore::listParams(const PaymentFilter& f) {
    core::Params p;
    if (f.from.isValid())
        p.insert(QStringLiteral("from"), f.from.toString(kIso));
    if (f.to.isValid())
        p.insert(QStringLiteral("to"), f.to.toString(kIso));
    if (!f.customer.trimmed().isEmpty())
        p.insert(QStringLiteral("customer"), f.customer.trimmed());
    return p;
}

QVector<Payment> PaymentStore::list(const PaymentFilter& filter) {
    core::Recordset rs = m_db.query(listSql(filter), listParams(filter));
    QVector<Payment> out;
    for (rs.first(); !rs.eof(); rs.next())
        out << read(rs);
    return out;
}

qint64 PaymentStore::sum(const PaymentFilter& filter) {
    return m_db
        .scalar(QStringLiteral("select coalesce(sum(金额分),0) from Payments") + where(filter),
                listParams(filter))
        .toLongLong();
}

} // namespace accounts
