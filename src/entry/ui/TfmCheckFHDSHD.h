#pragma once

#include "core/Lookups.h"
#include "core/ui/FormPlacement.h"
#include "entry/BillMoney.h"
#include "entry/EntryStore.h"
#include "entry/ui/BillBoxes.h"
#include "entry/ui/EntryHost.h"
#include "entry/ui/NoteWindow.h"
#include "print/BillPrinter.h"

#include <QList>
#include <QWidget>
#include <functional>
#include <memory>

class QAbstractButton;
class QCheckBox;
class QKeyEvent;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QScrollArea;
class QTabBar;
class QToolButton;

namespace core {
class AppContext;
class IniFile;
} // namespace core

namespace masterdata {
class TPerson;
}

namespace entry::ui {

class NoteCommands;
class NoteEditing;
class OptionBar;
class ProductPicker;

// The delivery-note entry window: the scanned form of the chosen 出货单 template with an input
// box laid over every field, the option bar and the tool bar. It is the one child of the main
// window's MDI area; its "tag" property carries the template on screen.
class TfmCheckFHDSHD final : public QWidget, public NoteWindow {
    Q_OBJECT
    Q_PROPERTY(int tag READ tag)
public:
    TfmCheckFHDSHD(core::AppContext& app, EntryHost& host, QWidget* parent = nullptr);
    ~TfmCheckFHDSHD() override;

    static QString kind() { return QStringLiteral("出货单"); }
    // False when the kind has no template at all; the window then closes itself.
    bool isBound() const { return m_currentId > 0; }
    int tag() const { return m_tag; }
    int currentCheckTypeId() const { return m_currentId; }

    // Template binding, also driven by the history, the batch printing and the main window.
    Q_INVOKABLE bool setCurrentCheckType(const QString& variant);
    Q_INVOKABLE void reloadTypeNameList();
    // Templates were added, renamed, hidden or deleted elsewhere: the list and the tabs offer
    // what the store holds now, the shown template staying on screen.
    void templatesChanged();
    // A unit of the address book was saved: the customer list offers it at once.
    void unitsChanged();
    // Lays the current template out again from a fresh cache (after a designer changed it).
    Q_INVOKABLE void reloadTemplate();
    void initFormType();
    void loadParam(int id);
    void loadCheckBox(const QString& captions);
    void loadCheckBoxsConfig();
    void cbFirstTypeNameChange();
    void tbcCheckTypeNameChange(int index);
    // The clerk picked another template (tab or drop-down): typed goods lines the new template
    // does not show would be neither saved nor printed, so the switch asks before dropping them.
    void switchTemplate(const QString& variant);
    QString getItemCheckTitle() const override;
    void setItemCheckTitle(const QString& captions) override;
    QList<QCheckBox*> tickItems() const { return m_tickItems; }

    // Money texts.
    // False when the total was refused (its message shown); the boxes keep the last total. A
    // running sum of the lines (or the shown total written again) is never refused for its range.
    bool setJEXX(const QString& total, BillMoney::Sum sum = BillMoney::Sum::Note);
    QString getNoStandardChineseJEDX() const;
    void WriteToJEGrid(const QStringList& digits);
    QString getMoneyCode();
    void setMoneyName(const QString& name);
    QString currencyName() const { return m_money.currencyName(); }
    // False when the line's amount is out of range (its message shown), which is then emptied.
    bool zdJEXX1Exit(int line);
    void zdJE1Enter(int line);
    void inputJEXXExit();
    void zdJEDXEnter();
    void zdHJJEEnter();
    void zdHJJEXXChange(const QString& text);
    // Commits a total typed into the hidden editor, as leaving it does.
    void commitPendingTotal();

    // Option handlers.
    void cfgMoneyTypeChange();
    // Reads the currencies again, keeping the chosen one: done each time the list is opened.
    void reloadMoneyTypeList();
    void cfgJEDXFormatChange();
    void cfgJEDXFormatNoStandardClick();
    void WantPrintRMBHBFHClick();
    void cfgHJJEXXWithYuanClick();
    void cfgHJJENeedQianFFClick();
    void cfgTotalJEWithSheepClick();
    void cfgJEXXNeedQianFFClick();
    void cfgJENeedSheepClick();
    void cfgWantPrintRQClick();
    void cfgDateFormatChange();
    void btRememberClick();
    void rememberOptions(bool fromButton);

