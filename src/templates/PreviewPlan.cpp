#include "templates/PreviewPlan.h"

#include "core/Database.h"
#include "core/Recordset.h"
#include "print/PrintLookups.h"
#include "print/TextBreaking.h"

namespace templates {

PreviewPlan PreviewPlan::load(core::Database& db, int checkTypeId) {
    PreviewPlan p;
    p.id = checkTypeId;
    core::Recordset t = db.query(QStringLiteral("select * from CKTypeTable where CheckTypeId=:id"),
                                 {{QStringLiteral("id"), checkTypeId}});
    if (t.isEmpty())
        return p;
    t.first();
    p.kind = t.text(QStringLiteral("TypeFirstName"));
    if (p.kind.trimmed().isEmpty())
        return p;
    p.found = true;
    p.fullName = t.text(QStringLiteral("TypeName"));
    p.xMove = int(t.integer(QStringLiteral("XMove")));
    p.yMove = int(t.integer(QStringLiteral("YMove")));
    p.paperWidth = int(t.integer(QStringLiteral("PWidth")));
    p.paperHeight = int(t.integer(QStringLiteral("PHeight")));
    p.replan(db);
    return p;
}

void PreviewPlan::replan(core::Database& db) {
    ops.clear();
    // A row that is not shown has no input box on the form, so it never prints: drawing it
    // would put a value on the preview that the paper never gets.
    core::Recordset items = db.query(
        QStringLiteral(
            "SELECT a.*,b.Id as tId, b.ctlData, b.ctlLabel, b.CtlType as dictType FROM ckControl AS a, "
            "NameDict AS b WHERE a.CtlName=b.ctlName and a.NeedPrint=1 and a.NeedShow=1 and b.PrintItem=1 "
            "and "
            "a.CheckTypeId=:id and b.CheckTypeName=:kind order by b.ShowOrd"),
        {{QStringLiteral("id"), id}, {QStringLiteral("kind"), kind}});
    // The amount-cell width as a bill of this template prints it; the currency of a bill is
    // not known here, so no abbreviation is shifted.
    print::PlanContext context;
    context.cellWidth =
        print::PrintLookups::getCellsWidth(db, id, QStringLiteral("zdQY"), QStringLiteral("zdBY"), 35);
    for (items.first(); !items.eof(); items.next()) {
        QString type = items.text(QStringLiteral("dictType")).trimmed().toUpper();
        if (type.isEmpty())
            type = QStringLiteral("TEXT");
        QString value = items.text(QStringLiteral("ctlData"));
        if (value.isEmpty())
            value = items.text(QStringLiteral("ctlLabel")).trimmed();
        QString marker;
        if (type == QLatin1String("TEXT")) {
            value.replace(QLatin1Char('\n'), print::ItemPlan::kBreakMarker);
            value.remove(QLatin1Char('\r'));
            marker = print::ItemPlan::kBreakMarker;
        } else if (type == QLatin1String("LINE")) {
            value = QStringLiteral("-");
        } else if (type != QLatin1String("CHECKBOX")) {
            continue; // images print nothing
        }
        try {
            ops += print::ItemPlan::plan(print::ItemLayout::fromRecord(items), value, marker, context);
        } catch (const std::exception&) {
            // The printer reports such an item and prints nothing for it.
        }
    }
}

} // namespace templates
