#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

struct sqlite3;

namespace backup {

// A SQLite file opened by the engine's own interface, beside the program's connection: the
// online backup writes into it, and a backup file is judged through it without the store's
// functions or settings touching it.
class SqliteFile {
public:
    SqliteFile() = default;
    ~SqliteFile();
    SqliteFile(const SqliteFile&) = delete;
    SqliteFile& operator=(const SqliteFile&) = delete;

    bool open(const QString& path, bool readOnly);
    void close();
    sqlite3* handle() const { return m_db; }
    QString error() const { return m_error; }

    bool exec(const QString& sql);
    // Every row as text.
    bool rows(const QString& sql, QVector<QStringList>& out);
    bool tableExists(const QString& table);
    bool count(const QString& table, qint64& rows);

private:
    sqlite3* m_db = nullptr;
    QString m_error;
};

QString quotedName(const QString& name);

} // namespace backup
