#pragma once

#include "core/StatementCache.h"
#include "imports/ImportItems.h"
#include "imports/SheetRun.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>

namespace core {
class Database;
class DbError;
class Dialogs;
} // namespace core

namespace imports {

class ImportLog;
class Spreadsheet;

// The order import: an order sheet into OrderList (one row per order number, updated when it
// exists) and a goods-line sheet into OrderDetail. Order numbers compare with letter case
// ignored, as the tables' columns do. Each number is locked in the run's transaction before it
// is looked up, so a second seat importing the same order waits and then updates the first
// seat's row and replaces its lines.
class OrderImport {
public:
    // One sheet of the import: the workbook (nullptr when that half has none), the column of
    // each item, and the workbook's path for the log.
    struct Half {
        const Spreadsheet* sheet = nullptr;
        QVector<int> columns;
        QString workbook;
    };
    struct Result {
        RunResult orders;
        RunResult lines;
        // Orders stored before whose row or goods lines the sheets changed: they are 未打印
        // again, dated now. An order the sheets bring unchanged keeps its state and date.
        QStringList changed;
    };

    // Named points of a two-half import, for tests that stop the write there.
    static constexpr const char* kOrdersWritten = "orders written"; // between the halves
    static constexpr const char* kLinesWritten = "lines written";   // before the commit
    // Test-only seam: called with each point's name as the import passes it.
    static std::function<void(const char* step)>& stepHook();

    OrderImport(core::Database& db, core::Dialogs& dialogs, ImportLog& log, RunObserver& observer);

    static const QVector<ImportItem>& orderItems() { return ImportItems::orders(); }
    static const QVector<ImportItem>& lineItems() { return ImportItems::orderLines(); }
    static QVector<int> autoMatchOrders(core::Database& db, const QStringList& columnList);
    static QVector<int> autoMatchLines(core::Database& db, const QStringList& columnList);

    // The halves that have a sheet, the order half first. With both, one transaction holds
    // both, so orders never stand without their lines: a write that fails in either half, or a
    // refused commit, leaves both tables as they were and both halves report the failure (the
    // goods-line half is then not run). A half whose sheet lacks the order-number column or has
    // no rows writes nothing and the other half runs. A sheet refused by sheetRefusal() is said
    // and nothing at all is written (neither half runs). The changed orders are named at the
    // end of the last half's report.
    Result run(const Half& orders, const Half& lines);

    // Why a sheet that has the order number cannot be the order sheet (no column of the
    // customer) or the goods-line sheet (no column of the goods): most likely the two sheets
    // were swapped, and importing it would print notes without customer or goods. Names the
    // workbook and its sheet; empty when the sheet will do or has no order-number column (that
    // has its own message).
    static QString sheetRefusal(const Half& half, bool orderSheet);
    // The end of the report naming the changed orders; empty when there are none.
    static QString changedText(const QStringList& changed);

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
    // The store's unique key on the order number, made (and a store holding an order twice
    // merged) before the first write of this import; a failure is the run's, said and logged.
    bool keyReady(RunResult& result);
    // A row the engine refused: logged under ERR, the run's transaction checked; false.
    bool rowFailed(int row, const core::DbError& e);
    QString cell(const Spreadsheet& sheet, int row, int item) const;
    // The goods lines the sheet brings, by order (caseKey), each as its item values after the
    // number, in sheet order: what an order's stored lines are compared with.
    void readSheetLines(const Spreadsheet& sheet);
    // An order stored before that this run changes: back to 未打印, dated now, named once.
    void orderChanged(const QVariant& id, const QString& number);
    void nameChanged(const QString& number);
    // An order's stored goods lines, as readSheetLines() holds the sheet's.
    static QString lineSelect();

    core::Database& m_db;
    core::Dialogs& m_dialogs;
    ImportLog& m_log;
    RunObserver& m_observer;
    QVector<int> m_columns;
    bool m_missingOrderColumn = false;
    bool m_keyReady = false;
    // Order numbers met in this run, by the store's caseKey: the suspicious ones (orders), those whose
    // lines were replaced (goods lines).
    QSet<QString> m_seen;
    // Orders this run added (their lines are new, not a change) and those it changed, by caseKey.
    QSet<QString> m_added;
    QSet<QString> m_changedKeys;
    QStringList m_changed;
    QHash<QString, QList<QStringList>> m_sheetLines;
    core::StatementCache m_statements;
};

} // namespace imports
