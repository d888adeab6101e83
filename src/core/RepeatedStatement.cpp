#include "core/RepeatedStatement.h"

namespace core {

RepeatedStatement::RepeatedStatement(Database& db, const QString& sql)
    : m_db(db), m_sql(db.translated(sql)), m_query(db.connection()) {
    if (!m_query.prepare(m_sql))
        throw DbError(Database::errorText(m_query.lastError()));
}

void RepeatedStatement::exec(const Params& params) {
    Database::bind(m_query, m_sql, params, m_db.engine());
    if (!m_db.execPrepared(m_query))
        throw DbError(Database::errorText(m_query.lastError()));
}

} // namespace core
