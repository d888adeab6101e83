#include "masterdata/DictionaryStore.h"

namespace masterdata {

QStringList DictionaryStore::column(const QString& sql, const core::Params& params) {
    core::Recordset rows = m_db.query(sql, params);
    QStringList out;
    for (rows.first(); !rows.eof(); rows.next())
        out << rows.text(0);
    return out;
}

QStringList DictionaryStore::names(int templateId) {
    QStringList own =
        column(QStringLiteral("select distinct DMName from DMTable where (DMName not like 'cfg%') "
                              "and CheckTypeId=:id order by DMName"),
               {{QStringLiteral("id"), templateId}});
    if (!own.isEmpty() || templateId == 0)
        return own;
    return column(QStringLiteral("select distinct DMName from DMTable where  (DMName not like 'cfg%') and "
                                 "CheckTypeId=0 order by DMName"),
                  {});
}

bool DictionaryStore::exists(int templateId, const QString& name) {
    return !m_db.query(QStringLiteral("select * from DMTable where CheckTypeId=:id and DMName=:name"),
                       {{QStringLiteral("id"), templateId}, {QStringLiteral("name"), name}})
                .isEmpty();
}

void DictionaryStore::addName(int templateId, const QString& name) {
    m_db.exec(QStringLiteral("insert into DMTable (CheckTypeId,DMName,DMValue) values(:id,:name,:value)"),
              {{QStringLiteral("id"), templateId},
               {QStringLiteral("name"), name},
               {QStringLiteral("value"), QStringLiteral("<空>")}});
}

bool DictionaryStore::isSettingName(const QString& name) {
    return name.startsWith(QLatin1String("cfg"), Qt::CaseInsensitive);
}

QString DictionaryStore::valuesSql(bool withCommon) {
    return QStringLiteral("select ID,DMName,DMValue as 字典内容,CheckTypeId as 单据号 from DMTable where "
                          "DMName=:name and ") +
           (withCommon ? QStringLiteral("CheckTYpeID in(:id,0)") : QStringLiteral("CheckTYpeID=:id")) +
           QStringLiteral(" order by DMValue ASC ");
}

core::Params DictionaryStore::valuesParams(int templateId, const QString& name) {
    return {{QStringLiteral("id"), templateId}, {QStringLiteral("name"), name}};
}

} // namespace masterdata
