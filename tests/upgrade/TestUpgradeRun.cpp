#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include "EarlierDatabase.h"
#include "core/ColumnOps.h"
#include "core/ProgramFolder.h"
#include "imports/ColumnMatching.h"
#include "upgrade/DataFile.h"
#include "upgrade/UpgradeRun.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <memory>

using upgrade::UpgradeRun;

// The upgrade run on a database of an earlier version built here.
class TestUpgradeRun : public QObject {
    Q_OBJECT

    std::unique_ptr<TestHome> m_home;
    core::Database& db() { return m_home->db(); }
    core::ScriptedDialogs& dialogs() { return m_home->dialogs(); }
    QString packagePath() { return m_home->app().pathOf(QStringLiteral("Data/Template.a01")); }

    int count(const QString& sql) { return db().scalar(sql).toInt(); }

    // What must survive any run: rows of every table that holds the user's data.
    QString rowCounts() {
        QStringList counts;
        for (const char* table : {"DataCheckFHDSHD", "CKPersonalInfoTable", "CKTypeTable", "ckControl",
                                  "UserTable", "Products", "ReceiverList"})
            counts << QString::number(
                count(QStringLiteral("select count(*) from ") + QString::fromLatin1(table)));
        return counts.join(QLatin1Char(','));
    }
    // Every table, column and index of the store, as the engine describes them.
    QString schemaText() {
        return db()
            .query(db().engine() == core::Engine::SQLite
                       ? QStringLiteral("select group_concat(sql,';') from (select sql from sqlite_master "
                                        "order by name) as s")
                       : QStringLiteral(
                             "select group_concat(d, ';') from (select table_name || '.' || column_name || "
                             "' ' || data_type as d from information_schema.columns where "
                             "table_schema=current_schema() union all select indexdef from pg_indexes "
                             "where schemaname=current_schema() order by 1) as s"))
            .text(0);
    }
    QString packageVersion() {
        core::Database package(QStringLiteral("test_package"));
        package.open(packagePath());
        return package.scalar(QStringLiteral("select DMValue from _Config where DMName='version'"))
            .toString();
    }
    QStringList backups() {
        return QDir(m_home->app().pathOf(QStringLiteral("Data"))).entryList({QStringLiteral("EPData.ini.*")});
    }

private slots:
    void init() {
        m_home = std::make_unique<TestHome>();
        QVERIFY2(m_home->isValid(), qPrintable(m_home->error()));
        earlier::makeEarlier(db(), 30, 20);
        m_home->app().version = QStringLiteral("9.28");
    }
    void cleanup() { m_home.reset(); }

