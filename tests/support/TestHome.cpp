#include "TestHome.h"

#include "core/IniFile.h"
#include "core/ProgramFolder.h"

#include <QDir>
#include <QUuid>

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
        m_valid = ini.flush();
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
