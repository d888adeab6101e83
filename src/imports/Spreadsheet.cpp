#include "imports/Spreadsheet.h"

#include "imports/CsvReader.h"
#include "imports/OdsReader.h"
#include "imports/SpreadsheetError.h"
#include "imports/XlsReader.h"
#include "imports/XlsxReader.h"
#include "imports/ZipArchive.h"

#include <QFile>
#include <QFileInfo>

namespace imports {

namespace {

std::unique_ptr<WorkbookReader> readerFor(const QString& path) {
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        throw SpreadsheetError(QStringLiteral("文件不存在或无法打开：") + path);
    const QByteArray head = file.read(8);
    file.close();
    if (head.startsWith("PK\x03\x04") || head.startsWith("PK\x05\x06")) {
        const bool ods = ZipArchive(path).contains(QStringLiteral("content.xml"));
        if (ods)
            return std::make_unique<OdsReader>(path);
        return std::make_unique<XlsxReader>(path);
    }
    if (head.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"))
        return std::make_unique<XlsReader>(path);
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"csv" || suffix == u"txt")
        return std::make_unique<CsvReader>(path);
    if (head.isEmpty())
        throw SpreadsheetError(QStringLiteral("文件是空的：") + path);
    if (head.startsWith("PK"))
        throw SpreadsheetError(QStringLiteral("工作簿已损坏或不完整，无法读取：") + path);
    throw SpreadsheetError(QStringLiteral("文件不是可识别的电子表格（xls、xlsx、et、ods或csv）：") + path);
}

// A workbook too large for memory is a workbook that cannot be read, like any other.
template <class Read> auto guarded(const QString& path, Read read) {
    try {
        return read();
    } catch (const std::bad_alloc&) {
        throw SpreadsheetError(QStringLiteral("工作簿过大，内存不足，无法读取：") + path);
    }
}

} // namespace

Spreadsheet::Spreadsheet() = default;
Spreadsheet::~Spreadsheet() = default;

void Spreadsheet::open(const QString& path) {
    close();
    std::unique_ptr<WorkbookReader> reader = guarded(path, [&] { return readerFor(path); });
    const QStringList names = reader->sheetNames();
    const int active = reader->activeSheet();
    SheetCells cells = guarded(path, [&] { return reader->readSheet(active); });
    m_reader = std::move(reader);
    m_path = path;
    m_names = names;
    m_active = active;
    m_cells = std::move(cells);
}

void Spreadsheet::close() {
    m_reader.reset();
    m_path.clear();
    m_names.clear();
    m_active = -1;
    m_cells = SheetCells();
}

void Spreadsheet::activate(int index) {
    if (!m_reader)
        throw SpreadsheetError(QStringLiteral("没有打开的工作簿。"));
    if (index < 0 || index >= m_names.size())
        throw SpreadsheetError(QStringLiteral("工作簿里没有第%1个工作表。").arg(index + 1));
    // The active sheet is read already; reading it again would only inflate its part twice.
    if (index == m_active)
        return;
    m_cells = guarded(m_path, [&] { return m_reader->readSheet(index); });
    m_active = index;
}

} // namespace imports
