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

    // Connects the window's buttons btSave, btNew, btPrint1, btPrintAndSave, btMultiPrintF and
    // btSaveAs, found by object name, to the handlers below.
    void attach();

    // Validates and stores the note; true when stored.
    bool Save();
    // Loads a saved note into the window (empty variant: keep the shown one).
    void BrowseOldCheck(const QString& variant, const QString& number);
    // Whether a successful save shows its message; off while "保存并打印" runs.
    bool reportOnSave() const { return m_reportOnSave; }

    void btSaveClick();
    void btNewClick();
    void btPrint1Click();
    void btPrintAndSaveClick();
    void btMultiPrintFClick();
    void btSaveAsClick();

    DeliveryNote noteFromBoxes() const;

private:
    void showNote(const DeliveryNote& note);
    void setButtonEnabled(const QString& name, bool enabled);
    QString nextFreeNumber();
    void commitEditing();

    core::AppContext& m_app;
    NoteWindow& m_window;
    NoteEditing& m_editing;
    print::BillPrinter& m_printer;
    DeliveryNoteStore m_store;
    bool m_reportOnSave = true;
};

} // namespace entry::ui
