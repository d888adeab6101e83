#include "core/Database.h"

#include "core/SqlFunctions.h"

#include <QDate>
#include <QDateTime>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <sqlite3.h>

namespace core {

namespace {

QString errorText(const QSqlError& error) {
    // The engine's own words first: they name the missing column or table.
    QString text = error.databaseText().trimmed();
    const QString driver = error.driverText().trimmed();
    if (text.isEmpty())
        return driver;
    if (!driver.isEmpty() && !text.contains(driver))
        text += QStringLiteral(" (") + driver + QLatin1Char(')');
    return text;
}

// Dates are stored as ISO text so that they compare correctly as text; a list of values is one
// JSON array (keyList() reads it with json_each).
QVariant bindable(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::QDateTime:
        return value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    case QMetaType::QDate:
        return value.toDate().toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(" 00:00:00");
    case QMetaType::QVariantList: {
        QJsonArray array;
        for (const QVariant& item : value.toList()) {
            const QVariant one = bindable(item);
            switch (one.typeId()) {
            case QMetaType::Int:
            case QMetaType::UInt:
            case QMetaType::LongLong:
            case QMetaType::ULongLong:
                array.append(one.toLongLong());
                break;
            case QMetaType::Double:
            case QMetaType::Float:
                array.append(one.toDouble());
                break;
            case QMetaType::Bool:
                array.append(one.toBool() ? 1 : 0);
                break;
            default:
                array.append(one.isNull() ? QJsonValue() : QJsonValue(one.toString()));
            }
        }
        return QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact));
    }
    default:
        return value;
    }
}

bool isNameChar(QChar c) {
    const char16_t u = c.unicode();
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '_';
}

// The placeholders of a statement outside its literals and quoted names, keyed by their
// case-folded name, each spelling as written: one pass over the text, read as the driver reads it.
QHash<QString, QStringList> placeholdersOf(const QString& sql) {
    QHash<QString, QStringList> found;
    const int n = sql.size();
    int i = 0;
    while (i < n) {
        const QChar c = sql.at(i);
        if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('`') ||
            c == QLatin1Char('[')) {
            const QChar close = c == QLatin1Char('[') ? QLatin1Char(']') : c;
            ++i;
            while (i < n) {
                if (sql.at(i) == close) {
                    // A doubled quote stays inside the literal.
                    if (close != QLatin1Char(']') && i + 1 < n && sql.at(i + 1) == close) {
                        i += 2;
                        continue;
                    }
                    break;
                }
                ++i;
            }
            ++i;
            continue;
        }
        if (c == QLatin1Char(':') && (i == 0 || sql.at(i - 1) != QLatin1Char(':')) && i + 1 < n &&
            isNameChar(sql.at(i + 1))) {
            int end = i + 1;
            while (end < n && isNameChar(sql.at(end)))
                ++end;
            const QString name = sql.mid(i + 1, end - i - 1);
            QStringList& spellings = found[name.toLower()];
            if (!spellings.contains(name))
                spellings << name;
            i = end;
            continue;
        }
        ++i;
    }
    return found;
}

} // namespace

void Database::bind(QSqlQuery& query, const QString& translatedSql, const Params& params) {
    if (params.isEmpty())
        return;
    const QHash<QString, QStringList> named = placeholdersOf(translatedSql);
    // Bind only what the statement names: the driver rejects surplus values.
    for (auto it = params.constBegin(); it != params.constEnd(); ++it) {
        const auto at = named.constFind(it.key().toLower());
        if (at == named.constEnd())
            continue;
        const QVariant value = bindable(it.value());
        for (const QString& spelling : at.value())
            query.bindValue(QLatin1Char(':') + spelling, value);
    }
}

QString Database::keyList(const QString& name) {
    return QStringLiteral(" in (select value from json_each(:") + name + QStringLiteral("))");
}

