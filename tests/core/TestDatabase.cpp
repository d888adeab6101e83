#include "TestRegistry.h"

#include "core/Database.h"
#include "core/StatementStream.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using core::Database;
using core::DbError;
using core::Params;

// The database layer on a scratch file: the dialect the system's statements are written in,
// rows and effects, editing through record sets, transactions and failures.
class TestDatabase : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<Database> m_db;

    QStringList column(const QString& sql, const Params& params = {}) {
        QStringList out;
        core::Recordset rs = m_db->query(sql, params);
        for (rs.first(); !rs.eof(); rs.next())
            out << rs.text(0);
        return out;
    }

private slots:
    void init() {
        m_db = std::make_unique<Database>(QStringLiteral("test-db"));
        QFile::remove(m_dir.filePath(QStringLiteral("t.db")));
        m_db->open(m_dir.filePath(QStringLiteral("t.db")));
        m_db->exec(QStringLiteral("create table People (Id autoincrement(1,1) primary key,全称 Text(50),"
                                  "City Text(20),Amount long,Note varchar(80))"));
        const QStringList rows = {QStringLiteral("O'Brien|Beijing|5|"),
                                  QStringLiteral("  王's店 |shanghai|7|x"), QStringLiteral("abc|BEIJING|11|"),
                                  QStringLiteral("Abd||3|y")};
        for (const QString& r : rows) {
            const QStringList f = r.split(QLatin1Char('|'));
            m_db->exec(QStringLiteral("insert into People (全称,City,Amount,Note) values(:n,:c,:a,:t)"),
                       {{QStringLiteral("n"), f[0]},
                        {QStringLiteral("c"), f[1].isEmpty() ? QVariant() : QVariant(f[1])},
                        {QStringLiteral("a"), f[2].toInt()},
                        {QStringLiteral("t"), f[3].isEmpty() ? QVariant() : QVariant(f[3])}});
        }
        m_db->exec(QStringLiteral(
            "create table Orders (Id autoincrement(1,1) primary key,PersonId long,Total long)"));
        m_db->exec(QStringLiteral("insert into Orders (PersonId,Total) values(1,100)"));
        m_db->exec(QStringLiteral("insert into Orders (PersonId,Total) values(3,40)"));
    }

    void cleanup() { m_db.reset(); }

    void translation_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("expected");
        QTest::newRow("delete star") << "DELETE * FROM ckcontrol WHERE a='DELETE * FROM x'"
                                     << "DELETE FROM ckcontrol WHERE a='DELETE * FROM x'";
        QTest::newRow("top") << "select top 1 CheckTypeName from NameDict"
                             << "select CheckTypeName from NameDict LIMIT 1";
        QTest::newRow("autoincrement")
            << "create table T (Id autoincrement(1,1) primary key,A Text(50),B long)"
            << "create table T (Id INTEGER PRIMARY KEY AUTOINCREMENT,A Text(50) COLLATE "
               "NOCASE,B INTEGER)";
        QTest::newRow("add varchar") << " alter table T ADD column C varchar(50)"
                                     << "alter table T ADD column C varchar(50) COLLATE NOCASE";
        QTest::newRow("counter reset") << "ALTER  TABLE OrderList ALTER  COLUMN   id   COUNTER   (1,1)"
                                       << "DELETE FROM sqlite_sequence WHERE name='OrderList'";
        QTest::newRow("trailing semicolon") << "DELETE * FROM a WHERE b not in(select c from d);"
                                            << "DELETE FROM a WHERE b not in(select c from d)";
    }

    void translation() {
        QFETCH(QString, sql);
        QFETCH(QString, expected);
        QCOMPARE(Database::translate(sql), expected);
    }

    void dialect_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("case-insensitive equals")
            << "select 全称 from People where City='beijing' order by Id" << QStringList{"O'Brien", "abc"};
        QTest::newRow("like percent")
            << "select 全称 from People where 全称 like 'AB%' order by 全称" << QStringList{"abc", "Abd"};
        QTest::newRow("trim") << "select Id from People where Trim(全称)='王''s店'" << QStringList{"2"};
        QTest::newRow("ltrim rtrim") << "select Id from People where ltrim(rtrim(全称))='王''s店'"
                                     << QStringList{"2"};
        QTest::newRow("ucase") << "select ucase(全称) from People where Id=3" << QStringList{"ABC"};
        QTest::newRow("len counts characters")
            << "select len(Trim(全称)) from People where Id=2" << QStringList{"4"};
        QTest::newRow("val") << "select val('12.5kg'), val('abc'), val(' 1 2')" << QStringList{"12.5"};
        QTest::newRow("cdate") << "select cdate('2026-3-5 00:00:00')" << QStringList{"2026-03-05 00:00:00"};
        QTest::newRow("count") << "select count(*) from People" << QStringList{"4"};
        QTest::newRow("max plus one") << "select max(Id)+1 as MaxId from People" << QStringList{"5"};
        QTest::newRow("sum") << "select sum(Amount) from People" << QStringList{"26"};
        QTest::newRow("top 1 order desc")
            << "select top 1 全称 from People order by Amount desc" << QStringList{"abc"};
        QTest::newRow("distinct") << "select distinct ucase(City) from People where City<>'' order by 1 asc"
                                  << QStringList{"BEIJING", "SHANGHAI"};
        QTest::newRow("in list") << "select Id from People where Id in(1,3) order by Id"
                                 << QStringList{"1", "3"};
        QTest::newRow("not in subquery")
            << "select Id from People where Id not in(select PersonId from Orders) order "
               "by Id"
            << QStringList{"2", "4"};
        QTest::newRow("is null") << "select Id from People where City is null" << QStringList{"4"};
        QTest::newRow("empty text") << "select count(*) from People where Note<>'' and Note is not null"
                                    << QStringList{"2"};
        QTest::newRow("implicit join") << "select a.全称 from People a, Orders b where a.Id=b.PersonId and "
                                          "b.Total>50"
                                       << QStringList{"O'Brien"};
        QTest::newRow("bracketed names")
            << "select [全称] from [People] where [Id]=1" << QStringList{"O'Brien"};
    }

    void dialect() {
        QFETCH(QString, sql);
        QFETCH(QStringList, expected);
        QCOMPARE(column(sql), expected);
    }

    void valOfTexts() {
        core::Recordset rs =
            m_db->query(QStringLiteral("select val('abc') as a, val(' 1 2') as b, val('-3.5e2x') as c"));
        QCOMPARE(rs.integer(QStringLiteral("a")), 0);
        QCOMPARE(rs.integer(QStringLiteral("b")), 12);
        QCOMPARE(rs.number(QStringLiteral("c")), -350.0);
    }

    void quotesRoundTrip() {
        const QString name = QStringLiteral("O'Brien's 100% 店");
        m_db->exec(QStringLiteral("insert into People (全称) values(") + Database::quote(name) +
                   QLatin1Char(')'));
        QCOMPARE(
            m_db->scalar(QStringLiteral("select count(*) from People where 全称=:n"), {{"n", name}}).toInt(),
            1);
        QCOMPARE(m_db->scalar(QStringLiteral("select Id from People where 全称 like :n"),
                              {{"n", "O'Brien's 100%"}})
                     .toInt(),
                 5);
    }

    void rowsAffectedAndDeleteStar() {
        QCOMPARE(m_db->exec(QStringLiteral("update People set Note='z' where City='BEIJING'")), 2);
        QCOMPARE(m_db->exec(QStringLiteral("DELETE * FROM People WHERE Amount<6")), 2);
        QCOMPARE(m_db->exec(QStringLiteral("create table X (A Text(5))")), 0);
    }

    void missingColumnIsNamed_data() {
        QTest::addColumn<QString>("sql");
        QTest::newRow("select") << "select TypeFirstname from People";
        QTest::newRow("where") << "select * from People where TypeFirstname=''";
        QTest::newRow("insert") << "insert into People (TypeFirstname) values('a')";
    }

    void missingColumnIsNamed() {
        QFETCH(QString, sql);
        try {
            m_db->query(sql);
            QFAIL("statement should fail");
        } catch (const DbError& e) {
            QVERIFY2(e.message().contains(QStringLiteral("TypeFirstname"), Qt::CaseInsensitive),
                     qPrintable(e.message()));
        }
    }

    void alterTableAddsColumns() {
        m_db->exec(QStringLiteral(" alter table People ADD column 分组 varchar(50)"));
        m_db->exec(QStringLiteral(" alter table People ADD column Weight long"));
        m_db->exec(QStringLiteral("update People set 分组='VIP', Weight=3 where Id=1"));
        QCOMPARE(column(QStringLiteral("select Id from People where 分组='vip'")), QStringList{"1"});
    }

    void recordsetNullsAndEditing() {
        core::Recordset rs = m_db->query(QStringLiteral("select * from People where Id=4"));
        QCOMPARE(rs.recordCount(), 1);
        QCOMPARE(rs.text(QStringLiteral("city")), QString());
        QCOMPARE(rs.integer(QStringLiteral("NOTE")), 0);
        rs.edit();
        rs.setValue(QStringLiteral("City"), QStringLiteral("Tianjin"));
        rs.post();
        QCOMPARE(m_db->scalar(QStringLiteral("select City from People where Id=4")).toString(),
                 QStringLiteral("Tianjin"));

        core::Recordset add = m_db->query(QStringLiteral("select * from People where 1=0"));
        add.append();
        add.setValue(QStringLiteral("全称"), QStringLiteral("新单位"));
        add.post();
        QCOMPARE(add.integer(QStringLiteral("Id")), 5);
        QCOMPARE(add.text(QStringLiteral("全称")), QStringLiteral("新单位"));

        core::Recordset all = m_db->query(QStringLiteral("select * from People order by Id"));
        int removed = 0;
        for (all.first(); !all.eof();) {
            all.remove();
            ++removed;
        }
        QCOMPARE(removed, 5);
        QCOMPARE(m_db->scalar(QStringLiteral("select count(*) from People")).toInt(), 0);
    }

    void readOnlyRecordsetRefusesEdits() {
        core::Recordset rs = m_db->query(QStringLiteral("select count(*) from People"));
        QVERIFY_THROWS_EXCEPTION(DbError, rs.edit());
        core::Recordset join =
            m_db->query(QStringLiteral("select a.Id from People a, Orders b where a.Id=b.PersonId"));
        QVERIFY_THROWS_EXCEPTION(DbError, join.append());
    }

    void transactionRollsBack() {
        m_db->begin();
        m_db->exec(QStringLiteral("DELETE * FROM People"));
        try {
            m_db->exec(QStringLiteral("insert into People (NoSuchColumn) values(1)"));
            QFAIL("insert should fail");
        } catch (const DbError&) {
            m_db->rollback();
        }
        QCOMPARE(m_db->scalar(QStringLiteral("select count(*) from People")).toInt(), 4);
        m_db->begin();
        m_db->exec(QStringLiteral("DELETE * FROM Orders"));
        m_db->commit();
        QCOMPARE(m_db->scalar(QStringLiteral("select count(*) from Orders")).toInt(), 0);
    }

    void blobsRoundTrip() {
        m_db->exec(QStringLiteral("create table Pics (Id autoincrement(1,1) primary key, Img longbinary)"));
        const QString in = m_dir.filePath(QStringLiteral("in.bin"));
        const QString out = m_dir.filePath(QStringLiteral("out.bin"));
        QByteArray bytes(70000, '\0');
        for (int i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<char>(i * 7);
        QFile f(in);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        core::Recordset rs = m_db->query(QStringLiteral("select * from Pics"));
        rs.append();
        rs.loadBlobFromFile(QStringLiteral("Img"), in);
        rs.post();
        core::Recordset back = m_db->query(QStringLiteral("select * from Pics"));
        back.saveBlobToFile(QStringLiteral("Img"), out);
        QFile g(out);
        QVERIFY(g.open(QIODevice::ReadOnly));
        QCOMPARE(g.readAll(), bytes);
    }

    void datesBindAsSortableText() {
        m_db->exec(QStringLiteral("create table D (At Text(20))"));
        m_db->exec(QStringLiteral("insert into D values(:d)"),
                   {{"d", QDateTime(QDate(2026, 12, 9), QTime(8, 5, 0))}});
        m_db->exec(QStringLiteral("insert into D values(:d)"), {{"d", QDate(2026, 1, 2)}});
        QCOMPARE(column(QStringLiteral("select At from D where At>=cdate('2026-02-01 00:00:00')")),
                 QStringList{"2026-12-09 08:05:00"});
    }

    // A list of keys binds as one value whatever its length; each key compares as the column
    // does (text without regard to letter case, numbers as numbers), and a key is never split.
    void keyLists_data() {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QVariantList>("keys");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("numbers") << "Id" << QVariantList{3, qint64(1)} << QStringList{"O'Brien", "abc"};
        QTest::newRow("numbers as texts")
            << "Id" << QVariantList{"2", "4"} << QStringList{"  王's店 ", "Abd"};
        QTest::newRow("texts, letter case ignored")
            << "全称" << QVariantList{"ABC", "o'brien"} << QStringList{"O'Brien", "abc"};
        QTest::newRow("quote and comma stay in the key")
            << "全称" << QVariantList{"O'Brien,abc", "abc'"} << QStringList{};
        QTest::newRow("null and empty match nothing")
            << "City" << QVariantList{QVariant(), ""} << QStringList{};
        QTest::newRow("no keys") << "Id" << QVariantList{} << QStringList{};
        QVariantList many;
        for (int i = 0; i < 100000; ++i)
            many << i + 4;
        QTest::newRow("a hundred thousand keys") << "Id" << many << QStringList{"Abd"};
    }
    void keyLists() {
        QFETCH(QString, column);
        QFETCH(QVariantList, keys);
        QFETCH(QStringList, expected);
        QCOMPARE(this->column(QStringLiteral("select 全称 from People where ") + column +
                                  Database::keyList(QStringLiteral("keys")) + QStringLiteral(" order by Id"),
                              {{QStringLiteral("keys"), keys}}),
                 expected);
        QCOMPARE(m_db->exec(QStringLiteral("update People set Note='k' where ") + column +
                                Database::keyList(QStringLiteral("keys")),
                            {{QStringLiteral("keys"), keys}}),
                 expected.size());
    }

    // Only what the statement names is bound, read as the driver reads it: a name inside a
    // literal or a quoted name, or after "::", is no placeholder; one name may stand twice; a
    // name's letter case does not matter; values the statement does not name are left out.
    void placeholders_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<Params>("params");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("name inside a literal") << "select 全称 from People where 全称<>':n' and Id=:id"
                                               << Params{{"id", 1}, {"n", "x"}} << QStringList{"O'Brien"};
        QTest::newRow("after a doubled quote") << "select 全称 from People where 全称<>'it'':s' and Id=:s"
                                               << Params{{"s", 1}} << QStringList{"O'Brien"};
        QTest::newRow("bracketed name") << "select [全称] from People where [全称]<>'[:x]' and Id=:x"
                                        << Params{{"x", 3}} << QStringList{"abc"};
        QTest::newRow("letter case") << "select 全称 from People where Id=:ID" << Params{{"id", 3}}
                                     << QStringList{"abc"};
        QTest::newRow("twice") << "select 全称 from People where Id=:a or Amount=:a order by Id"
                               << Params{{"a", 3}} << QStringList{"abc", "Abd"};
        QTest::newRow("names that begin alike")
            << "select 全称 from People where Id=:k1 or Id=:k10 order by Id"
            << Params{{"k1", 1}, {"k10", 4}, {"k100", 2}} << QStringList{"O'Brien", "Abd"};
        QTest::newRow("date") << "select 全称 from People where :d like '2026-03-05 %' and Id=1"
                              << Params{{"d", QDate(2026, 3, 5)}} << QStringList{"O'Brien"};
    }
    void placeholders() {
        QFETCH(QString, sql);
        QFETCH(Params, params);
        QFETCH(QStringList, expected);
        QCOMPARE(column(sql, params), expected);
        // A forward walk binds the same way.
        core::StatementStream stream(*m_db, sql, params, expected.size());
        QStringList walked;
        for (int row = 0; row < expected.size(); ++row)
            walked << stream.index(row, 0).data().toString();
        QCOMPARE(walked, expected);
    }

    void notADatabase() {
        const QString path = m_dir.filePath(QStringLiteral("junk.ini"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'x'));
        f.close();
        Database other(QStringLiteral("junk"));
        QVERIFY_THROWS_EXCEPTION(DbError, other.open(path));
        QVERIFY(!other.isOpen());
        QCOMPARE(QFileInfo(path).size(), 4096);
    }
};

OVERPRINT_TEST(TestDatabase)
#include "TestDatabase.moc"
