#include "imports/ZipArchive.h"

#include "imports/SpreadsheetError.h"

#include <QFile>
#include <zip.h>

namespace imports {

ZipArchive::ZipArchive(const QString& path) : m_path(path) {
    int error = 0;
    m_zip = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (!m_zip)
        throw SpreadsheetError(QStringLiteral("工作簿已损坏或不完整，无法读取：") + path);
}

ZipArchive::~ZipArchive() {
    if (m_zip)
        zip_discard(m_zip);
}

bool ZipArchive::contains(const QString& name) const {
    return zip_name_locate(m_zip, name.toUtf8().constData(), ZIP_FL_NOCASE) >= 0;
}

QByteArray ZipArchive::read(const QString& name) const {
    const zip_int64_t index = zip_name_locate(m_zip, name.toUtf8().constData(), ZIP_FL_NOCASE);
    zip_stat_t st;
    zip_stat_init(&st);
    if (index < 0 || zip_stat_index(m_zip, index, 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE))
        throw SpreadsheetError(QStringLiteral("工作簿缺少内容“%1”：%2").arg(name, m_path));
    // The size is checked before anything is inflated, and at most that much is ever read, so a
    // few kilobytes that claim or unpack to a gigabyte cost nothing.
    const bool ratioKnown = (st.valid & ZIP_STAT_COMP_SIZE) && st.comp_size > 0;
    if (st.size > maxPartSize || (st.size > ratioFloor && (!ratioKnown || st.size / st.comp_size > maxRatio)))
        throw SpreadsheetError(QStringLiteral("工作簿内容“%1”解压后过大（上限%2 MB），无法读取：%3")
                                   .arg(name)
                                   .arg(maxPartSize >> 20)
                                   .arg(m_path));
    QByteArray data(static_cast<qsizetype>(st.size), Qt::Uninitialized);
    zip_file_t* file = zip_fopen_index(m_zip, index, 0);
    zip_int64_t got = file ? zip_fread(file, data.data(), st.size) : -1;
    // A part longer than its directory entry says is as broken as a shorter one.
    char extra = 0;
    if (got == static_cast<zip_int64_t>(st.size) && zip_fread(file, &extra, 1) != 0)
        got = -1;
    if (file)
        zip_fclose(file);
    if (got != static_cast<zip_int64_t>(st.size))
        throw SpreadsheetError(QStringLiteral("工作簿已损坏或不完整，无法读取：") + m_path);
    return data;
}

} // namespace imports
