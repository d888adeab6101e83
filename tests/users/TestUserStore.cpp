#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include "users/PasswordHash.h"
#include "users/UserStore.h"

#include <QTest>
#include <memory>

using users::PasswordHash;
using users::UserStore;

namespace {

// Few iterations keep the tests quick; the stored form names its own count either way.
constexpr int kFast = 1000;
// MD5 of the GBK bytes of 密码, as earlier versions stored it.
const QString kLegacy密码 = QStringLiteral("d2293e30f0c964c5f6242486aa8a483c");
const QString kLongName = QStringLiteral("一二三四五六七八九十一二三四五六七八九十一二三四五六七八九十甲");

} // namespace

class TestUserStore : public QObject {
    Q_OBJECT

    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<UserStore> m_store;
    core::Database& db() { return m_home->db(); }

    void addUser(const QString& name, const QString& passwd, const QString& role) {
        db().exec(QStringLiteral("insert into UserTable (UserName,Passwd,RoleName) values (:n,:p,:r)"),
                  {{QStringLiteral("n"), name}, {QStringLiteral("p"), passwd}, {QStringLiteral("r"), role}});
    }
    // The row whose name is written exactly so (letter case counts), on either engine.
    QVariant ofExactName(const QString& column, const QString& name) {
        core::Recordset rs = db().query(QStringLiteral("select UserName,") + column +
                                            QStringLiteral(" from UserTable where UserName=:n order by ID"),
                                        {{QStringLiteral("n"), name}});
        for (rs.first(); !rs.eof(); rs.next())
            if (rs.text(QStringLiteral("UserName")) == name)
                return rs.value(column);
        return {};
    }
    qint64 idOf(const QString& name) { return ofExactName(QStringLiteral("ID"), name).toLongLong(); }
    QString passwdOf(const QString& name) { return ofExactName(QStringLiteral("Passwd"), name).toString(); }
    QStringList allPasswords() {
        QStringList all;
        core::Recordset rs = db().query(QStringLiteral("select Passwd from UserTable order by ID"));
        for (rs.first(); !rs.eof(); rs.next())
            all << rs.text(0);
        return all;
    }

private slots:
    void init() {
        m_home = std::make_unique<TestHome>();
        QVERIFY2(m_home->isValid(), qPrintable(m_home->error()));
        m_store = std::make_unique<UserStore>(m_home->app(), kFast);
        // The shipped operator 管理员 has no password and the role 管理员.
        addUser(QStringLiteral("张三"), kLegacy密码, QStringLiteral("录单员"));
        addUser(QStringLiteral("O'Brien"), PasswordHash::make(QStringLiteral("a'b"), kFast),
                QStringLiteral("订单处理员"));
        addUser(QStringLiteral("旧引号"), PasswordHash::legacyDigest(QStringLiteral("ab")),
                QStringLiteral("录单员"));
        addUser(QStringLiteral("Admin"), PasswordHash::make(QStringLiteral("x"), kFast),
                QStringLiteral("管理员"));
        addUser(QStringLiteral("admin"), PasswordHash::make(QStringLiteral("y"), kFast),
                QStringLiteral("录单员"));
        addUser(QStringLiteral("无角色"), QString(), QString());
        addUser(QStringLiteral("损坏"), QStringLiteral("abc123"), QStringLiteral("管理员"));
        addUser(kLongName, PasswordHash::make(QStringLiteral("%_'密 码"), kFast), QStringLiteral("录单员"));
    }
    void cleanup() {
        m_store.reset();
        m_home.reset();
    }

