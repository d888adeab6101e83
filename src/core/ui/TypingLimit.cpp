#include "core/ui/TypingLimit.h"

#include <QLineEdit>

#include <algorithm>

namespace core::ui {

TypingLimit::TypingLimit(int limit, QLineEdit* edit)
    : QValidator(edit), m_edit(edit), m_limit(limit), m_allowed(limit) {
    edit->setValidator(this);
}

void TypingLimit::setText(const QString& text) {
    // Raised before the box validates the new text, so that it counts as acceptable input.
    m_allowed = std::max(m_limit, static_cast<int>(text.size()));
    m_edit->setText(text);
}

QValidator::State TypingLimit::validate(QString& input, int&) const {
    if (input.size() > m_allowed)
        return Invalid;
    // Whatever was accepted is the box's text now; a shortened long text may not grow again.
    m_allowed = std::max(m_limit, static_cast<int>(input.size()));
    return Acceptable;
}

} // namespace core::ui
