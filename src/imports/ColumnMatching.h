#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

namespace core {
class AppContext;
class Database;
} // namespace core

namespace imports {

// The import kinds the rules of MatchColumn belong to.
namespace matchtype {
inline const QString recipients = QStringLiteral("收件信息导入");
inline const QString orders = QStringLiteral("订单信息导入");
inline const QString orderLines = QStringLiteral("订单商品明细导入");
inline const QString products = QStringLiteral("商品表导入");
inline const QString accounts = QStringLiteral("账户信息导入");
} // namespace matchtype

// The column-matching rules: every target item of an import accepts a list of column titles,
// kept in the table MatchColumn per import kind, and a sheet's columns are given to the items
// automatically.
class ColumnMatching {
public:
    // Whether a column title is accepted by a pattern list. The list is split at ","; empty
    // pieces are skipped; a piece without "*" must equal the title (Latin letters in either
    // case), a piece with "*" has its stars removed and must occur inside the title, letter case
    // respected. A piece that is only stars never matches.
    static bool matchColumnOk(const QString& title, const QString& patterns);

    // The patterns of one item: the first rule of the item and kind, or the item's own name when
    // there is none, it is empty, or the table cannot be read.
    static QString loadConstColumnPair(core::Database& db, const QString& item, const QString& matchType);
    static QStringList loadAllConstColumnPairs(core::Database& db, const QStringList& items,
                                               const QString& matchType);

    // Automatic matching over a column list ("" then "列N:title" entries). The columns are
    // walked from left to right; each goes to the first item, in item order, that has no column
    // yet and whose patterns accept the title. Returns the column number of every item, -1 for
    // none. patterns holds one list per item; an empty list matches nothing.
    static QVector<int> autoMatch(const QStringList& columnList, const QStringList& patterns);

    // Creates MatchColumn when it is missing and gives it the default rules when it was just
    // created or holds no row at all, in one transaction. A table that exists with rules (or
    // that cannot be probed for any other reason) is never emptied: the clerk's own rules of
    // every kind live there. Shows the messages and returns false on failure. Works on db (the
    // program's connection, or the data upgrade's inside its transaction).
    static bool createMatchColumnTableIfNotExists(core::AppContext& app, core::Database& db);
    static QString createStatement();

    // The default rules of the recipient import: item and accepted titles, in insertion order.
    struct Rule {
        QString item;
        QString sources;
    };
    static const QVector<Rule>& defaultRules();

    // The editor's cleaning of a typed title list: trimmed, quotes and "?" removed, full-width
    // commas made plain, doubled commas collapsed, trimmed again.
    static QString cleanSourceNames(const QString& typed);

    // Indexes the imports' look-ups rely on (the duplicate scans, the order numbers); made when
    // missing, failures ignored (a table an older installation lacks is made by the upgrade).
    static void ensureLookupIndexes(core::Database& db);
    // What an import window needs before its first run: the rules table and the look-up indexes.
    static void prepareForImport(core::AppContext& app);
};

} // namespace imports
