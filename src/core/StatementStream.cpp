#include "core/StatementStream.h"

#include "core/ServerDialect.h"

#include <QSqlError>
#include <QSqlRecord>

namespace core {

StatementStream::StatementStream(Database& db, const QString& statement, const Params& params, int rowCount,
                                 QObject* parent)
    : QAbstractTableModel(parent), m_query(db.connection()), m_rows(rowCount) {
    // On the server forward-only reads row by row and the next statement on the connection
    // would cut the rest off; the client library holds the whole result instead.
    m_query.setForwardOnly(db.engine() == Engine::SQLite);
    const QString translated = db.translated(statement);
    if (!m_query.prepare(translated))
        throw DbError(m_query.lastError().text());
    Database::bind(m_query, translated, params, db.engine());
    if (!m_query.exec())
        throw DbError(m_query.lastError().text());
    // The server's row key is no column of the program's tables.
    const QSqlRecord record = m_query.record();
    for (int i = 0; i < record.count(); ++i) {
        if (db.engine() == Engine::PostgreSQL && record.fieldName(i) == ServerDialect::rowKeyColumn())
            continue;
        m_fields << record.fieldName(i);
        m_columns << i;
    }
}

int StatementStream::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int StatementStream::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_fields.size();
}

QVariant StatementStream::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    while (m_at < index.row()) {
        if (!m_query.next())
            return {};
        ++m_at;
    }
    if (m_at != index.row())
        return {};
    const QVariant v = m_query.value(m_columns.value(index.column(), -1));
    return v.isNull() ? QVariant(QString()) : v;
}

QVariant StatementStream::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    return orientation == Qt::Horizontal ? QVariant(m_fields.value(section)) : QVariant(section + 1);
}

} // namespace core
