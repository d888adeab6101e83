#include "TestRegistry.h"
#include "entry/BillMoney.h"

#include <QTest>

using namespace entry;

namespace {

// Options written as a string of switches, so a row of the table reads at a glance:
// S = 合计￥, T = 合计千分符, Y = 总计小写带元, N = 非标准大写, R = 大写带"人民币".
MoneyOptions optionsFrom(const QString& flags) {
    MoneyOptions o;
    o.totalWithSymbol = flags.contains(QLatin1Char('S'));
    o.totalThousands = flags.contains(QLatin1Char('T'));
    o.totalWithYuan = flags.contains(QLatin1Char('Y'));
    o.nonStandard = flags.contains(QLatin1Char('N'));
    o.currencyAlways = flags.contains(QLatin1Char('R'));
    return o;
}

} // namespace

class TestBillMoney : public QObject {
    Q_OBJECT

private slots:
    void total_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("flags");
        QTest::addColumn<QString>("currency");
        QTest::addColumn<QString>("lowerCase");
        QTest::addColumn<QString>("display");
        QTest::addColumn<QString>("capitals");
        QTest::addColumn<QString>("digits");
        QTest::newRow("defaults") << "1234.5"
                                  << "ST"
                                  << "人民币"
                                  << "1234.50"
                                  << "￥1,234.50"
                                  << "壹仟贰佰叁拾肆元伍角整"
                                  << "零零零零零壹贰叁肆伍零";
        QTest::newRow("with 人民币") << "1234.5"
                                     << "STR"
                                     << "人民币"
                                     << "1234.50"
                                     << "￥1,234.50"
                                     << "人民币壹仟贰佰叁拾肆元伍角整"
                                     << "零零零零零壹贰叁肆伍零";
        QTest::newRow("other currency always named") << "1234.5"
                                                     << "ST"
                                                     << "美元"
                                                     << "1234.50"
                                                     << "$1,234.50"
                                                     << "美元壹仟贰佰叁拾肆元伍角整"
                                                     << "零零零零零壹贰叁肆伍零";
        QTest::newRow("no separators") << "1234.5"
                                       << "S"
                                       << "人民币"
                                       << "1234.50"
                                       << "￥1234.50"
                                       << "壹仟贰佰叁拾肆元伍角整"
                                       << "零零零零零壹贰叁肆伍零";
        QTest::newRow("with yuan") << "1234.5"
                                   << "STY"
                                   << "人民币"
                                   << "1234.50"
                                   << "￥1,234.50元"
                                   << "壹仟贰佰叁拾肆元伍角整"
                                   << "零零零零零壹贰叁肆伍零";
        QTest::newRow("no symbol") << "1234.5"
                                   << "T"
                                   << "人民币"
                                   << "1234.50"
                                   << "1,234.50"
                                   << "壹仟贰佰叁拾肆元伍角整"
                                   << "零零零零零壹贰叁肆伍零";
        QTest::newRow("largest") << "999999999.99"
                                 << "ST"
                                 << "人民币"
                                 << "999999999.99"
                                 << "￥999,999,999.99"
                                 << "玖亿玖仟玖佰玖拾玖万玖仟玖佰玖拾玖元玖角玖分"
                                 << "玖玖玖玖玖玖玖玖玖玖玖";
        QTest::newRow("non-standard 100") << "100"
                                          << "STN"
                                          << "人民币"
                                          << "100.00"
                                          << "￥100.00"
                                          << "壹佰零拾零元零角零分"
                                          << "零零零零零零壹零零零零";
        QTest::newRow("non-standard 0.05") << "0.05"
                                           << "STN"
                                           << "人民币"
                                           << "0.05"
                                           << "￥0.05"
                                           << "伍分"
                                           << "零零零零零零零零零零伍";
        QTest::newRow("non-standard 1005.50") << "1005.50"
                                              << "STN"
                                              << "人民币"
                                              << "1005.50"
                                              << "￥1,005.50"
                                              << "壹仟零佰零拾伍元伍角零分"
                                              << "零零零零零壹零零伍伍零";
        QTest::newRow("non-standard all positions") << "123456789.12"
                                                    << "STN"
                                                    << "人民币"
                                                    << "123456789.12"
                                                    << "￥123,456,789.12"
                                                    << "壹亿贰仟叁佰肆拾伍万陆仟柒佰捌拾玖元壹角贰分"
                                                    << "壹贰叁肆伍陆柒捌玖壹贰";
        QTest::newRow("half a cent rounds up") << "0.125"
                                               << "ST"
                                               << "人民币"
                                               << "0.13"
                                               << "￥0.13"
                                               << "壹角叁分"
                                               << "零零零零零零零零零壹叁";
        QTest::newRow("below half a cent") << "0.001"
                                           << "ST"
                                           << "人民币"
                                           << "0.00"
                                           << "￥0.00"
                                           << "零元整"
                                           << "";
        QTest::newRow("blanks around") << "  12  "
                                       << "ST"
                                       << "人民币"
                                       << "12.00"
                                       << "￥12.00"
                                       << "壹拾贰元整"
                                       << "零零零零零零零壹贰零零";
        QTest::newRow("currency without row") << "5"
                                              << "ST"
                                              << "卢布"
                                              << "5.00"
                                              << "5.00"
                                              << "卢布伍元整"
                                              << "零零零零零零零零伍零零";
    }
    void total() {
        QFETCH(QString, text);
        QFETCH(QString, flags);
        QFETCH(QString, currency);
        QFETCH(QString, lowerCase);
        QFETCH(QString, display);
        QFETCH(QString, capitals);
        QFETCH(QString, digits);
        BillMoney money([](const QString& name) {
            return name == QStringLiteral("人民币") ? QStringLiteral("￥")
                   : name == QStringLiteral("美元") ? QStringLiteral("$")
                                                    : QString();
        });
        money.setMoneyName(currency);
        const TotalTexts t = money.total(text, optionsFrom(flags), money.moneyCode());
        QCOMPARE(t.outcome, TotalTexts::Shown);
        QCOMPARE(t.lowerCase, lowerCase);
        QCOMPARE(t.display, display);
        QCOMPARE(t.capitals, capitals);
        QCOMPARE(t.digits.join(QString()), digits);
        QCOMPARE(t.digits.size(), 11);
    }

    void refused_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("too large") << "1000000000"
                                   << "金额值必须介于0~1,000,000,000之间！";
        QTest::newRow("negative") << "-0.01"
                                  << "金额值必须介于0~1,000,000,000之间！";
        QTest::newRow("letters") << "12a"
                                 << "金额只能为数值，例如：123.50";
        QTest::newRow("groups not of three") << "12,34"
                                             << "金额只能为数值，例如：123.50";
        QTest::newRow("overflow") << "1e400"
                                  << "金额只能为数值，例如：123.50";
    }
    void refused() {
        QFETCH(QString, text);
        QFETCH(QString, message);
        BillMoney money(nullptr);
        const TotalTexts t = money.total(text, MoneyOptions(), QString());
        QCOMPARE(t.outcome, TotalTexts::Refused);
        QCOMPARE(t.message, message);
        // The refused text stays the memo: handing it in again changes nothing.
        QCOMPARE(money.total(text, MoneyOptions(), QString()).outcome, TotalTexts::Repeated);
    }

    void zeroEmptiesEverything_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << "";
        QTest::newRow("zero") << "0";
        QTest::newRow("zero with decimals") << "0.00";
        QTest::newRow("negative zero") << "-0";
    }
    void zeroEmptiesEverything() {
        QFETCH(QString, text);
        BillMoney money(nullptr);
        const TotalTexts t = money.total(text, MoneyOptions(), QStringLiteral("￥"));
        QCOMPARE(t.outcome, TotalTexts::Shown);
        QVERIFY(t.zero);
        QCOMPARE(t.lowerCase, QStringLiteral("0.00"));
        QVERIFY(t.display.isEmpty());
        QVERIFY(t.capitals.isEmpty());
        QCOMPARE(t.digits, QStringList(11, QString()));
    }

    void memoSkipsRepeatsUntilForgotten() {
        BillMoney money(nullptr);
        QCOMPARE(money.total(QStringLiteral("12"), MoneyOptions(), QString()).outcome, TotalTexts::Shown);
        QCOMPARE(money.total(QStringLiteral("12"), MoneyOptions(), QString()).outcome, TotalTexts::Repeated);
        QCOMPARE(money.total(QStringLiteral("13"), MoneyOptions(), QString()).outcome, TotalTexts::Shown);
        money.forgetMemo();
        QCOMPARE(money.total(QStringLiteral("13"), MoneyOptions(), QString()).outcome, TotalTexts::Shown);
    }

    void currencyCodeIsAskedOncePerCurrency() {
        QStringList asked;
        BillMoney money([&asked](const QString& name) {
            asked << name;
            return QStringLiteral("X");
        });
        money.moneyCode();
        money.moneyCode();
        money.setMoneyName(QStringLiteral("美元"));
        money.moneyCode();
        money.setMoneyName(QString());
        money.moneyCode();
        QCOMPARE(asked, (QStringList{"人民币", "美元", "人民币"}));
        QCOMPARE(money.currencyName(), QStringLiteral("人民币"));
    }

    void line_data() {
        QTest::addColumn<QString>("editor");
        QTest::addColumn<bool>("thousands");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("trimmed");
        QTest::addColumn<QString>("amount");
        QTest::newRow("plain") << " 12345.6 " << false << "" << true << "12345.6"
                               << "12345.60";
        QTest::newRow("thousands") << "12345.6" << true << "" << true << "12345.6"
                                   << "12,345.60";
        QTest::newRow("symbol") << "12345.6" << true << "￥" << true << "12345.6"
                                << "￥12,345.60";
        QTest::newRow("empty stays empty") << "  " << true << "￥" << true << ""
                                           << "";
        QTest::newRow("zero") << "0" << false << "" << true << "0"
                              << "0.00";
        QTest::newRow("no number") << "12x" << false << "" << false << "12x"
                                   << "";
        // The editor keeps the number itself, which is what the total and saving read.
        QTest::newRow("typed with commas") << "1,200.5" << false << "" << true << "1200.5"
                                           << "1200.50";
        QTest::newRow("full-width return") << QStringLiteral("－１２００") << true << "" << true << "-1200"
                                           << "-1,200.00";
        QTest::newRow("comma as decimal point") << "12,5" << false << "" << false << "12,5"
                                                << "";
    }
    void line() {
        QFETCH(QString, editor);
        QFETCH(bool, thousands);
        QFETCH(QString, prefix);
        QFETCH(bool, ok);
        QFETCH(QString, trimmed);
        QFETCH(QString, amount);
        const LineTexts t = BillMoney::line(editor, thousands, prefix);
        QCOMPARE(t.ok, ok);
        QCOMPARE(t.editor, trimmed);
        QCOMPARE(t.amount, amount);
    }

    void zeroAmount_data() {
        QTest::addColumn<QString>("amount");
        QTest::addColumn<bool>("zero");
        for (const char* z : {"0", "0.00", "0.0", "￥0", "￥0.00", "￥0.0"})
            QTest::newRow(z) << QString::fromUtf8(z) << true;
        QTest::newRow("cents") << "0.01" << false;
        QTest::newRow("other symbol") << "$0.00" << false;
        QTest::newRow("empty") << "" << false;
    }
    void zeroAmount() {
        QFETCH(QString, amount);
        QFETCH(bool, zero);
        QCOMPARE(BillMoney::isZeroAmount(amount), zero);
    }

    void nonStandardNeedsItsOption() {
        const QStringList cells = BillMoney::capitalDigits(QStringLiteral("100"));
        QVERIFY(BillMoney::nonStandardCapitals(cells, false).isEmpty());
        QCOMPARE(BillMoney::nonStandardCapitals(cells, true), QStringLiteral("壹佰零拾零元零角零分"));
    }

    void totalKeys_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("digit") << "7" << true;
        QTest::newRow("point") << "." << true;
        QTest::newRow("full-width digit") << "３" << true;
        QTest::newRow("comma") << "," << true;
        QTest::newRow("lower letter") << "e" << false;
        QTest::newRow("upper letter") << "Z" << false;
        QTest::newRow("blank") << " " << false;
        QTest::newRow("minus") << "-" << false;
    }
    void totalKeys() {
        QFETCH(QString, key);
        QFETCH(bool, accepted);
        QCOMPARE(BillMoney::acceptsTotalKey(key[0]), accepted);
    }
};

OVERPRINT_TEST(TestBillMoney)
#include "TestBillMoney.moc"
