#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include "core/InstallRecord.h"
#include "core/ProgramFolder.h"
#include "core/ScriptedDialogs.h"
#include "core/ui/StartupRules.h"
#include "core/ui/Tfm_Boot.h"
#include "core/ui/Tfm_Main.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

using core::ui::StartupRules;
using core::ui::Tfm_Main;

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void screenStatus_data() {
        QTest::addColumn<int>("height");
        QTest::addColumn<QString>("text");
        QTest::newRow("720") << 720 << "显示器分辨率太低";
        QTest::newRow("749") << 749 << "显示器分辨率太低";
        QTest::newRow("750") << 750 << "系统已就绪";
        QTest::newRow("768") << 768 << "系统已就绪";
    }
    void screenStatus() {
        QFETCH(int, height);
        QFETCH(QString, text);
        QCOMPARE(StartupRules::screenStatusText(height), text);
    }

    void unpackedArchivePath_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("unpacked");
        QTest::newRow("plain") << "/opt/overprint/" << false;
        QTest::newRow("archive temp") << "C:\\Users\\a\\AppData\\Local\\Temp\\Rar$EXa0.123\\" << true;
        QTest::newRow("dollar anywhere") << "/tmp/x$/" << true;
    }
    void unpackedArchivePath() {
        QFETCH(QString, path);
        QFETCH(bool, unpacked);
        QCOMPARE(StartupRules::isUnpackedArchivePath(path), unpacked);
    }

    void unpackWarningText() {
        const QString text = StartupRules::unpackWarning(QStringLiteral("3.7"));
        QVERIFY(text.startsWith(QStringLiteral(
            "请不要从压缩包中直接运行软件，这样会使你的软件设置失效，建议：\n"
            "  1、鼠标右击压缩包解压到非系统盘（例如： D:\\青木鸟软件单证宝V3.7\\，再运行）;\n")));
        QVERIFY(text.contains(
            QStringLiteral("\n  3、不明之处，请及时咨询青木鸟或访问正版软件官方网站寻求帮助！\n\n")));
        QVERIFY(!text.endsWith(QLatin1Char('\n')));
    }

    void captionCarriesVersion() {
        QVERIFY(StartupRules::captionText(QStringLiteral("2.5"))
                    .startsWith(QStringLiteral("青木鸟票据打印V2.5")));
    }

    // Started from a folder an archive tool unpacked into, the program warns and ends.
    void dollarRunPathEnds() {
        QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/Rar$EX-XXXXXX"));
        QVERIFY(dir.isValid());
        const QString run = dir.path() + QLatin1Char('/');
        QString error;
        QVERIFY2(core::ProgramFolder::prepare(run, &error), qPrintable(error));
        core::ScriptedDialogs dialogs;
        core::AppContext app(run, dialogs);
        app.connect();
        core::InstallRecord record(run + QStringLiteral("install.ini"));
        Tfm_Main main(app);
        main.setInstallRecord(&record);
        int created = 0;
        main.setEntryWindowFactory([&](Tfm_Main&) {
            ++created;
            return new QWidget;
        });
        QVERIFY(!main.startUp(false));
        QVERIFY(dialogs.lastText().startsWith(QStringLiteral("请不要从压缩包中直接运行软件")));
        QVERIFY(!main.isVisible());
        QCOMPARE(created, 0);
        // Nothing is recorded for a folder that will vanish.
        QCOMPARE(record.read(QStringLiteral("RunPath")), core::InstallRecord::missingValue());
    }

    // Only the program's own temporary names in its own folders go at start.
    void startRemovesLeftovers_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("removed");
        QTest::newRow("image being written") << "Image/shd3.jpg.part" << true;
        QTest::newRow("the image itself") << "Image/shd3.jpg" << false;
        QTest::newRow("unfinished copy of the upgrade")
            << "Data/EPData.ini.升级前-20260101-101010.part" << true;
        QTest::newRow("its journal") << "Data/EPData.ini.升级前-20260101-101010.part-journal" << true;
        QTest::newRow("a finished copy") << "Data/EPData.ini.升级前-20260101-101010" << false;
        QTest::newRow("another file of the data folder") << "Data/orders.part" << false;
        QTest::newRow("a user's export in the program folder") << "清单.xlsx.part" << false;
        QTest::newRow("layout cache") << "Temp/CheckIni/1.ini.part" << false;
    }
    void startRemovesLeftovers() {
        QFETCH(QString, file);
        QFETCH(bool, removed);
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        const QString path = QDir(home.path()).filePath(file);
        QFile leftover(path);
        QVERIFY(leftover.open(QIODevice::WriteOnly));
        leftover.close();
        QString error;
        QVERIFY2(core::ProgramFolder::prepare(home.path(), &error), qPrintable(error));
        QCOMPARE(!QFileInfo::exists(path), removed);
        QVERIFY(QFileInfo::exists(core::ProgramFolder::databasePath(home.path())));
    }

    void creationSteps() {
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        core::InstallRecord record(home.path() + QStringLiteral("install.ini"));
        Tfm_Main main(home.app());
        main.setInstallRecord(&record);
        QVERIFY(main.FormCreate());
        QCOMPARE(record.read(QStringLiteral("RunPath")), home.path());
        QCOMPARE(record.read(QStringLiteral("Version")), home.app().version);
        QVERIFY(!record.read(QStringLiteral("FullPath")).isEmpty());
        QVERIFY(main.windowTitle().startsWith(QStringLiteral("青木鸟票据打印V") + home.app().version));
        QCOMPARE(main.findChild<QLabel*>(QStringLiteral("StatusPanel2"))->text(),
                 QStringLiteral("建议分辨率:1024x768以上"));
        QCOMPARE(main.findChild<QLabel*>(QStringLiteral("StatusPanel5"))->text(),
                 QDir::toNativeSeparators(QCoreApplication::applicationFilePath()));
        const int height = QGuiApplication::primaryScreen()->size().height();
        QCOMPARE(main.findChild<QLabel*>(QStringLiteral("StatusPanel1"))->text(),
                 StartupRules::screenStatusText(height));
        QVERIFY(!home.dialogs().sawText(QStringLiteral("注册表读写错误！")));
    }

    void defaultIssuer_data() {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("expected");
        QTest::newRow("on, present") << "yes"
                                     << "默认出票人"
                                     << "王's店";
        QTest::newRow("on, absent") << "yes"
                                    << "客户"
                                    << "";
        QTest::newRow("off") << "no"
                             << "默认出票人"
                             << "";
    }
    void defaultIssuer() {
        QFETCH(QString, option);
        QFETCH(QString, group);
        QFETCH(QString, expected);
        TestHome home;
        home.db().exec(QStringLiteral("delete from CKPersonalInfoTable where 分组='默认出票人'"));
        home.db().exec(QStringLiteral("insert into CKPersonalInfoTable (全称,分组) values(:n,:g)"),
                       {{QStringLiteral("n"), QStringLiteral("王's店")}, {QStringLiteral("g"), group}});
        home.app().setConfigByname(QStringLiteral("启用默认出票人"), option);
        core::InstallRecord record(home.path() + QStringLiteral("install.ini"));
        Tfm_Main main(home.app());
        main.setInstallRecord(&record);
        QVERIFY(main.FormCreate());
        QCOMPARE(home.app().defaultIssuer.isEmpty(), expected.isEmpty());
        if (!expected.isEmpty())
            QCOMPARE(home.app().defaultIssuer.value(QStringLiteral("全称")).toString(), expected);
    }

    void splashStaysHalfASecond() {
        core::ui::Tfm_Boot boot(QStringLiteral("/nonexistent/Sys_boot.jpg"));
        QCOMPARE(boot.size(), QSize(370, 249));
        QVERIFY(!boot.hasPicture());
        QElapsedTimer t;
        t.start();
        boot.showAtLeastHalfASecond();
        QVERIFY(t.elapsed() >= 490);
        QVERIFY(boot.isHidden());
    }
};

OVERPRINT_TEST(TestStartup)
#include "TestStartup.moc"
