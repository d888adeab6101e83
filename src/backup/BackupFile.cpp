#include "backup/BackupFile.h"

#include "backup/SqliteFile.h"
#include "core/VersionInfo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace backup {

const QString BackupFile::kSuffix = QStringLiteral(".opbak");
const QString BackupFile::kManifestTable = QStringLiteral("BackupManifest");
const QString BackupFile::kFilesTable = QStringLiteral("BackupFiles");

namespace {

const QString kPrefix = QStringLiteral("overprint-备份-");

std::function<void(const QString&)>& hook() {
    static std::function<void(const QString&)> h;
    return h;
}

qint64 countOf(const Manifest& m, const QString& table) {
    for (auto it = m.counts.cbegin(); it != m.counts.cend(); ++it)
        if (it.key().compare(table, Qt::CaseInsensitive) == 0)
            return it.value();
    return 0;
}

Inspection refused(Inspection out, const QString& why) {
    out.ok = false;
    out.error = why;
    return out;
}

} // namespace

void setStepHook(std::function<void(const QString&)> h) {
    hook() = std::move(h);
}

void reachStep(const QString& step) {
    if (hook())
        hook()(step);
}

qint64 Manifest::rows(const QString& table) const {
    return countOf(*this, table);
}

qint64 Manifest::notes() const {
    return countOf(*this, QStringLiteral("DataCheckFHDSHD"));
}

qint64 Manifest::customers() const {
    return countOf(*this, QStringLiteral("CKPersonalInfoTable"));
}

qint64 Manifest::templates() const {
    return countOf(*this, QStringLiteral("CKTypeTable"));
}

QStringList BackupFile::ownTables() {
    return {kManifestTable, kFilesTable};
}

QString BackupFile::fileName(const QDateTime& time) {
    return kPrefix + time.toString(QStringLiteral("yyyy-MM-dd-HHmm")) + kSuffix;
}

QDateTime BackupFile::timeOfName(const QString& name) {
    static const QRegularExpression pattern(
        QStringLiteral("^overprint-备份-(\\d{4}-\\d{2}-\\d{2}-\\d{4})(-\\d+)?\\.opbak$"));
    const QRegularExpressionMatch m = pattern.match(name);
    if (!m.hasMatch())
        return {};
    return QDateTime::fromString(m.captured(1), QStringLiteral("yyyy-MM-dd-HHmm"));
}

int BackupFile::sequenceOfName(const QString& name) {
    static const QRegularExpression pattern(QStringLiteral("-\\d{4}-(\\d+)\\.opbak$"));
    const QRegularExpressionMatch m = pattern.match(name);
    return m.hasMatch() ? m.captured(1).toInt() : 1;
}

bool BackupFile::newer(const QString& a, const QString& b) {
    const QDateTime ta = timeOfName(a), tb = timeOfName(b);
    if (ta != tb)
        return ta > tb;
    return sequenceOfName(a) > sequenceOfName(b);
}

QString BackupFile::freshPath(const QString& folder, const QDateTime& time) {
    const QString base = fileName(time).chopped(kSuffix.size());
    QString name = base + kSuffix;
    for (int n = 2; QFileInfo::exists(QDir(folder).filePath(name)) ||
                    QFileInfo::exists(QDir(folder).filePath(name + QStringLiteral(".part")));
         ++n)
        name = base + QLatin1Char('-') + QString::number(n) + kSuffix;
    return QDir(folder).filePath(name);
}

QStringList BackupFile::list(const QString& folder) {
    QStringList out;
    for (const QString& name : QDir(folder).entryList({kPrefix + QLatin1Char('*') + kSuffix}, QDir::Files))
        if (timeOfName(name).isValid())
            out << name;
    std::sort(out.begin(), out.end(), &BackupFile::newer);
    return out;
}

