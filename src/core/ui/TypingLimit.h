#pragma once

#include <QValidator>

class QLineEdit;

namespace core::ui {

// Refuses typing that would make a box's text longer than the limit. QLineEdit::setMaxLength
// also cuts text the program puts into the box, which would shorten an amount on screen and on
// paper or lose the rest of a longer stored value on the next save. Text put in through setText()
// here is kept whole and counts as accepted, so typing may then only shorten it; text set on the
// box directly is never cut either.
class TypingLimit final : public QValidator {
    Q_OBJECT
public:
    // Installs itself as the box's validator; the box owns it.
    TypingLimit(int limit, QLineEdit* edit);

    // Puts the text into the box uncut.
    void setText(const QString& text);

    State validate(QString& input, int& pos) const override;

private:
    QLineEdit* m_edit;
    int m_limit;
    // The limit, or the length of a longer text put in by the program, down to which it has
    // been shortened since.
    mutable int m_allowed;
};

} // namespace core::ui
