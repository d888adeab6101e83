#include "core/StoreCopy.h"

#include "core/ProgramFolder.h"
#include "core/ServerDialect.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

namespace core {

namespace {

const QString kImages = QStringLiteral("StoreImages");
// Template images are photos of paper forms; anything far larger is no image of ours.
constexpr qint64 kMaxImageBytes = 64 * 1024 * 1024;

struct Column {
    QString name;
    QString type; // in the program's dialect: long, double, blob, Text, or the key
};

QString quotedName(const QString& name) {
    QString n = name;
    n.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + n + QLatin1Char('"');
}

QVector<Column> structureOf(Database& db, const QString& table) {
    QVector<Column> out;
    if (db.engine() == Engine::PostgreSQL) {
        Recordset rs =
            db.query(QStringLiteral("select column_name, data_type, is_identity from "
                                    "information_schema.columns where table_schema = current_schema() "
                                    "and table_name = lower(:t) and column_name <> :key "
                                    "order by ordinal_position"),
                     {{QStringLiteral("t"), table}, {QStringLiteral("key"), ServerDialect::rowKeyColumn()}});
        for (rs.first(); !rs.eof(); rs.next()) {
            const QString type = rs.text(1).toLower();
            QString mapped = QStringLiteral("Text");
            if (rs.text(2) == QLatin1String("YES"))
                mapped = QStringLiteral("autoincrement(1,1) primary key");
            else if (type == QLatin1String("bigint") || type == QLatin1String("integer") ||
                     type == QLatin1String("smallint"))
                mapped = QStringLiteral("long");
            else if (type == QLatin1String("double precision") || type == QLatin1String("real") ||
                     type == QLatin1String("numeric"))
                mapped = QStringLiteral("double");
            else if (type == QLatin1String("bytea"))
                mapped = QStringLiteral("blob");
            out.append({rs.text(0), mapped});
        }
        return out;
    }
    Recordset rs = db.query(QStringLiteral("select name, upper(type), pk from pragma_table_info(:t)"),
                            {{QStringLiteral("t"), table}});
    for (rs.first(); !rs.eof(); rs.next()) {
        const QString type = rs.text(1);
        QString mapped = QStringLiteral("Text");
        if (rs.integer(QStringLiteral("pk")) > 0 && type.contains(QLatin1String("INT")))
            mapped = QStringLiteral("autoincrement(1,1) primary key");
        else if (type.contains(QLatin1String("INT")))
            mapped = QStringLiteral("long");
        else if (type.contains(QLatin1String("REAL")) || type.contains(QLatin1String("DOUB")) ||
                 type.contains(QLatin1String("FLOA")))
            mapped = QStringLiteral("double");
        else if (type.contains(QLatin1String("BLOB")))
            mapped = QStringLiteral("blob");
        out.append({rs.text(0), mapped});
    }
    return out;
}

// The target gains what the source has beyond the shipped schema.
void matchStructure(Database& target, const QString& table, const QVector<Column>& columns) {
    const QStringList present = target.columns(table);
    if (present.isEmpty()) {
        QStringList defs;
        for (const Column& c : columns)
            defs << quotedName(c.name) + QLatin1Char(' ') + c.type;
        target.exec(QStringLiteral("create table ") + quotedName(table) + QStringLiteral(" (") +
                    defs.join(QLatin1Char(',')) + QLatin1Char(')'));
        return;
    }
    for (const Column& c : columns) {
        if (!present.contains(c.name, Qt::CaseInsensitive)) {
            const QString type =
                c.type.startsWith(QLatin1String("autoincrement")) ? QStringLiteral("long") : c.type;
            target.exec(QStringLiteral("alter table ") + quotedName(table) + QStringLiteral(" add column ") +
                        quotedName(c.name) + QLatin1Char(' ') + type);
        }
    }
}

qint64 rowCount(Database& db, const QString& table) {
    return db.scalar(QStringLiteral("select count(*) from ") + quotedName(table)).toLongLong();
}

qint64 copyRows(Database& source, Database& target, const QString& table, const QVector<Column>& columns) {
    QStringList names, marks;
    for (int i = 0; i < columns.size(); ++i) {
        names << quotedName(columns.at(i).name);
        marks << QStringLiteral("?");
    }
    QSqlQuery read(source.connection());
    read.setForwardOnly(true);
    if (!read.exec(source.translated(QStringLiteral("select ") + names.join(QLatin1Char(',')) +
                                     QStringLiteral(" from ") + quotedName(table))))
        throw DbError(table + QStringLiteral(": ") + Database::errorText(read.lastError()));
    QSqlQuery write(target.connection());
    if (!write.prepare(target.translated(QStringLiteral("insert into ") + quotedName(table) +
                                         QStringLiteral(" (") + names.join(QLatin1Char(',')) +
                                         QStringLiteral(") values (") + marks.join(QLatin1Char(',')) +
                                         QLatin1Char(')'))))
        throw DbError(table + QStringLiteral(": ") + Database::errorText(write.lastError()));
    qint64 rows = 0;
    while (read.next()) {
        for (int i = 0; i < columns.size(); ++i)
            write.bindValue(i, read.value(i));
        if (!write.exec())
            throw DbError(table + QStringLiteral(": ") + Database::errorText(write.lastError()));
        ++rows;
    }
    return rows;
}

bool plainFileName(const QString& name) {
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\')) &&
           !name.endsWith(QLatin1String(".part"));
}

int readImages(Database& target, const QString& folder) {
    int taken = 0;
    const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files, QDir::Name);
    for (const QFileInfo& info : files) {
        if (!plainFileName(info.fileName()) || info.size() > kMaxImageBytes)
            continue;
        QFile file(info.filePath());
        if (!file.open(QIODevice::ReadOnly))
            throw DbError(QStringLiteral("无法读取图片 ") + info.filePath());
        const Params name{{QStringLiteral("n"), info.fileName()}};
        target.exec(QStringLiteral("delete from StoreImages where Name=:n"), name);
        target.exec(QStringLiteral("insert into StoreImages (Name, Bytes) values (:n, :b)"),
                    {{QStringLiteral("n"), info.fileName()}, {QStringLiteral("b"), file.readAll()}});
        ++taken;
    }
    return taken;
}

void ensureImageTable(Database& db) {
    if (!db.hasTable(kImages))
        db.exec(QStringLiteral("create table StoreImages (Name Text(255), Bytes blob)"));
}

} // namespace

