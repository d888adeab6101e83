#include "imports/XlsxExport.h"

#include "imports/CellText.h"
#include "imports/SpreadsheetError.h"

#include <QFile>
#include <xlsxwriter.h>

namespace imports {

namespace {
constexpr double fontSize = 9;

QString lxwMessage(lxw_error error) {
    return QString::fromUtf8(lxw_strerror(error));
}
} // namespace

XlsxExport::XlsxExport(const QString& path, const QString& sheetName)
    : m_path(path), m_partPath(path + QStringLiteral(".part")) {
    // The workbook is only written when it is closed; a folder that cannot take it is found now,
    // before the rows are walked.
    QFile probe(m_partPath);
    if (!probe.open(QIODevice::WriteOnly))
        throw SpreadsheetError(QStringLiteral("不能写入文件：") + path + QStringLiteral("（") +
                               probe.errorString() + QStringLiteral("）"));
    probe.close();
    probe.remove();
    // Rows go to disk as they are written, so 100,000 rows do not sit in memory.
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    const QByteArray file = QFile::encodeName(m_partPath);
    m_workbook = workbook_new_opt(file.constData(), &options);
    if (!m_workbook)
        throw SpreadsheetError(QStringLiteral("无法创建工作簿：") + path);
    m_sheet = workbook_add_worksheet(m_workbook, sheetName.toUtf8().constData());
    if (!m_sheet)
        m_sheet = workbook_add_worksheet(m_workbook, nullptr);
    m_titleFormat = workbook_add_format(m_workbook);
    format_set_bold(m_titleFormat);
    format_set_font_size(m_titleFormat, fontSize);
    format_set_num_format(m_titleFormat, "@");
    m_textFormat = workbook_add_format(m_workbook);
    format_set_font_size(m_textFormat, fontSize);
    format_set_num_format(m_textFormat, "@");
    // Row heights fitted to the 9-point font.
    worksheet_set_default_row(m_sheet, 12, LXW_FALSE);
}

XlsxExport::~XlsxExport() {
    if (m_workbook) {
        workbook_close(m_workbook);
        QFile::remove(m_partPath);
    }
}

double XlsxExport::columnWidth(int gbkWidth) {
    // Widths count characters of the 11-point default font; the cells use 9 points.
    return qBound(4.0, gbkWidth * fontSize / 11.0 + 2.0, 100.0);
}

void XlsxExport::writeTitleRow(const QStringList& titles) {
    writeCells(titles, m_titleFormat);
}

void XlsxExport::writeRow(const QStringList& cells) {
    writeCells(cells, m_textFormat);
}

void XlsxExport::writeCells(const QStringList& cells, lxw_format* format) {
    if (m_row >= maxRows)
        throw SpreadsheetError(QStringLiteral("超过了Excel工作表的最大行数%1。").arg(maxRows));
    if (m_widths.size() < cells.size())
        m_widths.resize(cells.size());
    const int titleMargin = format == m_titleFormat ? 1 : 0;
    for (int c = 0; c < cells.size(); ++c) {
        const QString& cell = cells.at(c);
        QStringView text = QStringView(cell).left(maxCellLength);
        // A cut inside a surrogate pair drops the half rather than writing a broken character.
        if (text.size() < cell.size() && text.back().isHighSurrogate())
            text.chop(1);
        // No character is wider than two, so a text that cannot widen its column is not measured.
        if (2 * text.size() + titleMargin > m_widths.at(c)) {
            const int width = CellText::gbkWidth(text.size() == cell.size() ? cell : text.toString());
            m_widths[c] = qMax(m_widths.at(c), width + titleMargin);
        }
        lxw_error error;
        if (text.isEmpty()) {
            error = worksheet_write_blank(m_sheet, m_row, static_cast<lxw_col_t>(c), format);
        } else {
            const qsizetype room = m_utf8Encoder.requiredSpace(text.size()) + 1;
            if (m_utf8.size() < room)
                m_utf8.resize(room);
            *m_utf8Encoder.appendToBuffer(m_utf8.data(), text) = '\0';
            error =
                worksheet_write_string(m_sheet, m_row, static_cast<lxw_col_t>(c), m_utf8.constData(), format);
        }
        if (error != LXW_NO_ERROR)
            throw SpreadsheetError(lxwMessage(error));
    }
    ++m_row;
}

void XlsxExport::save() {
    for (int c = 0; c < m_widths.size(); ++c)
        worksheet_set_column(m_sheet, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c),
                             columnWidth(m_widths.at(c)), nullptr);
    const lxw_error error = workbook_close(m_workbook);
    m_workbook = nullptr;
    if (error != LXW_NO_ERROR) {
        QFile::remove(m_partPath);
        throw SpreadsheetError(lxwMessage(error) + QStringLiteral("：") + m_path);
    }
    if (QFile::exists(m_path) && !QFile::remove(m_path)) {
        QFile::remove(m_partPath);
        throw SpreadsheetError(QStringLiteral("文件正被使用或不能覆盖：") + m_path);
    }
    if (!QFile::rename(m_partPath, m_path)) {
        QFile::remove(m_partPath);
        throw SpreadsheetError(QStringLiteral("不能保存文件：") + m_path);
    }
}

} // namespace imports
