#include "entry/TypedNumber.h"
#include "support/TestRegistry.h"

#include <QTest>

using entry::TypedNumber;
using State = TypedNumber::State;

Q_DECLARE_METATYPE(TypedNumber::State)

class TestTypedNumber : public QObject {
    Q_OBJECT
private slots:
    void read_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<State>("state");
        QTest::addColumn<QString>("plain");
        QTest::newRow("plain") << "1200" << State::Number << "1200";
        QTest::newRow("thousands") << "1,200" << State::Number << "1200";
        QTest::newRow("millions") << "-1,200,000.25" << State::Number << "-1200000.25";
        QTest::newRow("blank groups") << "1 200" << State::Number << "1200";
        QTest::newRow("ideographic blank") << QStringLiteral("1\u3000200") << State::Number << "1200";
        QTest::newRow("full-width") << QStringLiteral("１２００") << State::Number << "1200";
        QTest::newRow("full-width comma, point, sign")
            << QStringLiteral("－１，２００．５") << State::Number << "-1200.5";
        QTest::newRow("plus sign dropped") << "+3" << State::Number << "3";
        QTest::newRow("point first") << "-.5" << State::Number << "-.5";
        QTest::newRow("blanks around") << "  7  " << State::Number << "7";
        QTest::newRow("nothing") << "  " << State::Empty << "";
        // What typing passes through on the way to a number.
        QTest::newRow("minus") << "-" << State::Unfinished << "";
        QTest::newRow("full-width minus") << QStringLiteral("－") << State::Unfinished << "";
        QTest::newRow("point") << "." << State::Unfinished << "";
        QTest::newRow("minus point") << "-." << State::Unfinished << "";
        QTest::newRow("comma typed") << "1," << State::Unfinished << "";
        QTest::newRow("group under way") << "1,20" << State::Unfinished << "";
        QTest::newRow("second group under way") << "1 200 0" << State::Unfinished << "";
        // Nothing typing can mend: these keep the message they always had.
        QTest::newRow("decimal comma, still a group start") << "1,5" << State::Unfinished << "";
        QTest::newRow("group of four") << "1,2000" << State::Invalid << "";
        QTest::newRow("first group of four") << "1200,000" << State::Invalid << "";
        QTest::newRow("mixed separators") << "1,200 000" << State::Invalid << "";
        QTest::newRow("comma in decimals") << "1.200,5" << State::Invalid << "";
        QTest::newRow("two signs") << "--1" << State::Invalid << "";
        QTest::newRow("two points") << "1.2.3" << State::Invalid << "";
        QTest::newRow("exponent") << "1e3" << State::Invalid << "";
        QTest::newRow("letters") << "12a" << State::Invalid << "";
        QTest::newRow("unit typed") << QStringLiteral("12个") << State::Invalid << "";
        QTest::newRow("blank inside digits") << "12 3456" << State::Invalid << "";
    }
    void read() {
        QFETCH(QString, typed);
        QFETCH(State, state);
        QFETCH(QString, plain);
        const TypedNumber n = TypedNumber::read(typed);
        QCOMPARE(n.state, state);
        QCOMPARE(n.plain, plain);
        QCOMPARE(TypedNumber::plainOr(typed), state == State::Number ? plain : typed);
    }
};

OVERPRINT_TEST(TestTypedNumber)
#include "TestTypedNumber.moc"
