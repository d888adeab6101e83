#pragma once

#include "print/ItemRenderer.h"
#include "print/PrintDevice.h"
#include "print/PrintJournal.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>

#include <optional>

class QWidget;

namespace core {
class AppContext;
}

namespace print {

class UnprintableCharacter;

// The print job of the delivery-note entry window, for its commands "打印(&P)", "保存并打印",
// "重复打印" and for batch printing. The entry window owns one and delegates:
//
//     print::BillPrinter printer(app, device, this);   // this = the entry window
//     "打印(&P)":   printer.printCurrentBill(1);        // or the calls below one by one
//     "重复打印":   printer.printCurrentBill(count);
//     batch:        PrintPrepare(); PrinterTransBegin(0);
//                   for each bill { fill the boxes; SendCheckToPrinter(id); NewCheckPage() between }
//                   PrinterTransEnd();   // AbortPrint() when the user stops
//
// It finds by object name (letter case ignored) on the form: cbFirstTypeName (the variant),
// cfgMoneyType (currency name, for its abbreviation), the option boxes cfgPrintPriceJE,
// cfgPrintDH, cfgPrintRemark, and panelImgBg, the panel of the input boxes (the form itself
// when it has none). The template is app.currentCheckTypeId at PrintPrepare; every call after
// a failed PrintPrepare does nothing (app.printReady). Messages go through app.dialogs().
class BillPrinter {
public:
    BillPrinter(core::AppContext& app, PrintDevice& device, QWidget* form);
    // Writes what the journal still lacks.
    ~BillPrinter();
    Q_DISABLE_COPY_MOVE(BillPrinter)

    bool PrintPrepare();
    void PrinterTransBegin(int copies);
    // Prints the current bill as one page; the argument is not used (the template is the one
    // prepared).
    void SendCheckToPrinter(int id);
    void NewCheckPage();
    void PrinterTransEnd();
    void AbortPrint();

    // PrintPrepare, PrinterTransBegin(copies), SendCheckToPrinter, PrinterTransEnd. True when
    // the job reached the spooler.
    bool printCurrentBill(int copies);
    // The last job reached the spooler (PrinterTransEnd succeeded).
    bool spooled() const { return m_spooled; }

    // The template and offsets of the prepared job.
    int templateId() const { return m_templateId; }
    int xOffset() const { return m_xOffset; }
    int yOffset() const { return m_yOffset; }
    ItemRenderer& renderer() { return m_renderer; }

    // The order the next page prints (a batch run) and whether its remark went into the box,
    // kept in the print journal with the page so a reprint fills it from the order again.
    void setPageOrder(const QString& orderNumber, bool withRemark = true) {
        m_orderNumber = orderNumber;
        m_orderRemark = withRemark;
    }
    // A fingerprint of the values the form holds for the kind's items: the journal keeps it
    // with each page, so a reprint can tell a note that changed since.
    QString pageDigest();
    // The journal's number of the last job handed to the printer (0: none yet, or its rows could
    // not be written) and how many pages it had. lastJob writes the journal's rows first.
    int lastJob();
    int lastJobPages() const { return m_lastJobPages; }
    // A job's pages reach the journal just after the job's hand-over, once the event loop runs
    // again, so the click that printed does not wait for the disk. This writes them now;
    // `alongside` runs in the transaction of the last job's pages (a batch run marks its orders
    // there). When that transaction fails the pages are written (or kept for later) on their
    // own and `alongside` runs after them; what it throws reaches the caller. Pages that cannot
    // be written wait in the journal's pending file for the next write (one alert).
    void writeJournal(const std::function<void()>& alongside = {});
    // While held, a job's pages wait for the caller's writeJournal instead of the event loop.
    void holdJournal(bool held) { m_journalHeld = held; }

    static const QString kKind; // 出货单
    // The print menu's switch that puts every template printed on the current printer on its
    // own paper; the warning about the printable area names it.
    static const QString kPrinterWideCaption;

private:
    QWidget* control(const QString& name) const;
    QWidget* container() const;
    QString variantText() const;
    void applyItemSwitches();
    void fail();
    // A value has a character the text-mode printer cannot print: the whole job is dropped
    // before anything reaches the printer, and the clerk is told the note, the box and the
    // character.
    void refuseCharacter(const UnprintableCharacter& e);
    // The template's own paper for this job, when the template asks for it.
    void applyTemplatePaper();
    void restorePrinterPaper();
    // The template's own paper for this job; false when it has none or the job is on it already.
    bool putTemplatePaper();
    // Rehearses the page; when values would fall outside the printable area, asks whether to
    // print all the same, or, when the template has a paper of its own that the job is not on,
    // offers to print on it. True: go on.
    bool confirmPrintableArea();
    // The items of the rehearsed page that fall outside the printable area.
    QStringList itemsOutside();
    QString itemList(const QStringList& items);
    QString outsideText(const QStringList& items);
    QString areaWarning(const QStringList& items);
    QString remedyWarning(const QStringList& items, const QPageSize& own);
    QStringList digestItems();
    QString pageDigest(const ControlIndex& values);
    // Queues the pages of the job just handed over for the print journal.
    void recordJob();
    // Writes one job's pages, or keeps them for a later write and says so; false then.
    bool record(const PrintJournal::Job& job, const std::function<void()>& alongside = {});

    core::AppContext& m_app;
    PrintDevice& m_device;
    QPointer<QWidget> m_form;
    ItemRenderer m_renderer;
    int m_templateId = 0;
    int m_xOffset = 0;
    int m_yOffset = 0;
    bool m_spooled = false;
    PrintDevice::Paper m_paperBeforeTemplate; // valid while a job runs on the template's paper
    PrintJournal m_journal;
    PrintJournal::Job m_job;              // the pages of the open job
    QStringList m_digestItems;            // of the open job
    QHash<QString, QString> m_moneyCodes; // currency name to abbreviation, of the open job
    std::optional<int> m_cellWidth;       // of the open job's template
    QString m_orderNumber;
    bool m_orderRemark = true;
    bool m_journalHeld = false;
    int m_lastJob = 0;
    int m_lastJobPages = 0;
    QVector<PrintJournal::Job> m_unwritten; // handed over, not yet in the journal
    QObject m_writeContext;                 // the deferred write dies with the printer
};

} // namespace print
