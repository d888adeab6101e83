#pragma once

#include <QString>

#include <functional>
#include <memory>

namespace core {
class AppContext;
class Database;
} // namespace core

namespace masterdata {

// One bill-number series (a row of IDBuilder): prefix, counter of the last number issued,
// step and digits, per template and series name. Reads and writes through the shared
// database it was given, which it does not own.
class TIdType {
public:
    explicit TIdType(core::Database& db) : m_db(&db) {}

    // The first series of that name and template, or nullptr when there is none or the name is
    // empty. A database error is raised as core::DbError "ID序列检查失败," + the engine's text.
    static std::unique_ptr<TIdType> findRule(const QString& series, int templateId, core::Database& db);
    // Inserts the series when FID names no row, else updates it; errors propagate.
    void save();
    // The prefix and the counter padded with zeros to the digits; a longer counter is not cut.
    QString formatNumber() const;
    // A number that must not be handed out (a saved bill already carries it).
    using Taken = std::function<bool(const QString& number)>;
    // The next number of the series, creating the series (8 digits) on the first request. Handing
    // a number out does not use it up: until a bill is saved under it, the next request gives the
    // same number, so a note started and dropped leaves no gap. Numbers `taken` names are passed
    // over and the stored counter moves past them (settle). Raises "ID序列检查失败,..." errors.
    static QString nextNumber(const QString& series, int templateId, core::Database& db,
                              const Taken& taken = {});
    // The same for windows: a failure is shown through the dialogs and gives an empty text.
    static QString nextNumber(const QString& series, int templateId, core::AppContext& app,
                              const Taken& taken = {});
    // Moves the stored counter past every number `taken` names that directly follows it, so
    // saving a bill under the next number uses that number up. A series that does not exist
    // yet, or a number saved out of turn, leaves the counter where it is. Errors propagate.
    static void settle(const QString& series, int templateId, core::Database& db, const Taken& taken);

    int FID() const { return m_fid; }
    void setFID(int v) { m_fid = v; }
    QString IDHead() const { return m_idHead; }
    void setIDHead(const QString& v) { m_idHead = v; }
    QString IDType() const { return m_idType; }
    void setIDType(const QString& v) { m_idType = v; }
    int IDMax() const { return m_idMax; }
    void setIDMax(int v) { m_idMax = v; }
    int IDStep() const { return m_idStep; }
    void setIDStep(int v) { m_idStep = v; }
    int IDLen() const { return m_idLen; }
    void setIDLen(int v) { m_idLen = v; }
    int CheckTypeID() const { return m_checkTypeId; }
    void setCheckTypeID(int v) { m_checkTypeId = v; }
    core::Database& connection() const { return *m_db; }
    void setConnection(core::Database& db) { m_db = &db; }

private:
    qint32 m_fid = 0;
    QString m_idHead;
    QString m_idType;
    qint32 m_idMax = 0;
    qint32 m_idStep = 0;
    qint32 m_idLen = 0;
    qint32 m_checkTypeId = 0;
    core::Database* m_db;
};

} // namespace masterdata
