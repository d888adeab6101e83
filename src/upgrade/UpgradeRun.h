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
// Nothing is half done: the database is first copied aside (VACUUM INTO, named in the final
// message), then every change to it and its version mark run in one transaction, the package's
// in another. A failure, a cancel or a killed process leaves each file as it was before.
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

    enum class Outcome { AlreadyCurrent, Refused, Upgraded, Failed, Cancelled };
    // Runs the upgrade; every message goes through the dialogs service.
    Outcome run();

    // The copy of the database taken before the changes (empty before a run).
    QString backupPath() const { return m_backup; }
    int position() const { return m_position; }

    // The check of an earlier installation from its program file: the message to show.
    static QString checkEnvironment(const QString& programFile);
    // The earlier database in a program folder (data/EPData.ini, letter case ignored), or empty.
    static QString earlierDatabase(const QString& folder);

private:
    void advance(int by, const QString& text);
    void upgradeMain(core::ColumnOps& ops);
    bool upgradePackage(const QString& path);

    core::AppContext& m_app;
    QString m_backup;
    int m_position = 0;
    bool m_columnFailed = false;
};

} // namespace upgrade
