#pragma once

#include <QDateTime>
#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>

namespace backup {

// What a backup file says of itself (its table BackupManifest): who wrote it, of which store,
// when, and how many rows each table held.
struct Manifest {
    QString program;    // the program's version that wrote it
    QString schemaMark; // the store's data version mark (configtable "version")
    QDateTime taken;
    QString source; // the store's file or server
    int images = 0;
    QMap<QString, qint64> counts; // table -> rows

    // Rows of a table, its name in any case (a server keeps names in lower case).
    qint64 rows(const QString& table) const;
    qint64 notes() const;
    qint64 customers() const;
    qint64 templates() const;
};

// One backup file judged: readable as ours, whole, not of a newer program.
struct Inspection {
    bool ok = false;
    QString error; // the clerk's text when not ok
    Manifest manifest;
    qint64 size = 0;
};

// A backup is one SQLite file: every table of the store as it was at one moment, the template
// images (StoreImages, as StoreCopy carries them), Config.ini (BackupFiles) and the manifest.
class BackupFile {
public:
    static const QString kSuffix;        // ".opbak"
    static const QString kManifestTable; // BackupManifest
    static const QString kFilesTable;    // BackupFiles
    // The tables of a backup file that are no part of the store.
    static QStringList ownTables();

    // overprint-备份-2026-12-11-0930.opbak (a second backup of the same minute gains -2, -3 …).
    static QString fileName(const QDateTime& time);
    // The time a name of fileName() carries; invalid for any other name.
    static QDateTime timeOfName(const QString& name);
    // Which backup of its minute a name is: 1 for none, n for "-n".
    static int sequenceOfName(const QString& name);
    // Whether backup name a was taken after b (their times, then their places in the minute).
    static bool newer(const QString& a, const QString& b);
    // A name in folder for a backup taken at time that no file has yet (nor its .part).
    static QString freshPath(const QString& folder, const QDateTime& time);

    // Refuses what is not a whole backup of this program: not SQLite or no manifest (foreign),
    // shorter than its pages (truncated), a manifest of a newer program, and with whole also a
    // failed integrity check or row counts that differ from the manifest (damaged). Nothing is
    // written to the file.
    static Inspection inspect(const QString& path, bool whole);
    // The backups of a folder (names of fileName()), newest first.
    static QStringList list(const QString& folder);
};

// The kill tests' named steps of a backup and a restore.
void setStepHook(std::function<void(const QString& step)> hook);
void reachStep(const QString& step);

} // namespace backup
