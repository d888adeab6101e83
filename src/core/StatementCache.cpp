#include "core/StatementCache.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlRecord>

namespace core {

QSqlQuery& StatementCache::prepared(const QString& sql, const Params& params) {
    auto it = m_statements.find(sql);
    if (it == m_statements.end()) {
        QSqlQuery query(m_db.connection());
        query.setForwardOnly(true);
        if (!query.prepare(m_db.translated(sql)))
            throw DbError(Database::errorText(query.lastError()));
        it = m_statements.insert(sql, query);
    }
    QSqlQuery& query = it.value();
    for (auto p = params.constBegin(); p != params.constEnd(); ++p) {
        // Dates as ISO text, as the database layer stores them.
        const QVariant value =
            p.value().typeId() == QMetaType::QDateTime
                ? QVariant(p.value().toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")))
                : p.value();
        query.bindValue(QLatin1Char(':') + p.key(), value);
    }
    return query;
}

int StatementCache::exec(const QString& sql, const Params& params) {
    QSqlQuery& query = prepared(sql, params);
    if (!m_db.execPrepared(query))
        throw DbError(Database::errorText(query.lastError()));
    const int affected = query.numRowsAffected();
    query.finish();
    return affected < 0 ? 0 : affected;
}

QVariant StatementCache::scalar(const QString& sql, const Params& params) {
    QSqlQuery& query = prepared(sql, params);
    if (!m_db.execPrepared(query))
        throw DbError(Database::errorText(query.lastError()));
    QVariant value;
    if (query.next())
        value = query.value(0);
    // A statement left open would keep the commit from ending the transaction.
    query.finish();
    return value;
}

QList<QVariantList> StatementCache::rows(const QString& sql, const Params& params) {
    QSqlQuery& query = prepared(sql, params);
    if (!m_db.execPrepared(query))
        throw DbError(Database::errorText(query.lastError()));
    QList<QVariantList> rows;
    const int columns = query.record().count();
    while (query.next()) {
        QVariantList row;
        row.reserve(columns);
        for (int c = 0; c < columns; ++c)
            row << query.value(c);
        rows << row;
    }
    query.finish();
    return rows;
}

} // namespace core
