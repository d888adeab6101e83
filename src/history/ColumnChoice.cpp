#include "history/ColumnChoice.h"

#include <algorithm>

namespace history {

ColumnChoice::ColumnChoice(const QStringList& fields, const QList<bool>& visible) {
    for (int i = 0; i < fields.size(); ++i) {
        const QString& field = fields.at(i);
        if (m_shown.contains(field, Qt::CaseInsensitive) || m_hidden.contains(field, Qt::CaseInsensitive))
            continue;
        (visible.value(i, true) ? m_shown : m_hidden).append(field);
    }
}

void ColumnChoice::move(QStringList& from, QStringList& to, QList<int> positions) {
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    for (auto it = positions.crbegin(); it != positions.crend(); ++it)
        if (*it >= 0 && *it < from.size())
            to.append(from.takeAt(*it));
}

void ColumnChoice::hide(const QList<int>& positions) {
    move(m_shown, m_hidden, positions);
}

void ColumnChoice::show(const QList<int>& positions) {
    move(m_hidden, m_shown, positions);
}

bool ColumnChoice::isShown(const QString& field) const {
    return !m_hidden.contains(field, Qt::CaseInsensitive);
}

} // namespace history
