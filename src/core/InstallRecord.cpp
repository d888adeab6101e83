#include "core/InstallRecord.h"

#include <QSettings>

namespace core {

namespace {
const QString kGroup = QStringLiteral("ZORBIX_OrdMng");
}

InstallRecord::InstallRecord()
    : m_settings(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                             QStringLiteral("Qingmuniao"), QStringLiteral("Tallyquill"))) {}

InstallRecord::InstallRecord(const QString& iniFile)
    : m_settings(std::make_unique<QSettings>(iniFile, QSettings::IniFormat)) {}

InstallRecord::~InstallRecord() = default;

QString InstallRecord::read(const QString& name) const {
    if (m_settings->status() != QSettings::NoError)
        return QString();
    const QString key = kGroup + QLatin1Char('/') + name;
    if (!m_settings->contains(key))
        return missingValue();
    return m_settings->value(key).toString();
}

bool InstallRecord::write(const QString& name, const QString& value) {
    if (!m_settings->isWritable())
        return false;
    m_settings->setValue(kGroup + QLatin1Char('/') + name, value);
    m_settings->sync();
    return m_settings->status() == QSettings::NoError;
}

bool InstallRecord::update(const QString& runPath, const QString& version, const QString& fullPath) {
    bool ok = true;
    if (read(QStringLiteral("RunPath")) != runPath)
        ok = write(QStringLiteral("RunPath"), runPath) && ok;
    if (read(QStringLiteral("Version")) != version)
        ok = write(QStringLiteral("Version"), version) && ok;
    ok = write(QStringLiteral("FullPath"), fullPath) && ok;
    return ok;
}

} // namespace core
