#pragma once

#include "masterdata/ProductStore.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace masterdata {

class TPerson;

// What the address-book manager filters and sorts by.
struct PersonFilter {
    QString keyword;          // KeyEdit, trimmed: searched in the eight keyword columns
    QString group;            // a group, "默认出票人", or empty / "全部分组" for every group
    QString unitType;         // "我方单位", "往来单位" or empty
    bool exact = false;       // the exact search of the advanced panel
    QString exactColumn;      // Column1
    QString exactKey;         // key1
    bool exactEquals = false; // EqualOrContain1 reads "等于"
    QString sortColumn;       // one column or a comma list; blank sorts by 全称
    QString sortDirection;
};

// The SQL of the address book's manager and edit form (CKPersonalInfoTable). Every typed value
// is bound; LIKE patterns match % and _ only as themselves. Look-ups swallow errors; changes
// raise core::DbError with the engine's text and leave nothing half-done.
class PersonStore {
public:
    explicit PersonStore(core::Database& db) : m_db(db) {}

    static const QString kAllGroups;     // "全部分组"
    static const QString kDefaultIssuer; // "默认出票人"
    static const QString kOwnUnit;       // "我方单位"
    static const QString kPartnerUnit;   // "往来单位"
    static const QString kFirstSort;     // "排序,全称": the order of the first use

    // True when the filter restricts nothing: the manager lists everything then.
    static bool isAll(const PersonFilter& filter);
    static Statement allStatement(const QString& sortColumn, const QString& sortDirection);
    // The filtered list. The exact-search column must be one of columns (the grid's own column
    // names); any other is refused with an empty statement.
    static Statement filterStatement(const PersonFilter& filter, const QStringList& columns);

    // Second-level region codes of a province, as the edit form's city list offers them.
    QStringList citiesOfProvince(const QString& province);
    int countAll();

    // Saves the record; when it carries the default-issuer group, every other row loses that
    // group and the record becomes an own unit, all in one transaction. Returns 1.
    int save(TPerson& person);
    // Moves the default-issuer marker to the row and makes it an own unit, in one transaction.
    void setDefaultIssuer(int id);
    // Deletes every unit, or every unit of one type; returns the rows deleted.
    int clearAll(const QString& unitType);

private:
    template <typename Work> void inTransaction(Work work);

    core::Database& m_db;
};

} // namespace masterdata
