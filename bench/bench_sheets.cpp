// Spreadsheet bridge: reading the 6,000-row recipient workbook (open, then every cell of the
// active sheet as text) and exporting a grid model of 100,000 rows × 20 columns to xlsx through
// the export window (as a clerk starts it), beside a plain libxlsxwriter loop writing the same texts with
// the same options, so the export is reported as a ratio to the library's own time. Prints the
// medians. The test data folder is taken from OVERPRINT_TEST_DATA, else the first argument, else
// tests/data under the working folder. "--rows N" sizes the export; "--library" or "--export"
// runs that side once only (for counting instructions under callgrind).

#include "BenchHome.h"
#include "imports/GridExport.h"
#include "imports/ReaderProcess.h"
#include "imports/Spreadsheet.h"
#include "imports/SpreadsheetError.h"
#include "imports/ui/TfrmExportExcel.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <vector>
#include <xlsxwriter.h>

namespace {

// Rows computed on demand, so the benchmark times the export and not the building of a grid.
class LargeModel final : public QAbstractTableModel {
public:
    explicit LargeModel(int rows) : m_rows(rows) {}
    int rowCount(const QModelIndex& = {}) const override { return m_rows; }
    int columnCount(const QModelIndex& = {}) const override { return 20; }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole)
            return {};
        switch (index.column() % 4) {
        case 0:
            return QStringLiteral("DD%1").arg(index.row(), 6, 10, QLatin1Char('0'));
        case 1:
            return QStringLiteral("上海市浦东新区科技园路%1号").arg(index.row() % 997);
        case 2:
            return 13800138000.0 + index.row();
        default:
            return 12.5 * (index.column() + 1);
        }
    }
    QVariant headerData(int section, Qt::Orientation, int role) const override {
        return role == Qt::DisplayRole ? QVariant(QStringLiteral("列%1").arg(section + 1)) : QVariant();
    }

private:
    int m_rows;
};

// The library alone: the same workbook options, formats, texts and column widths as the export,
// with the cell texts made by snprintf, so what is timed is libxlsxwriter's own work.
bool libraryLoop(const QString& path, int rows) {
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    const QByteArray file = QFile::encodeName(path);
    lxw_workbook* workbook = workbook_new_opt(file.constData(), &options);
    if (!workbook)
        return false;
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, "Sheet1");
    lxw_format* title = workbook_add_format(workbook);
    format_set_bold(title);
    format_set_font_size(title, 9);
    format_set_num_format(title, "@");
    lxw_format* textFormat = workbook_add_format(workbook);
    format_set_font_size(textFormat, 9);
    format_set_num_format(textFormat, "@");
    worksheet_set_default_row(sheet, 12, LXW_FALSE);
    char cell[64];
    for (lxw_col_t c = 0; c < 20; ++c) {
        std::snprintf(cell, sizeof cell, "列%d", c + 1);
        worksheet_write_string(sheet, 0, c, cell, title);
    }
    // Texts are made by hand into fixed buffers: the loop should cost what the library costs.
    char amounts[20][16];
    for (int c = 0; c < 20; ++c)
        std::snprintf(amounts[c], sizeof amounts[c], "%g", 12.5 * (c + 1));
    static constexpr char street[] = "上海市浦东新区科技园路";
    char order[16] = "DD";
    char address[64];
    std::memcpy(address, street, sizeof street - 1);
    char phone[24];
    for (int r = 0; r < rows; ++r) {
        for (int i = 7, rest = r; i >= 2; --i, rest /= 10)
            order[i] = static_cast<char>('0' + rest % 10);
        order[8] = 0;
        char* end = std::to_chars(address + sizeof street - 1, address + sizeof address, r % 997).ptr;
        std::memcpy(end, "号", sizeof "号");
        *std::to_chars(phone, phone + sizeof phone - 1, 13800138000LL + r).ptr = 0;
        const lxw_row_t row = static_cast<lxw_row_t>(r + 1);
        for (int c = 0; c < 20; ++c) {
            const char* text = c % 4 == 0 ? order : c % 4 == 1 ? address : c % 4 == 2 ? phone : amounts[c];
            worksheet_write_string(sheet, row, static_cast<lxw_col_t>(c), text, textFormat);
        }
    }
    for (lxw_col_t c = 0; c < 20; ++c)
        worksheet_set_column(sheet, c, c, 20, nullptr);
    return workbook_close(workbook) == LXW_NO_ERROR;
}

