// Start-up time: process start to the main window shown, offscreen. Starts the program N times
// with --quit-after-show on one prepared program folder and prints the median wall time and the
// median the program itself reports.
//   bench_startup [path/to/overprint] [runs]
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const QString program = args.size() > 1 ? args.at(1)
                                            : QDir(QCoreApplication::applicationDirPath())
                                                  .absoluteFilePath(QStringLiteral("../src/app/overprint"));
    const int runs = args.size() > 2 ? args.at(2).toInt() : 15;
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    const QStringList programArgs{QStringLiteral("--home"), home.path(), QStringLiteral("--quit-after-show")};

    // The first start builds the program folder; it is timed apart.
    std::vector<double> wall, reported;
    static const QRegularExpression shown(QStringLiteral("shown (\\d+) ms"));
    for (int i = 0; i <= runs; ++i) {
        QProcess process;
        process.setProcessEnvironment(env);
        QElapsedTimer timer;
        timer.start();
        process.start(program, programArgs);
        if (!process.waitForFinished(30000) || process.exitCode() != 0) {
            std::fprintf(stderr, "run %d failed: %s\n", i, qPrintable(process.readAllStandardError()));
            return 1;
        }
        const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
        const auto m = shown.match(QString::fromUtf8(process.readAllStandardOutput()));
        if (i == 0) {
            std::printf("first start (builds the folder): %.1f ms\n", ms);
            continue;
        }
        wall.push_back(ms);
        if (m.hasMatch())
            reported.push_back(m.captured(1).toDouble());
    }
    std::printf("runs: %d\nmedian process start to exit: %.1f ms\n", runs, median(wall));
    if (!reported.empty())
        std::printf("median program start to main window shown: %.1f ms\n", median(reported));
    return 0;
}
