#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include "core/ui/GridServices.h"
#include "entry/DeliveryNoteStore.h"
#include "entry/NoteDayTotals.h"
#include "history/NoteHistoryStore.h"
#include "history/ui/TfmSearch_FHDSHD.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QTest>
#include <QThread>

#include <atomic>
#include <thread>

using entry::DeliveryNote;
using entry::DeliveryNoteStore;
using entry::NoteDayTotals;
using history::NoteCondition;
using history::NoteFilter;
using history::NoteHistoryStore;

namespace {

const QDate kToday = QDate::currentDate();

DeliveryNote note(const QString& number, int daysBack, const QString& kind, const QString& state,
                  const QString& total) {
    DeliveryNote n;
    n.number = number;
    n.variant = kind;
    n.state = state;
    n.total = total;
    n.issueDate = QDateTime(kToday.addDays(-daysBack), QTime(9 + daysBack % 10, 30, 15));
    return n;
}

NoteFilter days(int from, int to) {
    NoteFilter f;
    f.anyDate = false;
    f.from = kToday.addDays(-from);
    f.to = kToday.addDays(-to);
    return f;
}

// Filters the kept totals answer; each is checked against a pass over the notes.
QList<std::pair<const char*, NoteFilter>> filters() {
    NoteFilter kind;
    kind.kind = QStringLiteral("三联");
    NoteFilter voided;
    voided.state = QStringLiteral("作废");
    NoteFilter kindInSpan = days(3, 0);
    kindInSpan.kind = QStringLiteral("标准");
    return {{"all", NoteFilter{}},       {"today", days(0, 0)}, {"last three days", days(2, 0)},
            {"a week ago", days(7, 7)},  {"kind", kind},        {"state", voided},
            {"kind in span", kindInSpan}};
}

} // namespace

class TestDayTotals : public QObject {
    Q_OBJECT

    std::unique_ptr<TestHome> home;

    core::Database& db() { return home->db(); }

    void save(const DeliveryNote& n) { DeliveryNoteStore(db()).save(n); }

    QVariantList keysOf(const QStringList& numbers) {
        QVariantList keys;
        for (const QString& number : numbers)
            keys << db().scalar(QStringLiteral("select 流水号 from DataCheckFHDSHD where 票据编号=:n"),
                                {{QStringLiteral("n"), number}});
        return keys;
    }

    // Every filter gives from the kept totals what a pass over the notes gives, and no key is
    // left behind without notes.
    void compareWithRecount() {
        NoteHistoryStore store(db());
        for (const auto& [name, filter] : filters()) {
            const NoteCondition kept = NoteHistoryStore::condition(filter);
            QVERIFY(kept.byDayTotals);
            NoteCondition recount = kept;
            recount.byDayTotals = false;
            const history::NoteTotals a = store.totals(kept);
            const history::NoteTotals b = store.totals(recount);
            QVERIFY2(a.count == b.count, qPrintable(QStringLiteral("%1: %2 kept, %3 counted")
                                                        .arg(QLatin1String(name))
                                                        .arg(a.count)
                                                        .arg(b.count)));
            QVERIFY2(a.sum.has_value() == b.sum.has_value(), name);
            if (a.sum)
                QVERIFY2(qAbs(*a.sum - *b.sum) < 1e-6, qPrintable(QStringLiteral("%1: %2 kept, %3 summed")
                                                                      .arg(QLatin1String(name))
                                                                      .arg(*a.sum, 0, 'f', 6)
                                                                      .arg(*b.sum, 0, 'f', 6)));
        }
        QCOMPARE(db().scalar(QStringLiteral("select count(*) from NoteDayTotals where 单据数<=0")).toInt(),
                 0);
    }

private slots:
    void init() {
        home = std::make_unique<TestHome>();
        QVERIFY2(home->isValid(), qPrintable(home->error()));
        save(note("A1", 0, QStringLiteral("标准"), QStringLiteral("正常"), QStringLiteral("10.50")));
        save(note("A2", 0, QStringLiteral("标准"), QStringLiteral("正常"), QStringLiteral("")));
        save(note("A3", 1, QStringLiteral("三联241"), QStringLiteral("已收款"), QStringLiteral("1 000.25x")));
        save(note("A4", 2, QStringLiteral("标准"), QStringLiteral("作废"), QStringLiteral("0.1")));
        save(note("A5", 7, QStringLiteral("三联241"), QStringLiteral("正常"), QStringLiteral("0.2")));
        save(note("A6", 7, QStringLiteral("标准"), QStringLiteral("正常"), QStringLiteral("  ")));
        // Notes of an older store without date, kind or state.
        db().exec(
            QStringLiteral("insert into DataCheckFHDSHD (票据编号, 出票日期, 模板种类, 票据状态, 合计金额) "
                           "values ('K1', null, '标准', '正常', '7'), ('K2', :day, null, '正常', '8'), "
                           "('K3', :day, '标准', null, '9'), ('K4', null, null, null, null)"),
            {{QStringLiteral("day"), DeliveryNoteStore::dateValue(QDateTime(kToday, QTime(8, 0)))}});
        NoteDayTotals(db()).put(QStringLiteral("票据编号 like 'K%'"), {});
    }
    void cleanup() { home.reset(); }