// The program's export of the same rows as a clerk runs it: the export window's start button.
bool programExport(const QString& path, int rows) {
    BenchHome home;
    if (!home.prepare())
        return false;
    LargeModel model(rows);
    QVector<int> columns;
    for (int c = 0; c < model.columnCount(); ++c)
        columns.append(c);
    home.dialogs.files.enqueue(path);
    imports::TfrmExportExcel window(home.app(), &model, columns, QStringLiteral("订单批量导出Excel"));
    window.setOpener([](const QString&) { return true; });
    window.show();
    window.btStartClick();
    if (window.outcome() != imports::GridExport::Result::Done)
        std::fprintf(stderr, "export failed: %s\n", qPrintable(home.dialogs.lastText()));
    return window.outcome() == imports::GridExport::Result::Done;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

// --open <file>: opens one workbook as the product import does (open, first sheet, the whole
// title row, then its seven columns of every data row of the used range), prints what came of it
// and the time; for measuring a hostile file with /usr/bin/time -v.
int openOne(const QString& path) {
    QElapsedTimer timer;
    timer.start();
    imports::Spreadsheet book;
    try {
        book.open(path);
        book.activate(0);
        qint64 cells = 0;
        for (int c = 1; c <= book.usedColumns(); ++c)
            cells += book.cell(1, c).isEmpty() ? 0 : 1;
        for (int r = 2; r <= book.usedRows(); ++r) {
            for (int c = 1; c <= 7; ++c)
                cells += book.cell(r, c).isEmpty() ? 0 : 1;
        }
        std::printf("opened %d x %d, %lld non-empty cells", book.usedRows(), book.usedColumns(),
                    static_cast<long long>(cells));
    } catch (const imports::SpreadsheetError& e) {
        std::printf("refused: %s", qPrintable(e.message()));
    }
    std::printf(" (%.0f ms)\n", timer.nsecsElapsed() / 1e6);
    return 0;
}

int main(int argc, char** argv) {
    if (imports::ReaderProcess::requested(argc, argv))
        return imports::ReaderProcess::run(argc, argv);
    // The export window is shown; without a desktop it is drawn off screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--open") == 0)
        return openOne(QString::fromLocal8Bit(argv[2]));
    QStringList arguments = application.arguments().mid(1);
    int rows = 100000;
    if (const qsizetype at = arguments.indexOf(QStringLiteral("--rows"));
        at >= 0 && at + 1 < arguments.size()) {
        rows = qMax(1, arguments.at(at + 1).toInt());
        arguments.remove(at, 2);
    }
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("export.xlsx"));
    if (arguments.contains(QStringLiteral("--library")))
        return libraryLoop(target, rows) ? 0 : 1;
    if (arguments.contains(QStringLiteral("--export")))
        return programExport(target, rows) ? 0 : 1;
    QString data = qEnvironmentVariable("OVERPRINT_TEST_DATA");
    if (data.isEmpty())
        data = !arguments.isEmpty() ? arguments.first() : QStringLiteral("tests/data");
    const QString workbook = data + QStringLiteral("/sheets/recipients-6000.xlsx");

    std::vector<double> reads;
    qint64 cells = 0;
    for (int run = 0; run < 7; ++run) {
        QElapsedTimer timer;
        timer.start();
        imports::Spreadsheet book;
        try {
            book.open(workbook);
        } catch (const imports::SpreadsheetError& e) {
            std::fprintf(stderr, "%s\n", qPrintable(e.message()));
            return 1;
        }
        cells = 0;
        for (int r = 1; r <= book.usedRows(); ++r) {
            for (int c = 1; c <= book.usedColumns(); ++c)
                cells += book.cell(r, c).isEmpty() ? 0 : 1;
        }
        reads.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::printf("read recipients-6000.xlsx (%lld non-empty cells): median %.1f ms over %zu runs\n",
                static_cast<long long>(cells), median(reads), reads.size());

    // Turns about, so neither side always runs on a warm (or a cold) disk cache.
    std::vector<double> library;
    std::vector<double> exports;
    for (int run = 0; run < 3; ++run) {
        QElapsedTimer timer;
        timer.start();
        if (!libraryLoop(target, rows)) {
            std::fprintf(stderr, "library loop failed\n");
            return 1;
        }
        library.push_back(timer.nsecsElapsed() / 1e6);
        timer.restart();
        if (!programExport(target, rows))
            return 1;
        exports.push_back(timer.nsecsElapsed() / 1e6);
    }
    const double libraryMs = median(library);
    const double exportMs = median(exports);
    std::printf("libxlsxwriter alone %d x 20: median %.0f ms over %zu runs\n", rows, libraryMs,
                library.size());
    std::printf("export %d x 20 to xlsx: median %.0f ms over %zu runs, %.2f x the library\n", rows, exportMs,
                exports.size(), exportMs / libraryMs);
    return 0;
}
