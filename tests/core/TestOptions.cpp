#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include "core/IniFile.h"

#include <QDir>
#include <QFile>
#include <QTest>

// System options in configtable, the user settings of Config.ini and the diagnostics of Debug.ini.
class TestOptions : public QObject {
    Q_OBJECT

    static int rowsNamed(TestHome& home, const QString& name) {
        return home.db()
            .scalar(QStringLiteral("select count(*) from configtable where ltrim(rtrim(cname))=:n"),
                    {{QStringLiteral("n"), name}})
            .toInt();
    }

private slots:
    void readTrimsStoredNameButWriteDoesNot() {
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        home.db().exec(QStringLiteral("insert into configtable (cname,cvalue) values (' 空白选项  ','old')"));
        core::AppContext& app = home.app();
        QCOMPARE(app.getConfigByname(QStringLiteral("空白选项")), QStringLiteral("old"));

        app.setConfigByname(QStringLiteral("空白选项"), QStringLiteral("new"));
        QCOMPARE(rowsNamed(home, QStringLiteral("空白选项")), 2);
        QCOMPARE(home.db()
                     .scalar(QStringLiteral("select cvalue from configtable where cname=' 空白选项  '"))
                     .toString(),
                 QStringLiteral("old"));

        app.setConfigByname(QStringLiteral("空白选项"), QStringLiteral("newer"));
        QCOMPARE(rowsNamed(home, QStringLiteral("空白选项")), 2); // the exact name now matches and is updated
        QCOMPARE(home.db()
                     .scalar(QStringLiteral("select cvalue from configtable where cname='空白选项'"))
                     .toString(),
                 QStringLiteral("newer"));
    }

    void valuesRoundTrip_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("value");
        QTest::newRow("quote in value") << "DefaultPrinter"
                                        << "O'Brien's HP";
        QTest::newRow("quote in a new name") << "王's店"
                                             << "x'); drop table configtable; --";
        QTest::newRow("empty value") << "启用系统背景"
                                     << "";
    }
    void valuesRoundTrip() {
        QFETCH(QString, name);
        QFETCH(QString, value);
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        home.app().setConfigByname(name, value);
        QCOMPARE(home.app().getConfigByname(name), value);
        QCOMPARE(rowsNamed(home, name), 1);
    }

    void switches_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("on");
        QTest::newRow("1") << "1" << true;
        QTest::newRow("yes") << "yes" << true;
        QTest::newRow("YES") << "YES" << false;
        QTest::newRow("Yes") << "Yes" << false;
        QTest::newRow("true") << "true" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("yes with blank") << "yes " << false;
        QTest::newRow("0") << "0" << false;
        QTest::newRow("no") << "no" << false;
    }
    void switches() {
        QFETCH(QString, value);
        QFETCH(bool, on);
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        home.app().setConfigByname(QStringLiteral("进入系统需验证"), value);
        QCOMPARE(home.app().configSwitch(QStringLiteral("进入系统需验证")), on);
    }

    void missingOrUnreadableOptionIsOff() {
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        QVERIFY(!home.app().configSwitch(QStringLiteral("没有这个选项")));
        home.db().exec(QStringLiteral("drop table configtable"));
        QCOMPARE(home.app().getConfigByname(QStringLiteral("启用系统背景")), QString());
        home.app().setConfigByname(QStringLiteral("启用系统背景"), QStringLiteral("yes")); // silent
        QVERIFY(home.dialogs().shown.isEmpty());
    }

    void userSettingsAreWrittenAtOnce() {
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        core::AppContext& app = home.app();
        const QString value = QStringLiteral("O'Brien 王's店");
        app.setINIConfigByname(QStringLiteral("ZPView_DBLOPEN"), value);
        // Another reader sees it before any release: nothing waits in memory.
        core::IniFile onDisk(app.pathOf(QStringLiteral("Config.ini")));
        QCOMPARE(onDisk.readString(QStringLiteral("config"), QStringLiteral("zpview_dblopen")), value);
        QCOMPARE(app.getINIConfigByname(QStringLiteral("zpview_DBLOPEN")), value);
        QCOMPARE(app.getINIConfigByname(QStringLiteral("never written")), QString());
    }

    void reopenAndReleaseKeepSettings() {
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        core::AppContext& app = home.app();
        app.userIni().writeString(QStringLiteral("FM_MAIN"), QStringLiteral("TOOLBARMAIN"),
                                  QStringLiteral("0"));
        app.OpenUserIniFile(); // flushes what the old object held
        QCOMPARE(app.userIni().readString(QStringLiteral("FM_MAIN"), QStringLiteral("TOOLBARMAIN")),
                 QStringLiteral("0"));
        app.userIni().writeString(QStringLiteral("Info"), QStringLiteral("nm"), QStringLiteral("示范"));
        app.releaseUserIni();
        core::IniFile onDisk(app.pathOf(QStringLiteral("Config.ini")));
        QCOMPARE(onDisk.readString(QStringLiteral("info"), QStringLiteral("NM")), QStringLiteral("示范"));
    }

    void debugEntriesNeverOverwrite() {
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        core::AppContext& app = home.app();
        app.DebugOutN(QStringLiteral("sql"), QStringLiteral("first"));
        app.DebugOutN(QStringLiteral("sql"), QStringLiteral("second"));
        app.DebugOutN(QStringLiteral("other"), QStringLiteral("third"));
        app.DebugOut(QStringLiteral("last"), QStringLiteral("plain"));
        core::IniFile onDisk(app.pathOf(QStringLiteral("Debug.ini")));
        QCOMPARE(onDisk.keys(QStringLiteral("debug")), (QStringList{"sql-1", "sql-2", "other-3", "last"}));
        QCOMPARE(onDisk.readString(QStringLiteral("debug"), QStringLiteral("sql-2")),
                 QStringLiteral("second"));
    }

    void pathsAreBuiltUnderTheRunPath_data() {
        QTest::addColumn<QString>("runPath");
        QTest::addColumn<QString>("relative");
        QTest::addColumn<QString>("expected");
        QTest::newRow("separator added") << "/opt/op"
                                         << "Config.ini"
                                         << "/opt/op/Config.ini";
        QTest::newRow("backslashes of the system's texts") << "/opt/op/"
                                                           << "Temp\\CheckIni\\1.ini"
                                                           << "/opt/op/Temp/CheckIni/1.ini";
        QTest::newRow("leading separator") << "/opt/op/"
                                           << "/Data/EPData.ini"
                                           << "/opt/op/Data/EPData.ini";
    }
    void pathsAreBuiltUnderTheRunPath() {
        QFETCH(QString, runPath);
        QFETCH(QString, relative);
        QFETCH(QString, expected);
        core::ScriptedDialogs dialogs;
        core::AppContext app(runPath, dialogs);
        QCOMPARE(QDir::fromNativeSeparators(app.pathOf(relative)), expected);
        QVERIFY(app.getRunPath().endsWith(QDir::separator()) || app.getRunPath().endsWith(QLatin1Char('/')));
    }
};

OVERPRINT_TEST(TestOptions)
#include "TestOptions.moc"
