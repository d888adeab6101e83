#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

namespace imports {

// One target item of an import: the MatchColumn item whose patterns it uses, its chooser in the
// import window (empty: matched automatically only), the chooser's caption and the table
// column it writes.
struct ImportItem {
    enum class Scope { Both, AddressBook, BatchList };
    QString rule;
    QString chooser;
    QString caption;
    QString column;
    Scope scope = Scope::Both;
};

// The item tables of the imports, each in the order automatic matching tries them.
class ImportItems {
public:
    // Recipients: the common items, then the address book's own, the batch list's own, and
    // the order number and member id that have no chooser.
    static const QVector<ImportItem>& recipients();
    static const QVector<ImportItem>& orders();
    static const QVector<ImportItem>& orderLines();

    // Index of the item with that chooser (or, for those without, that rule); -1 when absent.
    static int indexOf(const QVector<ImportItem>& items, const QString& chooserOrRule);
    static QStringList rules(const QVector<ImportItem>& items);
};

} // namespace imports