Inspection BackupFile::inspect(const QString& path, bool whole) {
    Inspection out;
    const QFileInfo info(path);
    out.size = info.size();
    const QString shown = QDir::toNativeSeparators(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return refused(out, QStringLiteral("无法读取备份文件 %1").arg(shown));
    const QByteArray header = file.read(100);
    file.close();
    if (header.size() < 100 && header.startsWith(QByteArray("SQLite format 3", 15)))
        return refused(out, QStringLiteral("备份文件 %1 不完整（文件被截断），不能用来恢复").arg(shown));
    if (header.size() < 100 || !header.startsWith(QByteArray("SQLite format 3\0", 16)))
        return refused(out, QStringLiteral("%1 不是本软件的备份文件").arg(shown));
    const auto byte = [&header](int i) { return static_cast<quint32>(static_cast<quint8>(header.at(i))); };
    quint32 pageSize = (byte(16) << 8) | byte(17);
    if (pageSize == 1)
        pageSize = 65536;
    const quint32 pages = (byte(28) << 24) | (byte(29) << 16) | (byte(30) << 8) | byte(31);
    if (pageSize < 512 || out.size % pageSize != 0 || out.size < qint64(pageSize) * pages)
        return refused(out, QStringLiteral("备份文件 %1 不完整（文件被截断），不能用来恢复").arg(shown));

    SqliteFile db;
    if (!db.open(path, true))
        return refused(out, QStringLiteral("备份文件 %1 已损坏：%2").arg(shown, db.error()));
    QVector<QStringList> rows;
    if (!db.rows(QStringLiteral("select Key, Value from ") + kManifestTable, rows)) {
        if (!db.tableExists(kManifestTable) && db.error().isEmpty())
            return refused(out, QStringLiteral("%1 不是本软件的备份文件（没有备份清单）").arg(shown));
        return refused(out, QStringLiteral("备份文件 %1 已损坏：%2").arg(shown, db.error()));
    }
    Manifest& m = out.manifest;
    for (const QStringList& row : rows) {
        const QString& key = row.at(0);
        const QString& value = row.at(1);
        if (key == QLatin1String("program"))
            m.program = value;
        else if (key == QLatin1String("schema"))
            m.schemaMark = value;
        else if (key == QLatin1String("taken"))
            m.taken = QDateTime::fromString(value, Qt::ISODate);
        else if (key == QLatin1String("source"))
            m.source = value;
        else if (key == QLatin1String("images"))
            m.images = value.toInt();
        else if (key.startsWith(QLatin1String("rows:")))
            m.counts.insert(key.mid(5), value.toLongLong());
    }
    if (m.program.isEmpty() || !m.taken.isValid() || m.counts.isEmpty())
        return refused(out, QStringLiteral("%1 不是本软件的备份文件（备份清单不全）").arg(shown));
    if (core::VersionInfo::isOlderMark(QStringLiteral(OVERPRINT_BACKUP_VERSION), m.program))
        return refused(out,
                       QStringLiteral("备份文件 %1 由较新的版本 %2 写成，本程序（%3）不能用它恢复，请先升级")
                           .arg(shown, m.program, QStringLiteral(OVERPRINT_BACKUP_VERSION)));
    if (whole) {
        QVector<QStringList> check;
        if (!db.rows(QStringLiteral("pragma integrity_check"), check) || check.isEmpty() ||
            check.first().value(0) != QLatin1String("ok"))
            return refused(out,
                           QStringLiteral("备份文件 %1 已损坏（完整性检查未通过）：%2")
                               .arg(shown, db.error().isEmpty() && !check.isEmpty() ? check.first().value(0)
                                                                                    : db.error()));
        QStringList differ;
        for (auto it = m.counts.cbegin(); it != m.counts.cend(); ++it) {
            qint64 rowsNow = -1;
            if (!db.count(it.key(), rowsNow) || rowsNow != it.value())
                differ << QStringLiteral("%1（清单 %2，文件 %3）").arg(it.key()).arg(it.value()).arg(rowsNow);
        }
        if (!differ.isEmpty())
            return refused(out, QStringLiteral("备份文件 %1 已损坏：行数与备份清单不符 %2")
                                    .arg(shown, differ.join(QStringLiteral("、"))));
    }
    out.ok = true;
    return out;
}

} // namespace backup
