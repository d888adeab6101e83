#include "templates/TemplateWhole.h"

#include "core/Database.h"
#include "core/Recordset.h"
#include "print/PrintGeometry.h"

#include <QScopeGuard>

namespace templates {

QString TemplateWhole::column(Field f) {
    static const char* const names[FieldCount] = {"XMove", "YMove", "TWidth", "THeight", "PWidth", "PHeight"};
    return QLatin1String(names[f]);
}

TemplateWhole::Range TemplateWhole::range(Field f) {
    static const Range ranges[FieldCount] = {{-3000, 3000}, {-3000, 3000}, {300, 1200},
                                             {200, 900},    {300, 3000},   {200, 3000}};
    return ranges[f];
}

TemplateWhole::Range TemplateWhole::rangeFor(Field f, int stored) {
    const Range r = range(f);
    return {qMin(r.min, stored), qMax(r.max, stored)};
}

QList<QPair<QString, int>> TemplateWhole::enabledTemplates(core::Database& db) {
    QList<QPair<QString, int>> out;
    core::Recordset rs =
        db.query(QStringLiteral("Select distinct TypeName,CheckTYpeID From CKTypeTable where visiable=:on "
                                "order by TypeName"),
                 {{QStringLiteral("on"), QStringLiteral("启用")}});
    for (rs.first(); !rs.eof(); rs.next()) {
        const QString name = rs.text(QStringLiteral("TypeName"));
        if (!name.isEmpty())
            out.append({name, int(rs.integer(QStringLiteral("CheckTYpeID")))});
    }
    return out;
}

TemplateWhole TemplateWhole::load(core::Database& db, const QString& fullName) {
    TemplateWhole t;
    core::Recordset rs = db.query(QStringLiteral("Select * From CKTypeTable where typename=:name"),
                                  {{QStringLiteral("name"), fullName.trimmed()}});
    if (rs.isEmpty())
        return t;
    rs.first();
    t.found = true;
    t.id = int(rs.integer(QStringLiteral("CheckTypeID")));
    t.name = rs.text(QStringLiteral("TypeName"));
    for (int f = 0; f < FieldCount; ++f)
        t.values[f] = int(rs.integer(column(Field(f))));
    t.landscape = print::PrintGeometry::isLandscape(rs.text(QStringLiteral("HVPrint")));
    return t;
}

int TemplateWhole::saveField(core::Database& db, int id, Field f, int value) {
    // Only a real change counts: the engine reports a row for a rewrite of the same value.
    return db.exec(QStringLiteral("Update CKTypeTable set ") + column(f) +
                       QStringLiteral("=:v where CheckTypeID=:id and (") + column(f) +
                       QStringLiteral(" is null or ") + column(f) + QStringLiteral("<>:v)"),
                   {{QStringLiteral("v"), value}, {QStringLiteral("id"), id}});
}

int TemplateWhole::saveLandscape(core::Database& db, int id, bool landscape) {
    const QString hv = landscape ? QStringLiteral("1") : QStringLiteral("0");
    return db.exec(QStringLiteral("Update CKTypeTable set HVPrint=:hv where CheckTypeID=:id and "
                                  "(HVPrint is null or HVPrint<>:hv)"),
                   {{QStringLiteral("hv"), hv}, {QStringLiteral("id"), id}});
}

int TemplateWhole::saveChanges(core::Database& db, const TemplateWhole& stored, const TemplateWhole& wanted) {
    db.begin();
    auto rollback = qScopeGuard([&db] { db.rollback(); });
    int written = 0;
    for (int f = 0; f < FieldCount; ++f)
        if (stored.values[f] != wanted.values[f])
            written += saveField(db, stored.id, Field(f), wanted.values[f]);
    if (stored.landscape != wanted.landscape)
        written += saveLandscape(db, stored.id, wanted.landscape);
    db.commit();
    rollback.dismiss();
    return written;
}

} // namespace templates
