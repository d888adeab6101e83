#include "support/TestHome.h"
#include "support/TestRegistry.h"
#include "support/Typing.h"

#include "core/InstallRecord.h"
#include "core/ui/DataGrid.h"
#include "core/ui/Tfm_Main.h"
#include "users/ui/TfrmModifyPassword.h"
#include "users/ui/TfrmUserLogin.h"
#include "users/ui/TfrmUserManage.h"

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

    void loginThroughTheWindow() {
        addUser(QStringLiteral("张三"), QStringLiteral("密码"), QStringLiteral("录单员"));
        users::ui::TfrmUserLogin login(m_home->app(), nullptr, kFast);
        QVERIFY(login.FormShow());
        QCOMPARE(login.cbUserName->count(), 2);
        login.cbUserName->setCurrentText(QStringLiteral("张三"));
        QTest::keyClicks(login.edtPasswd, QStringLiteral("wrong"));
        QTest::keyClick(login.edtPasswd, Qt::Key_Return);
        QCOMPARE(dialogs().lastText(), QStringLiteral("用户名或密码输入错误~"));
        QCOMPARE(login.result(), int(QDialog::Rejected));
        QVERIFY(m_home->app().userRole.isEmpty());
        login.edtPasswd->setText(QStringLiteral(" 密码 "));
        QTest::mouseClick(login.btLogin, Qt::LeftButton);
        QCOMPARE(login.result(), int(QDialog::Accepted));
        QCOMPARE(m_home->app().userName, QStringLiteral("张三"));
        QCOMPARE(m_home->app().userRole, QStringLiteral("录单员"));
        QVERIFY(login.edtPasswd->text().isEmpty());
    }

    void emptyNameAndRepeatedFailures() {
        users::ui::TfrmUserLogin login(m_home->app(), nullptr, kFast);
        QVERIFY(login.FormShow());
        login.cbUserName->setCurrentText(QStringLiteral("  "));
        login.btLoginClick();
        QCOMPARE(dialogs().lastText(), QStringLiteral("请选择正确的用户名~"));
        login.cbUserName->setCurrentText(QStringLiteral("管理员"));
        for (int i = 0; i < 3; ++i) {
            login.edtPasswd->setText(QStringLiteral("guess"));
            login.btLoginClick();
        }
        // The third failure makes the next try wait.
        QVERIFY(!login.btLogin->isEnabled());
        QCOMPARE(dialogs().texts().count(QStringLiteral("用户名或密码输入错误~")), 3);
        login.btLoginClick();
        QCOMPARE(dialogs().texts().count(QStringLiteral("用户名或密码输入错误~")), 3);
    }

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

    void userListAndEditing() {
        users::ui::TfrmUserManage window(m_home->app(), nullptr, kFast);
        core::ui::DataGrid& grid = *window.dbgUsers;
        QCOMPARE(grid.fieldIndex(QStringLiteral("Passwd")), -1);
        for (const char* title : {"用户名", "操作角色", "最后登录时间", "备注"})
            QVERIFY(grid.fieldIndex(QString::fromUtf8(title)) >= 0);
        QTest::mouseClick(window.btAdd, Qt::LeftButton);
        QVERIFY(window.edtUserName->hasFocus() || window.edtUserName->text().isEmpty());
        QTest::keyClicks(window.edtUserName, QStringLiteral("O'Brien %"));
        window.cbRoleName->setCurrentText(QStringLiteral("订单处理员"));
        window.edtRemark->setText(QStringLiteral("新来的"));
        QTest::mouseClick(window.btRefresh, Qt::LeftButton);
        QCOMPARE(window.editingId(), qint64(-1));
        QCOMPARE(db().scalar(QStringLiteral("select RoleName from UserTable where UserName='O''Brien %' and "
                                            "Passwd=''"))
                     .toString(),
                 QStringLiteral("订单处理员"));
        QVERIFY(rowOf(grid, QStringLiteral("O'Brien %")) >= 0);
    }

    // With the login on, the last operator who can log in can neither go nor lose the role.
    void lockOutRefused() {
        m_home->app().setConfigByname(kNeedLogin, QStringLiteral("yes"));
        const qint64 other = addUser(QStringLiteral("张三"), QString(), QString());
        users::ui::TfrmUserManage window(m_home->app(), nullptr, kFast);
        core::ui::DataGrid& grid = *window.dbgUsers;
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

    void noneSelectedAndReset() {
        addUser(QStringLiteral("张三"), QStringLiteral("密码"), QStringLiteral("录单员"));
        users::ui::TfrmUserManage window(m_home->app(), nullptr, kFast);
        core::ui::DataGrid& grid = *window.dbgUsers;
        grid.clearSelection();
        window.btResetPasswordClick();
        QCOMPARE(dialogs().lastText(), QStringLiteral("没有选中任何重置的用户"));
        grid.clearSelection();
        window.btDelSelClick();
        QCOMPARE(dialogs().lastText(), QStringLiteral("没有选中任何要删除的用户"));
        QCOMPARE(dialogs().shown.last().caption, QStringLiteral("提示"));
        grid.setCurrentRow(rowOf(grid, QStringLiteral("张三")));
        dialogs().answers.enqueue(1);
        window.btResetPasswordClick();
        QCOMPARE(dialogs().lastText(), QStringLiteral("1个用户密码重置成功！"));
        QCOMPARE(db().scalar(QStringLiteral("select Passwd from UserTable where UserName='张三'")).toString(),
                 QString());
    }

    void passwordWindow() {
        addUser(QStringLiteral("张三"), QStringLiteral("密码"), QStringLiteral("录单员"));
        users::ui::TfrmModifyPassword window(m_home->app(), QStringLiteral("张三"), nullptr, kFast);
        QCOMPARE(window.cbUserName->currentText(), QStringLiteral("张三"));
        typeText(window.edtOldPwd, QStringLiteral("错的"));
        window.lePassword1->setText(QStringLiteral("新密码"));
        window.lePassword2->setText(QStringLiteral("新密码"));
        QTest::mouseClick(window.btModify, Qt::LeftButton);
        QCOMPARE(dialogs().shown.last().caption, QStringLiteral("密码错误"));
        QVERIFY(window.edtOldPwd->text().isEmpty());
        typeText(window.edtOldPwd, QStringLiteral("密码"));
        QTest::mouseClick(window.btModify, Qt::LeftButton);
        QCOMPARE(dialogs().lastText(), QStringLiteral("密码修改成功,请牢记新密码。"));
        QCOMPARE(dialogs().shown.last().caption, QStringLiteral("消息"));
        QCOMPARE(window.lePassword1->text().size(), 15);
        QTest::mouseClick(window.btModify, Qt::LeftButton);
        QCOMPARE(dialogs().lastText(), QStringLiteral("密码两次输入不一致！"));
        users::UserStore store(m_home->app(), kFast);
        QCOMPARE(store.login(QStringLiteral("张三"), QStringLiteral("新密码")),
                 users::UserStore::Login::LoggedIn);
    }
};

OVERPRINT_TEST(TestUserWindows)
#include "TestUserWindows.moc"
