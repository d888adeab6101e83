#pragma once

#include "core/Database.h"

#include <QSqlQuery>
#include <QString>

namespace core {

// One statement run for many rows (counting totals again over every note): translated and
// prepared once, where Database::exec would do both again at every row.
class RepeatedStatement {
public:
    RepeatedStatement(Database& db, const QString& sql);
    // Throws DbError.
    void exec(const Params& params);

private:
    Database& m_db;
    QString m_sql; // translated
    QSqlQuery m_query;
};

} // namespace core
