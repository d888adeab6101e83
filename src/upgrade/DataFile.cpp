#include "upgrade/DataFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace upgrade {

DataFileKind dataFileKind(const QString& path) {
    QFile file(path);
    if (!QFileInfo(path).isFile())
        return DataFileKind::Missing;
    if (!file.open(QIODevice::ReadOnly))
        return DataFileKind::Unknown;
    const QByteArray head = file.read(32);
    if (head.isEmpty())
        return DataFileKind::Empty;
    if (head.startsWith(QByteArrayLiteral("SQLite format 3\0")))
        return DataFileKind::SQLite;
    // Files of the desktop engine of the other platform: "Standard Jet DB" or "Standard ACE DB"
    // after a four-byte page header.
    if (head.size() >= 19 && (head.mid(4, 15) == QByteArrayLiteral("Standard Jet DB") ||
                              head.mid(4, 15) == QByteArrayLiteral("Standard ACE DB")))
        return DataFileKind::Jet;
    return DataFileKind::Unknown;
}

QString refusalText(DataFileKind kind, const QString& path) {
    const QString name = QDir::toNativeSeparators(path);
    switch (kind) {
    case DataFileKind::SQLite:
        return QString();
    case DataFileKind::Missing:
        return QStringLiteral("数据文件不存在：") + name;
    case DataFileKind::Empty:
        return QStringLiteral("数据文件是空的（长度为0），无法升级：") + name;
    case DataFileKind::Jet:
        return QStringLiteral(
                   "数据文件是其他数据库引擎（Jet/Access）的格式，本软件不能读取，未作任何修改：") +
               name;
    case DataFileKind::Unknown:
        break;
    }
    return QStringLiteral("数据文件不是本软件的数据库格式（可能已损坏），未作任何修改：") + name;
}

} // namespace upgrade
