// Times measuring a scanned calibration page: a 300-dpi (and a 600-dpi) scan of an A4 glass with
// the 241×140 mm form on it, turned 3°, printed by a worn printer. The scan is measured in a child process of
// its own so that its peak memory is the measurement's and not the simulation's. Prints the
// median time, the peak memory added by the measurement, and how far the crosses were found
// from where they truly are.
#include "BenchHome.h"
#include "print/scan/ScanMeasure.h"
#include "support/ScanSimulator.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImageReader>
#include <QLineF>
#include <QProcess>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kTemplate = 1;
constexpr int kRuns = 5;

// The process's peak resident memory so far, in MiB (Linux).
double peakMiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').front().toDouble() / 1024;
    return 0;
}

// Child: measure <scan.jpg> <dpi> <form image> <paper w> <paper h> <cross x,y>...
int measure(const QStringList& args) {
    QFile file(args[0]);
    if (!file.open(QIODevice::ReadOnly))
        return 2;
    QImageReader::setAllocationLimit(512);
    const QImage scan = QImage::fromData(file.readAll(), "JPG").convertToFormat(QImage::Format_RGB888);
    const double dpi = args[1].toDouble();
    print::scan::FormImage form{QImage(args[2]).convertToFormat(QImage::Format_RGB888),
                                QSizeF(args[3].toDouble(), args[4].toDouble())};
    print::MeasuredCalibration::Page page;
    page.templateName = QStringLiteral("bench");
    for (int i = 5; i < args.size(); ++i) {
        const QStringList xy = args[i].split(QLatin1Char(','));
        page.crosses << QPointF(xy[0].toDouble(), xy[1].toDouble());
    }
    const double before = peakMiB();
    std::vector<double> times;
    print::scan::ScanMeasurement m;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer t;
        t.start();
        m = print::scan::measureScan(scan, dpi, form, page);
        times.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    QTextStream out(stdout);
    out << "time " << times[times.size() / 2] << " added " << (peakMiB() - before) << " peak " << peakMiB()
        << " error " << m.error << "\n";
    for (const auto& c : m.crossesMm)
        out << "cross " << (c ? c->x() : -1) << ' ' << (c ? c->y() : -1) << "\n";
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QStringList args = QApplication::arguments().mid(1);
    if (!args.isEmpty() && args.front() == QLatin1String("measure"))
        return measure(args.mid(1));

    BenchHome home;
    if (!home.prepare())
        return 1;
    const scansim::PrintedPage printed =
        scansim::printCalibrationPage(home.app(), kTemplate, home.filePath({}));
    if (!printed.error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(printed.error));
        return 1;
    }
    const QString formPath = home.filePath(QStringLiteral("form.png"));
    if (!printed.form.image.save(formPath))
        return 1;
    // The scan the goal is set for, and the finest a clerk might choose.
    for (int scanDpi : {300, 600}) {
        scansim::Scanner scanner;
        scanner.dpi = scanDpi;
        scanner.turnDegrees = 3;
        scanner.paperCentreMm = QPointF(145, 100);
        const scansim::Scan scan = scansim::scan(printed, scansim::WornPrinter::seeded(1), scanner);
        const QString jpeg = home.filePath(QStringLiteral("scan.jpg"));
        QFile file(jpeg);
        if (!file.open(QIODevice::WriteOnly) || file.write(scan.jpeg) != scan.jpeg.size())
            return 1;
        file.close();
        std::printf("scan: %d×%d px at %d dpi (A4 glass), %.1f MiB as JPEG, %.1f MiB decoded\n",
                    scan.image.width(), scan.image.height(), scanDpi, scan.jpeg.size() / 1048576.0,
                    scan.image.sizeInBytes() / 1048576.0);

        for (int told : {scanDpi, 0}) {
            QStringList childArgs{QStringLiteral("measure"),
                                  jpeg,
                                  QString::number(told),
                                  formPath,
                                  QString::number(printed.form.paperMm.width()),
                                  QString::number(printed.form.paperMm.height())};
            for (const QPointF& c : printed.page.crosses)
                childArgs << QStringLiteral("%1,%2").arg(c.x()).arg(c.y());
            QProcess child;
            child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            child.start(QApplication::applicationFilePath(), childArgs);
            if (!child.waitForFinished(300000) || child.exitCode() != 0) {
                std::fprintf(stderr, "the measuring process failed\n");
                return 1;
            }
            const QStringList lines =
                QString::fromUtf8(child.readAllStandardOutput()).split(QLatin1Char('\n'));
            const QStringList head = lines.front().split(QLatin1Char(' '));
            double worst = 0;
            int found = 0;
            for (int i = 0; i < scan.truthMm.size() && i + 1 < lines.size(); ++i) {
                const QStringList xy = lines[i + 1].split(QLatin1Char(' '));
                if (xy.size() < 3 || xy[1].toDouble() < 0)
                    continue;
                ++found;
                worst = std::max(
                    worst, QLineF(QPointF(xy[1].toDouble(), xy[2].toDouble()), scan.truthMm[i]).length());
            }
            const QString refusal = head.mid(7).join(QLatin1Char(' ')).trimmed();
            std::printf("  dpi %s: median %.0f ms over %d runs, peak memory +%.0f MiB (process %.0f MiB), %d "
                        "crosses, "
                        "worst %.3f mm from the truth%s\n",
                        told ? "from the file" : "unknown", head.value(1).toDouble(), kRuns,
                        head.value(3).toDouble(), head.value(5).toDouble(), found, worst,
                        refusal.isEmpty() ? "" : qPrintable(QStringLiteral(" — ") + refusal));
        }
    }
    return 0;
}