    void legacyDigestIsMd5OfGbk() {
        QCOMPARE(PasswordHash::legacyDigest(QStringLiteral("密码")), kLegacy密码);
        QCOMPARE(PasswordHash::legacyDigest(QString()), QString());
        const QString made = PasswordHash::make(QStringLiteral("密码"));
        QVERIFY2(made.startsWith(QStringLiteral("pbkdf2-sha256$600000$")), qPrintable(made));
        QVERIFY(PasswordHash::verify(made, QStringLiteral("密码")));
        const QString fast = PasswordHash::make(QStringLiteral("密码"), kFast);
        QVERIFY(fast != PasswordHash::make(QStringLiteral("密码"), kFast)); // salted: never twice the same
        QVERIFY(!PasswordHash::verify(fast, QStringLiteral("密碼")));
        QVERIFY(PasswordHash::needsUpgrade(fast));
        QVERIFY(!PasswordHash::needsUpgrade(fast, kFast));
        // A crafted row asking for an absurd iteration count is no password at all.
        QCOMPARE(PasswordHash::formOf(QStringLiteral("pbkdf2-sha256$2000000000$AAAA$AAAA")),
                 PasswordHash::Form::Unknown);
    }

    void login_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("role");
        const int in = int(UserStore::Login::LoggedIn);
        const int refused = int(UserStore::Login::Refused);
        QTest::newRow("no password, empty box") << "管理员"
                                                << "" << in << "管理员";
        QTest::newRow("no password, something typed") << "管理员"
                                                      << "x" << refused << "";
        QTest::newRow("earlier digest, blanks around both") << "  张三 "
                                                            << " 密码  " << in << "录单员";
        QTest::newRow("quote in name and password") << "O'Brien"
                                                    << "a'b" << in << "订单处理员";
        QTest::newRow("earlier digest of the quote-stripped form") << "旧引号"
                                                                   << "a'b" << in << "录单员";
        QTest::newRow("exact letter case wins: admin") << "admin"
                                                       << "y" << in << "录单员";
        QTest::newRow("Admin's password under admin") << "admin"
                                                      << "x" << refused << "";
        QTest::newRow("other letter case, one password fits") << "ADMIN"
                                                              << "x" << in << "管理员";
        QTest::newRow("operator without role logs in without role") << "无角色"
                                                                    << "" << in << "";
        QTest::newRow("corrupt digest never matches") << "损坏"
                                                      << "abc123" << refused << "";
        QTest::newRow("long CJK name, % and quote") << kLongName << "%_'密 码" << in << "录单员";
        QTest::newRow("injection in the name") << "x' or '1'='1"
                                               << "" << refused << "";
        QTest::newRow("blank name") << "   "
                                    << "" << int(UserStore::Login::EmptyName) << "";
    }
    void login() {
        QFETCH(QString, name);
        QFETCH(QString, password);
        QFETCH(int, outcome);
        QFETCH(QString, role);
        m_home->app().userName = QStringLiteral("someone before");
        QCOMPARE(int(m_store->login(name, password)), outcome);
        QCOMPARE(m_home->app().userRole, role);
        QCOMPARE(m_home->app().userName,
                 outcome == int(UserStore::Login::LoggedIn) ? name.trimmed() : QString());
    }

    // A digest of an earlier version logs in once more and is replaced by a salted hash.
    void earlierDigestReplacedAtLogin() {
        QCOMPARE(m_store->login(QStringLiteral("张三"), QStringLiteral("密码")), UserStore::Login::LoggedIn);
        const QString stored = passwdOf(QStringLiteral("张三"));
        QCOMPARE(PasswordHash::formOf(stored), PasswordHash::Form::Salted);
        QCOMPARE(m_store->login(QStringLiteral("张三"), QStringLiteral("密码")), UserStore::Login::LoggedIn);
        QCOMPARE(passwdOf(QStringLiteral("张三")), stored); // strong enough: left as it is
        QCOMPARE(m_store->login(QStringLiteral("张三"), QStringLiteral("mima")), UserStore::Login::Refused);
        // The stripped form that matched is what is stored: the same typing keeps working.
        QCOMPARE(m_store->login(QStringLiteral("旧引号"), QStringLiteral("a'b")), UserStore::Login::LoggedIn);
        QCOMPARE(m_store->login(QStringLiteral("旧引号"), QStringLiteral("a'b")), UserStore::Login::LoggedIn);
        QCOMPARE(m_store->login(QStringLiteral("旧引号"), QStringLiteral("ab")), UserStore::Login::LoggedIn);
    }

    void changePassword_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("old");
        QTest::addColumn<QString>("new1");
        QTest::addColumn<QString>("new2");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("changed"); // the one operator whose password changed, or none
        const auto row = [](const char* tag, const char* name, const char* old, const char* new1,
                            const char* new2, UserStore::Change outcome, const char* changed) {
            QTest::newRow(tag) << QString::fromUtf8(name) << QString::fromUtf8(old) << QString::fromUtf8(new1)
                               << QString::fromUtf8(new2) << int(outcome) << QString::fromUtf8(changed);
        };
        using C = UserStore::Change;
        row("entries differ", "张三", "密码", "n1", "n2", C::Mismatch, "");
        row("old password compared as typed", "张三", " 密码", "n", "n", C::WrongOld, "");
        row("injection name changes nothing", "x' or '1'='1", "", "n", "n", C::WrongOld, "");
        row("admin does not change Admin", "admin", "y", "n", "n", C::Changed, "admin");
        row("Admin's password under admin", "admin", "x", "n", "n", C::WrongOld, "");
        row("no password to a quoted one", "管理员", "", "it's", "it's", C::Changed, "管理员");
    }
    void changePassword() {
        QFETCH(QString, name);
        QFETCH(QString, old);
        QFETCH(QString, new1);
        QFETCH(QString, new2);
        QFETCH(int, outcome);
        QFETCH(QString, changed);
        const QStringList before = allPasswords();
        QCOMPARE(int(m_store->changePassword(name, old, new1, new2)), outcome);
        const QStringList after = allPasswords();
        int differing = 0;
        for (int i = 0; i < before.size(); ++i)
            differing += before[i] != after[i];
        QCOMPARE(differing, changed.isEmpty() ? 0 : 1);
        if (!changed.isEmpty())
            QCOMPARE(m_store->login(changed, new1), UserStore::Login::LoggedIn);
    }

    // A name another operator has, in any letter case or with blanks around it, is refused on
    // add and on rename, and the table stays as it was; an operator keeps or recases its own.
    void duplicateNamesRefused_data() {
        QTest::addColumn<QString>("who"); // the operator renamed; empty: a new one
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("saved");
        const auto row = [](const char* tag, const char* who, const char* name, bool saved) {
            QTest::newRow(tag) << QString::fromUtf8(who) << QString::fromUtf8(name) << saved;
        };
        row("new, same name", "", "张三", false);
        row("new, other letter case", "", "o'BRIEN", false);
        row("new, other case beyond ASCII", "", "ÆRØ", false);
        row("new, blanks around", "", " 张三 ", false);
        row("new, a free name", "", "李四", true);
        row("rename to another's name", "O'Brien", "张三", false);
        row("rename to another's name in other case", "张三", "o'brien", false);
        row("rename to its own name in other case", "O'Brien", "O'BRIEN", true);
        row("keep its own name", "张三", "张三", true);
    }
    void duplicateNamesRefused() {
        QFETCH(QString, who);
        QFETCH(QString, name);
        QFETCH(bool, saved);
        addUser(QStringLiteral("ærø"), QString(), QStringLiteral("录单员"));
        const auto table = [this] {
            QStringList rows;
            core::Recordset rs =
                db().query(QStringLiteral("select ID,UserName,RoleName from UserTable order by ID"));
            for (rs.first(); !rs.eof(); rs.next())
                rows << rs.text(QStringLiteral("ID")) + QLatin1Char('=') +
                            rs.text(QStringLiteral("UserName")) + QLatin1Char('/') +
                            rs.text(QStringLiteral("RoleName"));
            return rows.join(QLatin1Char(';'));
        };
        const QString before = table();
        const qint64 id = who.isEmpty() ? 0 : idOf(who);
        const std::optional<qint64> result = m_store->saveUser(id, name, QStringLiteral("订单处理员"), {});
        QCOMPARE(result.has_value(), saved);
        if (!saved) {
            QCOMPARE(table(), before);
            return;
        }
        QCOMPARE(db().scalar(QStringLiteral("select UserName from UserTable where ID=:id"),
                             {{QStringLiteral("id"), *result}})
                     .toString(),
                 name.trimmed());
        if (id > 0)
            QCOMPARE(*result, id);
    }
};

OVERPRINT_TEST(TestUserStore)
#include "TestUserStore.moc"
