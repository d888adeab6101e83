#include "recognition/RecognitionData.h"

#include "core/Database.h"
#include "core/DbError.h"
#include "core/Recordset.h"

namespace recognition {

RecognitionData RecognitionData::load(core::Database& db) {
    RecognitionData data;
    try {
        core::Recordset fixes =
            db.query(QStringLiteral("select 一级代码,二级代码 from DMTable2 where 类型='其他字符'"));
        for (fixes.first(); !fixes.eof(); fixes.next())
            data.characterFixes.append({fixes.text(0), fixes.text(1)});
        core::Recordset regions = db.query(QStringLiteral(
            "select rtrim(ltrim(一级代码)),rtrim(ltrim(二级代码)) from DMTable2 where 类型='省市'"));
        for (regions.first(); !regions.eof(); regions.next())
            data.citiesOfProvince[regions.text(0)].append(regions.text(1));
    } catch (const core::DbError&) {
        return {};
    }
    return data;
}

QString RecognitionData::storedProvince(const QString& province) const {
    if (province.isEmpty())
        return {};
    for (auto it = citiesOfProvince.cbegin(); it != citiesOfProvince.cend(); ++it) {
        if (!it.key().isEmpty() && province.startsWith(it.key()))
            return it.key();
    }
    return {};
}

} // namespace recognition
