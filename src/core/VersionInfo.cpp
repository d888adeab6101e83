#include "core/VersionInfo.h"

#include <QCoreApplication>
#include <QVersionNumber>

namespace core {

QString VersionInfo::versionText(const QString& version) {
    const QVersionNumber number = QVersionNumber::fromString(version.trimmed());
    return QString::number(number.majorVersion()) + QLatin1Char('.') + QString::number(number.minorVersion());
}

QString VersionInfo::applicationVersionText() {
    return versionText(QCoreApplication::applicationVersion());
}

} // namespace core
