#pragma once

#include "imports/ImportItems.h"
#include "imports/SheetRun.h"
#include "imports/StatementCache.h"

#include <QSet>
#include <QString>
#include <QVector>

namespace core {
class Database;
class DbError;
class Dialogs;
} // namespace core

namespace imports {

class ImportLog;
class Spreadsheet;

// The order import: an order sheet into OrderList (one row per order number, updated when it
// exists) and a goods-line sheet into OrderDetail. Each half is one run in one transaction.
class OrderImport {
public:
    OrderImport(core::Database& db, core::Dialogs& dialogs, ImportLog& log, RunObserver& observer);

    static const QVector<ImportItem>& orderItems() { return ImportItems::orders(); }
    static const QVector<ImportItem>& lineItems() { return ImportItems::orderLines(); }
    static QVector<int> autoMatchOrders(core::Database& db, const QStringList& columnList);
    static QVector<int> autoMatchLines(core::Database& db, const QStringList& columnList);

    // The order half: erases the log first. Ends with the message when the order number has
    // no column (missingOrderColumn true then).
    RunResult runOrders(const Spreadsheet& sheet, const QVector<int>& columns, const QString& workbook);
    // The goods-line half, written into the same log after the order half.
    RunResult runLines(const Spreadsheet& sheet, const QVector<int>& columns, const QString& workbook);

    bool saveOrderInfo(const Spreadsheet& sheet, int row);
    bool saveOrderDetailInfo(const Spreadsheet& sheet, int row);

    // A number cell keeps 15 significant digits: a longer number read from one has lost its
    // last digits, and two orders may read alike.
    static bool isLossyNumber(const QString& number);

    static QString missingOrderColumnMessage();
    static QString orderSkippedText();
    bool missingOrderColumn() const { return m_missingOrderColumn; }

private:
    bool checkOrderColumn(const QVector<int>& columns);
    // A row the engine refused: logged under ERR, the run's transaction checked; false.
    bool rowFailed(int row, const core::DbError& e);
    QString cell(const Spreadsheet& sheet, int row, int item) const;

    core::Database& m_db;
    core::Dialogs& m_dialogs;
    ImportLog& m_log;
    RunObserver& m_observer;
    QVector<int> m_columns;
    bool m_missingOrderColumn = false;
    // Order numbers met in this run: the suspicious ones (orders), those whose lines were
    // replaced (goods lines).
    QSet<QString> m_seen;
    StatementCache m_statements;
};

} // namespace imports