StoreCopy::Result StoreCopy::copy(Database& source, Database& target, const QString& sourceImages,
                                  const QString& targetImages) {
    Result result;
    try {
        target.begin();
        try {
            ensureImageTable(target);
            for (const QString& table : source.tables()) {
                const QVector<Column> columns = structureOf(source, table);
                if (columns.isEmpty())
                    continue;
                matchStructure(target, table, columns);
                target.exec(QStringLiteral("delete from ") + quotedName(table));
                copyRows(source, target, table, columns);
                result.counts.append({table, rowCount(source, table), rowCount(target, table)});
            }
            if (!sourceImages.isEmpty())
                result.images = readImages(target, sourceImages);
            if (target.engine() == Engine::PostgreSQL)
                target.exec(ServerDialect::resetSequencesStatement());
            QStringList differ;
            for (const Count& c : result.counts)
                if (c.source != c.target && c.table.compare(kImages, Qt::CaseInsensitive) != 0)
                    differ << QStringLiteral("%1 (%2 → %3)").arg(c.table).arg(c.source).arg(c.target);
            if (!differ.isEmpty())
                throw DbError(QStringLiteral("复制后行数不符: ") + differ.join(QStringLiteral(", ")));
            target.commit();
        } catch (...) {
            target.rollback();
            throw;
        }
        if (!targetImages.isEmpty())
            result.images += writeImages(target, targetImages);
        result.ok = true;
    } catch (const DbError& e) {
        result.error = e.message();
    }
    return result;
}

void StoreCopy::createLocalStore(Database& db, const QString& path) {
    if (QFileInfo::exists(path))
        throw DbError(QStringLiteral("文件已存在: ") + path);
    QString error;
    const QStringList statements = ProgramFolder::shippedStatements(&error);
    if (statements.isEmpty())
        throw DbError(error);
    db.open(path);
    db.begin();
    try {
        // Shipped SQL is SQLite already and runs as written.
        QSqlQuery q(db.connection());
        for (const QString& statement : statements)
            if (!q.exec(statement))
                throw DbError(Database::errorText(q.lastError()) + QStringLiteral("\n") +
                              statement.left(200));
        db.commit();
    } catch (...) {
        db.rollback();
        throw;
    }
}

int StoreCopy::writeImages(Database& db, const QString& folder) {
    if (!db.hasTable(kImages))
        return 0;
    QDir().mkpath(folder);
    int written = 0;
    Recordset names = db.query(QStringLiteral("select Name from StoreImages order by Name"));
    for (names.first(); !names.eof(); names.next()) {
        const QString name = names.text(0);
        if (!plainFileName(name))
            continue;
        const QByteArray bytes = db.scalar(QStringLiteral("select Bytes from StoreImages where Name=:n"),
                                           {{QStringLiteral("n"), name}})
                                     .toByteArray();
        const QString path = QDir(folder).filePath(name);
        const QString part = path + QStringLiteral(".part");
        QFile file(part);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
            file.remove();
            throw DbError(QStringLiteral("无法写入图片 ") + path);
        }
        file.close();
        QFile::remove(path);
        if (!QFile::rename(part, path))
            throw DbError(QStringLiteral("无法写入图片 ") + path);
        ++written;
    }
    return written;
}

} // namespace core
