#pragma once

#include <QPageSize>
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
    // The template's own paper, PWidth × PHeight (tenths of mm) as they lie in the designer;
    // invalid when the template has none. Errors are swallowed.
    static QPageSize templatePaper(core::Database& db, int checkTypeId);
    // The template setting kTemplatePaperOption ("1": print on the template's own paper, as a
    // tractor feeding continuous forms needs). Errors are swallowed (off).
    static bool printsOnTemplatePaper(core::Database& db, int checkTypeId);
    static const QString kTemplatePaperOption; // cfgTemplatePaper
    // Stores the print flag of the kind's items; errors are swallowed.
    static void setPrintItem(core::Database& db, const QString& kind, const QStringList& names, bool on);
};

} // namespace print
