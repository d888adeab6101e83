#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include "core/ColumnOps.h"

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

    // As the local file declares it; the server's own types are named as the local file's.
    QString declaredType(const QString& table, const QString& column) {
        const bool server = db().engine() == core::Engine::PostgreSQL;
        const core::Recordset rows = db().query(
            server ? QStringLiteral("select case udt_name when 'citext' then 'varchar' when 'int8' then "
                                    "'integer' else udt_name end from information_schema.columns where "
                                    "table_schema=current_schema() and table_name=lower(:t) and "
                                    "column_name=lower(:c)")
                   : QStringLiteral("select type from pragma_table_info(:t) where name=:c collate nocase"),
            {{QStringLiteral("t"), table}, {QStringLiteral("c"), column}});
        return rows.isEmpty() ? QString() : rows.text(0).toLower();
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
        const auto row = [](const char* tag, const char* table, const char* column, const char* size,
                            const char* type, bool result, const char* message, const char* declared) {
            QTest::newRow(tag) << QString::fromUtf8(table) << QString::fromUtf8(column)
                               << QString::fromUtf8(size) << QString::fromUtf8(type) << result
                               << QString::fromUtf8(message) << QString::fromUtf8(declared);
        };
        row("text with size", "T", "Note", "30", "String", true, "", "varchar(30)");
        row("text, size defaults to 50", "T", "体积", "", "TEXT", true, "", "varchar(50)");
        row("number is a whole number", "T", "SrcX", "", "Number", true, "", "INTEGER");
        row("present column left alone", "T", "qty", "", "String", true, "", "integer");
        row("missing table reported", "NoSuchTable", "X", "", "String", false,
            "修改表结构(X)错误,Error=", "");
        row("name that would be another statement", "T", "X integer; drop table T", "", "String", false,
            "修改表结构(X integer", "");
        row("type word with a statement in it", "T", "Y", "", "text); drop table T; --", false,
            "修改表结构(Y)错误", "");
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
            // The server keeps no length with text that ignores letter case.
            QCOMPARE(declaredType(table, column),
                     (db().engine() == core::Engine::PostgreSQL ? declared.section(QLatin1Char('('), 0, 0)
                                                                : declared)
                         .toLower());
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
        const auto row = [](const char* tag, const char* type, const char* value, const char* condition,
                            const char* expected, const char* message) {
            QTest::newRow(tag) << QString::fromUtf8(type) << QString::fromUtf8(value)
                               << QString::fromUtf8(condition) << QString::fromUtf8(expected)
                               << QString::fromUtf8(message);
        };
        row("text with a quote, one row", "varchar", "O'Brien", "ID=1", "O'Brien,1|b,2", "");
        row("empty condition means every row", "string", "x", "", "x,1|x,2", "");
        row("whole number", "number", "7", "Name='b'", "a,1|b,7", "");
        row("whole number that is a statement", "number", "1 or 1=1", "ID=1", "a,1|b,2",
            "类型错误，不支持的类型-number");
        row("unknown type", "date", "2020-01-01", "", "a,1|b,2", "类型错误，不支持的类型-date");
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
};

OVERPRINT_TEST(TestColumnOps)
#include "TestColumnOps.moc"
