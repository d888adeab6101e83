#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include "ImportTesting.h"
#include "core/IniFile.h"
#include "imports/ColumnList.h"
#include "imports/ImportLog.h"
#include "imports/RecipientImport.h"
#include "imports/Spreadsheet.h"

#include <QTemporaryDir>
#include <QTest>

using imports::RecipientImport;
using imports::RunResult;
using Options = imports::RecipientImport::Options;

namespace {

QString sheetFile(const QString& name) {
    return TestHome::testData(QStringLiteral("sheets/") + name);
}

RunResult importSheet(TestHome& home, const QString& path, const Options& options,
                      ScriptedObserver& observer) {
    imports::Spreadsheet book;
    book.open(path);
    imports::ImportLog log(home.path());
    RecipientImport import(home.db(), home.dialogs(), log, observer);
    import.setOptions(options);
    import.setColumns(
        RecipientImport::autoMatch(home.db(), imports::ColumnList::build(book), options.scenario));
    return import.run(book, path);
}

RunResult importSheet(TestHome& home, const QString& path, const Options& options = {}) {
    ScriptedObserver observer;
    return importSheet(home, path, options, observer);
}

int count(TestHome& home, const QString& table = QStringLiteral("CKPersonalInfoTable")) {
    return home.db().scalar(QStringLiteral("select count(*) from ") + table).toInt();
}

// The rows an import added, every column but the key, in insertion order.
QStringList addedRows(TestHome& home, int afterId) {
    core::Recordset rows =
        home.db().query(QStringLiteral("select * from CKPersonalInfoTable where ID>:id order by ID"),
                        {{QStringLiteral("id"), afterId}});
    QStringList out;
    for (rows.first(); !rows.eof(); rows.next()) {
        QStringList cells;
        for (int c = 0; c < rows.fieldCount(); ++c)
            if (rows.fieldNames().at(c).compare(QStringLiteral("ID"), Qt::CaseInsensitive) != 0)
                cells << rows.text(c);
        out << cells.join(QLatin1Char('|'));
    }
    return out;
}

int lastId(TestHome& home) {
    return home.db().scalar(QStringLiteral("select max(ID) from CKPersonalInfoTable")).toInt();
}

QString logValue(TestHome& home, const QString& section, const QString& key) {
    core::IniFile ini(imports::ImportLog::fileName(home.path()));
    return ini.readString(section, key);
}

QStringList logKeys(TestHome& home, const QString& section) {
    core::IniFile ini(imports::ImportLog::fileName(home.path()));
    return ini.keys(section);
}

} // namespace

class TestRecipientImport : public QObject {
    Q_OBJECT

private slots:
    // Every format gives the same rows; a second run adds none and logs each as a duplicate.
    void firstRunThenNone_data() {
        QTest::addColumn<QString>("file");
        for (const char* file : {"recipients.xlsx", "recipients.xls", "recipients.ods", "recipients-utf8.csv",
                                 "recipients-gbk.csv"})
            QTest::newRow(file) << QString::fromLatin1(file);
    }
    void firstRunThenNone() {
        QFETCH(QString, file);
        TestHome reference;
        QVERIFY2(reference.isValid(), qPrintable(reference.error()));
        const int referenceStart = lastId(reference);
        importSheet(reference, sheetFile(QStringLiteral("recipients.xlsx")));

        TestHome home;
        const int before = count(home);
        const int start = lastId(home);
        RunResult first = importSheet(home, sheetFile(file));
        QCOMPARE(first.imported, 40);
        QCOMPARE(first.skipped, 0);
        QVERIFY(!first.failed);
        QCOMPARE(count(home), before + 40);
        QCOMPARE(addedRows(home, start), addedRows(reference, referenceStart));
        QCOMPARE(home.db()
                     .scalar(QStringLiteral("select 联系人 from CKPersonalInfoTable where 全称=:n"),
                             {{QStringLiteral("n"), QStringLiteral("O'Brien's 商店")}})
                     .toString(),
                 QStringLiteral("O'Brien"));
        QCOMPARE(logValue(home, QStringLiteral("INFO"), QStringLiteral("Finish")),
                 QStringLiteral("导入结束，共有 40 条导入成功！"));

        RunResult second = importSheet(home, sheetFile(file));
        QCOMPARE(second.imported, 0);
        QCOMPARE(second.skipped, 40);
        QCOMPARE(count(home), before + 40);
        QCOMPARE(logKeys(home, QStringLiteral("LOG")).size(), 40);
        QCOMPARE(logValue(home, QStringLiteral("LOG"), QStringLiteral("N6")),
                 QStringLiteral("重复，单位：O'Brien's 商店,联系人：O'Brien,电话：014-26859952"));
        QVERIFY(logKeys(home, QStringLiteral("ERR")).isEmpty());
        QCOMPARE(second.report, QStringLiteral("导入结束，共有 0 条导入成功！\n 其中跳过了40 "
                                               "条重复的或无效(单位、联系人、电话都为空)的记录！"));
    }

