#pragma once

#include <QString>

namespace core {
class Database;
}

namespace masterdata {

// The names an address-book unit carried before a rename (table CustomerRenames). Saved notes
// keep the name they were written with; the ledger reads this table to keep a renamed unit's
// older notes and payments its own.
struct CustomerRenames {
    static const QString kTable;
    // Creates the table in stores made before it existed.
    static void ensure(core::Database& db);
    // Records a rename of unit id; called inside the transaction that writes the new name.
    static void record(core::Database& db, int unitId, const QString& oldName, const QString& newName);
};

} // namespace masterdata
