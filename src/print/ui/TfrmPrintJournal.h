#pragma once

#include "print/PrintJournal.h"

#include <QDialog>

#include <functional>

class QComboBox;
class QDateEdit;
class QLineEdit;
class QSpinBox;

namespace core {
class AppContext;
namespace ui {
class DataGrid;
}
} // namespace core

namespace print::ui {

// "打印记录": the print journal filtered by date, printer, job and number, and its reprint: the
// selected pages, or a job from page n to its end ("从第n张起"), in one job. The reprint itself
// is handed in (the program prints through the entry window); without one the reprint buttons
// stay disabled.
class TfrmPrintJournal final : public QDialog {
    Q_OBJECT
public:
    // Pages handed to the printer, 0 when nothing was printed.
    using Reprinter = std::function<int(const QVector<JournalPage>& pages)>;

    TfrmPrintJournal(core::AppContext& app, Reprinter reprinter, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TfrmPrintJournal)

    core::ui::DataGrid& grid() { return *m_grid; }

    void btQueryClick();
    void btReprintSelectedClick();
    void btReprintFromClick();

private:
    void reprint(const QVector<JournalPage>& pages);

    core::AppContext& m_app;
    PrintJournal m_journal;
    Reprinter m_reprinter;
    QDateEdit* m_from;
    QDateEdit* m_to;
    QComboBox* m_printer;
    QSpinBox* m_job;
    QLineEdit* m_number;
    core::ui::DataGrid* m_grid;
    QSpinBox* m_fromPage;
};

} // namespace print::ui