    // Which rows go in, which are skipped and what the log says of them.
    void rowRules_data() {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("stored"); // before the run: 全称|联系人|电话, "-" for NULL
        QTest::addColumn<int>("imported");
        QTest::addColumn<QStringList>("log");
        const QString title = QStringLiteral("公司名称,姓名,联系电话,收货地址");
        QTest::newRow("unit name alone is enough")
            << QStringList{title, "孤单公司,,,"} << "" << 1 << QStringList{};
        QTest::newRow("address alone is invalid") << QStringList{title, ",,,某路1号"} << "" << 0
                                                  << QStringList{"N2=无效行，联系人、电话、全称均为空！"};
        QTest::newRow("duplicate inside the sheet")
            << QStringList{title, "甲公司,张三,110,路", "甲公司,张三,110,路"} << "" << 1
            << QStringList{"N3=重复，单位：甲公司,联系人：张三,电话：110"};
        QTest::newRow("duplicate without contact logs the address")
            << QStringList{title, "甲公司,,110,某路"} << "甲公司||110" << 0
            << QStringList{"N2=无效行，地址：某路"};
        QTest::newRow("stored NULL equals an empty cell")
            << QStringList{title, ",李四,,"} << "-|李四|-" << 0
            << QStringList{"N2=重复，单位：,联系人：李四,电话："};
        QTest::newRow("stored empty equals an empty cell")
            << QStringList{title, ",李四,,"} << "|李四|" << 0
            << QStringList{"N2=重复，单位：,联系人：李四,电话："};
        QTest::newRow("letter case and quotes compare as the engine does")
            << QStringList{title, "o'brien's shop,O'Brien,1,"} << "O'Brien's Shop|o'brien|1" << 0
            << QStringList{"N2=重复，单位：o'brien's shop,联系人：O'Brien,电话：1"};
        QTest::newRow("first quote of the phone dropped")
            << QStringList{title, "乙公司,王五,'0755-1,"} << "乙公司|王五|0755-1" << 0
            << QStringList{"N2=重复，单位：乙公司,联系人：王五,电话：0755-1"};
    }
    void rowRules() {
        QFETCH(QStringList, lines);
        QFETCH(QString, stored);
        QFETCH(int, imported);
        QFETCH(QStringList, log);
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        if (!stored.isEmpty()) {
            const QStringList v = stored.split(QLatin1Char('|'));
            core::Params params;
            const QStringList names{"n", "c", "p"};
            for (int i = 0; i < 3; ++i)
                params.insert(names.at(i), v.at(i) == u"-" ? QVariant() : QVariant(v.at(i)));
            home.db().exec(
                QStringLiteral("insert into CKPersonalInfoTable (全称,联系人,电话) values (:n,:c,:p)"),
                params);
        }
        const int before = count(home);
        QTemporaryDir dir;
        const RunResult result = importSheet(home, writeCsv(dir.filePath(QStringLiteral("s.csv")), lines));
        QCOMPARE(result.imported, imported);
        QCOMPARE(count(home), before + imported);
        QStringList entries;
        for (const QString& key : logKeys(home, QStringLiteral("LOG")))
            entries << key + QLatin1Char('=') + logValue(home, QStringLiteral("LOG"), key);
        QCOMPARE(entries, log);
    }

