#include "print/TextBreaking.h"
#include "support/TestRegistry.h"

#include <QTest>

using print::TextBreaking;

class TestTextBreaking : public QObject {
    Q_OBJECT

private slots:
    void splitByWidth_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("n");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("empty") << QString() << 5 << QStringList{};
        QTest::newRow("14 Chinese by 5")
            << QStringLiteral("广东省深圳市南山区科技园南路") << 5
            << QStringList{QStringLiteral("广东省深圳"), QStringLiteral("市南山区科"),
                           QStringLiteral("技园南路")};
        QTest::newRow("A to K by 3") << QStringLiteral("ABCDEFGHIJK") << 3
                                     << QStringList{QStringLiteral("ABCDEF"), QStringLiteral("GHIJK")};
        QTest::newRow("exactly 2n bytes")
            << QStringLiteral("ABCDEF") << 3 << QStringList{QStringLiteral("ABCDEF")};
        QTest::newRow("Chinese straddles the limit")
            << QStringLiteral("ABCDE中文") << 3
            << QStringList{QStringLiteral("ABCDE中"), QStringLiteral("文")};
        QTest::newRow("mixed") << QStringLiteral("中A中A中A中A") << 2
                               << QStringList{QStringLiteral("中A中"), QStringLiteral("A中A"),
                                              QStringLiteral("中A")};
        QTest::newRow("surrogate pairs stay whole")
            << QStringLiteral("😀😀😀") << 1
            << QStringList{QStringLiteral("😀"), QStringLiteral("😀"), QStringLiteral("😀")};
        QTest::newRow("no count") << QStringLiteral("ABCDEFGH") << 0
                                  << QStringList{QStringLiteral("ABCDEFGH")};
        QTest::newRow("huge count") << QStringLiteral("ABC") << 2000000000
                                    << QStringList{QStringLiteral("ABC")};
    }
    void splitByWidth() {
        QFETCH(QString, text);
        QFETCH(int, n);
        QFETCH(QStringList, lines);
        QCOMPARE(TextBreaking::splitByWidth(text, n), lines);
    }

    // Lines of a box end at a blank or a punctuation mark near the limit, or before a number or
    // Latin word the limit would cut; Chinese text and a word longer than the nearness break as
    // splitByWidth does.
    void breakLines_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("n");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("house number kept whole")
            << QStringLiteral("杭州市西湖区文三路502室") << 10
            << QStringList{QStringLiteral("杭州市西湖区文三路"), QStringLiteral("502室")};
        QTest::newRow("at the blank before it")
            << QStringLiteral("杭州市西湖区文三路 502室") << 10
            << QStringList{QStringLiteral("杭州市西湖区文三路"), QStringLiteral("502室")};
        QTest::newRow("after a comma near the limit")
            << QStringLiteral("滨江区江南大道，3888号华业大厦") << 8
            << QStringList{QStringLiteral("滨江区江南大道，"), QStringLiteral("3888号华业大厦")};
        QTest::newRow("blank at the limit goes")
            << QStringLiteral("ABC DEFG") << 2 << QStringList{QStringLiteral("ABC"), QStringLiteral("DEFG")};
        QTest::newRow("Chinese as by width")
            << QStringLiteral("广东省深圳市南山区科技园南路") << 5
            << QStringList{QStringLiteral("广东省深圳"), QStringLiteral("市南山区科"),
                           QStringLiteral("技园南路")};
        QTest::newRow("one long word as by width")
            << QStringLiteral("ABCDEFGHIJK") << 3
            << QStringList{QStringLiteral("ABCDEF"), QStringLiteral("GHIJK")};
        QTest::newRow("short enough")
            << QStringLiteral("文三路502室") << 10 << QStringList{QStringLiteral("文三路502室")};
    }
    void breakLines() {
        QFETCH(QString, text);
        QFETCH(int, n);
        QFETCH(QStringList, lines);
        QCOMPARE(TextBreaking::breakLines(text, n), lines);
    }

    void splitText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("pieces");
        QTest::newRow("two") << QStringLiteral("A##B")
                             << QStringList{QStringLiteral("A"), QStringLiteral("B")};
        QTest::newRow("empty piece between")
            << QStringLiteral("A####B") << QStringList{QStringLiteral("A"), QString(), QStringLiteral("B")};
        QTest::newRow("only the last is trimmed")
            << QStringLiteral(" A ## B ") << QStringList{QStringLiteral(" A "), QStringLiteral("B")};
        QTest::newRow("trailing marker")
            << QStringLiteral("A##") << QStringList{QStringLiteral("A"), QString()};
        QTest::newRow("no marker") << QStringLiteral("ABC") << QStringList{QStringLiteral("ABC")};
    }
    void splitText() {
        QFETCH(QString, text);
        QFETCH(QStringList, pieces);
        QCOMPARE(TextBreaking::splitText(text, QStringLiteral("##")), pieces);
    }

    void numberTests_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("digits");
        QTest::addColumn<bool>("number");
        QTest::newRow("digits") << QStringLiteral("0123") << true << true;
        QTest::newRow("decimal") << QStringLiteral("12.5") << false << true;
        QTest::newRow("dot") << QStringLiteral(".") << false << true;
        QTest::newRow("empty") << QString() << false << false;
        QTest::newRow("blank") << QStringLiteral("  ") << false << false;
        QTest::newRow("trailing blank") << QStringLiteral("5 ") << false << false;
        QTest::newRow("inner blank") << QStringLiteral("1 2") << false << false;
        QTest::newRow("sign") << QStringLiteral("-5") << false << false;
        QTest::newRow("comma") << QStringLiteral("1,5") << false << false;
        QTest::newRow("full-width digits") << QStringLiteral("１２") << false << false;
        QTest::newRow("letters") << QStringLiteral("ab") << false << false;
    }
    void numberTests() {
        QFETCH(QString, text);
        QFETCH(bool, digits);
        QFETCH(bool, number);
        QCOMPARE(TextBreaking::isDigitText(text), digits);
        QCOMPARE(TextBreaking::isNumberText(text), number);
    }

    void byteLengthAndTrim() {
        QCOMPARE(TextBreaking::byteLength(QStringLiteral("王's店")), 6);
        QCOMPARE(TextBreaking::byteLength(QStringLiteral("😀")), 2);
        QCOMPARE(TextBreaking::trimBlanks(QStringLiteral("\t a b \r\n")), QStringLiteral("a b"));
        QCOMPARE(TextBreaking::trimBlanks(QStringLiteral("\u3000中\u3000")),
                 QStringLiteral("\u3000中\u3000"));
    }
};

OVERPRINT_TEST(TestTextBreaking)
#include "TestTextBreaking.moc"
