#include "print/PrintLookups.h"

#include "core/Database.h"

#include <QSizeF>

#include <cstdlib>

namespace print {

const QString PrintLookups::kTemplatePaperOption = QStringLiteral("cfgTemplatePaper");

QString PrintLookups::getHXPaperIn(core::Database& db, int checkTypeId) {
    try {
        core::Recordset rs = db.query(QStringLiteral("Select HVPrint From ckTypeTable where checkTypeid=:id"),
                                      {{QStringLiteral("id"), checkTypeId}});
        return rs.isEmpty() ? QString() : rs.text(QStringLiteral("HVPrint"));
    } catch (const core::DbError&) {
        return QString();
    }
}

int PrintLookups::getCellsWidth(core::Database& db, int checkTypeId, const QString& name1,
                                const QString& name2, int fallback) {
    try {
        core::Recordset rs = db.query(QStringLiteral("select ctlx from ckcontrol where CheckTypeID=:id and "
                                                     "(CtlName=:name1 or CtlName=:name2)"),
                                      {{QStringLiteral("id"), checkTypeId},
                                       {QStringLiteral("name1"), name1},
                                       {QStringLiteral("name2"), name2}});
        if (rs.recordCount() < 2)
            return fallback;
        rs.first();
        const qint64 first = rs.integer(QStringLiteral("ctlx"));
        rs.next();
        return static_cast<int>(std::llabs(first - rs.integer(QStringLiteral("ctlx"))));
    } catch (const core::DbError&) {
        return 0;
    }
}

PrintLookups::Offsets PrintLookups::templateOffsets(core::Database& db, int checkTypeId) {
    core::Recordset rs = db.query(QStringLiteral("select * from CKTypeTable where CheckTypeID=:id"),
                                  {{QStringLiteral("id"), checkTypeId}});
    Offsets out;
    if (rs.isEmpty())
        return out;
    rs.first();
    out.found = true;
    out.x = static_cast<int>(rs.integer(QStringLiteral("Xmove")));
    out.y = static_cast<int>(rs.integer(QStringLiteral("Ymove")));
    return out;
}

QPageSize PrintLookups::templatePaper(core::Database& db, int checkTypeId) {
    try {
        core::Recordset rs =
            db.query(QStringLiteral("select PWidth, PHeight from CKTypeTable where CheckTypeID=:id"),
                     {{QStringLiteral("id"), checkTypeId}});
        if (rs.isEmpty())
            return {};
        rs.first();
        const double width = rs.number(QStringLiteral("PWidth")) / 10.0;
        const double height = rs.number(QStringLiteral("PHeight")) / 10.0;
        if (width <= 0 || height <= 0)
            return {};
        return QPageSize(QSizeF(width, height), QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
    } catch (const core::DbError&) {
        return {};
    }
}

bool PrintLookups::printsOnTemplatePaper(core::Database& db, int checkTypeId) {
    try {
        return db.scalar(QStringLiteral("select DMValue from DMTable where CheckTypeID=:id and "
                                        "ucase(DMName)=:name"),
                         {{QStringLiteral("id"), checkTypeId},
                          {QStringLiteral("name"), kTemplatePaperOption.toUpper()}})
                   .toString()
                   .trimmed() == QLatin1String("1");
    } catch (const core::DbError&) {
        return false;
    }
}

void PrintLookups::setPrintItem(core::Database& db, const QString& kind, const QStringList& names, bool on) {
    QStringList quoted;
    for (const QString& name : names)
        quoted << core::Database::quote(name);
    try {
        db.exec(QStringLiteral("update namedict set PrintItem=") +
                    (on ? QLatin1Char('1') : QLatin1Char('0')) +
                    QStringLiteral(" where CheckTypeName=:kind and CtlName in(") +
                    quoted.join(QLatin1Char(',')) + QLatin1Char(')'),
                {{QStringLiteral("kind"), kind}});
    } catch (const core::DbError&) {
        // The stored flags stay as they were; the bill still prints with them.
    }
}

} // namespace print
