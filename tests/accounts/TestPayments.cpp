#include "support/TestHome.h"
#include "support/TestRegistry.h"
#include "support/Typing.h"

#include "accounts/Ledger.h"
#include "accounts/PaymentStore.h"
#include "accounts/ui/TfrmPayments.h"
#include "core/ui/DataGrid.h"
#include "history/NoteHistoryStore.h"
#include "masterdata/TPerson.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

using namespace accounts;

namespace {

Payment payment(const QString& customer, qint64 cents, const QString& note = {}) {
    Payment p;
    p.date = QDate(2026, 12, 1);
    p.customer = customer;
    p.cents = cents;
    p.method = QStringLiteral("转账");
    p.note = note;
    return p;
}

} // namespace

class TestPayments : public QObject {
    Q_OBJECT

    std::unique_ptr<TestHome> home;

private slots:
    // One store for the class (a fresh schema per row costs seconds on the server); each test
    // starts with no payments and the login off.
    void initTestCase() {
        home = std::make_unique<TestHome>();
        QVERIFY2(home->isValid(), qPrintable(home->error()));
        masterdata::TPerson unit;
        unit.setFullName(QStringLiteral("Acme贸易"));
        unit.setUnitType(QStringLiteral("往来单位"));
        unit.save(home->db());
    }
    void init() {
        home->db().exec(QStringLiteral("delete from Payments"));
        home->app().userName.clear();
        home->app().userRole.clear();
    }
    void cleanupTestCase() { home.reset(); }

