#include "print/BillPrinter.h"

#include "core/AppContext.h"
#include "core/Lookups.h"
#include "core/ScriptedDialogs.h"
#include "print/EscpTextDevice.h"
#include "print/ExtentProbe.h"
#include "print/MeasuredCalibration.h"
#include "print/PaperMemory.h"
#include "print/PrintDevice.h"
#include "print/PrintError.h"
#include "print/PrintGeometry.h"
#include "print/PrintLookups.h"
#include "print/PrinterSetup.h"
#include "print/TemplatePaperSwitch.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QCryptographicHash>
#include <QHash>
#include <QScopeGuard>
#include <QTimer>
#include <QWidget>

namespace print {

const QString BillPrinter::kKind = QStringLiteral("出货单");
const QString BillPrinter::kPrinterWideCaption = QStringLiteral("本打印机的所有模板都按模板纸张尺寸打印");

namespace {

const QString kPrintError = QStringLiteral("打印出错，请检查打印机是否可用！");
const QString kHint = QStringLiteral("提示");

QString textOf(QWidget* w) {
    if (auto* combo = qobject_cast<QComboBox*>(w))
        return combo->currentText();
    return w ? w->property("text").toString() : QString();
}

// "A4 210×297毫米", "自定义 241×93毫米".
QString sizeText(const QPageSize& size) {
    const QSizeF mm = size.size(QPageSize::Millimeter);
    return (size.id() == QPageSize::Custom ? QStringLiteral("自定义") : size.name()) +
           QStringLiteral(" %1×%2毫米").arg(qRound(mm.width())).arg(qRound(mm.height()));
}

QString paperText(const PrintDevice::Paper& paper) {
    QString text = sizeText(paper.size);
    if (paper.source >= 0)
        text += QStringLiteral(" 来源%1").arg(paper.source);
    return text;
}

} // namespace

BillPrinter::BillPrinter(core::AppContext& app, PrintDevice& device, QWidget* form)
    : m_app(app), m_device(device), m_form(form), m_renderer(app, device), m_journal(app) {}

BillPrinter::~BillPrinter() {
    writeJournal();
}

namespace {

// The first widget of the name in the order of findChildren, without making the list.
QWidget* firstNamed(const QObject* parent, const QString& name) {
    for (QObject* child : parent->children()) {
        if (auto* w = qobject_cast<QWidget*>(child);
            w && w->objectName().compare(name, Qt::CaseInsensitive) == 0)
            return w;
        if (QWidget* found = firstNamed(child, name))
            return found;
    }
    return nullptr;
}

} // namespace

QWidget* BillPrinter::control(const QString& name) const {
    return m_form ? firstNamed(m_form, name) : nullptr;
}

QWidget* BillPrinter::container() const {
    QWidget* panel = control(QStringLiteral("panelImgBg"));
    return panel ? panel : m_form.data();
}

QString BillPrinter::variantText() const {
    return textOf(control(QStringLiteral("cbFirstTypeName")));
}

bool BillPrinter::PrintPrepare() {
    m_app.printReady = false;
    QWidget* variant = control(QStringLiteral("cbFirstTypeName"));
    if (textOf(variant).isEmpty()) {
        if (variant)
            variant->show();
        m_app.dialogs().message(QStringLiteral("请选择出货单模板的类型!"));
        return false;
    }
    const QStringList printers = m_device.printerNames();
    if (printers.isEmpty()) {
        m_app.dialogs().error(QStringLiteral("你需要安装打印机才能打印！"));
        return false;
    }
    // The printer chosen at start or by the printer lock is the one the job goes to.
    const QString printer = m_app.currentPrinter();
    if (!printer.isEmpty() && printer != m_device.printerName())
        m_device.selectPrinter(printer);

    m_templateId = m_app.currentCheckTypeId;
    m_moneyCodes.clear();
    m_cellWidth.reset();
    try {
        const PrintLookups::Offsets offsets = PrintLookups::templateOffsets(m_app.db(), m_templateId);
        if (!offsets.found) {
            m_app.dialogs().alert(QStringLiteral("Err:\"\"没有进行初始化，无法取得整体打印偏移量！"), kHint,
                                  false);
            return false;
        }
        m_xOffset = offsets.x;
        m_yOffset = offsets.y;
    } catch (const core::DbError&) {
        m_app.dialogs().alert(QStringLiteral("Err:数据库连接错误，无法取得整体打印偏移量！"), kHint, false);
        return false;
    }

    try {
        const bool landscape =
            PrintGeometry::isLandscape(PrintLookups::getHXPaperIn(m_app.db(), m_templateId));
        m_device.setOrientation(landscape ? PrintDevice::Orientation::Landscape
                                          : PrintDevice::Orientation::Portrait);
        restorePrinterPaper();
        PrinterSetup::applyPaper(m_device, PaperMemory(m_app.userIni()).recall(m_device.printerName()));
        m_app.printReady = true;
        if (m_app.popPrinterSetup)
            PrinterSetup::run(m_app, m_device, m_form);
        if (m_app.printReady)
            applyTemplatePaper();
    } catch (const std::exception&) {
        fail();
    }
    return m_app.printReady;
}

void BillPrinter::PrinterTransBegin(int copies) {
    if (!m_app.printReady)
        return;
    m_spooled = false;
    try {
        m_device.setCopies(PrintGeometry::jobCopies(copies));
        m_device.setTitle(QStringLiteral("青木鸟打印-") + variantText());
        applyItemSwitches();
        if (!confirmPrintableArea()) {
            m_app.printReady = false;
            restorePrinterPaper();
            return;
        }
        MeasuredCalibration(m_app.userIni()).applyTo(m_device, m_templateId);
        m_job = {m_device.printerName(), paperText(m_device.paper()), m_templateId, variantText(),
                 m_app.userName,         m_device.copies(),           {},           {}};
        m_digestItems = digestItems();
        m_device.beginDocument();
        m_renderer.holdLayouts(true);
    } catch (const std::exception&) {
        fail();
    }
}

void BillPrinter::applyItemSwitches() {
    // An option box the form does not have leaves its items' stored flags alone.
    auto ticked = [this](const QString& name, bool& on) {
        auto* box = qobject_cast<QAbstractButton*>(control(name));
        if (box)
            on = box->isChecked();
        return box != nullptr;
    };
    auto shown = [this](const QString& name) {
        QWidget* w = m_renderer.controls().findControl(container(), name);
        return w && ControlValues::isShown(w);
    };
    bool on = false;
    if ((shown(QStringLiteral("zdDJ1")) || shown(QStringLiteral("zdJE1")) ||
         shown(QStringLiteral("zdHJJEXX"))) &&
        ticked(QStringLiteral("cfgPrintPriceJE"), on)) {
        PrintLookups::setPrintItem(m_app.db(), kKind,
                                   {QStringLiteral("ZDJE1"), QStringLiteral("ZDJE2"), QStringLiteral("ZDJE3"),
                                    QStringLiteral("ZDJE4"), QStringLiteral("ZDJE5"), QStringLiteral("ZDJE6"),
                                    QStringLiteral("ZDJE7"), QStringLiteral("ZDJE8")},
                                   on);
        PrintLookups::setPrintItem(m_app.db(), kKind,
                                   {QStringLiteral("ZDDJ1"), QStringLiteral("ZDDJ2"), QStringLiteral("ZDDJ3"),
                                    QStringLiteral("ZDDJ4"), QStringLiteral("ZDDJ5"), QStringLiteral("ZDDJ6"),
                                    QStringLiteral("ZDDJ7"), QStringLiteral("ZDDJ8"),
                                    QStringLiteral("ZDHJJE"), QStringLiteral("ZDJEDX")},
                                   on);
    }
    if (ticked(QStringLiteral("cfgPrintDH"), on))
        PrintLookups::setPrintItem(m_app.db(), kKind, {QStringLiteral("ZDPJBH")}, on);
    if (ticked(QStringLiteral("cfgPrintRemark"), on))
        PrintLookups::setPrintItem(m_app.db(), kKind, {QStringLiteral("ZDREMARK")}, on);
}

void BillPrinter::SendCheckToPrinter(int) {
    if (!m_app.printReady)
        return;
    // A job's pages share the template and mostly the currency: each is looked up once a job.
    if (QWidget* money = control(QStringLiteral("cfgMoneyType"))) {
        const QString name = textOf(money);
        auto code = m_moneyCodes.constFind(name);
        if (code == m_moneyCodes.cend())
            code = m_moneyCodes.insert(name, core::Lookups(m_app).getMoneyCodeByName(name));
        m_app.moneyCode = *code;
    }
    if (!m_cellWidth)
        m_cellWidth = PrintLookups::getCellsWidth(m_app.db(), m_templateId, QStringLiteral("zdQY"),
                                                  QStringLiteral("zdBY"), 35);
    m_app.cellWidth = *m_cellWidth;
    try {
        // The page and its fingerprint read the boxes through one index of the form.
        const ControlIndex controls(m_renderer.controls(), container());
        m_renderer.printBill(controls, kKind, m_templateId, m_xOffset, m_yOffset);
        m_job.pages.append({textOf(control(QStringLiteral("zdPJBH"))), m_orderNumber, pageDigest(controls),
                            m_orderNumber.isEmpty() ? JournalPage::Source::Note : JournalPage::Source::Order,
                            m_orderRemark});
        m_orderNumber.clear();
        m_orderRemark = true;
    } catch (const UnprintableCharacter& e) {
        refuseCharacter(e);
    } catch (const core::DbError& e) {
        // Without the item list nothing of the bill can print; say so instead of an empty page.
        m_app.dialogs().alert(QStringLiteral("读取打印项目出错：") + e.message(), kHint, false);
    }
}

void BillPrinter::NewCheckPage() {
    if (!m_app.printReady)
        return;
    try {
        m_device.newPage();
    } catch (const std::exception&) {
        fail();
    }
}

void BillPrinter::PrinterTransEnd() {
    if (!m_app.printReady)
        return;
    try {
        m_renderer.holdLayouts(false);
        m_device.endDocument();
        m_app.printReady = false;
        m_spooled = true;
        restorePrinterPaper();
    } catch (const std::exception&) {
        fail();
        return;
    }
    recordJob();
}

void BillPrinter::recordJob() {
    m_lastJobPages = m_job.pages.size();
    m_lastJob = 0;
    if (!m_job.pages.isEmpty()) {
        m_job.time = QDateTime::currentDateTime();
        // The write waits for the disk; the click that printed returns first, and the rows follow
        // in the next turn of the event loop (or when the journal of this printer is asked for).
        // A held journal waits for the caller's own write.
        m_unwritten.append(m_job);
        if (m_unwritten.size() == 1 && !m_journalHeld)
            QTimer::singleShot(0, &m_writeContext, [this] { writeJournal(); });
    }
    m_job.pages.clear();
}

bool BillPrinter::record(const PrintJournal::Job& job, const std::function<void()>& alongside) {
    try {
        m_lastJob = m_journal.record(job, alongside);
        return true;
    } catch (const core::DbError& e) {
        m_lastJob = 0;
        try {
            m_journal.keep(job);
            m_app.dialogs().alert(QStringLiteral("打印记录暂时未能保存，将在下次打印时补记：") + e.message(),
                                  kHint, false);
        } catch (const std::runtime_error& kept) {
            m_app.dialogs().alert(QStringLiteral("打印记录未能保存：") + e.message() + QLatin1Char('\n') +
                                      QString::fromStdString(kept.what()),
                                  kHint, false);
        }
        return false;
    }
}

void BillPrinter::writeJournal(const std::function<void()>& alongside) {
    // Pages an earlier write could not store go first, so the journal keeps the order of jobs.
    if (!m_unwritten.isEmpty() && m_journal.hasPending()) {
        try {
            m_journal.writePending();
        } catch (const core::DbError&) {
            // They wait for the next job; this one's write says what is wrong.
        }
    }
    bool alongsideRan = !alongside;
    while (!m_unwritten.isEmpty()) {
        const PrintJournal::Job job = m_unwritten.takeFirst();
        if (m_unwritten.isEmpty() && !alongsideRan) {
            alongsideRan = true;
            try {
                m_lastJob = m_journal.record(job, alongside);
                continue;
            } catch (const core::DbError&) {
                // Written one after the other below: the pages are kept even when the other
                // change is what failed.
            }
            record(job);
            alongside();
            return;
        }
        record(job);
    }
    if (!alongsideRan)
        alongside();
}

int BillPrinter::lastJob() {
    writeJournal();
    return m_lastJob;
}

QStringList BillPrinter::digestItems() {
    QStringList names;
    try {
        core::Recordset rs = m_app.db().query(
            QStringLiteral(
                "select CtlName, CtlType from NameDict where CheckTypeName=:kind order by ShowOrd, CtlName"),
            {{QStringLiteral("kind"), kKind}});
        // The items that carry a value of the note, as the bill reads them; shapes, pictures
        // and lines have none.
        for (rs.first(); !rs.eof(); rs.next()) {
            const QString type = rs.text(1).trimmed().toUpper();
            if (type.isEmpty() || type == QLatin1String("TEXT") || type == QLatin1String("CHECKBOX"))
                names << rs.text(0);
        }
    } catch (const core::DbError&) {
        // Without the item list the digest covers nothing and every reprint reads as unchanged.
    }
    return names;
}

QString BillPrinter::pageDigest() {
    return pageDigest(ControlIndex(m_renderer.controls(), container()));
}

QString BillPrinter::pageDigest(const ControlIndex& values) {
    const QStringList names =
        m_device.isPrinting() && !m_digestItems.isEmpty() ? m_digestItems : digestItems();
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (const QString& name : names) {
        hash.addData(name.toUtf8());
        hash.addData(QByteArrayView("\x1f"));
        hash.addData(values.getControlValue(name).toUtf8());
        hash.addData(QByteArrayView("\x1e"));
    }
    return QString::fromLatin1(hash.result().toHex());
}

void BillPrinter::AbortPrint() {
    m_renderer.holdLayouts(false);
    m_device.abort();
    m_job.pages.clear();
    // Later job calls of the aborted run must not touch a document that is gone.
    m_app.printReady = false;
    restorePrinterPaper();
}

bool BillPrinter::printCurrentBill(int copies) {
    if (!PrintPrepare())
        return false;
    PrinterTransBegin(copies);
    SendCheckToPrinter(m_templateId);
    PrinterTransEnd();
    return m_spooled;
}

void BillPrinter::fail() {
    m_renderer.holdLayouts(false);
    m_app.printReady = false;
    m_app.dialogs().alert(kPrintError, kHint, false);
    m_device.abort();
    m_job.pages.clear();
    restorePrinterPaper();
}

void BillPrinter::refuseCharacter(const UnprintableCharacter& e) {
    // The job is still in the device's hands: dropping it sends nothing of it.
    m_renderer.holdLayouts(false);
    m_app.printReady = false;
    m_device.abort();
    m_job.pages.clear();
    restorePrinterPaper();
    QString note = textOf(control(QStringLiteral("zdPJBH"))).trimmed();
    if (note.isEmpty())
        note = QStringLiteral("（未编号）");
    if (!m_orderNumber.isEmpty())
        note += QStringLiteral("（订单 %1）").arg(m_orderNumber);
    m_orderNumber.clear();
    m_app.dialogs().alert(
        QStringLiteral("出货单 %1 的【%2】中有字符“%3”，打印机【%4】的字库（%5）里没有这个字。\n"
                       "本次打印已取消，没有送出任何内容。请改写这个字，"
                       "或在打印机参数中改用图形方式或 GB18030 字库后再打印。")
            .arg(note, itemList({e.item()}), e.character(), m_device.printerName(), e.charsetName()),
        kHint, false);
}

void BillPrinter::applyTemplatePaper() {
    if (m_device.wantsTemplatePaper() ||
        TemplatePaperSwitch(m_app.db(), m_app.userIni()).applies(m_templateId, m_device.printerName()))
        putTemplatePaper();
}

bool BillPrinter::putTemplatePaper() {
    const QPageSize own = PrintLookups::templatePaper(m_app.db(), m_templateId);
    if (!own.isValid() || m_paperBeforeTemplate.isValid())
        return false;
    m_paperBeforeTemplate = m_device.paper();
    PrinterSetup::applyPaper(m_device, {own, m_paperBeforeTemplate.source});
    return true;
}

void BillPrinter::restorePrinterPaper() {
    // The template's paper is for its job only: the set-up dialog and the next template find
    // the printer's own paper again.
    if (!m_paperBeforeTemplate.isValid())
        return;
    const PrintDevice::Paper before = m_paperBeforeTemplate;
    m_paperBeforeTemplate = {};
    PrinterSetup::applyPaper(m_device, before);
}

bool BillPrinter::confirmPrintableArea() {
    QStringList outside = itemsOutside();
    if (outside.isEmpty())
        return true;
    core::Dialogs& dialogs = m_app.dialogs();
    const QPageSize own = PrintLookups::templatePaper(m_app.db(), m_templateId);
    if (!own.isValid() || m_paperBeforeTemplate.isValid() || own.isEquivalentTo(m_device.paper().size))
        return dialogs.ask(areaWarning(outside), QStringLiteral("确认"));
    // The remedy is the template's own paper: one answer prints this job on it.
    const int answer = dialogs.yesNoCancel(remedyWarning(outside, own), QStringLiteral("确认"));
    if (answer < 0)
        return false;
    if (answer == 0 || !putTemplatePaper())
        return true;
    outside = itemsOutside();
    return outside.isEmpty() || dialogs.ask(areaWarning(outside), QStringLiteral("确认"));
}

QStringList BillPrinter::itemsOutside() {
    ExtentProbe probe(m_device);
    ItemRenderer measure(m_app, probe);
    measure.setItemObserver([&probe](const QString& name) { probe.setItem(name); });
    // The rehearsal draws nothing and must say nothing: the page itself reports its faults.
    core::ScriptedDialogs quiet;
    core::Dialogs& dialogs = m_app.dialogs();
    m_app.setDialogs(quiet);
    const auto restore = qScopeGuard([this, &dialogs] { m_app.setDialogs(dialogs); });
    try {
        measure.printBill(container(), kKind, m_templateId, m_xOffset, m_yOffset);
    } catch (const core::DbError&) {
        return {}; // the page reports what it cannot read
    }
    // A millimetre of grace: a glyph's box reaches a little beyond its ink.
    const int margin = PrintGeometry::widthToPixels(10, PrintGeometry::metrics(m_device));
    return probe.itemsOutside(m_device.printableSize(), margin);
}

QString BillPrinter::itemList(const QStringList& items) {
    QHash<QString, QString> labels;
    try {
        core::Recordset rs = m_app.db().query(
            QStringLiteral("select CtlName, CtlLabel from NameDict where CheckTypeName=:kind"),
            {{QStringLiteral("kind"), kKind}});
        for (rs.first(); !rs.eof(); rs.next())
            labels.insert(rs.text(QStringLiteral("CtlName")).toUpper(), rs.text(QStringLiteral("CtlLabel")));
    } catch (const core::DbError&) {
        // Without labels the items are named as the template names them.
    }
    QStringList named;
    for (const QString& item : items)
        named << labels.value(item.toUpper(), item);
    constexpr int kNamed = 8;
    QString list = QStringList(named.mid(0, kNamed)).join(QStringLiteral("、"));
    if (named.size() > kNamed)
        list += QStringLiteral("等%1项").arg(named.size());
    return list;
}

QString BillPrinter::outsideText(const QStringList& items) {
    return QStringLiteral("票据上的【") + itemList(items) + QStringLiteral("】超出了打印机【") +
           m_device.printerName() + QStringLiteral("】当前纸张（") + sizeText(m_device.paper().size) +
           QStringLiteral("）的可打印区域，打印出来会不完整。");
}

QString BillPrinter::areaWarning(const QStringList& items) {
    return outsideText(items) + QStringLiteral("\n是否仍然打印？");
}

QString BillPrinter::remedyWarning(const QStringList& items, const QPageSize& own) {
    const QString ownSize = sizeText(own);
    return outsideText(items) + QStringLiteral("\n\n按模板纸张尺寸（") + ownSize +
           QStringLiteral("）打印就能打全。\n"
                          "【是】这次按模板纸张尺寸打印\n"
                          "【否】仍按当前纸张打印\n"
                          "【取消】不打印\n\n"
                          "要让这台打印机的所有模板都按模板纸张尺寸打印，"
                          "请在菜单【打印设置】中勾选【") +
           kPrinterWideCaption + QStringLiteral("】。");
}

} // namespace print
