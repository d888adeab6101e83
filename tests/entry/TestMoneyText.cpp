#include "TestRegistry.h"
#include "entry/MoneyText.h"

#include <QTest>

using namespace entry;

class TestMoneyText : public QObject {
    Q_OBJECT

private slots:
    void chineseCapitals_data() {
        QTest::addColumn<double>("amount");
        QTest::addColumn<QString>("expected");
        QTest::newRow("zero") << 0.0 << "零元整";
        QTest::newRow("five fen") << 0.05 << "伍分";
        QTest::newRow("five jiao") << 0.5 << "伍角整";
        QTest::newRow("jiao and fen") << 0.29 << "贰角玖分";
        QTest::newRow("ten") << 10.0 << "壹拾元整";
        QTest::newRow("hundred") << 100.0 << "壹佰元整";
        QTest::newRow("inner zeros") << 1005.50 << "壹仟零伍元伍角整";
        QTest::newRow("1234.5") << 1234.5 << "壹仟贰佰叁拾肆元伍角整";
        QTest::newRow("wan then fen") << 20000.02 << "贰万元零贰分";
        QTest::newRow("100100") << 100100.0 << "壹拾万零壹佰元整";
        QTest::newRow("101000") << 101000.0 << "壹拾万壹仟元整";
        QTest::newRow("million and a fen") << 1000000.01 << "壹佰万元零壹分";
        QTest::newRow("yi") << 100000000.0 << "壹亿元整";
        QTest::newRow("yi and units") << 300000008.0 << "叁亿零捌元整";
        QTest::newRow("all positions") << 123456789.12 << "壹亿贰仟叁佰肆拾伍万陆仟柒佰捌拾玖元壹角贰分";
        QTest::newRow("negative") << -12.5 << "负壹拾贰元伍角整";
        QTest::newRow("largest total") << 999999999.99 << "玖亿玖仟玖佰玖拾玖万玖仟玖佰玖拾玖元玖角玖分";
        QTest::newRow("half cent rounds up") << 0.125 << "壹角叁分";
        QTest::newRow("below half a cent") << 0.004 << "零元整";
        QTest::newRow("binary 1.005 keeps its decimal half") << 1.005 << "壹元零壹分";
    }
    void chineseCapitals() {
        QFETCH(double, amount);
        QFETCH(QString, expected);
        QCOMPARE(AmountToChineseCapitals(amount), expected);
        QCOMPARE(AmountToChineseCapitals(shortestDecimal(amount)), expected);
    }

    void capitalDigits_data() {
        QTest::addColumn<QString>("amount");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("decimals");
        QTest::addColumn<QString>("expected");
        QTest::newRow("inner zeros") << "1005.50" << 9 << ".00"
                                     << "零零零零零壹零零伍伍零";
        QTest::newRow("cents only") << "0.29" << 9 << "0.00"
                                    << "零零零零零零零零零贰玖";
        QTest::newRow("1234.5") << "1234.5" << 9 << ".00"
                                << "零零零零零壹贰叁肆伍零";
        QTest::newRow("all nines") << "999999999.99" << 9 << ".00"
                                   << "玖玖玖玖玖玖玖玖玖玖玖";
        QTest::newRow("commas ignored") << "1,234.5" << 9 << ".00"
                                        << "零零零零零壹贰叁肆伍零";
        QTest::newRow("zero") << "0" << 9 << ".00"
                              << "零";
        QTest::newRow("whole only") << "1006.4" << 6 << "0"
                                    << "零零壹零零陆";
        QTest::newRow("whole rounds up") << "2.5" << 3 << "0"
                                         << "零零叁";
        QTest::newRow("one decimal") << "12.35" << 4 << ".0"
                                     << "零零壹贰肆";
        QTest::newRow("one decimal, other spelling") << "12.35" << 4 << "0.0"
                                                     << "零零壹贰肆";
        QTest::newRow("unknown decimals mean two") << "12.345" << 4 << "x"
                                                   << "零零壹贰叁伍";
        QTest::newRow("exactly the width") << "123456789" << 9 << ".00"
                                           << "壹贰叁肆伍陆柒捌玖零零";
        QTest::newRow("too wide") << "1000000000" << 9 << ".00"
                                  << "超出位数限制";
        QTest::newRow("rounding makes it too wide") << "999.996" << 3 << ".00"
                                                    << "超出位数限制";
        QTest::newRow("no number") << "abc" << 9 << ".00"
                                   << "";
    }
    void capitalDigits() {
        QFETCH(QString, amount);
        QFETCH(int, width);
        QFETCH(QString, decimals);
        QFETCH(QString, expected);
        QCOMPARE(AmountToCapitalDigits(amount, width, decimals), expected);
    }

