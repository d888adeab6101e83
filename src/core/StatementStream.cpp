#include "core/StatementStream.h"

#include <QSqlError>
#include <QSqlRecord>

namespace core {

StatementStream::StatementStream(Database& db, const QString& statement, const Params& params, int rowCount,
                                 QObject* parent)
    : QAbstractTableModel(parent), m_query(db.connection()), m_rows(rowCount) {
    m_query.setForwardOnly(true);
    const QString translated = Database::translate(statement);
    if (!m_query.prepare(translated))
        throw DbError(m_query.lastError().text());
    Database::bind(m_query, translated, params);
    if (!m_query.exec())
        throw DbError(m_query.lastError().text());
    const QSqlRecord record = m_query.record();
    for (int i = 0; i < record.count(); ++i)
        m_fields << record.fieldName(i);
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
    const QVariant v = m_query.value(index.column());
    return v.isNull() ? QVariant(QString()) : v;
}

QVariant StatementStream::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    return orientation == Qt::Horizontal ? QVariant(m_fields.value(section)) : QVariant(section + 1);
}

} // namespace core
