// Batch printing of 1,000 imported orders (1 to 6 goods lines each) in the running program: the
// entry window's "批量打印" opens the batch window and "开始批量打印所有" prints every order as
// one note on its own page in one job, (a) into a PDF file through the print device and (b)
// handed to the CUPS queue BillPDF when it exists. Prints the median time per 1,000 notes, the
// peak memory of the process, the longest the window went without handling its events, and how
// long "中止" took to end a run. Run offscreen (QT_QPA_PLATFORM=offscreen is set when nothing is).

#include "BenchHome.h"
#include "batch/ui/TfrmMutiPrintOrder.h"
#include "core/ui/DataGrid.h"
#include "entry/ui/TfmCheckFHDSHD.h"
#include "print/QtPrintDevice.h"
#include "program/Program.h"
#include "support/CupsPdfOutput.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProcess>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QToolButton>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int kOrders = 1000;
constexpr int kRuns = 3;

void makeOrders(core::Database& db) {
    db.begin();
    for (int i = 1; i <= kOrders; ++i) {
        const QString number = QStringLiteral("%1").arg(900000 + i);
        db.exec(
            QStringLiteral(
                "insert into OrderList (订单号, 订单状态, 客户全称, 客户电话, 备注) values (:n, '未打印', "
                ":c, :p, :r)"),
            {{QStringLiteral("n"), number},
             {QStringLiteral("c"), QStringLiteral("客户%1's 商行").arg(i)},
             {QStringLiteral("p"), QStringLiteral("0755-%1").arg(80000000 + i)},
             {QStringLiteral("r"), QStringLiteral("加急")}});
        for (int k = 1; k <= 1 + i % 6; ++k)
            db.exec(QStringLiteral(
                        "insert into OrderDetail (订单号, 货号, 商品名, 规格, 单位, 数量, 单价, 金额) values "
                        "(:n, :a, :g, 'M8', '个', :q, '1.25', :m)"),
                    {{QStringLiteral("n"), number},
                     {QStringLiteral("a"), k % 2 ? QStringLiteral("HH%1").arg(k) : QString()},
                     {QStringLiteral("g"), QStringLiteral("六角螺栓%1号").arg(k)},
                     {QStringLiteral("q"), QString::number(k)},
                     {QStringLiteral("m"), QString::number(k * 1.25)}});
    }
    db.commit();
}

double peakMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

int pdfPages(const QString& pdf) {
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {pdf});
    p.waitForFinished(60000);
    const QString info = QString::fromUtf8(p.readAllStandardOutput());
    const qsizetype at = info.indexOf(QStringLiteral("Pages:"));
    return at < 0 ? 0 : info.mid(at + 6).section(QLatin1Char('\n'), 0, 0).trimmed().toInt();
}

struct Run {
    double ms = 0;
    double cpuMs = 0; // the process's own processor time: what the run costs on a busy machine
    double longestGapMs = 0;
};

double cpuMs() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

// One click on "开始批量打印所有"; a 20 ms timer measures how long the event loop went unserved.
Run printAll(batch::ui::TfrmMutiPrintOrder& window, int stopAfterMs = -1, double* stopMs = nullptr) {
    QElapsedTimer sinceTick;
    double longest = 0;
    QTimer tick;
    tick.setInterval(20);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longest = std::max(longest, sinceTick.nsecsElapsed() / 1e6);
        sinceTick.restart();
    });
    QElapsedTimer stopClicked;
    if (stopAfterMs >= 0)
        QTimer::singleShot(stopAfterMs, &window, [&] {
            stopClicked.start();
            window.findChild<QPushButton*>(QStringLiteral("btStopPrint"))->click();
        });
    tick.start();
    sinceTick.start();
    QElapsedTimer timer;
    timer.start();
    const double cpuBefore = cpuMs();
    window.findChild<QPushButton*>(QStringLiteral("btStartPrintAll"))->click();
    Run r;
    r.ms = timer.nsecsElapsed() / 1e6;
    r.cpuMs = cpuMs() - cpuBefore;
    r.longestGapMs = longest;
    if (stopMs && stopClicked.isValid())
        *stopMs = stopClicked.nsecsElapsed() / 1e6;
    return r;
}

