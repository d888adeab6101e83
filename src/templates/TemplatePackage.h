#pragma once

#include "core/DbError.h"

#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariantMap>
#include <functional>
#include <memory>

namespace core {
class AppContext;
}

namespace templates {

// A template package: an SQLite file with _CKTypeTable, _ckControl and (current layout) _Config.
//
// A package comes from elsewhere. It is read from a private copy opened read-only. Before any
// check or read touches a row, the schema alone is looked at: views, triggers, virtual tables,
// generated columns and indexes on expressions or with conditions are refused, since reading or
// checking a row would run their code. The connection carries SQLite's own limits (value and row
// length, statement length, columns) and a time budget per step, so no value can be larger than
// the import accepts and no crafted content can hold the window. Every value is measured in the
// query (length(...)) before it is read; images must be JPEG and decode within size and
// allocation limits — the store receives the original bytes. Everything fails with
// core::DbError; opening fails with kAccessError.
class TemplatePackage {
public:
    static const QString kAccessError; // ":),数据包访问异常！"
    static constexpr qint64 kMaxPackageBytes = 512LL * 1024 * 1024;
    static constexpr qint64 kMaxImageBytes = 20 * 1024 * 1024;
    static constexpr qint64 kMaxPixels = 60LL * 1000 * 1000;
    static constexpr int kMaxText = 4000;
    static constexpr int kMaxItems = 2000;
    // A template's settings: the options of the entry window and the dictionaries a template
    // keeps, with room to spare.
    static constexpr int kMaxSettings = 20000;
    static constexpr int kMaxTemplates = 10000;
    static constexpr int kBudgetMs = 8000; // per step: opening, and loading one template

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

    // Whether the bytes are a JPEG image that decodes within the limits; the reason otherwise.
    static QString imageRefusal(const QByteArray& bytes);

private:
    QStringList columns(const QString& table) const;
    void refuseActiveSchema();

    QTemporaryDir m_dir;
    QString m_connection;
    bool m_hasConfig = false;
    QStringList m_typeColumns;
    QStringList m_itemColumns;
    QStringList m_configColumns;
    std::unique_ptr<QElapsedTimer> m_clock; // the budget of the running step
};

// A package value as the store column's type: an integer column takes only a whole number (or
// stays NULL), a text column only a bounded text.
QVariant packageInteger(const QVariant& v, const QString& column);
QVariant packageText(const QVariant& v, const QString& column);
// The item columns a package carries, by their type in the store.
bool isIntegerItem(const QString& column);
bool isTextItem(const QString& column);

// Import and export between the store and package files.
class PackageTransfer {
public:
    explicit PackageTransfer(core::AppContext& app);

    struct Report {
        int succeeded = 0;
        int failed = 0;
        QStringList notes; // one line per template that failed or was imported with a remark
    };
    // Each template in its own transaction; a bad one fails alone, also when it exhausts memory.
    // Throws only when the package cannot be opened.
    Report importTemplates(const QString& packagePath, const QStringList& names);

    // Steps of a template's import at which a test can stop the write as a kill would.
    enum class Step { ImageWritten, ImagePlaced, RowsWritten, Committed };
    static void setStepHook(std::function<void(Step)> hook);
    // Writes <target>.part and renames it over target once at least one template is in it; a
    // failed template leaves nothing in the package.
    Report exportTemplates(const QStringList& names, const QString& target);

private:
    void importOne(const TemplatePackage& package, const QString& name, bool layout, Report& report);

    core::AppContext& m_app;
};

} // namespace templates
