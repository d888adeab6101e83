// Spreadsheet imports: the 6,000-row recipient workbook into the address book with the
// duplicate test on and off, and 1,000 orders with 3,400 goods lines into the order tables, each run
// in a fresh program folder with the disk syncs the program makes. Prints the medians of the
// opening of the workbooks and of the runs, and the peak memory of the process. The test data
// folder is taken from OVERPRINT_TEST_DATA, else the first argument, else tests/data under the
// working folder.

#include "BenchHome.h"

#include "imports/ColumnList.h"
#include "imports/ImportLog.h"
#include "imports/OrderImport.h"
#include "imports/ReaderProcess.h"
#include "imports/RecipientImport.h"
#include "imports/Spreadsheet.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

namespace {

constexpr int kRounds = 5;

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double msSince(QElapsedTimer& timer) {
    const double ms = timer.nsecsElapsed() / 1e6;
    timer.restart();
    return ms;
}

bool writeText(const QString& path, const QStringList& lines) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(lines.join(QLatin1Char('\n')).toUtf8());
    return true;
}

// 1,000 orders and 3,400 goods lines (3 or 4 per order) as a web shop exports them.
bool writeOrders(const QString& orders, const QString& lines) {
    QStringList orderRows{QStringLiteral("订单号,客户全称,客户联系人,客户电话,客户手机,客户地址,备注")};
    QStringList lineRows{QStringLiteral("订单号,商品名,规格,单位,数量,单价,金额")};
    for (int o = 1; o <= 1000; ++o) {
        const QString number = QStringLiteral("DD%1").arg(o, 6, 10, QLatin1Char('0'));
        orderRows << number + QStringLiteral(",上海金源贸易%1有限公司,陈艳,0454-6131%2,1381590%3,"
                                             "上海市浦东新区科技园路%1号,请尽快发货")
                                  .arg(o)
                                  .arg(o % 10000, 4, 10, QLatin1Char('0'))
                                  .arg(o % 10000, 4, 10, QLatin1Char('0'));
        const int count = o % 5 < 2 ? 4 : 3;
        for (int l = 1; l <= count; ++l)
            lineRows << number + QStringLiteral(",商品%1,A5 80页,本,%2,6.5,%3").arg(l).arg(l).arg(6.5 * l);
    }
    return writeText(orders, orderRows) && writeText(lines, lineRows);
}

long peakMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

} // namespace

int main(int argc, char** argv) {
    if (imports::ReaderProcess::requested(argc, argv))
        return imports::ReaderProcess::run(argc, argv);
    QCoreApplication application(argc, argv);
    QString data = qEnvironmentVariable("OVERPRINT_TEST_DATA");
    if (data.isEmpty())
        data = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("tests/data");
    const QString recipients = data + QStringLiteral("/sheets/recipients-6000.xlsx");

    std::vector<double> open, orderRun, lineRun;
    // With the duplicate test the sheet's repeated recipients are skipped; without it every row
    // is written, which shows what inserting costs.
    for (const bool duplicateTest : {true, false}) {
        std::vector<double> runs;
        imports::RunResult result;
        for (int round = 0; round < kRounds; ++round) {
            BenchHome home;
            if (!home.prepare())
                return 1;
            imports::RunObserver quiet;
            imports::ImportLog log(home.app().getRunPath());
            QElapsedTimer timer;
            timer.start();
            imports::Spreadsheet book;
            book.open(recipients);
            const QStringList columns = imports::ColumnList::build(book);
            open.push_back(msSince(timer));
            imports::RecipientImport import(home.app().db(), home.dialogs, log, quiet);
            imports::RecipientImport::Options options;
            options.judgeRepeated = duplicateTest;
            import.setOptions(options);
            import.setColumns(imports::RecipientImport::autoMatch(
                home.app().db(), columns, imports::RecipientImport::Scenario::AddressBook));
            result = import.run(book, recipients);
            runs.push_back(msSince(timer));
        }
        std::printf(
            "recipients-6000.xlsx, duplicate test %s: %d rows added, %d skipped in %.0f ms (median of %d)\n",
            duplicateTest ? "on" : "off", result.imported, result.skipped, median(runs), kRounds);
    }
    std::printf("recipients-6000.xlsx: opening and reading the titles %.0f ms (median of %d)\n", median(open),
                2 * kRounds);

    QTemporaryDir dir;
    const QString ordersPath = dir.filePath(QStringLiteral("orders.csv"));
    const QString linesPath = dir.filePath(QStringLiteral("lines.csv"));
    if (!writeOrders(ordersPath, linesPath))
        return 1;
    int orders = 0;
    int lines = 0;
    for (int round = 0; round < kRounds; ++round) {
        BenchHome home;
        if (!home.prepare())
            return 1;
        imports::RunObserver quiet;
        imports::ImportLog log(home.app().getRunPath());
        imports::OrderImport import(home.app().db(), home.dialogs, log, quiet);
        imports::Spreadsheet orderBook;
        orderBook.open(ordersPath);
        imports::Spreadsheet lineBook;
        lineBook.open(linesPath);
        QElapsedTimer timer;
        timer.start();
        orders = import
                     .runOrders(orderBook,
                                imports::OrderImport::autoMatchOrders(home.app().db(),
                                                                      imports::ColumnList::build(orderBook)),
                                ordersPath)
                     .imported;
        orderRun.push_back(msSince(timer));
        lines = import
                    .runLines(lineBook,
                              imports::OrderImport::autoMatchLines(home.app().db(),
                                                                   imports::ColumnList::build(lineBook)),
                              linesPath)
                    .imported;
        lineRun.push_back(msSince(timer));
    }
    std::printf("orders: %d orders %.0f ms, %d goods lines %.0f ms, together %.0f ms (median of %d)\n",
                orders, median(orderRun), lines, median(lineRun), median(orderRun) + median(lineRun),
                kRounds);
    std::printf("peak memory %ld MiB\n", peakMiB());
    return 0;
}
