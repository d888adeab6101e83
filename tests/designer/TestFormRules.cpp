#include "designer/FormRules.h"
#include "support/TestRegistry.h"

#include <QTest>

using namespace designer;

class TestFormRules : public QObject {
    Q_OBJECT
private slots:
    void keyMove_data() {
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("delta");
        QTest::addColumn<int>("extent");
        QTest::addColumn<int>("expected");
        QTest::newRow("left edge holds") << 10 << -1 << 911 << 10;
        QTest::newRow("fast stops at edge") << 15 << -10 << 911 << 10;
        QTest::newRow("plain step") << 50 << 1 << 911 << 51;
        QTest::newRow("right edge holds") << 900 << 10 << 911 << 901;
        QTest::newRow("outside is not pushed further") << 905 << 1 << 911 << 905;
        QTest::newRow("outside is not pulled back") << 5 << -1 << 911 << 5;
        QTest::newRow("outside may come in") << 5 << 1 << 911 << 6;
        QTest::newRow("tiny image") << 10 << 10 << 15 << 10;
    }
    void keyMove() {
        QFETCH(int, position);
        QFETCH(int, delta);
        QFETCH(int, extent);
        QFETCH(int, expected);
        QCOMPARE(FormRules::keyMove(position, delta, extent), expected);
    }

    void keyMessages() {
        QCOMPARE(
            FormRules::keyMoveMessage(-1, 0, 1, false),
            QStringLiteral("左移了1像素(Ctrl+Shift+方向键：可更快的移动),移动后不要忘记修正打印距左距顶参数，"
                           "否则不会影响打印效果哦。"));
        QCOMPARE(FormRules::keyMoveMessage(0, 1, 10, true),
                 QStringLiteral("下移了10像素移动后不要忘记修正打印距左距顶参数，否则不会影响打印效果哦。"));
        QCOMPARE(FormRules::keyResize(1, -1), 1);
    }

    void cleanCheckBoxes_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");
        QTest::newRow("full-width commas, blanks")
            << QStringLiteral(" 现金，月 结 ") << QStringLiteral("现金,月结");
        QTest::newRow("brackets and wildcards")
            << QStringLiteral("转账（银行）,支票(旧)") << QStringLiteral("转账银行,支票旧");
        QTest::newRow("only unwanted") << QStringLiteral("'%*? ()") << QString();
    }
    void cleanCheckBoxes() {
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        QCOMPARE(FormRules::cleanCheckBoxes(typed), expected);
    }

    void tickCaption_data() {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        QTest::newRow("last trimmed")
            << QStringLiteral("现金,月结,转账 ") << QStringLiteral("DEFCHECK2") << QStringLiteral("转账");
        QTest::newRow("letter case") << QStringLiteral("a,b") << QStringLiteral("defCheck1")
                                     << QStringLiteral("b");
        QTest::newRow("beyond the list") << QStringLiteral("a,b") << QStringLiteral("DEFCHECK6") << QString();
        QTest::newRow("empty caption") << QStringLiteral("a,,c") << QStringLiteral("DEFCHECK1") << QString();
        QTest::newRow("no captions") << QString() << QStringLiteral("DEFCHECK0") << QString();
        QTest::newRow("not a tick item") << QStringLiteral("a") << QStringLiteral("zdPJBH") << QString();
    }
    void tickCaption() {
        QFETCH(QString, list);
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QCOMPARE(FormRules::tickCaption(list, name), expected);
    }

    void kindsAndRanges() {
        QCOMPARE(FormRules::boxKind(QStringLiteral(" label")), QStringLiteral("LABEL"));
        QCOMPARE(FormRules::boxKind(QString()), QStringLiteral("TEXT"));
        QVERIFY(!FormRules::hasBox(QStringLiteral("IMAGE")));
        QCOMPARE(FormRules::newRowType(QStringLiteral("shpSKR")), QStringLiteral("SHAPE"));
        QCOMPARE(FormRules::newRowType(QStringLiteral("DEFCHECK3")), QStringLiteral("CHECKBOX"));
        QCOMPARE(FormRules::newRowType(QStringLiteral("zdLine4")), QStringLiteral("LINE"));
        QCOMPARE(FormRules::newRowType(QStringLiteral("zdPJBH")), QStringLiteral("TEXT"));
        // An entry area of 1200 pixels takes a box at 1100; a stored value beyond is kept.
        QCOMPARE(FormRules::positionRange(1200, 0).max, 1200);
        QCOMPARE(FormRules::positionRange(911, 1100).max, 1100);
        QCOMPARE(FormRules::positionRange(911, -3).min, -3);
    }
};

OVERPRINT_TEST(TestFormRules)
#include "TestFormRules.moc"
