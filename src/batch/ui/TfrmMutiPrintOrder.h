#pragma once

#include "batch/OrderStore.h"
#include "batch/PrintRun.h"

#include <QWidget>
#include <functional>

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QSpinBox;
class QToolButton;

namespace core {
class AppContext;
}
namespace core::ui {
class DataGrid;
class GridServices;
} // namespace core::ui
namespace entry::ui {
class TfmCheckFHDSHD;
}

namespace batch::ui {

// "青木鸟软件-批量打印快递单-收件人": the imported orders, filtered, sorted, edited in place, filled
// column-wise and deleted, and printed one note per order in one job through the entry window.
// Made on first use and kept; not modal.
class TfrmMutiPrintOrder final : public QWidget {
    Q_OBJECT
public:
    // The entry window the notes are printed through, nullptr while it is closed.
    using EntryWindow = std::function<entry::ui::TfmCheckFHDSHD*()>;

    TfrmMutiPrintOrder(core::AppContext& app, core::ui::GridServices& grids, EntryWindow entryWindow,
                       QWidget* parent = nullptr);
    ~TfrmMutiPrintOrder() override;
    Q_DISABLE_COPY_MOVE(TfrmMutiPrintOrder)

    // "导入Excel": the order import, a window of another folder, handed in by the program.
    // Without it the button stays disabled and says it is not available yet.
    void setImportCommand(std::function<void()> openImport);
    // Reads the list again, as "过滤刷新" does; the import calls it after a run. Nothing happens
    // while a print run holds the list.
    void reloadList();
    // "打印测试页" of the entry window's template, a window of another folder handed in by the
    // program. Without it the button stays disabled.
    void setTestPageCommand(std::function<void()> openTestPage);
    // Told the pages done and the pages of the run while it prints, several times a second and
    // at its end (the command line shows them on a terminal).
    void setPageProgress(std::function<void(int done, int total)> shown) {
        m_pageProgress = std::move(shown);
    }
    bool isPrinting() const { return m_printing; }
    // What the last print run did (the command line reports it).
    const RunResult& lastRun() const { return m_lastRun; }
    // The orders of the last run that another seat held or printed meanwhile, each with why.
    const QStringList& lastRefused() const { return m_lastRefused; }

    core::ui::DataGrid& grid() { return *DBGrid1; }
    core::ui::DataGrid& linesGrid() { return *DBGrid2; }
    QMenu* orderMenu() const { return pmOrders; }

    void ALoadGridData();
    void btAllClick();
    void btFromWriteClick();
    // Orders listed as 已打印 in a run: asked about first, or printed again without a
    // question (the command line's explicit option; it cannot ask).
    enum class Reprint { Ask, Include };
    void btStartPrintAllClick();
    void printSelectedClick();
    void printSelected(Reprint reprint);
    // "从当前条目起打印": the current order and every order listed after it.
    void printFromCurrentClick();
    void previewClick();
    void btStopPrintClick();
    void btFillColumnClick();
    void cbFieldChange();
    void btModifyFieldClick();
    void btDelSelectedClick();
    void btDeleteListClick();
    void btDelAllClick();
    void BitBtn1Click();
    void Label28Click();
    // Enables the commands from the list state and writes the counters.
    void updateCommands();
    // A visible list column 备注 (not the first): only then is the remark copied into the note.
    bool remarkSwitch() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildFilters();
    void buildCommands();
    void buildFillPanel();
    void buildGrids();
    void buildMenus();
    void showLines();
    void fillSortChoices();
    void fillPanelChoices();
    void hideFillPanel();
    void printRows(QList<int> rows, bool suspendDisplay, Reprint reprint = Reprint::Ask);
    // Whether the run goes on, and with which rows, when some were printed before; false: no run.
    bool askAboutPrinted(QList<int>& rows);
    void reloadAfterChange();
    // Reads the list again with the same rows selected and current, where they are still listed.
    void reloadKeepingSelection();

    core::AppContext& m_app;
    core::ui::GridServices& m_grids;
    OrderStore m_store;
    EntryWindow m_entryWindow;
    std::function<void()> m_openImport;
    std::function<void()> m_openTestPage;
    std::function<void(int, int)> m_pageProgress;
    bool m_printing = false;
    bool m_stop = false;
    RunResult m_lastRun;
    QStringList m_lastRefused;

    QLineEdit* keyEdit = nullptr;
    QComboBox* cbFilterFields = nullptr;
    QComboBox* cbEqualType = nullptr;
    QPushButton* _btRefreash = nullptr;
    QPushButton* btAll = nullptr;
    QComboBox* edtOrder = nullptr;
    QCheckBox* ckOrderTypeDesc = nullptr;
    QLineEdit* edtListCount = nullptr;
    QLineEdit* edtSelectedCount = nullptr;
    QWidget* panelCommands = nullptr;
    QPushButton* btFromExcel = nullptr;
    QPushButton* btFromWrite = nullptr;
    QPushButton* btStartPrintAll = nullptr;
    QPushButton* btStopPrint = nullptr;
    QPushButton* btFillColumn = nullptr;
    QPushButton* btMergeAction = nullptr;
    QPushButton* btMergeMark = nullptr;
    QPushButton* btGrid2Excel = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* btDelAll = nullptr;
    QPushButton* btDelSelected = nullptr;
    QPushButton* btDeleteList = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* btTestPage = nullptr;
    QSpinBox* edtStartAt = nullptr; // "开始批量打印所有" begins at this order of the list
    QLabel* Label28 = nullptr;
    QLabel* lbRunState = nullptr;
    QToolButton* btFirst = nullptr;
    QToolButton* btLast = nullptr;

    QFrame* panelFill = nullptr;
    QComboBox* cbField = nullptr;
    QComboBox* cbField1 = nullptr;
    QComboBox* cbField2 = nullptr;
    QComboBox* cbField3 = nullptr;
    QPushButton* btModifyField = nullptr;
    QPushButton* btFinished = nullptr;
    QPushButton* Button1 = nullptr;

    core::ui::DataGrid* DBGrid1 = nullptr;
    core::ui::DataGrid* DBGrid2 = nullptr;
    QMenu* pmOrders = nullptr;
    QMenu* pmLines = nullptr;
    QAction* nPrintSelected = nullptr;
    QAction* nPrintAll = nullptr;
    QAction* nPrintFromCurrent = nullptr;
    QAction* nPreview = nullptr;
    QAction* nDeleteSelected = nullptr;
    QAction* nDeleteListed = nullptr;
    QAction* nSaveWidths = nullptr;
    QAction* nColumns = nullptr;
    QAction* nLinesSaveWidths = nullptr;
    QAction* nLinesColumns = nullptr;
};

} // namespace batch::ui
