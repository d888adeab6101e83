// Reading scan files: the time and the peak memory of refusing each hostile scan of
// tests/data/hostile, and of reading good scans of an A4 form: colour JPEG at 300 dpi and at
// 600 dpi (decoded down), greyscale TIFF and colour PNG at 600 dpi (decoded whole, then
// averaged down) and a one-page PDF of the 300 dpi page. Every read runs in a fresh process,
// this program again, so that each peak is its own: the process's VmHWM less that of one that
// read nothing. The goal: a hostile file refused within a second and 300 MiB. The test data
// folder is taken from OVERPRINT_TEST_DATA, else the first argument, else tests/data under the
// working folder.

#include "print/scan/ScanFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImageWriter>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <sys/resource.h>
#include <vector>

namespace {

constexpr int kRounds = 3;

long peakKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

// The child: reads one file (none for the baseline) and prints milliseconds, peak KiB, outcome.
int readOne(const char* path) {
    QElapsedTimer timer;
    timer.start();
    QString outcome = QStringLiteral("-");
    if (*path) {
        const print::scan::ScanPicture picture = print::scan::readScanFile(QFile::decodeName(path));
        outcome = picture.ok() ? QStringLiteral("read %1 × %2 at %3 dpi")
                                     .arg(picture.image.width())
                                     .arg(picture.image.height())
                                     .arg(picture.dpi)
                               : picture.error;
    }
    // A PDF page is drawn in a child process of the reader; its peak is its own.
    rusage children{};
    getrusage(RUSAGE_CHILDREN, &children);
    std::printf("%.1f %ld %ld %s\n", timer.nsecsElapsed() / 1e6, peakKiB(), children.ru_maxrss,
                outcome.toUtf8().constData());
    return 0;
}

// An A4 form as a scanner sees it: paper with grain, red ruled boxes, black printed blocks.
QImage a4Form(double dpi) {
    const int w = qRound(210 / 25.4 * dpi);
    const int h = qRound(297 / 25.4 * dpi);
    QImage image(w, h, QImage::Format_RGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const int grain = 240 + int(random.bounded(12));
            line[x] = qRgb(grain, grain, grain - 4);
        }
    }
    QPainter painter(&image);
    const double mm = dpi / 25.4;
    painter.setPen(QPen(QColor(200, 40, 40), 0.3 * mm));
    for (int row = 0; row < 12; ++row)
        painter.drawRect(QRectF(15 * mm, (40 + 18 * row) * mm, 180 * mm, 14 * mm));
    for (int row = 0; row < 12; ++row)
        painter.fillRect(QRectF(25 * mm, (44 + 18 * row) * mm, (60 + 7 * row) * mm, 5 * mm),
                         QColor(20, 20, 20));
    painter.end();
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    return image;
}

bool write(const QImage& image, const QString& path) {
    QImageWriter writer(path);
    writer.setQuality(85);
    writer.setCompression(1);
    return writer.write(image);
}

bool writePdf(const QImage& page, const QString& path) {
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF());
    writer.setResolution(300);
    QPainter painter(&writer);
    painter.drawImage(QRect(0, 0, writer.width(), writer.height()), page);
    return painter.end();
}

struct Run {
    double ms = 0;
    long kib = 0;
    long childKib = 0;
    QString outcome;
};

Run runChild(const QString& path) {
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--read"), path});
    Run run;
    if (!child.waitForFinished(120000)) {
        run.outcome = QStringLiteral("no answer");
        return run;
    }
    const QString out = QString::fromUtf8(child.readAllStandardOutput()).trimmed();
    run.ms = out.section(QLatin1Char(' '), 0, 0).toDouble();
    run.kib = out.section(QLatin1Char(' '), 1, 1).toLong();
    run.childKib = out.section(QLatin1Char(' '), 2, 2).toLong();
    run.outcome = out.section(QLatin1Char(' '), 3);
    return run;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--read") == 0) {
        QCoreApplication app(argc, argv);
        return readOne(argv[2]);
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QString data = qEnvironmentVariable("OVERPRINT_TEST_DATA");
    if (data.isEmpty())
        data = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("tests/data");
    const QDir hostile(data + QStringLiteral("/hostile"));
    QStringList paths;
    for (const QString& name : hostile.entryList({QStringLiteral("scan-*")}, QDir::Files, QDir::Name))
        paths << hostile.filePath(name);
    if (paths.isEmpty()) {
        std::fprintf(stderr, "no hostile scans in %s\n", qPrintable(hostile.path()));
        return 1;
    }
    QTemporaryDir dir;
    const QImage form300 = a4Form(300);
    const QImage form600 = a4Form(600);
    const QStringList good{dir.filePath(QStringLiteral("a4-300dpi-colour.jpg")),
                           dir.filePath(QStringLiteral("a4-600dpi-colour.jpg")),
                           dir.filePath(QStringLiteral("a4-600dpi-grey.tif")),
                           dir.filePath(QStringLiteral("a4-600dpi-colour.png")),
                           dir.filePath(QStringLiteral("a4-300dpi-colour.pdf"))};
    if (!write(form300, good[0]) || !write(form600, good[1]) ||
        !write(form600.convertToFormat(QImage::Format_Grayscale8), good[2]) || !write(form600, good[3]) ||
        !writePdf(form300, good[4])) {
        std::fprintf(stderr, "cannot write the good scans\n");
        return 1;
    }
    paths << good;

    const long baseline = runChild(QString()).kib;
    std::printf("peak of a process that reads nothing: %.1f MiB; below, each read's peak above that\n",
                baseline / 1024.0);
    std::printf("%-34s %8s %8s %9s %9s  %s\n", "file", "KiB", "ms", "peak MiB", "PDF MiB", "outcome");
    for (const QString& path : paths) {
        std::vector<double> times;
        long peak = 0;
        long childPeak = 0;
        QString outcome;
        for (int round = 0; round < kRounds; ++round) {
            const Run run = runChild(path);
            times.push_back(run.ms);
            peak = std::max(peak, run.kib);
            childPeak = std::max(childPeak, run.childKib);
            outcome = run.outcome;
        }
        std::sort(times.begin(), times.end());
        std::printf("%-34s %8lld %8.1f %9.1f %9.1f  %s\n", qPrintable(QFileInfo(path).fileName()),
                    QFileInfo(path).size() / 1024, times[times.size() / 2], (peak - baseline) / 1024.0,
                    childPeak / 1024.0, outcome.toUtf8().constData());
    }
    std::printf("PDF MiB: the whole peak of the child process that drew the page, if any\n");
    std::printf("times are medians of %d runs, peaks the largest\n", kRounds);
    return 0;
}
