#pragma once

#include <QByteArray>
#include <QString>
#include <QStringEncoder>
#include <QStringList>
#include <QVector>

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

namespace imports {

// A new workbook of one sheet, written row by row: a bold title row, then data rows, every
// cell stored as text (so 000123 keeps its zeros) in a 9-point font, and column widths fitted
// to the longest text of each column. The file is written beside the target under a temporary
// name and moved over the target only when complete, so a failed export leaves nothing
// half-written behind. Failures throw SpreadsheetError.
class XlsxExport {
public:
    explicit XlsxExport(const QString& path, const QString& sheetName = QStringLiteral("Sheet1"));
    ~XlsxExport();
    XlsxExport(const XlsxExport&) = delete;
    XlsxExport& operator=(const XlsxExport&) = delete;

    void writeTitleRow(const QStringList& titles);
    void writeRow(const QStringList& cells);
    void save();

    // Excel keeps at most this many characters in a cell.
    static constexpr int maxCellLength = 32767;
    static constexpr int maxRows = 1048576;
    // Column width in character units for a text of the given GBK width.
    static double columnWidth(int gbkWidth);

private:
    void writeCells(const QStringList& cells, lxw_format* format);

    QString m_path;
    QString m_partPath;
    lxw_workbook* m_workbook = nullptr;
    lxw_worksheet* m_sheet = nullptr;
    lxw_format* m_titleFormat = nullptr;
    lxw_format* m_textFormat = nullptr;
    int m_row = 0;
    QVector<int> m_widths;
    // One buffer for the UTF-8 of every cell; stateless, so half a surrogate pair at the end of
    // a cut text is not carried into the next cell.
    QStringEncoder m_utf8Encoder{QStringEncoder::Utf8, QStringConverter::Flag::Stateless};
    QByteArray m_utf8;
};

} // namespace imports
