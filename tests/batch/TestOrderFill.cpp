#include "TestRegistry.h"
#include "batch/OrderFill.h"
#include "batch/PrintRun.h"

#include <QTest>

using batch::FillPlan;
using batch::Order;
using batch::OrderFill;
using batch::OrderLine;

namespace {

Order orderWith(int lines) {
    Order o;
    o.number = QStringLiteral("DD-1");
    o.customer = QStringLiteral("客户");
    o.phone = QStringLiteral("0755");
    o.remark = QStringLiteral("加急");
    for (int i = 1; i <= lines; ++i)
        o.lines << OrderLine{i % 2 ? QStringLiteral("HH-%1").arg(i) : QString(),
                             QStringLiteral("商品%1").arg(i),
                             QString(),
                             QStringLiteral("个"),
                             QStringLiteral("2"),
                             QStringLiteral("1.5"),
                             QStringLiteral("3")};
    return o;
}

// The job calls as a fake entry window sees them.
class Steps final : public batch::JobSteps {
public:
    QStringList calls;
    bool prepares = true;
    QString failOn;
    bool open = false;
    bool prepare() override {
        calls << "prepare";
        return prepares;
    }
    void begin() override {
        calls << "begin";
        open = true;
    }
    bool ready() const override { return open; }
    QStringList tooLong;
    batch::FillOutcome fill(const QString& number) override {
        calls << "fill" + number;
        if (tooLong.contains(number))
            return batch::FillOutcome::skipped(QStringLiteral("long ") + number);
        if (number == failOn)
            return batch::FillOutcome::failed(QStringLiteral("bad ") + number);
        return {};
    }
    void send() override { calls << "send"; }
    void newPage() override { calls << "page"; }
    bool end() override {
        calls << "end";
        open = false;
        return true;
    }
    void abort() override {
        calls << "abort";
        open = false;
    }
};

} // namespace

class TestOrderFill : public QObject {
    Q_OBJECT

private slots:
    void ordersThatCannotMakeANote_data() {
        QTest::addColumn<QString>("quantity");
        QTest::addColumn<QString>("price");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("message");
        QTest::newRow("quantity abc") << "abc"
                                      << "1"
                                      << "1"
                                      << "数量【abc】";
        QTest::newRow("price text") << "1"
                                    << "一元"
                                    << ""
                                    << "单价【一元】";
        QTest::newRow("amount text") << "1"
                                     << "1"
                                     << "1,0"
                                     << "金额【1,0】";
        QTest::newRow("amount too big") << "1"
                                        << ""
                                        << "1000000000"
                                        << "超出范围";
        QTest::newRow("negative total") << "1"
                                        << ""
                                        << "-5"
                                        << "合计金额";
    }

    void ordersThatCannotMakeANote() {
        QFETCH(QString, quantity);
        QFETCH(QString, price);
        QFETCH(QString, amount);
        QFETCH(QString, message);
        Order o = orderWith(1);
        o.lines << OrderLine{QString(), QStringLiteral("x"), QString(), QString(), quantity, price, amount};
        const FillPlan p = OrderFill::plan(o, false, {1, 2, 3, 4, 5, 6, 7, 8});
        QVERIFY2(p.error.contains(message), qPrintable(p.error));
        QVERIFY(p.error.contains(QStringLiteral("DD-1")));
    }

    // Every line of the order goes into the form's lines in turn; an order with more lines
    // than the form shows is left whole, never cut.
    void linesGoWhereTheFormHasThem_data() {
        QTest::addColumn<int>("orderLines");
        QTest::addColumn<QList<int>>("formLines");
        QTest::addColumn<QString>("filled"); // the goods boxes written, or "too long"
        const QList<int> eight{1, 2, 3, 4, 5, 6, 7, 8};
        const QList<int> five{1, 2, 3, 4, 5};
        QTest::newRow("no lines") << 0 << eight << "";
        QTest::newRow("five of eight") << 5 << eight << "zdSFNR1 zdSFNR2 zdSFNR3 zdSFNR4 zdSFNR5";
        QTest::newRow("eight of eight")
            << 8 << eight << "zdSFNR1 zdSFNR2 zdSFNR3 zdSFNR4 zdSFNR5 zdSFNR6 zdSFNR7 zdSFNR8";
        QTest::newRow("nine on eight") << 9 << eight << "too long 超过8行商品，票据只有8行";
        QTest::newRow("five of five") << 5 << five << "zdSFNR1 zdSFNR2 zdSFNR3 zdSFNR4 zdSFNR5";
        QTest::newRow("six on five") << 6 << five << "too long 有6行商品，票据只有5行";
        QTest::newRow("a form without line 2") << 3 << QList<int>{1, 3, 4} << "zdSFNR1 zdSFNR3 zdSFNR4";
        QTest::newRow("a form without goods lines") << 1 << QList<int>{} << "too long 有1行商品，票据只有0行";
    }

