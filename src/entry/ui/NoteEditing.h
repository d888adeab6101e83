#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class QComboBox;
class QDateTimeEdit;
class QMenu;
class QWidget;

namespace core {
class AppContext;
}
namespace masterdata {
class TPerson;
}

namespace entry::ui {

class NoteWindow;

// The editing rules of a delivery note on the entry window's boxes: customer, issuer and payee
// lists, free fields through the drop-down editor cbFetcher, unit lists, the line amount on
// every quantity change and on leaving a price, the totals, the two dates and the bill number.
// It works on any container whose children carry the item names (letter case ignored), so the
// entry window attaches it with one call and tests use a plain widget with named children.
class NoteEditing final : public QObject {
    Q_OBJECT
public:
    NoteEditing(core::AppContext& app, NoteWindow& window, QObject* parent = nullptr);
    ~NoteEditing() override;
    Q_DISABLE_COPY_MOVE(NoteEditing)

    static constexpr int kLines = 8;
    static const QString kNumberMessage;

    // Connects the boxes found under the window's container; call once after they exist.
    void attach();

    // Opens the address book for picking a partner unit (fetchOnePerson "往来单位",
    // "选取客户名称"); nothing picked gives nullptr.
    std::function<std::unique_ptr<masterdata::TPerson>()> fetchCustomer;
    // Opens the bill-number rule window for a template with a caption.
    std::function<void(int templateId, const QString& caption)> openNumberRules;

    // Box access by item name, letter case ignored.
    QWidget* box(const QString& name) const;
    QString text(const QString& name) const;
    void setText(const QString& name, const QString& value);
    // Shown by the template (also before the window itself is on screen).
    bool isShown(const QString& name) const;
    static QString textOf(const QWidget* widget);
    static void setTextOf(QWidget* widget, const QString& value);

    void setCustomer(const masterdata::TPerson* person);
    // Reads the partner units of the customer list again when it was read before; the typed
    // customer stays.
    void reloadCustomerList();

    // Quantity × price of line n into zdJEXXn, then the window's line-amount rule. Typing runs it
    // once the quantity reads as a number; leaving the quantity or the price runs it always.
    void lineChanged(int line);
    // Goods name, quantity, price or amount of line n hold something.
    bool lineHoldsValues(int line) const;
    // Empties every field of line n, recomputes it and then empties its raw amount.
    void clearLine(int line);
    // While suspended, quantity changes do not recompute their line (a reload fills whole lines).
    void suspendLineRule(bool on) { m_lineRuleSuspended = on; }

    // The total of the visible line amounts as text, or nothing after showing the failure;
    // also copies the currency into zdMoneyType and runs SumSL.
    std::optional<QString> SumAllJE();
    void SumSL();

    // Writes the pickers' dates into zdNianYueRi and zdDateOrder in the chosen format.
    void refreshDates();
    QDateTimeEdit* issueDatePicker() const;
    QDateTimeEdit* orderDatePicker() const;

    // The next number of the series "S" of the current template that no saved note carries;
    // empty after a shown failure. It stays the next number until a note is saved under it.
    QString buildMaxCheckNO();
    // Moves the series "S" of the current template past the numbers saved notes carry; a save
    // runs it in its transaction. Raises core::DbError.
    void settleNumbers();
    QMenu* numberMenu() const { return m_numberMenu; }

    // Up/Down among the goods names 1 … 5; false when the move was skipped.
    bool moveGoodsFocus(int line, bool down);

    static QString lineBox(const char* prefix, int line);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void zdGKMCEnter();
    void zdGKMCSelect(const QString& name);
    void peopleEnter(QComboBox* combo, const QString& dictionary);
    void unitEnter(QComboBox* combo);
    void freeFieldEnter(QWidget* field);
    void cbFetcherExit();
    void shpSKRClick();
    void zdPJBHDblClick();
    void nNewNumberClick();
    void nClearNumberClick();
    void nNumberRulesClick();
    void writeDate(QDateTimeEdit* picker, const QString& boxName);
    void lineTyped(int line);
    void lineLeft(int line);
    void showNumberMessage(int line);
    static void fillList(QComboBox* combo, const QStringList& items);
    int lineOf(const QObject* watched, const char* prefix) const;

    core::AppContext& m_app;
    NoteWindow& m_window;
    mutable QHash<QString, QPointer<QWidget>> m_boxes;
    QPointer<QComboBox> m_fetcher;
    QPointer<QWidget> m_fetcherTarget;
    QPointer<QWidget> m_square;
    QString m_squareStyle; // the customer square's own look, kept under the hover fill
    QMenu* m_numberMenu = nullptr;
    bool m_lineRuleSuspended = false;
    bool m_inLineRule = false;
};

} // namespace entry::ui
