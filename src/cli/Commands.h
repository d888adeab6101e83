#pragma once

#include "cli/CommandLine.h"

#include <QJsonObject>
#include <QString>

namespace core {
class AppContext;
}

namespace cli {

class ConsoleDialogs;

// What a command did: its exit code, its result for --json, and the lines it writes to standard
// output without --json.
struct Outcome {
    int exit = Done;
    QJsonObject result;
    QStringList lines;
};

// Writes the outcome: the result as one JSON object with --json (with "exit" and the messages
// that went to standard error), else its lines. Returns the exit code, made 1 when a question
// of the run was refused.
int finish(const Invocation& call, const ConsoleDialogs& dialogs, Outcome outcome);

// With the login on, the operator of --user with the password of OVERPRINT_PASSWORD or, when
// that is not set and standard input is a terminal, typed there without echo. Done or BadUse
// (the message on standard error). typed, when given, keeps a password typed at the terminal
// for a second store of the same run.
int login(core::AppContext& app, const Invocation& call, QString* typed = nullptr);

// import recipients|orders|products FILE [--sheet NAME]
Outcome runImport(core::AppContext& app, const Invocation& call);
// The order import of `import orders` and `batch`: both workbooks are opened and their columns
// matched before anything is written, so a file that cannot be read leaves the store as it was.
Outcome importOrders(core::AppContext& app, const QString& orders, const QString& details,
                     const QString& sheet);
// package export FILE [--template NAME …] | package import FILE
Outcome runPackage(core::AppContext& app, const Invocation& call);
// notes [--from DATE] [--to DATE]
Outcome runNotes(core::AppContext& app, const Invocation& call);
// statement (--customer NAME | --all) [--month M] [--from D] [--to D] [--goods] [--pdf F | --xlsx F]:
// the statement's figures, and its PDF or workbook; with --all every customer with activity in
// the period (one PDF of every page set, or a folder of workbooks).
Outcome runStatement(core::AppContext& app, const Invocation& call);
// journal [--job N] [--from DATE]: the print journal's jobs, newest first, with their pages.
Outcome runJournal(core::AppContext& app, const Invocation& call);

// payment add --customer NAME --amount X [--date D] [--method M] [--note N]
// payment list [--customer NAME] [--from D --to D]
Outcome runPayment(core::AppContext& app, const Invocation& call);

} // namespace cli
