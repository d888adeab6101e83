#pragma once

#include "core/Database.h"

#include <QHash>
#include <QString>
#include <QStringList>

namespace masterdata {

// The stored region codes (DMTable2, kind 省市) that a typed or imported province and city stand
// for, so that "广东省" and "广东" are one province in the address book and its group tree. The
// pairs are read once; every unit save and every imported row go through this one matching.
class RegionCodes {
public:
    // Reads the pairs; a failed read leaves no codes, and every name then stays as typed.
    explicit RegionCodes(core::Database& db);

    // The stored province a text names: the stored spelling when it is stored (letter case and
    // blanks aside), else the one stored province of the same name without its administrative
    // ending (省, 市, 自治区 …); otherwise the text trimmed.
    QString province(const QString& typed) const;
    // The same for a city among the cities stored for that province (市, 地区, 盟, 区, 县 …).
    QString city(const QString& province, const QString& typed) const;

    // The name without one administrative ending, the longest that fits; a name that would be
    // left with less than two characters stays whole (北京市 -> 北京, 沙市 stays).
    static QString provinceStem(const QString& name);
    static QString cityStem(const QString& name);

private:
    static QString match(const QStringList& stored, const QString& typed, QString (*stem)(const QString&));

    QStringList m_provinces;
    QHash<QString, QStringList> m_cities;
};

} // namespace masterdata
