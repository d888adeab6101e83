#include "core/Database.h"

#include "core/ColumnOps.h"
#include "core/ProgramFolder.h"
#include "core/ServerDialect.h"
#include "core/SqlFunctions.h"
#include "core/StoreCopy.h"

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>
#include <QUrlQuery>

#include <sqlite3.h>

namespace core {

namespace {

// TCP keepalives of a server connection, both ways: the program's side (libpq's connect options)
// and the server's side of this session (its settings), 30 s idle, then 3 probes 10 s apart.
const QStringList kClientKeepalives = {QStringLiteral("keepalives=1"), QStringLiteral("keepalives_idle=30"),
                                       QStringLiteral("keepalives_interval=10"),
                                       QStringLiteral("keepalives_count=3")};
const QStringList kServerKeepalives = {QStringLiteral("tcp_keepalives_idle = 30"),
                                       QStringLiteral("tcp_keepalives_interval = 10"),
                                       QStringLiteral("tcp_keepalives_count = 3")};

// Dates are stored as ISO text so that they compare correctly as text; a list of values is one
// JSON array (keyList() reads it with json_each), on the server an array literal.
QVariant bindable(const QVariant& value, Engine engine) {
    switch (value.typeId()) {
    case QMetaType::QDateTime:
        return value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    case QMetaType::QDate:
        return value.toDate().toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(" 00:00:00");
    case QMetaType::QVariantList: {
        if (engine == Engine::PostgreSQL) {
            QVariantList items;
            for (const QVariant& item : value.toList())
                items << bindable(item, engine);
            return ServerDialect::arrayLiteral(items);
        }
        QJsonArray array;
        for (const QVariant& item : value.toList()) {
            const QVariant one = bindable(item, engine);
            switch (one.typeId()) {
            case QMetaType::Int:
            case QMetaType::UInt:
            case QMetaType::LongLong:
            case QMetaType::ULongLong:
                array.append(one.toLongLong());
                break;
            case QMetaType::Double:
            case QMetaType::Float:
                array.append(one.toDouble());
                break;
            case QMetaType::Bool:
                array.append(one.toBool() ? 1 : 0);
                break;
            default:
                array.append(one.isNull() ? QJsonValue() : QJsonValue(one.toString()));
            }
        }
        return QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact));
    }
    default:
        return value;
    }
}

bool isNameChar(QChar c) {
    const char16_t u = c.unicode();
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '_';
}

// The placeholders of a statement outside its literals and quoted names, keyed by their
// case-folded name, each spelling as written: one pass over the text, read as the driver reads it.
QHash<QString, QStringList> placeholdersOf(const QString& sql) {
    QHash<QString, QStringList> found;
    const int n = sql.size();
    int i = 0;
    while (i < n) {
        const QChar c = sql.at(i);
        if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('`') ||
            c == QLatin1Char('[')) {
            const QChar close = c == QLatin1Char('[') ? QLatin1Char(']') : c;
            ++i;
            while (i < n) {
                if (sql.at(i) == close) {
                    // A doubled quote stays inside the literal.
                    if (close != QLatin1Char(']') && i + 1 < n && sql.at(i + 1) == close) {
                        i += 2;
                        continue;
                    }
                    break;
                }
                ++i;
            }
            ++i;
            continue;
        }
        if (c == QLatin1Char(':') && (i == 0 || sql.at(i - 1) != QLatin1Char(':')) && i + 1 < n &&
            isNameChar(sql.at(i + 1))) {
            int end = i + 1;
            while (end < n && isNameChar(sql.at(end)))
                ++end;
            const QString name = sql.mid(i + 1, end - i - 1);
            QStringList& spellings = found[name.toLower()];
            if (!spellings.contains(name))
                spellings << name;
            i = end;
            continue;
        }
        ++i;
    }
    return found;
}

} // namespace

