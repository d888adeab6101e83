#pragma once

#include <QDate>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

namespace cli {

// What a command ends with, as scripts and schedulers read it.
enum Exit { Done = 0, BadUse = 1, DataError = 2, PrinterError = 3 };

// One run of the program as a command: `overprint [--home DIR] [--user NAME] <command> [sub] [options]`,
// the global options before or after the command.
struct Invocation {
    QString command;                   // print, batch, … (CommandLine::commands()); empty: none named
    QString subcommand;                // recipients|orders|products for import, export|import for package
    QStringList positional;            // the file of import and package
    QMap<QString, QStringList> values; // option name (without dashes) -> its values in order
    QSet<QString> flags;

    bool has(const QString& option) const { return values.contains(option) || flags.contains(option); }
    QString value(const QString& option) const { return values.value(option).value(0); }
    QStringList all(const QString& option) const { return values.value(option); }
    bool help() const { return flags.contains(QStringLiteral("help")); }
    bool version() const { return flags.contains(QStringLiteral("version")); }
    bool json() const { return flags.contains(QStringLiteral("json")); }
};

// Pages of a print job, counted from 1; last -1: to the job's end.
struct PageRange {
    int first = 0;
    int last = -1;
};

class CommandLine {
public:
    // Whether the arguments (argv[0] first) ask for a command rather than the windows: --help,
    // --version, or a first word (no option, nor the value of --home, --user or Qt's options)
    // that is not an existing file. An unknown word is thus a command, which parse() refuses.
    static bool requested(const QStringList& arguments);
    static bool requested(int argc, char** argv);
    // Reads the arguments (argv[0] first). False with the message on bad use: an unknown command
    // or option, a missing value or file, an option given twice that may not be, --printer
    // together with --pdf, a reprint without its job, pages and printer or PDF.
    static bool parse(const QStringList& arguments, Invocation& out, QString* error);
    // The help of a command (empty: the program's), in Chinese with the option names.
    static QString help(const QString& command);
    static QStringList commands();
    // The pages of reprint: --pages "7-12" or "7", else --from-page 7. False with the message
    // when they are no such range ("12-7", "x", "0-3").
    static bool pageRange(const Invocation& call, PageRange& range, QString* error);
    // The period of statement: --month (this month when not given), its first or last day
    // replaced by --from or --to. False with the message when a date is no date or they cross.
    static bool statementPeriod(const Invocation& call, QDate& from, QDate& to, QString* error);
    // A whole number above 0, else 0.
    static int positiveNumber(const QString& text);
    // The files a command writes: the PDF of --pdf, the package of `package export`, the
    // workbook of `statement --xlsx`.
    static QStringList outputFiles(const Invocation& call);
    // Whether a file can be made at path: its folder exists and takes a new file (every file is
    // written under a temporary name beside it and renamed), and path is no folder. False with
    // the message naming the path. Checked before a command reads or writes anything.
    static bool canWrite(const QString& path, QString* error);
};

} // namespace cli
