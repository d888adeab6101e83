#include "core/ui/DataGrid.h"

#include <QBrush>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPalette>
#include <QRegularExpression>
#include <algorithm>

namespace core::ui {

// The rows of the grid's record set as a table model; edits go through the record set, which
// writes them by rowid.
class DataGrid::Model : public QAbstractTableModel {
public:
    explicit Model(DataGrid& grid) : QAbstractTableModel(&grid), m_grid(grid) {}

    void reset(Recordset rows) {
        beginResetModel();
        m_rows = std::move(rows);
        m_appending = false;
        endResetModel();
    }

    bool appending() const { return m_appending; }
    bool isNewRow(int row) const { return m_appending && row == m_rows.recordCount(); }

    void startAppend(const QVariantMap& values) {
        const int row = m_rows.recordCount();
        beginInsertRows({}, row, row);
        m_appending = true;
        m_newRow = QVector<QVariant>(m_rows.fieldCount());
        m_newChanged = QVector<bool>(m_rows.fieldCount(), false);
        for (auto it = values.begin(); it != values.end(); ++it) {
            const int column = m_grid.fieldIndex(it.key());
            if (column >= 0) {
                m_newRow[column] = it.value();
                m_newChanged[column] = true;
            }
        }
        endInsertRows();
    }

    void dropNew() {
        const int row = m_rows.recordCount();
        beginRemoveRows({}, row, row);
        m_appending = false;
        endRemoveRows();
    }

    void removeRow(int row) {
        m_rows.seek(row);
        // The row leaves the record set only once the table lost it, so the view is told after.
        m_rows.remove();
        beginResetModel();
        m_grid.m_selectionOrder.clear();
        m_grid.m_selected.clear();
        endResetModel();
    }

    // Writes the appended row; on failure the row is dropped and the message returned.
    QString postNew() {
        const int row = m_rows.recordCount();
        try {
            m_rows.append();
            for (int i = 0; i < m_newRow.size(); ++i)
                if (m_newChanged.at(i))
                    m_rows.setValue(m_rows.fieldNames().at(i), m_newRow.at(i));
            m_rows.post();
        } catch (const DbError& e) {
            m_rows.cancel();
            dropNew();
            return e.message();
        }
        // The record set now holds the row the model showed as pending: same count, stored values.
        m_appending = false;
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
        return {};
    }

    const Recordset& rows() const { return m_rows; }
    Recordset& rows() { return m_rows; }

    bool canFetchMore(const QModelIndex& parent) const override {
        return !parent.isValid() && m_grid.m_more && !m_appending;
    }
    void fetchMore(const QModelIndex& parent) override {
        if (!canFetchMore(parent))
            return;
        Recordset more;
        try {
            more = m_grid.readBatch(m_rows.recordCount());
        } catch (const DbError&) {
            m_grid.m_more = false;
            return;
        }
        m_grid.m_more = more.recordCount() == m_grid.m_fetchSize;
        if (more.isEmpty())
            return;
        const int first = m_rows.recordCount();
        beginInsertRows({}, first, first + more.recordCount() - 1);
        m_rows.appendRows(more);
        endInsertRows();
    }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : m_rows.recordCount() + (m_appending ? 1 : 0);
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : m_rows.fieldCount();
    }

    QVariant cell(int row, int column) const {
        if (isNewRow(row))
            return m_newRow.value(column);
        if (row < 0 || row >= m_rows.recordCount() || column < 0 || column >= m_rows.fieldCount())
            return {};
        m_rows.seek(row);
        return m_rows.value(column);
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid())
            return {};
        if (role == Qt::DisplayRole || role == Qt::EditRole) {
            const QVariant v = cell(index.row(), index.column());
            return v.isNull() ? QVariant(QString()) : v;
        }
        if (role == Qt::BackgroundRole && !m_grid.m_columnColors.isEmpty()) {
            const QColor c = m_grid.m_columnColors.value(m_rows.fieldNames().value(index.column()).toLower());
            if (c.isValid())
                return QBrush(c);
        }
        if ((role == Qt::BackgroundRole || role == Qt::ForegroundRole) && m_grid.m_rowColors) {
            const RowColors colors = m_grid.m_rowColors(m_grid, index.row());
            const QColor& c = role == Qt::BackgroundRole ? colors.background : colors.text;
            if (c.isValid())
                return QBrush(c);
        }
        return {};
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (role != Qt::DisplayRole)
            return {};
        if (orientation == Qt::Horizontal)
            return m_rows.fieldNames().value(section);
        return section + 1;
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override {
        Qt::ItemFlags f = QAbstractTableModel::flags(index);
        if (!m_grid.m_editable || m_rows.table().isEmpty())
            return f;
        const QString field = m_rows.fieldNames().value(index.column());
        if (isNewRow(index.row()) || !m_grid.m_insertOnly.contains(field, Qt::CaseInsensitive))
            f |= Qt::ItemIsEditable;
        return f;
    }

