#pragma once

#include "imports/SheetRun.h"

#include <QFile>
#include <QString>
#include <QStringList>

// A run observer that asks to stop once after a given number of rows and counts what it saw.
class ScriptedObserver : public imports::RunObserver {
public:
    int stopAfterRows = -1; // request a stop once this many rows are done
    int steps = 0;
    int maximum = 0;
    int declined = 0;
    bool requested = false;
    QStringList statuses;

    void status(const QString& text) override { statuses << text; }
    void progressStart(int max) override { maximum = max; }
    void progressStep() override {
        ++steps;
        if (steps == stopAfterRows)
            requested = true;
    }
    bool stopRequested() override { return requested; }
    void stopDeclined() override {
        ++declined;
        requested = false;
    }
};

// A UTF-8 csv sheet from lines of comma-separated cells.
inline QString writeCsv(const QString& path, const QStringList& lines) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    file.write(lines.join(QLatin1Char('\n')).toUtf8());
    return path;
}
