#include "backup/BackupFile.h"
#include "backup/BackupRotation.h"
#include "support/TestRegistry.h"

#include <QSet>
#include <QTest>

// A year of backups, the rotation run after each one as the program runs it: what is left at
// the year's end is the newest of each of the last days, weeks and months.
class TestBackupRotation : public QObject {
    Q_OBJECT

    static QString at(const QDate& day, const QString& hhmm) {
        return backup::BackupFile::fileName(QDateTime(day, QTime::fromString(hhmm, QStringLiteral("HHmm"))));
    }

private slots:
    void year_data() {
        QTest::addColumn<int>("daily");
        QTest::addColumn<int>("weekly");
        QTest::addColumn<int>("monthly");
        QTest::addColumn<bool>("weekdaysOnly");
        QTest::addColumn<QStringList>("times");
        QTest::addColumn<int>("left");
        QTest::addColumn<QStringList>("kept");    // yyyy-MM-dd-HHmm
        QTest::addColumn<QStringList>("removed"); // yyyy-MM-dd-HHmm
        // Daily Dec 25–31; weeks add Dec 20 and 13 (Dec 27 is a day kept already); months add
        // the last day of January to November.
        QTest::newRow("every day") << 7 << 4 << 12 << false << QStringList{"0930"} << 20
                                   << QStringList{"2026-12-25-0930", "2026-12-20-0930", "2026-12-13-0930",
                                                  "2026-01-31-0930", "2026-02-28-0930", "2026-11-30-0930"}
                                   << QStringList{"2026-12-24-0930", "2026-12-19-0930", "2026-12-06-0930",
                                                  "2026-01-30-0930", "2026-11-29-0930"};
        QTest::newRow("twice a day: the later stays")
            << 7 << 4 << 12 << false << QStringList{"0930", "1800"} << 20
            << QStringList{"2026-12-31-1800", "2026-12-25-1800", "2026-06-30-1800"}
            << QStringList{"2026-12-31-0930", "2026-12-25-0930", "2026-06-30-0930"};
        // Days without a backup do not count: the last seven backup days reach back to Dec 23;
        // months end on their last weekday.
        QTest::newRow("weekdays only") << 7 << 4 << 12 << true << QStringList{"0930"} << 20
                                       << QStringList{"2026-12-23-0930", "2026-12-18-0930", "2026-12-11-0930",
                                                      "2026-10-30-0930", "2026-05-29-0930", "2026-01-30-0930"}
                                       << QStringList{"2026-12-22-0930", "2026-10-29-0930"};
        QTest::newRow("days only") << 3 << 0 << 0 << false << QStringList{"0930"} << 3
                                   << QStringList{"2026-12-29-0930", "2026-12-31-0930"}
                                   << QStringList{"2026-12-28-0930", "2026-11-30-0930"};
        QTest::newRow("fewer months kept")
            << 7 << 4 << 3 << false << QStringList{"0930"} << 11
            << QStringList{"2026-10-31-0930", "2026-11-30-0930"} << QStringList{"2026-09-30-0930"};
    }
    void year() {
        QFETCH(int, daily);
        QFETCH(int, weekly);
        QFETCH(int, monthly);
        QFETCH(bool, weekdaysOnly);
        QFETCH(QStringList, times);
        QFETCH(int, left);
        QFETCH(QStringList, kept);
        QFETCH(QStringList, removed);
        const backup::Keep keep{daily, weekly, monthly};
        // Never the rotation's: another program's file, a backup being written, another name.
        const QStringList others = {QStringLiteral("notes.txt"),
                                    QStringLiteral("overprint-备份-2026-01-01-0930.opbak.part"),
                                    QStringLiteral("overprint-备份-2026-01-02.opbak")};
        QStringList folder = others;
        for (QDate day(2026, 1, 1); day <= QDate(2026, 12, 31); day = day.addDays(1)) {
            if (weekdaysOnly && day.dayOfWeek() > 5)
                continue;
            for (const QString& time : times) {
                folder << at(day, time);
                const QStringList out = backup::rotateOut(folder, keep);
                QVERIFY(!out.contains(at(day, time)));
                for (const QString& name : out)
                    folder.removeOne(name);
            }
        }
        for (const QString& name : others)
            QVERIFY2(folder.contains(name), qPrintable(name));
        QCOMPARE(folder.size() - others.size(), left);
        const auto named = [](const QString& stamp) {
            return backup::BackupFile::fileName(
                QDateTime::fromString(stamp, QStringLiteral("yyyy-MM-dd-HHmm")));
        };
        for (const QString& stamp : kept)
            QVERIFY2(folder.contains(named(stamp)), qPrintable(stamp));
        for (const QString& stamp : removed)
            QVERIFY2(!folder.contains(named(stamp)), qPrintable(stamp));
    }

    // Two backups of one minute: the second (-2, then -10 after -9) is the newer one and stays.
    void sameMinute() {
        const QString first = at(QDate(2026, 12, 11), QStringLiteral("0930"));
        const QString base = first.chopped(6);
        const backup::Keep oneDay{1, 0, 0};
        QCOMPARE(backup::rotateOut({first, base + QStringLiteral("-2.opbak")}, oneDay), QStringList{first});
        QCOMPARE(backup::rotateOut({base + QStringLiteral("-10.opbak"), base + QStringLiteral("-9.opbak")},
                                   oneDay),
                 QStringList{base + QStringLiteral("-9.opbak")});
    }
};

OVERPRINT_TEST(TestBackupRotation)
#include "TestBackupRotation.moc"
