#pragma once

#include <QString>

namespace upgrade {

// What a data file is, told by its first bytes before anything opens it (opening would create
// a missing file or write a journal beside it).
enum class DataFileKind { Missing, Empty, SQLite, Jet, Unknown };

DataFileKind dataFileKind(const QString& path);

// The message for a file that cannot be upgraded, naming it; empty for an SQLite file.
QString refusalText(DataFileKind kind, const QString& path);

} // namespace upgrade
