#include "masterdata/PersonStore.h"

#include "core/LikePattern.h"
#include "core/Recordset.h"
#include "masterdata/TPerson.h"

namespace masterdata {

const QString PersonStore::kAllGroups = QStringLiteral("全部分组");
const QString PersonStore::kDefaultIssuer = QStringLiteral("默认出票人");
const QString PersonStore::kOwnUnit = QStringLiteral("我方单位");
const QString PersonStore::kPartnerUnit = QStringLiteral("往来单位");
const QString PersonStore::kFirstSort = QStringLiteral("排序,全称");

namespace {

const QString kHead = QStringLiteral("SELECT * FROM CKPersonalInfoTable");
const QStringList kKeywordColumns = {
    QStringLiteral("全称"),       QStringLiteral("联系人"), QStringLiteral("电话"),   QStringLiteral("手机"),
    QStringLiteral("开户行账号"), QStringLiteral("省"),     QStringLiteral("助记码"), QStringLiteral("地址")};
const QStringList kTableColumns = {
    QStringLiteral("ID"),         QStringLiteral("全称"),       QStringLiteral("助记码"),
    QStringLiteral("联系人"),     QStringLiteral("开户银行"),   QStringLiteral("开户行账号"),
    QStringLiteral("开户行地址"), QStringLiteral("开户行行号"), QStringLiteral("识别号"),
    QStringLiteral("省"),         QStringLiteral("市"),         QStringLiteral("镇区"),
    QStringLiteral("地址"),       QStringLiteral("电话"),       QStringLiteral("手机"),
    QStringLiteral("邮编"),       QStringLiteral("国家"),       QStringLiteral("分组"),
    QStringLiteral("单位类型"),   QStringLiteral("扩展信息"),   QStringLiteral("自定义1"),
    QStringLiteral("自定义2"),    QStringLiteral("自定义3"),    QStringLiteral("排序")};

QString likeContaining(const QString& text) {
    return QLatin1Char('%') + core::likeLiteral(text) + QLatin1Char('%');
}

// The sort comes from column titles, never from typing; anything that is not a list of the
// table's columns falls back to the name, so the text after "order by" is always safe.
QString orderBy(const QString& sortColumn, const QString& sortDirection) {
    QStringList parts;
    for (const QString& part : sortColumn.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString name = part.trimmed();
        const auto found =
            std::find_if(kTableColumns.begin(), kTableColumns.end(),
                         [&name](const QString& c) { return c.compare(name, Qt::CaseInsensitive) == 0; });
        if (found == kTableColumns.end()) {
            parts.clear();
            break;
        }
        parts << *found;
    }
    const QString columns = parts.isEmpty() ? QStringLiteral("全称") : parts.join(QLatin1Char(','));
    const QString direction = sortDirection.trimmed().compare(QLatin1String("ASC"), Qt::CaseInsensitive) == 0
                                  ? QStringLiteral("ASC")
                                  : QStringLiteral("DESC");
    return QStringLiteral(" order by ") + columns + QLatin1Char(' ') + direction;
}

} // namespace

bool PersonStore::isAll(const PersonFilter& filter) {
    const QString group = filter.group.trimmed();
    return filter.keyword.trimmed().isEmpty() && (group.isEmpty() || group == kAllGroups) &&
           filter.unitType.isEmpty() && filter.exactKey.trimmed().isEmpty();
}

Statement PersonStore::allStatement(const QString& sortColumn, const QString& sortDirection) {
    return {kHead + orderBy(sortColumn, sortDirection), {}};
}

Statement PersonStore::filterStatement(const PersonFilter& filter, const QStringList& columns) {
    Statement s;
    QString where;
    if (filter.exact) {
        const auto column = std::find_if(columns.begin(), columns.end(), [&filter](const QString& c) {
            return c.compare(filter.exactColumn, Qt::CaseInsensitive) == 0;
        });
        if (column == columns.end() || !kTableColumns.contains(*column, Qt::CaseInsensitive))
            return {};
        const QString key = filter.exactKey.trimmed();
        if (filter.exactEquals) {
            where = QStringLiteral(" where (") + *column + QStringLiteral("=:key) ");
            s.params.insert(QStringLiteral("key"), key);
        } else {
            where = QStringLiteral(" where (") + *column + QStringLiteral(" like :key escape '\\') ");
            s.params.insert(QStringLiteral("key"), likeContaining(key));
        }
    } else if (const QString k = filter.keyword.trimmed(); !k.isEmpty()) {
        QStringList any;
        for (const QString& c : kKeywordColumns)
            any << c + QStringLiteral(" like :k escape '\\'");
        where = QStringLiteral(" where (") + any.join(QStringLiteral(" or ")) + QStringLiteral(") ");
        s.params.insert(QStringLiteral("k"), likeContaining(k));
    }
    if (!filter.unitType.isEmpty()) {
        where += where.isEmpty() ? QStringLiteral(" where 单位类型=:type")
                                 : QStringLiteral(" and (单位类型=:type) ");
        s.params.insert(QStringLiteral("type"), filter.unitType);
    }
    const QString group = filter.group.trimmed();
    if (!group.isEmpty() && group != kAllGroups) {
        where += where.isEmpty() ? QStringLiteral(" where 分组=:grp") : QStringLiteral(" and 分组=:grp");
        s.params.insert(QStringLiteral("grp"), group);
    }
    s.sql = kHead + where + orderBy(filter.sortColumn, filter.sortDirection);
    return s;
}

QStringList PersonStore::citiesOfProvince(const QString& province) {
    QStringList cities;
    try {
        core::Recordset rs = m_db.query(QStringLiteral("Select 二级代码 from DMTable2 where 类型='省市' and "
                                                       "rtrim(ltrim(一级代码))=:p order by 一级代码"),
                                        {{QStringLiteral("p"), province.trimmed()}});
        for (rs.first(); !rs.eof(); rs.next())
            cities << rs.text(QStringLiteral("二级代码"));
    } catch (const core::DbError&) {
        // A list gives what it read.
    }
    return cities;
}

int PersonStore::countAll() {
    try {
        return m_db.scalar(QStringLiteral("select count(*) from CKPersonalInfoTable")).toInt();
    } catch (const core::DbError&) {
        return 0;
    }
}

template <typename Work> void PersonStore::inTransaction(Work work) {
    m_db.begin();
    try {
        work();
        m_db.commit();
    } catch (...) {
        m_db.rollback();
        throw;
    }
}

int PersonStore::save(TPerson& person) {
    if (person.group() != kDefaultIssuer)
        return person.save(m_db);
    const int before = person.id();
    const QString type = person.unitType();
    try {
        inTransaction([&] {
            m_db.exec(
                QStringLiteral("update CKPersonalInfoTable set 分组='' where 分组='默认出票人' and ID<>:id"),
                {{QStringLiteral("id"), person.id()}});
            person.setUnitType(kOwnUnit);
            person.save(m_db);
        });
    } catch (...) {
        // The record must not claim a key or a type that the rolled-back statements gave it.
        person.setId(before);
        person.setUnitType(type);
        throw;
    }
    return 1;
}

void PersonStore::setDefaultIssuer(int id) {
    inTransaction([&] {
        m_db.exec(QStringLiteral("update ckpersonalInfoTable set 分组='' where 分组='默认出票人'"));
        m_db.exec(QStringLiteral(
                      "update ckpersonalInfoTable set 分组='默认出票人',单位类型='我方单位' where ID=:id"),
                  {{QStringLiteral("id"), id}});
    });
}

int PersonStore::clearAll(const QString& unitType) {
    if (unitType.isEmpty())
        return m_db.exec(QStringLiteral("delete from CKPersonalInfoTable "));
    return m_db.exec(QStringLiteral("delete from CKPersonalInfoTable where 单位类型=:type"),
                     {{QStringLiteral("type"), unitType}});
}

} // namespace masterdata
