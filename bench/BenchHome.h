#pragma once

#include "core/AppContext.h"
#include "core/ProgramFolder.h"
#include "core/ScriptedDialogs.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

// A benchmark times work, not a screen: with no platform chosen it runs offscreen, so it starts
// the same from a terminal, a script or a machine without a display. Set before main, so before
// any QApplication is made.
inline const bool benchPlatformChosen = [] {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return true;
}();

namespace bench {

inline double median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

inline double ms(const QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

// VmHWM: the most resident memory the process has held.
inline QString peakMemory() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return QStringLiteral("unknown");
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return QString::fromLatin1(line.mid(6).trimmed());
    return QStringLiteral("unknown");
}

} // namespace bench

// A fresh program folder from the shipped data in a temporary directory, connected, with
// scripted dialogs: what every benchmark of a window starts from.
class BenchHome {
public:
    // False after printing why the folder could not be made.
    bool prepare() {
        const QString run = m_dir.path() + QLatin1Char('/');
        QString error;
        if (!core::ProgramFolder::prepare(run, &error)) {
            std::fprintf(stderr, "cannot prepare the program folder: %s\n", qPrintable(error));
            return false;
        }
        m_app = std::make_unique<core::AppContext>(run, dialogs);
        m_app->connect();
        return true;
    }
    core::AppContext& app() { return *m_app; }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }

    core::ScriptedDialogs dialogs;

private:
    QTemporaryDir m_dir;
    std::unique_ptr<core::AppContext> m_app;
};
