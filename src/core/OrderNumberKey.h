#pragma once

#include <QString>

namespace core {

class Database;

// The order list holds one row per order number as the store compares it (NOCASE on the local
// file, citext on the server): a unique index. A store written before the key may hold an
// order twice (two seats imported one sheet at the same moment); it is merged when the key is
// made.
class OrderNumberKey {
public:
    static const QString kIndex;

    // Makes the key where it is missing, in one transaction (the caller's when one is open):
    // rows of one number are merged into one — the printed one when there is one, so nothing
    // ships twice, else the first — and that order's goods lines are kept once. A store
    // without the order list is left alone. Returns the order rows merged away; throws DbError.
    static int ensure(Database& db);

    // What an import locks an order number under inside its transaction, so that a second
    // seat importing the same order waits for the first and then finds its row.
    static QString lockName(const Database& db, const QString& number);
};

} // namespace core
