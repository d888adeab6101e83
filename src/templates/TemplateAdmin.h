#pragma once

#include "core/DbError.h"

#include <QList>
#include <QString>
#include <QVariantMap>

namespace core {
class AppContext;
}

namespace templates {

// The standing of templates in the store: default, common, hidden, clone, rename, delete.
// Every change runs in one transaction, so a failure leaves the store as it was; image files
// are written under a temporary name and renamed, or removed, only after the commit. Failures
// throw core::DbError with a text the window shows after its prefix.
class TemplateAdmin {
public:
    explicit TemplateAdmin(core::AppContext& app);

    // Listing of the manager by tab (0..3, -1 none), kind ("" or "所有模板种类" for all) and key.
    struct Listing {
        QString sql;
        QVariantMap params;
    };
    static Listing listing(int tab, const QString& kind, const QString& key);

    // The typed name without blanks, quotes, parentheses, "%", "*", "?"; empty when nothing is left.
    static QString cleanName(const QString& typed);

    // Makes the template the default of its kind (also enabled and common); returns the kind.
    QString setDefault(int id);
    // Sets IsCommon on the templates; with common false the defaults are skipped and returned in
    // refused. Returns the number changed.
    int setCommon(const QList<int>& ids, bool common, QList<int>* refused = nullptr);
    void setVisible(const QList<int>& ids, bool visible);
    // Clones the template under the variant name (already cleaned); returns the new id.
    int clone(int sourceId, const QString& name);
    void rename(int id, const QString& name);
    // What deleting a template means for its kind: whether it is the kind's default, the template
    // that would take over the default, and whether it is the kind's last template.
    struct Removal {
        bool found = false;
        QString name;
        QString kind;
        bool isDefault = false;
        bool last = false;
        int successorId = 0;
        QString successorName;
    };
    Removal removalOf(int id) const;
    // Deletes the template, its items and settings; its image file goes only when it lies in the
    // image folder, is not a system picture and no other template uses it. The kind's last
    // template is refused; a default hands its mark to the first remaining template of its kind,
    // enabled ones first, in the same transaction, so a kind never stays without a default.
    void remove(int id);
    // Whether the image file of a deleted template may be removed (exposed for tests).
    bool imageMayBeRemoved(const QString& imgFile) const;
    // A plain file name that names a file directly inside the image folder.
    bool insideImageFolder(const QString& imgFile) const;

private:
    template <typename F> void transaction(F&& work);

    core::AppContext& m_app;
};

} // namespace templates
