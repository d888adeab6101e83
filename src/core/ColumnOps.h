#pragma once

#include <QString>
#include <functional>

namespace core {

class AppContext;
class Database;

// Changes of table structure and of a few values that the data upgrade, the imports and the
// template store share, usable without any window. Each works on the connection given or,
// when none is given, on the program's main one. Failures are told through the dialogs
// service with the operation's own message and reported by the result; nothing is thrown.
//
// Table and column names come from the program, never from a user or a file; they are still
// checked to be plain names (letters, digits, "_", CJK) and refused otherwise, so a mistake can
// never become a different statement.
class ColumnOps {
public:
    explicit ColumnOps(AppContext& app);

    // Told how far a long run has come: a step of advance units and what it is doing.
    std::function<void(int advance, const QString& text)> progress;

    // True when the table has the column.
    bool aIFExistsColumn(const QString& table, const QString& column, Database* db = nullptr);
    // Adds a column when it is missing. type: "text"/"string" (a text column of size, "50" when
    // empty), "numeric"/"number" (a whole number), any other word as the column type. True
    // when the column is there afterwards.
    bool aAddColumn(const QString& table, const QString& column, Database* db = nullptr,
                    const QString& size = QString(), const QString& type = QStringLiteral("String"));
    // True when the table can be read or the statement creating it runs.
    bool CreateTableIFNotExists(const QString& table, const QString& statement, Database* db = nullptr);
    // Fills the empty kinds of the templates from their full names (the part before the first
    // parenthesis, full-width first); names without a parenthesis stay as they are.
    bool initTypeFirstNameValue(Database* db = nullptr);
    // Adds an item definition to a template kind unless the kind already has an item of that name.
    bool aInsertNameDictItemIFLost(const QString& kind, const QString& label, const QString& type, int order,
                                   int printFlag, const QString& itemName, Database* db = nullptr);
    // Sets a column where the condition holds (all rows when it is empty). type "varchar",
    // "text", "string": value is text; "number": a whole number; "numeric": a number with
    // decimals. A value that is no number of its type is refused like an unknown type.
    bool aUpdateColumnValue(const QString& table, const QString& column, const QString& condition,
                            const QString& type, const QString& value, Database* db = nullptr);

    // The kind column of the templates added (text of 50) and filled from the full names.
    bool addTypeFirstNameColumn(Database* db = nullptr);

    static bool isPlainName(const QString& name);

private:
    Database& target(Database* db);
    void advance(int by, const QString& text);

    AppContext& m_app;
};

} // namespace core
