#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include "core/Database.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>
#include <QUuid>

#include <memory>

// On a server a test's store is a copy of a template store (TestHome): the copy must be the store
// the program builds itself, in every table, column, default, key, index, function, sequence and row.
class TestCloneStore : public QObject {
    Q_OBJECT

    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<core::Database> m_built;
    QString m_builtSchema;

    // The rows of a catalogue query on one store, its schema's name written as "S".
    static QStringList rows(const QSqlDatabase& connection, const QString& sql) {
        QSqlQuery q(connection);
        if (!q.exec(QStringLiteral("select current_schema()")) || !q.next())
            return {q.lastError().text()};
        const QString schema = q.value(0).toString();
        if (!q.exec(sql))
            return {q.lastError().text()};
        QStringList out;
        while (q.next()) {
            QStringList cells;
            for (int i = 0; i < q.record().count(); ++i)
                cells << q.value(i).toString();
            out << cells.join(QLatin1Char('|')).replace(schema + QLatin1Char('.'), QStringLiteral("S."));
        }
        return out;
    }

private slots:
    void initTestCase() {
        QString reason;
        core::ServerAddress address = TestHome::testServer(&reason);
        if (address.isEmpty())
            QSKIP(qPrintable(reason));
        m_home = std::make_unique<TestHome>();
        QVERIFY2(m_home->isValid(), qPrintable(m_home->error()));
        m_builtSchema = QStringLiteral("b_") + QUuid::createUuid().toString(QUuid::Id128).left(16);
        address.schema = m_builtSchema;
        m_built = std::make_unique<core::Database>(QStringLiteral("clone-check"));
        m_built->openServer(address);
    }
    void cleanupTestCase() {
        if (m_built && m_built->isOpen())
            QSqlQuery(m_built->connection())
                .exec(QStringLiteral("DROP SCHEMA \"") + m_builtSchema + QStringLiteral("\" CASCADE"));
    }

    // The test's store is a copy: the template it was made from is on the server.
    void copiedFromTemplate() {
        QSqlQuery q(m_home->db().connection());
        QVERIFY(q.exec(QStringLiteral("select count(*) from pg_namespace where nspname like 'tpl\\_%'")));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toInt(), 1);
    }

    void sameAsBuilt_data() {
        QTest::addColumn<QString>("sql");
        QTest::newRow("tables") << "select table_name, table_type from information_schema.tables "
                                   "where table_schema = current_schema() order by 1";
        QTest::newRow("columns") << "select table_name, column_name, data_type, udt_name, is_nullable, "
                                    "column_default, is_identity, identity_generation, is_generated, "
                                    "generation_expression, collation_name, character_maximum_length "
                                    "from information_schema.columns where table_schema = current_schema() "
                                    "order by 1, ordinal_position";
        QTest::newRow("keys and checks")
            << "select t.relname, k.conname, k.contype, pg_get_constraintdef(k.oid) from pg_constraint k "
               "join pg_class t on t.oid = k.conrelid where k.connamespace = current_schema()::regnamespace "
               "order by 1, 2";
        QTest::newRow("indexes") << "select tablename, indexname, indexdef from pg_indexes "
                                    "where schemaname = current_schema() order by 1, 2";
        QTest::newRow("functions")
            << "select proname, prokind, pg_get_function_identity_arguments(oid), "
               "md5(prosrc) from pg_proc where pronamespace = current_schema()::regnamespace "
               "order by 1, 3";
        QTest::newRow("triggers")
            << "select c.relname, t.tgname from pg_trigger t join pg_class c on "
               "c.oid = t.tgrelid where c.relnamespace = current_schema()::regnamespace "
               "and not t.tgisinternal order by 1, 2";
        // The next key each table gives out, and every row of every table.
        QTest::newRow("sequences")
            << "select sequencename, nextval(format('%I', sequencename)) from pg_sequences "
               "where schemaname = current_schema() order by 1";
        QTest::newRow("rows")
            << "select table_name, (xpath('/row/n/text()', query_to_xml(format("
               "'select count(*) as n, md5(coalesce(string_agg(t::text, ''|'' order by "
               "t::text), '''')) as m from %I t', table_name), false, true, '')))[1]::text, "
               "(xpath('/row/m/text()', query_to_xml(format('select md5(coalesce("
               "string_agg(t::text, ''|'' order by t::text), '''')) as m from %I t', "
               "table_name), false, true, '')))[1]::text from information_schema.tables "
               "where table_schema = current_schema() and table_type = 'BASE TABLE' order by 1";
    }
    void sameAsBuilt() {
        QFETCH(QString, sql);
        const QStringList built = rows(m_built->connection(), sql);
        QVERIFY(!built.isEmpty() || QByteArray(QTest::currentDataTag()) == "triggers");
        QCOMPARE(rows(m_home->db().connection(), sql), built);
    }
};

OVERPRINT_TEST(TestCloneStore)
#include "TestCloneStore.moc"
