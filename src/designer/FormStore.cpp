#include "designer/FormStore.h"

#include "core/AppContext.h"
#include "designer/FormRules.h"

namespace designer {

namespace {

FormLayout layoutOf(const core::Recordset& rs) {
    FormLayout l;
    l.srcX = rs.number(QStringLiteral("SrcX"));
    l.srcY = rs.number(QStringLiteral("SrcY"));
    l.srcW = rs.number(QStringLiteral("SrcW"));
    l.srcH = rs.number(QStringLiteral("SrcH"));
    l.shown = rs.number(QStringLiteral("NeedShow")) > 0;
    l.initValue = rs.text(QStringLiteral("InitValue"));
    l.fontName = rs.text(QStringLiteral("CtlFontName"));
    l.fontSize = int(rs.integer(QStringLiteral("CtlFontSize")));
    l.bold = rs.number(QStringLiteral("Bold")) > 0;
    l.italic = rs.number(QStringLiteral("Italic")) > 0;
    l.underline = rs.number(QStringLiteral("UnderLine")) > 0;
    return l;
}

const QString kLayoutColumns = QStringLiteral(
    "ID,ucase(CtlName) as CtlName,SrcX,SrcY,SrcW,SrcH,NeedShow,InitValue,CtlFontName,CtlFontSize,Bold,Italic,"
    "UnderLine");

} // namespace

QList<FormItem> FormStore::loadItems(const QString& kind) {
    core::Recordset rs = m_app.db().query(
        QStringLiteral("select CtlName,CtlLabel,CtlType from NameDict where CheckTypeName=:kind order by "
                       "ShowOrd DESC"),
        {{QStringLiteral("kind"), kind}});
    QList<FormItem> items;
    for (rs.first(); !rs.eof(); rs.next())
        items.append({rs.text(QStringLiteral("CtlName")).toUpper(), rs.text(QStringLiteral("CtlLabel")),
                      FormRules::boxKind(rs.text(QStringLiteral("CtlType")))});
    return items;
}

QHash<QString, FormLayout> FormStore::loadLayouts(int id) {
    core::Recordset rs =
        m_app.db().query(QStringLiteral("select ") + kLayoutColumns +
                             QStringLiteral(" from ckControl where CheckTypeID=:id order by ID"),
                         {{QStringLiteral("id"), id}});
    QHash<QString, FormLayout> layouts;
    for (rs.first(); !rs.eof(); rs.next()) {
        const QString name = rs.text(QStringLiteral("CtlName"));
        if (!layouts.contains(name))
            layouts.insert(name, layoutOf(rs));
    }
    return layouts;
}

std::optional<FormLayout> FormStore::loadLayout(int id, const QString& name) {
    core::Recordset rs =
        m_app.db().query(QStringLiteral("select ") + kLayoutColumns +
                             QStringLiteral(" from ckControl where CheckTypeID=:id and "
                                            "ucase(CtlName)=:name order by ID"),
                         {{QStringLiteral("id"), id}, {QStringLiteral("name"), name.toUpper()}});
    if (rs.isEmpty())
        return std::nullopt;
    rs.first();
    return layoutOf(rs);
}

FormStore::SaveResult FormStore::saveItem(int id, const FormItem& item, const BoxValues& values,
                                          const QString& newCaption) {
    const QString name = item.name.toUpper();
    core::Database& db = m_app.db();
    try {
        core::Recordset rows =
            db.query(QStringLiteral(
                         "select ID,NeedShow from CKControl where CheckTypeID=:id and ucase(CtlName)=:name"),
                     {{QStringLiteral("id"), id}, {QStringLiteral("name"), name}});
        if (rows.recordCount() > 1)
            return {Outcome::Duplicate, {}};
        const QString shown = values.hidden ? QStringLiteral("0") : QStringLiteral("1");
        core::Params p{{QStringLiteral("x"), values.x},
                       {QStringLiteral("y"), values.y},
                       {QStringLiteral("w"), values.w},
                       {QStringLiteral("h"), values.h},
                       {QStringLiteral("v"), values.initValue.trimmed()}};
        if (rows.isEmpty()) {
            p.insert(QStringLiteral("id"), id);
            p.insert(QStringLiteral("name"), name);
            p.insert(QStringLiteral("type"), FormRules::newRowType(name));
            p.insert(QStringLiteral("caption"), newCaption.isEmpty() ? QStringLiteral("NULL") : newCaption);
            p.insert(QStringLiteral("shown"), shown);
            db.exec(
                QStringLiteral("insert into CKControl (CheckTypeID,CtlName,CtlCName,CtlType,SrcX,SrcY,SrcW,"
                               "SrcH,NeedShow,NeedPrint,InitValue) values (:id,:name,:caption,:type,:x,:y,"
                               ":w,:h,:shown,:shown,:v)"),
                p);
            markChanged(id);
            return {Outcome::Inserted, {}};
        }
        rows.first();
        p.insert(QStringLiteral("row"), rows.integer(QStringLiteral("ID")));
        QString sql = QStringLiteral("update CKControl set SrcX=:x,SrcY=:y,SrcW=:w,SrcH=:h,InitValue=:v");
        // The pair is the clerk's hide switch; an unchanged switch leaves a print-only item alone.
        if ((rows.number(QStringLiteral("NeedShow")) > 0) == values.hidden) {
            sql += QStringLiteral(",NeedShow=:shown,NeedPrint=:shown");
            p.insert(QStringLiteral("shown"), shown);
        }
        db.exec(sql + QStringLiteral(" where ID=:row"), p);
        markChanged(id);
        return {Outcome::Updated, {}};
    } catch (const core::DbError& e) {
        return {Outcome::Failed, e.message()};
    }
}

void FormStore::saveCheckBoxes(int id, const QString& captions) {
    m_app.db().exec(QStringLiteral("update ckTypeTable set checkboxs=:list where checkTypeid=:id"),
                    {{QStringLiteral("list"), captions}, {QStringLiteral("id"), id}});
    markChanged(id);
}

int FormStore::initialTemplate(int handed) {
    if (handed > 0)
        return handed;
    if (m_app.currentCheckTypeId > 0)
        return m_app.currentCheckTypeId;
    const QString kind = m_app.templates().loadDefaultTypeFirstName();
    return kind.isEmpty() ? 0 : m_app.templates().loadDefaultCheckTypeId(kind);
}

void FormStore::rebuildCaches(int extra) {
    QSet<int> ids = m_changed;
    if (extra > 0)
        ids.insert(extra);
    for (int id : ids)
        m_app.templates().buildCheckIniFile(id);
    m_changed.clear();
}

} // namespace designer
