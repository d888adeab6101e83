#pragma once

#include "core/Dialogs.h"

#include <QQueue>
#include <QString>
#include <QStringList>
#include <QVector>

namespace core {

// Dialogs for tests and unattended runs: records every box and answers from queues.
// An unanswered question answers No (or Cancel), an unanswered input keeps the default,
// an unanswered file choice is cancelled.
class ScriptedDialogs final : public Dialogs {
public:
    struct Shown {
        QString kind; // "alert", "ask", "message", "error", "yesNoCancel", "input", "open", "save"
        QString text;
        QString caption;
    };

    bool alert(const QString& message, const QString& caption, bool ask) override;
    void message(const QString& text) override;
    void error(const QString& text) override;
    int yesNoCancel(const QString& message, const QString& caption) override;
    bool inputValue(const QString& title, const QString& defaultValue, const QString& type,
                    QString& value) override;
    QString openFileName(const QString& caption, const QString& filter) override;
    QString saveFileName(const QString& caption, const QString& suggestedName,
                         const QString& filter) override;

    QQueue<int> answers;    // for ask (1 = Yes) and yesNoCancel (1, 0, -1)
    QQueue<QString> inputs; // for inputValue; an entry "\x1b" cancels
    QQueue<QString> files;  // for openFileName and saveFileName

    QVector<Shown> shown;
    // Every text shown, in order, whatever the kind.
    QStringList texts() const;
    QString lastText() const { return shown.isEmpty() ? QString() : shown.last().text; }
    bool sawText(const QString& fragment) const;
    void clear() { shown.clear(); }
};

} // namespace core
