#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace core {

class AppContext;
class Database;

// The small look-up lists that feed drop-down boxes: dictionary values, currencies, history
// columns, region codes and address-book groups. Every value is bound as a parameter, so a name
// such as O'Brien finds its rows. Database errors are swallowed: a list gives what was read
// before the error, a single look-up the empty text.
class Lookups {
public:
    explicit Lookups(AppContext& app);

    // Values of the dictionary name for the given template identifiers (usually {id, 0}); the
    // values of more specific templates come first, and a value kept for two identifiers is
    // listed twice.
    QStringList loadDMListByName(const QString& name, const QList<int>& ids);

    QStringList loadMoneyTypeList();
    QString getMoneyCodeByName(const QString& name);
    QString getMoneyNameByCode(const QString& code);

    // History columns. table and column are identifiers chosen by the program, never user text.
    QStringList loadHistoryFieldList(const QString& table, const QString& column);
    QStringList loadHistoryTypeNameList(const QString& table);
    // With an empty state every value of the column, otherwise those of notes in that state.
    QStringList loadCheckNOList(const QString& table, const QString& state, const QString& column);

    QStringList loadProvinces();
    // Empty for a blank province, without touching the database.
    QStringList loadCitysByProvince(const QString& province);

    // With an empty unit type every full name of the address book.
    QStringList loadCompanyList(const QString& unitType);
    // Groups of the address book, without the default issuer's group and blank values.
    QStringList loadPersonTableGroupList();
    QStringList loadPersonTableProvinceList();

private:
    QStringList column(const QString& sql, const QVariantMap& params, bool skipBlank = false);
    QString single(const QString& sql, const QVariantMap& params);

    Database& m_db;
};

} // namespace core
