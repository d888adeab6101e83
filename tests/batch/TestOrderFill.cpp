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
    Order o{
        QStringLiteral("DD-1"), QStringLiteral("客户"), QStringLiteral("0755"), QStringLiteral("加急"), {}};
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
    QString fill(const QString& number) override {
        calls << "fill" + number;
        return number == failOn ? QStringLiteral("bad ") + number : QString();
    }
    void send() override { calls << "send"; }
    void newPage() override { calls << "page"; }
    void end() override {
        calls << "end";
        open = false;
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
        const FillPlan p = OrderFill::plan(o, false);
        QVERIFY2(p.error.contains(message), qPrintable(p.error));
        QVERIFY(p.error.contains(QStringLiteral("DD-1")));
    }

    void runMakesOnePagePerOrder_data() {
        QTest::addColumn<QStringList>("numbers");
        QTest::addColumn<bool>("prepares");
        QTest::addColumn<QString>("failOn");
        QTest::addColumn<int>("stopAfter");
        QTest::addColumn<QString>("calls");
        QTest::addColumn<int>("printed");
        QTest::newRow("three orders") << QStringList{"1", "2", "3"} << true << "" << 0
                                      << "prepare begin fill1 send page fill2 send page fill3 send end" << 3;
        QTest::newRow("one order") << QStringList{"1"} << true << "" << 0 << "prepare begin fill1 send end"
                                   << 1;
        QTest::newRow("stopped after the first page")
            << QStringList{"1", "2", "3"} << true << "" << 1 << "prepare begin fill1 send end" << 1;
        QTest::newRow("failing second order") << QStringList{"1", "2", "3"} << true << "2" << 0
                                              << "prepare begin fill1 send page fill2 end" << 1;
        QTest::newRow("failing first order drops the job")
            << QStringList{"1", "2"} << true << "1" << 0 << "prepare begin fill1 abort" << 0;
        QTest::newRow("preparation failed") << QStringList{"1"} << false << "" << 0 << "prepare" << 0;
        QTest::newRow("nothing listed") << QStringList{} << true << "" << 0 << "" << 0;
    }

    void runMakesOnePagePerOrder() {
        QFETCH(QStringList, numbers);
        QFETCH(bool, prepares);
        QFETCH(QString, failOn);
        QFETCH(int, stopAfter);
        QFETCH(QString, calls);
        QFETCH(int, printed);
        Steps steps;
        steps.prepares = prepares;
        steps.failOn = failOn;
        int pages = 0;
        const batch::RunResult r = batch::printOrders(steps, numbers, [&] { return ++pages != stopAfter; });
        QCOMPARE(steps.calls.join(' '), calls);
        QCOMPARE(r.printed, printed);
        QCOMPARE(r.stopped, stopAfter > 0);
        QCOMPARE(r.error.isEmpty(), failOn.isEmpty());
        QVERIFY(!steps.open);
    }
};

OVERPRINT_TEST(TestOrderFill)
#include "TestOrderFill.moc"
