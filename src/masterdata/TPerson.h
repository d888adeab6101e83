#pragma once

#include <QSqlRecord>
#include <QString>

#include <memory>

namespace core {
class Database;
class Recordset;
} // namespace core

namespace masterdata {

// One row of the address book (CKPersonalInfoTable) in memory, handed between windows. Loaders
// return a new record owned by the caller, or nullptr when nothing matches or the database
// failed; save() raises core::DbError with the engine's text. 排序 is not carried.
class TPerson {
public:
    TPerson() = default;

    // Fills every field from the current row of an address-book query.
    void readFromRow(const core::Recordset& row);
    void readFromRow(const QSqlRecord& row);

    // 1 when the row of id was read, 0 when no row has that id (fields untouched), -1 when
    // id <= 0 or the query failed.
    int loadByID(core::Database& db);

    // A key holding "%" or "*" is a partial search for the rest of the key.
    static std::unique_ptr<TPerson> findByMnemonic(core::Database& db, const QString& key);
    // Of several rows with that name, the one whose address sorts last.
    static std::unique_ptr<TPerson> findByFullName(core::Database& db, const QString& name);
    static std::unique_ptr<TPerson> findByFullNameAndAccount(core::Database& db, const QString& name,
                                                             const QString& account);
    static std::unique_ptr<TPerson> findByFullNameAndContact(core::Database& db, const QString& name,
                                                             const QString& contact);
    static std::unique_ptr<TPerson> findByContact(core::Database& db, const QString& contact);
    static std::unique_ptr<TPerson> findDefaultIssuer(core::Database& db);
    // The stored unit a party typed on a bill most likely is.
    static std::unique_ptr<TPerson> findMatch(core::Database& db, const TPerson& typed);

    // Inserts when id names no row (and takes the new key), else updates (a changed 全称 is
    // recorded in CustomerRenames); returns 1.
    int save(core::Database& db);

    // Both telephone numbers in one text, joined with a backslash.
    QString phoneText(bool mobileFirst) const;

    int id() const { return m_id; }
    void setId(int v) { m_id = v; }
    QString fullName() const { return m_fullName; }
    void setFullName(const QString& v) { m_fullName = v; }
    QString taxId() const { return m_taxId; }
    void setTaxId(const QString& v) { m_taxId = v; }
    QString mnemonic() const { return m_mnemonic; }
    void setMnemonic(const QString& v) { m_mnemonic = v; }
    QString contact() const { return m_contact; }
    void setContact(const QString& v) { m_contact = v; }
    QString bank() const { return m_bank; }
    void setBank(const QString& v) { m_bank = v; }
    QString account() const { return m_account; }
    void setAccount(const QString& v) { m_account = v; }
    QString bankAddress() const { return m_bankAddress; }
    void setBankAddress(const QString& v) { m_bankAddress = v; }
    QString bankCode() const { return m_bankCode; }
    void setBankCode(const QString& v) { m_bankCode = v; }
    QString phone() const { return m_phone; }
    void setPhone(const QString& v) { m_phone = v; }
    QString mobile() const { return m_mobile; }
    void setMobile(const QString& v) { m_mobile = v; }
    QString postcode() const { return m_postcode; }
    void setPostcode(const QString& v) { m_postcode = v; }
    QString country() const { return m_country; }
    void setCountry(const QString& v) { m_country = v; }
    QString address() const { return m_address; }
    void setAddress(const QString& v) { m_address = v; }
    QString province() const { return m_province; }
    void setProvince(const QString& v) { m_province = v; }
    QString city() const { return m_city; }
    void setCity(const QString& v) { m_city = v; }
    QString town() const { return m_town; }
    void setTown(const QString& v) { m_town = v; }
    QString group() const { return m_group; }
    void setGroup(const QString& v) { m_group = v; }
    QString unitType() const { return m_unitType; }
    void setUnitType(const QString& v) { m_unitType = v; }
    QString custom1() const { return m_custom1; }
    void setCustom1(const QString& v) { m_custom1 = v; }
    QString custom2() const { return m_custom2; }
    void setCustom2(const QString& v) { m_custom2 = v; }
    QString custom3() const { return m_custom3; }
    void setCustom3(const QString& v) { m_custom3 = v; }
    QString extra() const { return m_extra; }
    void setExtra(const QString& v) { m_extra = v; }

private:
    int write(core::Database& db);
    template <typename Read> void readFields(Read text);
    static std::unique_ptr<TPerson> loadFirst(core::Database& db, const QString& sql,
                                              const QVariantMap& params);

    qint32 m_id = 0;
    QString m_fullName;
    QString m_taxId;
    QString m_mnemonic;
    QString m_contact;
    QString m_bank;
    QString m_account;
    QString m_bankAddress;
    QString m_bankCode;
    QString m_phone;
    QString m_mobile;
    QString m_postcode;
    QString m_country;
    QString m_address;
    QString m_province;
    QString m_city;
    QString m_town;
    QString m_group;
    QString m_unitType;
    QString m_custom1;
    QString m_custom2;
    QString m_custom3;
    QString m_extra;
};

} // namespace masterdata
