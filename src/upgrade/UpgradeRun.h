#pragma once

#include <QString>
#include <functional>

namespace core {
class AppContext;
class ColumnOps;
class Database;
} // namespace core

namespace upgrade {

// Brings the database of an earlier version and the empty template package Data/Template.a01
// up to the current tables: missing columns and item definitions added, item kinds set where
// they are empty, common courier templates marked, and both version marks written.
//
// Nothing is half done: the database is first copied aside (VACUUM INTO under a temporary name,
// renamed when whole; named in the final message), then every change to it and its version mark
// run in one transaction, the package's in another. A failure, a cancel or a killed process
// leaves each file as it was before. Each file is judged by its own mark, so a run stopped
// between the two finishes the package on the next run.
class UpgradeRun {
public:
    static constexpr int kMaximum = 150;

    explicit UpgradeRun(core::AppContext& app);

    // The progress line after each step ("进度:12/150 >> ..."), with the bar's position.
    std::function<void(int position, const QString& line)> progress;
    // Lets the user interface breathe during the long step; true asks the run to stop.
    std::function<bool()> pump;
    // Creates the column-matching table with its default rows when it is missing, on the
    // connection given; false when it could not. Without it that table is left to the imports.
    std::function<bool(core::Database&)> createMatchColumn;
    // Test seam: called at the named steps between two writes ("backup-copied": the copy is
    // written under its temporary name; "data-committed": the database and its mark are
    // committed, the package not yet). A test throws from it to leave the run there as a killed
    // process would, without any clean-up.
    std::function<void(const QString& step)> atStep;

    enum class Outcome { AlreadyCurrent, Refused, Upgraded, Failed, Cancelled };
    // Runs the upgrade; every message goes through the dialogs service.
    Outcome run();

    // The copy of the database taken before the changes (empty before a run).
    QString backupPath() const { return m_backup; }
    int position() const { return m_position; }

    // Whether the database or the template package carries a version mark older than the
    // program's: what the start-up offers the upgrade for. A data file that cannot be read, and a
    // package that cannot be read or is missing, give no reason to offer it.
    static bool isDue(core::AppContext& app);
    // The program's version text: the one the main window read, else the application's.
    static QString programVersion(const core::AppContext& app);

    // The check of an earlier installation from its program file: the message to show.
    static QString checkEnvironment(const QString& programFile);
    // The earlier database in a program folder (data/EPData.ini, letter case ignored), or empty.
    static QString earlierDatabase(const QString& folder);

private:
    enum class PackageMark { Current, Older, Unreadable };
    static PackageMark packageMark(const QString& path, const QString& version);

    void advance(int by, const QString& text);
    void step(const QString& name);
    bool backUp();
    void upgradeMain(core::ColumnOps& ops);
    bool upgradePackage(const QString& path);

    core::AppContext& m_app;
    QString m_version;
    QString m_backup;
    int m_position = 0;
    bool m_columnFailed = false;
};

} // namespace upgrade
