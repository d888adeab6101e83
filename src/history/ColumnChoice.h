#pragma once

#include <QList>
#include <QStringList>

namespace history {

// The two lists of the column chooser: field names of the columns to show and to hide, in the
// order the user left them. Columns are found by field name (letter case ignored), so two
// columns of one name always move, show and hide together.
class ColumnChoice {
public:
    ColumnChoice() = default;
    // Every column in grid order goes into the shown or hidden list by its visible flag; a name
    // already listed is not listed again (its columns share one entry).
    ColumnChoice(const QStringList& fields, const QList<bool>& visible);

    const QStringList& shown() const { return m_shown; }
    const QStringList& hidden() const { return m_hidden; }

    // Moves the entries at the given positions of one list to the end of the other, taken from
    // the last position to the first; positions out of range are ignored.
    void hide(const QList<int>& positions);
    void show(const QList<int>& positions);

    // Whether a column of that field is to be visible after applying (hiding wins, as the
    // hidden list is applied last).
    bool isShown(const QString& field) const;

private:
    static void move(QStringList& from, QStringList& to, QList<int> positions);

    QStringList m_shown;
    QStringList m_hidden;
};

} // namespace history
