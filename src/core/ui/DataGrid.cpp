#include "core/ui/DataGrid.h"

#include <QBrush>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPalette>

namespace core::ui {

// The rows of the grid's record set as a table model; edits go through the record set, which
// writes them by rowid.
class DataGrid::Model : public QAbstractTableModel {
public:
    explicit Model(DataGrid& grid) : QAbstractTableModel(&grid), m_grid(grid) {}

    void reset(Recordset rows) {
        beginResetModel();
        m_rows = std::move(rows);
        endResetModel();
    }

    const Recordset& rows() const { return m_rows; }
    Recordset& rows() { return m_rows; }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : m_rows.recordCount();
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : m_rows.fieldCount();
    }

    QVariant cell(int row, int column) const {
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
        if (m_grid.m_editable && !m_rows.table().isEmpty())
            f |= Qt::ItemIsEditable;
        return f;
    }

    bool setData(const QModelIndex& index, const QVariant& value, int role) override {
        if (role != Qt::EditRole || !index.isValid())
            return false;
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
};

DataGrid::DataGrid(Database& db, QWidget* parent) : QTableView(parent), m_db(db), m_model(new Model(*this)) {
    setModel(m_model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setAlternatingRowColors(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
}

void DataGrid::run() {
    const int keepRow = currentRow();
    m_selectionOrder.clear();
    try {
        m_model->reset(m_db.query(m_sql, m_params));
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
    m_selectionOrder.clear();
    m_model->reset(Recordset());
}

int DataGrid::rowCount() const {
    return m_model->rowCount();
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
    QItemSelectionModel* model = selectionModel();
    for (int i = m_selectionOrder.size() - 1; i >= 0; --i)
        if (!model->isRowSelected(m_selectionOrder.at(i), QModelIndex()))
            m_selectionOrder.removeAt(i);
    for (const QItemSelectionRange& range : selected)
        for (int row = range.top(); row <= range.bottom(); ++row)
            if (!m_selectionOrder.contains(row) && model->isRowSelected(row, QModelIndex()))
                m_selectionOrder.append(row);
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

void DataGrid::setEditable(bool editable) {
    m_editable = editable;
    setEditTriggers(editable ? QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                                   QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed
                             : QAbstractItemView::NoEditTriggers);
}

int DataGrid::deleteAllRows() {
    Recordset& rows = m_model->rows();
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