namespace {

// Splits a statement into pieces outside and inside quotes, so rewrites never touch a literal.
struct Piece {
    QString text;
    bool literal;
};

QVector<Piece> splitLiterals(const QString& sql) {
    QVector<Piece> pieces;
    QString current;
    int i = 0;
    while (i < sql.size()) {
        const QChar c = sql.at(i);
        if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('[')) {
            if (!current.isEmpty())
                pieces.append({current, false});
            current.clear();
            const QChar close = c == QLatin1Char('[') ? QLatin1Char(']') : c;
            QString lit(c);
            ++i;
            while (i < sql.size()) {
                lit += sql.at(i);
                if (sql.at(i) == close) {
                    if (close != QLatin1Char(']') && i + 1 < sql.size() && sql.at(i + 1) == close) {
                        lit += sql.at(i + 1);
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                ++i;
            }
            pieces.append({lit, true});
            continue;
        }
        current += c;
        ++i;
    }
    if (!current.isEmpty())
        pieces.append({current, false});
    return pieces;
}

QString joinPieces(const QVector<Piece>& pieces) {
    QString out;
    for (const Piece& p : pieces)
        out += p.text;
    return out;
}

QString rewriteOutsideLiterals(const QString& sql, const QRegularExpression& re, const QString& replacement) {
    QVector<Piece> pieces = splitLiterals(sql);
    for (Piece& p : pieces)
        if (!p.literal)
            p.text.replace(re, replacement);
    return joinPieces(pieces);
}

} // namespace

Database::Database(const QString& connectionName) : m_name(connectionName) {}

Database::~Database() {
    close();
}

void Database::open(const QString& path) {
    close();
    QString failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        if (!db.open()) {
            failure = errorText(db.lastError());
        } else {
            sqlite3* handle = *static_cast<sqlite3* const*>(db.driver()->handle().data());
            registerSqlFunctions(handle);
            // A file that is not a database only shows itself at the first read: find out now.
            QSqlQuery probe(db);
            if (!probe.exec(QStringLiteral("select count(*) from sqlite_master")))
                failure = errorText(probe.lastError());
        }
        if (!failure.isEmpty())
            db.close();
    }
    if (!failure.isEmpty()) {
        QSqlDatabase::removeDatabase(m_name);
        throw DbError(QStringLiteral("无法打开数据库 ") + path + QStringLiteral(": ") + failure);
    }
    m_path = path;
    // Test runs make thousands of tiny commits on scratch files; waiting for the disk on each
    // would only slow them down. The program itself always syncs its commits.
    if (qEnvironmentVariableIsSet("OVERPRINT_DB_NOSYNC"))
        exec(QStringLiteral("PRAGMA synchronous=OFF"));
}

void Database::close() {
    if (!QSqlDatabase::contains(m_name))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(m_name);
    m_inTransaction = false;
    m_path.clear();
}

bool Database::isOpen() const {
    return QSqlDatabase::contains(m_name) && QSqlDatabase::database(m_name, false).isOpen();
}

QSqlDatabase Database::connection() const {
    return QSqlDatabase::database(m_name, false);
}

QString Database::quote(const QString& value) {
    QString v = value;
    v.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + v + QLatin1Char('\'');
}

