#include "backup/BackupRotation.h"

#include "backup/BackupFile.h"

#include <QSet>

#include <algorithm>
#include <utility>

namespace backup {

QStringList rotateOut(const QStringList& names, const Keep& keep) {
    struct Dated {
        QDateTime time;
        int sequence;
        QString name;
    };
    QVector<Dated> dated;
    for (const QString& name : names)
        if (const QDateTime t = BackupFile::timeOfName(name); t.isValid())
            dated.append({t, BackupFile::sequenceOfName(name), name});
    // Newest first: the first backup met in a day, week or month is the one it keeps.
    std::sort(dated.begin(), dated.end(), [](const Dated& a, const Dated& b) {
        return a.time != b.time ? a.time > b.time : a.sequence > b.sequence;
    });
    QSet<QString> kept;
    const auto keepNewestPer = [&](int count, auto periodOf) {
        QSet<qint64> seen;
        for (const Dated& entry : dated) {
            const qint64 period = periodOf(entry.time.date());
            if (seen.contains(period))
                continue;
            if (seen.size() >= count)
                break;
            seen.insert(period);
            kept.insert(entry.name);
        }
    };
    keepNewestPer(keep.daily, [](const QDate& d) { return d.toJulianDay(); });
    // A week is named by its Monday.
    keepNewestPer(keep.weekly, [](const QDate& d) { return d.toJulianDay() - (d.dayOfWeek() - 1); });
    keepNewestPer(keep.monthly, [](const QDate& d) { return qint64(d.year()) * 12 + d.month(); });
    if (!dated.isEmpty())
        kept.insert(dated.first().name);
    QStringList out;
    for (const auto& entry : dated)
        if (!kept.contains(entry.name))
            out << entry.name;
    return out;
}

} // namespace backup
