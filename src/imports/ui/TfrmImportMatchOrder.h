#pragma once

#include "imports/OrderImport.h"
#include "imports/SheetRun.h"

#include <QDialog>
#include <QVector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace core {
class AppContext;
}

namespace imports {
class ImportLog;
}

namespace imports::ui {

class ImportRunPanel;
class WorkbookSource;

// The order import: an order workbook into the order list and a goods-line workbook into the
// order lines, each with its own column matching. Start runs the order half, then the
// goods-line half.
class TfrmImportMatchOrder final : public QDialog {
    Q_OBJECT
public:
    explicit TfrmImportMatchOrder(core::AppContext& app, QWidget* parent = nullptr);
    ~TfrmImportMatchOrder() override;
    Q_DISABLE_COPY_MOVE(TfrmImportMatchOrder)

    // Open a workbook as the browse buttons do after their file dialogs.
    bool openOrderWorkbook(const QString& path);
    bool openDetailWorkbook(const QString& path);
    ImportRunPanel& runPanel() { return *m_panel; }
    const RunResult& orderResult() const { return m_orders; }
    const RunResult& detailResult() const { return m_lines; }

    void btStartClick();
    void btLogClick();
    void Label16Click();
    void Label17Click();
    void Label25Click();

    static QString formatHelp();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Escape during a run asks to stop it, like closing.
    void reject() override;

private:
    enum class Half { Orders, Lines };
    // The half's chosen sheet and columns; no sheet, after the failure is shown and put into
    // `failure`, when its workbook cannot be read.
    OrderImport::Half openHalf(Half half, ImportLog& log, RunResult& failure);
    void autoMatch(Half half);
    QVector<int> btReadyMatch(Half half) const;

    core::AppContext& m_app;
    WorkbookSource* m_orderSource = nullptr;
    WorkbookSource* m_detailSource = nullptr;
    ImportRunPanel* m_panel = nullptr;
    QVector<QComboBox*> m_orderChoosers;
    QVector<QComboBox*> m_detailChoosers;
    RunResult m_orders;
    RunResult m_lines;
    bool m_shown = false;

    QLineEdit* edtOrderFile;
    QPushButton* btBrowseOrder;
    QComboBox* cbOrderSheets;
    QLineEdit* edtDetailFile;
    QPushButton* btBrowseDetail;
    QComboBox* cbDetailSheets;
    QLabel* Label25;
    QLabel* Label13;
    QLabel* Label16;
    QLabel* Label17;
    QCheckBox* cfgWPSFirst;
    QCheckBox* ckReadLog;
    QPushButton* btStart;
    QPushButton* btStopIt;
    QPushButton* btLog;
    QPushButton* btHidden;
    QLabel* lblResult;
    QProgressBar* progress;
};

// Opens the order import modally: for the batch-printing window's "导入Excel" and the main
// window's command.
void openOrderImport(core::AppContext& app, QWidget* parent);

} // namespace imports::ui