    void linesGoWhereTheFormHasThem() {
        QFETCH(int, orderLines);
        QFETCH(QList<int>, formLines);
        QFETCH(QString, filled);
        const FillPlan p = OrderFill::plan(orderWith(orderLines), true, formLines);
        QVERIFY2(p.error.isEmpty(), qPrintable(p.error));
        if (filled.startsWith("too long")) {
            QVERIFY2(p.tooLong.startsWith("订单号=DD-1") && p.tooLong.endsWith(filled.mid(9)),
                     qPrintable(p.tooLong));
            QVERIFY(p.lines.isEmpty() && p.texts.isEmpty());
            return;
        }
        QVERIFY(p.tooLong.isEmpty());
        QStringList names;
        for (const FillPlan::Line& line : p.lines) {
            QCOMPARE(line.texts.at(1).first, QStringLiteral("zdSFNR%1").arg(line.line));
            QCOMPARE(line.texts.at(1).second, QStringLiteral("商品%1").arg(names.size() + 1));
            QCOMPARE(line.amount, QStringLiteral("3"));
            names << line.texts.at(1).first;
        }
        QCOMPARE(names.join(' '), filled);
    }

    // The order's own contact, address and mobile fill their boxes; an order without them
    // empties the boxes, so the previous note's never reach this one.
    void customerBoxesAreTheOrders_data() {
        QTest::addColumn<QString>("contact");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("mobile");
        QTest::newRow("all three") << "O'Brien"
                                   << "上海市浦东新区科技园路971号"
                                   << "13815908301";
        QTest::newRow("none") << ""
                              << ""
                              << "";
    }

    void customerBoxesAreTheOrders() {
        QFETCH(QString, contact);
        QFETCH(QString, address);
        QFETCH(QString, mobile);
        Order o = orderWith(1);
        o.contact = contact;
        o.address = address;
        o.mobile = mobile;
        const FillPlan p = OrderFill::plan(o, false, {1, 2, 3, 4, 5});
        QMap<QString, QString> texts;
        for (const auto& [name, value] : p.texts)
            texts.insert(name, value);
        QCOMPARE(texts.value("zdGKLXR", "unset"), contact);
        QCOMPARE(texts.value("zdGKAddr", "unset"), address);
        QCOMPARE(texts.value("zdGKHandset", "unset"), mobile);
        QVERIFY(!texts.contains("zdRemark")); // the remark switch is off
    }

    void runMakesOnePagePerOrder_data() {
        QTest::addColumn<QStringList>("numbers");
        QTest::addColumn<bool>("prepares");
        QTest::addColumn<QString>("failOn");
        QTest::addColumn<int>("stopAfter");
        QTest::addColumn<QString>("calls");
        QTest::addColumn<int>("printed");
        QTest::addColumn<QStringList>("tooLong");
        const QStringList none;
        QTest::newRow("three orders")
            << QStringList{"1", "2", "3"} << true << "" << 0
            << "prepare begin fill1 send fill2 page send fill3 page send end" << 3 << none;
        QTest::newRow("one order") << QStringList{"1"} << true << "" << 0 << "prepare begin fill1 send end"
                                   << 1 << none;
        QTest::newRow("stopped after the first page")
            << QStringList{"1", "2", "3"} << true << "" << 1 << "prepare begin fill1 send end" << 1 << none;
        QTest::newRow("failing second order") << QStringList{"1", "2", "3"} << true << "2" << 0
                                              << "prepare begin fill1 send fill2 end" << 1 << none;
        QTest::newRow("failing first order drops the job")
            << QStringList{"1", "2"} << true << "1" << 0 << "prepare begin fill1 abort" << 0 << none;
        QTest::newRow("preparation failed") << QStringList{"1"} << false << "" << 0 << "prepare" << 0 << none;
        QTest::newRow("nothing listed") << QStringList{} << true << "" << 0 << "" << 0 << none;
        QTest::newRow("long orders skipped, the run goes on")
            << QStringList{"1", "2", "3", "4"} << true << "" << 0
            << "prepare begin fill1 fill2 send fill3 fill4 page send end" << 2 << QStringList{"1", "3"};
        QTest::newRow("long last order leaves no empty page")
            << QStringList{"1", "2"} << true << "" << 0 << "prepare begin fill1 send fill2 end" << 1
            << QStringList{"2"};
        QTest::newRow("only long orders drop the job")
            << QStringList{"1", "2"} << true << "" << 0 << "prepare begin fill1 fill2 abort" << 0
            << QStringList{"1", "2"};
    }

    void runMakesOnePagePerOrder() {
        QFETCH(QStringList, numbers);
        QFETCH(bool, prepares);
        QFETCH(QString, failOn);
        QFETCH(int, stopAfter);
        QFETCH(QString, calls);
        QFETCH(int, printed);
        QFETCH(QStringList, tooLong);
        Steps steps;
        steps.prepares = prepares;
        steps.failOn = failOn;
        steps.tooLong = tooLong;
        int pages = 0;
        const batch::RunResult r = batch::printOrders(steps, numbers, [&] { return ++pages != stopAfter; });
        QCOMPARE(steps.calls.join(' '), calls);
        QCOMPARE(r.printed, printed);
        QCOMPARE(r.printedOrders.size(), printed);
        QCOMPARE(r.handedOver, printed > 0);
        QCOMPARE(r.stopped, stopAfter > 0);
        QCOMPARE(r.error.isEmpty(), failOn.isEmpty());
        QStringList skipped;
        for (const QString& number : tooLong)
            skipped << "long " + number;
        QCOMPARE(r.skipped, skipped);
        for (const QString& number : r.printedOrders)
            QVERIFY(!tooLong.contains(number) && number != failOn);
        QVERIFY(!steps.open);
    }
};

OVERPRINT_TEST(TestOrderFill)
#include "TestOrderFill.moc"
