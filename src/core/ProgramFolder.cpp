#include "core/ProgramFolder.h"

#include "core/Dialogs.h"
#include "core/StoreCopy.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

#include <utility>

namespace core {

namespace {

void setError(QString* error, const QString& text) {
    if (error)
        *error = text;
}

QString withTrailingSeparator(const QString& folder) {
    QString path = QDir::toNativeSeparators(QDir::cleanPath(QDir(folder).absolutePath()));
    if (!path.endsWith(QDir::separator()))
        path += QDir::separator();
    return path;
}

QString commandLineHome(const QStringList& arguments) {
    const QString option = QStringLiteral("--home");
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& arg = arguments.at(i);
        if (arg == option && i + 1 < arguments.size())
            return arguments.at(i + 1);
        if (arg.startsWith(option + QLatin1Char('=')))
            return arg.mid(option.size() + 1);
    }
    return {};
}

// Shipped SQL of the database in the order it must run: the schema, then every seed file by name.
QStringList databaseScripts() {
    const QString shipped = ProgramFolder::shippedFolder();
    QStringList seeds;
    QDirIterator it(shipped, {QStringLiteral("seed*.sql")}, QDir::Files);
    while (it.hasNext())
        seeds << it.next();
    seeds.sort();
    seeds.prepend(shipped + QStringLiteral("schema.sql"));
    return seeds;
}

// Statements end with ';' at the end of a line; whole-line comments are dropped so that a
// comment block never becomes a statement of its own.
QStringList splitStatements(const QString& script) {
    QStringList statements;
    QString current;
    for (const QString& line : script.split(QLatin1Char('\n'))) {
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QStringLiteral("--")))
            continue;
        current += line;
        current += QLatin1Char('\n');
        if (trimmed.endsWith(QLatin1Char(';'))) {
            statements << current.trimmed();
            current.clear();
        }
    }
    if (!current.trimmed().isEmpty())
        statements << current.trimmed();
    return statements;
}

bool runScripts(QSqlDatabase& db, const QStringList& scripts, QString* error) {
    if (!db.transaction()) {
        setError(error, db.lastError().text());
        return false;
    }
    for (const QString& name : scripts) {
        QFile file(name);
        if (!file.open(QIODevice::ReadOnly)) {
            db.rollback();
            setError(error, QStringLiteral("Cannot read shipped data %1").arg(name));
            return false;
        }
        const QString script = QString::fromUtf8(file.readAll());
        for (const QString& statement : splitStatements(script)) {
            QSqlQuery query(db);
            if (!query.exec(statement)) {
                const QString reason = query.lastError().text();
                query.finish();
                db.rollback();
                setError(error, QStringLiteral("%1: %2\n%3")
                                    .arg(QFileInfo(name).fileName(), reason, statement.left(200)));
                return false;
            }
        }
    }
    if (!db.commit()) {
        setError(error, db.lastError().text());
        db.rollback();
        return false;
    }
    return true;
}

// Builds the database under a temporary name and renames it into place, so an interrupted
// or failed first start leaves no half-made database behind; what a killed start left over
// is removed before the next attempt.
bool createDatabase(const QString& target, const QStringList& scripts, QString* error) {
    const QFileInfo targetInfo(target);
    const QString prefix = targetInfo.fileName() + QStringLiteral(".new-");
    QDir folder = targetInfo.absoluteDir();
    for (const QString& leftover : folder.entryList({prefix + QLatin1Char('*')}, QDir::Files))
        folder.remove(leftover);
    const QString temp = target + QStringLiteral(".new-") + QUuid::createUuid().toString(QUuid::Id128);
    const QString connection =
        QStringLiteral("overprint-prepare-") + QUuid::createUuid().toString(QUuid::Id128);
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(temp);
        if (!db.open())
            setError(error, QStringLiteral("Cannot create %1: %2").arg(temp, db.lastError().text()));
        else
            ok = runScripts(db, scripts, error);
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    if (ok && !QFile::rename(temp, target)) {
        setError(error, QStringLiteral("Cannot move the new database to %1").arg(target));
        ok = false;
    }
    if (!ok) {
        QFile::remove(temp);
        QFile::remove(temp + QStringLiteral("-journal"));
    }
    return ok;
}

// Copies a shipped file unless the target exists. Installed files are read-only, and the user
// must be able to replace pictures and edit Config.ini.
bool copyIfMissing(const QString& source, const QString& target, QString* error) {
    if (QFileInfo::exists(target))
        return true;
    if (!QFile::copy(source, target)) {
        setError(error, QStringLiteral("Cannot copy %1 to %2").arg(source, target));
        return false;
    }
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser |
                                      QFile::ReadGroup | QFile::ReadOther);
    return true;
}

} // namespace