void Database::bind(QSqlQuery& query, const QString& translatedSql, const Params& params, Engine engine) {
    if (params.isEmpty())
        return;
    const QHash<QString, QStringList> named = placeholdersOf(translatedSql);
    // Bind only what the statement names: the driver rejects surplus values.
    for (auto it = params.constBegin(); it != params.constEnd(); ++it) {
        const auto at = named.constFind(it.key().toLower());
        if (at == named.constEnd())
            continue;
        const QVariant value = bindable(it.value(), engine);
        for (const QString& spelling : at.value())
            query.bindValue(QLatin1Char(':') + spelling, value);
    }
}

QString Database::keyList(const QString& name) {
    return QStringLiteral(" in (select value from json_each(:") + name + QStringLiteral("))");
}

namespace {

// Splits a statement into pieces outside and inside quotes, so rewrites never touch a literal.
struct Piece {
    QString text;
    bool literal;
};

QVector<Piece> splitLiterals(const QString& sql) {
    QVector<Piece> pieces;
    QString current;
    int i = 0;
    while (i < sql.size()) {
        const QChar c = sql.at(i);
        if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('[')) {
            if (!current.isEmpty())
                pieces.append({current, false});
            current.clear();
            const QChar close = c == QLatin1Char('[') ? QLatin1Char(']') : c;
            QString lit(c);
            ++i;
            while (i < sql.size()) {
                lit += sql.at(i);
                if (sql.at(i) == close) {
                    if (close != QLatin1Char(']') && i + 1 < sql.size() && sql.at(i + 1) == close) {
                        lit += sql.at(i + 1);
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                ++i;
            }
            pieces.append({lit, true});
            continue;
        }
        current += c;
        ++i;
    }
    if (!current.isEmpty())
        pieces.append({current, false});
    return pieces;
}

QString joinPieces(const QVector<Piece>& pieces) {
    QString out;
    for (const Piece& p : pieces)
        out += p.text;
    return out;
}

QString rewriteOutsideLiterals(const QString& sql, const QRegularExpression& re, const QString& replacement) {
    QVector<Piece> pieces = splitLiterals(sql);
    for (Piece& p : pieces)
        if (!p.literal)
            p.text.replace(re, replacement);
    return joinPieces(pieces);
}

} // namespace

Database::Database(const QString& connectionName) : m_name(connectionName) {}

Database::~Database() {
    close();
}

void Database::open(const QString& path) {
    close();
    QString failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        if (!db.open()) {
            failure = errorText(db.lastError());
        } else {
            sqlite3* handle = *static_cast<sqlite3* const*>(db.driver()->handle().data());
            registerSqlFunctions(handle);
            // A file that is not a database only shows itself at the first read: find out now.
            QSqlQuery probe(db);
            if (!probe.exec(QStringLiteral("select count(*) from sqlite_master")))
                failure = errorText(probe.lastError());
        }
        if (!failure.isEmpty())
            db.close();
    }
    if (!failure.isEmpty()) {
        QSqlDatabase::removeDatabase(m_name);
        throw DbError(QStringLiteral("无法打开数据库 ") + path + QStringLiteral(": ") + failure);
    }
    m_path = path;
    m_engine = Engine::SQLite;
    // Test runs make thousands of tiny commits on scratch files; waiting for the disk on each
    // would only slow them down. The program itself always syncs its commits.
    if (qEnvironmentVariableIsSet("OVERPRINT_DB_NOSYNC"))
        exec(QStringLiteral("PRAGMA synchronous=OFF"));
}

QString ServerAddress::describe() const {
    QStringList parts;
    if (!service.isEmpty())
        parts << QStringLiteral("服务 ") + service;
    if (!host.isEmpty() || service.isEmpty())
        parts << QStringLiteral("服务器 ") + (host.isEmpty() ? QStringLiteral("localhost") : host) +
                     (port > 0 ? QLatin1Char(':') + QString::number(port) : QString());
    if (!database.isEmpty())
        parts << QStringLiteral("数据库 ") + database;
    if (!user.isEmpty())
        parts << QStringLiteral("用户 ") + user;
    if (!schema.isEmpty())
        parts << QStringLiteral("模式 ") + schema;
    return parts.join(QStringLiteral("，"));
}

