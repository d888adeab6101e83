#pragma once

#include "users/PasswordHash.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace core {
class AppContext;
}

namespace users {

// The operators of UserTable: login, password change, reset, deletion and the rows of the user
// window. Every value is bound; a change of one operator's row goes by its ID.
class UserStore {
public:
    static const QString kNeedLoginOption; // 进入系统需验证
    static const QStringList kRoles;       // 管理员, 订单处理员, 录单员

    explicit UserStore(core::AppContext& app, int iterations = PasswordHash::kIterations);

    // "select distinct UserName from UserTable"; withoutEmpty drops the empty names. Throws DbError.
    QStringList userNames(bool withoutEmpty = false);

    enum class Login { LoggedIn, EmptyName, Refused, Failed };
    // Name and password are taken trimmed. The password matches as typed or, as earlier versions
    // compared it, with every "'" removed. A matching row's earlier digest is replaced by a salted
    // hash. On LoggedIn, name and role of the operator are set in the context; otherwise emptied.
    Login login(const QString& typedName, const QString& typedPassword);

    enum class Change { Mismatch, WrongOld, Changed };
    // The old password is compared as typed, the new one stored trimmed. Only the one row whose
    // name and old password match changes; a name that equals the typed one exactly wins over
    // one that differs in letter case. Throws DbError.
    Change changePassword(const QString& name, const QString& oldPassword, const QString& new1,
                          const QString& new2);

    // Both in one transaction; the number of rows changed. Throw DbError.
    int deleteUsers(const QList<qint64>& ids);
    int resetPasswords(const QList<qint64>& ids);

    // Stores name, role and remark of an operator (id 0: a new one, with the password typed for
    // it, trimmed; an existing one keeps its password); returns its ID, or nothing when another
    // operator has that name already (letter case and blanks around it ignored): two such rows
    // would refuse each other at the login. Throws DbError.
    std::optional<qint64> saveUser(qint64 id, const QString& name, const QString& role, const QString& remark,
                                   const QString& newPassword = QString());
    // True when an operator other than id is called name, letter case and blanks ignored.
    bool nameTaken(qint64 id, const QString& name);

    // With the login on, true when no operator with a role would be left: after deleting ids,
    // or after giving operator id the role newRole (id 0: a new operator).
    bool deleteLocksOut(const QList<qint64>& ids);
    bool roleChangeLocksOut(qint64 id, const QString& newRole);
    // True when some operator has a role, so switching the login on leaves a way in.
    bool anyOperatorWithRole();
    bool loginRequired();

private:
    int rolesLeftWithout(const QList<qint64>& ids);

    core::AppContext& m_app;
    int m_iterations;
};

// Slows down guessing at the login: from the third failure on, each further try waits twice as
// long as the one before, up to half a minute. Times in milliseconds of any steady clock.
class LoginThrottle {
public:
    void failed(qint64 now);
    void succeeded() { m_failures = 0; }
    // How long the next try has to wait from now; 0 when it may go at once.
    qint64 waitMs(qint64 now) const;
    int failures() const { return m_failures; }

private:
    int m_failures = 0;
    qint64 m_until = 0;
};

} // namespace users
