#include "entry/BillDate.h"

namespace entry {

QString formatBillDate(const QDateTime& when, const QString& stored) {
    // Formats read back from a template's settings may carry blanks around them.
    const QString format = stored.trimmed();
    const QString day = when.toString(QStringLiteral("yyyy-MM-dd"));
    const QString time = when.toString(QStringLiteral("hh:mm"));
    if (format == QLatin1String("YYYY/MM/DD"))
        return QString(day).replace(QLatin1Char('-'), QLatin1Char('/'));
    if (format == QStringLiteral("YYYY年MM月DD日"))
        return when.toString(QStringLiteral("yyyy年MM月dd日"));
    if (format == QLatin1String("YYYYMMDD hh:nn"))
        return when.toString(QStringLiteral("yyyyMMdd")) + QLatin1Char(' ') + time;
    if (format == QLatin1String("YYYY/MM/DD hh:nn"))
        return QString(day).replace(QLatin1Char('-'), QLatin1Char('/')) + QLatin1Char(' ') + time;
    if (format == QLatin1String("YYYY-MM-DD hh:nn"))
        return day + QLatin1Char(' ') + time;
    return day;
}

} // namespace entry
