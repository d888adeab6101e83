#pragma once

#include "upgrade/UpgradeRun.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTimer;

namespace core {
class AppContext;
class Database;
class InstallRecord;
} // namespace core

namespace upgrade::ui {

// "青木鸟软件升级包": checks an earlier installation's folder and upgrades the program's database
// and the empty template package to the current tables (UpgradeRun).
class TfrmUp2NewVersion final : public QDialog {
    Q_OBJECT
public:
    // programFile presets the path box; record gives the registered run path of an earlier
    // installation when the box names no program.
    TfrmUp2NewVersion(core::AppContext& app, const QString& programFile, core::InstallRecord* record,
                      QWidget* parent = nullptr);

    // Handed to the run: creates the column-matching table when it is missing.
    std::function<bool(core::Database&)> createMatchColumn;

    void btBrowseClick();
    void btEnvTestClick();
    void btStartUpdateClick();

    QComboBox* cbAppFile;
    QPushButton* btBrowse;
    QPushButton* btEnvTest;
    QPlainTextEdit* memoNotes;
    QPushButton* btStartUpdate;
    QPushButton* BitBtn4;
    QProgressBar* ProgressBar1;
    QLabel* lbMessage;

protected:
    void reject() override;

private:
    core::AppContext& m_app;
    core::InstallRecord* m_record;
    QTimer* m_focusClock;
    bool m_running = false;
    bool m_stop = false;
};

} // namespace upgrade::ui