QString Database::translate(const QString& sql) {
    QString s = sql.trimmed();
    while (s.endsWith(QLatin1Char(';')))
        s.chop(1);
    using RE = QRegularExpression;
    const auto ci = RE::CaseInsensitiveOption;

    static const RE deleteStar(QStringLiteral("^\\s*delete\\s+\\*\\s+from\\b"), ci);
    s = rewriteOutsideLiterals(s, deleteStar, QStringLiteral("DELETE FROM"));

    // ALTER TABLE t ALTER COLUMN c COUNTER (1,1) restarts the key: forget the table's sequence.
    static const RE counterReset(
        QStringLiteral("^\\s*alter\\s+table\\s+\\[?([^\\s\\]]+)\\]?\\s+alter\\s+column\\s+\\S+\\s+counter\\s*"
                       "\\(\\s*1\\s*,\\s*1\\s*\\)\\s*$"),
        ci);
    const auto counter = counterReset.match(s);
    if (counter.hasMatch())
        return QStringLiteral("DELETE FROM sqlite_sequence WHERE name=") + quote(counter.captured(1));

    // select [distinct] top N ... → select [distinct] ... LIMIT N (the outer statement only).
    static const RE top(QStringLiteral("^(\\s*select\\s+(?:distinct\\s+)?)top\\s+(\\d+)\\s+"), ci);
    const auto topMatch = top.match(s);
    if (topMatch.hasMatch())
        s = topMatch.captured(1) + s.mid(topMatch.capturedEnd()) + QStringLiteral(" LIMIT ") +
            topMatch.captured(2);

    static const RE ddl(QStringLiteral("^\\s*(create\\s+table|alter\\s+table)\\b"), ci);
    if (ddl.match(s).hasMatch()) {
        static const RE autoinc(
            QStringLiteral(
                "\\b(?:autoincrement|counter)\\s*(?:\\(\\s*\\d+\\s*,\\s*\\d+\\s*\\))?\\s+primary\\s+key\\b"),
            ci);
        s = rewriteOutsideLiterals(s, autoinc, QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT"));
        static const RE autoincAlone(
            QStringLiteral(
                "(?<!key )\\b(?:autoincrement|counter)\\s*(?:\\(\\s*\\d+\\s*,\\s*\\d+\\s*\\))?(?=\\s*[,)])"),
            ci);
        s = rewriteOutsideLiterals(s, autoincAlone, QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT"));
        static const RE longType(QStringLiteral("\\blong\\b"), ci);
        s = rewriteOutsideLiterals(s, longType, QStringLiteral("INTEGER"));
        // Text compares without regard to letter case, as it did in the engine the SQL was written for.
        static const RE textType(
            QStringLiteral(
                "\\b(text|varchar|char|memo|string|longtext)(\\s*\\(\\s*\\d+\\s*\\))?+(?!\\s*collate)"),
            ci);
        s = rewriteOutsideLiterals(s, textType, QStringLiteral("\\1\\2 COLLATE NOCASE"));
    }
    return s;
}

int Database::exec(const QString& sql, const Params& params) {
    if (!isOpen())
        throw DbError(QStringLiteral("数据库未连接"));
    const QString translated = translate(sql);
    QSqlQuery query(connection());
    if (!query.prepare(translated))
        throw DbError(errorText(query.lastError()));
    bind(query, translated, params);
    if (!query.exec())
        throw DbError(errorText(query.lastError()));
    // The driver reports the changes of the last data statement even after a DDL one.
    static const QRegularExpression dml(QStringLiteral("^\\s*(insert|update|delete|replace)\\b"),
                                        QRegularExpression::CaseInsensitiveOption);
    if (!dml.match(translated).hasMatch())
        return 0;
    const int affected = query.numRowsAffected();
    return affected < 0 ? 0 : affected;
}

namespace {

// A statement over one table without grouping can be edited row by row: find that table.
QString editableTable(const QString& sql) {
    static const QRegularExpression single(
        QStringLiteral("^\\s*select\\s+(?!distinct\\b)(.+?)\\s+from\\s+(\\[[^\\]]+\\]|[^\\s,;()\\[]+)"
                       "(?:\\s+(?:as\\s+)?(?!where\\b|order\\b|group\\b|limit\\b|inner\\b|left\\b|join\\b)[A-"
                       "Za-z_]\\w*)?"
                       "\\s*(?:where\\b.*|order\\b.*|limit\\b.*)?$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const auto m = single.match(sql);
    if (!m.hasMatch())
        return {};
    static const QRegularExpression aggregate(
        QStringLiteral("\\b(count|max|min|sum|avg)\\s*\\(|\\bgroup\\s+by\\b"),
        QRegularExpression::CaseInsensitiveOption);
    if (aggregate.match(m.captured(1)).hasMatch() || aggregate.match(sql).hasMatch())
        return {};
    static const QRegularExpression join(QStringLiteral("\\bjoin\\b"),
                                         QRegularExpression::CaseInsensitiveOption);
    if (join.match(sql).hasMatch())
        return {};
    QString table = m.captured(2);
    if (table.startsWith(QLatin1Char('[')))
        table = table.mid(1, table.size() - 2);
    if (table.startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive))
        return {};
    return table;
}

} // namespace

Recordset Database::query(const QString& sql, const Params& params) {
    if (!isOpen())
        throw DbError(QStringLiteral("数据库未连接"));
    QString translated = translate(sql);
    Recordset rs;
    rs.m_db = this;
    const QString table = editableTable(translated);
    QString run = translated;
    if (!table.isEmpty()) {
        static const QRegularExpression head(QStringLiteral("^\\s*select\\s+"),
                                             QRegularExpression::CaseInsensitiveOption);
        const auto m = head.match(run);
        run = m.captured(0) + QStringLiteral("_rowid_ AS __rowid__, ") + run.mid(m.capturedEnd());
    }
    QSqlQuery query(connection());
    query.setForwardOnly(true);
    bool ok = query.prepare(run);
    if (ok) {
        bind(query, run, params);
        ok = query.exec();
    }
    if (!ok && !table.isEmpty()) {
        // A view or a statement the rowid cannot join: read it as it stands, without editing.
        const QSqlError first = query.lastError();
        query = QSqlQuery(connection());
        query.setForwardOnly(true);
        if (!query.prepare(translated))
            throw DbError(errorText(first));
        bind(query, translated, params);
        if (!query.exec())
            throw DbError(errorText(query.lastError()));
        rs.m_table.clear();
    } else if (!ok) {
        throw DbError(errorText(query.lastError()));
    } else {
        rs.m_table = table;
    }
    const QSqlRecord record = query.record();
    const bool withRowid = !rs.m_table.isEmpty();
    for (int i = withRowid ? 1 : 0; i < record.count(); ++i)
        rs.m_fields << record.fieldName(i);
    const int width = rs.m_fields.size();
    while (query.next()) {
        QVector<QVariant> row(width);
        for (int i = 0; i < width; ++i)
            row[i] = query.value(withRowid ? i + 1 : i);
        rs.m_rows.append(row);
        rs.m_rowids.append(withRowid ? query.value(0).toLongLong() : -1);
    }
    return rs;
}

QVariant Database::scalar(const QString& sql, const Params& params) {
    Recordset rs = query(sql, params);
    if (rs.isEmpty() || rs.fieldCount() == 0)
        return {};
    return rs.value(0);
}

void Database::begin() {
    if (m_inTransaction)
        throw DbError(QStringLiteral("事务已经开始"));
    QSqlDatabase db = connection();
    if (!db.transaction())
        throw DbError(errorText(db.lastError()));
    m_inTransaction = true;
}

void Database::commit() {
    QSqlDatabase db = connection();
    if (!db.commit()) {
        const QString text = errorText(db.lastError());
        db.rollback();
        m_inTransaction = false;
        throw DbError(text);
    }
    m_inTransaction = false;
}

void Database::rollback() {
    if (!m_inTransaction)
        return;
    connection().rollback();
    m_inTransaction = false;
}

qint64 Database::lastInsertId() const {
    QSqlQuery q(connection());
    if (q.exec(QStringLiteral("select last_insert_rowid()")) && q.next())
        return q.value(0).toLongLong();
    return -1;
}

} // namespace core
