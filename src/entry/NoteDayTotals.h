#pragma once

#include "core/Database.h"
#include "core/StoreCopy.h"
#include "entry/NoteSalesTotals.h"

#include <QString>

namespace entry {

// Count and sum of the saved delivery notes kept per issue day, template kind and state in the
// table NoteDayTotals, so that the history's count and sum over every note, or over a span of
// days, read a few rows per day instead of every note.
//
// The key columns carry the names of the note's own columns (出票日期, 模板种类, 票据状态) and
// hold values that compare with the history's date bounds, kinds and states as the notes' own
// values do, so the history's condition over those columns reads the same on either table.
//
// Every change of note rows moves the notes it touches out of the totals before the change and
// back in after it, in the change's own transaction: take() and put() over one condition. A
// store of an earlier version has no table; nothing is kept then until ensure() builds it.
//
// A note without date, kind or state is kept under an empty text: NULL would match no key, so
// its note could never be taken out again. The history's bounds, kinds and states match neither
// NULL nor an empty text, so both tables still answer alike. One row per key (the unique index
// idx_notedaytotals_key): seats saving the first note of a key at once add to one row instead
// of each making their own.
//
// The sales per day, customer and product (NoteSalesTotals) move with these totals in every
// call below, so one object keeps every kept total of the notes.
class NoteDayTotals {
public:
    static const QString kTable; // NoteDayTotals

    explicit NoteDayTotals(core::Database& db) : m_db(db) {}

    // Whether the store keeps the totals (its table exists).
    bool kept();
    // Creates the table and counts every note into it when the store keeps none yet, else
    // repair(); in the caller's transaction when one is open, else in one of its own. After a
    // copy of a store this makes the target's totals right, whatever the copy left in them.
    // Throws core::DbError.
    void ensure();
    // When kept: gives the table its unique key (first making missing key values empty texts
    // and merging rows of one key, as stores of earlier builds hold them) and counts every note
    // again when the kept count disagrees with the notes' count, one statement of two counts;
    // the sales totals likewise (made and counted when the store has none yet, as a store of an
    // earlier build). True when it counted again. Transaction as ensure(). Writers rely on the key: every
    // start repairs before anything is written (program::Program::storeOpened).
    bool repair();
    // Counts every note again, replacing what was kept (when kept); in the caller's transaction
    // or one of its own, as ensure().
    void rebuild();
    // What a store copy or a restore does with the kept totals: empties their tables on the
    // target and counts them again from the copied notes (made there when the target has none).
    static core::StoreCopy::Recount copyRecount();
    // A restore of the program's own backup: the sales tables come with their notes, counted
    // where they were kept, and are only checked as a start checks them (repair); the day totals,
    // whose key older builds did not hold, are counted again.
    static core::StoreCopy::Recount restoreRecount();

    // The notes of the header table that the condition finds (the text after "where" with its
    // values) taken out of, or put into, the totals. Nothing happens when none are kept.
    void take(const QString& where, const core::Params& params);
    void put(const QString& where, const core::Params& params);
    // Forgets every note (the history emptied).
    void clear();

    // The amount of a note as the history sums it: val() of a total that is not blank, else null.
    static const QString kAmount;

    // The day key of an issue date: an ISO date and time of day becomes its day at 00:00:00,
    // which compares with "day 00:00:00" and "day 23:59:59" bounds as the time itself does; any
    // other text is kept as it is, and no date is an empty text.
    static QString dayKey(const QString& issued);

private:
    void makeKey();
    void recount();
    void move(const QString& where, const core::Params& params, int sign);

    core::Database& m_db;
    NoteSalesTotals m_sales{m_db};
    int m_kept = -1;
};

} // namespace entry
