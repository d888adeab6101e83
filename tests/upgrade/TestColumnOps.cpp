#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include "core/ColumnOps.h"
#include "core/TemplateStore.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>
#include <memory>

using core::ColumnOps;

// The shared column operations on a fresh program folder.
class TestColumnOps : public QObject {
    Q_OBJECT

    std::unique_ptr<TestHome> m_home;
    core::Database& db() { return m_home->db(); }
    core::ScriptedDialogs& dialogs() { return m_home->dialogs(); }

    QString declaredType(const QString& table, const QString& column) {
        const core::Recordset rows =
            db().query(QStringLiteral("select type from pragma_table_info(:t) where "
                                      "name=:c collate nocase"),
                       {{QStringLiteral("t"), table}, {QStringLiteral("c"), column}});
        return rows.isEmpty() ? QString() : rows.text(0);
    }

private slots:
    void init() {
        m_home = std::make_unique<TestHome>();
        QVERIFY2(m_home->isValid(), qPrintable(m_home->error()));
        db().exec(QStringLiteral("create table T (ID integer primary key, Name text, Qty integer)"));
        db().exec(QStringLiteral("insert into T (Name,Qty) values ('a',1)"));
        db().exec(QStringLiteral("insert into T (Name,Qty) values ('b',2)"));
    }
    void cleanup() { m_home.reset(); }

