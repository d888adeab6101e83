#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include "print/RecordingPrintDevice.h"
#include "program/Program.h"
#include "upgrade/StartupOffer.h"
#include "upgrade/UpgradeRun.h"
#include "users/PasswordHash.h"
#include "users/ui/TfrmUserLogin.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>

// A data file of an earlier version with the login on: the window program asks about the
// upgrade only once the operator has logged in, and only one with a role.
class TestUpgradeOfferAtLogin : public QObject {
    Q_OBJECT

private slots:
    void askedAfterTheLogin_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("asked");
        QTest::newRow("operator with a role") << "张三" << true;
        QTest::newRow("operator without role") << "无角色" << false;
    }
    void askedAfterTheLogin() {
        QFETCH(QString, name);
        QFETCH(bool, asked);
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        core::Database& db = home.db();
        for (const auto& [user, role] : {std::pair{"张三", "录单员"}, std::pair{"无角色", ""}})
            db.exec(QStringLiteral("insert into UserTable (UserName,Passwd,RoleName) values (:n,:p,:r)"),
                    {{QStringLiteral("n"), QString::fromUtf8(user)},
                     {QStringLiteral("p"), users::PasswordHash::make(QStringLiteral("密码"), 1000)},
                     {QStringLiteral("r"), QString::fromUtf8(role)}});
        db.exec(QStringLiteral("delete from configtable where cname='version'"));
        db.exec(QStringLiteral("insert into configtable (cname,cvalue) values ('version','0.1')"));
        home.app().setConfigByname(QStringLiteral("进入系统需验证"), QStringLiteral("yes"));

        // The program's version, which the main window reads at start.
        const QString before = QCoreApplication::applicationVersion();
        QCoreApplication::setApplicationVersion(QStringLiteral("9.28"));
        const auto restore = qScopeGuard([before] { QCoreApplication::setApplicationVersion(before); });
        print::RecordingPrintDevice device;
        program::Program program(home.app(), device);
        QVERIFY(program.startUp(false));
        core::ui::Tfm_Main& main = program.mainWindow();
        QTimer::singleShot(0, &main, [&main, name] {
            auto* login = main.findChild<users::ui::TfrmUserLogin*>();
            QVERIFY(login);
            login->cbUserName->setCurrentText(name);
            login->edtPasswd->setText(QStringLiteral("密码"));
            login->btLogin->click();
        });
        home.dialogs().answers.enqueue(0); // "否": start as before
        main.TimerSystemTimer();
        const QString question = upgrade::offerText(upgrade::UpgradeRun::programVersion(home.app()));
        QCOMPARE(home.dialogs().sawText(question), asked);
    }
};

OVERPRINT_TEST(TestUpgradeOfferAtLogin)
#include "TestUpgradeOfferAtLogin.moc"