    void upgradesAndKeepsEveryRow() {
        const QString counts = rowCounts();
        const int lines = count(QStringLiteral("select count(*) from NameDict where CtlType='LINE'"));
        QVERIFY(lines > 0);
        // A tick item an earlier run stored as text.
        db().exec(QStringLiteral(
            "insert into NameDict (CheckTypeName,CtlName,CtlLabel,CtlType,PrintItem,ShowOrd) values "
            "('快递单','DEFCHECK5','勾选5','Text',1,414)"));
        const int items = count(QStringLiteral("select count(*) from NameDict"));
        // An earlier file without the import rules gets the table and its defaults inside the run.
        db().exec(QStringLiteral("drop table MatchColumn"));
        UpgradeRun run(m_home->app());
        run.createMatchColumn = [this](core::Database& target) {
            return imports::ColumnMatching::createMatchColumnTableIfNotExists(m_home->app(), target);
        };
        int last = 0;
        QString lastLine;
        run.progress = [&](int position, const QString& line) {
            QVERIFY(position >= last && position <= UpgradeRun::kMaximum);
            last = position;
            lastLine = line;
        };
        QCOMPARE(run.run(), UpgradeRun::Outcome::Upgraded);
        QVERIFY2(dialogs().lastText().startsWith(QStringLiteral("恭喜，升级成功啦！")),
                 qPrintable(dialogs().lastText()));
        QCOMPARE(dialogs().shown.size(), 1);
        QCOMPARE(lastLine, QStringLiteral("进度:150/150    升级完成！"));
        QCOMPARE(rowCounts(), counts);
        QCOMPARE(count(QStringLiteral("select count(*) from MatchColumn")),
                 int(imports::ColumnMatching::defaultRules().size()));
        QCOMPARE(count(QStringLiteral("select count(*) from CKTypeTable where OldExtra='kept'")),
                 count(QStringLiteral("select count(*) from CKTypeTable")) - 1);
        // The history's day totals counted from the notes the earlier version saved.
        QCOMPARE(
            db().query(QStringLiteral("select 出票日期, 单据数, 金额合计 from NoteDayTotals")).recordCount(),
            1);
        QCOMPARE(count(QStringLiteral("select 单据数 from NoteDayTotals")), 30);
        QCOMPARE(db().scalar(QStringLiteral("select 金额合计 from NoteDayTotals")).toDouble(), 30 * 12.5);

        core::ColumnOps ops(m_home->app());
        const QList<QPair<QString, QString>> columns{
            {"CKTypeTable", "TypeFirstName"}, {"CKTypeTable", "IsCommon"}, {"CKTypeTable", "PWidth"},
            {"CKTypeTable", "IniFile"},       {"ckControl", "InitValue"},  {"ckControl", "NeedShow"},
            {"NameDict", "CtlData"},          {"ReceiverList", "体积"},    {"ReceiverList", "自定义5"},
            {"DataKDDTable", "代收金额"},     {"DataKDDTable", "自定义1"}};
        for (const auto& [table, column] : columns)
            QVERIFY2(ops.aIFExistsColumn(table, column), qPrintable(table + QLatin1Char('.') + column));

        // Kinds filled from the names; the default and the courier template common.
        QCOMPARE(db().scalar(QStringLiteral("select TypeFirstName from CKTypeTable where CheckTypeID=1"))
                     .toString(),
                 QStringLiteral("出货单"));
        QCOMPARE(
            db().scalar(QStringLiteral("select IsCommon from CKTypeTable where CheckTypeID=30")).toString(),
            QStringLiteral("是"));
        QCOMPARE(
            db().scalar(QStringLiteral("select IsCommon from CKTypeTable where IsDefault='默认'")).toString(),
            QStringLiteral("是"));
        // Lines stay lines; kinds never set get theirs.
        QCOMPARE(count(QStringLiteral("select count(*) from NameDict where CtlType='LINE'")), lines);
        QCOMPARE(
            db().scalar(QStringLiteral("select CtlType from NameDict where CtlName='ZDSHOUJIAN'")).toString(),
            QStringLiteral("TEXT"));
        QCOMPARE(db().scalar(QStringLiteral("select CtlType from NameDict where CtlName='DEFCHECK0' and "
                                            "CtlLabel='勾选0'"))
                     .toString(),
                 QStringLiteral("CHECKBOX"));
        // Every tick item 勾选0–勾选12 is a tick item, new or kept.
        QCOMPARE(count(QStringLiteral("select count(*) from NameDict where CheckTypeName='快递单' and "
                                      "CtlName like 'DEFCHECK%' and CtlType='CHECKBOX'")),
                 13);
        // 28 courier items, two of which (勾选0, 勾选5) were there already.
        QCOMPARE(count(QStringLiteral("select count(*) from NameDict")), items + 26);
        QCOMPARE(m_home->app().getConfigByname(QStringLiteral("version")), QStringLiteral("9.28"));
        QCOMPARE(packageVersion(), QStringLiteral("9.28"));
        QCOMPARE(backups().size(), 1);
        QVERIFY(dialogs().lastText().contains(QFileInfo(run.backupPath()).fileName()));

        // A second run stops at once.
        dialogs().clear();
        UpgradeRun again(m_home->app());
        QCOMPARE(again.run(), UpgradeRun::Outcome::AlreadyCurrent);
        QCOMPARE(dialogs().texts(), QStringList{QStringLiteral("当前软件已经是V9.28，无需再升级！")});
        QCOMPARE(backups().size(), 1);
    }

