#include "backup/SqliteFile.h"

#include <sqlite3.h>

namespace backup {

QString quotedName(const QString& name) {
    QString n = name;
    n.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + n + QLatin1Char('"');
}

SqliteFile::~SqliteFile() {
    close();
}

bool SqliteFile::open(const QString& path, bool readOnly) {
    close();
    const int flags = readOnly ? SQLITE_OPEN_READONLY : (SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    if (sqlite3_open_v2(path.toUtf8().constData(), &m_db, flags, nullptr) != SQLITE_OK) {
        m_error = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QStringLiteral("out of memory");
        close();
        return false;
    }
    sqlite3_busy_timeout(m_db, 5000);
    return true;
}

void SqliteFile::close() {
    if (m_db)
        sqlite3_close_v2(m_db);
    m_db = nullptr;
}

bool SqliteFile::exec(const QString& sql) {
    char* message = nullptr;
    if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &message) == SQLITE_OK)
        return true;
    m_error = QString::fromUtf8(message ? message : sqlite3_errmsg(m_db));
    sqlite3_free(message);
    return false;
}

bool SqliteFile::rows(const QString& sql, QVector<QStringList>& out) {
    out.clear();
    m_error.clear();
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &st, nullptr) != SQLITE_OK) {
        m_error = QString::fromUtf8(sqlite3_errmsg(m_db));
        sqlite3_finalize(st);
        return false;
    }
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        QStringList row;
        for (int i = 0; i < sqlite3_column_count(st); ++i)
            row << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, i)));
        out << row;
    }
    if (rc != SQLITE_DONE)
        m_error = QString::fromUtf8(sqlite3_errmsg(m_db));
    sqlite3_finalize(st);
    return rc == SQLITE_DONE;
}

bool SqliteFile::tableExists(const QString& table) {
    QVector<QStringList> found;
    const QString name = QString(table).replace(QLatin1Char('\''), QStringLiteral("''"));
    if (!rows(QStringLiteral("select 1 from sqlite_master where type='table' and name='%1' collate nocase")
                  .arg(name),
              found))
        return false;
    return !found.isEmpty();
}

bool SqliteFile::count(const QString& table, qint64& n) {
    QVector<QStringList> found;
    if (!rows(QStringLiteral("select count(*) from ") + quotedName(table), found) || found.isEmpty())
        return false;
    n = found.first().value(0).toLongLong();
    return true;
}

} // namespace backup
