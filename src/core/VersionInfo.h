#pragma once

#include <QString>

namespace core {

// The version text shown in captions and stored in the installation record: major and minor
// number of the program's version, joined by ".".
class VersionInfo {
public:
    // "1.4.2" gives "1.4", "3" gives "3.0"; an empty or unreadable version gives "0.0", as a
    // program without version data reports 0.0.0.0.
    static QString versionText(const QString& version);
    // Of QCoreApplication::applicationVersion().
    static QString applicationVersionText();
    // Whether a data version mark is older than the version text. A missing or unreadable mark
    // counts as older: data files carry their mark only from an upgrade or a first start on.
    // Compared as numbers, so "1.10" is newer than "1.9" and "1.0" equals "1.0.0".
    static bool isOlderMark(const QString& mark, const QString& version);
};

} // namespace core
