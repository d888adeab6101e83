#pragma once

#include "core/StatementCache.h"
#include "imports/ImportItems.h"
#include "imports/SheetRun.h"
#include "masterdata/RegionCodes.h"

#include <QString>
#include <QStringList>
#include <QVector>

namespace core {
class Database;
class Dialogs;
} // namespace core

namespace imports {

class ImportLog;
class Spreadsheet;

// The recipient import: a sheet of units into the address book (CKPersonalInfoTable) or into
// the batch recipient list (ReceiverList), matched by ImportItems::recipients(), duplicates
// skipped by the chosen criteria, every value bound.
class RecipientImport {
public:
    enum class Scenario { AddressBook, BatchList };

    struct Options {
        Scenario scenario = Scenario::AddressBook;
        bool judgeRepeated = true;
        bool byName = true;
        bool byContact = true;
        bool byPhone = true;
        bool askOnDuplicate = false;
        bool orderIdOn = false;
        bool memberIdOn = false;
        // cbACCType: with the fixed choice every row gets unitType; otherwise the unit type is
        // read from the item's column.
        bool unitTypeFixed = true;
        QString unitType = QStringLiteral("收件单位");
    };

    RecipientImport(core::Database& db, core::Dialogs& dialogs, ImportLog& log, RunObserver& observer);

    static const QVector<ImportItem>& items() { return ImportItems::recipients(); }
    static int item(const QString& chooserOrRule) { return ImportItems::indexOf(items(), chooserOrRule); }
    static bool inScenario(const ImportItem& item, Scenario scenario);

    // Automatic matching for a scenario over a column list: items outside it keep no column.
    static QVector<int> autoMatch(core::Database& db, const QStringList& columnList, Scenario scenario);

    void setOptions(const Options& options) { m_options = options; }
    // Column number of every item (-1: none), as the window's choosers show them.
    void setColumns(const QVector<int>& columns) { m_columns = columns; }

    // The run over the active sheet: the log's sections erased, the criteria question, the
    // check of the matching, then the rows in one transaction. workbook is the path for the log.
    RunResult run(const Spreadsheet& sheet, const QString& workbook);
    // One row; true when it was added.
    bool savePerson(const Spreadsheet& sheet, int row);

    static QString missingColumnsMessage();
    static QString noCriteriaQuestion();
    static QString skippedText();

private:
    QString cell(const Spreadsheet& sheet, int row, int item) const;
    bool isDuplicate(const QVector<QString>& values);
    void insert(const QVector<QString>& values);

    core::Database& m_db;
    core::Dialogs& m_dialogs;
    ImportLog& m_log;
    RunObserver& m_observer;
    Options m_options;
    QVector<int> m_columns;
    core::StatementCache m_statements;
    masterdata::RegionCodes m_regions;
};

} // namespace imports
