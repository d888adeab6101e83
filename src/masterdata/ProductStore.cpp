#include "masterdata/ProductStore.h"

#include "core/LikePattern.h"

namespace masterdata {

const QString ProductStore::kAllNames = QStringLiteral("所有商品");
const QString ProductStore::kClassRoot = QStringLiteral("全部分类\\");

namespace {

const QString kSelectAll = QStringLiteral("SELECT * FROM Products ");

bool isKnownDirection(const QString& direction) {
    return direction.compare(QLatin1String("ASC"), Qt::CaseInsensitive) == 0 ||
           direction.compare(QLatin1String("DESC"), Qt::CaseInsensitive) == 0;
}

} // namespace

QString ProductStore::classOf(const QString& classPath) {
    QString c = classPath.trimmed();
    const int at = c.indexOf(kClassRoot);
    if (at >= 0)
        c.remove(at, kClassRoot.size());
    return c;
}

bool ProductStore::isClassOnly(const CatalogueFilter& filter) {
    return filter.keyword.trimmed().isEmpty() && (filter.name.isEmpty() || filter.name == kAllNames);
}

QString ProductStore::orderBy(const QString& sortColumn, const QString& sortDirection,
                              const QString& blankDirection) {
    // The column comes from a grid title: it is an identifier, so it is bracketed, never bound.
    QString column = sortColumn.trimmed();
    if (column.isEmpty() || column.contains(QLatin1Char(']')))
        column = QStringLiteral("商品名");
    const QString direction = sortDirection.trimmed();
    return QStringLiteral(" order by [") + column + QStringLiteral("] ") +
           (isKnownDirection(direction) ? direction : blankDirection);
}

Statement ProductStore::filterStatement(const CatalogueFilter& filter) {
    Statement st;
    QString where;
    const QString keyword = filter.keyword.trimmed();
    if (!keyword.isEmpty()) {
        // The keyword is matched as typed: % and _ in it are no wildcards.
        where = QStringLiteral(" where (商品名 like :kw escape '\\' or 规格 like :kw escape '\\')");
        st.params.insert(QStringLiteral("kw"),
                         QLatin1Char('%') + core::likeLiteral(keyword) + QLatin1Char('%'));
    }
    if (!filter.name.isEmpty() && filter.name != kAllNames) {
        where +=
            where.isEmpty() ? QStringLiteral(" where 商品名=:name") : QStringLiteral(" and 商品名=:name");
        st.params.insert(QStringLiteral("name"), filter.name);
    }
    const QString classify = classOf(filter.classPath);
    if (!classify.isEmpty()) {
        where += where.isEmpty() ? QStringLiteral(" where 分类=:cls") : QStringLiteral(" and 分类=:cls");
        st.params.insert(QStringLiteral("cls"), classify);
    }
    st.sql = kSelectAll + where + orderBy(filter.sortColumn, filter.sortDirection, QStringLiteral("desc"));
    return st;
}

Statement ProductStore::allStatement(const QString& sortColumn, const QString& sortDirection) {
    return {QStringLiteral("SELECT * FROM Products") +
                orderBy(sortColumn, sortDirection, QStringLiteral("deSC")),
            {}};
}

Statement ProductStore::classStatement(const QString& classify) {
    return {kSelectAll + QStringLiteral("where 分类=:cls"), {{QStringLiteral("cls"), classify}}};
}

QStringList ProductStore::distinctTexts(const QString& sql, bool dropBlank) {
    QStringList out;
    try {
        core::Recordset rs = m_db.query(sql);
        for (rs.first(); !rs.eof(); rs.next()) {
            const QString value = dropBlank ? rs.text(0).trimmed() : rs.text(0);
            if (!dropBlank || !value.isEmpty())
                out << value;
        }
    } catch (const core::DbError&) {
        // A look-up list offers what it could read.
    }
    return out;
}

QStringList ProductStore::nameList() {
    return QStringList{kAllNames} +
           distinctTexts(QStringLiteral("SELECT distinct 商品名 FROM Products order by 商品名 desc"), false);
}

QStringList ProductStore::classList() {
    QStringList classes =
        distinctTexts(QStringLiteral("Select distinct [分类] From Products order by [分类]"), true);
    // " A" and "A" are one class once trimmed, and trimming may move a value in the order.
    classes.sort();
    classes.removeDuplicates();
    return classes;
}

QStringList ProductStore::unitChoices() {
    QStringList units = distinctTexts(QStringLiteral("select distinct 单位 from Products "), false);
    if (units.isEmpty())
        units = QStringList{QStringLiteral("台"), QStringLiteral("只"), QStringLiteral("个"),
                            QStringLiteral("箱"), QStringLiteral("套"), QStringLiteral("件")};
    return units;
}

QStringList ProductStore::classChoices() {
    return distinctTexts(QStringLiteral("select distinct 分类 from Products "), false);
}

void ProductStore::deleteIds(const QList<int>& ids) {
    m_db.begin();
    try {
        for (const int id : ids)
            m_db.exec(QStringLiteral("delete from Products where ID=:id"), {{QStringLiteral("id"), id}});
        m_db.commit();
    } catch (const core::DbError&) {
        m_db.rollback();
        throw;
    }
}

void ProductStore::clearAll() {
    m_db.exec(QStringLiteral("delete from Products"));
}

Product ProductStore::load(int id) {
    Product p;
    core::Recordset rs =
        m_db.query(QStringLiteral("select * from Products where ID=:id"), {{QStringLiteral("id"), id}});
    if (rs.isEmpty())
        return p;
    rs.first();
    p.id = static_cast<int>(rs.integer(QStringLiteral("ID")));
    p.name = rs.text(QStringLiteral("商品名"));
    p.brand = rs.text(QStringLiteral("规格"));
    p.otherPro = rs.text(QStringLiteral("其他属性"));
    p.identy = rs.text(QStringLiteral("货号"));
    p.unit = rs.text(QStringLiteral("单位"));
    p.price = rs.text(QStringLiteral("单价"));
    p.specPrice = rs.text(QStringLiteral("批价"));
    p.inputCode = rs.text(QStringLiteral("简码"));
    p.classify = rs.text(QStringLiteral("分类"));
    p.remark = rs.text(QStringLiteral("备注"));
    return p;
}

int ProductStore::articleNumberOwner(const QString& identy, int ownId) {
    try {
        core::Recordset rs = m_db.query(QStringLiteral("select * from Products where 货号=:no"),
                                        {{QStringLiteral("no"), identy}});
        for (rs.first(); !rs.eof(); rs.next()) {
            const int id = static_cast<int>(rs.integer(QStringLiteral("ID")));
            if (id != ownId)
                return id;
        }
    } catch (const core::DbError&) {
        // The check is advisory; the save itself reports real failures.
    }
    return 0;
}

void ProductStore::save(Product& product) {
    core::Recordset rs = m_db.query(QStringLiteral("select * from Products where ID=:id"),
                                    {{QStringLiteral("id"), product.id}});
    const bool insert = rs.editFirstOrAppend();
    rs.setValue(QStringLiteral("商品名"), product.name.trimmed());
    rs.setValue(QStringLiteral("规格"), product.brand.trimmed());
    rs.setValue(QStringLiteral("其他属性"), product.otherPro.trimmed());
    rs.setValue(QStringLiteral("货号"), product.identy.trimmed());
    rs.setValue(QStringLiteral("单位"), product.unit.trimmed());
    rs.setValue(QStringLiteral("单价"), product.price.trimmed());
    rs.setValue(QStringLiteral("批价"), product.specPrice.trimmed());
    rs.setValue(QStringLiteral("简码"), product.inputCode.trimmed());
    rs.setValue(QStringLiteral("分类"), product.classify.trimmed());
    rs.setValue(QStringLiteral("备注"), product.remark.trimmed());
    rs.post();
    if (insert)
        product.id = m_db.scalar(QStringLiteral("select ID from Products where rowid=:r"),
                                 {{QStringLiteral("r"), m_db.lastInsertId()}})
                         .toInt();
}

ProductStore::SaveResult ProductStore::saveChecked(Product& product) {
    if (product.name.trimmed().isEmpty())
        return SaveResult::NameMissing;
    if (product.price.isEmpty())
        product.price = QStringLiteral("0.00");
    product.classify = product.classify.trimmed();
    product.identy = product.identy.trimmed();
    if (!product.identy.isEmpty() && articleNumberOwner(product.identy, product.id) != 0)
        return SaveResult::ArticleTaken;
    save(product);
    return SaveResult::Saved;
}

} // namespace masterdata