    void lineAmount_data() {
        QTest::addColumn<double>("amount");
        QTest::addColumn<bool>("thousands");
        QTest::addColumn<QString>("expected");
        QTest::newRow("pads decimals") << 1234.5 << false << "1234.50";
        QTest::newRow("groups") << 1234.5 << true << "1,234.50";
        QTest::newRow("two groups") << 12345.6 << true << "12,345.60";
        QTest::newRow("millions") << 1234567.891 << true << "1,234,567.89";
        QTest::newRow("short whole part") << 999.0 << true << "999.00";
        QTest::newRow("zero") << 0.0 << true << "0.00";
        QTest::newRow("half away from zero") << 0.125 << false << "0.13";
        QTest::newRow("negative half") << -0.125 << false << "-0.13";
        QTest::newRow("negative grouped") << -1234.5 << true << "-1,234.50";
        QTest::newRow("binary product") << 3 * 0.1 << false << "0.30";
        QTest::newRow("product keeps its half") << 1.15 * 3 << false << "3.45";
        QTest::newRow("negative that rounds to zero") << -0.001 << false << "0.00";
        QTest::newRow("carry into the whole part") << 999.995 << true << "1,000.00";
    }
    void lineAmount() {
        QFETCH(double, amount);
        QFETCH(bool, thousands);
        QFETCH(QString, expected);
        QCOMPARE(FormatLineAmount(amount, thousands), expected);
    }

    void normalize_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");
        QTest::newRow("full-width") << "１２３．５"
                                    << "123.5";
        QTest::newRow("ideographic stop") << "１２３。５"
                                          << "123.5";
        QTest::newRow("comma") << "1,234.5"
                               << "1234.5";
        QTest::newRow("full-width comma and yuan") << "１，２３４．５元"
                                                   << "1234.5";
        QTest::newRow("blanks and letters") << "  12 ab3 "
                                            << "123";
        QTest::newRow("minus kept") << "-12.5"
                                    << "-12.5";
        QTest::newRow("empty") << "   "
                               << "";
        QTest::newRow("zero full-width") << "０"
                                         << "0";
    }
    void normalize() {
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        QCOMPARE(NormalizeAmountText(typed), expected);
    }

    void shortest_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("no exponent, large") << 13800138000.0 << "13800138000";
        QTest::newRow("no exponent, small") << 0.00001 << "0.00001";
        QTest::newRow("round trip") << 0.1 << "0.1";
        QTest::newRow("sum keeps its binary tail") << 0.1 + 0.2 << "0.30000000000000004";
        QTest::newRow("negative zero") << -0.0 << "0";
    }
    void shortest() {
        QFETCH(double, value);
        QFETCH(QString, expected);
        QCOMPARE(shortestDecimal(value), expected);
    }

    void parse_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::newRow("decimal") << " 12.5 " << true;
        QTest::newRow("group separator") << "1,234" << false;
        QTest::newRow("letters") << "12a" << false;
        QTest::newRow("infinity") << "inf" << false;
        QTest::newRow("not a number") << "nan" << false;
        QTest::newRow("overflow") << "1e400" << false;
        QTest::newRow("empty") << "" << false;
    }
    void parse() {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        double value = 0;
        QCOMPARE(parseDecimal(text, value), ok);
    }
};

OVERPRINT_TEST(TestMoneyText)
#include "TestMoneyText.moc"
