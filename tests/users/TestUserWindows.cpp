#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include "core/InstallRecord.h"
#include "core/ui/DataGrid.h"
#include "core/ui/Tfm_Main.h"
#include "users/ui/TfrmUserLogin.h"
#include "users/ui/TfrmUserManage.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <memory>

using users::PasswordHash;

namespace {
constexpr int kFast = 1000;
const QString kNeedLogin = QStringLiteral("进入系统需验证");
} // namespace

// The login, user and password windows driven through their widgets.
class TestUserWindows : public QObject {
    Q_OBJECT

    std::unique_ptr<TestHome> m_home;
    core::Database& db() { return m_home->db(); }
    core::ScriptedDialogs& dialogs() { return m_home->dialogs(); }

    qint64 addUser(const QString& name, const QString& password, const QString& role) {
        db().exec(QStringLiteral("insert into UserTable (UserName,Passwd,RoleName) values (:n,:p,:r)"),
                  {{QStringLiteral("n"), name},
                   {QStringLiteral("p"), PasswordHash::make(password, kFast)},
                   {QStringLiteral("r"), role}});
        return db().lastInsertId();
    }
    int users() { return db().scalar(QStringLiteral("select count(*) from UserTable")).toInt(); }
    int rowOf(core::ui::DataGrid& grid, const QString& name) {
        for (int row = 0; row < grid.rowCount(); ++row)
            if (grid.value(row, QStringLiteral("用户名")).toString() == name)
                return row;
        return -1;
    }

private slots:
    void init() {
        m_home = std::make_unique<TestHome>();
        QVERIFY2(m_home->isValid(), qPrintable(m_home->error()));
    }
    void cleanup() { m_home.reset(); }

    // The main window is of no use until an operator with a role has logged in.
    void mainWindowWaitsForTheLogin_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("stays");
        QTest::newRow("operator with role") << "张三" << true;
        QTest::newRow("operator without role") << "无角色" << false;
    }
    void mainWindowWaitsForTheLogin() {
        QFETCH(QString, name);
        QFETCH(bool, stays);
        addUser(QStringLiteral("张三"), QStringLiteral("密码"), QStringLiteral("录单员"));
        addUser(QStringLiteral("无角色"), QStringLiteral("密码"), QString());
        m_home->app().setConfigByname(kNeedLogin, QStringLiteral("yes"));
        core::InstallRecord record(m_home->path() + QStringLiteral("install.ini"));
        core::ui::Tfm_Main main(m_home->app());
        main.setInstallRecord(&record);
        bool enabledWhileAsked = true;
        main.setLoginHook([&] {
            QTimer::singleShot(0, [&] {
                auto* login = main.findChild<users::ui::TfrmUserLogin*>();
                QVERIFY(login);
                enabledWhileAsked = main.isEnabled();
                QVERIFY(login->btLogin->isEnabled());
                login->cbUserName->setCurrentText(name);
                login->edtPasswd->setText(QStringLiteral("密码"));
                login->btLogin->click();
            });
            return users::ui::runStartupLogin(m_home->app(), &main);
        });
        QVERIFY(main.startUp(false));
        QVERIFY(!main.isEnabled());
        main.TimerSystemTimer();
        QVERIFY(!enabledWhileAsked);
        QCOMPARE(main.isEnabled(), stays);
        QCOMPARE(main.isVisible(), stays);
        if (!stays)
            QCOMPARE(dialogs().lastText(),
                     QStringLiteral("该用户没有分配操作角色，无法进入系统，请联系管理员~"));
    }

    // With the login on, the last operator who can log in can neither go nor lose the role.
    void lockOutRefused() {
        m_home->app().setConfigByname(kNeedLogin, QStringLiteral("yes"));
        const qint64 other = addUser(QStringLiteral("张三"), QString(), QString());
        users::ui::TfrmUserManage window(m_home->app(), nullptr, kFast);
        core::ui::DataGrid& grid = *window.dbgUsers;
        // The list never shows what the passwords are stored as.
        QCOMPARE(grid.fieldIndex(QStringLiteral("Passwd")), -1);
        grid.setCurrentRow(rowOf(grid, QStringLiteral("管理员")));
        QTest::mouseClick(window.btDelSel, Qt::LeftButton);
        QVERIFY(dialogs().lastText().contains(QStringLiteral("至少要保留一个有操作角色的用户")));
        QCOMPARE(users(), 2);
        grid.setCurrentRow(rowOf(grid, QStringLiteral("管理员")));
        window.btEditClick();
        window.cbRoleName->setCurrentText(QString());
        window.btRefreshClick();
        QVERIFY(dialogs().lastText().contains(QStringLiteral("至少要保留一个有操作角色的用户")));
        QCOMPARE(
            db().scalar(QStringLiteral("select RoleName from UserTable where UserName='管理员'")).toString(),
            QStringLiteral("管理员"));
        // The one without a role may go, after the question.
        dialogs().clear();
        grid.setCurrentRow(rowOf(grid, QStringLiteral("张三")));
        dialogs().answers.enqueue(1);
        window.btDelSelClick();
        QCOMPARE(dialogs().shown.first().caption, QStringLiteral("删除确认"));
        QCOMPARE(dialogs().lastText(), QStringLiteral("1个用户删除成功！"));
        QVERIFY(!db().scalar(QStringLiteral("select 1 from UserTable where ID=:id"),
                             {{QStringLiteral("id"), other}})
                     .isValid());
        QVERIFY(grid.selectedRows().isEmpty());
    }

    // Adding an operator under a name that exists in another letter case says so, stores
    // nothing and keeps the entry open for another name.
    void duplicateNameRefusedInTheWindow() {
        addUser(QStringLiteral("Tom"), QString(), QStringLiteral("录单员"));
        users::ui::TfrmUserManage window(m_home->app(), nullptr, kFast);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        const int before = users();
        QTest::mouseClick(window.btAdd, Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), window.edtUserName);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("TOM"));
        QTest::mouseClick(window.btRefresh, Qt::LeftButton);
        QVERIFY(dialogs().lastText().contains(QStringLiteral("已经存在")));
        QCOMPARE(users(), before);
        QCOMPARE(window.editingId(), 0);
        window.edtUserName->setText(QStringLiteral("Tomas"));
        QTest::mouseClick(window.btRefresh, Qt::LeftButton);
        QCOMPARE(users(), before + 1);
        QCOMPARE(window.editingId(), -1);
    }

    // A new operator's password is typed with his name, in one step; browsing shows no box to
    // type into.
    void newOperatorTakesItsPassword() {
        users::ui::TfrmUserManage window(m_home->app(), nullptr, kFast);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QVERIFY(!window.edtPasswd->isEnabled());
        QTest::mouseClick(window.btAdd, Qt::LeftButton);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Ann"));
        QVERIFY(window.edtPasswd->isEnabled());
        QTest::mouseClick(window.edtPasswd, Qt::LeftButton);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral(" pw123 "));
        QTest::mouseClick(window.btRefresh, Qt::LeftButton);
        QCOMPARE(window.editingId(), -1);
        const QString stored =
            db().scalar(QStringLiteral("select Passwd from UserTable where UserName='Ann'")).toString();
        QVERIFY(PasswordHash::verify(stored, QStringLiteral("pw123")));
        QVERIFY(!window.edtPasswd->isEnabled());
    }
};

OVERPRINT_TEST(TestUserWindows)
#include "TestUserWindows.moc"
