#include "backup/BackupFile.h"
#include "backup/BackupPlan.h"
#include "backup/BackupRestore.h"
#include "backup/BackupWriter.h"
#include "backup/SqliteFile.h"
#include "core/IniFile.h"
#include "entry/NoteDayTotals.h"
#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <memory>

// A backup taken and restored as the clerk meets it: every table and image back as they were,
// and every file that is not a whole backup of this program refused without a change.
class TestBackup : public QObject {
    Q_OBJECT

    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<QTemporaryDir> m_folder;

    core::Database& db() { return m_home->db(); }
    QString imagePath(const QString& name) const { return m_home->path() + QStringLiteral("Image/") + name; }

    void addNote(const QString& number, const QString& customer) {
        db().exec(
            QStringLiteral(
                "insert into DataCheckFHDSHD (票据编号,模板种类,币种,合计金额,出票日期,顾客名称,票据状态) "
                "values (:n,'标准','人民币','30','2026-12-01',:c,'正常')"),
            {{QStringLiteral("n"), number}, {QStringLiteral("c"), customer}});
        db().exec(QStringLiteral("insert into DataCheckFHDSHDDetail (票据编号,序号,商品名,数量,单价,金额) "
                                 "values (:n,1,'螺丝','3','10','30')"),
                  {{QStringLiteral("n"), number}});
        // As every writer of the notes does, so the kept totals the backup carries are true.
        entry::NoteDayTotals(db()).put(QStringLiteral("票据编号=:n"), {{QStringLiteral("n"), number}});
    }

