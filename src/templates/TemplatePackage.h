#pragma once

#include "core/DbError.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariantMap>
#include <memory>

namespace core {
class AppContext;
}

namespace templates {

// A template package: an SQLite file with _CKTypeTable, _ckControl and (current layout) _Config.
//
// A package comes from elsewhere. It is read from a private copy opened read-only, after the
// header, quick_check and the table list are checked; schema code never runs (trusted_schema
// off, no views or triggers accepted), texts and images are bounded, images are read one row at
// a time and decoded with size and allocation limits only to check them — the store receives
// the original bytes. Everything fails with core::DbError; opening fails with kAccessError.
class TemplatePackage {
public:
    static const QString kAccessError; // ":),数据包访问异常！"
    static constexpr qint64 kMaxImageBytes = 20 * 1024 * 1024;
    static constexpr qint64 kMaxPixels = 60LL * 1000 * 1000;
    static constexpr int kMaxText = 4000;

    explicit TemplatePackage(const QString& path);
    ~TemplatePackage();
    TemplatePackage(const TemplatePackage&) = delete;
    TemplatePackage& operator=(const TemplatePackage&) = delete;

    QStringList names() const;
    // False for a package of the earlier layout (no _Config).
    bool currentLayout() const { return m_hasConfig; }

    struct Template {
        int packageId = 0;
        QVariantMap row;           // template columns present in the package (lower-case names)
        QByteArray image;          // original bytes, checked to decode
        QList<QVariantMap> items;  // item columns present (lower-case names)
        QList<QVariantMap> config; // DMName, DMValue
    };
    // The template of that full name, checked; throws DbError saying what is wrong.
    Template load(const QString& name) const;

private:
    QStringList columns(const QString& table) const;

    QTemporaryDir m_dir;
    QString m_connection;
    bool m_hasConfig = false;
    QStringList m_typeColumns;
    QStringList m_itemColumns;
};

// Import and export between the store and package files.
class PackageTransfer {
public:
    explicit PackageTransfer(core::AppContext& app);

    struct Report {
        int succeeded = 0;
        int failed = 0;
        QStringList notes; // one line per template that failed or was imported with a remark
    };
    // Each template in its own transaction; a bad one fails alone. Throws only when the package
    // cannot be opened.
    Report importTemplates(const QString& packagePath, const QStringList& names);
    // Writes <target>.part and renames it over target once at least one template is in it; a
    // failed template leaves nothing in the package.
    Report exportTemplates(const QStringList& names, const QString& target);

private:
    void importOne(const TemplatePackage& package, const QString& name, bool layout, Report& report);

    core::AppContext& m_app;
};

} // namespace templates
