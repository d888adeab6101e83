#pragma once

#include "entry/DeliveryNoteStore.h"

#include <QObject>
#include <QString>

class QWidget;

namespace core {
class AppContext;
}
namespace print {
class BillPrinter;
}

namespace entry::ui {

class NoteEditing;
class NoteWindow;

// The commands of the entry window's tool bar that save, reload, empty and print a delivery
// note: "保存(&S)", "新建(&N)", "打印(&P)", "保存并打印", "重复打印", "复制(&C)", and the reload
// the history window asks for (BrowseOldCheck).
class NoteCommands final : public QObject {
    Q_OBJECT
public:
    NoteCommands(core::AppContext& app, NoteWindow& window, NoteEditing& editing, print::BillPrinter& printer,
                 QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(NoteCommands)

    // Connects the window's buttons btSave, btNew, btPrint1, btPrintAndSave, btMultiPrintF,
    // btSaveAs and btSendCopy, found by object name, to the handlers below.
    void attach();

    // Validates and stores the note; true when stored.
    bool Save();
    // Loads a saved note into the window (empty variant: keep the shown one). With a number it
    // first asks before replacing an unsaved note; false when the clerk keeps it.
    bool BrowseOldCheck(const QString& variant, const QString& number);
    // Whether a successful save shows its message; off while "保存并打印" runs.
    bool reportOnSave() const { return m_reportOnSave; }

    void btSaveClick();
    void btNewClick();
    void btPrint1Click();
    void btPrintAndSaveClick();
    void btMultiPrintFClick();
    void btSaveAsClick();
    // "发送给客户": the saved note as the customer's copy (PNG or PDF), put on the clipboard.
    void btSendCopyClick();

    DeliveryNote noteFromBoxes() const;

    // The note on screen as it is now counts as kept (shown, saved, reloaded or emptied).
    void markClean();
    // Something was typed since the note was last kept.
    bool hasUnsavedNote() const;
    // Whether the note on screen may be replaced by `action` (closing, a new note, a reload, a
    // batch fill): true when nothing is unsaved or the clerk agrees to discard it. Every path
    // that puts something else into the boxes asks through this, before changing anything.
    bool confirmDiscard(const QString& action = QStringLiteral("关闭"));
    // While agreed, confirmDiscard passes without asking: a command that asked once (a reprint
    // loading many pages) is not asked again for each of them.
    void agreeToDiscard(bool agreed) { m_discardAgreed = agreed; }

private:
    void showNote(const DeliveryNote& note);
    void setButtonEnabled(const QString& name, bool enabled);
    void commitEditing();
    // What is wrong with a note whose amounts are not valid amounts, or too large for the
    // money texts, naming the line where it can; empty when every amount is sound.
    QString badAmounts() const;
    // Shows why a save stopped, with the note of the command that saved when it has one.
    void saveFailed(const QString& message);
    QString savedCaption(const QString& number) const;
    // Whether a saved note other than the one this window reloaded or saved may be replaced.
    bool confirmOverwrite(const QString& number);

    core::AppContext& m_app;
    NoteWindow& m_window;
    NoteEditing& m_editing;
    print::BillPrinter& m_printer;
    DeliveryNoteStore m_store;
    bool m_reportOnSave = true;
    bool m_discardAgreed = false;
    QString m_saveFailureNote;
    bool m_saveFailureShown = false;
    // The number of the saved note this window shows (reloaded or saved here); empty for a
    // new note. Saving under it edits that note; under any other saved number asks first.
    QString m_ownNumber;
    DeliveryNote m_cleanNote;
};

} // namespace entry::ui
