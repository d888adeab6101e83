#pragma once

#include <QString>
#include <QStringList>

namespace core {
class Database;
class Dialogs;
} // namespace core

namespace masterdata {

// Writes the rows of a product sheet into Products: checks the title row, skips blank names
// and duplicates (asking when told to), inserts the rest under the sheet's own titles (and,
// when the sheet has no 简码 column, the pinyin initials of the name as 简码) and counts what
// happened. Reading the sheet is the caller's business.
class ProductImporter {
public:
    enum class DuplicateRule { NameOnly, NameAndBrand };
    enum class Outcome { Inserted, Skipped, Blank };

    ProductImporter(core::Database& db, core::Dialogs& dialogs) : m_db(db), m_dialogs(dialogs) {}

    void setDuplicateRule(DuplicateRule rule) { m_rule = rule; }
    void setPromptOnDuplicate(bool prompt) { m_prompt = prompt; }

    // The titles of row 1 from column 1 up to the first empty one. False when the name, the
    // model or the price column is missing; no row may be saved then.
    bool setHeader(const QStringList& titles);
    QStringList columns() const { return m_columns; }
    static QString headerError();

    // One data row, cells in sheet order from column 1.
    Outcome saveGood(const QStringList& cells);

    int inserted() const { return m_inserted; }
    // The transaction holding the inserted rows failed: none of them counts as imported.
    void discardInserted() { m_inserted = 0; }
    int skipped() const { return m_skipped; }
    // The closing report.
    QString summary() const;

private:
    bool isDuplicate(const QString& name, const QString& brand);
    bool insertRow(const QStringList& cells);

    core::Database& m_db;
    core::Dialogs& m_dialogs;
    DuplicateRule m_rule = DuplicateRule::NameAndBrand;
    bool m_prompt = false;
    QStringList m_columns;
    int m_nameColumn = -1;
    int m_brandColumn = -1;
    int m_priceColumn = -1;
    int m_inserted = 0;
    int m_skipped = 0;
};

} // namespace masterdata
