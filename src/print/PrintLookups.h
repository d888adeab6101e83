#pragma once

#include <QString>
#include <QStringList>

namespace core {
class Database;
}

namespace print {

// The template look-ups of printing, every value bound as a parameter.
class PrintLookups {
public:
    struct Offsets {
        bool found = false;
        int x = 0; // XMove, tenths of mm
        int y = 0; // YMove, tenths of mm
    };

    // HVPrint of the template; empty when there is no row or on an error.
    static QString getHXPaperIn(core::Database& db, int checkTypeId);
    // |ctlx(first) − ctlx(second)| of the two items' layout rows; fallback with fewer than two
    // rows; 0 on an error.
    static int getCellsWidth(core::Database& db, int checkTypeId, const QString& name1, const QString& name2,
                             int fallback);
    // XMove and YMove of the template; throws DbError.
    static Offsets templateOffsets(core::Database& db, int checkTypeId);
    // Stores the print flag of the kind's items; errors are swallowed.
    static void setPrintItem(core::Database& db, const QString& kind, const QStringList& names, bool on);
};

} // namespace print
