#include "masterdata/CurrencyStore.h"

namespace masterdata {

QList<CurrencyStore::Currency> CurrencyStore::list() {
    core::Recordset rows = m_db.query(QStringLiteral("Select 币种,缩写 From coins order by 顺序 desc"));
    QList<Currency> out;
    for (rows.first(); !rows.eof(); rows.next())
        out.append({rows.text(0), rows.text(1)});
    return out;
}

bool CurrencyStore::codeExists(const QString& code) {
    return !m_db.query(QStringLiteral("Select 币种 From coins where 缩写=:code"),
                       {{QStringLiteral("code"), code}})
                .isEmpty();
}

int CurrencyStore::add(const QString& name, const QString& code) {
    return m_db.exec(QStringLiteral("Insert into coins (币种,缩写,顺序) values(:name,:code,0)"),
                     {{QStringLiteral("name"), name}, {QStringLiteral("code"), code}});
}

int CurrencyStore::remove(const QString& name) {
    return m_db.exec(QStringLiteral("delete from coins  where 币种=:name"), {{QStringLiteral("name"), name}});
}

int CurrencyStore::setCode(const QString& name, const QString& code) {
    return m_db.exec(QStringLiteral("update coins set 缩写=:code where 币种=:name"),
                     {{QStringLiteral("name"), name}, {QStringLiteral("code"), code}});
}

} // namespace masterdata
