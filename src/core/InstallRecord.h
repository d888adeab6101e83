#pragma once

#include <QString>
#include <memory>

class QSettings;

namespace core {

// The installation record of the current user: the registry key
// \software\Qingmuniao\Tallyquill\ZORBIX_OrdMng on Windows, the same path in the platform's
// native settings store elsewhere. An earlier installation is found through its "RunPath".
class InstallRecord {
public:
    // The record in the platform's native store of the current user.
    InstallRecord();
    // The record in an INI file of its own (tests, portable installations).
    explicit InstallRecord(const QString& iniFile);
    ~InstallRecord();
    InstallRecord(const InstallRecord&) = delete;
    InstallRecord& operator=(const InstallRecord&) = delete;

    // A missing value reads as "空"; a read that fails gives the empty text.
    QString read(const QString& name) const;
    // False when the value could not be stored.
    bool write(const QString& name, const QString& value);

    // The start-up step: "RunPath" and "Version" when they differ from what is stored,
    // "FullPath" always. False when any write failed; the caller shows "注册表读写错误！".
    bool update(const QString& runPath, const QString& version, const QString& fullPath);

    static QString missingValue() { return QStringLiteral("空"); }

private:
    std::unique_ptr<QSettings> m_settings;
};

} // namespace core
