#pragma once

#include <QString>
#include <QStringList>
#include <memory>

namespace core {

class AppContext;
class IniFile;

// Look-ups of the template tables (CKTypeTable, ckControl, NameDict, template settings in
// DMTable) and the per-template layout cache file Temp/CheckIni/<id>.ini. Look-ups swallow
// errors and return empty text, 0 or an empty list; the three that raise say so.
class TemplateStore {
public:
    explicit TemplateStore(AppContext& app);

    int loadCheckTypeIDByFirstAndLastName(const QString& kind, const QString& variant);
    QString loadCheckTypeIDByTypeFullName(const QString& fullName);
    QString loadCheckTypeFullNameByID(int id);
    QString loadDefaultTypeFirstName();
    QString loadCheckTypeFirstNameByID(int id);
    QString loadCheckTypeLastNameByID(int id);
    QStringList loadCheckTypeFirstNameList();
    QStringList loadCommonTypeLastNameList(const QString& kind);
    QStringList loadCheckTypeLastNameList(const QString& kind);
    QStringList loadCheckTypeFullNameList(const QString& kind);
    int loadDefaultCheckTypeId(const QString& kind);
    // These three throw DbError with their prefixes.
    bool CheckTypeExists(const QString& kind, const QString& variant);
    bool loadUserXYMoveByFirstName(const QString& kind, int& x, int& y);
    QString loadMaxNewCheckTypeId();

    static QString getTypeCodeByTypeName(const QString& kind);
    // The kind part of a full name: before the first "（", else before the first "(", else all.
    static QString kindFromTypeName(const QString& typeName);

    // Layout cache.
    QString cacheFilePath(int id) const;
    std::unique_ptr<IniFile> OpenCheckInif(int id);
    void buildCheckIniFile(int id);
    static QString getInifCheckConfigByName(const IniFile* ini, const QString& name);
    bool setCheckConfigByName(int id, const QString& name, const QString& value);
    // Item names of a kind, for placing its input boxes (core::ui::FormPlacement). Throws DbError.
    QStringList loadCtlNamesOfKind(const QString& kind);

    // The cache clean of the tools menu. childWindowsOpen tells which closing message applies;
    // returns true when the caller must close every child window.
    bool resetTemps(bool childWindowsOpen);

private:
    void addIsCommonColumn();

    AppContext& m_app;
};

} // namespace core
