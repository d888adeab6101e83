#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include "entry/DeliveryNoteStore.h"
#include "masterdata/TIdType.h"

#include <QTest>

using entry::DeliveryNote;
using entry::DeliveryNoteStore;

// Two seats on one store (two connections; on a server when OVERPRINT_TEST_PG names one): a
// bill number handed out to both is saved once, and the second seat is told instead of
// replacing the first seat's note.
class TestSeatsOnOneStore : public QObject {
    Q_OBJECT

    static DeliveryNote note(const QString& number, const QString& customer) {
        DeliveryNote n;
        n.number = number;
        n.variant = QStringLiteral("标准");
        n.customerName = customer;
        n.issueDate = QDateTime(QDate(2026, 12, 10), QTime(9, 0));
        entry::NoteLine line;
        line.line = 1;
        line.name = customer + QStringLiteral("的货");
        line.quantity = QStringLiteral("1");
        n.lines << line;
        return n;
    }

private slots:
    void numberHandedToTwoSeatsIsSavedOnce_data() {
        QTest::addColumn<bool>("secondAsksToReplace");
        QTest::newRow("second seat saves a new note") << false;
        QTest::newRow("second seat was asked and replaces") << true;
    }
    void numberHandedToTwoSeatsIsSavedOnce() {
        QFETCH(bool, secondAsksToReplace);
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        core::ScriptedDialogs otherDialogs;
        std::unique_ptr<core::AppContext> other = home.secondSeat(otherDialogs);

        DeliveryNoteStore first(home.db());
        DeliveryNoteStore second(other->db());
        const auto takenFirst = [&first](const QString& n) { return first.exists(n); };
        const auto takenSecond = [&second](const QString& n) { return second.exists(n); };
        const QString number = masterdata::TIdType::nextNumber(QStringLiteral("S"), 1, home.db(), takenFirst);
        QCOMPARE(masterdata::TIdType::nextNumber(QStringLiteral("S"), 1, other->db(), takenSecond), number);

        first.save(note(number, QStringLiteral("甲")), {}, true);
        if (secondAsksToReplace) {
            second.save(note(number, QStringLiteral("乙")), {}, false);
        } else {
            try {
                second.save(note(number, QStringLiteral("乙")), {}, true);
                QFAIL("the second seat replaced a note it was never asked about");
            } catch (const core::DbError& e) {
                QVERIFY2(e.message().contains(number), qPrintable(e.message()));
            }
        }

        const QString kept = secondAsksToReplace ? QStringLiteral("乙") : QStringLiteral("甲");
        QCOMPARE(home.db()
                     .scalar(QStringLiteral("select count(*) from DataCheckFHDSHD where 票据编号=:n"),
                             {{QStringLiteral("n"), number}})
                     .toInt(),
                 1);
        const std::optional<DeliveryNote> stored = second.load(number);
        QVERIFY(stored);
        QCOMPARE(stored->customerName, kept);
        QCOMPARE(stored->lines.size(), 1);
        QCOMPARE(stored->lines.first().name, kept + QStringLiteral("的货"));
        // The series hands the second seat the next number now.
        QVERIFY(masterdata::TIdType::nextNumber(QStringLiteral("S"), 1, other->db(), takenSecond) != number);
    }
};

OVERPRINT_TEST(TestSeatsOnOneStore)
#include "TestSeatsOnOneStore.moc"