    // Tool bar.
    void btUpOrDownClick();
    void btMoveXYClick();
    void btDesignClick();
    void btTestPageClick();
    void btOpenClick();
    void btCloseClick();
    // "地址串识别 &w": the recogniser is a window of a higher folder, handed in by the program. It
    // opens modally and returns the record the clerk handed over, or nullptr.
    using AddressRecogniser = std::function<std::unique_ptr<masterdata::TPerson>()>;
    void setAddressRecogniser(AddressRecogniser open);
    void btPasteClick();
    // The address book, handed in by the program: the red square picks a customer with it and
    // "保存客户" saves the bill's customer through it.
    using CustomerPicker = std::function<std::unique_ptr<masterdata::TPerson>()>;
    using PartySaver = std::function<void(const masterdata::TPerson&)>;
    void setAddressBook(CustomerPicker pick, PartySaver save);
    void btSaveSKRenClick();
    // "批量打印": the batch window belongs to a higher folder; the program hands in its opener.
    void setBatchPrinting(std::function<void()> open);
    // While a batch run prints through this window it refuses to close, so its job is never
    // left open on a window that is gone.
    // Asks before a batch fill replaces an unsaved note (NoteCommands::confirmDiscard).
    bool confirmDiscard(const QString& action);
    // The note a run leaves on screen was printed, not typed: at the end it counts as kept,
    // when the run filled the boxes at all.
    void setBatchRunning(bool running, bool filled = true);
    bool batchRunning() const { return m_batchRunning; }
    // The job calls of this window (prepare, begin, one note, new page, end, abort), as a
    // batch run drives them.
    print::BillPrinter& billPrinter() { return m_printer; }
    // The customer typed on the bill as "保存客户" hands it over.
    masterdata::TPerson customerRecord() const;
    bool toolBarAtTop() const { return m_barAtTop; }
    // The size that shows the whole form, tool bar to option bar.
    QSize fullSize() const { return m_fullSize; }
    // Sizes the sub-window to the form, within the main window's area, and keeps it on it.
    void fitIntoArea();

    void bgImageClick();
    void panelImgBgClick();
    void cbFirstTypeNameEnter();
    void SelDateCloseUp();
    void SelDateOrderCloseUp();

    // The window as the editing and command components see it.
    QWidget* container() override { return panelImgBg; }
    QWidget* noteForm() override { return this; }
    bool lineAmountRule(int line) override { return zdJEXX1Exit(line); }
    void totalRule(const QString& total) override { setJEXX(total); }
    void commitTypedTotal(const QString& total) override;
    void setCurrency(const QString& name) override;
    QString variant() const override;
    int templateId() const override { return m_currentId; }
    bool selectVariant(const QString& variant) override;
    void setWindowCaption(const QString& caption) override { setWindowTitle(caption); }

    BillBoxes& boxes() { return *m_boxes; }
    OptionBar& optionBar() { return *m_shortbar; }
    NoteEditing& editing() { return *m_editing; }
    ProductPicker& picker() { return *m_picker; }
    NoteCommands& commands() { return *m_commands; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void FormShow();
    void buildToolBar();
    void buildTabPanel();
    void buildImagePanel();
    void connectHandlers();
    void attachEditing();
    void placeToolBar(bool atTop);
    QToolButton* addToolButton(const QString& name, const QString& caption,
                               void (TfmCheckFHDSHD::*handler)());
    QToolButton* addPendingButton(const QString& name, const QString& caption);
    QToolButton* addHostButton(const QString& name, const QString& caption, EntryHost::Command command,
                               void (TfmCheckFHDSHD::*handler)());
    void fillTabs();
    void updateHostCommands();
    void refreshAllLines();
    void refreshTotal();
    // Writes the shown total again, in the options and currency now chosen.
    void reformatTotal();
    bool applyTotal(const TotalTexts& texts);
    void showLineEditor(QLineEdit* editor, QWidget* over);
    QWidget* frameWidget();
    int lineOf(QObject* watched, bool editor) const;
    // The button a key stands for while the focus is in this window: Ctrl+S saves, Ctrl+P
    // prints, Alt with a letter is the mnemonic of a shown tool button; nullptr otherwise.
    QAbstractButton* keyButton(QObject* receiver, const QKeyEvent* key);
    bool appEvent(QObject* watched, QEvent* event);
    class AppEvents;
    AppEvents* m_appEvents = nullptr;

    core::AppContext& m_app;
    EntryHost& m_host;
    core::Lookups m_lookups;
    core::ui::FormPlacement m_placement;
    EntryStore m_store;
    BillMoney m_money;
    print::BillPrinter m_printer;
    std::unique_ptr<core::IniFile> m_ini;

    QSize m_fullSize;
    int m_currentId = 0;
    int m_laidOutId = 0;
    // The template the form is laid out for (the drop-down already shows a newly picked one).
    QString m_shownVariant;
    int m_tag = 0;
    bool m_barAtTop = true;
    bool m_writingTotal = false;
    bool m_inLineExit = false;
    bool m_inTotalExit = false;
    bool m_closed = false;
    bool m_formShown = false;
    bool m_tearingDown = false;
    bool m_batchRunning = false;

    QFrame* toolBarCheck = nullptr;
    QList<QToolButton*> m_toolButtons;
    QList<std::pair<QToolButton*, EntryHost::Command>> m_hostButtons;
    QToolButton* btUpOrDown = nullptr;
    QToolButton* btPaste = nullptr;
    AddressRecogniser m_addressRecogniser;
    QToolButton* btSaveSKRen = nullptr;
    PartySaver m_saveParty;
    QToolButton* btMultiPrintS = nullptr;
    std::function<void()> m_openBatch;
    QWidget* panelTab = nullptr;
    QTabBar* tbcCheckTypeName = nullptr;
    QComboBox* cbFirstTypeName = nullptr;
    QScrollArea* panelCheckArea = nullptr;
    QWidget* panelImgBg = nullptr;
    QLabel* bgImage = nullptr;
    OptionBar* m_shortbar = nullptr;
    std::unique_ptr<BillBoxes> m_boxes;
    NoteEditing* m_editing = nullptr;
    ProductPicker* m_picker = nullptr;
    NoteCommands* m_commands = nullptr;
    QList<QCheckBox*> m_tickItems;
};

} // namespace entry::ui
