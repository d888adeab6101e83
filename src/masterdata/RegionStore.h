#pragma once

#include "core/Database.h"

#include <QString>
#include <QStringList>

namespace masterdata {

// Province and city pairs of DMTable2 (kind "省市"), compared after trimming blanks as the
// region window always has. Every value is bound; failures throw DbError. Changes return the
// rows they affected, which is what decides success.
class RegionStore {
public:
    explicit RegionStore(core::Database& db) : m_db(db) {}

    QStringList provinces();
    QStringList cities(const QString& province);
    bool exists(const QString& province, const QString& city);
    void add(const QString& province, const QString& city);
    int rename(const QString& province, const QString& oldCity, const QString& newCity);
    int remove(const QString& province, const QString& city);

private:
    core::Database& m_db;
};

} // namespace masterdata
