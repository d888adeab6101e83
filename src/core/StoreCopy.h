#pragma once

#include "core/Database.h"

#include <QString>
#include <QVector>

namespace core {

// A whole store moved from one database to another (the local file to a server, a server to
// a file, or file to file), checked afterwards by counting the rows of every table on both
// sides. The target is a store made from the shipped schema; what the source has beyond it
// (tables and columns added at run time) is created in the target first, and every table's
// rows are replaced by the source's, keys included, in one transaction on the target: a failed
// copy leaves the target as it was.
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
    };

    // sourceImages: the folder whose files go into the target's image table (empty: none);
    // targetImages: the folder the target's image table is written to (empty: none).
    static Result copy(Database& source, Database& target, const QString& sourceImages = QString(),
                       const QString& targetImages = QString());
    // Builds a new local store file at path from the shipped schema and seed (no file may be
    // there). Throws DbError.
    static void createLocalStore(Database& db, const QString& path);
    // Writes the rows of the image table into the folder, each under a temporary name renamed
    // when whole; names that are not plain file names are skipped. Returns how many were
    // written.
    static int writeImages(Database& db, const QString& folder);
};

} // namespace core