    // Provinces and cities of another spelling are stored as the region codes, in both lists.
    void regionsMatchTheCodes_data() {
        QTest::addColumn<int>("scenario");
        QTest::addColumn<QString>("table");
        QTest::newRow("address book") << int(RecipientImport::Scenario::AddressBook) << "CKPersonalInfoTable";
        QTest::newRow("batch list") << int(RecipientImport::Scenario::BatchList) << "ReceiverList";
    }
    void regionsMatchTheCodes() {
        QFETCH(int, scenario);
        QFETCH(QString, table);
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        QTemporaryDir dir;
        const QString path = writeCsv(dir.filePath(QStringLiteral("s.csv")),
                                      {"单位全称,联系人,电话,省,市,详细地址", "甲,张三,1,广东省,深圳,路1",
                                       "乙,李四,2,广东,深圳市,路2", "丙,王五,3,火星省,基地,路3"});
        Options options;
        options.scenario = RecipientImport::Scenario(scenario);
        QCOMPARE(importSheet(home, path, options).imported, 3);
        core::Recordset rows = home.db().query(QStringLiteral("select 省, 市 from ") + table +
                                               QStringLiteral(" where 联系人 in ('张三','李四','王五')"));
        QStringList regions;
        for (rows.first(); !rows.eof(); rows.next())
            regions << rows.text(0) + QLatin1Char('/') + rows.text(1);
        QCOMPARE(regions.size(), 3);
        QVERIFY(regions.count(QStringLiteral("广东/深圳市")) == 2);
        QVERIFY(regions.contains(QStringLiteral("火星省/基地")));
    }

    // The remark gathers the order number and member id when asked; the unit type is fixed or
    // read from its column.
    void rowOptions_data() {
        QTest::addColumn<bool>("orderIdOn");
        QTest::addColumn<bool>("memberIdOn");
        QTest::addColumn<bool>("typeFixed");
        QTest::addColumn<QString>("fixedType");
        QTest::addColumn<QStringList>("expected"); // 扩展信息|单位类型 per row
        QTest::newRow("plain") << false << false << true << "" << QStringList{"留言|收件单位", "|收件单位"};
        QTest::newRow("order and member into the remark")
            << true << true << true << "发件单位"
            << QStringList{"留言 订单号:A1;会员ID:m1|发件单位", "订单号:A2;|发件单位"};
        QTest::newRow("type from the column")
            << false << false << false << "" << QStringList{"留言|发件单位", "|收件单位"};
    }
    void rowOptions() {
        QFETCH(bool, orderIdOn);
        QFETCH(bool, memberIdOn);
        QFETCH(bool, typeFixed);
        QFETCH(QString, fixedType);
        QFETCH(QStringList, expected);
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        QTemporaryDir dir;
        const QString path =
            writeCsv(dir.filePath(QStringLiteral("s.csv")),
                     {"姓名,订单号,旺旺,单位类型,买家留言", "张三,A1,m1,发件单位,留言", "李四,A2,,收件,"});
        Options options;
        options.orderIdOn = orderIdOn;
        options.memberIdOn = memberIdOn;
        options.unitTypeFixed = typeFixed;
        options.unitType = fixedType;
        const int start = lastId(home);
        QCOMPARE(importSheet(home, path, options).imported, 2);
        core::Recordset rows = home.db().query(
            QStringLiteral("select 扩展信息, 单位类型 from CKPersonalInfoTable where ID>:id order by ID"),
            {{QStringLiteral("id"), start}});
        QStringList got;
        for (rows.first(); !rows.eof(); rows.next())
            got << rows.text(0) + QLatin1Char('|') + rows.text(1);
        QCOMPARE(got, expected);
    }

    // Without criteria the clerk is asked first; Yes inserts duplicates as well.
    void noCriteria() {
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        Options options;
        options.byName = options.byContact = options.byPhone = false;
        const int before = count(home);
        home.dialogs().answers << QList<int>{0};
        QVERIFY(!importSheet(home, sheetFile(QStringLiteral("recipients-utf8.csv")), options).ran);
        QCOMPARE(home.dialogs().shown.first().text, RecipientImport::noCriteriaQuestion());
        QCOMPARE(count(home), before);
        home.dialogs().answers << QList<int>{1, 1};
        importSheet(home, sheetFile(QStringLiteral("recipients-utf8.csv")), options);
        QCOMPARE(importSheet(home, sheetFile(QStringLiteral("recipients-utf8.csv")), options).imported, 40);
        QCOMPARE(count(home), before + 80);
    }

