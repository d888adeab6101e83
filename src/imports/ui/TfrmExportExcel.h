#pragma once

#include "imports/GridExport.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QVector>

class QAbstractItemModel;
class QLabel;
class QPushButton;

namespace core {
class AppContext;
}

namespace imports {

// Progress window of a grid export: the counters of rows done and in total, start, abort and
// close. Start runs the export and closes the window when it ends; the window stays
// responsive during the run and can be aborted.
class TfrmExportExcel final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmExportExcel)

public:
    // columns: the model columns to write, in order; grid: the view whose painting is
    // suspended during the run (may be null).
    TfrmExportExcel(core::AppContext& app, QAbstractItemModel* model, QVector<int> columns,
                    const QString& title, QWidget* grid = nullptr, QWidget* parent = nullptr);

    void setOpener(GridExport::Opener opener) { m_opener = std::move(opener); }
    GridExport::Result outcome() const { return m_outcome; }
    QString savedPath() const { return m_savedPath; }

    void btStartClick();
    void btAbortClick();
    void btCloseClick();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    bool rowDone(int done);

    core::AppContext& m_app;
    QAbstractItemModel* m_model;
    QVector<int> m_columns;
    QString m_title;
    QWidget* m_grid;
    GridExport::Opener m_opener;
    GridExport::Result m_outcome = GridExport::Result::Cancelled;
    QString m_savedPath;
    bool m_abort = false;
    bool m_running = false;
    int m_done = 0;
    QElapsedTimer m_sinceShown;

    QLabel* lbHead;
    QLabel* lbN;
    QLabel* lbALL;
    QPushButton* btStart;
    QPushButton* btAbort;
    QPushButton* btClose;
};

} // namespace imports