    void dayKey_data() {
        QTest::addColumn<QString>("issued");
        QTest::addColumn<QString>("key");
        QTest::newRow("time of day") << "2026-12-10 08:15:42"
                                     << "2026-12-10 00:00:00";
        QTest::newRow("last second") << "2026-12-10 23:59:59"
                                     << "2026-12-10 00:00:00";
        // Texts that do not compare with the bounds as their day does keep their own value.
        QTest::newRow("hour 24") << "2026-12-10 24:00:00"
                                 << "2026-12-10 24:00:00";
        QTest::newRow("day alone") << "2026-12-10"
                                   << "2026-12-10";
        QTest::newRow("T between") << "2026-12-10T08:00:00"
                                   << "2026-12-10T08:00:00";
        QTest::newRow("letter") << "2026-1a-10 08:00:00"
                                << "2026-1a-10 08:00:00";
        QTest::newRow("none") << ""
                              << "";
    }
    void dayKey() {
        QFETCH(QString, issued);
        QFETCH(QString, key);
        QCOMPARE(NoteDayTotals::dayKey(issued), key);
    }

    // Each change of the notes moves them in the kept totals in its own transaction.
    void keptTotalsFollowEveryChange_data() {
        QTest::addColumn<QString>("change");
        for (const char* change : {"saved", "edited", "voided", "marked", "deleted", "listed deleted",
                                   "all listed deleted", "cleared", "failed save", "odd dates"})
            QTest::newRow(change) << QString::fromLatin1(change);
    }
    void keptTotalsFollowEveryChange() {
        QFETCH(QString, change);
        NoteHistoryStore store(db());
        if (change == "edited") {
            // Another day, kind, state and amount under the same number.
            save(note("A1", 7, QStringLiteral("三联241"), QStringLiteral("作废"), QStringLiteral("99.99")));
            save(note("A3", 0, QStringLiteral("标准"), QStringLiteral("正常"), QString()));
            save(note("K1", 0, QStringLiteral("标准"), QStringLiteral("正常"), QStringLiteral("1")));
            save(note("K3", 2, QStringLiteral("三联241"), QStringLiteral("作废"), QStringLiteral("2")));
        } else if (change == "voided") {
            QCOMPARE(store.voidNotes(keysOf({"A1", "A5", "K1", "K3", "K4"})), 5);
        } else if (change == "marked") {
            QCOMPARE(store.markState({"A2", "A4", "A6", "K2", "K4"}, QStringLiteral("交易成功")), 5);
        } else if (change == "deleted") {
            QCOMPARE(store.deleteNotes({"A1", "A3", "K1", "K2", "K3"}), 5);
        } else if (change == "listed deleted") {
            const NoteCondition c = NoteHistoryStore::condition(days(2, 0));
            QCOMPARE(store.deleteListed(NoteHistoryStore::listed(c, store.totals(c).lastKey)), 6);
        } else if (change == "all listed deleted") {
            const NoteCondition c = NoteHistoryStore::condition({});
            QCOMPARE(store.deleteListed(NoteHistoryStore::listed(c, store.totals(c).lastKey)), 10);
            QCOMPARE(store.totals(c).count, 0);
        } else if (change == "cleared") {
            store.clearAll();
            QCOMPARE(store.totals({}).count, 0);
        } else if (change == "failed save") {
            DeliveryNote n = note("A2", 3, QStringLiteral("三联241"), QStringLiteral("正常"), "5");
            QVERIFY_THROWS_EXCEPTION(core::DbError, DeliveryNoteStore(db()).save(n, [] {
                throw core::DbError(QStringLiteral("stopped"));
            }));
            QCOMPARE(store.totals(NoteHistoryStore::condition(days(3, 3))).count, 0);
        } else if (change == "odd dates") {
            db().exec(QStringLiteral("insert into DataCheckFHDSHD (票据编号, 出票日期, 合计金额) values "
                                     "('O1', :day, '3'), ('O2', null, '4'), ('O3', :late, '5')"),
                      {{QStringLiteral("day"), kToday.toString(Qt::ISODate)},
                       {QStringLiteral("late"), kToday.toString(Qt::ISODate) + QStringLiteral(" 24:00:00")}});
            NoteDayTotals(db()).put(QStringLiteral("票据编号 like 'O%'"), {});
        }
        compareWithRecount();
    }

