#pragma once

#include "core/Database.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

namespace core {

// A whole store moved from one database to another (the local file to a server, a server to
// a file, or file to file), checked afterwards by counting the rows of every table on both
// sides. The target is a store made from the shipped schema; what the source has beyond it
// (tables and columns added at run time) is created in the target first, every table's rows
// are replaced by the source's, keys included, and a table the source lacks is emptied, in one
// transaction on the target: a failed copy leaves the target as it was.
//
// Template images travel in the store's table StoreImages (name, bytes): a copy takes the
// images of the source's program folder with it and writes those of the target's store into
// the target's folder, so a server holds every seat's template images.
class StoreCopy {
public:
    struct Count {
        QString table;
        qint64 source = 0;
        qint64 target = 0;
    };
    struct Result {
        bool ok = false;
        QString error;
        QVector<Count> counts;
        int images = 0; // image files taken into the store or written out of it
        QString kept;   // replaceLocal: where the replaced local file is kept
    };
    // What is derived from the rows (the history's day totals): its tables are emptied on the
    // target rather than copied (a source of an earlier build may hold rows the target's keys
    // refuse), and `count` makes them again on the target in the copy's transaction, after the
    // rows are in and counted, before the commit.
    struct Recount {
        QStringList tables;
        std::function<void(Database& target)> count;
    };

    // sourceImages: the folder whose files go into the target's image table (empty: none);
    // targetImages: the folder the target's image table is written to (empty: none).
    // leaveOut: tables of the source that stay behind (a backup file's own bookkeeping).
    static Result copy(Database& source, Database& target, const QString& sourceImages = QString(),
                       const QString& targetImages = QString(), const Recount& recount = {},
                       const QStringList& leaveOut = {});

    // The program folder's local store and template images replaced by a copy of source. The
    // copy is made beside the store (Data/EPData.ini.new-copy-<id>, its images in
    // <that>.Image/); a marker <that>.ready says it is complete; then the store is swapped
    // (the old one kept as EPData.ini.复制前-<time>) and the images moved into Image/ (those
    // they replace kept in <kept>.Image/). A failure before the marker changes nothing; one
    // after it is finished by the next start (recoverLocal). Result.kept names the old store.
    static Result replaceLocal(Database& source, const QString& runPath, const Recount& recount = {},
                               const QStringList& leaveOut = {});

    struct Recovery {
        bool ok = true;  // false: the folder cannot be used now (error says why)
        QString message; // what was finished or undone; empty when nothing was found
        QString error;
    };
    // At start: finishes a replaceLocal that was interrupted after its copy was complete, and
    // removes what one interrupted before left. Refuses while another process is replacing.
    static Recovery recoverLocal(const QString& runPath);

    // Builds a new local store file at path from the shipped schema and seed (no file may be
    // there). Throws DbError.
    static void createLocalStore(Database& db, const QString& path);
    // Writes the rows of the image table into the folder, each under a temporary name renamed
    // when whole; names that are not plain file names are skipped. Returns how many were
    // written.
    static int writeImages(Database& db, const QString& folder);
    // The folder's image files into the store's image table (made when missing), replacing rows
    // of the same name. Returns how many were taken. Throws DbError.
    static int readImages(Database& db, const QString& folder);

    // The table a server store built as a copy's target holds until the copy commits.
    static const QString kPendingTable;

    // Named steps of a copy; a test stops or kills the process at one of them to see what an
    // interruption there leaves (the command takes the step from OVERPRINT_KILL_AT).
    static void setStepHook(std::function<void(const QString& step)> hook);
    static void reachStep(const QString& step);
    static const QString kTargetBuilt;   // db copy --to: the target store opened (built if empty)
    static const QString kRowsCopied;    // every row in, before the commit
    static const QString kImagesStaged;  // replaceLocal: images written beside the new store
    static const QString kReady;         // replaceLocal: the marker written
    static const QString kStoreKept;     // replaceLocal: the old store renamed aside
    static const QString kStoreReplaced; // replaceLocal: the new store in place, images not yet
};

} // namespace core
