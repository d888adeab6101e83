#pragma once

#include <QString>
#include <optional>

namespace core {
class Database;
}

namespace entry {

// The face of a template as the entry window lays it out: image area size, image file and the
// captions of its tick items.
struct TemplateFace {
    int height = 0;
    int width = 0;
    QString imageFile;
    QString checkBoxes;
};

// The statements of the entry window's template binding. Look-ups swallow database errors.
class EntryStore {
public:
    explicit EntryStore(core::Database& db) : m_db(db) {}

    // Nothing when the template has no row or the statement fails.
    std::optional<TemplateFace> loadTemplateFace(int id);

private:
    core::Database& m_db;
};

} // namespace entry
