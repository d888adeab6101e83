// Several seats on one store on a PostgreSQL server: 8 seats at once each hand out bill numbers
// and save 500 notes; afterwards every number is saved once, every note whole. Then the
// history's month query over 1,000,000 notes.
//   OVERPRINT_TEST_PG="host=127.0.0.1 port=5432 user=me dbname=overprint_test" bench_seats [seats] [notes]
#include "BenchHome.h"

#include "core/Database.h"
#include "entry/DeliveryNoteStore.h"
#include "entry/NoteDayTotals.h"
#include "history/NoteHistoryStore.h"
#include "masterdata/TIdType.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QUuid>
#include <algorithm>
#include <atomic>
#include <vector>

namespace {

constexpr int kLines = 3;

struct SeatResult {
    std::vector<double> saveMs;
    int retries = 0;
    QString error;
};

double percentile(std::vector<double> values, double p) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, static_cast<size_t>(p * (values.size() - 1) + 0.5))];
}

entry::DeliveryNote noteOf(const QString& number, int seat, int i) {
    entry::DeliveryNote note;
    note.number = number;
    note.variant = QStringLiteral("标准");
    note.customerName = QStringLiteral("座位%1 顾客%2").arg(seat).arg(i);
    note.issueDate = QDateTime::currentDateTime();
    note.total = QString::number(kLines * 10);
    for (int l = 0; l < kLines; ++l) {
        entry::NoteLine line;
        line.line = l + 1;
        line.name = QStringLiteral("商品%1").arg(l);
        line.quantity = QStringLiteral("1");
        line.price = QStringLiteral("10");
        line.amount = QStringLiteral("10");
        note.lines << line;
    }
    return note;
}

