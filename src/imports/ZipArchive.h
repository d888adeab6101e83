#pragma once

#include <QByteArray>
#include <QString>

struct zip;

namespace imports {

// Read access to the parts of an xlsx or ods package.
class ZipArchive {
public:
    // Throws SpreadsheetError when the file is no complete zip package.
    explicit ZipArchive(const QString& path);
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    // Part names compare without regard to letter case, as packages from some writers need.
    bool contains(const QString& name) const;
    // Throws SpreadsheetError when the part is missing or cannot be inflated.
    QByteArray read(const QString& name) const;

private:
    zip* m_zip = nullptr;
    QString m_path;
};

} // namespace imports
