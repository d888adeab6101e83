#include "masterdata/PinyinInitials.h"

#include "support/TestRegistry.h"

#include <QTest>

class TestPinyinInitials : public QObject {
    Q_OBJECT
private slots:
    void initials_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("computer") << QStringLiteral("联想电脑") << QStringLiteral("LXDN");
        QTest::newRow("notebook") << QStringLiteral("笔记本") << QStringLiteral("BJB");
        QTest::newRow("first and last of level 1") << QStringLiteral("啊座") << QStringLiteral("AZ");
        QTest::newRow("range edges") << QStringLiteral("澳芭怖擦") << QStringLiteral("ABBC");
        QTest::newRow("x before ya") << QStringLiteral("学生选压") << QStringLiteral("XSXY");
        QTest::newRow("ascii kept, pairs not shifted")
            << QStringLiteral("T60笔记本") << QStringLiteral("T60BJB");
        QTest::newRow("ascii letters upper-cased") << QStringLiteral("a4纸") << QStringLiteral("A4Z");
        QTest::newRow("ascii punctuation left out") << QStringLiteral("A-4 纸") << QStringLiteral("A4Z");
        QTest::newRow("level 2 from the table") << QStringLiteral("东莞深圳") << QStringLiteral("DGSZ");
        QTest::newRow("extension character not misread") << QStringLiteral("祎") << QStringLiteral("Y");
        QTest::newRow("unknown level 2 is a blank") << QStringLiteral("亍") << QStringLiteral(" ");
        QTest::newRow("full-width punctuation is a blank")
            << QStringLiteral("电脑（新）") << QStringLiteral("DN X ");
        QTest::newRow("empty") << QString() << QString();
    }
    void initials() {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(masterdata::PinyinInitials(text), expected);
    }
};

OVERPRINT_TEST(TestPinyinInitials)
#include "TestPinyinInitials.moc"
