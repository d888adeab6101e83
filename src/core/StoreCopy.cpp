#include "core/StoreCopy.h"

#include "core/ProgramFolder.h"
#include "core/ServerDialect.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

#include <algorithm>

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

// The name a local source file is attached under to a local target (see copy()).
const QString kAttached = QStringLiteral("storecopysource");

// Attaches the source's file to the target's connection when both are local files; false when
// they are not (or the engine refuses), and the rows then go one by one.
bool attachSource(Database& source, Database& target) {
    if (source.engine() != Engine::SQLite || target.engine() != Engine::SQLite || source.filePath().isEmpty())
        return false;
    QSqlQuery q(target.connection());
    q.prepare(QStringLiteral("attach database ? as ") + kAttached);
    q.addBindValue(source.filePath());
    return q.exec();
}

void detachSource(Database& target) {
    QSqlQuery(target.connection()).exec(QStringLiteral("detach database ") + kAttached);
}

qint64 copyRows(Database& source, Database& target, const QString& table, const QVector<Column>& columns,
                bool attached) {
    QStringList names, marks;
    for (int i = 0; i < columns.size(); ++i) {
        names << quotedName(columns.at(i).name);
        marks << QStringLiteral("?");
    }
    if (attached) {
        // One statement in the engine: no value passes through the driver row by row, which is
        // most of the time a restore of a large store takes.
        QSqlQuery q(target.connection());
        if (!q.exec(QStringLiteral("insert into main.") + quotedName(table) + QStringLiteral(" (") +
                    names.join(QLatin1Char(',')) + QStringLiteral(") select ") +
                    names.join(QLatin1Char(',')) + QStringLiteral(" from ") + kAttached + QLatin1Char('.') +
                    quotedName(table)))
            throw DbError(table + QStringLiteral(": ") + Database::errorText(q.lastError()));
        return q.numRowsAffected();
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

int takeImages(Database& target, const QString& folder) {
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

const QString StoreCopy::kPendingTable = QStringLiteral("StoreCopyPending");
const QString StoreCopy::kTargetBuilt = QStringLiteral("target-built");
const QString StoreCopy::kRowsCopied = QStringLiteral("rows-copied");
const QString StoreCopy::kImagesStaged = QStringLiteral("images-staged");
const QString StoreCopy::kReady = QStringLiteral("ready");
const QString StoreCopy::kStoreKept = QStringLiteral("store-kept");
const QString StoreCopy::kStoreReplaced = QStringLiteral("store-replaced");

namespace {

std::function<void(const QString&)>& stepHook() {
    static std::function<void(const QString&)> hook;
    return hook;
}

// The files of one replacement of the local store, all beside it in Data/ but the images.
struct Swap {
    QString local;      // Data/EPData.ini
    QString fresh;      // the complete copy, Data/EPData.ini.new-copy-<id>
    QString staged;     // its images, <fresh>.Image/
    QString ready;      // the marker: <fresh>.ready, written once fresh and staged are whole
    QString kept;       // where the old store goes, Data/EPData.ini.复制前-<time>
    QString keptImages; // where the images it replaces go, <kept>.Image/
    QString images;     // the program folder's Image/
    QString from;       // the source as messages name it

    Swap(const QString& runPath, const QString& freshPath)
        : local(ProgramFolder::databasePath(runPath)), fresh(freshPath),
          staged(freshPath + QStringLiteral(".Image")), ready(freshPath + QStringLiteral(".ready")),
          images(QDir(runPath).filePath(QStringLiteral("Image"))) {}
    void keepAs(const QString& keptPath) {
        kept = keptPath;
        keptImages = keptPath + QStringLiteral(".Image");
    }
};

QString copyPrefix(const QString& runPath) {
    return QFileInfo(ProgramFolder::databasePath(runPath)).fileName() + QStringLiteral(".new-copy-");
}

QString lockPath(const QString& runPath) {
    return ProgramFolder::databasePath(runPath) + QStringLiteral(".copy-lock");
}

// A rename that neither replaces a file nor falls back to copying: each step is all or nothing.
bool move(const QString& from, const QString& to) {
    return QDir().rename(from, to);
}

// The marker holds what finishing needs: the name the old store is kept under and the source.
bool writeMarker(const Swap& swap) {
    QSaveFile file(swap.ready);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write((QStringLiteral("kept=") + QFileInfo(swap.kept).fileName() + QStringLiteral("\nfrom=") +
                swap.from + QLatin1Char('\n'))
                   .toUtf8());
    return file.commit();
}

bool readMarker(Swap& swap) {
    QFile file(swap.ready);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QString kept;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("kept=")))
            kept = line.mid(5);
        else if (line.startsWith(QLatin1String("from=")))
            swap.from = line.mid(5);
    }
    if (kept.isEmpty() || kept.contains(QLatin1Char('/')))
        return false;
    swap.keepAs(QFileInfo(swap.local).dir().filePath(kept));
    return true;
}

enum class Swapped { Done, Undo, Stuck };

// Puts a complete copy in place: the store, then the images. Every step can run again after a
// kill, so the next start finishes what a killed run began. Undo: nothing was changed (or the
// old store is back) and the copy is to be removed; Stuck: the marker must stay.
Swapped finishSwap(const Swap& s, QString* error) {
    if (QFileInfo::exists(s.fresh)) {
        if (QFileInfo::exists(s.local)) {
            if (QFileInfo::exists(s.kept) || !move(s.local, s.kept)) {
                *error = QStringLiteral("无法把 %1 改名为 %2")
                             .arg(QDir::toNativeSeparators(s.local), QDir::toNativeSeparators(s.kept));
                return Swapped::Undo;
            }
        }
        StoreCopy::reachStep(StoreCopy::kStoreKept);
        if (!move(s.fresh, s.local)) {
            *error = QStringLiteral("无法把 %1 改名为 %2")
                         .arg(QDir::toNativeSeparators(s.fresh), QDir::toNativeSeparators(s.local));
            if (QFileInfo::exists(s.kept) && move(s.kept, s.local))
                return Swapped::Undo;
            *error += QStringLiteral("；原数据文件在 %1，复制来的在 %2，下次启动时再完成")
                          .arg(QDir::toNativeSeparators(s.kept), QDir::toNativeSeparators(s.fresh));
            return Swapped::Stuck;
        }
    }
    StoreCopy::reachStep(StoreCopy::kStoreReplaced);
    const QDir staged(s.staged);
    for (const QString& name : staged.entryList(QDir::Files | QDir::Hidden, QDir::Name)) {
        const QString target = QDir(s.images).filePath(name);
        if (QFileInfo::exists(target)) {
            QDir().mkpath(s.keptImages);
            const QString keep = QDir(s.keptImages).filePath(name);
            if (QFileInfo::exists(keep) ? !QFile::remove(target) : !move(target, keep)) {
                *error = QStringLiteral("无法替换图片 ") + QDir::toNativeSeparators(target);
                return Swapped::Stuck;
            }
        }
        if (!move(staged.filePath(name), target)) {
            *error = QStringLiteral("无法替换图片 ") + QDir::toNativeSeparators(target);
            return Swapped::Stuck;
        }
    }
    QDir(s.staged).removeRecursively();
    QFile::remove(s.ready);
    return Swapped::Done;
}

// Whatever a copy of the local store left that is not complete: the new store, its journal,
// its images, a marker being written.
int removeUnfinished(const QString& runPath) {
    QDir data(QFileInfo(ProgramFolder::databasePath(runPath)).absolutePath());
    int removed = 0;
    for (const QFileInfo& entry :
         data.entryInfoList({copyPrefix(runPath) + QLatin1Char('*')},
                            QDir::Files | QDir::Dirs | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        const bool gone =
            entry.isDir() ? QDir(entry.filePath()).removeRecursively() : QFile::remove(entry.filePath());
        if (gone)
            ++removed;
    }
    return removed;
}

QString keptName(const QString& local) {
    const QString base = local + QStringLiteral(".复制前-") +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString name = base;
    for (int n = 2; QFileInfo::exists(name) || QFileInfo::exists(name + QStringLiteral(".Image")); ++n)
        name = base + QLatin1Char('-') + QString::number(n);
    return name;
}

} // namespace

void StoreCopy::setStepHook(std::function<void(const QString&)> hook) {
    stepHook() = std::move(hook);
}

void StoreCopy::reachStep(const QString& step) {
    if (stepHook())
        stepHook()(step);
}

StoreCopy::Result StoreCopy::copy(Database& source, Database& target, const QString& sourceImages,
                                  const QString& targetImages, const Recount& recount,
                                  const QStringList& leaveOut) {
    Result result;
    // Outside the transaction: the engine attaches no file within one.
    const bool attached = attachSource(source, target);
    try {
        target.begin();
        try {
            ensureImageTable(target);
            QStringList copied;
            for (const QString& table : source.tables()) {
                if (table.compare(kPendingTable, Qt::CaseInsensitive) == 0 ||
                    recount.tables.contains(table, Qt::CaseInsensitive) ||
                    leaveOut.contains(table, Qt::CaseInsensitive))
                    continue;
                const QVector<Column> columns = structureOf(source, table);
                if (columns.isEmpty())
                    continue;
                matchStructure(target, table, columns);
                target.exec(QStringLiteral("delete from ") + quotedName(table));
                copyRows(source, target, table, columns, attached);
                result.counts.append({table, rowCount(source, table), rowCount(target, table)});
                copied << table.toLower();
            }
            // The copy replaces everything: what the source has no table for keeps no rows.
            for (const QString& table : target.tables()) {
                if (table.compare(kPendingTable, Qt::CaseInsensitive) == 0)
                    target.exec(QStringLiteral("drop table ") + quotedName(table));
                else if (!copied.contains(table.toLower()))
                    target.exec(QStringLiteral("delete from ") + quotedName(table));
            }
            if (!sourceImages.isEmpty())
                result.images = takeImages(target, sourceImages);
            if (target.engine() == Engine::PostgreSQL)
                target.exec(ServerDialect::resetSequencesStatement());
            QStringList differ;
            for (const Count& c : result.counts)
                if (c.source != c.target && c.table.compare(kImages, Qt::CaseInsensitive) != 0)
                    differ << QStringLiteral("%1 (%2 → %3)").arg(c.table).arg(c.source).arg(c.target);
            if (!differ.isEmpty())
                throw DbError(QStringLiteral("复制后行数不符: ") + differ.join(QStringLiteral(", ")));
            if (recount.count)
                recount.count(target);
            reachStep(kRowsCopied);
            target.commit();
        } catch (...) {
            target.rollback();
            throw;
        }
        if (attached)
            detachSource(target);
        if (!targetImages.isEmpty())
            result.images += writeImages(target, targetImages);
        result.ok = true;
    } catch (const DbError& e) {
        result.error = e.message();
    }
    if (attached && !result.ok)
        detachSource(target);
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

int StoreCopy::readImages(Database& db, const QString& folder) {
    ensureImageTable(db);
    return takeImages(db, folder);
}

StoreCopy::Result StoreCopy::replaceLocal(Database& source, const QString& runPath, const Recount& recount,
                                          const QStringList& leaveOut) {
    Result result;
    QLockFile lock(lockPath(runPath));
    lock.setStaleLockTime(0);
    if (!lock.tryLock(0)) {
        result.error = QStringLiteral("本机数据正由另一个复制替换，请等它结束");
        return result;
    }
    Swap swap(runPath, ProgramFolder::databasePath(runPath) + QStringLiteral(".new-copy-") +
                           QUuid::createUuid().toString(QUuid::Id128));
    swap.from = source.path();
    swap.keepAs(keptName(swap.local));
    try {
        {
            Database target(QStringLiteral("overprint-copy-local-") +
                            QUuid::createUuid().toString(QUuid::Id128));
            createLocalStore(target, swap.fresh);
            result = copy(source, target, QString(), QString(), recount, leaveOut);
            if (result.ok)
                result.images = writeImages(target, swap.staged);
        }
        if (result.ok) {
            reachStep(kImagesStaged);
            if (!writeMarker(swap))
                throw DbError(QStringLiteral("无法写入 ") + QDir::toNativeSeparators(swap.ready));
        }
    } catch (const DbError& e) {
        result.ok = false;
        result.error = e.message();
    }
    if (!result.ok) {
        removeUnfinished(runPath);
        return result;
    }
    reachStep(kReady);
    QString error;
    switch (finishSwap(swap, &error)) {
    case Swapped::Done:
        result.kept = swap.kept;
        return result;
    case Swapped::Undo:
        // The marker goes first: from then on whatever is left is an unfinished copy.
        QFile::remove(swap.ready);
        removeUnfinished(runPath);
        result.error = error + QStringLiteral("；本机数据没有改变");
        break;
    case Swapped::Stuck:
        result.error = error;
        break;
    }
    result.ok = false;
    return result;
}

StoreCopy::Recovery StoreCopy::recoverLocal(const QString& runPath) {
    Recovery out;
    const QDir data(QFileInfo(ProgramFolder::databasePath(runPath)).absolutePath());
    const QStringList left = data.entryList(
        {copyPrefix(runPath) + QLatin1Char('*')},
        QDir::Files | QDir::Dirs | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    if (left.isEmpty())
        return out;
    QLockFile lock(lockPath(runPath));
    lock.setStaleLockTime(0);
    if (!lock.tryLock(0)) {
        out.ok = false;
        out.error = QStringLiteral("本机数据正由 overprint db copy --from 替换：请等它结束后再启动");
        return out;
    }
    QStringList said;
    for (const QString& name : left) {
        if (!name.endsWith(QLatin1String(".ready")))
            continue;
        const QString fresh = data.filePath(name.chopped(6));
        Swap swap(runPath, fresh);
        if (!readMarker(swap))
            continue;
        QString error;
        const Swapped done = finishSwap(swap, &error);
        if (done == Swapped::Stuck) {
            out.ok = false;
            out.error = QStringLiteral("上次从 %1 复制数据时被中断，现在无法完成：").arg(swap.from) + error;
            return out;
        }
        if (done == Swapped::Done)
            said << QStringLiteral(
                        "上次从 %1 复制数据时被中断，现已完成这次复制：本机数据和模板图片已换成复制来的"
                        "（原数据文件保留为 %2）")
                        .arg(swap.from, QDir::toNativeSeparators(swap.kept));
        else
            QFile::remove(swap.ready);
    }
    const bool unfinished = std::any_of(left.cbegin(), left.cend(), [&](const QString& name) {
        return !name.endsWith(QLatin1String(".ready")) && QFileInfo::exists(data.filePath(name));
    });
    if (removeUnfinished(runPath) > 0 && unfinished)
        said << QStringLiteral("上次从服务器复制数据时被中断，这次复制已撤销：本机数据和模板图片没有改变");
    out.message = said.join(QLatin1Char('\n'));
    return out;
}

} // namespace core
