#pragma once

#include <QDateTime>
#include <QHash>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <memory>

namespace core {

class Database;

// The rows of one statement, read at once, walked with first/next/prev/eof and read by field
// name (letter case ignored). A null reads as empty text or zero. When the statement reads one
// table, the current row can be edited and posted, deleted, or a new row appended and posted;
// the record set remembers the table and each row's rowid for that.
class Recordset {
public:
    Recordset() = default;

    int recordCount() const { return m_rows.size(); }
    bool isEmpty() const { return m_rows.isEmpty(); }
    bool eof() const { return m_pos >= m_rows.size() || m_rows.isEmpty(); }
    bool bof() const { return m_pos < 0 || m_rows.isEmpty(); }
    void first() { m_pos = 0; }
    void next() { ++m_pos; }
    void prev() { --m_pos; }
    void last() { m_pos = m_rows.size() - 1; }
    int position() const { return m_pos; }
    void seek(int row) { m_pos = row; }

    QStringList fieldNames() const { return m_fields; }
    int fieldCount() const { return m_fields.size(); }
    bool hasField(const QString& name) const;

    // Typed reads of the current row; an unknown field throws DbError naming it.
    QVariant value(const QString& name) const;
    QVariant value(int column) const;
    QString text(const QString& name) const;
    QString text(int column) const;
    qint64 integer(const QString& name) const;
    double number(const QString& name) const;
    QDateTime dateTime(const QString& name) const;
    bool isNull(const QString& name) const;

    // Editing the current row of a one-table record set. append() starts a new row at the end;
    // setValue() changes a field of the row being edited; post() writes it (insert or update)
    // and throws DbError on failure; remove() deletes the current row from the table.
    void edit();
    void append();
    // Edits the first row, or appends one when there is none (the save of a record looked up by
    // its key); true when appending.
    bool editFirstOrAppend();
    void setValue(const QString& name, const QVariant& value);
    void post();
    void cancel();
    void remove();
    QString table() const { return m_table; }
    // The table column a field shown under an alias is written to ("DMValue as 字典内容").
    void setFieldOrigin(const QString& field, const QString& column);
    // Adds the rows of a further read of the same statement (the next batch of a long list).
    void appendRows(const Recordset& more);

    // Long byte fields (images in template packages) to and from files.
    void loadBlobFromFile(const QString& name, const QString& path);
    void saveBlobToFile(const QString& name, const QString& path) const;

private:
    friend class Database;
    int fieldIndex(const QString& name) const;

    Database* m_db = nullptr;
    QString m_table;
    QStringList m_fields;
    mutable QHash<QString, int> m_fieldIndex;
    QStringList m_origins; // column written for each field; empty: the field names
    QVector<QVector<QVariant>> m_rows;
    QVector<qint64> m_rowids;
    int m_pos = 0;
    enum class Mode { Browse, Edit, Insert } m_mode = Mode::Browse;
    QVector<QVariant> m_pending;
    QVector<bool> m_changed;
};

} // namespace core
