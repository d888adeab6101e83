#include "masterdata/TIdType.h"

#include "core/AppContext.h"
#include "core/Database.h"

#include <limits>

namespace masterdata {

namespace {

const QString kCheckFailed = QStringLiteral("ID序列检查失败,");

core::DbError checkFailed(const core::DbError& e) {
    return core::DbError(e.message().startsWith(kCheckFailed) ? e.message() : kCheckFailed + e.message());
}

} // namespace

std::unique_ptr<TIdType> TIdType::findRule(const QString& series, int templateId, core::Database& db) {
    if (series.isEmpty())
        return nullptr;
    try {
        core::Recordset rs =
            db.query(QStringLiteral("Select * from IDBuilder where IDType=:name and ChecktypeID=:id"),
                     {{QStringLiteral("name"), series}, {QStringLiteral("id"), templateId}});
        if (rs.isEmpty())
            return nullptr;
        rs.first();
        auto rule = std::make_unique<TIdType>(db);
        rule->m_fid = static_cast<qint32>(rs.integer(QStringLiteral("FID")));
        rule->m_idHead = rs.text(QStringLiteral("IDHead"));
        rule->m_idType = rs.text(QStringLiteral("IDType"));
        rule->m_idMax = static_cast<qint32>(rs.integer(QStringLiteral("IDMax")));
        rule->m_idStep = static_cast<qint32>(rs.integer(QStringLiteral("IDStep")));
        rule->m_idLen = static_cast<qint32>(rs.integer(QStringLiteral("IDLen")));
        rule->m_checkTypeId = static_cast<qint32>(rs.integer(QStringLiteral("CheckTypeID")));
        return rule;
    } catch (const core::DbError& e) {
        throw checkFailed(e);
    }
}

void TIdType::save() {
    core::Recordset rs = m_fid <= 0 ? m_db->query(QStringLiteral("select * from IDBuilder where 1<0"))
                                    : m_db->query(QStringLiteral("select * from IDBuilder where fid=:fid"),
                                                  {{QStringLiteral("fid"), m_fid}});
    const bool insert = rs.editFirstOrAppend();
    rs.setValue(QStringLiteral("IDHead"), m_idHead);
    rs.setValue(QStringLiteral("IDType"), m_idType);
    rs.setValue(QStringLiteral("IDStep"), m_idStep);
    rs.setValue(QStringLiteral("IDMax"), m_idMax);
    rs.setValue(QStringLiteral("IDLen"), m_idLen);
    rs.setValue(QStringLiteral("CheckTypeID"), m_checkTypeId);
    rs.post();
    if (insert) {
        // Later saves of this record must update the row just written, not add another.
        const QVariant key = m_db->scalar(QStringLiteral("select FID from IDBuilder where rowid=:r"),
                                          {{QStringLiteral("r"), m_db->lastInsertId()}});
        m_fid = key.toInt();
    }
}

QString TIdType::formatNumber() const {
    QString counter = QString::number(m_idMax);
    if (counter.size() < m_idLen)
        counter.prepend(QString(m_idLen - counter.size(), QLatin1Char('0')));
    return m_idHead + counter;
}

namespace {

// Stored series may carry a step of 0 or below; they still count upwards.
qint32 stepOf(const TIdType& rule) {
    return rule.IDStep() > 0 ? rule.IDStep() : 1;
}

// Moves the rule's counter past the taken numbers that follow it; true when it moved.
bool passTaken(TIdType& rule, const TIdType::Taken& taken) {
    if (!taken)
        return false;
    const qint32 step = stepOf(rule);
    bool moved = false;
    for (;;) {
        if (rule.IDMax() > std::numeric_limits<qint32>::max() - step)
            throw core::DbError(QStringLiteral("单号已用尽"));
        TIdType candidate = rule;
        candidate.setIDMax(rule.IDMax() + step);
        // Each candidate differs from the last, and only finitely many numbers are taken.
        if (!taken(candidate.formatNumber()))
            return moved;
        rule.setIDMax(candidate.IDMax());
        moved = true;
    }
}

} // namespace

QString TIdType::nextNumber(const QString& series, int templateId, core::Database& db, const Taken& taken) {
    // A nameless series could never be found again: do not write one on every request.
    if (series.isEmpty())
        return QStringLiteral("00000000");
    try {
        if (!findRule(series, templateId, db)) {
            TIdType fresh(db);
            fresh.m_idType = series;
            fresh.m_checkTypeId = templateId;
            fresh.m_idStep = 1;
            fresh.m_idLen = 8;
            fresh.save();
        }
        std::unique_ptr<TIdType> rule = findRule(series, templateId, db);
        if (!rule)
            return QStringLiteral("00000000");
        if (passTaken(*rule, taken))
            rule->save();
        const qint32 step = stepOf(*rule);
        if (rule->m_idMax > std::numeric_limits<qint32>::max() - step)
            throw core::DbError(QStringLiteral("单号已用尽"));
        rule->m_idMax += step;
        return rule->formatNumber();
    } catch (const core::DbError& e) {
        throw checkFailed(e);
    }
}

void TIdType::settle(const QString& series, int templateId, core::Database& db, const Taken& taken) {
    std::unique_ptr<TIdType> rule = findRule(series, templateId, db);
    try {
        if (rule && passTaken(*rule, taken))
            rule->save();
    } catch (const core::DbError& e) {
        throw checkFailed(e);
    }
}

QString TIdType::nextNumber(const QString& series, int templateId, core::AppContext& app,
                            const Taken& taken) {
    try {
        return nextNumber(series, templateId, app.db(), taken);
    } catch (const core::DbError& e) {
        app.dialogs().error(e.message());
        return {};
    }
}

} // namespace masterdata
