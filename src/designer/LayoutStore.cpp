#include "designer/LayoutStore.h"

#include "core/Database.h"
#include "core/LikePattern.h"
#include "core/Recordset.h"
#include "print/PrintGeometry.h"
#include "print/TextBreaking.h"

namespace designer {

namespace {

const QString kItemSelect = QStringLiteral(
    "SELECT a.*,b.Id as tId, b.ctlData, b.ctlLabel, b.CtlType as dictType FROM ckControl AS a, NameDict AS b "
    "WHERE a.CtlName=b.ctlName and a.NeedPrint=1 and b.PrintItem=1 and a.CheckTypeId=:id and "
    "b.CheckTypeName=:kind");

// A transaction that rolls back unless committed, so a failing command leaves nothing behind.
class Transaction {
public:
    explicit Transaction(core::Database& db) : m_db(db) { m_db.begin(); }
    ~Transaction() {
        if (!m_done)
            m_db.rollback();
    }
    void commit() {
        m_db.commit();
        m_done = true;
    }

private:
    core::Database& m_db;
    bool m_done = false;
};

} // namespace

LayoutItem LayoutItem::fromRecord(const core::Recordset& row) {
    LayoutItem item;
    item.name = row.text(QStringLiteral("CtlName"));
    item.caption = row.text(QStringLiteral("CtlCName"));
    item.label = row.text(QStringLiteral("ctlLabel"));
    item.testValue = row.text(QStringLiteral("ctlData"));
    item.kindType = row.text(QStringLiteral("dictType")).trimmed().toUpper();
    if (item.kindType.isEmpty())
        item.kindType = QStringLiteral("TEXT");
    item.initValue = row.text(QStringLiteral("InitValue"));
    item.srcW = int(row.integer(QStringLiteral("SrcW")));
    item.srcH = int(row.integer(QStringLiteral("SrcH")));
    item.shown = row.integer(QStringLiteral("NeedShow")) > 0;
    item.layout = print::ItemLayout::fromRecord(row);
    item.storedWidth = item.layout.width;
    item.storedHeight = item.layout.height;
    return item;
}

QString LayoutItem::sampleText() const {
    for (const QString& t : {initValue, testValue, label}) {
        const QString v = t.trimmed();
        if (!v.isEmpty())
            return v;
    }
    return QString();
}

bool LayoutItem::prints() const {
    return shown && (kindType == QLatin1String("TEXT") || kindType == QLatin1String("CHECKBOX") ||
                     kindType == QLatin1String("LINE"));
}

QVector<print::DrawOp> LayoutItem::plan(const print::PlanContext& context) const {
    if (!prints())
        return {};
    // The value as the bill printer hands it over for the item's kind.
    QString value = sampleText();
    QString marker;
    if (kindType == QLatin1String("TEXT")) {
        value.replace(QLatin1Char('\n'), print::ItemPlan::kBreakMarker);
        value.remove(QLatin1Char('\r'));
        marker = print::ItemPlan::kBreakMarker;
    } else if (kindType == QLatin1String("LINE")) {
        value = QStringLiteral("-");
    } else {
        value = QStringLiteral("√"); // a tick item prints its mark, never its caption
    }
    return print::ItemPlan::plan(layout, value, marker, context);
}

LayoutStore::LayoutStore(core::Database& db, int checkTypeId) : m_db(db), m_id(checkTypeId) {}

bool LayoutStore::loadTemplate() {
    core::Recordset t = m_db.query(QStringLiteral("select * from CKTypeTable where CheckTypeId=:id"),
                                   {{QStringLiteral("id"), m_id}});
    if (t.isEmpty())
        return false;
    t.first();
    m_kind = t.text(QStringLiteral("TypeFirstName")).trimmed();
    m_fullName = t.text(QStringLiteral("TypeName"));
    if (m_kind.isEmpty() && !m_fullName.trimmed().isEmpty()) {
        // A template without a kind column value takes it from its full name.
        m_kind = m_fullName;
        for (const QString& open : {QStringLiteral("（"), QStringLiteral("(")}) {
            const int at = m_fullName.indexOf(open);
            if (at >= 0) {
                m_kind = m_fullName.left(at);
                break;
            }
        }
    }
    if (m_kind.isEmpty())
        return false;
    m_imageFile = t.text(QStringLiteral("ImgFile"));
    const double w = t.number(QStringLiteral("PWidth"));
    const double h = t.number(QStringLiteral("PHeight"));
    m_paperWidth = w < 1 ? 2300 : int(print::PrintGeometry::roundHalfEven(w));
    m_paperHeight = h < 1 ? 1270 : int(print::PrintGeometry::roundHalfEven(h));
    return true;
}

QVector<LayoutItem> LayoutStore::loadItems() {
    QVector<LayoutItem> items;
    core::Recordset rs = m_db.query(kItemSelect + QStringLiteral(" order by b.ShowOrd"),
                                    {{QStringLiteral("id"), m_id}, {QStringLiteral("kind"), m_kind}});
    for (rs.first(); !rs.eof(); rs.next())
        items << LayoutItem::fromRecord(rs);
    return items;
}

std::optional<LayoutItem> LayoutStore::loadItem(const QString& name) {
    core::Recordset rs = m_db.query(
        kItemSelect + QStringLiteral(" and a.CtlName=:name"),
        {{QStringLiteral("id"), m_id}, {QStringLiteral("kind"), m_kind}, {QStringLiteral("name"), name}});
    if (rs.isEmpty())
        return std::nullopt;
    rs.first();
    return LayoutItem::fromRecord(rs);
}

QStringList LayoutStore::itemList() {
    QStringList out;
    core::Recordset rs = m_db.query(
        QStringLiteral(
            "select a.ID,a.CtlName,a.CtlCName from CkControl a,NameDict b where a.CtlName=b.CtlName "
            "and b.CheckTypeName=:kind and b.PrintItem=1 and a.NeedPrint=1 and a.CheckTypeId=:id "
            "order by b.ShowOrd DESC"),
        {{QStringLiteral("id"), m_id}, {QStringLiteral("kind"), m_kind}});
    for (rs.first(); !rs.eof(); rs.next())
        out << rs.text(QStringLiteral("CtlCName")) + QLatin1Char('=') + rs.text(QStringLiteral("CtlName"));
    return out;
}

QString LayoutStore::labelOf(const QString& name) {
    try {
        const QVariant v = m_db.scalar(
            QStringLiteral("select CtlLabel from NameDict where CheckTypeName=:kind and CtlName=:name"),
            {{QStringLiteral("kind"), m_kind}, {QStringLiteral("name"), name}});
        if (v.isValid())
            return v.toString();
    } catch (const std::exception&) {
    }
    return QStringLiteral("错误");
}

QStringList LayoutStore::groups() {
    QStringList out;
    try {
        core::Recordset rs =
            m_db.query(QStringLiteral("select distinct Groups from NameDict where CheckTypeName=:kind"),
                       {{QStringLiteral("kind"), m_kind}});
        for (rs.first(); !rs.eof(); rs.next())
            out << rs.text(QStringLiteral("Groups"));
    } catch (const std::exception&) {
    }
    return out;
}

QStringList LayoutStore::groupMembers(const QString& group) {
    QStringList out;
    core::Recordset rs;
    if (group.contains(QLatin1Char('*'))) {
        // Only the star is a wildcard: a typed % or _ means itself.
        QStringList pieces = group.split(QLatin1Char('*'));
        for (QString& piece : pieces)
            piece = core::likeLiteral(piece);
        rs = m_db.query(
            QStringLiteral("select CtlName,CtlLabel from NameDict where PrintItem=1 and "
                           "CheckTypeName=:kind and CtlLabel like :pattern escape '\\' order by ShowOrd"),
            {{QStringLiteral("kind"), m_kind}, {QStringLiteral("pattern"), pieces.join(QLatin1Char('%'))}});
    } else {
        rs = m_db.query(QStringLiteral("select CtlName,CtlLabel from NameDict where PrintItem=1 and "
                                       "CheckTypeName=:kind and Groups=:grp order by ShowOrd"),
                        {{QStringLiteral("kind"), m_kind}, {QStringLiteral("grp"), group}});
    }
    for (rs.first(); !rs.eof(); rs.next())
        out << rs.text(QStringLiteral("CtlName"));
    return out;
}

int LayoutStore::storeMissingSizes(const QVector<LayoutItem>& items, const LayoutScale& scale) {
    int written = 0;
    Transaction tx(m_db);
    for (const LayoutItem& item : items) {
        if (item.layout.type == QLatin1String("LINE"))
            continue;
        const QVector<std::pair<QString, int>> sizes = {
            {QStringLiteral("CtlW"), item.storedWidth == 0 && item.srcW > 0 ? scale.toTenths(item.srcW) : 0},
            {QStringLiteral("CtlH"),
             item.storedHeight == 0 && item.srcH > 0 ? scale.toTenths(item.srcH) : 0}};
        for (const auto& [column, value] : sizes)
            if (value > 0)
                written += m_db.exec(QStringLiteral("update ckControl set ") + column +
                                         QStringLiteral("=:v where CheckTypeId=:id and CtlName=:name and ") +
                                         column + QStringLiteral("=0"),
                                     {{QStringLiteral("v"), value},
                                      {QStringLiteral("id"), m_id},
                                      {QStringLiteral("name"), item.name}});
    }
    tx.commit();
    return written;
}

bool LayoutStore::isLayoutColumn(const QString& column) {
    static const QStringList columns = {
        QStringLiteral("CtlX"),     QStringLiteral("CtlY"),          QStringLiteral("CtlW"),
        QStringLiteral("CtlH"),     QStringLiteral("CtlFontName"),   QStringLiteral("CtlFontSize"),
        QStringLiteral("CtlLH"),    QStringLiteral("BreakFontSize"), QStringLiteral("BreakNum"),
        QStringLiteral("FitParam"), QStringLiteral("UnderLine"),     QStringLiteral("Italic"),
        QStringLiteral("Bold"),     QStringLiteral("Align"),         QStringLiteral("InitValue")};
    return columns.contains(column, Qt::CaseInsensitive);
}

Outcome LayoutStore::saveField(const QString& name, const QString& column, const QVariant& value) {
    Outcome out;
    if (!isLayoutColumn(column))
        return out;
    try {
        Transaction tx(m_db);
        core::Recordset rs =
            m_db.query(QStringLiteral("select id,CheckTypeId,CtlName,CtlCName,") + column +
                           QStringLiteral(" from CKControl where CheckTypeId=:typeid and "
                                          "CtlName=:ctlName"),
                       {{QStringLiteral("typeid"), m_id}, {QStringLiteral("ctlName"), name}});
        if (rs.recordCount() > 1) {
            out.message = QStringLiteral("保存出错,同一个项目多条记录=！") + name + QLatin1Char(',') +
                          QString::number(m_id);
            return out;
        }
        if (rs.isEmpty())
            return out;
        rs.first();
        if (rs.text(column) == value.toString())
            return out;
        out.rows = m_db.exec(
            QStringLiteral("update CKControl set ") + column + QStringLiteral("=:v where id=:rowid"),
            {{QStringLiteral("v"), value}, {QStringLiteral("rowid"), rs.value(QStringLiteral("id"))}});
        // The layout cache holds the default value: the entry window must build it again.
        if (column.compare(QLatin1String("InitValue"), Qt::CaseInsensitive) == 0)
            m_db.exec(QStringLiteral("update ckTypeTable set IniFile='' where CheckTypeId=:id"),
                      {{QStringLiteral("id"), m_id}});
        tx.commit();
        // The clerk knows the item by its caption; the internal name only stands in for a blank one.
        const QString caption = rs.text(QStringLiteral("CtlCName")).trimmed();
        out.message = (caption.isEmpty() ? name : caption) + QLatin1Char(':') + column + QLatin1Char('=') +
                      value.toString() + QStringLiteral("属性保存成功~");
    } catch (const std::exception& e) {
        out.rows = 0;
        out.message = QStringLiteral("保存错误") + QString::fromUtf8(e.what());
    }
    return out;
}

Outcome LayoutStore::moveBy(const QStringList& names, const QString& column, int delta) {
    Outcome out;
    if (!isLayoutColumn(column))
        return out;
    const QString sql = QStringLiteral("update CkControl set ") + column + QLatin1Char('=') + column +
                        QStringLiteral("+(:step) where CheckTypeId=:pCheckTypeId and CtlName=:pCtlName");
    try {
        Transaction tx(m_db);
        for (const QString& name : names) {
            const int rows = m_db.exec(sql, {{QStringLiteral("step"), delta},
                                             {QStringLiteral("pCheckTypeId"), m_id},
                                             {QStringLiteral("pCtlName"), name}});
            // Two rows of one name are not moved half: nothing is.
            if (rows != 1) {
                out.message =
                    QStringLiteral("修改错误！") + sql + QStringLiteral(" (") + name + QLatin1Char(')');
                out.boxed = true;
                return out;
            }
            out.rows += rows;
        }
        tx.commit();
    } catch (const std::exception& e) {
        out.rows = 0;
        out.message = QStringLiteral("移动项目,修改错误！") + QString::fromUtf8(e.what());
        out.boxed = true;
    }
    return out;
}

QString LayoutStore::namesList(const QStringList& names) const {
    QStringList quoted;
    for (const QString& n : names)
        quoted << core::Database::quote(n);
    return quoted.join(QLatin1Char(','));
}

Outcome LayoutStore::countOutcome(int rows, const QString& doneText) const {
    Outcome out;
    out.rows = rows;
    out.message = rows > 0 ? QString::number(rows) + doneText : QStringLiteral("影响了0个项目！");
    return out;
}

Outcome LayoutStore::alignTo(const QStringList& names, const QString& column, Extreme extreme,
                             std::optional<int> fallback, const QString& doneText) {
    if (names.isEmpty() || !isLayoutColumn(column))
        return {};
    try {
        const QVariant v = m_db.scalar(
            QStringLiteral("select ") +
                (extreme == Extreme::Min ? QStringLiteral("Min") : QStringLiteral("Max")) + QLatin1Char('(') +
                column + QStringLiteral(") from ckControl where CheckTypeId=:id and CtlName in(") +
                namesList(names) + QLatin1Char(')'),
            {{QStringLiteral("id"), m_id}});
        int value = v.isNull() ? 0 : v.toInt();
        if (fallback && value <= 0)
            value = *fallback;
        return setAll(names, column, value, doneText);
    } catch (const std::exception& e) {
        return {0, QStringLiteral("Error:") + QString::fromUtf8(e.what()), false};
    }
}

Outcome LayoutStore::setAll(const QStringList& names, const QString& column, const QVariant& value,
                            const QString& doneText) {
    return updateEach(names, column, QStringLiteral(":pValue"), {{QStringLiteral("pValue"), value}},
                      doneText);
}

Outcome LayoutStore::grow(const QStringList& names, const QString& column, int step,
                          const QString& doneText) {
    return updateEach(names, column, column + QStringLiteral("+:step"), {{QStringLiteral("step"), step}},
                      doneText);
}

Outcome LayoutStore::updateEach(const QStringList& names, const QString& column, const QString& expression,
                                QVariantMap params, const QString& doneText) {
    if (names.isEmpty() || !isLayoutColumn(column))
        return {};
    try {
        Transaction tx(m_db);
        int rows = 0;
        params.insert(QStringLiteral("ptypeId"), m_id);
        for (const QString& name : names) {
            params.insert(QStringLiteral("pname"), name);
            rows +=
                m_db.exec(QStringLiteral("update ckControl set ") + column + QLatin1Char('=') + expression +
                              QStringLiteral(" where CheckTypeId=:ptypeId and CtlName=:pname"),
                          params);
        }
        tx.commit();
        return countOutcome(rows, doneText);
    } catch (const std::exception& e) {
        return {0, QStringLiteral("Error:") + QString::fromUtf8(e.what()), false};
    }
}

Outcome LayoutStore::shrink(const QStringList& names, const QString& column, int step,
                            const QString& doneText) {
    if (names.isEmpty() || !isLayoutColumn(column))
        return {};
    try {
        Transaction tx(m_db);
        int rows = 0;
        QStringList failed;
        for (const QString& name : names) {
            const int changed =
                m_db.exec(QStringLiteral("update ckControl set ") + column + QLatin1Char('=') + column +
                              QStringLiteral("-:step where CheckTypeId=:ptypeId and CtlName=:pname and ") +
                              column + QStringLiteral(">:step"),
                          {{QStringLiteral("step"), step},
                           {QStringLiteral("ptypeId"), m_id},
                           {QStringLiteral("pname"), name}});
            if (changed == 0)
                failed << name + QStringLiteral("的") + column + QStringLiteral("更新失败！");
            rows += changed;
        }
        tx.commit();
        Outcome out = countOutcome(rows, doneText);
        if (!failed.isEmpty())
            out.message = failed.join(QLatin1Char(' ')) + QLatin1Char(' ') + out.message;
        return out;
    } catch (const std::exception& e) {
        return {0, QStringLiteral("Error:") + QString::fromUtf8(e.what()), false};
    }
}

Outcome LayoutStore::distribute(const QStringList& names, const QString& column, int increment) {
    const bool across = column.compare(QLatin1String("CtlX"), Qt::CaseInsensitive) == 0;
    if (names.size() < 2 || (!across && column.compare(QLatin1String("CtlY"), Qt::CaseInsensitive) != 0))
        return {};
    try {
        const QVariant first =
            m_db.scalar(QStringLiteral("select ") + column +
                            QStringLiteral(" from ckControl where CheckTypeId=:typeid and CtlName=:cName"),
                        {{QStringLiteral("typeid"), m_id}, {QStringLiteral("cName"), names.first()}});
        if (!first.isValid())
            return {0,
                    across ? QStringLiteral("没有找到第一个项目的距左参数,中断分布动作！")
                           : QStringLiteral("没有找到第一个项目的距顶参数,中断分布动作！"),
                    false};
        Transaction tx(m_db);
        int rows = 0;
        for (int i = 1; i < names.size(); ++i)
            rows += m_db.exec(QStringLiteral("update ckControl set ") + column +
                                  QStringLiteral("=:pValue where CheckTypeId=:ptypeId and CtlName=:pname"),
                              {{QStringLiteral("pValue"), first.toInt() + i * increment},
                               {QStringLiteral("ptypeId"), m_id},
                               {QStringLiteral("pname"), names.at(i)}});
        tx.commit();
        return {rows, QString::number(rows) + QStringLiteral("个等宽分布修改成功！"), false};
    } catch (const std::exception& e) {
        return {0, QStringLiteral("Error:") + QString::fromUtf8(e.what()), false};
    }
}

Outcome LayoutStore::updateTestData(const QString& name, const QString& text) {
    try {
        Transaction tx(m_db);
        const int rows =
            m_db.exec(QStringLiteral("update NameDict set CtlData=:pdata where CheckTypeName=:typname and "
                                     "CtlName=:ctlName"),
                      {{QStringLiteral("pdata"), print::TextBreaking::trimBlanks(text)},
                       {QStringLiteral("typname"), m_kind},
                       {QStringLiteral("ctlName"), name}});
        if (rows != 1)
            return {0, QStringLiteral("测试值更新失败.没有有效的行！"), false};
        tx.commit();
        return {1, QStringLiteral("更新成功！"), true};
    } catch (const std::exception& e) {
        return {0, QStringLiteral("更新失败！") + QString::fromUtf8(e.what()), true};
    }
}

Outcome LayoutStore::savePaperSize(double widthCm, double heightCm) {
    const qint64 h = print::PrintGeometry::roundHalfEven(heightCm * 10);
    const qint64 w = print::PrintGeometry::roundHalfEven(widthCm * 10);
    if (h > 320)
        return {0, QStringLiteral("失败，票据最高不能大于32厘米。"), true};
    if (w > 300)
        return {0, QStringLiteral("失败，票据最宽不能大于30厘米。"), true};
    // A paper of no size would make the surface's scale a division by zero; the offset window
    // takes nothing below 3 × 2 cm either.
    if (w < 30)
        return {0, QStringLiteral("失败，票据最窄不能小于3厘米。"), true};
    if (h < 20)
        return {0, QStringLiteral("失败，票据最矮不能小于2厘米。"), true};
    const int pw = int(print::PrintGeometry::roundHalfEven(widthCm * 100));
    const int ph = int(print::PrintGeometry::roundHalfEven(heightCm * 100));
    try {
        const int rows =
            m_db.exec(QStringLiteral("update CKTypeTable set PWidth=:w, PHeight=:h where CheckTypeId=:id"),
                      {{QStringLiteral("w"), pw}, {QStringLiteral("h"), ph}, {QStringLiteral("id"), m_id}});
        if (rows == 1) {
            m_paperWidth = pw;
            m_paperHeight = ph;
        }
        return {rows, QStringLiteral("底图实际长和宽保存成功！"), true};
    } catch (const std::exception& e) {
        return {0, QStringLiteral("保存错误") + QString::fromUtf8(e.what()), true};
    }
}

} // namespace designer
