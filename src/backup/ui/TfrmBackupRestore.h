#pragma once

#include <QDialog>

#include <functional>

class QLabel;
class QPushButton;
class QTableWidget;

namespace core {
class AppContext;
}

namespace backup::ui {

// "从备份恢复": the backups of the backup folder with their time, size and counts from each
// file's manifest (a file that cannot be used says why), and the restore of the chosen one.
class TfrmBackupRestore final : public QDialog {
    Q_OBJECT
public:
    TfrmBackupRestore(core::AppContext& app, QWidget* parent = nullptr);

    // After a restore: the program starts again on the restored data.
    std::function<void()> restored;

    void reload();
    void btOtherFileClick();
    void btRestoreClick();
    void restoreFile(const QString& path);

    QLabel* lbFolder;
    QTableWidget* grid;
    QPushButton* btOtherFile;
    QPushButton* btRestore;
    QPushButton* btClose;

private:
    core::AppContext& m_app;
    QString m_folder;
};

} // namespace backup::ui