    void addColumn_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("size");
        QTest::addColumn<QString>("type");
        QTest::addColumn<bool>("result");
        QTest::addColumn<QString>("message");  // beginning of the one message shown, or none
        QTest::addColumn<QString>("declared"); // the column's declared type afterwards
        QTest::newRow("text with size") << "T"
                                        << "Note"
                                        << "30"
                                        << "String" << true << ""
                                        << "varchar(30)";
        QTest::newRow("text, size defaults to 50") << "T"
                                                   << "体积"
                                                   << ""
                                                   << "TEXT" << true << ""
                                                   << "varchar(50)";
        QTest::newRow("number is a whole number") << "T"
                                                  << "SrcX"
                                                  << ""
                                                  << "Number" << true << ""
                                                  << "INTEGER";
        QTest::newRow("other type word as written") << "T"
                                                    << "Price"
                                                    << ""
                                                    << "double" << true << ""
                                                    << "double";
        QTest::newRow("present column left alone") << "T"
                                                   << "qty"
                                                   << ""
                                                   << "String" << true << ""
                                                   << "integer";
        QTest::newRow("missing table reported") << "NoSuchTable"
                                                << "X"
                                                << ""
                                                << "String" << false << "修改表结构(X)错误,Error="
                                                << "";
        QTest::newRow("name that would be another statement") << "T"
                                                              << "X integer; drop table T"
                                                              << ""
                                                              << "String" << false << "修改表结构(X integer"
                                                              << "";
        QTest::newRow("type word with a statement in it")
            << "T"
            << "Y"
            << ""
            << "text); drop table T; --" << false << "修改表结构(Y)错误"
            << "";
        QTest::newRow("absurd size refused") << "T"
                                             << "Z"
                                             << "9999999"
                                             << "String" << false << "修改表结构(Z)错误"
                                             << "";
    }
    void addColumn() {
        QFETCH(QString, table);
        QFETCH(QString, column);
        QFETCH(QString, size);
        QFETCH(QString, type);
        QFETCH(bool, result);
        QFETCH(QString, message);
        QFETCH(QString, declared);
        ColumnOps ops(m_home->app());
        int advanced = 0;
        QString lastText;
        ops.progress = [&](int by, const QString& text) {
            advanced += by;
            lastText = text;
        };
        QCOMPARE(ops.aAddColumn(table, column, nullptr, size, type), result);
        QCOMPARE(advanced, 1);
        QCOMPARE(lastText, QStringLiteral("升级表存储结构...") + table);
        if (message.isEmpty()) {
            QVERIFY2(dialogs().shown.isEmpty(), qPrintable(dialogs().lastText()));
            QCOMPARE(declaredType(table, column).toLower(), declared.toLower());
            QVERIFY(ops.aIFExistsColumn(table, column));
            if (declared.startsWith(QLatin1String("varchar"))) {
                // Added text columns compare without regard to letter case, like every other.
                db().exec(QStringLiteral("update T set ") + column + QStringLiteral("='abc'"));
                QCOMPARE(db().scalar(QStringLiteral("select count(*) from T where ") + column +
                                     QStringLiteral("='ABC'"))
                             .toInt(),
                         2);
            }
        } else {
            QCOMPARE(dialogs().shown.size(), 1);
            QVERIFY2(dialogs().lastText().startsWith(message), qPrintable(dialogs().lastText()));
        }
        // Whatever happened, the table and its rows are still there.
        QCOMPARE(db().scalar(QStringLiteral("select count(*) from T")).toInt(), 2);
    }

    void updateValue_data() {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("condition");
        QTest::addColumn<QString>("expected"); // Name,Qty of both rows afterwards
        QTest::addColumn<QString>("message");
        QTest::newRow("text with a quote, one row") << "varchar"
                                                    << "O'Brien"
                                                    << "ID=1"
                                                    << "O'Brien,1|b,2"
                                                    << "";
        QTest::newRow("empty condition means every row") << "string"
                                                         << "x"
                                                         << ""
                                                         << "x,1|x,2"
                                                         << "";
        QTest::newRow("whole number") << "number"
                                      << "7"
                                      << "Name='b'"
                                      << "a,1|b,7"
                                      << "";
        QTest::newRow("whole number that is a statement") << "number"
                                                          << "1 or 1=1"
                                                          << "ID=1"
                                                          << "a,1|b,2"
                                                          << "类型错误，不支持的类型-number";
        QTest::newRow("unknown type") << "date"
                                      << "2020-01-01"
                                      << ""
                                      << "a,1|b,2"
                                      << "类型错误，不支持的类型-date";
    }
    void updateValue() {
        QFETCH(QString, type);
        QFETCH(QString, value);
        QFETCH(QString, condition);
        QFETCH(QString, expected);
        QFETCH(QString, message);
        ColumnOps ops(m_home->app());
        const QString column =
            type == QLatin1String("number") ? QStringLiteral("Qty") : QStringLiteral("Name");
        ops.aUpdateColumnValue(QStringLiteral("T"), column, condition, type, value);
        QStringList rows;
        core::Recordset rs = db().query(QStringLiteral("select Name,Qty from T order by ID"));
        for (rs.first(); !rs.eof(); rs.next())
            rows << rs.text(QStringLiteral("Name")) + QLatin1Char(',') + rs.text(QStringLiteral("Qty"));
        QCOMPARE(rows.join(QLatin1Char('|')), expected);
        QCOMPARE(dialogs().lastText(), message);
    }

    void insertItemOnlyWhenLost() {
        ColumnOps ops(m_home->app());
        int advanced = 0;
        ops.progress = [&](int by, const QString&) { advanced += by; };
        const auto count = [&] {
            return db()
                .scalar(QStringLiteral("select count(*) from NameDict where CheckTypeName='快递单' and "
                                       "CtlName='ZDTIJI'"))
                .toInt();
        };
        QVERIFY(ops.aInsertNameDictItemIFLost(QStringLiteral("快递单"), QStringLiteral("体积"),
                                              QStringLiteral("Text"), 357, 1, QStringLiteral("zdTiJi")));
        QVERIFY(ops.aInsertNameDictItemIFLost(QStringLiteral("快递单"), QStringLiteral("体积"),
                                              QStringLiteral("Text"), 357, 1, QStringLiteral("ZDTIJI")));
        QCOMPARE(count(), 1);
        QCOMPARE(advanced, 2);
        // Another kind gets its own item of the same name.
        QVERIFY(ops.aInsertNameDictItemIFLost(QStringLiteral("出货单"), QStringLiteral("体积"),
                                              QStringLiteral("Text"), 357, 1, QStringLiteral("ZDTIJI")));
        QCOMPARE(db().scalar(QStringLiteral("select count(*) from NameDict where CtlName='ZDTIJI'")).toInt(),
                 2);
    }

    void createTableOnlyWhenMissing() {
        ColumnOps ops(m_home->app());
        QVERIFY(ops.CreateTableIFNotExists(QStringLiteral("T"), QStringLiteral("create table T (X text)")));
        QCOMPARE(db().scalar(QStringLiteral("select count(*) from T")).toInt(), 2);
        QVERIFY(ops.CreateTableIFNotExists(QStringLiteral("U"), QStringLiteral("create table U (X text)")));
        QVERIFY(ops.aIFExistsColumn(QStringLiteral("U"), QStringLiteral("X")));
        QVERIFY(dialogs().shown.isEmpty());
        QVERIFY(!ops.CreateTableIFNotExists(QStringLiteral("V"), QStringLiteral("create tabel V")));
        QCOMPARE(dialogs().lastText(), QStringLiteral("创建表格失败V"));
    }

    // A database of an earlier version has no kind column: the kind look-up adds and fills it.
    void kindLookupAddsTheKindColumn() {
        db().exec(QStringLiteral("drop index idx_cktypetable_kind"));
        db().exec(QStringLiteral("alter table CKTypeTable drop column TypeFirstName"));
        db().exec(
            QStringLiteral("insert into CKTypeTable (CheckTypeID,TypeName) values (20,'快递单(圆通)')"));
        db().exec(QStringLiteral("insert into CKTypeTable (CheckTypeID,TypeName) values (21,'无括号')"));
        core::TemplateStore& store = m_home->app().templates();
        QCOMPARE(store.loadCheckTypeFirstNameByID(1), QString());
        QVERIFY(dialogs().shown.isEmpty());
        QCOMPARE(store.loadCheckTypeFirstNameByID(1), QStringLiteral("出货单"));
        QCOMPARE(db().scalar(QStringLiteral("select TypeFirstName from CKTypeTable where CheckTypeID=20"))
                     .toString(),
                 QStringLiteral("快递单"));
        // A name without parenthesis keeps an empty kind; the look-up still answers the whole name.
        QVERIFY(db().scalar(QStringLiteral("select TypeFirstName from CKTypeTable where CheckTypeID=21"))
                    .toString()
                    .isEmpty());
        QCOMPARE(store.loadCheckTypeFirstNameByID(21), QStringLiteral("无括号"));
    }
};

OVERPRINT_TEST(TestColumnOps)
#include "TestColumnOps.moc"