    // What earlier builds left in the kept totals is mended at start: missing key values kept as
    // NULL, one key in two rows (two seats saving at once), a count gone astray, a table a copy
    // left empty. Afterwards every change keeps them right.
    void repairMendsWhatEarlierBuildsLeft_data() {
        QTest::addColumn<QString>("left");
        for (const char* left : {"keys missing", "one key in two rows", "count astray", "emptied by a copy"})
            QTest::newRow(left) << QString::fromLatin1(left);
    }
    void repairMendsWhatEarlierBuildsLeft() {
        QFETCH(QString, left);
        // Earlier builds had no unique key.
        db().exec(QStringLiteral("drop index idx_notedaytotals_key"));
        if (left == "keys missing") {
            for (const char* column : {"出票日期", "模板种类", "票据状态"})
                db().exec(QStringLiteral("update NoteDayTotals set %1=null where %1=''")
                              .arg(QString::fromUtf8(column)));
        } else if (left == "one key in two rows") {
            const core::Params today{
                {QStringLiteral("day"),
                 NoteDayTotals::dayKey(DeliveryNoteStore::dateValue(QDateTime(kToday, QTime(9, 0))))}};
            const QString key =
                QStringLiteral(" where 出票日期=:day and 模板种类='标准' and 票据状态='正常'");
            QCOMPARE(db().scalar(QStringLiteral("select 单据数 from NoteDayTotals") + key, today).toInt(), 2);
            db().exec(QStringLiteral("update NoteDayTotals set 单据数=1") + key, today);
            db().exec(
                QStringLiteral("insert into NoteDayTotals (出票日期, 模板种类, 票据状态, 单据数, 金额数, "
                               "金额合计) values (:day, '标准', '正常', 1, 0, 0)"),
                today);
        } else if (left == "count astray") {
            db().exec(QStringLiteral("update NoteDayTotals set 单据数=单据数+2 where 票据状态='作废'"));
        } else if (left == "emptied by a copy") {
            db().exec(QStringLiteral("delete from NoteDayTotals"));
        }
        // What a start does (repair), and what a copy's target is given (ensure).
        try {
            if (left == "emptied by a copy")
                NoteDayTotals(db()).ensure();
            else
                QVERIFY(NoteDayTotals(db()).repair() == (left == "count astray"));
        } catch (const core::DbError& e) {
            QFAIL(qPrintable(e.message()));
        }
        compareWithRecount();
        // A note under a key kept already, then every note of the history taken out.
        save(note("C1", 0, QStringLiteral("标准"), QStringLiteral("正常"), QStringLiteral("3")));
        compareWithRecount();
        NoteHistoryStore store(db());
        const NoteCondition all = NoteHistoryStore::condition({});
        QCOMPARE(store.deleteListed(NoteHistoryStore::listed(all, store.totals(all).lastKey)), 11);
        compareWithRecount();
        QCOMPARE(db().scalar(QStringLiteral("select count(*) from NoteDayTotals")).toInt(), 0);
    }

