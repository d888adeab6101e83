#include "masterdata/TIdType.h"

#include "core/Database.h"

#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include <QSet>
#include <QTest>

using masterdata::TIdType;

namespace {

void storeRule(core::Database& db, int templateId, const QString& prefix, int digits, int counter) {
    TIdType rule(db);
    rule.setIDType(QStringLiteral("S"));
    rule.setCheckTypeID(templateId);
    rule.setIDHead(prefix);
    rule.setIDLen(digits);
    rule.setIDMax(counter);
    rule.setIDStep(1);
    rule.save();
}

} // namespace

class TestIdType : public QObject {
    Q_OBJECT
private slots:
    void firstNumberCreatesSeries() {
        TestHome home;
        home.db().exec(QStringLiteral("delete from IDBuilder"));
        QCOMPARE(TIdType::nextNumber(QStringLiteral("S"), 7, home.db()), QStringLiteral("00000001"));
        core::Recordset rs = home.db().query(QStringLiteral("select * from IDBuilder"));
        QCOMPARE(rs.recordCount(), 1);
        rs.first();
        QCOMPARE(rs.text(QStringLiteral("IDType")), QStringLiteral("S"));
        QCOMPARE(rs.integer(QStringLiteral("CheckTypeID")), 7);
        QCOMPARE(rs.integer(QStringLiteral("IDLen")), 8);
        // Handing the number out does not use it up.
        QCOMPARE(rs.integer(QStringLiteral("IDMax")), 0);
        QCOMPARE(rs.integer(QStringLiteral("IDStep")), 1);
        QCOMPARE(rs.text(QStringLiteral("IDHead")), QString());
    }

    void storedRule_data() {
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<int>("digits");
        QTest::addColumn<int>("counter");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("next");
        QTest::newRow("prefix and padding")
            << QStringLiteral("FH") << 6 << 99 << QStringLiteral("FH000099") << QStringLiteral("FH000100");
        QTest::newRow("counter outgrows digits")
            << QString() << 4 << 9999 << QStringLiteral("9999") << QStringLiteral("10000");
        QTest::newRow("apostrophe prefix")
            << QStringLiteral("O'") << 3 << 0 << QStringLiteral("O'000") << QStringLiteral("O'001");
    }
    void storedRule() {
        QFETCH(QString, prefix);
        QFETCH(int, digits);
        QFETCH(int, counter);
        QFETCH(QString, shown);
        QFETCH(QString, next);
        TestHome home;
        home.db().exec(QStringLiteral("delete from IDBuilder"));
        storeRule(home.db(), 3, prefix, digits, counter);
        const auto rule = TIdType::findRule(QStringLiteral("S"), 3, home.db());
        QVERIFY(rule);
        QCOMPARE(rule->formatNumber(), shown);
        QCOMPARE(TIdType::nextNumber(QStringLiteral("S"), 3, home.db()), next);
        QCOMPARE(home.db().scalar(QStringLiteral("select count(*) from IDBuilder")).toInt(), 1);
    }

    void seriesAdvanceIndependently() {
        TestHome home;
        home.db().exec(QStringLiteral("delete from IDBuilder"));
        storeRule(home.db(), 1, QStringLiteral("FH"), 4, 0);
        storeRule(home.db(), 2, QStringLiteral("FH"), 4, 50);
        QSet<QString> saved;
        const TIdType::Taken taken = [&saved](const QString& number) { return saved.contains(number); };
        QStringList got;
        for (int templateId : {1, 1, 2, 1}) {
            got << TIdType::nextNumber(QStringLiteral("S"), templateId, home.db(), taken);
            saved.insert(got.last());
            TIdType::settle(QStringLiteral("S"), templateId, home.db(), taken);
        }
        QCOMPARE(got, (QStringList{QStringLiteral("FH0001"), QStringLiteral("FH0002"),
                                   QStringLiteral("FH0051"), QStringLiteral("FH0003")}));
        QCOMPARE(TIdType::findRule(QStringLiteral("S"), 1, home.db())->IDMax(), 3);
        QCOMPARE(TIdType::findRule(QStringLiteral("S"), 2, home.db())->IDMax(), 51);
    }

