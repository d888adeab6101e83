#include "core/VersionInfo.h"

#include <QCoreApplication>
#include <QVersionNumber>

namespace core {

QString VersionInfo::versionText(const QString& version) {
    const QVersionNumber number = QVersionNumber::fromString(version.trimmed());
    return QString::number(number.majorVersion()) + QLatin1Char('.') + QString::number(number.minorVersion());
}

bool VersionInfo::isOlderMark(const QString& mark, const QString& version) {
    const QVersionNumber stored = QVersionNumber::fromString(mark.trimmed());
    if (stored.isNull())
        return true;
    return QVersionNumber::compare(stored.normalized(),
                                   QVersionNumber::fromString(version.trimmed()).normalized()) < 0;
}

QString VersionInfo::applicationVersionText() {
    return versionText(QCoreApplication::applicationVersion());
}

} // namespace core
