#pragma once

#include "history/NoteHistoryStore.h"

#include <QDialog>
#include <functional>
#include <memory>
#include <optional>

class QAbstractItemDelegate;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;

namespace core {
class AppContext;
}
namespace core::ui {
class DataGrid;
class GridServices;
} // namespace core::ui
namespace masterdata {
class TPerson;
}

namespace history::ui {

// "收据及发票查询": the saved delivery notes, searched with filters and date presets, the goods
// lines of the current note below them, the count and the sum of what was found; notes are
// voided, marked with a state, deleted, exported and reopened in the entry window.
//
// The header grid reads its rows a batch at a time as it scrolls; the count, the sum, "删除列出"
// and the export work on the whole result through its condition, never over the rows read.
class TfmSearch_FHDSHD final : public QDialog {
    Q_OBJECT
public:
    // Shows a saved note (template kind, bill number) in the entry window; false when it did not.
    using NoteOpener = std::function<bool(const QString& kind, const QString& number)>;
    // The address-book manager picking one unit of a kind under a caption; nullptr when none.
    using PersonPicker =
        std::function<std::unique_ptr<masterdata::TPerson>(const QString& kind, const QString& caption)>;

    // Writes the customer's copies of saved notes, each (template kind, bill number).
    using CopySender = std::function<void(const QList<std::pair<QString, QString>>& notes)>;

    // Without an opener "打开(&O)" and "打开查看" are disabled, without a picker "选" is, without
    // a sender "发送给客户".
    TfmSearch_FHDSHD(core::AppContext& app, core::ui::GridServices& grids, NoteOpener opener = {},
                     PersonPicker picker = {}, QWidget* parent = nullptr, CopySender sender = {});
    ~TfmSearch_FHDSHD() override;
    Q_DISABLE_COPY_MOVE(TfmSearch_FHDSHD)

    core::ui::DataGrid& grid() { return *DBGrid1; }
    core::ui::DataGrid& linesGrid() { return *DBGrid2; }
    // Found notes and their sum as the labels show them.
    qint64 foundCount() const { return m_count; }
    QMenu* stateMenu() const { return mState; }

    // Opens on a chosen filter (the overview's bar): the boxes it names are filled, the others
    // emptied, and the query runs. A product, which has no box, shows in the title until
    // "全部" or a date preset clears the filters.
    void presetFilter(const NoteFilter& filter);

    void btQueryClick();
    void btAllClick();
    void btOpenClick();
    void btVoidClick();
    void btDeleteClick();
    void btDeleteListClick();
    void btClearClick();
    void btExportClick();
    // "发送给客户": the selected notes (the current one when none is selected).
    void btSendCopyClick();
    void btSKRClick();
    void datePresetClick(const QString& entry);
    void filterSKRKeyEnter();
    void filterSKRExit();
    void stateChosen(const QString& entry);
    void openStateDictionary();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    void buildFilters();
    void buildCommands();
    void buildGrids();
    void buildMenus();
    void resetFilters();
    void runQuery();
    void showResult(const NoteTotals& totals);
    void refreshList();
    void showLines();
    void fillStateMenu();
    void loadListOnce(QObject* box);
    void setDatesEnabled(bool enabled);
    NoteFilter readFilters();

    core::AppContext& m_app;
    core::ui::GridServices& m_grids;
    NoteHistoryStore m_store;
    NoteOpener m_opener;
    PersonPicker m_picker;
    CopySender m_sender;

    QComboBox* cb_PJBH;
    QComboBox* filterTypeName;
    QComboBox* filterState;
    QLineEdit* filterSKR;
    QPushButton* btSKR;
    QPushButton* btNoSKR;
    QPushButton* btNoType;
    QPushButton* btNoJE;
    QCheckBox* ckNomatterRQ;
    QDateEdit* Date1;
    QDateEdit* Date2;
    QLineEdit* edtJEFrom;
    QLineEdit* edtJETo;
    QListWidget* lstDatePreset;
    QPushButton* btQuery;
    QPushButton* btAll;
    QPushButton* btOpen;
    QPushButton* btClose;
    QCheckBox* ckDblOpen;
    QPushButton* btExport;
    QPushButton* btSendCopy;
    QPushButton* btClear;
    QPushButton* btDelete;
    QPushButton* btDeleteList;
    QPushButton* btVoid;
    QLabel* Pjcount;
    QLabel* lbSum;
    core::ui::DataGrid* DBGrid1;
    core::ui::DataGrid* DBGrid2;
    QMenu* mState;
    QAbstractItemDelegate* m_lineMoney;

    QString m_sortColumn = QStringLiteral("流水号");
    // The last statement run with its values; an identical query does not run again.
    QString m_memo;
    // What the grid lists: the condition of the query that filled it, bounded by the last note
    // it found. Empty while the grid holds no result of a query that ran (a failed query
    // empties it), so "删除列出" never deletes by an earlier or a missing condition.
    std::optional<NoteCondition> m_listed;
    qint64 m_count = 0;
    bool m_settingDates = false;
    QString m_productCode;
    QString m_productName;
    QList<QObject*> m_listsLoaded;
};

} // namespace history::ui
