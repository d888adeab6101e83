#pragma once

#include "core/Database.h"

#include <QString>
#include <QStringList>

namespace masterdata {

// Dictionaries kept in DMTable: names per template (0 = common to all templates) and their
// values. Names beginning with "cfg" are template settings and never dictionaries. Every value
// is bound; failures throw DbError.
class DictionaryStore {
public:
    explicit DictionaryStore(core::Database& db) : m_db(db) {}

    // The template's own names; a template other than 0 without any shows the common names.
    QStringList names(int templateId);
    bool exists(int templateId, const QString& name);
    // A new name holds the single placeholder value "<空>".
    void addName(int templateId, const QString& name);
    // Names beginning with "cfg", letter case ignored.
    static bool isSettingName(const QString& name);

    // The value grid's statement: ID, DMName, 字典内容 (DMValue), 单据号 (CheckTypeId) of one
    // name, with or without the common values, ordered by value.
    static QString valuesSql(bool withCommon);
    static core::Params valuesParams(int templateId, const QString& name);

private:
    QStringList column(const QString& sql, const core::Params& params);

    core::Database& m_db;
};

} // namespace masterdata
