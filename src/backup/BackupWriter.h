#pragma once

#include "backup/BackupFile.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <memory>
#include <thread>

struct sqlite3_backup;

namespace core {
class Database;
}

namespace backup {

class SqliteFile;

// One backup of the whole store into a folder, taken in steps so the program stays usable: the
// local file through SQLite's online backup on the program's own connection (a few hundred
// pages a step; a write of the program in between is carried into the copy), a server store
// through StoreCopy on a worker thread with connections of its own. The file is written as
// <name>.part; its rows are counted, images, settings and manifest written and the whole file
// checked (integrity, rows against the manifest) on a worker thread, so no step on the event
// loop does more than a few hundred pages. Only then is it renamed: a file under a backup's
// name is always complete. A failure removes the .part and never touches the store.
class BackupWriter {
public:
    // runPath: the program folder (its Image/ and Config.ini go into the backup).
    BackupWriter(core::Database& store, const QString& runPath, const QString& folder);
    ~BackupWriter();
    BackupWriter(const BackupWriter&) = delete;
    BackupWriter& operator=(const BackupWriter&) = delete;

    // One step; false once finished (ok() or error()).
    bool step();
    // All steps at once (commands, the backup before a restore).
    bool run();
    // 0 … 100.
    int percent() const { return m_percent; }
    bool ok() const { return m_stage == Stage::Done; }
    QString error() const { return m_error; }
    // The finished file.
    QString path() const { return m_path; }
    const Manifest& manifest() const { return m_manifest; }

    // Pages copied per step of the local file's online backup.
    static constexpr int kPagesPerStep = 256;

    // Named steps (kill tests).
    static const QString kCopied;   // every page (or row) in the .part
    static const QString kFinished; // images, settings and manifest in the .part
    static const QString kChecked;  // the .part checked, not yet renamed
    static const QString kRenamed;  // the backup under its name

private:
    // Copying: pages on the event loop (local file); Working: the worker copies (server),
    // finishes and checks the file.
    enum class Stage { Start, Copying, Working, Done, Failed };
    void start();
    void copyPages();
    void finishOnWorker(core::Database& file, bool replaceImages);
    void fail(const QString& why);

    core::Database& m_store;
    QString m_runPath;
    QString m_folder;
    QString m_path;
    QString m_part;
    Stage m_stage = Stage::Start;
    std::atomic<int> m_percent{0};
    QString m_error;
    Manifest m_manifest;
    std::unique_ptr<SqliteFile> m_target;
    sqlite3_backup* m_backup = nullptr;
    // The worker that finishes the file (and copies a server store first).
    std::thread m_worker;
    std::atomic<bool> m_workerDone{false};
    QString m_workerError; // the clerk's text
};

} // namespace backup