    // A number is used up by a bill saved under it, not by handing it out. Steps: "next=N" asks
    // for a number and expects N, "save=N" saves a bill under N (the series then settles).
    void numbersAreUsedUpBySaving_data() {
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<int>("counter");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<int>("storedCounter");
        QTest::newRow("dropped notes leave no gap")
            << QString() << 0
            << QStringList{"next=00000001", "next=00000001", "save=00000001", "next=00000002",
                           "next=00000002"}
            << 1;
        QTest::newRow("saved numbers are passed over")
            << QString() << 0 << QStringList{"save=00000001", "save=00000002", "save=00000004",
                                             "next=00000003", "save=00000003", "next=00000005"}
            << 4;
        QTest::newRow("a number typed far ahead leaves the series alone")
            << QString() << 0
            << QStringList{"save=00000009", "next=00000001", "save=00000001", "next=00000002"} << 1;
        QTest::newRow("stored counter keeps working")
            << QStringLiteral("FH") << 41
            << QStringList{"next=FH00000042", "save=FH00000042", "next=FH00000043"} << 42;
    }
    void numbersAreUsedUpBySaving() {
        QFETCH(QString, prefix);
        QFETCH(int, counter);
        QFETCH(QStringList, steps);
        QFETCH(int, storedCounter);
        TestHome home;
        home.db().exec(QStringLiteral("delete from IDBuilder"));
        storeRule(home.db(), 4, prefix, 8, counter);
        QSet<QString> saved;
        const TIdType::Taken taken = [&saved](const QString& number) { return saved.contains(number); };
        for (const QString& step : steps) {
            const QString number = step.section(QLatin1Char('='), 1);
            if (step.startsWith(QLatin1String("next"))) {
                QCOMPARE(TIdType::nextNumber(QStringLiteral("S"), 4, home.db(), taken), number);
            } else {
                saved.insert(number);
                TIdType::settle(QStringLiteral("S"), 4, home.db(), taken);
            }
        }
        QCOMPARE(TIdType::findRule(QStringLiteral("S"), 4, home.db())->IDMax(), storedCounter);
    }

    void missingSeriesAndNames() {
        TestHome home;
        QVERIFY(!TIdType::findRule(QString(), 1, home.db()));
        QVERIFY(!TIdType::findRule(QStringLiteral("S"), 424242, home.db()));
        const int before = home.db().scalar(QStringLiteral("select count(*) from IDBuilder")).toInt();
        QCOMPARE(TIdType::nextNumber(QString(), 1, home.db()), QStringLiteral("00000000"));
        QCOMPARE(home.db().scalar(QStringLiteral("select count(*) from IDBuilder")).toInt(), before);
    }

    void errorsCarryPrefix() {
        TestHome home;
        home.db().exec(QStringLiteral("drop table IDBuilder"));
        try {
            TIdType::nextNumber(QStringLiteral("S"), 1, home.db());
            QFAIL("no error raised");
        } catch (const core::DbError& e) {
            QVERIFY2(e.message().startsWith(QStringLiteral("ID序列检查失败,")), qPrintable(e.message()));
            QVERIFY(!e.message().startsWith(QStringLiteral("ID序列检查失败,ID序列检查失败,")));
        }
        QCOMPARE(TIdType::nextNumber(QStringLiteral("S"), 1, home.app()), QString());
        QCOMPARE(home.dialogs().shown.size(), 1);
        QCOMPARE(home.dialogs().shown.first().kind, QStringLiteral("error"));
        QVERIFY(home.dialogs().lastText().startsWith(QStringLiteral("ID序列检查失败,")));
    }
};

OVERPRINT_TEST(TestIdType)
#include "TestIdType.moc"
