#pragma once

#include "core/Database.h"

#include <QAbstractTableModel>
#include <QSqlQuery>
#include <QStringList>
#include <QVector>

namespace core {

// The rows of a statement for one walk from first to last (an export of the whole result):
// read forward as asked, one row held at a time, so a million rows take no more memory than
// one. Rows must be asked for in order; the count comes from a count statement.
class StatementStream : public QAbstractTableModel {
public:
    StatementStream(Database& db, const QString& statement, const Params& params, int rowCount,
                    QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    mutable QSqlQuery m_query;
    QStringList m_fields;
    QVector<int> m_columns; // the query's column of each field
    int m_rows = 0;
    mutable int m_at = -1;
};

} // namespace core
