#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include "batch/OrderStore.h"

#include <QTest>

using batch::OrderStore;

// Two seats starting batch runs over the same orders (two connections; on a server when
// OVERPRINT_TEST_PG names one): no order goes into both runs.
class TestOrderClaim : public QObject {
    Q_OBJECT

    static void addOrders(core::Database& db, const QStringList& numbers) {
        for (const QString& n : numbers)
            db.exec(QStringLiteral("insert into OrderList (订单号, 订单状态) values (:n, '未打印')"),
                    {{QStringLiteral("n"), n}});
    }

private slots:
    // An order printed by another seat since this seat read its list is left out.
    void orderPrintedMeanwhileIsLeftOut() {
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        core::ScriptedDialogs otherDialogs;
        auto other = home.secondSeat(otherDialogs);
        addOrders(home.db(), {QStringLiteral("A1"), QStringLiteral("A2")});
        const QStringList listed = {QStringLiteral("未打印"), QStringLiteral("未打印")};

        OrderStore first(home.db());
        QStringList refused;
        const QStringList mine = first.claim({QStringLiteral("A1")}, {listed.first()}, refused);
        QCOMPARE(mine, QStringList({QStringLiteral("A1")}));
        first.markPrinted(mine);
        first.release(mine);

        OrderStore second(other->db());
        const QStringList theirs =
            second.claim({QStringLiteral("A1"), QStringLiteral("A2")}, listed, refused);
        QCOMPARE(theirs, QStringList({QStringLiteral("A2")}));
        QCOMPARE(refused.size(), 1);
        QVERIFY(refused.first().startsWith(QLatin1String("A1")));
        // Printing again what the list shows printed stays possible.
        refused.clear();
        QCOMPARE(second.claim({QStringLiteral("A1")}, {OrderStore::printedState()}, refused),
                 QStringList({QStringLiteral("A1")}));
    }

    // While one seat's run holds its orders, another seat's run leaves them out.
    void ordersHeldByAnotherRunAreLeftOut() {
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        if (!home.onServer()) {
            QString reason;
            TestHome::testServer(&reason);
            QSKIP(qPrintable(reason));
        }
        core::ScriptedDialogs otherDialogs;
        auto other = home.secondSeat(otherDialogs);
        addOrders(home.db(), {QStringLiteral("B1"), QStringLiteral("B2"), QStringLiteral("B3")});
        const QStringList listed(3, QStringLiteral("未打印"));
        OrderStore first(home.db());
        OrderStore second(other->db());
        QStringList refused;
        const QStringList mine = first.claim({QStringLiteral("B1"), QStringLiteral("b2")}, listed, refused);
        QCOMPARE(mine.size(), 2);
        const QStringList theirs =
            second.claim({QStringLiteral("B1"), QStringLiteral("B2"), QStringLiteral("B3")}, listed, refused);
        QCOMPARE(theirs, QStringList({QStringLiteral("B3")}));
        QCOMPARE(refused.size(), 2);
        first.release(mine);
        refused.clear();
        QCOMPARE(second.claim({QStringLiteral("B1")}, listed, refused), QStringList({QStringLiteral("B1")}));
    }
};

OVERPRINT_TEST(TestOrderClaim)
#include "TestOrderClaim.moc"
