#pragma once

#include "core/DbError.h"
#include "core/Recordset.h"

#include <QSqlDatabase>
#include <QString>
#include <QVariant>
#include <QVariantMap>

namespace core {

// Named parameters of a statement: key "pname" binds ":pname" in the text.
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

    QSqlDatabase connection() const;
    QString connectionName() const { return m_name; }

    // Rowid of the last insert on this connection.
    qint64 lastInsertId() const;

private:
    QString m_name;
    QString m_path;
    bool m_inTransaction = false;
};

} // namespace core