batch::ui::TfrmMutiPrintOrder* openBatch(program::Program& overprint) {
    if (!overprint.startUp(false))
        return nullptr;
    QMdiArea* area = overprint.mainWindow().mdiArea();
    auto* entryWindow =
        area->subWindowList().isEmpty()
            ? nullptr
            : qobject_cast<entry::ui::TfmCheckFHDSHD*>(area->subWindowList().first()->widget());
    if (!entryWindow)
        return nullptr;
    entryWindow->findChild<QToolButton*>(QStringLiteral("btMultiPrintS"))->click();
    QApplication::processEvents();
    return overprint.batchWindow();
}

bool report(const char* what, std::vector<Run> runs) {
    std::sort(runs.begin(), runs.end(), [](const Run& a, const Run& b) { return a.ms < b.ms; });
    double gap = 0;
    std::vector<double> cpu;
    for (const Run& r : runs) {
        gap = std::max(gap, r.longestGapMs);
        cpu.push_back(r.cpuMs);
    }
    std::sort(cpu.begin(), cpu.end());
    std::printf("%s: median of %d runs %.0f ms per 1,000 notes (min %.0f, max %.0f), processor time %.0f ms; "
                "longest unserved event loop %.0f ms; peak memory so far %.0f MiB\n",
                what, int(runs.size()), runs[runs.size() / 2].ms, runs.front().ms, runs.back().ms,
                cpu[cpu.size() / 2], gap, peakMiB());
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    BenchHome home;
    if (!home.prepare())
        return 1;
    core::AppContext& app = home.app();
    makeOrders(app.db());

    // (a) into a PDF file.
    {
        const QString pdf = home.filePath(QStringLiteral("batch.pdf"));
        print::QtPrintDevice device(pdf);
        device.printer().setPageSize(QPageSize(QPageSize::A3));
        program::Program overprint(app, device);
        batch::ui::TfrmMutiPrintOrder* window = openBatch(overprint);
        if (!window || window->grid().rowCount() != kOrders) {
            std::fprintf(stderr, "the batch window did not list the orders\n");
            return 1;
        }
        std::vector<Run> runs;
        for (int i = 0; i < kRuns; ++i) {
            home.dialogs.clear();
            runs.push_back(printAll(*window));
            if (!home.dialogs.shown.isEmpty()) {
                std::fprintf(stderr, "the run said: %s\n", qPrintable(home.dialogs.lastText()));
                return 1;
            }
        }
        const int pages = pdfPages(pdf);
        report("(a) PDF file through the print device", runs);
        std::printf("    the file holds %d pages\n", pages);
        double stopMs = 0;
        printAll(*window, 1000, &stopMs);
        std::printf("    中止 after 1 s: the run ended %.0f ms after the click, %d pages printed\n", stopMs,
                    pdfPages(pdf));
    }

    // (b) handed to the CUPS queue.
    if (!QPrinterInfo::availablePrinterNames().contains(cups_pdf::queue())) {
        std::printf("(b) no CUPS queue %s: skipped\n", qPrintable(cups_pdf::queue()));
        return 0;
    }
    print::QtPrintDevice device;
    app.setConfigByname(QStringLiteral("DefaultPrinter"), cups_pdf::queue());
    device.printer().setPageSize(QPageSize(QPageSize::A3));
    program::Program overprint(app, device);
    batch::ui::TfrmMutiPrintOrder* window = openBatch(overprint);
    if (!window)
        return 1;
    const QStringList folders = cups_pdf::outputFolders();
    std::vector<Run> runs;
    for (int i = 0; i < kRuns; ++i) {
        const QSet<QString> before = cups_pdf::pdfsIn(folders);
        home.dialogs.clear();
        runs.push_back(printAll(*window));
        if (!home.dialogs.shown.isEmpty()) {
            std::fprintf(stderr, "the run said: %s\n", qPrintable(home.dialogs.lastText()));
            return 1;
        }
        // Other programs print through the same queue under the same title: the job's output is
        // the new PDF of 1,000 pages. Only that one is removed.
        QElapsedTimer waited;
        waited.start();
        QString own;
        while (own.isEmpty() && waited.elapsed() < 300000) {
            QThread::msleep(500);
            for (const QString& pdf : cups_pdf::pdfsIn(folders) - before)
                if (pdfPages(pdf) == kOrders)
                    own = pdf;
        }
        if (own.isEmpty()) {
            std::printf("(b) run %d: no PDF of %d pages came out of the queue within 5 minutes\n", i + 1,
                        kOrders);
            continue;
        }
        std::printf("(b) run %d: the queue wrote its %d pages %.0f s after the hand-over\n", i + 1, kOrders,
                    waited.elapsed() / 1000.0);
        QFile::remove(own);
    }
    report("(b) handed to the CUPS queue", runs);
    return 0;
}
