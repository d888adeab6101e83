#pragma once

#include "core/IniFile.h"

#include <QString>

namespace imports {

// ImportLog.txt in the program folder, an INI file: INFO holds the source, the row count and the
// final report, LOG the rows skipped or merged, ERR the rows the database refused; the keys of
// LOG and ERR are "N" + sheet row number.
class ImportLog {
public:
    explicit ImportLog(const QString& runPath);
    static QString fileName(const QString& runPath);
    QString path() const { return m_ini.fileName(); }

    // Erases the three sections of the previous run.
    void clear();
    void info(const QString& key, const QString& value);
    void log(int row, const QString& text);
    void err(int row, const QString& text);
    bool flush() { return m_ini.flush(); }


private:
    core::IniFile m_ini;
};

} // namespace imports
