#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include "imports/ExcelBridge.h"

#include <QTest>

using imports::ExcelBridge;
using Suite = imports::ExcelBridge::Suite;

class TestExcelBridge : public QObject {
    Q_OBJECT

private slots:
    // The suite that starts is tried first next time; with none the caller gets nothing.
    void startOrder_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QVector<int>>("installed"); // Suite values that start
        QTest::addColumn<QVector<int>>("tried");
        QTest::addColumn<QString>("storedAfter");
        const int excel = int(Suite::MsExcel);
        const int wps = int(Suite::Wps);
        QTest::newRow("absent, only Excel") << "" << QVector<int>{excel} << QVector<int>{wps, excel} << "YES";
        QTest::newRow("YES, only Excel") << "YES" << QVector<int>{excel} << QVector<int>{excel} << "YES";
        QTest::newRow("YES, only WPS") << "YES" << QVector<int>{wps} << QVector<int>{excel, wps} << "NO";
        QTest::newRow("other value, both") << "1" << QVector<int>{excel, wps} << QVector<int>{wps} << "NO";
        QTest::newRow("none installed") << "NO" << QVector<int>{} << QVector<int>{wps, excel} << "NO";
    }
    void startOrder() {
        QFETCH(QString, stored);
        QFETCH(QVector<int>, installed);
        QFETCH(QVector<int>, tried);
        QFETCH(QString, storedAfter);
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        home.app().setConfigByname(QStringLiteral("MS EXCEL FIRST"), stored);
        QVector<int> attempts;
        ExcelBridge bridge(home.app(), [&](Suite suite) {
            attempts.append(int(suite));
            return installed.contains(int(suite)) ? std::make_unique<imports::Spreadsheet>() : nullptr;
        });
        auto application = bridge.openExcelApplication();
        QCOMPARE(attempts, tried);
        QCOMPARE(application != nullptr, !installed.isEmpty());
        QCOMPARE(home.app().getConfigByname(QStringLiteral("MS EXCEL FIRST")), storedAfter);
        QCOMPARE(home.dialogs().sawText(ExcelBridge::startFailureMessage()), installed.isEmpty());
        ExcelBridge::closeExcelApplication(application);
        QVERIFY(!application);
    }

    // The built-in engine opens every workbook whatever the preference says.
    void builtInEngineAndCheckBox() {
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        ExcelBridge bridge(home.app());
        bridge.setWpsFirst(false);
        QCOMPARE(home.app().getConfigByname(QStringLiteral("MS EXCEL FIRST")), QStringLiteral("YES"));
        QVERIFY(!bridge.wpsFirst());
        auto application = bridge.openExcelApplication();
        QVERIFY(application);
        application->open(TestHome::testData(QStringLiteral("sheets/recipients.xls")));
        QCOMPARE(application->activeSheetName(), QStringLiteral("收件人"));
        bridge.setWpsFirst(true);
        QVERIFY(bridge.wpsFirst());
        QCOMPARE(home.app().getConfigByname(QStringLiteral("MS EXCEL FIRST")), QStringLiteral("NO"));
        QVERIFY(home.dialogs().shown.isEmpty());
    }
};

OVERPRINT_TEST(TestExcelBridge)
#include "TestExcelBridge.moc"
