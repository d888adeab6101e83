#include "users/UserStore.h"

#include "core/AppContext.h"

#include <algorithm>

namespace users {

const QString UserStore::kNeedLoginOption = QStringLiteral("进入系统需验证");
const QStringList UserStore::kRoles{QStringLiteral("管理员"), QStringLiteral("订单处理员"),
                                    QStringLiteral("录单员")};

namespace {

struct Row {
    qint64 id;
    QString name;
    QString passwd;
    QString role;
};

// The operators of a name (letter case ignored, as the table compares it); those whose name
// is exactly the one given come first and alone when there are any.
QList<Row> rowsOfName(core::Database& db, const QString& name) {
    core::Recordset rs =
        db.query(QStringLiteral("select ID,UserName,Passwd,RoleName from UserTable where UserName=:pUser"),
                 {{QStringLiteral("pUser"), name}});
    QList<Row> all;
    for (rs.first(); !rs.eof(); rs.next())
        all.append({rs.integer(QStringLiteral("ID")), rs.text(QStringLiteral("UserName")),
                    rs.text(QStringLiteral("Passwd")), rs.text(QStringLiteral("RoleName"))});
    QList<Row> exact;
    std::copy_if(all.begin(), all.end(), std::back_inserter(exact),
                 [&](const Row& r) { return r.name == name; });
    return exact.isEmpty() ? all : exact;
}

} // namespace

UserStore::UserStore(core::AppContext& app, int iterations) : m_app(app), m_iterations(iterations) {}

QStringList UserStore::userNames(bool withoutEmpty) {
    core::Recordset rs = m_app.db().query(QStringLiteral("select distinct UserName from UserTable"));
    QStringList names;
    for (rs.first(); !rs.eof(); rs.next()) {
        const QString name = rs.text(0);
        if (!withoutEmpty || !name.trimmed().isEmpty())
            names << name;
    }
    return names;
}

UserStore::Login UserStore::login(const QString& typedName, const QString& typedPassword) {
    m_app.userName.clear();
    m_app.userRole.clear();
    const QString name = typedName.trimmed();
    if (name.isEmpty())
        return Login::EmptyName;
    const QString password = typedPassword.trimmed();
    QString stripped = password;
    stripped.remove(QLatin1Char('\''));
    try {
        const QList<Row> rows = rowsOfName(m_app.db(), name);
        const Row* match = nullptr;
        QString matched;
        for (const Row& row : rows) {
            QString which;
            if (PasswordHash::verify(row.passwd, password))
                which = password;
            else if (stripped != password && PasswordHash::verify(row.passwd, stripped))
                which = stripped;
            else
                continue;
            if (match)
                return Login::Refused; // two operators answer: no telling which one logs in
            match = &row;
            matched = which;
        }
        if (!match)
            return Login::Refused;
        if (PasswordHash::needsUpgrade(match->passwd, m_iterations)) {
            try {
                m_app.db().exec(QStringLiteral("update UserTable set Passwd=:pwd where ID=:id"),
                                {{QStringLiteral("pwd"), PasswordHash::make(matched, m_iterations)},
                                 {QStringLiteral("id"), match->id}});
            } catch (const core::DbError&) {
                // A read-only data file keeps the earlier digest; the login itself stands.
            }
        }
        m_app.userName = name;
        m_app.userRole = match->role;
        return Login::LoggedIn;
    } catch (const core::DbError&) {
        return Login::Failed;
    }
}

UserStore::Change UserStore::changePassword(const QString& name, const QString& oldPassword,
                                            const QString& new1, const QString& new2) {
    const QString next = new1.trimmed();
    if (next != new2.trimmed())
        return Change::Mismatch;
    const QList<Row> rows = rowsOfName(m_app.db(), name);
    const Row* match = nullptr;
    for (const Row& row : rows) {
        if (!PasswordHash::verify(row.passwd, oldPassword))
            continue;
        if (match)
            return Change::WrongOld;
        match = &row;
    }
    if (!match)
        return Change::WrongOld;
    m_app.db().exec(
        QStringLiteral("update UserTable set Passwd=:pwd where ID=:id"),
        {{QStringLiteral("pwd"), PasswordHash::make(next, m_iterations)}, {QStringLiteral("id"), match->id}});
    return Change::Changed;
}

namespace {

QVariantList keysOf(const QList<qint64>& ids) {
    QVariantList keys;
    keys.reserve(ids.size());
    for (qint64 id : ids)
        keys << id;
    return keys;
}

} // namespace

int UserStore::deleteUsers(const QList<qint64>& ids) {
    if (ids.isEmpty())
        return 0;
    core::Database& db = m_app.db();
    db.begin();
    try {
        const int n = db.exec(QStringLiteral("delete from UserTable where ID") +
                                  core::Database::keyList(QStringLiteral("ids")),
                              {{QStringLiteral("ids"), keysOf(ids)}});
        db.commit();
        return n;
    } catch (...) {
        db.rollback();
        throw;
    }
}

int UserStore::resetPasswords(const QList<qint64>& ids) {
    if (ids.isEmpty())
        return 0;
    core::Database& db = m_app.db();
    db.begin();
    try {
        const int n = db.exec(QStringLiteral("update UserTable set passwd='' where ID") +
                                  core::Database::keyList(QStringLiteral("ids")),
                              {{QStringLiteral("ids"), keysOf(ids)}});
        db.commit();
        return n;
    } catch (...) {
        db.rollback();
        throw;
    }
}

bool UserStore::nameTaken(qint64 id, const QString& name) {
    // Letter case and surrounding blanks ignored, as the login finds a name.
    return m_app.db()
               .scalar(
                   QStringLiteral("select count(*) from UserTable where lcase(trim(UserName))=lcase(:name) "
                                  "and ID<>:id"),
                   {{QStringLiteral("name"), name.trimmed()}, {QStringLiteral("id"), id}})
               .toInt() > 0;
}

std::optional<qint64> UserStore::saveUser(qint64 id, const QString& name, const QString& role,
                                          const QString& remark, const QString& newPassword) {
    if (nameTaken(id, name))
        return std::nullopt;
    const core::Params values{{QStringLiteral("name"), name.trimmed()},
                              {QStringLiteral("role"), role},
                              {QStringLiteral("remark"), remark},
                              {QStringLiteral("id"), id}};
    if (id > 0) {
        m_app.db().exec(
            QStringLiteral("update UserTable set UserName=:name,RoleName=:role,Remark=:remark where ID=:id"),
            values);
        return id;
    }
    const QString password = newPassword.trimmed();
    core::Params row = values;
    row.insert(QStringLiteral("pwd"),
               password.isEmpty() ? QString() : PasswordHash::make(password, m_iterations));
    m_app.db().exec(QStringLiteral("insert into UserTable (UserName,Passwd,RoleName,Remark) values "
                                   "(:name,:pwd,:role,:remark)"),
                    row);
    return m_app.db().lastInsertId();
}

bool UserStore::loginRequired() {
    return m_app.configSwitch(kNeedLoginOption);
}

int UserStore::rolesLeftWithout(const QList<qint64>& ids) {
    return m_app.db()
        .scalar(
            QStringLiteral("select count(*) from UserTable where RoleName<>'' and UserName<>'' and not ID") +
                core::Database::keyList(QStringLiteral("ids")),
            {{QStringLiteral("ids"), keysOf(ids)}})
        .toInt();
}

bool UserStore::deleteLocksOut(const QList<qint64>& ids) {
    return loginRequired() && rolesLeftWithout(ids) == 0;
}

bool UserStore::roleChangeLocksOut(qint64 id, const QString& newRole) {
    // A new operator without a role takes nothing away.
    if (id <= 0 || !loginRequired() || !newRole.trimmed().isEmpty())
        return false;
    return rolesLeftWithout({id}) == 0;
}

bool UserStore::anyOperatorWithRole() {
    return rolesLeftWithout({}) > 0;
}

void LoginThrottle::failed(qint64 now) {
    ++m_failures;
    if (m_failures < 3)
        return;
    const qint64 wait = std::min<qint64>(30000, 1000LL << std::min(m_failures - 3, 5));
    m_until = now + wait;
}

qint64 LoginThrottle::waitMs(qint64 now) const {
    return m_failures < 3 || now >= m_until ? 0 : m_until - now;
}

} // namespace users
