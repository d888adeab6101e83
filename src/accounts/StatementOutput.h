#pragma once

#include "accounts/StatementDocument.h"

#include <QJsonObject>
#include <QString>
#include <memory>

namespace core {
class AppContext;
class Database;
} // namespace core
namespace print {
class PrintDevice;
class QtPrintDevice;
} // namespace print

namespace accounts {

// Our own unit as statements name it: the address book's default issuer (全称), empty when the
// book names none. Errors of the store read as no name.
QString ourUnitName(core::Database& db);

// Prints the statements on the program's current printer, A4 portrait, one job titled
// "对账单 <customer>" (the first customer's). True when handed to the printer; failures are
// said through app.dialogs().
bool printStatements(core::AppContext& app, print::PrintDevice& device,
                     const QVector<StatementDocument>& documents);

// A PDF of statements, each customer's page set after the last, written under a temporary name
// beside the target and renamed over it by finish(); dropped unfinished, it leaves the target as
// it was. Failures throw print::PrintError.
class StatementPdf {
public:
    explicit StatementPdf(const QString& path);
    ~StatementPdf();
    StatementPdf(const StatementPdf&) = delete;
    StatementPdf& operator=(const StatementPdf&) = delete;

    void add(const StatementDocument& document);
    int pages() const { return m_pages; }
    // Ends the job and puts the file in place. A PDF of no statement is refused.
    void finish();

private:
    QString m_path;
    QString m_part;
    std::unique_ptr<print::QtPrintDevice> m_device;
    bool m_started = false;
    int m_pages = 0;
};

// The statement as a workbook of one sheet: the heading, the table (goods lines under their
// note when the statement carries them), the totals. Written through imports::XlsxExport
// (temporary name, then renamed); failures throw imports::SpreadsheetError.
void writeStatementXlsx(const Statement& statement, const QString& ourUnit, const QString& path);

// A customer's name made a file name: characters no file system takes become "_".
QString statementFileName(const QString& customer, const QString& suffix);
// The file names of many customers' statements in one folder: two names that come out alike
// (letters a file system does not tell apart, characters made "_", a long name cut) get "-2",
// "-3"…, so no statement's file takes another's place.
QStringList statementFileNames(const QStringList& customers, const QString& suffix);

// The figures of the statement, as `statement --json` reports them.
QJsonObject statementJson(const Statement& statement);

} // namespace accounts
