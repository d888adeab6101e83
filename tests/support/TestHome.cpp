#include "TestHome.h"

#include "core/IniFile.h"
#include "core/ProgramFolder.h"
#include "core/ServerDialect.h"

#include <QCryptographicHash>
#include <QDir>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

namespace {

// Building the store on the server (its functions, tables and seed, statement by statement) was
// most of a short test's time there. The first test of a program builds it once, the usual way,
// into a template schema named after the shipped statements (a changed schema gets a new one on
// a long-lived server); every test's schema is a copy the server makes of it, mostly in one statement:
// the functions made anew, the tables with their keys and indexes under their own names, the
// rows, and the defaults pointed at the copy's own functions. TestCloneStore holds the copy to
// the built store.
class StoreTemplate {
public:
    static StoreTemplate& instance() {
        static StoreTemplate* kept = new StoreTemplate; // its connection lives until the process ends
        return *kept;
    }

    // Makes the schema as a copy of the template, built first when missing; false with the
    // reason when it cannot.
    bool copyTo(const core::ServerAddress& server, const QString& schema, QString* error) {
        // Programs starting together may race to make the template's schema: the loser tries again.
        for (int attempt = 0; !m_db.isOpen(); ++attempt) {
            try {
                core::ServerAddress address = server;
                address.schema = name();
                m_db.openServer(address); // builds the template when the server lacks it
            } catch (const core::DbError& e) {
                if (attempt > 0) {
                    *error = e.message();
                    return false;
                }
            }
        }
        // One statement at a time: of several sent at once the client library reports the
        // first result only, and a failure further on would go unseen.
        QSqlQuery q(m_db.connection());
        bool ok = q.exec(QStringLiteral("BEGIN"));
        for (const QString& statement : copyScript(schema))
            if (ok && !q.exec(statement)) {
                ok = false;
                *error = q.lastError().text() + QLatin1Char('\n') + statement.left(200);
            }
        q.exec(ok ? QStringLiteral("COMMIT") : QStringLiteral("ROLLBACK"));
        q.exec(QStringLiteral("SET search_path = \"") + name() + QStringLiteral("\", public, pg_catalog"));
        return ok;
    }

    static QString name() {
        static const QString text = [] {
            QCryptographicHash hash(QCryptographicHash::Sha1);
            for (const QString& statement :
                 core::ProgramFolder::shippedStatements() + core::ServerDialect::functionStatements())
                hash.addData(statement.toUtf8());
            return QStringLiteral("tpl_") + QString::fromLatin1(hash.result().toHex().left(16));
        }();
        return text;
    }

private:
    StoreTemplate() : m_db(QStringLiteral("overprint-test-template")) {}

    static QStringList copyScript(const QString& schema) {
        const QString from = name();
        QStringList script{QStringLiteral("CREATE SCHEMA \"%1\"").arg(schema),
                           QStringLiteral("SET search_path = \"%1\", public, pg_catalog").arg(schema)};
        script += core::ServerDialect::functionStatements();
        // With the copy first on the path, the template's own functions print qualified in
        // the defaults and index expressions, and are pointed at the copy's.
        script << QStringLiteral(
                      "DO $copy$ declare r record; cols text; src text := %1; dst text := %2; begin "
                      "for r in select c.relname from pg_class c where c.relnamespace = src::regnamespace "
                      "and c.relkind = 'r' order by c.oid loop "
                      "execute format('create table %I.%I (like %I.%I including defaults including identity "
                      "including constraints including generated including storage including comments)', "
                      "dst, r.relname, src, r.relname); "
                      "select string_agg(quote_ident(a.attname), ', ' order by a.attnum) into cols "
                      "from pg_attribute a where a.attrelid = format('%I.%I', src, r.relname)::regclass "
                      "and a.attnum > 0 and not a.attisdropped and a.attgenerated = ''; "
                      "execute format('insert into %I.%I (%s) overriding system value select %s from %I.%I', "
                      "dst, r.relname, cols, cols, src, r.relname); end loop; "
                      "for r in select t.relname, k.conname, pg_get_constraintdef(k.oid) as def "
                      "from pg_constraint k join pg_class t on t.oid = k.conrelid "
                      "where k.connamespace = src::regnamespace and k.contype in ('p', 'u', 'x') order by "
                      "k.oid loop "
                      "execute format('alter table %I.%I add constraint %I ', dst, r.relname, r.conname) "
                      "|| replace(r.def, src || '.', dst || '.'); end loop; "
                      "for r in select i.indexdef from pg_indexes i where i.schemaname = src and not exists "
                      "(select 1 from pg_constraint k where k.conindid = format('%I.%I', src, "
                      "i.indexname)::regclass) "
                      "loop execute replace(r.indexdef, src || '.', dst || '.'); end loop; "
                      "for r in select t.relname, a.attname, pg_get_expr(d.adbin, d.adrelid) as def "
                      "from pg_attrdef d join pg_class t on t.oid = d.adrelid join pg_attribute a "
                      "on a.attrelid = d.adrelid and a.attnum = d.adnum "
                      "where t.relnamespace = dst::regnamespace and a.attgenerated = '' "
                      "and pg_get_expr(d.adbin, d.adrelid) like '%' || src || '.%' loop "
                      "execute format('alter table %I.%I alter column %I set default ', dst, r.relname, "
                      "r.attname) "
                      "|| replace(r.def, src || '.', dst || '.'); end loop; end $copy$")
                      .arg(quoted(from), quoted(schema));
        script << core::ServerDialect::resetSequencesStatement();
        return script;
    }