    // Asked about a duplicate, No adds it anyway.
    void askOnDuplicate() {
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        QTemporaryDir dir;
        const QString path = writeCsv(dir.filePath(QStringLiteral("s.csv")),
                                      {"公司名称,姓名,联系电话", "O'Brien's 商店,O'Brien,1"});
        importSheet(home, path);
        Options options;
        options.askOnDuplicate = true;
        home.dialogs().answers << QList<int>{0};
        QCOMPARE(importSheet(home, path, options).imported, 1);
        QCOMPARE(
            home.dialogs().shown.last().text,
            QStringLiteral("单位\"O'Brien's "
                           "商店(联系人:O'Brien)\"已经存在,是否跳过？点击\"是\"跳过,点击\"否\"继续添加！"));
        QCOMPARE(home.dialogs().shown.last().caption, QStringLiteral("记录已经存在"));
    }

    // A stop answered No is forgotten (asked once); Yes keeps exactly the rows reported.
    void stop_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("imported");
        QTest::newRow("No goes on") << 0 << 40;
        QTest::newRow("Yes keeps what was done") << 1 << 10;
    }
    void stop() {
        QFETCH(int, answer);
        QFETCH(int, imported);
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        const int before = count(home);
        ScriptedObserver observer;
        observer.stopAfterRows = 10;
        home.dialogs().answers << QList<int>{answer};
        const RunResult result =
            importSheet(home, sheetFile(QStringLiteral("recipients.xlsx")), {}, observer);
        QCOMPARE(home.dialogs().texts(), QStringList{"需要中止导出操作吗？"});
        QCOMPARE(result.imported, imported);
        QCOMPARE(result.stopped, answer == 1);
        QCOMPARE(observer.declined, answer == 1 ? 0 : 1);
        QCOMPARE(count(home), before + imported);
        QVERIFY(!home.db().inTransaction());
    }

    // A commit the engine refuses keeps nothing and is reported as the failure it is.
    void failedCommitRollsBack() {
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        home.db().exec(QStringLiteral("create table Parent (id integer primary key)"));
        home.db().exec(QStringLiteral(
            "create table Child (pid integer references Parent(id) deferrable initially deferred)"));
        home.db().exec(QStringLiteral("create trigger breakCommit after insert on CKPersonalInfoTable "
                                      "begin insert into Child values (999); end"));
        home.db().exec(QStringLiteral("PRAGMA foreign_keys=ON"));
        const int before = count(home);
        const RunResult result = importSheet(home, sheetFile(QStringLiteral("recipients.xlsx")));
        QVERIFY(result.failed);
        QCOMPARE(result.imported, 0);
        QVERIFY2(result.report.startsWith(QStringLiteral("意外导入错误,E=")), qPrintable(result.report));
        QVERIFY(result.report.contains(QStringLiteral("FOREIGN KEY"), Qt::CaseInsensitive));
        QCOMPARE(home.dialogs().lastText(), result.report);
        QCOMPARE(count(home), before);
        QCOMPARE(count(home, QStringLiteral("Child")), 0);
        QCOMPARE(logValue(home, QStringLiteral("INFO"), QStringLiteral("Finish")), result.report);
        QVERIFY(!home.db().inTransaction());
    }

    // A row the engine refuses is logged and the run goes on; a refusal that ends the
    // transaction ends the run with nothing kept, never with rows written outside of it.
    void rowRefused_data() {
        QTest::addColumn<QString>("raise");
        QTest::addColumn<bool>("failed");
        QTest::addColumn<int>("imported");
        QTest::newRow("statement refused") << "ABORT" << false << 39;
        QTest::newRow("transaction ended") << "ROLLBACK" << true << 0;
    }
    void rowRefused() {
        QFETCH(QString, raise);
        QFETCH(bool, failed);
        QFETCH(int, imported);
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        if (failed && home.db().engine() == core::Engine::PostgreSQL)
            QSKIP("on the server a refused statement never ends its transaction");
        home.db().exec(QStringLiteral("create trigger refuse before insert on CKPersonalInfoTable "
                                      "when new.联系人='O''Brien' begin select raise(") +
                       raise + QStringLiteral(", 'refused'); end"));
        const int before = count(home);
        const RunResult result = importSheet(home, sheetFile(QStringLiteral("recipients.xlsx")));
        QCOMPARE(result.failed, failed);
        QCOMPARE(result.imported, imported);
        QCOMPARE(count(home), before + imported);
        QCOMPARE(logValue(home, QStringLiteral("ERR"), QStringLiteral("N6")),
                 QStringLiteral("错误，单位：O'Brien's 商店,联系人：O'Brien,电话：014-26859952"));
        if (failed)
            QVERIFY(result.report.startsWith(imports::SheetRun::failurePrefix()));
        QVERIFY(!home.db().inTransaction());
    }

    // 6,000 data rows go in; the row after them is left out and the log says so.
    void rowLimit() {
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        QStringList lines{QStringLiteral("姓名")};
        for (int i = 1; i <= 6001; ++i)
            lines << QStringLiteral("人%1").arg(i);
        QTemporaryDir dir;
        Options options;
        options.judgeRepeated = false;
        const int before = count(home);
        const RunResult result =
            importSheet(home, writeCsv(dir.filePath(QStringLiteral("s.csv")), lines), options);
        QCOMPARE(result.imported, 6000);
        QCOMPARE(count(home), before + 6000);
        QCOMPARE(logValue(home, QStringLiteral("INFO"), QStringLiteral("OverMaxLine")),
                 imports::SheetRun::overMaxMessage());
        QCOMPARE(logValue(home, QStringLiteral("INFO"), QStringLiteral("Total")),
                 QStringLiteral("本次任务数据共有：6001行"));
        QVERIFY(home.dialogs().sawText(imports::SheetRun::overMaxMessage()));
    }

    // The batch list: remark in 备注, its own items, duplicates over the whole list.
    void batchList() {
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        QTemporaryDir dir;
        const QString path = writeCsv(dir.filePath(QStringLiteral("s.csv")),
                                      {"公司名称,姓名,备注,分组,物品内容,总费用",
                                       "甲公司,张三,轻放,A组,书,12.50", "乙公司,李四,,B组,,"});
        Options options;
        options.scenario = RecipientImport::Scenario::BatchList;
        const int people = count(home);
        QCOMPARE(importSheet(home, path, options).imported, 2);
        QCOMPARE(importSheet(home, path, options).imported, 0);
        QCOMPARE(count(home), people);
        core::Recordset rows = home.db().query(QStringLiteral(
            "select 全称,联系人,备注,批打分组,内件说明,费用 from ReceiverList order by rowid"));
        QCOMPARE(rows.recordCount(), 2);
        QStringList first;
        for (int c = 0; c < rows.fieldCount(); ++c)
            first << rows.text(c);
        QCOMPARE(first.join(QLatin1Char('|')), QStringLiteral("甲公司|张三|轻放|A组|书|12.50"));
    }

    // A telephone stored as a number cell keeps every digit; an empty title column is skipped.
    void numberCellStaysText() {
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        imports::Spreadsheet book;
        book.open(sheetFile(QStringLiteral("recipients.xlsx")));
        book.activate(1);
        imports::ImportLog log(home.path());
        ScriptedObserver observer;
        RecipientImport import(home.db(), home.dialogs(), log, observer);
        import.setColumns(RecipientImport::autoMatch(home.db(), imports::ColumnList::build(book),
                                                     RecipientImport::Scenario::AddressBook));
        QCOMPARE(import.run(book, book.fileName()).imported, 1);
        QCOMPARE(home.db()
                     .scalar(QStringLiteral("select 电话 from CKPersonalInfoTable order by ID desc"))
                     .toString(),
                 QStringLiteral("13800138000"));
    }

    // Nothing to import by: neither unit, contact nor address has a column.
    void missingColumns() {
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        QTemporaryDir dir;
        const int before = count(home);
        const RunResult result =
            importSheet(home, writeCsv(dir.filePath(QStringLiteral("s.csv")), {"电话,省", "1,广东"}));
        QVERIFY(!result.ran);
        QCOMPARE(home.dialogs().lastText(), RecipientImport::missingColumnsMessage());
        QCOMPARE(home.dialogs().shown.last().caption, QStringLiteral("提示"));
        QCOMPARE(count(home), before);
    }
};

OVERPRINT_TEST(TestRecipientImport)
#include "TestRecipientImport.moc"
