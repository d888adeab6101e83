#include "core/Lookups.h"

#include "core/AppContext.h"
#include "core/ProvinceOrder.h"

namespace core {

Lookups::Lookups(AppContext& app) : m_db(app.db()) {}

QStringList Lookups::column(const QString& sql, const QVariantMap& params, bool skipBlank) {
    QStringList out;
    try {
        Recordset rs = m_db.query(sql, params);
        for (rs.first(); !rs.eof(); rs.next()) {
            const QString value = rs.text(0);
            if (skipBlank && value.trimmed().isEmpty())
                continue;
            out << value;
        }
    } catch (const DbError&) {
        // A look-up list gives what it has; the window that needs the data reports its own errors.
    }
    return out;
}

QString Lookups::single(const QString& sql, const QVariantMap& params) {
    try {
        Recordset rs = m_db.query(sql, params);
        if (!rs.isEmpty())
            return rs.text(0);
    } catch (const DbError&) {
    }
    return {};
}

QStringList Lookups::loadDMListByName(const QString& name, const QList<int>& ids) {
    if (ids.isEmpty())
        return {};
    // The identifiers are integers, so the in-list is built from numbers and carries no text.
    QStringList idTexts;
    for (int id : ids)
        idTexts << QString::number(id);
    return column(QStringLiteral("select distinct DMvalue,CheckTypeID From DMTable where DMName=:name and "
                                 "CheckTypeID in(%1) Order By CheckTypeID DESC ")
                      .arg(idTexts.join(QLatin1Char(','))),
                  {{QStringLiteral("name"), name}});
}

QStringList Lookups::loadMoneyTypeList() {
    return column(QStringLiteral("select distinct 币种 From Coins"), {});
}

QString Lookups::getMoneyCodeByName(const QString& name) {
    return single(QStringLiteral("Select 缩写 From coins where 币种=:name"),
                  {{QStringLiteral("name"), name}});
}

QString Lookups::getMoneyNameByCode(const QString& code) {
    return single(QStringLiteral("Select 币种 From coins where 缩写=:code"),
                  {{QStringLiteral("code"), code}});
}

QStringList Lookups::loadHistoryFieldList(const QString& table, const QString& column) {
    return this->column(QStringLiteral("select distinct ") + column + QStringLiteral(" from ") + table, {});
}

QStringList Lookups::loadHistoryTypeNameList(const QString& table) {
    return loadHistoryFieldList(table, QStringLiteral("模板种类"));
}

QStringList Lookups::loadCheckNOList(const QString& table, const QString& state, const QString& column) {
    const QString sql = QStringLiteral("select distinct ") + column + QStringLiteral(" from ") + table;
    if (state.isEmpty())
        return this->column(sql, {});
    return this->column(sql + QStringLiteral(" where 票据状态=:state"), {{QStringLiteral("state"), state}});
}

QStringList Lookups::loadProvinces() {
    return provincesInCodeOrder(column(
        QStringLiteral("select distinct 一级代码 From DMTable2 where 类型='省市' order by 一级代码"), {}));
}

QStringList Lookups::loadCitysByProvince(const QString& province) {
    if (province.trimmed().isEmpty())
        return {};
    return column(QStringLiteral("select distinct 二级代码 From DMTable2 where 一级代码=:province and "
                                 "类型='省市' order by 二级代码"),
                  {{QStringLiteral("province"), province}});
}

QStringList Lookups::loadCompanyList(const QString& unitType) {
    if (unitType.isEmpty())
        return column(QStringLiteral("select distinct 全称 from CKPersonalInfoTable"), {});
    return column(QStringLiteral("select distinct 全称 from CKPersonalInfoTable where 单位类型=:unitType"),
                  {{QStringLiteral("unitType"), unitType}});
}

QStringList Lookups::loadPersonTableGroupList() {
    return column(QStringLiteral("select distinct 分组 from CKPersonalInfoTable where 分组 is not null and "
                                 "分组<>'默认出票人' order by 分组"),
                  {}, true);
}

QStringList Lookups::loadPersonTableProvinceList() {
    return provincesInCodeOrder(
        column(QStringLiteral("select distinct 省 from CKPersonalInfoTable where 省 is not null order by 省"),
               {}, true));
}

} // namespace core
