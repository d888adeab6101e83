#pragma once

#include <QString>

namespace core {

// Every message box, question, file choice and typed input of the program goes through this
// one service, so tests can answer it from a script and no test ever blocks on a modal box.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // A box with the caption; with ask it has Yes and No and returns true for Yes, otherwise it
    // is a notice with OK. An empty caption shows nothing and answers No.
    virtual bool alert(const QString& message, const QString& caption, bool ask) = 0;
    // A plain notice under the application's title.
    virtual void message(const QString& text) = 0;
    // An error box.
    virtual void error(const QString& text) = 0;
    // A question with Yes, No and Cancel: returns 1, 0 or -1.
    virtual int yesNoCancel(const QString& message, const QString& caption) = 0;
    // The typed input dialog: title, default value and value type ("integer", "float", "text").
    // Returns false when cancelled; value then holds the default.
    virtual bool inputValue(const QString& title, const QString& defaultValue, const QString& type,
                            QString& value) = 0;
    // File choices; an empty text means cancelled.
    virtual QString openFileName(const QString& caption, const QString& filter) = 0;
    virtual QString saveFileName(const QString& caption, const QString& suggestedName,
                                 const QString& filter) = 0;

    bool ask(const QString& message, const QString& caption) { return alert(message, caption, true); }
    void notice(const QString& message, const QString& caption) { alert(message, caption, false); }
};

} // namespace core
