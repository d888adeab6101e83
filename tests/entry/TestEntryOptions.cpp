#include "TestRegistry.h"
#include "core/IniFile.h"
#include "entry/BillDate.h"
#include "entry/EntryOptions.h"
#include "entry/WindowPosition.h"

#include <QTemporaryDir>
#include <QTest>

using namespace entry;

class TestEntryOptions : public QObject {
    Q_OBJECT

private slots:
    void storedSwitch_data() {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("on");
        QTest::newRow("打印单号, nothing stored") << "cfgPrintDH"
                                                  << "" << true;
        QTest::newRow("打印单号, off") << "cfgPrintDH"
                                       << "0" << false;
        QTest::newRow("打印单号, any other value") << "cfgPrintDH"
                                                   << "yes" << true;
        QTest::newRow("打印备注, nothing stored") << "cfgPrintRemark"
                                                  << "" << false;
        QTest::newRow("打印备注, on") << "cfgPrintRemark"
                                      << "1" << true;
        QTest::newRow("打印备注, any other value") << "cfgPrintRemark"
                                                   << "yes" << false;
        QTest::newRow("合计￥, nothing stored") << "cfgTotalJEWithSheep"
                                                << "" << true;
        QTest::newRow("合计千分符, nothing stored") << "cfgHJJENeedQianFF"
                                                    << "" << true;
        QTest::newRow("小计千分符, nothing stored") << "cfgJEXXNeedQianFF"
                                                    << "" << false;
        QTest::newRow("打日期, nothing stored") << "cfgWantPrintRQ"
                                                << "" << true;
        QTest::newRow("打印单价金额, off") << "cfgPrintPriceJE"
                                           << "0" << false;
    }
    void storedSwitch() {
        QFETCH(QString, option);
        QFETCH(QString, stored);
        QFETCH(bool, on);
        const OptionDef* def = EntryOptions::find(option);
        QVERIFY(def);
        QCOMPARE(EntryOptions::isOn(stored, def->defaultOn), on);
    }

    void listMatch_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("index");
        QTest::newRow("exact") << "    00000.00 万位" << 3;
        QTest::newRow("leading blanks lost") << "00000.00 万位" << 3;
        QTest::newRow("blanks added") << "  000000000.00 亿位  " << 7;
        QTest::newRow("unknown") << "00.0" << -1;
        QTest::newRow("nothing stored") << "" << -1;
    }
    void listMatch() {
        QFETCH(QString, stored);
        QFETCH(int, index);
        QCOMPARE(EntryOptions::matchItem(EntryOptions::capitalFormats(), stored), index);
    }

    void dropDownRows_data() {
        QTest::addColumn<int>("screenHeight");
        QTest::addColumn<int>("rows");
        QTest::newRow("900") << 900 << 26;
        QTest::newRow("1000") << 1000 << 26;
        QTest::newRow("1001") << 1001 << 35;
    }
    void dropDownRows() {
        QFETCH(int, screenHeight);
        QFETCH(int, rows);
        QCOMPARE(EntryOptions::dropDownRows(screenHeight), rows);
    }

    void billDate_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("text");
        QTest::newRow("slashes") << "YYYY/MM/DD"
                                 << "2024/03/05";
        QTest::newRow("Chinese") << "YYYY年MM月DD日"
                                 << "2024年03月05日";
        QTest::newRow("run together") << "YYYYMMDD hh:nn"
                                      << "20240305 14:07";
        QTest::newRow("slashes and time") << "YYYY/MM/DD hh:nn"
                                          << "2024/03/05 14:07";
        QTest::newRow("hyphens and time") << "YYYY-MM-DD hh:nn"
                                          << "2024-03-05 14:07";
        QTest::newRow("hyphens") << "YYYY-MM-DD"
                                 << "2024-03-05";
        QTest::newRow("no format") << ""
                                   << "2024-03-05";
        QTest::newRow("stored with blanks") << "  YYYY/MM/DD "
                                            << "2024/03/05";
    }
    void billDate() {
        QFETCH(QString, format);
        QFETCH(QString, text);
        QCOMPARE(formatBillDate(QDateTime(QDate(2024, 3, 5), QTime(14, 7, 31)), format), text);
    }

    void positionMemory() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Config.ini"));
        {
            core::IniFile ini(path);
            const WindowPosition fresh = WindowPosition::load(ini);
            QCOMPARE(fresh.x, 0);
            QCOMPARE(fresh.y, 0);
            QVERIFY(fresh.barAtTop);
            WindowPosition moved;
            moved.x = 40;
            moved.y = 12;
            moved.barAtTop = false;
            moved.save(ini);
        }
        core::IniFile again(path);
        QCOMPARE(again.readString(QStringLiteral("fmCheckFHDSHD"), QStringLiteral("PositionBar")),
                 QStringLiteral("bottom"));
        const WindowPosition read = WindowPosition::load(again);
        QCOMPARE(read.x, 40);
        QCOMPARE(read.y, 12);
        QVERIFY(!read.barAtTop);
    }
};

OVERPRINT_TEST(TestEntryOptions)
#include "TestEntryOptions.moc"
