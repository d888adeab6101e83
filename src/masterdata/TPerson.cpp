#include "masterdata/TPerson.h"
#include "masterdata/CustomerRenames.h"

#include "masterdata/RegionCodes.h"

#include "core/Database.h"
#include "core/LikePattern.h"
#include "core/Recordset.h"

namespace masterdata {

namespace {

const QString kSelect = QStringLiteral("Select * from CKPersonalInfoTable where ");

} // namespace

template <typename Read> void TPerson::readFields(Read text) {
    m_fullName = text(QStringLiteral("全称"));
    m_taxId = text(QStringLiteral("识别号"));
    m_mnemonic = text(QStringLiteral("助记码"));
    m_contact = text(QStringLiteral("联系人"));
    m_bank = text(QStringLiteral("开户银行"));
    m_account = text(QStringLiteral("开户行账号"));
    m_bankAddress = text(QStringLiteral("开户行地址"));
    m_bankCode = text(QStringLiteral("开户行行号"));
    m_phone = text(QStringLiteral("电话"));
    m_mobile = text(QStringLiteral("手机"));
    m_postcode = text(QStringLiteral("邮编"));
    m_country = text(QStringLiteral("国家"));
    m_address = text(QStringLiteral("地址"));
    m_province = text(QStringLiteral("省"));
    m_city = text(QStringLiteral("市"));
    m_town = text(QStringLiteral("镇区"));
    m_group = text(QStringLiteral("分组"));
    m_unitType = text(QStringLiteral("单位类型"));
    m_custom1 = text(QStringLiteral("自定义1"));
    m_custom2 = text(QStringLiteral("自定义2"));
    m_custom3 = text(QStringLiteral("自定义3"));
    m_extra = text(QStringLiteral("扩展信息"));
}

void TPerson::readFromRow(const core::Recordset& row) {
    m_id = static_cast<qint32>(row.integer(QStringLiteral("ID")));
    readFields([&row](const QString& name) { return row.text(name); });
}

void TPerson::readFromRow(const QSqlRecord& row) {
    m_id = row.value(QStringLiteral("ID")).toInt();
    readFields([&row](const QString& name) { return row.value(name).toString(); });
}

int TPerson::loadByID(core::Database& db) {
    if (m_id <= 0)
        return -1;
    try {
        core::Recordset rs = db.query(kSelect + QStringLiteral("ID=:id"), {{QStringLiteral("id"), m_id}});
        if (rs.isEmpty())
            return 0;
        rs.first();
        readFromRow(rs);
        return 1;
    } catch (const core::DbError&) {
        return -1;
    }
}

std::unique_ptr<TPerson> TPerson::loadFirst(core::Database& db, const QString& sql,
                                            const QVariantMap& params) {
    try {
        core::Recordset rs = db.query(sql, params);
        if (rs.isEmpty())
            return nullptr;
        rs.first();
        auto person = std::make_unique<TPerson>();
        person->readFromRow(rs);
        return person;
    } catch (const core::DbError&) {
        return nullptr;
    }
}

std::unique_ptr<TPerson> TPerson::findByMnemonic(core::Database& db, const QString& key) {
    if (key.isEmpty())
        return nullptr;
    if (!key.contains(QLatin1Char('%')) && !key.contains(QLatin1Char('*')))
        return loadFirst(db, kSelect + QStringLiteral("助记码=:key"), {{QStringLiteral("key"), key}});
    QString rest = key;
    rest.remove(QLatin1Char('%')).remove(QLatin1Char('*'));
    if (rest.isEmpty())
        return nullptr;
    // Only % and * are wildcards of the key; an _ or \ in it is matched as it stands.
    return loadFirst(
        db, kSelect + QStringLiteral("助记码 like :key escape '\\'"),
        {{QStringLiteral("key"), QLatin1Char('%') + core::likeLiteral(rest) + QLatin1Char('%')}});
}

std::unique_ptr<TPerson> TPerson::findByFullName(core::Database& db, const QString& name) {
    if (name.isEmpty())
        return nullptr;
    return loadFirst(db, kSelect + QStringLiteral("全称=:name order by 地址 desc"),
                     {{QStringLiteral("name"), name}});
}

std::unique_ptr<TPerson> TPerson::findByFullNameAndAccount(core::Database& db, const QString& name,
                                                           const QString& account) {
    if (name.isEmpty())
        return nullptr;
    return loadFirst(db, kSelect + QStringLiteral("全称=:name and 开户行账号=:account"),
                     {{QStringLiteral("name"), name}, {QStringLiteral("account"), account}});
}

std::unique_ptr<TPerson> TPerson::findByFullNameAndContact(core::Database& db, const QString& name,
                                                           const QString& contact) {
    if (name.isEmpty())
        return nullptr;
    return loadFirst(db, kSelect + QStringLiteral("全称=:name and 联系人=:contact"),
                     {{QStringLiteral("name"), name}, {QStringLiteral("contact"), contact}});
}

std::unique_ptr<TPerson> TPerson::findByContact(core::Database& db, const QString& contact) {
    if (contact.isEmpty())
        return nullptr;
    return loadFirst(db, kSelect + QStringLiteral("联系人=:contact"), {{QStringLiteral("contact"), contact}});
}

std::unique_ptr<TPerson> TPerson::findDefaultIssuer(core::Database& db) {
    return loadFirst(db, kSelect + QStringLiteral("分组='默认出票人'"), {});
}

std::unique_ptr<TPerson> TPerson::findMatch(core::Database& db, const TPerson& typed) {
    const bool hasName = !typed.fullName().isEmpty();
    const bool hasContact = !typed.contact().isEmpty();
    if (hasName && !typed.account().isEmpty())
        return findByFullNameAndAccount(db, typed.fullName(), typed.account());
    if (hasName && hasContact)
        return findByFullNameAndContact(db, typed.fullName(), typed.contact());
    if (hasName)
        return findByFullName(db, typed.fullName());
    if (hasContact)
        return findByContact(db, typed.contact());
    return nullptr;
}

int TPerson::save(core::Database& db) {
    // A rename is recorded with the new name in one transaction (the caller's, when it has one).
    if (db.inTransaction())
        return write(db);
    db.begin();
    try {
        write(db);
        db.commit();
    } catch (...) {
        db.rollback();
        throw;
    }
    return 1;
}

int TPerson::write(core::Database& db) {
    // A province or city in another spelling of a stored region code is stored as the code.
    const RegionCodes regions(db);
    m_province = regions.province(m_province);
    m_city = regions.city(m_province, m_city);
    core::Recordset rs = db.query(kSelect + QStringLiteral("ID=:id"), {{QStringLiteral("id"), m_id}});
    const bool insert = rs.editFirstOrAppend();
    // Saved notes keep the old name; the ledger follows it to this unit through the record.
    const QString before = insert ? QString() : rs.text(QStringLiteral("全称"));
    if (!before.isEmpty() && before != m_fullName)
        CustomerRenames::record(db, m_id, before, m_fullName);
    const std::pair<const char16_t*, const QString*> columns[] = {
        {u"全称", &m_fullName},       {u"助记码", &m_mnemonic},
        {u"联系人", &m_contact},      {u"开户银行", &m_bank},
        {u"开户行账号", &m_account},  {u"开户行地址", &m_bankAddress},
        {u"开户行行号", &m_bankCode}, {u"识别号", &m_taxId},
        {u"省", &m_province},         {u"市", &m_city},
        {u"镇区", &m_town},           {u"地址", &m_address},
        {u"电话", &m_phone},          {u"手机", &m_mobile},
        {u"邮编", &m_postcode},       {u"国家", &m_country},
        {u"分组", &m_group},          {u"单位类型", &m_unitType},
        {u"扩展信息", &m_extra},      {u"自定义1", &m_custom1},
        {u"自定义2", &m_custom2},     {u"自定义3", &m_custom3},
    };
    for (const auto& [column, value] : columns)
        rs.setValue(QString::fromUtf16(column), *value);
    rs.post();
    if (insert) {
        // The key may or may not be the rowid alias: ask for the ID of the row just written.
        const QVariant key = db.scalar(QStringLiteral("select ID from CKPersonalInfoTable where rowid=:r"),
                                       {{QStringLiteral("r"), db.lastInsertId()}});
        m_id = key.toInt();
    }
    return 1;
}

QString TPerson::phoneText(bool mobileFirst) const {
    if (!m_phone.isEmpty() && !m_mobile.isEmpty())
        return mobileFirst ? m_mobile + QLatin1Char('\\') + m_phone : m_phone + QLatin1Char('\\') + m_mobile;
    return m_phone + m_mobile;
}

} // namespace masterdata