ServerAddress ServerAddress::parse(const QString& text, QString* error) {
    ServerAddress a;
    const QString t = text.trimmed();
    auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        return ServerAddress{};
    };
    auto setKey = [&a](const QString& key, const QString& value) {
        const QString k = key.toLower();
        if (k == QLatin1String("host"))
            a.host = value;
        else if (k == QLatin1String("port"))
            a.port = value.toInt();
        else if (k == QLatin1String("dbname") || k == QLatin1String("database"))
            a.database = value;
        else if (k == QLatin1String("user"))
            a.user = value;
        else if (k == QLatin1String("service"))
            a.service = value;
        else if (k == QLatin1String("schema"))
            a.schema = value;
        else
            return false;
        return true;
    };
    if (t.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive) ||
        t.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive)) {
        const QUrl url(t);
        if (!url.isValid())
            return fail(QStringLiteral("地址无法识别: ") + t);
        if (!url.password().isEmpty())
            return fail(QStringLiteral("地址中不得写密码，请用 ~/.pgpass 或服务文件"));
        a.host = url.host();
        a.port = url.port(0);
        a.user = url.userName();
        a.database = url.path().mid(1);
        for (const auto& item : QUrlQuery(url).queryItems(QUrl::FullyDecoded))
            if (!setKey(item.first, item.second))
                return fail(QStringLiteral("地址中的未知选项: ") + item.first);
    } else {
        for (const QString& word : t.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const int eq = word.indexOf(QLatin1Char('='));
            if (eq <= 0 || !setKey(word.left(eq), word.mid(eq + 1)))
                return fail(QStringLiteral("连接参数无法识别: ") + word);
        }
    }
    if (a.port < 0 || a.port > 65535 || (!a.schema.isEmpty() && !ColumnOps::isPlainName(a.schema)))
        return fail(QStringLiteral("连接参数无法识别: ") + t);
    if (a.isEmpty())
        return fail(QStringLiteral("没有给出服务器"));
    return a;
}

void Database::openServer(const ServerAddress& address, ServerUse use) {
    close();
    QString failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_name);
        if (!db.isValid()) {
            failure = QStringLiteral("没有安装 PostgreSQL 数据库驱动 (QPSQL)");
        } else {
            db.setHostName(address.host);
            if (address.port > 0)
                db.setPort(address.port);
            db.setDatabaseName(address.database);
            db.setUserName(address.user);
            QStringList options;
            if (!address.service.isEmpty())
                options << QStringLiteral("service=") + address.service;
            options << QStringLiteral("connect_timeout=10") << QStringLiteral("application_name=overprint");
            // A server that went away is noticed within a minute rather than at the next statement.
            options << kClientKeepalives;
            db.setConnectOptions(options.join(QLatin1Char(';')));
            if (!db.open())
                failure = errorText(db.lastError());
        }
    }
    if (!failure.isEmpty()) {
        QSqlDatabase::removeDatabase(m_name);
        throw DbError(QStringLiteral("无法连接数据库服务器（") + address.describe() + QStringLiteral("）: ") +
                      failure);
    }
    m_engine = Engine::PostgreSQL;
    m_server = address;
    m_path = address.describe();
    try {
        const QString schema = address.schema.isEmpty() ? QStringLiteral("public") : address.schema;
        QSqlQuery q(connection());
        // The server's notices ("already exists, skipping") are no news to a clerk.
        q.exec(QStringLiteral("SET client_min_messages = warning"));
        // The store's schema first, then public (where citext lives), then the server's own
        // catalogue, so that the program's now() is found before the server's.
        if (!address.schema.isEmpty() &&
            !q.exec(QStringLiteral("CREATE SCHEMA IF NOT EXISTS \"") + schema + QLatin1Char('"')))
            throw DbError(errorText(q.lastError()));
        if (!q.exec(QStringLiteral("SET search_path = \"") + schema +
                    QStringLiteral("\", public, pg_catalog")))
            throw DbError(errorText(q.lastError()));
        // The holds of a seat whose PC died (session locks on orders) go when the server drops
        // its connection: probed after half a minute of silence, dropped a minute or so later,
        // instead of the two hours of the system's default.
        for (const QString& setting : kServerKeepalives)
            if (!q.exec(QStringLiteral("SET ") + setting))
                throw DbError(errorText(q.lastError()));
        if (qEnvironmentVariableIsSet("OVERPRINT_DB_NOSYNC"))
            q.exec(QStringLiteral("SET synchronous_commit = off"));
        if (!hasTable(QStringLiteral("configtable")))
            createServerStore(use == ServerUse::CopyTarget);
        else if (use == ServerUse::Seat && hasTable(StoreCopy::kPendingTable))
            throw DbError(QStringLiteral("这里的数据还没有复制完成（overprint db copy --to 没有做完），"
                                         "不能使用：请重新执行这次复制"));
    } catch (const DbError& e) {
        close();
        throw DbError(QStringLiteral("无法打开服务器上的数据（") + address.describe() +
                      QStringLiteral("）: ") + e.message());
    }
}

