#pragma once

#include "core/Database.h"

#include <QHash>
#include <QList>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

namespace core {

// Statements run once per row of a long run (an import, a recount), prepared once: preparing and scanning
// the text for its parameters again at every row costs five times the work of the statement
// itself. Written in the system's dialect (translated once), every value bound by name; a
// failure throws DbError with the engine's text, like Database.
class StatementCache {
public:
    explicit StatementCache(Database& db) : m_db(db) {}

    // Runs a statement without rows; the rows it changed.
    int exec(const QString& sql, const Params& params);
    // The first column of the first row, invalid when there is no row.
    QVariant scalar(const QString& sql, const Params& params);
    // Every row, each as its columns' values.
    QList<QVariantList> rows(const QString& sql, const Params& params);

private:
    QSqlQuery& prepared(const QString& sql, const Params& params);

    Database& m_db;
    QHash<QString, QSqlQuery> m_statements;
};

} // namespace core
