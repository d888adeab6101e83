#pragma once

#include "core/Database.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <optional>

namespace history {

// The filters of the history window as typed; texts are trimmed by the caller.
struct NoteFilter {
    QString number;
    QString kind;
    QString state;
    QString customer;
    bool anyDate = true;
    QDate from;
    QDate to;
    QString amountFrom;
    QString amountTo;
    // Notes holding a goods line of this product: its 货号, or its 商品名 when it has none.
    QString productCode;
    QString productName;
};

// The condition built from a filter: text appended after "where 1=1" and the values it binds.
// Every typed value is bound; LIKE patterns match the typed text literally.
struct NoteCondition {
    QString text;
    core::Params params;
    bool amountFromRefused = false;
    bool amountToRefused = false;
    // Filters by issue date, template kind and state alone, so the kept day totals can count it.
    bool byDayTotals = true;
};

// Count and sum of the notes a condition finds; the sum is empty when nothing was summed.
// lastKey is the largest 流水号 found (0 for none): the list as it was read ends there.
struct NoteTotals {
    qint64 count = 0;
    std::optional<double> sum;
    qint64 lastKey = 0;
};

// The saved delivery notes (DataCheckFHDSHD and its goods lines DataCheckFHDSHDDetail) as the
// history window reads and changes them. Statements throw core::DbError with the engine's text.
class NoteHistoryStore {
public:
    static constexpr const char* kTable = "DataCheckFHDSHD";
    static constexpr const char* kLines = "DataCheckFHDSHDDetail";

    explicit NoteHistoryStore(core::Database& db) : m_db(db) {}

    // A proper decimal number without sign or exponent: 12, 12.5, .5, 12. ("1.2.3", ".", "12a",
    // "-" and "1e5" are not).
    static bool isAmount(const QString& text);
    static NoteCondition condition(const NoteFilter& filter);
    // The column 收款 of the header statement: 已收, 部分 or 未收 by the payments naming the note.
    static const QString kPaidColumn;
    // The header statement (every column and 收款); sortColumn is a column name of the table,
    // never typed text.
    static QString statement(const NoteCondition& condition, const QString& sortColumn);
    // The memo of a statement: its text together with its bound values.
    static QString memo(const QString& statement, const core::Params& params);
    // Money text of a sum: two decimals, empty when there is none.
    static QString sumText(const std::optional<double>& sum);
    // A goods line's stored price or amount as the list shows it: a plain decimal with at least
    // two decimals (710 -> 710.00, 616.8 -> 616.80, 0.125 stays); any other text as it is.
    static QString lineMoneyText(const QString& stored);

    // Count and sum of the found notes; the sum leaves out notes whose total is empty. Read from
    // the kept day totals when the condition allows and the store keeps them, else in one pass
    // over the found notes.
    NoteTotals totals(const NoteCondition& condition);
    // Builds the kept day totals of a store that has none yet (one pass over every note).
    // Throws core::DbError; the counts are then made by passes over the notes.
    void keepDayTotals();
    // The most recent bill numbers, newest first (the drop-down of the number filter).
    QStringList recentNumbers(int limit);
    // The full name of the unit whose mnemonic starts with the prefix, shortest mnemonic first;
    // empty when none.
    QString fullNameByShortcut(const QString& prefix);

    // A failure of the sweep of goods lines in deleteListed(); nothing was deleted.
    class LinesFailed : public core::DbError {
    public:
        using core::DbError::DbError;
    };

    // Sets the state 作废 on the notes with these keys (流水号); rows changed. The keys, as the
    // numbers of the two commands below, are bound as one list, so a selection of any size is
    // one statement. Each change moves the notes in the kept day totals in its transaction.
    int voidNotes(const QVariantList& keys);
    // Writes a state on the notes with these bill numbers; rows changed.
    int markState(const QVariantList& numbers, const QString& state);
    // Deletes the notes with these numbers and their goods lines in one transaction (step
    // "history.deleteNotes.lines" between the two); header rows deleted.
    int deleteNotes(const QVariantList& numbers);
    // The notes a query found, and no note saved after it: the condition bounded by the last
    // key the query saw (NoteTotals::lastKey).
    static NoteCondition listed(const NoteCondition& condition, qint64 lastKey);
    // Deletes every note the condition finds and then the goods lines left without a note, in
    // one transaction (step "history.deleteListed.notes" between the two); header rows
    // deleted. Throws LinesFailed when the sweep failed, DbError when the notes' delete did.
    int deleteListed(const NoteCondition& condition);
    // Empties both tables in one transaction; header rows deleted. Committed before it returns.
    int clearAll();

    // A state as chosen from the menu: trimmed and cut before its first "(".
    static QString stateOfMenuEntry(const QString& entry);

private:
    // Writes the state bound as "state" on the notes the condition finds, in one transaction
    // with their move in the kept day totals; rows changed.
    int setState(const QString& where, const core::Params& params);
    // Goods lines whose note is gone (numbers of notes without a number do not count).
    int deleteOrphanLines();

    core::Database& m_db;
};

} // namespace history