void Database::createServerStore(bool forCopy) {
    QString error;
    const QStringList shipped = ProgramFolder::shippedStatements(&error);
    if (shipped.isEmpty())
        throw DbError(error);
    begin();
    try {
        // Seats starting together on an empty store: the first builds it, the others find it.
        scalar(QStringLiteral("select pg_advisory_xact_lock(20261210)"));
        if (!hasTable(QStringLiteral("configtable"))) {
            QSqlQuery q(connection());
            for (const QString& statement : ServerDialect::functionStatements())
                if (!q.exec(statement))
                    throw DbError(errorText(q.lastError()) + QStringLiteral("\n") + statement.left(200));
            // One round trip for the whole script: the server runs it statement by statement.
            QStringList script;
            for (const QString& statement : shipped)
                script << ServerDialect::translate(statement);
            if (!q.exec(script.join(QStringLiteral(";\n"))))
                throw DbError(errorText(q.lastError()));
            if (!q.exec(ServerDialect::resetSequencesStatement()))
                throw DbError(errorText(q.lastError()));
            // With the seed, in its transaction: a copy killed before its own commit leaves a
            // store that says so, never a seed store that looks ready.
            if (forCopy)
                exec(QStringLiteral("create table ") + StoreCopy::kPendingTable +
                     QStringLiteral(" (Since Text(40))"));
        }
        commit();
    } catch (...) {
        rollback();
        throw;
    }
}

void Database::close() {
    if (!QSqlDatabase::contains(m_name))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(m_name);
    m_inTransaction = false;
    m_path.clear();
    m_engine = Engine::SQLite;
    m_server = {};
    m_lastInsertId = -1;
}

bool Database::isOpen() const {
    return QSqlDatabase::contains(m_name) && QSqlDatabase::database(m_name, false).isOpen();
}

QSqlDatabase Database::connection() const {
    return QSqlDatabase::database(m_name, false);
}

QString Database::errorText(const QSqlError& error) {
    // The engine's own words first: they name the missing column or table.
    QString text = error.databaseText().trimmed();
    // The server writes "ERROR:  what failed" and then lines for a developer (LINE, CONTEXT,
    // HINT): the first line without its severity is what the local file would have said.
    static const QRegularExpression severity(QStringLiteral("^(?:ERROR|FATAL|PANIC):\\s+"));
    if (severity.match(text).hasMatch())
        text = text.remove(severity).section(QLatin1Char('\n'), 0, 0).trimmed();
    const QString driver = error.driverText().trimmed();
    if (text.isEmpty())
        return driver;
    if (!driver.isEmpty() && !text.contains(driver))
        text += QStringLiteral(" (") + driver + QLatin1Char(')');
    return text;
}

