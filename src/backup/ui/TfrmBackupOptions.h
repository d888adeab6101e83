#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;

namespace core {
class AppContext;
}

namespace backup::ui {

class BackupRunner;

// "数据备份": automatic backups on or off, the folder, how many to keep, and "立即备份" with its
// progress. The settings are saved by 确定 (and before a backup by hand, which uses them).
class TfrmBackupOptions final : public QDialog {
    Q_OBJECT
public:
    TfrmBackupOptions(core::AppContext& app, BackupRunner& runner, QWidget* parent = nullptr);

    void btBrowseClick();
    void btBackupNowClick();
    void save();

    QCheckBox* cbEnabled;
    QLineEdit* edFolder;
    QPushButton* btBrowse;
    QSpinBox* seDaily;
    QSpinBox* seWeekly;
    QSpinBox* seMonthly;
    QPushButton* btBackupNow;
    QProgressBar* pbProgress;
    QLabel* lbMessage;

private:
    core::AppContext& m_app;
    BackupRunner& m_runner;
};

} // namespace backup::ui
