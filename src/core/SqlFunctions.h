#pragma once

struct sqlite3;

namespace core {

// Registers the functions the system's statements use beyond SQLite's own: ucase, lcase, len,
// val, cdate, now, cstr, cint, clng, cdbl, isnull, mid.
void registerSqlFunctions(sqlite3* handle);

// The leading number of a text, 0 when there is none; blanks anywhere are skipped.
double leadingNumber(const char* text);

} // namespace core
