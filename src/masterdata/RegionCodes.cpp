#include "masterdata/RegionCodes.h"

#include "core/Recordset.h"

namespace masterdata {

namespace {

QString withoutEnding(const QString& name, const QStringList& endings) {
    for (const QString& ending : endings)
        if (name.endsWith(ending) && name.size() - ending.size() >= 2)
            return name.left(name.size() - ending.size());
    return name;
}

} // namespace

RegionCodes::RegionCodes(core::Database& db) {
    try {
        core::Recordset rows = db.query(QStringLiteral(
            "select rtrim(ltrim(一级代码)), rtrim(ltrim(二级代码)) from DMTable2 where 类型='省市'"));
        for (rows.first(); !rows.eof(); rows.next()) {
            const QString province = rows.text(0);
            if (province.isEmpty())
                continue;
            if (!m_cities.contains(province))
                m_provinces << province;
            QStringList& cities = m_cities[province];
            if (!rows.text(1).isEmpty())
                cities << rows.text(1);
        }
    } catch (const core::DbError&) {
        m_provinces.clear();
        m_cities.clear();
    }
}

QString RegionCodes::provinceStem(const QString& name) {
    // Longest first: 自治区 must not leave 广西壮族 behind.
    static const QStringList endings{QStringLiteral("维吾尔自治区"),
                                     QStringLiteral("壮族自治区"),
                                     QStringLiteral("回族自治区"),
                                     QStringLiteral("特别行政区"),
                                     QStringLiteral("自治区"),
                                     QStringLiteral("省"),
                                     QStringLiteral("市")};
    return withoutEnding(name, endings);
}

QString RegionCodes::cityStem(const QString& name) {
    static const QStringList endings{QStringLiteral("自治州"), QStringLiteral("地区"), QStringLiteral("市"),
                                     QStringLiteral("盟"),     QStringLiteral("区"),   QStringLiteral("县")};
    return withoutEnding(name, endings);
}

QString RegionCodes::match(const QStringList& stored, const QString& typed, QString (*stem)(const QString&)) {
    const QString text = typed.trimmed();
    if (text.isEmpty())
        return text;
    for (const QString& s : stored)
        if (s.compare(text, Qt::CaseInsensitive) == 0)
            return s;
    const QString wanted = stem(text);
    QString found;
    for (const QString& s : stored) {
        if (stem(s).compare(wanted, Qt::CaseInsensitive) != 0)
            continue;
        // Two stored names of one stem: which one was meant is not ours to guess.
        if (!found.isEmpty())
            return text;
        found = s;
    }
    return found.isEmpty() ? text : found;
}

QString RegionCodes::province(const QString& typed) const {
    return match(m_provinces, typed, provinceStem);
}

QString RegionCodes::city(const QString& province, const QString& typed) const {
    return match(m_cities.value(province.trimmed()), typed, cityStem);
}

} // namespace masterdata
