#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include "batch/OrderStore.h"
#include "core/DbError.h"

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

    // Two stores on one server (two schemas) are strangers: an order number held or locked in
    // one keeps nobody waiting in the other, while a second seat of the same store is kept out.
    // Every seat's connection probes a silent peer, so the holds of a seat whose PC died go
    // within a minute or two.
    void storesOnOneServerHoldTheirOwn() {
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        if (!home.onServer()) {
            QString reason;
            TestHome::testServer(&reason);
            QSKIP(qPrintable(reason));
        }
        TestHome otherStore;
        QVERIFY2(otherStore.isValid() && otherStore.onServer(), qPrintable(otherStore.error()));
        core::ScriptedDialogs seatDialogs;
        auto sameStore = home.secondSeat(seatDialogs);
        for (core::Database* db : {&home.db(), &otherStore.db()})
            addOrders(*db, {QStringLiteral("C1")});
        const QStringList listed = {QStringLiteral("未打印")};
        const QStringList order = {QStringLiteral("C1")};
        QStringList refused;
        QCOMPARE(OrderStore(home.db()).claim(order, listed, refused), order);
        QCOMPARE(OrderStore(otherStore.db()).claim(order, listed, refused), order);
        QCOMPARE(OrderStore(sameStore->db()).claim(order, listed, refused), QStringList());
        QCOMPARE(refused.size(), 1);

        // The save's lock of a note number: the other store's transaction does not wait for it.
        home.db().begin();
        home.db().lockName(QStringLiteral("note:00000001"));
        otherStore.db().exec(QStringLiteral("set lock_timeout = 3000"));
        otherStore.db().begin();
        bool waited = false;
        try {
            otherStore.db().lockName(QStringLiteral("note:00000001")); // gives up after 3 s of waiting
        } catch (const core::DbError&) {
            waited = true;
        }
        otherStore.db().rollback();
        home.db().rollback();
        QVERIFY(!waited);

        const QSqlDatabase connection = QSqlDatabase::database(home.db().connectionName(), false);
        QVERIFY2(connection.connectOptions().contains(QLatin1String("keepalives=1")),
                 qPrintable(connection.connectOptions()));
        // The server's side of this session, in seconds.
        const auto setting = [&home](const char* name) {
            return home.db()
                .scalar(QStringLiteral("select setting from pg_settings where name = :n"),
                        {{QStringLiteral("n"), QString::fromLatin1(name)}})
                .toInt();
        };
        QVERIFY(setting("tcp_keepalives_idle") > 0 && setting("tcp_keepalives_count") > 0);
        // At most a minute and a half from the last word to the dropped connection.
        const int silent = setting("tcp_keepalives_idle") +
                           setting("tcp_keepalives_interval") * setting("tcp_keepalives_count");
        QVERIFY2(silent <= 90, qPrintable(QString::number(silent)));
    }
};

OVERPRINT_TEST(TestOrderClaim)
#include "TestOrderClaim.moc"
