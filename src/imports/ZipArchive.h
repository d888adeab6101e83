#pragma once

#include <QByteArray>
#include <QString>

struct zip;

namespace imports {

// Read access to the parts of an xlsx or ods package.
class ZipArchive {
public:
    // A part inflates to at most maxPartSize bytes, and a part beyond ratioFloor bytes to at most
    // maxRatio times its compressed size: the largest sheets clerks import stay far below both.
    static constexpr quint64 maxPartSize = quint64(48) << 20;
    static constexpr quint64 ratioFloor = quint64(1) << 20;
    static constexpr quint64 maxRatio = 200;

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