// One seat: its own connection, as a program on another PC has.
void runSeat(const core::ServerAddress& server, int seat, int notes, SeatResult& out) {
    core::Database db(QStringLiteral("seat-%1").arg(seat));
    try {
        db.openServer(server);
        entry::DeliveryNoteStore store(db);
        const auto taken = [&store](const QString& n) { return store.exists(n); };
        for (int i = 0; i < notes; ++i) {
            for (;;) {
                const QString number = masterdata::TIdType::nextNumber(QStringLiteral("S"), 1, db, taken);
                QElapsedTimer clock;
                clock.start();
                try {
                    store.save(
                        noteOf(number, seat, i),
                        [&] { masterdata::TIdType::settle(QStringLiteral("S"), 1, db, taken); }, true);
                    out.saveMs.push_back(clock.nsecsElapsed() / 1e6);
                    break;
                } catch (const core::DbError&) {
                    // Another seat saved that number first: the clerk would be asked; take the next.
                    ++out.retries;
                }
            }
        }
    } catch (const core::DbError& e) {
        out.error = e.message();
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int seats = argc > 1 ? std::atoi(argv[1]) : 8;
    const int notes = argc > 2 ? std::atoi(argv[2]) : 500;
    QString reason;
    core::ServerAddress server =
        core::ServerAddress::parse(qEnvironmentVariable("OVERPRINT_TEST_PG"), &reason);
    if (server.isEmpty()) {
        std::fprintf(stderr, "OVERPRINT_TEST_PG names no server: %s\n", qPrintable(reason));
        return 1;
    }
    server.schema = QStringLiteral("bench_") + QUuid::createUuid().toString(QUuid::Id128).left(12);
    core::Database admin(QStringLiteral("bench-admin"));
    admin.openServer(server); // builds the store once, before the seats come
    masterdata::TIdType::nextNumber(QStringLiteral("S"), 1, admin); // the series, as a first note makes it

    std::vector<SeatResult> results(seats);
    std::vector<QThread*> threads;
    QElapsedTimer wall;
    wall.start();
    for (int s = 0; s < seats; ++s)
        threads.push_back(QThread::create([&, s] { runSeat(server, s, notes, results[s]); }));
    for (QThread* t : threads)
        t->start();
    for (QThread* t : threads) {
        t->wait();
        delete t;
    }
    const double seconds = wall.elapsed() / 1000.0;

    std::vector<double> all;
    int retries = 0;
    for (const SeatResult& r : results) {
        if (!r.error.isEmpty())
            std::printf("seat failed: %s\n", qPrintable(r.error));
        all.insert(all.end(), r.saveMs.begin(), r.saveMs.end());
        retries += r.retries;
    }
    const qint64 saved = admin.scalar(QStringLiteral("select count(*) from DataCheckFHDSHD")).toLongLong();
    const qint64 distinct =
        admin.scalar(QStringLiteral("select count(distinct 票据编号) from DataCheckFHDSHD")).toLongLong();
    const qint64 lines =
        admin.scalar(QStringLiteral("select count(*) from DataCheckFHDSHDDetail")).toLongLong();
    const qint64 half =
        admin
            .scalar(QStringLiteral("select count(*) from DataCheckFHDSHD h where (select count(*) "
                                   "from DataCheckFHDSHDDetail d where d.票据编号=h.票据编号)<>:n"),
                    {{QStringLiteral("n"), kLines}})
            .toLongLong();
    std::printf(
        "seats %d x notes %d in %.1f s: saved %lld, distinct numbers %lld, lines %lld (expected %lld), "
        "notes not whole %lld, numbers taken by another seat first %d\n",
        seats, notes, seconds, static_cast<long long>(saved), static_cast<long long>(distinct),
        static_cast<long long>(lines), static_cast<long long>(saved * kLines), static_cast<long long>(half),
        retries);
    std::printf("save: median %.2f ms, 95th percentile %.2f ms\n", percentile(all, 0.5),
                percentile(all, 0.95));

    // The history's month query over a million notes, written by the server itself.
    admin.exec(QStringLiteral("delete from DataCheckFHDSHD"));
    QElapsedTimer fill;
    fill.start();
    admin.exec(QStringLiteral(
        "insert into DataCheckFHDSHD (票据编号, 模板种类, 票据状态, 合计金额, 顾客名称, 出票日期) "
        "select 'H' || g, '标准', '正常', (g % 1000)::text, '顾客' || (g % 5000), "
        "to_char(timestamp '2020-01-01' + (g % 2190) * interval '1 day' + (g % 86400) * interval '1 second', "
        "'YYYY-MM-DD HH24:MI:SS') from generate_series(1, 1000000) g"));
    admin.exec(QStringLiteral("analyze DataCheckFHDSHD"));
    std::printf("1,000,000 notes written in %.1f s\n", fill.elapsed() / 1000.0);
    // Written past the program: the day totals the history reads are counted afresh.
    fill.restart();
    entry::NoteDayTotals(admin).rebuild();
    std::printf("day totals counted in %.1f s\n", fill.elapsed() / 1000.0);
    history::NoteHistoryStore history(admin);
    history::NoteFilter filter;
    filter.anyDate = false;
    filter.from = QDate(2024, 3, 1);
    filter.to = QDate(2024, 3, 31);
    const history::NoteCondition condition = history::NoteHistoryStore::condition(filter);
    std::vector<double> monthMs;
    qint64 count = 0;
    for (int run = 0; run < 7; ++run) {
        QElapsedTimer clock;
        clock.start();
        count = history.totals(condition).count;
        admin.query(history::NoteHistoryStore::statement(condition, QStringLiteral("出票日期")) +
                        QStringLiteral(" limit 200"),
                    condition.params);
        monthMs.push_back(clock.nsecsElapsed() / 1e6);
    }
    std::printf(
        "month query (count and sum, first 200 rows) over 1,000,000 notes: %lld notes, median %.1f ms\n",
        static_cast<long long>(count), percentile(monthMs, 0.5));
    admin.exec(QStringLiteral("DROP SCHEMA \"") + server.schema + QStringLiteral("\" CASCADE"));
    return saved == distinct && half == 0 && saved == qint64(seats) * notes ? 0 : 2;
}