    // Two seats on one server save the first note of one day, kind and state at once: the second
    // seat's save waits for the first one's row and adds to it, so taking one note out later
    // leaves the other counted.
    void twoSeatsSaveTheFirstNoteOfOneKey() {
        if (!home->onServer()) {
            QString reason;
            TestHome::testServer(&reason);
            QSKIP(qPrintable(reason));
        }
        const core::ServerAddress server = db().server();
        std::atomic<qint64> otherProcess{0};
        std::atomic<bool> go{false};
        std::atomic<bool> otherDone{false};
        QString otherError;
        std::thread other([&] {
            // A connection belongs to the thread that opens it.
            core::Database seat(QStringLiteral("second-seat"));
            try {
                seat.openServer(server);
                otherProcess = seat.scalar(QStringLiteral("select pg_backend_pid()")).toLongLong();
                while (!go)
                    QThread::msleep(5);
                DeliveryNoteStore(seat).save(
                    note("S2", 30, QStringLiteral("标准"), QStringLiteral("正常"), QStringLiteral("2")));
            } catch (const core::DbError& e) {
                otherError = e.message();
            }
            otherDone = true;
        });
        try {
            DeliveryNoteStore(db()).save(
                note("S1", 30, QStringLiteral("标准"), QStringLiteral("正常"), QStringLiteral("1")), [&] {
                    // This seat's row of the key is written and not committed yet.
                    go = true;
                    QElapsedTimer waited;
                    waited.start();
                    while (!otherDone && waited.elapsed() < 20000) {
                        const QString waiting =
                            otherProcess ? db().scalar(QStringLiteral("select wait_event_type from "
                                                                      "pg_stat_activity where pid=:p"),
                                                       {{QStringLiteral("p"), otherProcess.load()}})
                                               .toString()
                                         : QString();
                        if (waiting == QLatin1String("Lock"))
                            break;
                        QThread::msleep(10);
                    }
                });
        } catch (const core::DbError& e) {
            go = true;
            other.join();
            QFAIL(qPrintable(e.message()));
        }
        other.join();
        QVERIFY2(otherError.isEmpty(), qPrintable(otherError));
        QCOMPARE(NoteHistoryStore(db()).deleteNotes({"S1"}), 1);
        compareWithRecount();
    }

    // A store of an earlier version has no kept totals: saves go on without them, and the
    // history's first opening counts them from the notes.
    void earlierStoreCountedOnOpening() {
        db().exec(QStringLiteral("drop table NoteDayTotals"));
        save(note("B1", 0, QStringLiteral("标准"), QStringLiteral("正常"), QStringLiteral("4.50")));
        QVERIFY(!NoteDayTotals(db()).kept());
        core::ui::GridServices grids(home->app());
        history::ui::TfmSearch_FHDSHD window(home->app(), grids);
        QVERIFY(NoteDayTotals(db()).kept());
        QCOMPARE(window.foundCount(), 11);
        QCOMPARE(window.findChild<QLabel*>(QStringLiteral("lbSum"))->text(),
                 QStringLiteral("金额汇总:￥1039.55"));
        compareWithRecount();
    }
};

OVERPRINT_TEST(TestDayTotals)
#include "TestDayTotals.moc"
