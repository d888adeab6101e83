#include "core/ui/TypingLimit.h"

#include <QLineEdit>

namespace core::ui {

TypingLimit::TypingLimit(QLineEdit* edit, int maxLength)
    : QValidator(edit), m_edit(edit), m_maxLength(maxLength) {}

QValidator::State TypingLimit::validate(QString& input, int&) const {
    // The edit still holds the text before the change while the change is validated.
    if (input.size() <= m_maxLength || input.size() < m_edit->text().size())
        return Acceptable;
    return Invalid;
}

void TypingLimit::apply(QLineEdit* edit, int maxLength) {
    edit->setValidator(new TypingLimit(edit, maxLength));
}

} // namespace core::ui