    // Whatever stops the run half-way, the database is as it was and the copy lies beside it.
    void failureOrCancelRestores_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("statement fails while the kinds are set") << "fail";
        QTest::newRow("cancelled while the templates are walked") << "cancel";
    }
    void failureOrCancelRestores() {
        QFETCH(QString, how);
        if (how == QLatin1String("fail"))
            db().exec(QStringLiteral("create trigger injected before update on NameDict begin "
                                     "select raise(abort,'injected failure'); end"));
        const QString schema = schemaText();
        const QString counts = rowCounts();
        UpgradeRun run(m_home->app());
        run.pump = [&] { return how == QLatin1String("cancel"); };
        QCOMPARE(run.run(),
                 how == QLatin1String("fail") ? UpgradeRun::Outcome::Failed : UpgradeRun::Outcome::Cancelled);
        QVERIFY2(dialogs().lastText().contains(QFileInfo(run.backupPath()).fileName()),
                 qPrintable(dialogs().lastText()));
        if (how == QLatin1String("fail"))
            QVERIFY(dialogs().lastText().startsWith(QStringLiteral("升级失败，意外错误:injected failure")));
        QCOMPARE(schemaText(), schema);
        QCOMPARE(rowCounts(), counts);
        QCOMPARE(m_home->app().getConfigByname(QStringLiteral("version")), QStringLiteral("9.27"));
        QCOMPARE(packageVersion(), QStringLiteral("1.0"));
        QCOMPARE(backups().size(), 1);
        // The copy is the database as it was: the earlier schema, every note.
        core::Database copy(QStringLiteral("test_copy"));
        copy.open(run.backupPath());
        QCOMPARE(copy.scalar(QStringLiteral("select count(*) from DataCheckFHDSHD")).toInt(), 30);
        // A server's store is copied into a new file of the program's own tables; a local file is
        // copied as it stands.
        if (db().engine() == core::Engine::SQLite)
            QVERIFY(!copy.scalar(QStringLiteral("select 1 from sqlite_master where name='DataKDDTable'"))
                         .isValid());
    }

    // A kill between two writes of the run, and what the next start and the next run make of it.
    void killedBetweenSteps_data() {
        QTest::addColumn<QString>("step");
        QTest::addColumn<QString>("dataMark");    // after the kill
        QTest::addColumn<int>("backupsAfterRun"); // files named like a backup after the rerun
        QTest::newRow("while the copy is written") << "backup-copied"
                                                   << "9.27" << 1;
        QTest::newRow("after the database, before the package") << "data-committed"
                                                                << "9.28" << 1;
    }
    void killedBetweenSteps() {
        QFETCH(QString, step);
        QFETCH(QString, dataMark);
        QFETCH(int, backupsAfterRun);
        struct Killed {};
        {
            UpgradeRun run(m_home->app());
            run.atStep = [&](const QString& at) {
                if (at != step)
                    return;
                // A kill during the copy leaves it cut short.
                if (at == QLatin1String("backup-copied"))
                    for (const QString& name : backups())
                        QFile(m_home->app().pathOf(QStringLiteral("Data/") + name)).resize(0);
                throw Killed{};
            };
            QVERIFY_THROWS_EXCEPTION(Killed, run.run());
        }
        QCOMPARE(m_home->app().getConfigByname(QStringLiteral("version")), dataMark);
        QCOMPARE(packageVersion(), QStringLiteral("1.0"));
        // No file carries a backup's name unless it is a whole copy.
        for (const QString& name : backups()) {
            if (name.endsWith(QLatin1String(".part")))
                continue;
            core::Database copy(QStringLiteral("test_copy"));
            copy.open(m_home->app().pathOf(QStringLiteral("Data/") + name));
            QCOMPARE(copy.scalar(QStringLiteral("select count(*) from DataCheckFHDSHD")).toInt(), 30);
        }
        // The next start removes what the kill left under a temporary name.
        QString error;
        QVERIFY2(core::ProgramFolder::prepare(m_home->path(), &error), qPrintable(error));
        for (const QString& name : backups())
            QVERIFY2(!name.contains(QLatin1String(".part")), qPrintable(name));
        QVERIFY(UpgradeRun::isDue(m_home->app()));

        dialogs().clear();
        UpgradeRun again(m_home->app());
        QCOMPARE(again.run(), UpgradeRun::Outcome::Upgraded);
        QVERIFY2(dialogs().lastText().startsWith(QStringLiteral("恭喜，升级成功啦！")),
                 qPrintable(dialogs().lastText()));
        QCOMPARE(m_home->app().getConfigByname(QStringLiteral("version")), QStringLiteral("9.28"));
        QCOMPARE(packageVersion(), QStringLiteral("9.28"));
        QCOMPARE(backups().size(), backupsAfterRun);
        QVERIFY(!UpgradeRun::isDue(m_home->app()));
    }

    // A data file that cannot be written gets one clear message and no change at all.
    void readOnlyDatabase() {
        const QString schema = schemaText();
        db().exec(QStringLiteral("PRAGMA query_only=1"));
        UpgradeRun run(m_home->app());
        QCOMPARE(run.run(), UpgradeRun::Outcome::Failed);
        QCOMPARE(dialogs().shown.size(), 1);
        QVERIFY2(dialogs().lastText().startsWith(QStringLiteral("升级失败，意外错误:")),
                 qPrintable(dialogs().lastText()));
        db().exec(QStringLiteral("PRAGMA query_only=0"));
        QCOMPARE(schemaText(), schema);
        QCOMPARE(m_home->app().getConfigByname(QStringLiteral("version")), QStringLiteral("9.27"));
    }

    void packageCases_data() {
        QTest::addColumn<QString>("package"); // what Data/Template.a01 is before the run
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing: reported, not created")
            << "missing" << int(UpgradeRun::Outcome::Upgraded) << "模板数据包不存在，未升级";
        QTest::newRow("without _Config: created with the version")
            << "noconfig" << int(UpgradeRun::Outcome::Upgraded) << "";
        QTest::newRow("file of another engine: nothing written")
            << "jet" << int(UpgradeRun::Outcome::Refused) << "升级失败，意外错误:数据文件是其他数据库引擎";
        QTest::newRow("cut in half: reported, left as it is")
            << "half" << int(UpgradeRun::Outcome::Upgraded) << "模板数据包未能升级，保持原样";
        QTest::newRow("truncated to nothing: nothing written")
            << "empty" << int(UpgradeRun::Outcome::Refused) << "升级失败，意外错误:数据文件是空的";
    }
    void packageCases() {
        QFETCH(QString, package);
        QFETCH(int, outcome);
        QFETCH(QString, message);
        const QString path = packagePath();
        if (package == QLatin1String("missing")) {
            QVERIFY(QFile::remove(path));
        } else if (package == QLatin1String("noconfig")) {
            core::Database p(QStringLiteral("test_package"));
            p.open(path);
            p.exec(QStringLiteral("drop table _Config"));
        } else if (package == QLatin1String("half")) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.resize(file.size() / 2));
        } else {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            if (package == QLatin1String("jet"))
                file.write(QByteArray("\x00\x01\x00\x00Standard Jet DB\x00\x01\x00\x00\x00", 24) +
                           QByteArray(2000, 'x'));
        }
        const QByteArray before = QFileInfo::exists(path) ? [&] {
            QFile f(path);
            f.open(QIODevice::ReadOnly);
            return f.readAll();
        }()
                                                          : QByteArray();
        const QString schema = schemaText();
        UpgradeRun run(m_home->app());
        QCOMPARE(int(run.run()), outcome);
        if (!message.isEmpty())
            QVERIFY2(dialogs().lastText().contains(message), qPrintable(dialogs().lastText()));
        if (package == QLatin1String("missing"))
            QVERIFY(!QFileInfo::exists(path));
        if (package == QLatin1String("noconfig"))
            QCOMPARE(packageVersion(), QStringLiteral("9.28"));
        if (package == QLatin1String("half") || outcome == int(UpgradeRun::Outcome::Refused)) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), before);
        }
        if (outcome == int(UpgradeRun::Outcome::Refused)) {
            QCOMPARE(schemaText(), schema);
            QVERIFY(backups().isEmpty());
        }
    }
};

OVERPRINT_TEST(TestUpgradeRun)
#include "TestUpgradeRun.moc"
