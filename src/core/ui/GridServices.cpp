#include "core/ui/GridServices.h"

#include "core/AppContext.h"
#include "core/ui/DataGrid.h"
#include "core/ui/StartupRules.h"

#include <QRegularExpression>
#include <QStringList>

namespace core::ui {

namespace {

QString widthKey(const DataGrid& grid, int column) {
    return grid.objectName().toUpper() + QStringLiteral(".W") + QString::number(column);
}

bool isStrMode(const QString& mode) {
    return mode.compare(QLatin1String("STR"), Qt::CaseInsensitive) == 0;
}

} // namespace

GridServices::GridServices(AppContext& app) : m_app(app) {}

bool GridServices::widthsApply(const DataGrid& grid, const QString& section) {
    if (!grid.isOpen())
        return false;
    if (section.isEmpty()) {
        m_app.dialogs().message(QStringLiteral("保存表格列宽异常！"));
        return false;
    }
    return true;
}

void GridServices::GridColsWidthSave(DataGrid& grid, const QString& section) {
    if (!widthsApply(grid, section))
        return;
    IniFile& ini = m_app.userIni();
    const QString upper = section.toUpper();
    for (int i = 0; i < grid.columnCount(); ++i)
        ini.writeString(upper, widthKey(grid, i),
                        grid.isColumnHidden(i) ? QStringLiteral("-1") : QString::number(grid.columnWidth(i)));
    ini.flush();
}

void GridServices::GridColsWidthLoad(DataGrid& grid, const QString& section) {
    if (!widthsApply(grid, section))
        return;
    IniFile& ini = m_app.userIni();
    const QString upper = section.toUpper();
    for (int i = 0; i < grid.columnCount(); ++i) {
        // Anything but a positive number hides the column, as a stored "-1" does.
        bool ok = false;
        int width = ini.readString(upper, widthKey(grid, i), QStringLiteral("40")).toInt(&ok);
        if (!ok)
            width = 0;
        // A column stored hidden has no width of its own: shown again it gets the chooser's
        // default rather than whatever the header last held.
        grid.setColumnHidden(i, false);
        grid.setColumnWidth(i, qMax(width, 0));
        if (width <= 0)
            grid.setColumnHidden(i, true);
    }
}

void GridServices::GridColsConfigration(DataGrid& grid, const QString& section) {
    if (m_chooser)
        m_chooser(grid, section);
    else
        m_app.dialogs().message(StartupRules::pendingFeatureHint());
}

void GridServices::setColumnChooser(std::function<void(DataGrid&, const QString&)> chooser) {
    m_chooser = std::move(chooser);
}

QString GridServices::joinValues(const QVariantList& values, const QString& mode) {
    static const QRegularExpression number(QStringLiteral("^-?\\d+(\\.\\d+)?$"));
    const bool quoted = isStrMode(mode);
    QStringList parts;
    for (const QVariant& v : values) {
        const QString text = v.isNull() ? QString() : v.toString();
        parts << (quoted || !number.match(text).hasMatch() ? Database::quote(text) : text);
    }
    return parts.join(QLatin1Char(','));
}

int GridServices::GridSelectedFetch(DataGrid& grid, const QString& column, QString& list,
                                    const QString& mode) {
    list.clear();
    try {
        if (column.isEmpty())
            throw DbError(QStringLiteral("没有指定列名~"));
        const QVariantList values = grid.selectedValues(column);
        list = joinValues(values, mode);
        return values.size();
    } catch (const DbError& e) {
        m_app.dialogs().message(QStringLiteral("DBGrid记录选取失败~") + e.message());
        return 0;
    }
}

int GridServices::GridSelectedDelete(DataGrid& grid, const QString& table, const QString& key,
                                     const QString& mode, const QString& caption) {
    QString list;
    const int count = GridSelectedFetch(grid, key, list, mode);
    if (count <= 0)
        return 0;
    const QString what = caption.isEmpty() ? QStringLiteral("数据记录") : caption;
    if (!m_app.dialogs().ask(QStringLiteral("确认要删除所选中的") + QString::number(count) +
                                 QStringLiteral("个") + what + QStringLiteral("吗?"),
                             QStringLiteral("删除确认")))
        return 0;
    // The keys go as one bound list, so any key text is safe and any number of rows is one
    // statement (one placeholder per key ran out of placeholders at a few ten thousand rows).
    QVariantList keys = grid.selectedValues(key);
    if (isStrMode(mode))
        for (QVariant& k : keys)
            k = k.toString();
    int affected = 0;
    try {
        affected = m_app.db().exec(QStringLiteral("delete from ") + table + QStringLiteral(" where ") + key +
                                       Database::keyList(QStringLiteral("keys")),
                                   {{QStringLiteral("keys"), keys}});
    } catch (const DbError& e) {
        m_app.dialogs().message(QStringLiteral("删除失败，错误=") + e.message());
        return 0;
    }
    m_app.dialogs().notice(QString::number(affected) + QStringLiteral("个") + what +
                               QStringLiteral("删除成功！"),
                           QStringLiteral("提示"));
    try {
        grid.refresh();
    } catch (const DbError&) {
        grid.close();
    }
    return affected;
}

int GridServices::GridDeleteCurrentList(DataGrid& grid) {
    if (!m_app.dialogs().ask(QStringLiteral("此操作将删除当前查询到的所有记录，确定删除吗？"),
                             QStringLiteral("警告")))
        return 0;
    try {
        const int count = grid.deleteAllRows();
        m_app.dialogs().message(QString::number(count) + QStringLiteral("条记录删除成功！"));
        return count;
    } catch (const DbError&) {
        m_app.dialogs().message(QStringLiteral("删除出现异常！"));
        return 0;
    }
}

int GridServices::CountTableAllRows(const QString& table) {
    try {
        return m_app.db().scalar(QStringLiteral("select count(*) from ") + table).toInt();
    } catch (const DbError& e) {
        m_app.dialogs().message(QStringLiteral("计算表格总数失败:") + table + QLatin1Char('-') + e.message());
        return 0;
    }
}

} // namespace core::ui
