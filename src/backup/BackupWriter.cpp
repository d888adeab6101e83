#include "backup/BackupWriter.h"

#include "backup/SqliteFile.h"
#include "core/Database.h"
#include "core/StoreCopy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QUuid>

#include <sqlite3.h>

namespace backup {

const QString BackupWriter::kCopied = QStringLiteral("backup-copied");
const QString BackupWriter::kFinished = QStringLiteral("backup-finished");
const QString BackupWriter::kChecked = QStringLiteral("backup-checked");
const QString BackupWriter::kRenamed = QStringLiteral("backup-renamed");

namespace {

const QString kImages = QStringLiteral("StoreImages");
// Config.ini is a small text file; anything larger is not ours to keep.
constexpr qint64 kMaxSettingsBytes = 4 * 1024 * 1024;

QString uniqueName(const QString& what) {
    return QStringLiteral("overprint-backup-") + what + QLatin1Char('-') +
           QUuid::createUuid().toString(QUuid::Id128);
}

sqlite3* handleOf(core::Database& db) {
    const QVariant v = db.connection().driver()->handle();
    if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(v.constData());
}

// Images, Config.ini and the manifest into the copy, in one transaction. counts: the source's
// rows per table; the image table is counted in the copy, where this seat's images joined it.
void writeExtras(core::Database& file, const QString& runPath, Manifest& manifest, bool replaceImages) {
    file.begin();
    try {
        if (replaceImages && file.hasTable(kImages))
            file.exec(QStringLiteral("delete from StoreImages"));
        manifest.images = core::StoreCopy::readImages(file, QDir(runPath).filePath(QStringLiteral("Image")));
        manifest.counts.insert(kImages,
                               file.scalar(QStringLiteral("select count(*) from StoreImages")).toLongLong());
        file.exec(QStringLiteral("create table BackupFiles (Name Text(255), Bytes blob)"));
        QFile settings(QDir(runPath).filePath(QStringLiteral("Config.ini")));
        if (settings.size() <= kMaxSettingsBytes && settings.open(QIODevice::ReadOnly))
            file.exec(QStringLiteral("insert into BackupFiles (Name, Bytes) values ('Config.ini', :b)"),
                      {{QStringLiteral("b"), settings.readAll()}});
        file.exec(QStringLiteral("create table BackupManifest (Key Text(255), Value Text(255))"));
        const auto put = [&file](const QString& key, const QString& value) {
            file.exec(QStringLiteral("insert into BackupManifest (Key, Value) values (:k, :v)"),
                      {{QStringLiteral("k"), key}, {QStringLiteral("v"), value}});
        };
        put(QStringLiteral("program"), manifest.program);
        put(QStringLiteral("schema"), manifest.schemaMark);
        put(QStringLiteral("taken"), manifest.taken.toString(Qt::ISODate));
        put(QStringLiteral("source"), manifest.source);
        put(QStringLiteral("images"), QString::number(manifest.images));
        for (auto it = manifest.counts.cbegin(); it != manifest.counts.cend(); ++it)
            put(QStringLiteral("rows:") + it.key(), QString::number(it.value()));
        file.commit();
    } catch (...) {
        file.rollback();
        throw;
    }
}

QString schemaMarkOf(core::Database& db) {
    try {
        return db.scalar(QStringLiteral("Select cvalue From configtable Where ltrim(rtrim(cname))='version'"))
            .toString();
    } catch (const core::DbError&) {
        return QString();
    }
}

} // namespace

BackupWriter::BackupWriter(core::Database& store, const QString& runPath, const QString& folder)
    : m_store(store), m_runPath(runPath), m_folder(folder) {}

BackupWriter::~BackupWriter() {
    if (m_worker.joinable())
        m_worker.join();
    if (m_backup)
        sqlite3_backup_finish(m_backup);
    m_target.reset();
    if (m_stage != Stage::Done && !m_part.isEmpty())
        QFile::remove(m_part);
}

void BackupWriter::fail(const QString& why) {
    if (m_backup)
        sqlite3_backup_finish(m_backup);
    m_backup = nullptr;
    m_target.reset();
    if (!m_part.isEmpty())
        QFile::remove(m_part);
    m_error = why;
    m_stage = Stage::Failed;
}

void BackupWriter::start() {
    if (!QDir().mkpath(m_folder)) {
        fail(QStringLiteral("无法创建备份文件夹 %1").arg(QDir::toNativeSeparators(m_folder)));
        return;
    }
    // A backup killed on the way left its .part; one a day old is no other seat's running backup.
    const QDateTime dayAgo = QDateTime::currentDateTime().addDays(-1);
    for (const QFileInfo& left :
         QDir(m_folder).entryInfoList({QStringLiteral("overprint-*.opbak.part")}, QDir::Files))
        if (left.lastModified() < dayAgo)
            QFile::remove(left.filePath());
    m_manifest.program = QStringLiteral(OVERPRINT_BACKUP_VERSION);
    m_manifest.schemaMark = schemaMarkOf(m_store);
    m_manifest.taken = QDateTime::currentDateTime();
    m_manifest.source = m_store.path();
    m_path = BackupFile::freshPath(m_folder, m_manifest.taken);
    m_part = m_path + QStringLiteral(".part");
    if (!m_store.filePath().isEmpty()) {
        sqlite3* source = handleOf(m_store);
        m_target = std::make_unique<SqliteFile>();
        if (!source || !m_target->open(m_part, false)) {
            fail(QStringLiteral("无法写入备份文件 %1：%2")
                     .arg(QDir::toNativeSeparators(m_part), m_target ? m_target->error() : QString()));
            return;
        }
        // The step of the last page would otherwise wait for the whole file to reach the disk,
        // on the event loop; the worker's transaction that writes the manifest syncs it instead,
        // before the check, and a .part is never a backup until then.
        m_target->exec(QStringLiteral("pragma synchronous=off"));
        m_backup = sqlite3_backup_init(m_target->handle(), "main", source, "main");
        if (!m_backup) {
            fail(QStringLiteral("无法开始备份：") + QString::fromUtf8(sqlite3_errmsg(m_target->handle())));
            return;
        }
        m_stage = Stage::Copying;
        return;
    }
    // A server store: read in one repeatable-read transaction (one moment of the store) on
    // connections made and closed by the worker.
    m_stage = Stage::Working;
    m_workerDone = false;
    const core::ServerAddress address = m_store.server();
    m_worker = std::thread([this, address] {
        try {
            core::Database target(uniqueName(QStringLiteral("file")));
            core::StoreCopy::createLocalStore(target, m_part);
            {
                core::Database source(uniqueName(QStringLiteral("server")));
                source.openServer(address);
                source.begin();
                QSqlQuery(source.connection())
                    .exec(QStringLiteral("set transaction isolation level repeatable read"));
                const core::StoreCopy::Result copied = core::StoreCopy::copy(source, target);
                source.rollback();
                if (!copied.ok)
                    throw core::DbError(copied.error);
                for (const core::StoreCopy::Count& c : copied.counts)
                    if (c.table.compare(kImages, Qt::CaseInsensitive) != 0)
                        m_manifest.counts.insert(c.table, c.source);
            }
            reachStep(kCopied);
            m_percent = 80;
            finishOnWorker(target, false);
        } catch (const core::DbError& e) {
            m_workerError = QStringLiteral("备份失败：") + e.message();
        }
        m_workerDone = true;
    });
}

void BackupWriter::copyPages() {
    const int rc = sqlite3_backup_step(m_backup, kPagesPerStep);
    const int total = sqlite3_backup_pagecount(m_backup);
    if (total > 0)
        m_percent = 80 * (total - sqlite3_backup_remaining(m_backup)) / total;
    if (rc == SQLITE_OK || rc == SQLITE_BUSY || rc == SQLITE_LOCKED)
        return;
    const int finished = sqlite3_backup_finish(m_backup);
    m_backup = nullptr;
    if (rc != SQLITE_DONE || finished != SQLITE_OK) {
        fail(QStringLiteral("备份数据时出错：") +
             QString::fromUtf8(sqlite3_errstr(rc != SQLITE_DONE ? rc : finished)));
        return;
    }
    m_target.reset();
    reachStep(kCopied);
    // The .part is the store as it was at the last page, and nothing writes it but the worker:
    // its rows are counted there, not in the store the clerk goes on changing.
    m_stage = Stage::Working;
    m_workerDone = false;
    m_worker = std::thread([this] {
        try {
            core::Database file(uniqueName(QStringLiteral("file")));
            file.open(m_part);
            for (const QString& table : file.tables())
                if (table.compare(kImages, Qt::CaseInsensitive) != 0)
                    m_manifest.counts.insert(
                        table, file.scalar(QStringLiteral("select count(*) from ") + quotedName(table))
                                   .toLongLong());
            finishOnWorker(file, true);
        } catch (const core::DbError& e) {
            m_workerError = QStringLiteral("备份时无法写入图片和设置：") + e.message();
        }
        m_workerDone = true;
    });
}

// On the worker: images, settings and manifest into the copy, then the whole file checked.
void BackupWriter::finishOnWorker(core::Database& file, bool replaceImages) {
    writeExtras(file, m_runPath, m_manifest, replaceImages);
    file.close();
    reachStep(kFinished);
    m_percent = 85;
    const Inspection checked = BackupFile::inspect(m_part, true);
    if (!checked.ok)
        m_workerError = QStringLiteral("备份失败：") + checked.error;
}

bool BackupWriter::step() {
    switch (m_stage) {
    case Stage::Start:
        start();
        break;
    case Stage::Copying:
        copyPages();
        break;
    case Stage::Working:
        if (!m_workerDone)
            break;
        m_worker.join();
        if (!m_workerError.isEmpty()) {
            fail(m_workerError);
            break;
        }
        reachStep(kChecked);
        if (!QDir().rename(m_part, m_path)) {
            fail(QStringLiteral("无法把备份文件改名为 %1").arg(QDir::toNativeSeparators(m_path)));
            break;
        }
        reachStep(kRenamed);
        m_percent = 100;
        m_stage = Stage::Done;
        break;
    case Stage::Done:
    case Stage::Failed:
        break;
    }
    return m_stage != Stage::Done && m_stage != Stage::Failed;
}

bool BackupWriter::run() {
    while (step())
        if (m_stage == Stage::Working)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return ok();
}

} // namespace backup
