#include "core/Recordset.h"

#include "core/Database.h"

#include <QFile>
#include <QSqlQuery>

namespace core {

namespace {

QString quoteName(const QString& name) {
    QString n = name;
    n.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + n + QLatin1Char('"');
}

} // namespace

int Recordset::fieldIndex(const QString& name) const {
    // Looked up by name for every value read, so the names are indexed once (case folded, the
    // first of equal names kept, as a walk from the left would find it).
    if (m_fieldIndex.isEmpty() && !m_fields.isEmpty())
        for (int i = 0; i < m_fields.size(); ++i)
            if (const QString key = m_fields.at(i).toCaseFolded(); !m_fieldIndex.contains(key))
                m_fieldIndex.insert(key, i);
    return m_fieldIndex.value(name.toCaseFolded(), -1);
}

bool Recordset::hasField(const QString& name) const {
    return fieldIndex(name) >= 0;
}

QVariant Recordset::value(int column) const {
    if (column < 0 || column >= m_fields.size())
        throw DbError(QStringLiteral("字段序号越界: ") + QString::number(column));
    if (m_mode != Mode::Browse)
        return m_pending.value(column);
    if (eof() || bof())
        throw DbError(QStringLiteral("BOF 或 EOF 中有一个是真，或者当前记录已被删除"));
    return m_rows.at(m_pos).at(column);
}

QVariant Recordset::value(const QString& name) const {
    const int i = fieldIndex(name);
    if (i < 0)
        throw DbError(QStringLiteral("项目不存在: ") + name);
    return value(i);
}

QString Recordset::text(int column) const {
    const QVariant v = value(column);
    return v.isNull() ? QString() : v.toString();
}

QString Recordset::text(const QString& name) const {
    const QVariant v = value(name);
    return v.isNull() ? QString() : v.toString();
}

qint64 Recordset::integer(const QString& name) const {
    const QVariant v = value(name);
    if (v.isNull())
        return 0;
    bool ok = false;
    const qint64 i = v.toLongLong(&ok);
    if (ok)
        return i;
    return static_cast<qint64>(v.toDouble());
}

double Recordset::number(const QString& name) const {
    const QVariant v = value(name);
    return v.isNull() ? 0.0 : v.toDouble();
}

QDateTime Recordset::dateTime(const QString& name) const {
    const QVariant v = value(name);
    if (v.isNull())
        return {};
    const QString s = v.toString();
    QDateTime dt = QDateTime::fromString(s, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!dt.isValid())
        dt = QDateTime::fromString(s, Qt::ISODate);
    if (!dt.isValid()) {
        const QDate d = QDate::fromString(s.left(10), QStringLiteral("yyyy-MM-dd"));
        if (d.isValid())
            dt = QDateTime(d, QTime(0, 0));
    }
    return dt;
}

bool Recordset::isNull(const QString& name) const {
    return value(name).isNull();
}

bool Recordset::editFirstOrAppend() {
    if (isEmpty()) {
        append();
        return true;
    }
    first();
    edit();
    return false;
}

void Recordset::edit() {
    if (m_table.isEmpty())
        throw DbError(QStringLiteral("记录集不可修改"));
    if (eof() || bof())
        throw DbError(QStringLiteral("BOF 或 EOF 中有一个是真，或者当前记录已被删除"));
    m_mode = Mode::Edit;
    m_pending = m_rows.at(m_pos);
    m_changed = QVector<bool>(m_fields.size(), false);
}

void Recordset::append() {
    if (m_table.isEmpty())
        throw DbError(QStringLiteral("记录集不可修改"));
    m_mode = Mode::Insert;
    m_pending = QVector<QVariant>(m_fields.size());
    m_changed = QVector<bool>(m_fields.size(), false);
}

void Recordset::setValue(const QString& name, const QVariant& value) {
    if (m_mode == Mode::Browse)
        edit();
    const int i = fieldIndex(name);
    if (i < 0)
        throw DbError(QStringLiteral("项目不存在: ") + name);
    m_pending[i] = value;
    m_changed[i] = true;
}

void Recordset::setFieldOrigin(const QString& field, const QString& column) {
    const int i = fieldIndex(field);
    if (i < 0)
        return;
    if (m_origins.isEmpty())
        m_origins = m_fields;
    m_origins[i] = column;
}

void Recordset::cancel() {
    m_mode = Mode::Browse;
    m_pending.clear();
    m_changed.clear();
}

void Recordset::post() {
    if (m_mode == Mode::Browse)
        return;
    const QStringList& columns = m_origins.isEmpty() ? m_fields : m_origins;
    QStringList names;
    Params params;
    for (int i = 0; i < m_fields.size(); ++i) {
        if (!m_changed.at(i))
            continue;
        names << columns.at(i);
        params.insert(QStringLiteral("p") + QString::number(i), m_pending.at(i));
    }
    const QString table = quoteName(m_table);
    if (m_mode == Mode::Edit) {
        if (!names.isEmpty()) {
            QStringList sets;
            for (int i = 0, n = 0; i < m_fields.size(); ++i)
                if (m_changed.at(i)) {
                    sets << quoteName(columns.at(i)) + QStringLiteral("=:p") + QString::number(i);
                    ++n;
                }
            params.insert(QStringLiteral("rowid__"), m_rowids.at(m_pos));
            m_db->exec(QStringLiteral("UPDATE ") + table + QStringLiteral(" SET ") +
                           sets.join(QLatin1Char(',')) + QStringLiteral(" WHERE _rowid_=:rowid__"),
                       params);
        }
        m_rows[m_pos] = m_pending;
    } else {
        QString sql;
        if (names.isEmpty()) {
            sql = QStringLiteral("INSERT INTO ") + table + QStringLiteral(" DEFAULT VALUES");
        } else {
            QStringList cols, values;
            for (int i = 0; i < m_fields.size(); ++i)
                if (m_changed.at(i)) {
                    cols << quoteName(columns.at(i));
                    values << QStringLiteral(":p") + QString::number(i);
                }
            sql = QStringLiteral("INSERT INTO ") + table + QStringLiteral(" (") +
                  cols.join(QLatin1Char(',')) + QStringLiteral(") VALUES (") + values.join(QLatin1Char(',')) +
                  QLatin1Char(')');
        }
        m_db->exec(sql, params);
        const qint64 rowid = m_db->lastInsertId();
        // Read the stored row back so defaults and the new key show in the record set.
        QVector<QVariant> row = m_pending;
        QStringList cols;
        for (const QString& f : columns)
            cols << quoteName(f);
        try {
            const Recordset back =
                m_db->query(QStringLiteral("SELECT ") + cols.join(QLatin1Char(',')) +
                                QStringLiteral(" FROM ") + table + QStringLiteral(" WHERE _rowid_=:r"),
                            {{QStringLiteral("r"), rowid}});
            if (!back.isEmpty())
                for (int i = 0; i < m_fields.size(); ++i)
                    row[i] = back.value(i);
        } catch (const DbError&) {
            // The row is stored; without the read-back it shows as it was entered.
        }
        m_rows.append(row);
        m_rowids.append(rowid);
        m_pos = m_rows.size() - 1;
    }
    m_mode = Mode::Browse;
    m_pending.clear();
    m_changed.clear();
}

void Recordset::remove() {
    if (m_table.isEmpty())
        throw DbError(QStringLiteral("记录集不可修改"));
    if (eof() || bof())
        throw DbError(QStringLiteral("BOF 或 EOF 中有一个是真，或者当前记录已被删除"));
    m_db->exec(QStringLiteral("DELETE FROM ") + quoteName(m_table) + QStringLiteral(" WHERE _rowid_=:r"),
               {{QStringLiteral("r"), m_rowids.at(m_pos)}});
    m_rows.remove(m_pos);
    m_rowids.remove(m_pos);
}

void Recordset::loadBlobFromFile(const QString& name, const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw DbError(QStringLiteral("无法读取文件 ") + path + QStringLiteral(": ") + file.errorString());
    setValue(name, file.readAll());
}

void Recordset::saveBlobToFile(const QString& name, const QString& path) const {
    const QByteArray bytes = value(name).toByteArray();
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        throw DbError(QStringLiteral("无法写入文件 ") + path + QStringLiteral(": ") + file.errorString());
}

void Recordset::appendRows(const Recordset& more) {
    m_rows += more.m_rows;
    m_rowids += more.m_rowids;
}

} // namespace core