    static QString quoted(const QString& text) { return QLatin1Char('\'') + text + QLatin1Char('\''); }

    core::Database m_db;
};

} // namespace

TestHome::TestHome(Store store) {
    const QString run = path();
    m_valid = m_dir.isValid() && core::ProgramFolder::prepare(run, &m_error);
    const core::ServerAddress server = store == Store::LocalFile ? core::ServerAddress{} : testServer();
    if (m_valid) {
        // Programs built on a test folder take no automatic backups unless a test asks for them.
        core::IniFile ini(run + QStringLiteral("Config.ini"));
        ini.writeString(QStringLiteral("Backup"), QStringLiteral("Enabled"), QStringLiteral("0"));
        m_valid = ini.flush();
    }
    if (m_valid && !server.isEmpty()) {
        m_schema = QStringLiteral("t_") + QUuid::createUuid().toString(QUuid::Id128).left(16);
        core::IniFile ini(run + QStringLiteral("Config.ini"));
        const QString section = QStringLiteral("Database");
        ini.writeString(section, QStringLiteral("engine"), QStringLiteral("postgresql"));
        ini.writeString(section, QStringLiteral("host"), server.host);
        if (server.port > 0)
            ini.writeInteger(section, QStringLiteral("port"), server.port);
        ini.writeString(section, QStringLiteral("database"), server.database);
        ini.writeString(section, QStringLiteral("user"), server.user);
        ini.writeString(section, QStringLiteral("schema"), m_schema);
        m_valid = ini.flush() && StoreTemplate::instance().copyTo(server, m_schema, &m_error);
    }
    m_app = std::make_unique<core::AppContext>(run, m_dialogs);
    if (m_valid) {
        try {
            m_app->connect();
        } catch (const core::DbError& e) {
            m_valid = false;
            m_error = e.message();
        }
    }
}

TestHome::~TestHome() {
    if (m_schema.isEmpty() || !m_app->db().isOpen())
        return;
    try {
        m_app->db().rollback();
        // A seat of the same test still holding a lock must not keep the run waiting forever.
        m_app->db().exec(QStringLiteral("SET lock_timeout = '10s'"));
        m_app->db().exec(QStringLiteral("DROP SCHEMA IF EXISTS \"") + m_schema +
                         QStringLiteral("\" CASCADE"));
    } catch (const core::DbError&) {
        // A schema left behind only takes room on the test server.
    }
}

QString TestHome::path() const {
    return QDir::toNativeSeparators(m_dir.path()) + QDir::separator();
}

QString TestHome::testData(const QString& name) {
    return QString::fromLocal8Bit(qgetenv("OVERPRINT_TEST_DATA")) + QLatin1Char('/') + name;
}

core::ServerAddress TestHome::testServer(QString* reason) {
    const QString text = qEnvironmentVariable("OVERPRINT_TEST_PG").trimmed();
    if (text.isEmpty()) {
        if (reason)
            *reason = QStringLiteral("no PostgreSQL server: OVERPRINT_TEST_PG is not set "
                                     "(e.g. \"host=127.0.0.1 port=5432 user=me dbname=overprint_test\")");
        return {};
    }
    QString error;
    const core::ServerAddress address = core::ServerAddress::parse(text, &error);
    if (reason)
        *reason = error;
    return address;
}

std::unique_ptr<core::AppContext> TestHome::secondSeat(core::Dialogs& dialogs) const {
    auto seat = std::make_unique<core::AppContext>(path(), dialogs);
    seat->connect();
    return seat;
}
