#pragma once

#include <QHash>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace core {
class Database;
}

namespace recognition {

// What the recogniser reads from the two-level code table: the character fixes applied before
// matching, and the province/city pairs that check a region it found. Held in memory; a failed
// read leaves the lists empty (the recogniser then works without them, as with an empty table).
struct RecognitionData {
    QList<QPair<QString, QString>> characterFixes; // every 一级代码 becomes its 二级代码
    QHash<QString, QStringList> citiesOfProvince;  // province as stored (广东, 北京) -> its cities

    static RecognitionData load(core::Database& db);
    // The stored province a recognised province text names (广东省 -> 广东), or empty.
    QString storedProvince(const QString& province) const;
};

} // namespace recognition