    void typedAmounts_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<qint64>("cents"); // 0: refused
        QTest::newRow("groups") << "12,345.60" << qint64(1234560);
        QTest::newRow("full-width") << "１２３．４５" << qint64(12345);
        QTest::newRow("blank groups") << "1 000" << qint64(100000);
        QTest::newRow("refund") << "-20.5" << qint64(-2050);
        QTest::newRow("full-width minus") << "－８" << qint64(-800);
        QTest::newRow("zero") << "0.00" << qint64(0);
        QTest::newRow("words") << "一百" << qint64(0);
        QTest::newRow("too large") << "1000000000" << qint64(0);
    }
    void typedAmounts() {
        QFETCH(QString, typed);
        QFETCH(qint64, cents);
        const std::optional<qint64> read = PaymentStore::typedCents(typed);
        QCOMPARE(read.value_or(0), cents);
        if (!read)
            return;
        // The customer is stored as the address book holds it; the amount exactly.
        PaymentStore store(home->app());
        const qint64 id = store.add(payment(QStringLiteral("ACME贸易"), *read));
        QCOMPARE(home->db()
                     .scalar(QStringLiteral("select 金额分 from Payments where ID=:id"), {{"id", id}})
                     .toLongLong(),
                 cents);
        QCOMPARE(store.find(id)->customer, QStringLiteral("Acme贸易"));
    }

    void rights_data() {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("role");
        QTest::addColumn<bool>("add");
        QTest::addColumn<bool>("change");
        QTest::newRow("login off") << ""
                                   << "" << true << true;
        QTest::newRow("administrator") << "王"
                                       << "管理员" << true << true;
        QTest::newRow("order clerk") << "李"
                                     << "订单处理员" << true << true;
        QTest::newRow("entry clerk adds only") << "赵"
                                               << "录单员" << true << false;
        QTest::newRow("no role") << "钱"
                                 << "" << false << false;
    }
    void rights() {
        QFETCH(QString, user);
        QFETCH(QString, role);
        QFETCH(bool, add);
        QFETCH(bool, change);
        const qint64 kept = PaymentStore(home->app()).add(payment(QStringLiteral("Acme贸易"), 500));
        home->app().userName = user;
        home->app().userRole = role;
        PaymentStore store(home->app());
        const auto refused = [](const std::function<void()>& work) {
            try {
                work();
                return false;
            } catch (const PaymentRefused& e) {
                return e.text().contains(QStringLiteral("无权"));
            }
        };
        QCOMPARE(refused([&] { store.add(payment(QStringLiteral("Acme贸易"), 100)); }), !add);
        Payment changed = *store.find(kept);
        changed.cents = 900;
        QCOMPARE(refused([&] { store.change(changed); }), !change);
        QCOMPARE(refused([&] { store.remove(kept); }), !change);
        QCOMPARE(home->db().scalar(QStringLiteral("select count(*) from Payments")).toInt(),
                 1 + int(add) - int(change));
        if (!user.isEmpty() && add && change)
            QCOMPARE(home->db().scalar(QStringLiteral("select 操作员 from Payments")).toString(), user);
    }

    void unknownCustomerRefused() {
        PaymentStore store(home->app());
        QVERIFY_THROWS_EXCEPTION(PaymentRefused, store.add(payment(QStringLiteral("无名氏"), 100)));
        QCOMPARE(home->db().scalar(QStringLiteral("select count(*) from Payments")).toInt(), 0);
    }

    void twoSeats() {
        core::ScriptedDialogs otherDialogs;
        auto other = home->secondSeat(otherDialogs);
        PaymentStore first(home->app()), second(*other);
        const qint64 a = first.add(payment(QStringLiteral("Acme贸易"), 100));
        const qint64 b = second.add(payment(QStringLiteral("Acme贸易"), 200));
        QVERIFY(a != b);
        QCOMPARE(first.sum({}), qint64(300));
        Payment stale = *first.find(b);
        second.remove(b);
        stale.cents = 250;
        try {
            first.change(stale);
            QFAIL("a change of a deleted payment was taken");
        } catch (const PaymentRefused& e) {
            QVERIFY(e.text().contains(QStringLiteral("已被其他用户删除")));
        }
        QCOMPARE(second.sum({}), qint64(100));
    }

    // The history's 收款 column follows the payments that name a note.
    void historyPaidColumn() {
        home->db().exec(
            QStringLiteral("insert into DataCheckFHDSHD (票据编号, 顾客名称, 出票日期, 合计金额) values "
                           "('P1','Acme贸易','2026-12-01 09:00:00','100.10'), "
                           "('P2','Acme贸易','2026-12-01 09:00:00','100.10'), "
                           "('P3','Acme贸易','2026-12-01 09:00:00','100.10')"));
        PaymentStore store(home->app());
        store.add(payment(QStringLiteral("Acme贸易"), 5000, QStringLiteral("P2")));
        store.add(payment(QStringLiteral("Acme贸易"), 6000, QStringLiteral("p3")));
        store.add(payment(QStringLiteral("Acme贸易"), 4010, QStringLiteral("P3")));
        core::Recordset rs =
            home->db().query(history::NoteHistoryStore::statement({}, QStringLiteral("票据编号")));
        QStringList got;
        for (rs.first(); !rs.eof(); rs.next())
            got << rs.text(QStringLiteral("票据编号")) + rs.text(QStringLiteral("收款"));
        QCOMPARE(got, (QStringList{"P3已收", "P2部分", "P1未收"}));
    }

    // The register driven as a clerk drives it: keys to the focused widget only.
    void registerWindowByKeys() {
        accounts::ui::TfrmPayments window(home->app());
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QCOMPARE(window.grid().rowCount(), 0);
        // The editor is modal: it is typed into from a timer once it is the active window; any
        // failure closes it, so the test ends instead of waiting.
        QString seen;
        QTimer poll;
        poll.setInterval(20);
        connect(&poll, &QTimer::timeout, [&] {
            auto* editor = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!editor || !QTest::qWaitForWindowActive(editor) ||
                !editor->isAncestorOf(QApplication::focusWidget()))
                return;
            poll.stop();
            seen = editor->objectName();
            typeText(QApplication::focusWidget(), QStringLiteral("acme"));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            typeText(QApplication::focusWidget(), QStringLiteral("1,234.5"));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            if (editor->isVisible()) {
                seen = editor->findChild<QLabel*>(QStringLiteral("lblFault"))->text();
                editor->reject();
            }
        });
        poll.start();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Insert);
        QCOMPARE(seen, QStringLiteral("PaymentEditor"));
        QCOMPARE(window.grid().rowCount(), 1);
        QCOMPARE(window.grid().value(0, QStringLiteral("顾客名称")).toString(), QStringLiteral("Acme贸易"));
        QVERIFY2(window.sumText().contains(QStringLiteral("1234.50")), qPrintable(window.sumText()));
        home->dialogs().answers.enqueue(1);
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTRY_VERIFY(QApplication::focusWidget() == &window.grid());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
        QCOMPARE(window.grid().rowCount(), 0);
        QVERIFY(window.sumText().contains(QStringLiteral("0.00")));
    }
};

OVERPRINT_TEST(TestPayments)
#include "TestPayments.moc"
