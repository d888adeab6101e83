#pragma once

#include "imports/SheetRun.h"

#include <QList>
#include <QObject>
#include <QString>
#include <functional>

class QHBoxLayout;
class QLabel;
class QProgressBar;
class QPushButton;
class QWidget;

namespace imports::ui {

// What the program does after an import: the address-book manager, when open, lists all
// again; the batch-printing window, when open, reloads its list. program::Program sets them.
struct ImportReloads {
    std::function<void()> addressBook;
    std::function<void()> batchList;
    void run() const;
};
ImportReloads& afterImport();

// The run controls both import windows show, under their object names: the result line, the
// progress bar, and the command row (start, stop and log on the left, close on the right).
struct RunControls {
    QPushButton* start;
    QPushButton* stop;
    QPushButton* log;
    QPushButton* close;
    QLabel* result;
    QProgressBar* progress;
    QHBoxLayout* row;
};
RunControls makeRunControls(QWidget* owner);

// The import log in a read-only window of the program, modal over `parent`, caption naming
// the file. Returns when the clerk closes it.
void showLogWindow(const QString& path, QWidget* parent);

// The run part of an import window: status line, progress bar, the start and stop commands,
// the stop flag and the log button. It is the run's observer, so the window stays responsive
// and can be stopped, also by closing it.
class ImportRunPanel final : public QObject, public RunObserver {
    Q_OBJECT
public:
    ImportRunPanel(QLabel* status, QProgressBar* progress, QPushButton* start, QPushButton* stop,
                   QPushButton* log, QObject* parent = nullptr);

    // Controls that must not change while a run reads the workbook (the workbook, its sheet,
    // the choosers, the options): disabled during a run, put back as they were after it.
    void setLockedDuringRun(const QList<QWidget*>& widgets) { m_locked = widgets; }
    // Start of a run: flag cleared, stop offered, start withdrawn.
    void begin();
    // End of a run: the log can be read; start offered again when asked.
    void end(bool startAgain);
    bool running() const { return m_running; }
    // The stop command and closing the window during a run.
    void requestStop();
    // For the window's close and Escape: during a run they ask to stop instead (true), the run
    // closing the window when it ends.
    bool stopInsteadOfClosing();

    // Opens the log with the program the desktop associates with it; when the desktop has
    // none, shows it in the program's own read-only window (modal, so it is read before the
    // import window closes). Tests record instead.
    void openLog(const QString& path) const;
    void setLogOpener(std::function<void(const QString&)> opener) { m_opener = std::move(opener); }
    // How the desktop opens a file: false when it cannot. Tests stand in for the desktop.
    void setDesktopOpener(std::function<bool(const QString&)> opener) { m_desktop = std::move(opener); }

    void status(const QString& text) override;
    void progressStart(int maximum) override;
    void progressStep() override;
    void progressEnd(bool stoppedHere) override;
    void serviceEvents() override;
    bool stopRequested() override { return m_stop; }
    void stopDeclined() override;

private:
    QLabel* m_status;
    QProgressBar* m_progress;
    QPushButton* m_start;
    QPushButton* m_stopButton;
    QPushButton* m_log;
    bool m_stop = false;
    bool m_running = false;
    std::function<void(const QString&)> m_opener;
    std::function<bool(const QString&)> m_desktop;
    QList<QWidget*> m_locked;
    QList<bool> m_lockedWasEnabled;
};

} // namespace imports::ui
