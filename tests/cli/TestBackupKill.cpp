#include "backup/BackupFile.h"
#include "backup/BackupWriter.h"
#include "core/AppContext.h"
#include "core/ProgramFolder.h"
#include "core/ScriptedDialogs.h"
#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// `overprint backup` and `overprint restore` killed at each named step: the next start finds the
// store whole, either as it was or as restored (its images with it), and every file under a
// backup's name in the folder is a whole backup.
class TestBackupKill : public QObject {
    Q_OBJECT

    static void writeFile(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
    static QByteArray readFile(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static void addNotes(core::Database& db, int from, int count) {
        for (int i = from; i < from + count; ++i)
            db.exec(
                QStringLiteral("insert into DataCheckFHDSHD (票据编号,模板种类,合计金额,出票日期,顾客名称) "
                               "values (:n,'标准','30','2026-12-01','南方商贸')"),
                {{QStringLiteral("n"), QStringLiteral("K-%1").arg(i)}});
    }
    // Exit code, or -2 when the process was killed.
    static int run(const QString& home, const QStringList& arguments, const QString& killAt) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        environment.insert(QStringLiteral("OVERPRINT_KILL_AT"), killAt);
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(OVERPRINT_BINARY),
                      QStringList{QStringLiteral("--home"), home} + arguments);
        if (!process.waitForFinished(120000)) {
            process.kill();
            process.waitForFinished();
            return -1;
        }
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    }

private slots:
    void killed_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("step");
        const QStringList backupSteps = {backup::BackupWriter::kCopied, backup::BackupWriter::kFinished,
                                         backup::BackupWriter::kChecked, backup::BackupWriter::kRenamed};
        for (const QString& step : backupSteps)
            QTest::newRow(qPrintable(QStringLiteral("backup ") + step)) << "backup" << step;
        // The restore's own backup of the state it replaces passes the same steps first.
        QStringList restoreSteps = QStringList{QStringLiteral("restore-checked")} + backupSteps;
        restoreSteps << QStringLiteral("restore-safety") << QStringLiteral("rows-copied");
        for (const QString& step : restoreSteps)
            QTest::newRow(qPrintable(QStringLiteral("restore ") + step)) << "restore" << step;
        for (const char* step : {"images-staged", "ready", "store-kept", "store-replaced", "restore-stored"})
            QTest::newRow(qPrintable(QStringLiteral("restore ") + QLatin1String(step)))
                << "restore" << QString::fromLatin1(step);
    }
    void killed() {
        QFETCH(QString, command);
        QFETCH(QString, step);
        QTemporaryDir folder;
        QString backupFile;
        {
            // The local file, whose swap is a row of renames; a server's restore is one transaction.
            TestHome seed(TestHome::Store::LocalFile);
            QVERIFY2(seed.isValid(), qPrintable(seed.error()));
            const QString home = seed.path();
            // Restored state: 2 notes and the first image; current state: 5 notes, the second.
            addNotes(seed.db(), 1, 2);
            writeFile(home + QStringLiteral("Image/form-a.jpg"), "restored image");
            if (command == QLatin1String("restore")) {
                backup::BackupWriter writer(seed.db(), home, folder.path());
                QVERIFY2(writer.run(), qPrintable(writer.error()));
                backupFile = writer.path();
            }
            addNotes(seed.db(), 3, 3);
            writeFile(home + QStringLiteral("Image/form-a.jpg"), "current image");
            const QStringList arguments =
                command == QLatin1String("backup")
                    ? QStringList{QStringLiteral("backup"), QStringLiteral("--to"), folder.path()}
                    : QStringList{QStringLiteral("restore"), backupFile, QStringLiteral("--yes")};
            const int code = run(home, arguments, step);
            QCOMPARE(code, -2); // the step was reached

            // The next start: leftovers finished or undone, then the store read afresh.
            QString error;
            QVERIFY2(core::ProgramFolder::prepare(home, &error), qPrintable(error));
            core::ScriptedDialogs dialogs;
            core::AppContext next(home, dialogs);
            next.connect();
            const qint64 notes =
                next.db().scalar(QStringLiteral("select count(*) from DataCheckFHDSHD")).toLongLong();
            const QByteArray image = readFile(home + QStringLiteral("Image/form-a.jpg"));
            if (command == QLatin1String("backup")) {
                QCOMPARE(notes, 5);
            } else {
                QVERIFY2(notes == 5 || notes == 2, qPrintable(QString::number(notes)));
                QCOMPARE(image, notes == 2 ? QByteArray("restored image") : QByteArray("current image"));
            }
            if (command == QLatin1String("backup"))
                QCOMPARE(image, QByteArray("current image"));
            next.db().close();
            // No file under a backup's name is less than a whole backup, in either folder.
            for (const QString& where : {folder.path(), home + QStringLiteral("Backup")}) {
                for (const QString& name : backup::BackupFile::list(where)) {
                    const backup::Inspection seen =
                        backup::BackupFile::inspect(QDir(where).filePath(name), true);
                    QVERIFY2(seen.ok, qPrintable(seen.error));
                }
            }
        }
    }
};

OVERPRINT_TEST(TestBackupKill)
#include "TestBackupKill.moc"
