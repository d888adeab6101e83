#include "TestHome.h"
#include "TestRegistry.h"
#include "batch/OrderFill.h"
#include "batch/PrintRun.h"

#include <QTest>

using batch::FillPlan;
using batch::Order;
using batch::OrderFill;
using batch::OrderLine;

namespace {

QString valueOf(const QList<QPair<QString, QString>>& texts, const QString& box) {
    for (const auto& [name, value] : texts)
        if (name == box)
            return value;
    return QStringLiteral("<none>");
}

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
    void loadsByBoundNumberInStoredOrder() {
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        core::Database& db = home.db();
        const QString number = QStringLiteral("O'1 订单");
        db.exec(QStringLiteral("insert into OrderList (订单号, 客户全称, 备注) values (:n, '甲', 'r')"),
                {{QStringLiteral("n"), number}});
        for (int i = 1; i <= 6; ++i)
            db.exec(QStringLiteral("insert into OrderDetail (订单号, 商品名, 货号) values (:n, :g, '')"),
                    {{QStringLiteral("n"), number}, {QStringLiteral("g"), QStringLiteral("G%1").arg(i)}});
        const std::optional<Order> order = OrderFill::load(db, number);
        QVERIFY(order);
        QCOMPARE(order->customer, QStringLiteral("甲"));
        QCOMPARE(order->lines.size(), 4);
        QCOMPARE(order->lines.at(3).name, QStringLiteral("G4"));
        QVERIFY(!OrderFill::load(db, QStringLiteral("O")));
    }

    void linesBeyondFourAreLeftOut_data() {
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("filled");
        QTest::newRow("none") << 0 << 0;
        QTest::newRow("one") << 1 << 1;
        QTest::newRow("six") << 6 << 4;
        QTest::newRow("eight") << 8 << 4;
    }

    void linesBeyondFourAreLeftOut() {
        QFETCH(int, lines);
        QFETCH(int, filled);
        const FillPlan p = OrderFill::plan(orderWith(lines), true);
        QVERIFY(p.error.isEmpty());
        QCOMPARE(p.lines.size(), filled);
        for (int i = 0; i < filled; ++i) {
            QCOMPARE(p.lines.at(i).line, i + 1);
            QCOMPARE(p.lines.at(i).amount, QStringLiteral("3"));
        }
    }

    void articleNumberFromTheLineElseTheOrder() {
        const FillPlan p = OrderFill::plan(orderWith(2), true);
        QCOMPARE(valueOf(p.lines.at(0).texts, "zdHuoHao1"), QStringLiteral("HH-1"));
        QCOMPARE(valueOf(p.lines.at(1).texts, "zdHuoHao2"), QStringLiteral("DD-1"));
        QCOMPARE(valueOf(p.lines.at(1).texts, "zdSFNR2"), QStringLiteral("商品2"));
        // The amount is not among the texts: it is set after them, through the line rule.
        QCOMPARE(valueOf(p.lines.at(1).texts, "zdJEXX2"), QStringLiteral("<none>"));
    }

    void remarkOnlyWithTheSwitch() {
        const FillPlan on = OrderFill::plan(orderWith(1), true);
        const FillPlan off = OrderFill::plan(orderWith(1), false);
        QCOMPARE(valueOf(on.texts, "zdRemark"), QStringLiteral("加急"));
        QCOMPARE(valueOf(off.texts, "zdRemark"), QStringLiteral("<none>"));
        QVERIFY(!off.empty.contains("zdRemark"));
        for (const FillPlan& p : {on, off}) {
            QCOMPARE(valueOf(p.texts, "zdPJBH"), QStringLiteral("DD-1"));
            QCOMPARE(p.empty, (QStringList{"zdGKLXR", "zdGKAddr", "zdGKHandset"}));
            for (const char* kept : {"KPRen", "SKRen", "zdDef1", "zdOrderId", "SelDate"})
                QCOMPARE(valueOf(p.texts, kept), QStringLiteral("<none>"));
        }
    }

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
