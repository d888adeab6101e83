#pragma once

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <optional>

namespace core {
class AppContext;
}

namespace designer {

// One item of a template kind as the entry-form designer lists it.
struct FormItem {
    QString name; // upper case
    QString label;
    QString kind; // drawing kind (FormRules::boxKind)
};

// The screen layout of one item as stored in its template's ckControl row, with the print
// font the designer shows beside it.
struct FormLayout {
    double srcX = 0;
    double srcY = 0;
    double srcW = 0;
    double srcH = 0;
    bool shown = false;
    QString initValue;
    QString fontName;
    int fontSize = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
};

// What the clerk set for the current box.
struct BoxValues {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
    bool hidden = false;
    QString initValue;
};

// The statements of the entry-form designer. A save writes only what this window edits: the
// screen box, the default value, and the visibility pair NeedShow/NeedPrint when the clerk
// changed the visibility (so a box hidden on screen but printed keeps printing when moved).
// Fonts, styles and print positions belong to the print-layout designer and are never written
// here. Every template saved to is remembered, and rebuildCaches() brings each of their layout
// caches up to date.
class FormStore {
public:
    explicit FormStore(core::AppContext& app) : m_app(app) {}

    // Items of a kind in list order (highest ShowOrd first). Throws DbError.
    QList<FormItem> loadItems(const QString& kind);
    // Every ckControl row of a template by upper-case item name; the first row of a name wins.
    // Throws DbError.
    QHash<QString, FormLayout> loadLayouts(int id);
    // The row of one item, nothing when it has none. Throws DbError.
    std::optional<FormLayout> loadLayout(int id, const QString& name);

    enum class Outcome { Updated, Inserted, Duplicate, Failed };
    struct SaveResult {
        Outcome outcome;
        QString error; // the engine's message when Failed
    };
    // Saves the item's box; a missing row is created from these values, typed by the item's
    // name and captioned newCaption ("NULL" when empty). Two rows of one name save nothing.
    SaveResult saveItem(int id, const FormItem& item, const BoxValues& values, const QString& newCaption);

    // Stores the tick-box captions; throws DbError.
    void saveCheckBoxes(int id, const QString& captions);

    // The template the designer opens with: the handed one, else the current one, else the
    // default template of the default kind; 0 or less when there is none.
    int initialTemplate(int handed);

    void markChanged(int id) { m_changed.insert(id); }
    QSet<int> changedTemplates() const { return m_changed; }
    // Rebuilds the layout cache of every template changed since the last rebuild, and of extra
    // when positive.
    void rebuildCaches(int extra = 0);

private:
    core::AppContext& m_app;
    QSet<int> m_changed;
};

} // namespace designer
