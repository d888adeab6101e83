#pragma once

#include "print/ItemPlan.h"

#include <QString>
#include <QVector>

namespace core {
class Database;
}

namespace templates {

// What the preview shows of a template: its paper, its offset and the plan of every printable
// and shown item filled with its test value (the label when there is none), laid out as the printer lays
// it out. Items whose layout cannot print are left out, as the printer leaves them blank.
struct PreviewPlan {
    bool found = false; // the template has a kind
    int id = 0;
    QString kind;
    QString fullName;
    int xMove = 0;
    int yMove = 0;
    int paperWidth = 0; // tenths of a millimetre
    int paperHeight = 0;
    QVector<print::DrawOp> ops; // positions relative to the paper's corner, no offset

    // Throws DbError.
    static PreviewPlan load(core::Database& db, int checkTypeId);
    // Plans the items again from the stored test values (after they were edited).
    void replan(core::Database& db);
};

} // namespace templates