    static void writeFile(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
    static QByteArray readFile(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // Every table of the store as sorted lines of its rows; images are compared as files, and
    // the day totals are counted again from the notes a restore brings.
    QMap<QString, QStringList> snapshot() {
        QMap<QString, QStringList> out;
        for (const QString& table : db().tables()) {
            // The day totals are counted again after a restore, from the notes; the kept sales
            // come with them and must be the same.
            static const QStringList recounted{QStringLiteral("NoteDayTotals")};
            if (table.compare(QStringLiteral("StoreImages"), Qt::CaseInsensitive) == 0 ||
                recounted.contains(table, Qt::CaseInsensitive))
                continue;
            QStringList rows;
            core::Recordset rs = db().query(QStringLiteral("select * from \"%1\"").arg(table));
            for (rs.first(); !rs.eof(); rs.next()) {
                QStringList cells;
                for (int i = 0; i < rs.fieldCount(); ++i)
                    cells << rs.value(i).toString();
                rows << cells.join(QLatin1Char('|'));
            }
            rows.sort();
            out.insert(table.toLower(), rows);
        }
        return out;
    }

    qint64 notes() {
        return db().scalar(QStringLiteral("select count(*) from DataCheckFHDSHD")).toLongLong();
    }

    QString takeBackup() {
        backup::BackupWriter writer(db(), m_home->path(), m_folder->path());
        if (!writer.run())
            qWarning() << writer.error();
        return writer.ok() ? writer.path() : QString();
    }

private slots:
    void init() {
        m_home = std::make_unique<TestHome>();
        QVERIFY2(m_home->isValid(), qPrintable(m_home->error()));
        m_folder = std::make_unique<QTemporaryDir>();
        addNote(QStringLiteral("A-1"), QStringLiteral("南方商贸"));
        addNote(QStringLiteral("A-2"), QStringLiteral("北方五金"));
        db().exec(QStringLiteral("insert into CKPersonalInfoTable (全称) values ('南方商贸')"));
        writeFile(imagePath(QStringLiteral("form-a.jpg")), QByteArray("first image bytes\0\xff", 19));
        core::IniFile ini(m_home->path() + QStringLiteral("Config.ini"));
        ini.writeString(QStringLiteral("Config"), QStringLiteral("Printer"), QStringLiteral("票据打印机"));
        QVERIFY(ini.flush());
    }
    void cleanup() {
        backup::setStepHook({});
        m_home.reset();
        m_folder.reset();
    }

    // Backup, then changes of every kind, then the restore: the tables row for row, the images
    // byte for byte and the settings as they were at the backup; this seat's sections stay.
    void roundTrip() {
        const QMap<QString, QStringList> before = snapshot();
        const QByteArray image = readFile(imagePath(QStringLiteral("form-a.jpg")));
        const QString file = takeBackup();
        QVERIFY(!file.isEmpty());
        QVERIFY(QFileInfo(file).fileName().startsWith(QStringLiteral("overprint-备份-")));
        const backup::Inspection seen = backup::BackupFile::inspect(file, true);
        QVERIFY2(seen.ok, qPrintable(seen.error));
        QCOMPARE(seen.manifest.notes(), 2);
        QCOMPARE(seen.manifest.customers(), before.value(QStringLiteral("ckpersonalinfotable")).size());

        db().exec(QStringLiteral("delete from DataCheckFHDSHD where 票据编号='A-1'"));
        addNote(QStringLiteral("B-9"), QStringLiteral("新客户"));
        db().exec(QStringLiteral("update CKPersonalInfoTable set 全称='改过的名字'"));
        writeFile(imagePath(QStringLiteral("form-a.jpg")), "changed");
        QFile::remove(imagePath(QStringLiteral("form-b.jpg")));
        {
            core::IniFile& ini = m_home->app().userIni();
            ini.writeString(QStringLiteral("Config"), QStringLiteral("Printer"),
                            QStringLiteral("别的打印机"));
            ini.writeString(QStringLiteral("Backup"), QStringLiteral("Daily"), QStringLiteral("3"));
            ini.flush();
        }
        QVERIFY(snapshot() != before);

        const backup::RestoreResult result = backup::restore(m_home->app(), file, m_folder->path());
        QVERIFY2(result.ok, qPrintable(result.error));
        const QMap<QString, QStringList> after = snapshot();
        for (auto it = before.cbegin(); it != before.cend(); ++it)
            QVERIFY2(after.value(it.key()) == it.value(), qPrintable(it.key()));
        QCOMPARE(readFile(imagePath(QStringLiteral("form-a.jpg"))), image);
        core::IniFile& ini = m_home->app().userIni();
        QCOMPARE(ini.readString(QStringLiteral("Config"), QStringLiteral("Printer")),
                 QStringLiteral("票据打印机"));
        QCOMPARE(ini.readString(QStringLiteral("Backup"), QStringLiteral("Daily")), QStringLiteral("3"));
        // The state the restore replaced is a whole backup of its own.
        const backup::Inspection safety = backup::BackupFile::inspect(result.safety, true);
        QVERIFY2(safety.ok, qPrintable(safety.error));
        QCOMPARE(safety.manifest.notes(), 2);
        QVERIFY(safety.manifest.rows(QStringLiteral("DataCheckFHDSHDDetail")) == 3);
    }

    // The clerk writes between any two steps of a backup taken on the event loop: the file holds
    // the store as it was at the last page (the writes before it carried in) and its manifest
    // says so; counting, images, manifest and the check run on the worker, never in a step.
    void writesBetweenSteps() {
        const bool local = db().engine() == core::Engine::SQLite;
        if (local) {
            // A few megabytes: several steps of pages.
            QSqlQuery fill(db().connection());
            QVERIFY(fill.exec(QStringLiteral(
                "insert into DataCheckFHDSHD "
                "(票据编号,模板种类,币种,合计金额,出票日期,顾客名称,票据状态,顾客地址) "
                "with recursive n(i) as (select 1 union all select i + 1 from n where i < 6000) "
                "select 'F-' || i,'标准','人民币','30','2026-12-01','南方商贸','正常',hex(randomblob(300)) "
                "from n")));
        }
        const qint64 before = notes();
        QThread* const loop = QThread::currentThread();
        QStringList onLoop, offLoop; // each written by one thread only
        qint64 atLastPage = -1;
        backup::setStepHook([&](const QString& step) {
            if (QThread::currentThread() != loop) {
                offLoop << step;
                return;
            }
            onLoop << step;
            if (step == backup::BackupWriter::kCopied)
                atLastPage = notes();
        });
        int written = 0;
        {
            backup::BackupWriter writer(db(), m_home->path(), m_folder->path());
            while (writer.step()) {
                addNote(QStringLiteral("W-%1").arg(++written), QStringLiteral("北方五金"));
                QThread::msleep(1);
            }
            QVERIFY2(writer.ok(), qPrintable(writer.error()));
            const backup::Inspection seen = backup::BackupFile::inspect(writer.path(), true);
            QVERIFY2(seen.ok, qPrintable(seen.error));
            QVERIFY(seen.manifest.notes() >= before && seen.manifest.notes() < notes());
            if (local) {
                QCOMPARE(seen.manifest.notes(), atLastPage);
                QVERIFY2(atLastPage > before + 2, "writes during the copy are carried into it");
            }
        }
        using W = backup::BackupWriter;
        const QStringList loopSteps =
            local ? QStringList{W::kCopied, W::kChecked, W::kRenamed} : QStringList{W::kChecked, W::kRenamed};
        const QStringList workerSteps =
            local ? QStringList{W::kFinished} : QStringList{W::kCopied, W::kFinished};
        QCOMPARE(onLoop, loopSteps);
        QCOMPARE(offLoop, workerSteps);
    }

    void refused_data() {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("says");
        QTest::newRow("rows removed") << "rows"
                                      << "行数与备份清单不符";
        QTest::newRow("pages overwritten") << "bytes"
                                           << "损坏";
        QTest::newRow("text file") << "text"
                                   << "不是本软件的备份文件";
        QTest::newRow("other database") << "foreign"
                                        << "没有备份清单";
        QTest::newRow("newer program") << "newer"
                                       << "较新的版本";
        QTest::newRow("cut short") << "truncated"
                                   << "不完整";
        QTest::newRow("empty") << "empty"
                               << "不是本软件的备份文件";
    }
    // A refused file leaves the store, its images and the backup folder as they were.
    void refused() {
        QFETCH(QString, damage);
        QFETCH(QString, says);
        const QString file = takeBackup();
        QVERIFY(!file.isEmpty());
        QByteArray bytes = readFile(file);
        backup::SqliteFile edit;
        if (damage == QLatin1String("rows")) {
            QVERIFY(edit.open(file, false));
            QVERIFY(edit.exec(QStringLiteral("delete from DataCheckFHDSHD where rowid in "
                                             "(select rowid from DataCheckFHDSHD limit 1)")));
        } else if (damage == QLatin1String("newer")) {
            QVERIFY(edit.open(file, false));
            QVERIFY(edit.exec(QStringLiteral("update BackupManifest set Value='999.0' where Key='program'")));
        } else if (damage == QLatin1String("foreign")) {
            QVERIFY(edit.open(file, false));
            QVERIFY(edit.exec(QStringLiteral("drop table BackupManifest")));
        } else if (damage == QLatin1String("bytes")) {
            const int page = 4096;
            for (int at = 2 * page; at + page <= bytes.size(); at += 3 * page)
                bytes.replace(at + 100, page - 200, QByteArray(page - 200, '\x5a'));
            writeFile(file, bytes);
        } else if (damage == QLatin1String("truncated")) {
            writeFile(file, bytes.left(bytes.size() / 2 + 100));
        } else if (damage == QLatin1String("text")) {
            writeFile(file, "票据编号,顾客名称\nA-1,南方商贸\n");
        } else {
            writeFile(file, QByteArray());
        }
        edit.close();
        db().exec(QStringLiteral("delete from DataCheckFHDSHD where 票据编号='A-1'"));
        writeFile(imagePath(QStringLiteral("form-a.jpg")), "kept as it is");
        const QMap<QString, QStringList> before = snapshot();
        const QStringList folder = QDir(m_folder->path()).entryList(QDir::Files);

        const backup::RestoreResult result = backup::restore(m_home->app(), file, m_folder->path());
        QVERIFY(!result.ok);
        QVERIFY2(result.error.contains(says), qPrintable(result.error));
        QVERIFY2(result.error.contains(QStringLiteral("数据没有改变")), qPrintable(result.error));
        QCOMPARE(snapshot(), before);
        QCOMPARE(readFile(imagePath(QStringLiteral("form-a.jpg"))), QByteArray("kept as it is"));
        QCOMPARE(QDir(m_folder->path()).entryList(QDir::Files), folder);
    }
};

OVERPRINT_TEST(TestBackup)
#include "TestBackup.moc"
