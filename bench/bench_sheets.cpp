// Spreadsheet bridge: reading the 6,000-row recipient workbook (open, then every cell of the
// active sheet as text) and exporting a grid model of 100,000 rows × 20 columns to xlsx through
// the same export the window runs. Prints the medians. The test data folder is taken from
// OVERPRINT_TEST_DATA, else the first argument, else tests/data under the working folder.

#include "core/ScriptedDialogs.h"
#include "imports/GridExport.h"
#include "imports/ReaderProcess.h"
#include "imports/Spreadsheet.h"
#include "imports/SpreadsheetError.h"

#include <QAbstractTableModel>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Rows computed on demand, so the benchmark times the export and not the building of a grid.
class LargeModel final : public QAbstractTableModel {
public:
    int rowCount(const QModelIndex& = {}) const override { return 100000; }
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
};

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
    QCoreApplication application(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--open") == 0)
        return openOne(QString::fromLocal8Bit(argv[2]));
    QString data = qEnvironmentVariable("OVERPRINT_TEST_DATA");
    if (data.isEmpty())
        data = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("tests/data");
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

    QTemporaryDir dir;
    LargeModel model;
    QVector<int> columns;
    for (int c = 0; c < model.columnCount(); ++c)
        columns.append(c);
    std::vector<double> exports;
    for (int run = 0; run < 3; ++run) {
        core::ScriptedDialogs dialogs;
        dialogs.files.enqueue(dir.filePath(QStringLiteral("export.xlsx")));
        imports::GridExport exporter(dialogs, &model, columns, QStringLiteral("订单批量导出Excel"));
        exporter.setOpener([](const QString&) { return true; });
        QElapsedTimer timer;
        timer.start();
        const auto result = exporter.run([](int) {}, [](int) { return true; });
        exports.push_back(timer.nsecsElapsed() / 1e6);
        if (result != imports::GridExport::Result::Done) {
            std::fprintf(stderr, "export failed: %s\n", qPrintable(dialogs.lastText()));
            return 1;
        }
    }
    std::printf("export 100000 x 20 to xlsx: median %.0f ms over %zu runs\n", median(exports),
                exports.size());
    return 0;
}
