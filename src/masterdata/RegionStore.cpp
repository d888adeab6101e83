#include "masterdata/RegionStore.h"

#include "core/ProvinceOrder.h"

namespace masterdata {

namespace {

const QString kKind = QStringLiteral("省市");

QStringList column(core::Recordset rows) {
    QStringList out;
    for (rows.first(); !rows.eof(); rows.next())
        out << rows.text(0);
    return out;
}

} // namespace

QStringList RegionStore::provinces() {
    return core::provincesInCodeOrder(column(m_db.query(
        QStringLiteral(
            "Select distinct 一级代码 From DMTable2 where rtrim(ltrim(类型))=:kind order by 一级代码"),
        {{QStringLiteral("kind"), kKind}})));
}

QStringList RegionStore::cities(const QString& province) {
    return column(m_db.query(QStringLiteral("Select distinct 二级代码 From DMTable2 where "
                                            "rtrim(ltrim(一级代码))=:province order by 二级代码"),
                             {{QStringLiteral("province"), province}}));
}

bool RegionStore::exists(const QString& province, const QString& city) {
    return !m_db.query(QStringLiteral("Select distinct 二级代码 From DMTable2 where 类型=:kind and "
                                      "一级代码=:province and 二级代码=:city"),
                       {{QStringLiteral("kind"), kKind},
                        {QStringLiteral("province"), province},
                        {QStringLiteral("city"), city}})
                .isEmpty();
}

void RegionStore::add(const QString& province, const QString& city) {
    m_db.exec(QStringLiteral("insert into DMTable2 (类型,一级代码,二级代码) values(:kind,:province,:city)"),
              {{QStringLiteral("kind"), kKind},
               {QStringLiteral("province"), province},
               {QStringLiteral("city"), city}});
}

int RegionStore::rename(const QString& province, const QString& oldCity, const QString& newCity) {
    return m_db.exec(QStringLiteral("update DMTable2 set 二级代码=:newCity where 类型=:kind and "
                                    "rtrim(ltrim(一级代码))=:province and rtrim(ltrim(二级代码))=:oldCity"),
                     {{QStringLiteral("kind"), kKind},
                      {QStringLiteral("province"), province},
                      {QStringLiteral("oldCity"), oldCity},
                      {QStringLiteral("newCity"), newCity}});
}

int RegionStore::remove(const QString& province, const QString& city) {
    return m_db.exec(
        QStringLiteral("delete from DMTable2  where 类型=:kind and rtrim(ltrim(一级代码))=:province "
                       "and rtrim(ltrim(二级代码))=:city"),
        {{QStringLiteral("kind"), kKind},
         {QStringLiteral("province"), province},
         {QStringLiteral("city"), city}});
}

} // namespace masterdata
