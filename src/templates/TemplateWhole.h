#pragma once

#include <QList>
#include <QPair>
#include <QString>

namespace core {
class Database;
}

namespace templates {

// The whole-template settings of one CKTypeTable row: print offset, entry-screen size, paper
// size (tenths of a millimetre, pixels for the screen) and feed direction.
struct TemplateWhole {
    enum Field { XMove, YMove, TWidth, THeight, PWidth, PHeight, FieldCount };

    bool found = false;
    int id = 0;
    QString name;
    int values[FieldCount] = {0, 0, 780, 420, 2300, 1270};
    bool landscape = false; // HVPrint "1"; anything else is portrait, as printing reads it

    int& operator[](Field f) { return values[f]; }
    int operator[](Field f) const { return values[f]; }

    static QString column(Field f);
    // The range a box offers; widened to include a stored value outside it, so that merely
    // showing a template never changes what it holds.
    struct Range {
        int min;
        int max;
    };
    static Range range(Field f);
    static Range rangeFor(Field f, int stored);

    // Enabled templates by full name, with their ids, in name order.
    static QList<QPair<QString, int>> enabledTemplates(core::Database& db);
    // The row of the full name (trimmed); found false when there is none. Throws DbError.
    static TemplateWhole load(core::Database& db, const QString& fullName);
    // Writes one column of the template; returns the rows changed (0: the value was already
    // stored). Throws DbError.
    static int saveField(core::Database& db, int id, Field f, int value);
    static int saveLandscape(core::Database& db, int id, bool landscape);
    // Writes what differs between stored and wanted, in one transaction; returns the number of
    // columns written (0: nothing changed). Throws DbError, nothing written.
    static int saveChanges(core::Database& db, const TemplateWhole& stored, const TemplateWhole& wanted);
};

} // namespace templates
