#pragma once

#include "core/Database.h"

#include <QString>
#include <QStringList>

namespace entry {

// Sales kept per issue day, customer and state (NoteCustomerDays) and per issue day, product
// and state (NoteProductDays), in cents, so that the overview's months, top customers and top
// products read a few rows per day instead of every note and goods line. The same sums per
// month (NoteCustomerMonths, NoteProductMonths) serve spans of whole months and the ageing of
// old debt: a store of many customers holds nearly a customer-day row per note, but only a
// row per customer and month.
//
// Kept exactly as the day totals are: NoteDayTotals' take(), put(), clear(), ensure(), repair()
// and rebuild() move these tables too, in the same transaction, so every writer of the notes
// keeps them without knowing of them. A note's customer is keyed as the statements count
// customers (customerKey), and shows under the name it was first kept with; a product is keyed
// as the tables compare names (Database::caseKey): its 货号, or its 商品名 when it has none. The day is the
// ISO date of 出票日期 (an empty text when the note has no readable date); amounts are the exact cents of the
// stored texts.
class NoteSalesTotals {
public:
    static const QString kCustomers;      // NoteCustomerDays
    static const QString kProducts;       // NoteProductDays
    static const QString kCustomerMonths; // NoteCustomerMonths
    static const QString kProductMonths;  // NoteProductMonths
    // Every table kept here, each counted from the notes, never copied.
    static QStringList tables();

    explicit NoteSalesTotals(core::Database& db) : m_db(db) {}

    bool kept();
    // The day and the month tables are all there.
    bool complete() { return kept() && monthsKept(); }
    // Creates the tables and counts every note when the store has none, else repair(); in the
    // caller's transaction (NoteDayTotals opens one).
    void ensure();
    // Counts again when the kept notes or goods lines disagree with the store's; the month
    // tables are made or summed again from the day tables when they lack or disagree with them.
    // True when it counted again.
    bool repair();
    void recount();
    void take(const QString& where, const core::Params& params) { move(where, params, -1); }
    void put(const QString& where, const core::Params& params) { move(where, params, 1); }
    void clear();

    // Cents of a stored money text as the statements read it (typed-number rules: full-width
    // digits, groups of three, a sign), a third decimal rounding half away from zero; false when
    // the text is no number (blank, "abc", "1.2.3").
    static bool cents(const QString& text, qint64* out);
    // Names of one customer share it: trimmed, A–Z folded and nothing else (Ａ and ａ stay two
    // customers on either engine), kept as hex of its UTF-8 so the server's case-blind text
    // cannot fold it further.
    static QString customerKey(const QString& name);
    // The kept day of an issue date: yyyy-MM-dd of an ISO date (with or without time), else "".
    static QString day(const QString& issued);
    // The product key of a goods line: "#" + case key of 货号, else "=" + case key of 商品名.
    QString productKey(const QString& code, const QString& name) const;

private:
    void create();
    bool monthsKept();
    void createMonths();
    void monthsFromDays();
    void move(const QString& where, const core::Params& params, int sign);

    core::Database& m_db;
    int m_kept = -1;
};

} // namespace entry
