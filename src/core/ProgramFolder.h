#pragma once

#include <QString>
#include <QStringList>

namespace core {

class Dialogs;

// The program folder: Data/EPData.ini, Image/, Temp/CheckIni/, Config.ini, Debug.ini.
class ProgramFolder {
public:
    // --home DIR on the command line, else OVERPRINT_HOME, else the user's own folder
    // $XDG_DATA_HOME/overprint (~/.local/share/overprint); created when missing, always
    // returned with a trailing separator.
    static QString resolveRunPath(const QStringList& arguments);
    // Creates the folders and, where missing, the database from the shipped schema and seed,
    // the empty template package, the shipped images and the default Config.ini. Never
    // overwrites what is there.
    // Removes what a killed write of the program left under its temporary names (see
    // removeLeftovers), and finishes or undoes a replacement of the local store by a copy that
    // was interrupted (StoreCopy::recoverLocal), saying which through dialogs when given.
    // Returns false with a reason when the folder cannot be prepared.
    static bool prepare(const QString& runPath, QString* error = nullptr, Dialogs* dialogs = nullptr);
    // Deletes the program's own temporary files in its own folders: images being written
    // (Image/<name>.part) and an unfinished copy of the database taken by the upgrade
    // (Data/EPData.ini.升级前-<time>.part). Nothing else is touched. Returns how many went.
    static int removeLeftovers(const QString& runPath);
    // The name under which the upgrade's copy of a database file is written until it is whole.
    static QString unfinishedBackupName(const QString& backupPath);
    static QString databasePath(const QString& runPath);
    // The folder of the shipped data (schema, seed, images, Config.ini, regions.tsv), with a
    // trailing '/': <prefix>/share/overprint beside the running executable, else the source
    // tree's data/ when the program runs from its build folder, else the configured prefix's.
    static QString shippedFolder();
    // The statements of the shipped schema and seed, in the order they run: what a new store is
    // made of, on the local file and on a server alike. Empty with the reason when one is
    // unreadable.
    static QStringList shippedStatements(QString* error = nullptr);
    // The empty template package, Data/Template.a01, created on a first start like the database.
    static QString packagePath(const QString& runPath);
    // The path itself when it exists, else a file of the same folder whose name differs only in
    // letter case (templates and packages made on Windows name their images in any case), else
    // the path unchanged.
    static QString existingPath(const QString& path);
};

} // namespace core
