#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include "batch/OrderStore.h"

#include <QSqlDatabase>
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

    // Two stores (schemas) on one server never wait on each other's holds or locks, a second seat
    // of the same store does; and each connection has both ends probe a silent peer, so a dead
    // seat's holds go within a minute and a half.
    void storesOnOneServerHoldTheirOwn() {
        TestHome home;
        TestHome otherStore;
        QVERIFY2(home.isValid() && otherStore.isValid(), qPrintable(home.error() + otherStore.error()));
        if (!home.onServer())
            QSKIP("only a server store holds orders for a seat");
        core::ScriptedDialogs seatDialogs;
        auto sameStore = home.secondSeat(seatDialogs);
        const QStringList order = {QStringLiteral("C1")};
        addOrders(home.db(), order);
        addOrders(otherStore.db(), order);
        QStringList refused;
        QCOMPARE(OrderStore(home.db()).claim(order, {QStringLiteral("未打印")}, refused), order);
        QCOMPARE(OrderStore(otherStore.db()).claim(order, {QStringLiteral("未打印")}, refused), order);
        QCOMPARE(OrderStore(sameStore->db()).claim(order, {QStringLiteral("未打印")}, refused),
                 QStringList());

        home.db().begin();
        home.db().lockName(QStringLiteral("note:00000001"));
        otherStore.db().exec(QStringLiteral("set lock_timeout = 3000"));
        otherStore.db().begin();
        QVERIFY_THROWS_NO_EXCEPTION(otherStore.db().lockName(QStringLiteral("note:00000001")));
        otherStore.db().rollback();
        home.db().rollback();

        QVERIFY(QSqlDatabase::database(home.db().connectionName(), false)
                    .connectOptions()
                    .contains(QLatin1String("keepalives=1")));
        const auto setting = [&home](const char* name) {
            return home.db()
                .scalar(QStringLiteral("select setting from pg_settings where name = :n"),
                        {{QStringLiteral("n"), QString::fromLatin1(name)}})
                .toInt();
        };
        const int silent = setting("tcp_keepalives_idle") +
                           setting("tcp_keepalives_interval") * setting("tcp_keepalives_count");
        QVERIFY2(silent > 0 && silent <= 90, qPrintable(QString::number(silent)));
    }
};

OVERPRINT_TEST(TestOrderClaim)
#include "TestOrderClaim.moc"
