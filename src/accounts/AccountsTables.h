#pragma once

namespace core {
class Database;
}

namespace accounts {

// Gives a store made before the payments register its tables, indexes and the 收款方式
// dictionary, in one transaction under a lock (seats opening at once do it one after the other).
// A store that has them is only looked at. Throws DbError.
void ensureTables(core::Database& db);

} // namespace accounts
