#pragma once

#include "core/Database.h"

#include <QString>
#include <QStringList>
#include <QVariantList>

namespace batch {

// The list of the batch window as the clerk set it: keyword, the fields searched ("客户电话|客户手机"),
// exact or partial match, sort column and direction.
struct OrderFilter {
    QString keyword;
    QString fieldGroup;
    bool equal = false; // "等于"; otherwise "包含"
    QString sortColumn;
    bool descending = false;
};

struct Statement {
    QString sql;
    core::Params params;
};

// The result of a fill-panel update: the statement, or why it was refused.
struct FillUpdate {
    QString target;
    QString sql;
    core::Params params;
    QString error;
};

// The orders of OrderList and their goods lines in OrderDetail. Names that reach SQL text (the
// searched fields, the sort column, the fill panel's columns) must be columns of OrderList;
// every value is bound.
class OrderStore {
public:
    explicit OrderStore(core::Database& db);

    // The columns of OrderList as the table spells them; read once.
    QStringList columns();

    // The table's spelling of a column name (letter case ignored), empty when it is none.
    static QString realColumn(const QString& name, const QStringList& columns);
    // The three groups offered before the single columns of the list.
    static QStringList defaultGroups();
    // The list statement. Searched fields that are no column are left out (none left: nothing
    // matches); a sort column that is none sorts by ID.
    static Statement listStatement(const OrderFilter& filter, const QStringList& columns);
    // The fill panel's update over every row of OrderList: target = part1 || part2 || part3. A
    // part holding "@" names a column, any other part is a bound text; an empty part adds
    // nothing and a NULL column counts as empty text.
    static FillUpdate fillUpdate(const QString& target, const QStringList& parts, const QStringList& columns);

    // Runs a fill update; the rows changed. Throws DbError.
    int applyFill(const FillUpdate& update);
    // Deletes the orders with these IDs and their goods lines in one transaction; the orders
    // deleted. Throws DbError with nothing deleted.
    int deleteOrders(const QVariantList& ids);
    // Deletes every order and goods line and lets the key count from 1 again, in one
    // transaction. Throws DbError with nothing deleted.
    void clearAll();
    // Marks the orders of these numbers 已打印 in one statement, the numbers compared as the
    // column compares them (letter case ignored); the rows changed. Throws DbError with
    // nothing changed.
    int markPrinted(const QStringList& numbers);
    static QString printedState() { return QStringLiteral("已打印"); }
    // The orders of a run, held for this seat until release(): an order another seat's run
    // holds, or one marked 已打印 since the list was read (listedState), is left out and named
    // in `refused`. Throws DbError with nothing held.
    QStringList claim(const QStringList& numbers, const QStringList& listedStates, QStringList& refused);
    void release(const QStringList& numbers);
    // Deletes the goods lines whose order is gone; a row without an order number does not stop
    // it. The lines deleted.
    int cleanOrphanLines();

private:
    core::Database& m_db;
    QStringList m_columns;
};

} // namespace batch
