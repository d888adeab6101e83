#pragma once

#include <QValidator>

class QLineEdit;

namespace core::ui {

// A length limit for what the user types into a line edit. QLineEdit::setMaxLength also cuts text
// set by the program, which would silently shorten an amount or a stored value; this limit only
// refuses edits that make an over-long text longer, so deleting from one still works.
class TypingLimit final : public QValidator {
public:
    TypingLimit(QLineEdit* edit, int maxLength);
    State validate(QString& input, int& position) const override;
    // Installs the limit on the edit (the edit owns it).
    static void apply(QLineEdit* edit, int maxLength);

private:
    QLineEdit* m_edit;
    int m_maxLength;
};

} // namespace core::ui
