#include "imports/GridExport.h"

#include "core/Dialogs.h"
#include "imports/CellText.h"
#include "imports/SpreadsheetError.h"
#include "imports/XlsxExport.h"

#include <QAbstractItemModel>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QSqlQueryModel>
#include <QSqlRecord>
#include <QStandardPaths>
#include <QUrl>
#include <charconv>
#include <cmath>

namespace imports {

namespace {

// CellText::number goes through a 15-digit text and back and then a third conversion. A value
// whose shortest form has at most 15 significant digits is already what that rounding gives,
// so it takes one conversion: every whole number below 10^15 and most amounts. The rest
// (binary noise such as 0.1 + 0.2) still go the long way.
QString numberText(double value) {
    if (std::isfinite(value) && value != 0) {
        if (std::fabs(value) < 1e15 && value == std::trunc(value))
            return QString::number(static_cast<qint64>(value));
        char shortest[32];
        const auto end =
            std::to_chars(shortest, shortest + sizeof shortest, value, std::chars_format::scientific).ptr;
        int digits = 0;
        for (const char* p = shortest; p < end && *p != 'e'; ++p)
            digits += *p >= '0' && *p <= '9';
        if (digits <= 15)
            return QString::number(value, 'f', QLocale::FloatingPointShortest);
    }
    return CellText::number(value);
}

} // namespace

GridExport::GridExport(core::Dialogs& dialogs, QAbstractItemModel* model, QVector<int> columns, QString title)
    : m_dialogs(dialogs), m_model(model), m_columns(std::move(columns)), m_title(std::move(title)),
      m_opener([](const QString& path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); }) {}

QString GridExport::fieldName(const QAbstractItemModel& model, int column) {
    if (const auto* sql = qobject_cast<const QSqlQueryModel*>(&model)) {
        const QString name = sql->record().fieldName(column);
        if (!name.isEmpty())
            return name;
    }
    return model.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
}

QString GridExport::cellText(const QAbstractItemModel& model, int row, int column) {
    const QVariant value = model.data(model.index(row, column), Qt::DisplayRole);
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return numberText(value.toDouble());
    default:
        return value.toString();
    }
}

QString GridExport::suggestedPath(const QString& title) {
    QString name = title;
    name.replace(QRegularExpression(QStringLiteral(R"([\\/:*?"<>|])")), QStringLiteral("_"));
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    // A desktop without a documents folder gets the home folder, never the program's working one.
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QDir::homePath();
    return QDir(folder).filePath(name + QStringLiteral(".xlsx"));
}

GridExport::Result GridExport::run(const TotalKnown& totalKnown, const RowDone& rowDone) {
    if (!m_model || m_model->columnCount() == 0) {
        m_dialogs.message(QStringLiteral("导出失败，没有可用的导出数据表！"));
        return Result::NoData;
    }
    // SQL models fetch in chunks; the count and the walk need every row.
    while (m_model->canFetchMore(QModelIndex()))
        m_model->fetchMore(QModelIndex());
    const int rows = m_model->rowCount();
    if (rows == 0) {
        m_dialogs.message(QStringLiteral("没有可导出的数据~"));
        if (!m_dialogs.ask(QStringLiteral("需要仅仅导出一个空的格式样本吗？"), QStringLiteral("询问")))
            return Result::Declined;
    }
    totalKnown(rows);

    QString path = m_dialogs.saveFileName(QStringLiteral("青木鸟软件-导出-") + m_title,
                                          suggestedPath(m_title), QStringLiteral("Excel(*.xlsx)"));
    if (path.isEmpty())
        return Result::Cancelled;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".xlsx");

    bool aborted = false;
    try {
        XlsxExport book(path);
        QStringList titles;
        for (int column : m_columns)
            titles.append(fieldName(*m_model, column));
        book.writeTitleRow(titles);
        QStringList cells;
        cells.reserve(m_columns.size());
        for (int n = 0; n < rows; ++n) {
            cells.clear();
            for (int column : m_columns)
                cells.append(cellText(*m_model, n, column));
            book.writeRow(cells);
            if (!rowDone(n + 1)) {
                m_dialogs.message(QStringLiteral("导出已被中止，已经导出了") + QString::number(n + 1) +
                                  QStringLiteral("个."));
                aborted = true;
                break;
            }
        }
        book.save();
    } catch (const SpreadsheetError& e) {
        m_dialogs.message(QStringLiteral("数据导出Excel出错,错误提示:") + e.message());
        return Result::Failed;
    }
    m_savedPath = path;
    if (!aborted)
        m_dialogs.message(QString::number(rows) + QStringLiteral("条记录导出完成！"));
    if (!m_opener(path))
        m_dialogs.message(QStringLiteral("没有找到打开Excel文件的程序，导出的文件已保存在：") +
                          QDir::toNativeSeparators(path));
    return aborted ? Result::Aborted : Result::Done;
}

} // namespace imports