QString ProgramFolder::shippedFolder() {
    // One copy of the data, where it is installed: beside the executable's own prefix (a
    // package may be unpacked anywhere), else the build's source tree when the program runs
    // from its build, else the prefix it was configured for.
    QStringList candidates;
    const QString exeDir = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
    if (!exeDir.isEmpty())
        candidates << QDir(exeDir).filePath(QStringLiteral(OVERPRINT_DATA_FROM_BINDIR));
    const QString build = QDir::cleanPath(QStringLiteral(OVERPRINT_BUILD_DIR)) + QLatin1Char('/');
    if (exeDir.isEmpty() || (QDir::cleanPath(exeDir) + QLatin1Char('/')).startsWith(build))
        candidates << QStringLiteral(OVERPRINT_SOURCE_DATA_DIR);
    candidates << QStringLiteral(OVERPRINT_INSTALLED_DATA_DIR);
    for (const QString& folder : std::as_const(candidates))
        if (QFileInfo::exists(QDir(folder).filePath(QStringLiteral("schema.sql"))))
            return QDir::cleanPath(folder) + QLatin1Char('/');
    return QDir::cleanPath(candidates.constLast()) + QLatin1Char('/');
}

QStringList ProgramFolder::shippedStatements(QString* error) {
    QStringList statements;
    for (const QString& name : databaseScripts()) {
        QFile file(name);
        if (!file.open(QIODevice::ReadOnly)) {
            setError(error, QStringLiteral("Cannot read shipped data %1").arg(name));
            return {};
        }
        statements += splitStatements(QString::fromUtf8(file.readAll()));
    }
    return statements;
}

QString ProgramFolder::resolveRunPath(const QStringList& arguments) {
    QString folder = commandLineHome(arguments);
    if (folder.isEmpty())
        folder = qEnvironmentVariable("OVERPRINT_HOME");
    if (folder.isEmpty()) {
        // The user's own folder under the XDG data folder; a relative XDG_DATA_HOME is invalid
        // and ignored, as the XDG base directory rules say.
        QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
        if (QDir::isRelativePath(dataHome))
            dataHome = QDir::homePath() + QStringLiteral("/.local/share");
        folder = dataHome + QStringLiteral("/overprint");
    }
    QDir().mkpath(folder);
    return withTrailingSeparator(folder);
}

bool ProgramFolder::prepare(const QString& runPath, QString* error, Dialogs* dialogs) {
    const QDir root(runPath);
    for (const QString& sub :
         {QStringLiteral("Data"), QStringLiteral("Image"), QStringLiteral("Temp/CheckIni")}) {
        if (!root.mkpath(sub)) {
            setError(error, QStringLiteral("Cannot create folder %1").arg(root.filePath(sub)));
            return false;
        }
    }

    removeLeftovers(runPath);
    // Before a missing store is built anew: a copy interrupted between its renames has the
    // store under its new name.
    const StoreCopy::Recovery recovered = StoreCopy::recoverLocal(runPath);
    if (!recovered.ok) {
        setError(error, recovered.error);
        return false;
    }
    if (!recovered.message.isEmpty() && dialogs)
        dialogs->message(recovered.message);

    const QString database = databasePath(runPath);
    if (!QFileInfo::exists(database) && !createDatabase(database, databaseScripts(), error))
        return false;
    const QString shipped = shippedFolder();
    const QString package = packagePath(runPath);
    if (!QFileInfo::exists(package) &&
        !createDatabase(package, {shipped + QStringLiteral("Template.a01.sql")}, error))
        return false;

    QDirIterator images(shipped + QStringLiteral("Image"), QDir::Files);
    while (images.hasNext()) {
        const QString source = images.next();
        if (!copyIfMissing(source, root.filePath(QStringLiteral("Image/") + QFileInfo(source).fileName()),
                           error))
            return false;
    }
    return copyIfMissing(shipped + QStringLiteral("Config.ini"), root.filePath(QStringLiteral("Config.ini")),
                         error);
}

int ProgramFolder::removeLeftovers(const QString& runPath) {
    const QDir root(runPath);
    // Folder and name patterns of files that are only ever temporary; a kill of the program
    // between writing one and renaming it into place is the only way one survives. The
    // "-journal" a killed copy may leave beside its file goes with it.
    const QList<QPair<QString, QStringList>> patterns{
        {QStringLiteral("Image"), {QStringLiteral("*.part")}},
        {QStringLiteral("Data"),
         {QStringLiteral("EPData.ini.升级前-*.part"), QStringLiteral("EPData.ini.升级前-*.part-journal")}}};
    int removed = 0;
    for (const auto& [sub, names] : patterns) {
        QDir folder(root.filePath(sub));
        for (const QString& name : folder.entryList(names, QDir::Files | QDir::Hidden | QDir::System))
            if (folder.remove(name))
                ++removed;
    }
    return removed;
}

QString ProgramFolder::unfinishedBackupName(const QString& backupPath) {
    return backupPath + QStringLiteral(".part");
}

QString ProgramFolder::databasePath(const QString& runPath) {
    return QDir::toNativeSeparators(QDir(runPath).filePath(QStringLiteral("Data/EPData.ini")));
}

QString ProgramFolder::packagePath(const QString& runPath) {
    return QDir::toNativeSeparators(QDir(runPath).filePath(QStringLiteral("Data/Template.a01")));
}

QString ProgramFolder::existingPath(const QString& path) {
    const QFileInfo file(path);
    if (file.exists())
        return path;
    const QDir folder = file.dir();
    for (const QString& name : folder.entryList(QDir::Files))
        if (name.compare(file.fileName(), Qt::CaseInsensitive) == 0)
            return folder.filePath(name);
    return path;
}

} // namespace core
