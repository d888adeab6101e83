#pragma once

#include "core/DbError.h"
#include "core/Recordset.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <functional>

namespace core {

// Named parameters of a statement: key "pname" binds ":pname" in the text. A QVariantList
// value binds as one JSON array, the form keyList() reads.
using Params = QVariantMap;

// The one database of the program on the shared connection. Statements are written in the
// dialect the system's SQL was written in (DELETE * FROM, select top N, ucase, val, cdate,
// autoincrement(1,1), Text(n), long ...); translate() turns them into SQLite. Every failure
// throws DbError with the engine's message; a missing column's name is in that message.
class Database {
public:
    explicit Database(const QString& connectionName = QStringLiteral("overprint"));
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Opens (or creates) the SQLite file. Throws DbError when the file cannot be opened.
    void open(const QString& path);
    void close();
    bool isOpen() const;
    QString path() const { return m_path; }

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

    // The one quoting helper for the few places that must splice a value into SQL text:
    // 'O''Brien'. Everything else binds parameters.
    static QString quote(const QString& value);
    // Dialect translation; exposed for tests.
    static QString translate(const QString& sql);
    // " in (…)" over the values of a list bound under one name: "where 流水号" + keyList("keys")
    // with {"keys", QVariantList{…}}. One parameter however many keys, so a selection of any
    // size costs one statement and no limit on parameters.
    static QString keyList(const QString& name);
    // Binds what the statement names, each parameter once; the statement is scanned once, so
    // the cost grows with its length and the number of values, never with their product.
    static void bind(QSqlQuery& query, const QString& translatedSql, const Params& params);

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

    // Rowid of the last insert on this connection.
    qint64 lastInsertId() const;

private:
    QString m_name;
    QString m_path;
    bool m_inTransaction = false;
    StepHook m_stepHook;
};

} // namespace core