    bool setData(const QModelIndex& index, const QVariant& value, int role) override {
        if (role != Qt::EditRole || !index.isValid())
            return false;
        if (isNewRow(index.row())) {
            m_newRow[index.column()] = value;
            m_newChanged[index.column()] = true;
            emit dataChanged(index, index);
            return true;
        }
        try {
            m_rows.seek(index.row());
            m_rows.edit();
            m_rows.setValue(m_rows.fieldNames().at(index.column()), value);
            m_rows.post();
        } catch (const DbError& e) {
            m_rows.cancel();
            emit m_grid.writeFailed(e.message());
            return false;
        }
        emit dataChanged(index, index);
        return true;
    }

private:
    DataGrid& m_grid;
    // Walking the rows moves the record set's position, which is no visible state.
    mutable Recordset m_rows;
    bool m_appending = false;
    QVector<QVariant> m_newRow;
    QVector<bool> m_newChanged;
};

DataGrid::DataGrid(Database& db, QWidget* parent) : QTableView(parent), m_db(db), m_model(new Model(*this)) {
    setModel(m_model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setAlternatingRowColors(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
}

Recordset DataGrid::readBatch(int offset) {
    if (m_fetchSize <= 0)
        return m_db.query(m_sql, m_params);
    return m_db.query(m_sql + QStringLiteral(" limit ") + QString::number(m_fetchSize) +
                          QStringLiteral(" offset ") + QString::number(offset),
                      m_params);
}

void DataGrid::run() {
    const int keepRow = currentRow();
    m_total = -1;
    m_selectionOrder.clear();
    m_selected.clear();
    m_more = false;
    try {
        Recordset rows = readBatch(0);
        m_more = m_fetchSize > 0 && rows.recordCount() == m_fetchSize;
        for (auto it = m_sources.cbegin(); it != m_sources.cend(); ++it)
            rows.setFieldOrigin(it.key(), it.value());
        m_model->reset(std::move(rows));
    } catch (const DbError&) {
        m_open = false;
        m_model->reset(Recordset());
        throw;
    }
    m_open = true;
    if (keepRow >= 0 && keepRow < rowCount())
        setCurrentIndex(m_model->index(keepRow, 0));
    emit queryOpened();
}

void DataGrid::setQuery(const QString& sql, const Params& params) {
    m_sql = sql;
    m_params = params;
    m_open = false;
    m_model->reset(Recordset());
    run();
}

void DataGrid::refresh() {
    if (!m_sql.isEmpty())
        run();
}

void DataGrid::close() {
    m_open = false;
    m_more = false;
    m_total = -1;
    m_selectionOrder.clear();
    m_selected.clear();
    m_model->reset(Recordset());
}

int DataGrid::rowCount() const {
    return m_model->rowCount();
}

int DataGrid::totalRows() const {
    if (!m_more)
        return rowCount();
    if (m_total < 0) {
        // The order of the rows does not change their number; counting without it spares a sort
        // of the whole result.
        static const QRegularExpression trailingOrder(QStringLiteral("\\s+order\\s+by\\s+[^()']*$"),
                                                      QRegularExpression::CaseInsensitiveOption);
        QString counted = m_sql;
        counted.remove(trailingOrder);
        try {
            m_total = m_db.scalar(QStringLiteral("select count(*) from (") + counted +
                                      QStringLiteral(") as listed"),
                                  m_params)
                          .toInt();
        } catch (const DbError&) {
            return rowCount();
        }
    }
    return m_total;
}

int DataGrid::columnCount() const {
    return m_model->columnCount();
}

QStringList DataGrid::fieldNames() const {
    return m_model->rows().fieldNames();
}

int DataGrid::fieldIndex(const QString& field) const {
    const QStringList names = fieldNames();
    for (int i = 0; i < names.size(); ++i)
        if (names.at(i).compare(field, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QVariant DataGrid::value(int row, const QString& field) const {
    return m_model->cell(row, fieldIndex(field));
}

QVariant DataGrid::currentValue(const QString& field) const {
    return value(currentRow(), field);
}

int DataGrid::currentRow() const {
    const QModelIndex i = currentIndex();
    return i.isValid() ? i.row() : -1;
}

void DataGrid::setCurrentRow(int row) {
    if (row < 0 || row >= rowCount())
        return;
    const QModelIndex index = m_model->index(row, 0);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void DataGrid::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) {
    QTableView::selectionChanged(selected, deselected);
    // Only the rows named in the change are looked at and the order list is filtered once, so
    // selecting or clearing every row of a long list stays linear.
    QItemSelectionModel* model = selectionModel();
    bool dropped = false;
    for (const QItemSelectionRange& range : deselected)
        for (int row = range.top(); row <= range.bottom(); ++row)
            if (m_selected.contains(row) && !model->isRowSelected(row, QModelIndex())) {
                m_selected.remove(row);
                dropped = true;
            }
    if (dropped) {
        QList<int> kept;
        kept.reserve(m_selected.size());
        for (int row : std::as_const(m_selectionOrder))
            if (m_selected.contains(row))
                kept.append(row);
        m_selectionOrder = kept;
    }
    for (const QItemSelectionRange& range : selected)
        for (int row = range.top(); row <= range.bottom(); ++row)
            if (!m_selected.contains(row)) {
                m_selected.insert(row);
                m_selectionOrder.append(row);
            }
}

void DataGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    // Leaving the appended row writes it, as moving off a new record always has. Queued: the
    // view is still inside its own change of the current cell.
    if (previous.isValid() && m_model->isNewRow(previous.row()) && current.row() != previous.row())
        QMetaObject::invokeMethod(
            this, [this] { postPending(); }, Qt::QueuedConnection);
}

void DataGrid::setFieldSource(const QString& field, const QString& column) {
    m_sources.insert(field, column);
    m_model->rows().setFieldOrigin(field, column);
}

void DataGrid::appendRow(const QVariantMap& values) {
    if (!postPending())
        return;
    m_model->startAppend(values);
    setCurrentRow(rowCount() - 1);
}

bool DataGrid::hasPendingRow() const {
    return m_model->appending();
}

bool DataGrid::postPending() {
    if (state() == QAbstractItemView::EditingState)
        for (QWidget* editor : viewport()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            commitData(editor);
            closeEditor(editor, QAbstractItemDelegate::NoHint);
        }
    if (!m_model->appending())
        return true;
    const QString failure = m_model->postNew();
    m_total = -1;
    if (failure.isEmpty())
        return true;
    emit writeFailed(failure);
    return false;
}

void DataGrid::stepCurrentRow(int step) {
    const int row = std::max(0, currentRow() + step);
    if (row >= rowCount() && m_model->canFetchMore({}))
        m_model->fetchMore({});
    if (rowCount() > 0)
        setCurrentRow(std::min(row, rowCount() - 1));
}

QList<int> DataGrid::selectedRows() const {
    return m_selectionOrder;
}

QVariantList DataGrid::selectedValues(const QString& field) const {
    const int column = fieldIndex(field);
    if (column < 0)
        throw DbError(QStringLiteral("项目不存在: ") + field);
    QVariantList out;
    for (int row : m_selectionOrder)
        out << m_model->cell(row, column);
    return out;
}

void DataGrid::setSelectedColors(const QColor& background, const QColor& text) {
    QPalette p = palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        p.setColor(group, QPalette::Highlight, background);
        p.setColor(group, QPalette::HighlightedText, text);
    }
    setPalette(p);
}

void DataGrid::setRowColors(std::function<RowColors(const DataGrid&, int)> colors) {
    m_rowColors = std::move(colors);
    viewport()->update();
}

void DataGrid::setColumnColor(const QString& field, const QColor& background) {
    m_columnColors.insert(field.toLower(), background);
    viewport()->update();
}

void DataGrid::deleteCurrentRow() {
    const int row = currentRow();
    if (row < 0)
        return;
    if (m_model->isNewRow(row)) {
        m_model->dropNew();
        return;
    }
    if (m_model->rows().table().isEmpty())
        throw DbError(QStringLiteral("记录集不可修改"));
    m_model->removeRow(row);
    m_total = -1;
}

void DataGrid::setEditable(bool editable) {
    m_editable = editable;
    setEditTriggers(editable ? QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                                   QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed
                             : QAbstractItemView::NoEditTriggers);
}

int DataGrid::deleteAllRows() {
    // Rows not read yet are listed too: a partly read grid deletes from a whole reading.
    Recordset whole = m_more ? m_db.query(m_sql, m_params) : Recordset();
    Recordset& rows = m_more ? whole : m_model->rows();
    if (rows.table().isEmpty())
        throw DbError(QStringLiteral("记录集不可修改"));
    int count = 0;
    m_db.begin();
    try {
        for (rows.first(); !rows.isEmpty();) {
            rows.remove();
            ++count;
        }
        m_db.commit();
    } catch (const DbError&) {
        m_db.rollback();
        // Show the rows as they are stored again; the delete's own error is what the caller reports.
        try {
            refresh();
        } catch (const DbError&) {
            close();
        }
        throw;
    }
    refresh();
    return count;
}

} // namespace core::ui
