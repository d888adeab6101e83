#pragma once

#include "core/Dialogs.h"

#include <QStringList>

namespace cli {

// The dialogs service of a command: every text goes to standard error, nothing ever waits for
// a person. A yes/no question is answered Yes only when the command was given --yes; otherwise
// it counts as refused (the command then ends with exit code 1). A typed input is answered from
// the value the command preset, else refused; file choices are always refused.
class ConsoleDialogs final : public core::Dialogs {
public:
    void setAssumeYes(bool yes) { m_assumeYes = yes; }
    void presetInput(const QString& value) { m_input = value; }

    bool alert(const QString& message, const QString& caption, bool ask) override;
    void message(const QString& text) override;
    void error(const QString& text) override;
    int yesNoCancel(const QString& message, const QString& caption) override;
    bool inputValue(const QString& title, const QString& defaultValue, const QString& type,
                    QString& value) override;
    QString openFileName(const QString& caption, const QString& filter) override;
    QString saveFileName(const QString& caption, const QString& suggestedName,
                         const QString& filter) override;

    // A question was answered No because --yes was not given, or an input was not preset.
    bool refused() const { return m_refused; }
    // Every text written, in order (for the --json result).
    const QStringList& texts() const { return m_texts; }
    // Quiet: texts are kept but not written (a run whose result is written as JSON).
    void setQuiet(bool quiet) { m_quiet = quiet; }

private:
    void write(const QString& text);

    bool m_assumeYes = false;
    bool m_refused = false;
    bool m_quiet = false;
    QString m_input;
    QStringList m_texts;
};

// Writes a line to standard error as UTF-8.
void writeError(const QString& line);
// Every line of this run meant for standard error, in order (the dialogs' texts among them,
// also those of quiet dialogs), and of those the ones a command wrote itself (its reasons).
const QStringList& errorLog();
const QStringList& reasonsLog();
// Writes text to standard output as UTF-8.
void writeOut(const QString& text);
// Whether standard error is a terminal (progress is shown only then).
bool errorIsTerminal();

} // namespace cli
