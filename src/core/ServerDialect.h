#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>

namespace core {

// The store on a PostgreSQL server speaks the same SQL as the local file: every statement is
// first made SQLite by Database::translate and then rewritten here, and the server's schema is
// the shipped SQLite schema and seed passed through the same rewrite, so neither is kept twice.
//
// Text that compares without regard to letter case (COLLATE NOCASE) becomes citext: equality,
// ordering, LIKE and indexes all ignore case there, whereas the server's case-insensitive ICU
// collations refuse LIKE, and lower() on both sides would have to be written into every
// comparison of every statement. Every table gets a column _rowid_ (the key itself where the
// table has an integer key), so the rowid the record sets edit by and lastInsertId() mean the
// same on both engines.
namespace ServerDialect {

// SQLite statement → PostgreSQL statement. Literals stay as written; bracketed and quoted
// names are folded to lower case, as the server folds unquoted names.
QString translate(const QString& sqliteSql);
// The statements that create the program's own SQL functions (ucase, len, val, cdate, ...) in
// the current schema, with the behaviour of those registered in SQLite.
QStringList functionStatements();
// After a seed wrote its keys itself: each identity sequence of the schema's tables moved past
// the highest key.
QString resetSequencesStatement();
// A list bound for "= any(:name)": the array literal, every element quoted.
QString arrayLiteral(const QVariantList& values);
// The server folds unquoted names to lower case: a field name as the statement or, for "*", the
// shipped schema spells it ("ID", not "id").
QString spelling(const QString& fieldName, const QString& statement);
// A select over one table without an order, ordered by the row key: the local file hands such
// rows back in the order they were stored, and the item lists rely on it.
QString inStoredOrder(const QString& select);
// The row-key column every table has on the server; never one of the table's own columns.
inline QString rowKeyColumn() {
    return QStringLiteral("_rowid_");
}

} // namespace ServerDialect

} // namespace core
