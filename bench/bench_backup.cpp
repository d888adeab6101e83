// Backup and restore of a large local store: a million notes and two million goods lines made by
// SQL (a recursive count), then backups taken in steps on the event loop as the program takes them,
// the longest pause of the loop measured by a probe timer beside them, and restores timed.
// Usage: bench_backup [notes] [runs]. Prints medians.
#include "BenchHome.h"
#include "backup/BackupFile.h"
#include "backup/BackupRestore.h"
#include "backup/BackupWriter.h"
#include "entry/NoteDayTotals.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

using bench::median;

namespace {

bool run(core::Database& db, const QString& sql) {
    QSqlQuery q(db.connection());
    if (q.exec(sql))
        return true;
    std::fprintf(stderr, "%s\n", qPrintable(q.lastError().text()));
    return false;
}

// Notes S00000001… over the last days (300 a day), two lines each, in one transaction.
bool fill(core::Database& db, int notes) {
    db.begin();
    const bool ok =
        run(db,
            QStringLiteral(
                "insert into DataCheckFHDSHD (票据编号, 模板种类, 票据状态, 币种, 合计金额, 合计数量, "
                "出票日期, 订单日期, 顾客名称, 顾客联系人, 顾客地址, 开票人) "
                "with recursive n(i) as (select 1 union all select i + 1 from n where i < %1) "
                "select printf('S%08d', i), '标准', '正常', '人民币', printf('%.2f', 10.5 * (1 + i %% 7)), "
                "2 + i %% 18, date('2026-12-11', printf('-%d days', i / 300)) || ' 09:00:00', "
                "date('2026-12-11', printf('-%d days', i / 300)), '南方商贸' || (i %% 500), "
                "'联系人' || (i %% 997), '福田区华强北路' || (i %% 300) || '号', '王芳' from n")
                .arg(notes)
                .replace(QStringLiteral("%%"), QStringLiteral("%"))) &&
        run(db,
            QStringLiteral(
                "insert into DataCheckFHDSHDDetail (票据编号, 序号, 货号, 商品名, 规格, 单位, 数量, 单价, "
                "金额) select 票据编号, k, 'HH-' || k, case k when 1 then '六角螺栓' else '平垫圈' end, "
                "'M8x30', '个', '1', 合计金额, 合计金额 from DataCheckFHDSHD, "
                "(select 1 as k union all select 2)"));
    if (!ok) {
        db.rollback();
        return false;
    }
    db.commit();
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const int notes = args.size() > 1 ? args.at(1).toInt() : 1000000;
    const int runs = args.size() > 2 ? args.at(2).toInt() : 3;
    BenchHome home;
    if (!home.prepare())
        return 1;
    core::Database& db = home.app().db();
    QElapsedTimer clock;
    clock.start();
    if (!fill(db, notes))
        return 1;
    std::printf("made %d notes, %d lines in %.1f s, store %.0f MB\n", notes, 2 * notes,
                clock.elapsed() / 1000.0, QFileInfo(db.filePath()).size() / 1048576.0);
    // Written by SQL, the notes reach the kept totals as a data upgrade counts them: a store the
    // program wrote keeps them with every note.
    clock.restart();
    entry::NoteDayTotals(db).rebuild();
    std::printf("kept totals counted in %.1f s\n", clock.elapsed() / 1000.0);
    const QString folder = home.filePath(QStringLiteral("backups"));

    std::vector<double> backupSeconds, pauses, restoreSeconds;
    QString last;
    for (int i = 0; i < runs; ++i) {
        backup::BackupWriter writer(db, home.app().getRunPath(), folder);
        QEventLoop loop;
        QTimer stepper, probe;
        stepper.setInterval(0);
        probe.setInterval(0);
        QElapsedTimer sinceProbe;
        qint64 longest = 0;
        QObject::connect(&stepper, &QTimer::timeout, [&] {
            if (!writer.step())
                loop.quit();
        });
        QObject::connect(&probe, &QTimer::timeout,
                         [&] { longest = std::max(longest, sinceProbe.restart()); });
        clock.restart();
        sinceProbe.start();
        stepper.start();
        probe.start();
        loop.exec();
        if (!writer.ok()) {
            std::fprintf(stderr, "backup failed: %s\n", qPrintable(writer.error()));
            return 1;
        }
        backupSeconds.push_back(clock.elapsed() / 1000.0);
        pauses.push_back(double(longest));
        last = writer.path();
        std::printf("backup %d: %.1f s, longest pause %lld ms, %.0f MB\n", i + 1, backupSeconds.back(),
                    longest, QFileInfo(last).size() / 1048576.0);
    }
    for (int i = 0; i < runs; ++i) {
        clock.restart();
        // Where a restore spends its time: the moments it passes its named steps.
        QStringList steps;
        backup::setStepHook([&](const QString& step) {
            if (step.startsWith(QStringLiteral("restore")))
                steps << QStringLiteral("%1 %2 s").arg(step).arg(clock.elapsed() / 1000.0, 0, 'f', 1);
        });
        const backup::RestoreResult result = backup::restore(home.app(), last, folder);
        backup::setStepHook({});
        if (!result.ok) {
            std::fprintf(stderr, "restore failed: %s\n", qPrintable(result.error));
            return 1;
        }
        restoreSeconds.push_back(clock.elapsed() / 1000.0);
        std::printf("restore %d: %.1f s (its own backup first; %s)\n", i + 1, restoreSeconds.back(),
                    qPrintable(steps.join(QStringLiteral(", "))));
        QFile::remove(result.safety);
        QFile::remove(result.kept);
    }
    std::printf("median backup %.1f s, median longest pause %.0f ms, median restore %.1f s\n",
                median(backupSeconds), median(pauses), median(restoreSeconds));
    return 0;
}