QString Database::quote(const QString& value) {
    QString v = value;
    v.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + v + QLatin1Char('\'');
}

QString Database::translate(const QString& sql) {
    return translate(sql, Engine::SQLite);
}

QString Database::translate(const QString& sql, Engine engine) {
    QString s = sql.trimmed();
    while (s.endsWith(QLatin1Char(';')))
        s.chop(1);
    using RE = QRegularExpression;
    const auto ci = RE::CaseInsensitiveOption;

    static const RE deleteStar(QStringLiteral("^\\s*delete\\s+\\*\\s+from\\b"), ci);
    s = rewriteOutsideLiterals(s, deleteStar, QStringLiteral("DELETE FROM"));

    // ALTER TABLE t ALTER COLUMN c COUNTER (1,1) restarts the key: forget the table's sequence.
    static const RE counterReset(QStringLiteral("^\\s*alter\\s+table\\s+\\[?([^\\s\\]]+)\\]?\\s+alter\\s+"
                                                "column\\s+\\[?([^\\s\\]]+)\\]?\\s+counter\\s*"
                                                "\\(\\s*1\\s*,\\s*1\\s*\\)\\s*$"),
                                 ci);
    const auto counter = counterReset.match(s);
    if (counter.hasMatch()) {
        if (engine == Engine::SQLite)
            return QStringLiteral("DELETE FROM sqlite_sequence WHERE name=") + quote(counter.captured(1));
        // As on the local file the next key follows the highest one left.
        const QString table = counter.captured(1).toLower();
        const QString column = counter.captured(2).toLower();
        return QStringLiteral("select setval(pg_get_serial_sequence(%1, %2), coalesce(max(\"%3\"), 0) + 1, "
                              "false) from \"%4\"")
            .arg(quote(QLatin1Char('"') + table + QLatin1Char('"')), quote(column), column, table);
    }

    // select [distinct] top N ... → select [distinct] ... LIMIT N (the outer statement only).
    static const RE top(QStringLiteral("^(\\s*select\\s+(?:distinct\\s+)?)top\\s+(\\d+)\\s+"), ci);
    const auto topMatch = top.match(s);
    if (topMatch.hasMatch())
        s = topMatch.captured(1) + s.mid(topMatch.capturedEnd()) + QStringLiteral(" LIMIT ") +
            topMatch.captured(2);

    static const RE ddl(QStringLiteral("^\\s*(create\\s+table|alter\\s+table)\\b"), ci);
    if (ddl.match(s).hasMatch()) {
        static const RE autoinc(
            QStringLiteral(
                "\\b(?:autoincrement|counter)\\s*(?:\\(\\s*\\d+\\s*,\\s*\\d+\\s*\\))?\\s+primary\\s+key\\b"),
            ci);
        s = rewriteOutsideLiterals(s, autoinc, QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT"));
        static const RE autoincAlone(
            QStringLiteral(
                "(?<!key )\\b(?:autoincrement|counter)\\s*(?:\\(\\s*\\d+\\s*,\\s*\\d+\\s*\\))?(?=\\s*[,)])"),
            ci);
        s = rewriteOutsideLiterals(s, autoincAlone, QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT"));
        static const RE longType(QStringLiteral("\\blong\\b"), ci);
        s = rewriteOutsideLiterals(s, longType, QStringLiteral("INTEGER"));
        // Text compares without regard to letter case, as it did in the engine the SQL was written for.
        static const RE textType(
            QStringLiteral(
                "\\b(text|varchar|char|memo|string|longtext)(\\s*\\(\\s*\\d+\\s*\\))?+(?!\\s*collate)"),
            ci);
        s = rewriteOutsideLiterals(s, textType, QStringLiteral("\\1\\2 COLLATE NOCASE"));
    }
    return engine == Engine::PostgreSQL ? ServerDialect::translate(s) : s;
}

bool Database::guarded(const std::function<bool()>& statement) {
    const bool guard = m_engine == Engine::PostgreSQL && m_inTransaction;
    QSqlQuery mark(connection());
    if (guard && !mark.exec(QStringLiteral("SAVEPOINT overprint_statement")))
        throw DbError(errorText(mark.lastError()));
    const bool ok = statement();
    if (guard)
        mark.exec(ok ? QStringLiteral("RELEASE SAVEPOINT overprint_statement")
                     : QStringLiteral("ROLLBACK TO SAVEPOINT overprint_statement"));
    return ok;
}

bool Database::execPrepared(QSqlQuery& query) {
    return guarded([&query] { return query.exec(); });
}

bool Database::run(QSqlQuery& query, const QString& sql, const Params& params) {
    return guarded([&] {
        // The server's driver prepares by SQL PREPARE, which takes no table definitions; a
        // statement without values needs no preparing.
        if (m_engine == Engine::PostgreSQL && params.isEmpty())
            return query.exec(sql);
        if (!query.prepare(sql))
            return false;
        bind(query, sql, params, m_engine);
        return query.exec();
    });
}

int Database::exec(const QString& sql, const Params& params) {
    if (!isOpen())
        throw DbError(QStringLiteral("数据库未连接"));
    QString translated = this->translated(sql);
    static const QRegularExpression insert(QStringLiteral("^\\s*insert\\b(?!.*\\breturning\\b)"),
                                           QRegularExpression::CaseInsensitiveOption |
                                               QRegularExpression::DotMatchesEverythingOption);
    // The server tells the key of a new row only when asked for it with the insert.
    const bool returning = m_engine == Engine::PostgreSQL && insert.match(translated).hasMatch();
    if (returning)
        translated += QStringLiteral(" RETURNING ") + ServerDialect::rowKeyColumn();
    QSqlQuery query(connection());
    if (!run(query, translated, params))
        throw DbError(errorText(query.lastError()));
    if (returning)
        while (query.next())
            m_lastInsertId = query.value(0).toLongLong();
    // The driver reports the changes of the last data statement even after a DDL one.
    static const QRegularExpression dml(QStringLiteral("^\\s*(insert|update|delete|replace)\\b"),
                                        QRegularExpression::CaseInsensitiveOption);
    if (!dml.match(translated).hasMatch())
        return 0;
    const int affected = query.numRowsAffected();
    return affected < 0 ? 0 : affected;
}

namespace {

// A statement over one table without grouping can be edited row by row: find that table.
QString editableTable(const QString& sql) {
    static const QRegularExpression single(
        QStringLiteral("^\\s*select\\s+(?!distinct\\b)(.+?)\\s+from\\s+(\\[[^\\]]+\\]|[^\\s,;()\\[]+)"
                       "(?:\\s+(?:as\\s+)?(?!where\\b|order\\b|group\\b|limit\\b|inner\\b|left\\b|join\\b)[A-"
                       "Za-z_]\\w*)?"
                       "\\s*(?:where\\b.*|order\\b.*|limit\\b.*)?$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const auto m = single.match(sql);
    if (!m.hasMatch())
        return {};
    static const QRegularExpression aggregate(
        QStringLiteral("\\b(count|max|min|sum|avg)\\s*\\(|\\bgroup\\s+by\\b"),
        QRegularExpression::CaseInsensitiveOption);
    if (aggregate.match(m.captured(1)).hasMatch() || aggregate.match(sql).hasMatch())
        return {};
    static const QRegularExpression join(QStringLiteral("\\bjoin\\b"),
                                         QRegularExpression::CaseInsensitiveOption);
    if (join.match(sql).hasMatch())
        return {};
    QString table = m.captured(2);
    if (table.startsWith(QLatin1Char('[')) || table.startsWith(QLatin1Char('"')))
        table = table.mid(1, table.size() - 2).replace(QStringLiteral("\"\""), QStringLiteral("\""));
    if (table.startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive))
        return {};
    return table;
}

} // namespace

Recordset Database::query(const QString& sql, const Params& params) {
    if (!isOpen())
        throw DbError(QStringLiteral("数据库未连接"));
    const QString translated = this->translated(sql);
    Recordset rs;
    rs.m_db = this;
    const QString table = editableTable(translated);
    QString run = translated;
    if (!table.isEmpty()) {
        static const QRegularExpression head(QStringLiteral("^\\s*select\\s+"),
                                             QRegularExpression::CaseInsensitiveOption);
        const auto m = head.match(run);
        run = m.captured(0) + QStringLiteral("_rowid_ AS __rowid__, ") + run.mid(m.capturedEnd());
        if (m_engine == Engine::PostgreSQL)
            run = ServerDialect::inStoredOrder(run);
    }
    QSqlQuery query(connection());
    // Forward-only on the server reads row by row, and any further statement on the connection
    // (a savepoint's release, a look-up by the caller) would cut the rest off: there the rows
    // are taken whole.
    const bool forwardOnly = m_engine == Engine::SQLite;
    query.setForwardOnly(forwardOnly);
    const bool ok = this->run(query, run, params);
    if (!ok && !table.isEmpty()) {
        // A view or a statement the rowid cannot join: read it as it stands, without editing.
        const QSqlError first = query.lastError();
        query = QSqlQuery(connection());
        query.setForwardOnly(forwardOnly);
        if (!this->run(query, translated, params))
            throw DbError(errorText(first));
        rs.m_table.clear();
    } else if (!ok) {
        throw DbError(errorText(query.lastError()));
    } else {
        rs.m_table = table;
    }
    const QSqlRecord record = query.record();
    const bool withRowid = !rs.m_table.isEmpty();
    // The server's row key is no column of the program's tables, also where "*" brings it.
    QVector<int> columns;
    for (int i = withRowid ? 1 : 0; i < record.count(); ++i) {
        if (m_engine == Engine::PostgreSQL && record.fieldName(i) == ServerDialect::rowKeyColumn())
            continue;
        columns << i;
        rs.m_fields << (m_engine == Engine::PostgreSQL ? ServerDialect::spelling(record.fieldName(i), sql)
                                                       : record.fieldName(i));
    }
    const int width = rs.m_fields.size();
    while (query.next()) {
        QVector<QVariant> row(width);
        for (int i = 0; i < width; ++i)
            row[i] = query.value(columns.at(i));
        rs.m_rows.append(row);
        rs.m_rowids.append(withRowid ? query.value(0).toLongLong() : -1);
    }
    return rs;
}

QVariant Database::scalar(const QString& sql, const Params& params) {
    Recordset rs = query(sql, params);
    if (rs.isEmpty() || rs.fieldCount() == 0)
        return {};
    return rs.value(0);
}

void Database::begin() {
    if (m_inTransaction)
        throw DbError(QStringLiteral("事务已经开始"));
    QSqlDatabase db = connection();
    if (!db.transaction())
        throw DbError(errorText(db.lastError()));
    m_inTransaction = true;
}

// Locks are keyed by the store's schema and the name: two stores on one server never wait on
// each other's notes or orders.
void Database::lockName(const QString& name) {
    if (m_engine == Engine::PostgreSQL)
        scalar(QStringLiteral("select pg_advisory_xact_lock(hashtext(current_schema()), hashtext(:name))"),
               {{QStringLiteral("name"), name}});
}

bool Database::tryHold(const QString& name) {
    if (m_engine != Engine::PostgreSQL)
        return true;
    return scalar(QStringLiteral("select pg_try_advisory_lock(hashtext(current_schema()), hashtext(:name))"),
                  {{QStringLiteral("name"), name}})
        .toBool();
}

void Database::release(const QString& name) {
    if (m_engine == Engine::PostgreSQL)
        scalar(QStringLiteral("select pg_advisory_unlock(hashtext(current_schema()), hashtext(:name))"),
               {{QStringLiteral("name"), name}});
}

void Database::commit() {
    QSqlDatabase db = connection();
    if (!db.commit()) {
        const QString text = errorText(db.lastError());
        db.rollback();
        m_inTransaction = false;
        throw DbError(text);
    }
    m_inTransaction = false;
}

void Database::rollback() {
    if (!m_inTransaction)
        return;
    connection().rollback();
    m_inTransaction = false;
}

qint64 Database::lastInsertId() const {
    if (m_engine == Engine::PostgreSQL)
        return m_lastInsertId;
    QSqlQuery q(connection());
    if (q.exec(QStringLiteral("select last_insert_rowid()")) && q.next())
        return q.value(0).toLongLong();
    return -1;
}

void Database::copyToFile(const QString& path) {
    if (m_engine == Engine::SQLite) {
        exec(QStringLiteral("VACUUM INTO ") + quote(path));
        return;
    }
    StoreCopy::Result result;
    {
        Database file(m_name + QStringLiteral("-copy"));
        StoreCopy::createLocalStore(file, path);
        result = StoreCopy::copy(*this, file);
    }
    if (!result.ok) {
        QFile::remove(path);
        throw DbError(result.error);
    }
}

QString Database::caseKey(const QString& text) const {
    if (m_engine == Engine::PostgreSQL)
        return text.toLower();
    QString key = text;
    for (QChar& c : key)
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + ('a' - 'A'));
    return key;
}

namespace {

QStringList firstColumn(Recordset rs) {
    QStringList values;
    for (rs.first(); !rs.eof(); rs.next())
        values << rs.text(0);
    return values;
}

} // namespace

QStringList Database::columns(const QString& table) {
    const Recordset rs =
        m_engine == Engine::PostgreSQL
            ? query(QStringLiteral("select column_name from information_schema.columns where "
                                   "table_schema = current_schema() and table_name = lower(:t) and "
                                   "column_name <> :key order by ordinal_position"),
                    {{QStringLiteral("t"), table}, {QStringLiteral("key"), ServerDialect::rowKeyColumn()}})
            : query(QStringLiteral("select name from pragma_table_info(:t)"), {{QStringLiteral("t"), table}});
    return firstColumn(rs);
}

namespace {

// A table or index ("table", "index") of the store's own schema, letter case ignored.
bool hasSchemaObject(Database& db, const QString& kind, const QString& name) {
    if (db.engine() != Engine::PostgreSQL)
        return db
            .scalar(QStringLiteral("select 1 from sqlite_master where type=:kind and name=:n collate nocase"),
                    {{QStringLiteral("kind"), kind}, {QStringLiteral("n"), name}})
            .isValid();
    return db
        .scalar(kind == QLatin1String("table")
                    ? QStringLiteral("select 1 from information_schema.tables where "
                                     "table_schema = current_schema() and table_name = lower(:n)")
                    : QStringLiteral("select 1 from pg_indexes where schemaname = current_schema() and "
                                     "indexname = lower(:n)"),
                {{QStringLiteral("n"), name}})
        .isValid();
}

} // namespace

bool Database::hasTable(const QString& table) {
    return hasSchemaObject(*this, QStringLiteral("table"), table);
}

bool Database::hasIndex(const QString& index) {
    return hasSchemaObject(*this, QStringLiteral("index"), index);
}

QStringList Database::tables() {
    const Recordset rs =
        m_engine == Engine::PostgreSQL
            ? query(QStringLiteral("select table_name from information_schema.tables where "
                                   "table_schema = current_schema() and table_type = 'BASE TABLE' "
                                   "order by table_name"))
            : query(QStringLiteral("select name from sqlite_master where type='table' and "
                                   "name not like 'sqlite\\_%' escape '\\' order by name"));
    return firstColumn(rs);
}

} // namespace core
