#pragma once

#include "core/DbError.h"
#include "core/Recordset.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <functional>

namespace core {

enum class Engine { SQLite, PostgreSQL };

// Why a server store is opened: for a seat's work, or as the target of a whole copy (db copy
// --to), which may open a store whose earlier copy never finished.
enum class ServerUse { Seat, CopyTarget };

// Where a store on a PostgreSQL server is. No password: the server's client library finds it
// in ~/.pgpass (or the file PGPASSFILE names), or in the service file under the service named.
struct ServerAddress {
    QString host;
    int port = 0;
    QString database;
    QString user;
    QString service; // a name of pg_service.conf, instead of or besides the fields above
    QString schema;  // empty: the database's public schema; several stores may share one database

    bool isEmpty() const { return host.isEmpty() && service.isEmpty() && database.isEmpty(); }
    // "服务器 host:port，数据库 db，用户 user" for messages, each part as given.
    QString describe() const;
    // postgresql://user@host:port/database?service=name&schema=name, or the key=value form of
    // the client library (host=… port=… user=… dbname=… service=… schema=…). An unreadable
    // text gives an empty address and the reason.
    static ServerAddress parse(const QString& text, QString* error = nullptr);
};

// Named parameters of a statement: key "pname" binds ":pname" in the text. A QVariantList
// value binds as one JSON array, the form keyList() reads.
using Params = QVariantMap;

// The one database of the program on the shared connection. Statements are written in the
// dialect the system's SQL was written in (DELETE * FROM, select top N, ucase, val, cdate,
// autoincrement(1,1), Text(n), long ...); translate() turns them into SQLite, and on a server
// ServerDialect turns that into PostgreSQL. Nothing outside this class needs to know which
// engine runs. Every failure throws DbError with the engine's message; a missing column's name
// is in that message.
class Database {
public:
    explicit Database(const QString& connectionName = QStringLiteral("overprint"));
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Opens (or creates) the SQLite file. Throws DbError when the file cannot be opened.
    void open(const QString& path);
    // Connects to a store on a PostgreSQL server; an empty store (no tables in its schema) is
    // built from the shipped schema and seed first, by one seat at a time. Throws DbError
    // naming the server, database and user when the connection fails. A store built for a copy
    // carries the mark StoreCopy::kPendingTable until the copy commits; a seat refuses it.
    void openServer(const ServerAddress& address, ServerUse use = ServerUse::Seat);
    void close();
    bool isOpen() const;
    // The file's path, or the server address described.
    QString path() const { return m_path; }
    Engine engine() const { return m_engine; }
    // The store's local file; empty when the store is on a server.
    QString filePath() const { return m_engine == Engine::SQLite ? m_path : QString(); }
    const ServerAddress& server() const { return m_server; }
    // Text as this store's tables compare it without regard to letter case: the local file
    // folds A–Z only, the server's case-blind text every letter.
    QString caseKey(const QString& text) const;

    // The columns of a table in table order (the server's row key left out); empty when there
    // is no such table. Names as the engine keeps them.
    QStringList columns(const QString& table);
    bool hasTable(const QString& table);
    bool hasIndex(const QString& index);
    // The program's tables (no engine tables), sorted.
    QStringList tables();
    // A complete copy of the store as a new local file (a backup before the data upgrade); the
    // file must not exist. Throws DbError.
    void copyToFile(const QString& path);

    // Runs a statement without rows; returns the number of rows affected.
    int exec(const QString& sql, const Params& params = {});
    // Runs a statement with rows; all rows are read at once.
    Recordset query(const QString& sql, const Params& params = {});
    // First column of the first row, or an invalid QVariant when there is no row.
    QVariant scalar(const QString& sql, const Params& params = {});

    // Transactions on the shared connection. Nesting is not supported: begin() while one is
    // open throws.
    void begin();
    void commit();
    void rollback();
    bool inTransaction() const { return m_inTransaction; }
    // Inside a transaction: other seats' transactions locking the same name wait until this one
    // ends (the save of one bill number). The local file needs none: one writer at a time.
    void lockName(const QString& name);
    // Holds a name for this connection until release() (or the connection ends, so a seat that
    // dies holds nothing): false when another seat holds it. The local file has one seat.
    bool tryHold(const QString& name);
    void release(const QString& name);

    // The one quoting helper for the few places that must splice a value into SQL text:
    // 'O''Brien'. Everything else binds parameters.
    static QString quote(const QString& value);
    // A failed statement's text as the program shows it: the engine's own words first.
    static QString errorText(const QSqlError& error);
    // Dialect translation into SQLite, and into the given engine; exposed for tests.
    static QString translate(const QString& sql);
    static QString translate(const QString& sql, Engine engine);
    // The statement as this connection's engine runs it.
    QString translated(const QString& sql) const { return translate(sql, m_engine); }
    // " in (…)" over the values of a list bound under one name: "where 流水号" + keyList("keys")
    // with {"keys", QVariantList{…}}. One parameter however many keys, so a selection of any
    // size costs one statement and no limit on parameters.
    static QString keyList(const QString& name);
    // Binds what the statement names, each parameter once; the statement is scanned once, so
    // the cost grows with its length and the number of values, never with their product.
    static void bind(QSqlQuery& query, const QString& translatedSql, const Params& params,
                     Engine engine = Engine::SQLite);

    // A write of several steps names each step as it passes it; a test sets a hook that stops
    // the write there (by throwing) to see what a process killed at that moment leaves.
    using StepHook = std::function<void(const QString& step)>;
    void setStepHook(StepHook hook) { m_stepHook = std::move(hook); }
    void reachStep(const QString& step) const {
        if (m_stepHook)
            m_stepHook(step);
    }

    QSqlDatabase connection() const;
    QString connectionName() const { return m_name; }
    // Runs a query prepared on connection() by a caller that keeps it for many runs, with the
    // same care for a failure inside a transaction as every statement of this class.
    bool execPrepared(QSqlQuery& query);

    // Rowid of the last insert on this connection.
    qint64 lastInsertId() const;

private:
    void createServerStore(bool forCopy);
    // Prepares, binds and runs. On the server a failed statement spoils the whole transaction;
    // inside one, each statement runs under a savepoint so that a caught failure leaves the rest
    // of the transaction usable, as it does on the local file.
    bool run(QSqlQuery& query, const QString& sql, const Params& params);
    bool guarded(const std::function<bool()>& statement);

    QString m_name;
    QString m_path;
    Engine m_engine = Engine::SQLite;
    ServerAddress m_server;
    qint64 m_lastInsertId = -1;
    bool m_inTransaction = false;
    StepHook m_stepHook;
};

} // namespace core
