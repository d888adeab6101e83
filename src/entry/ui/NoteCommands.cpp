#include "entry/ui/NoteCommands.h"

#include "core/AppContext.h"
#include "core/DbError.h"
#include "core/ui/FileClipboard.h"
#include "entry/BillMoney.h"
#include "entry/NoteText.h"
#include "entry/TypedNumber.h"
#include "entry/ui/NoteEditing.h"
#include "entry/ui/NoteWindow.h"
#include "print/BillPrinter.h"
#include "print/ControlValues.h"
#include "print/NoteCopy.h"
#include "print/PrintError.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDateTimeEdit>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QWidget>

namespace entry::ui {

namespace {
const QString kKind = QStringLiteral("出货单");
const QString kConfirm = QStringLiteral("确认");
const QString kHint = QStringLiteral("提示");
const QString kPrint1 = QStringLiteral("btPrint1");
const QString kPrintAndSave = QStringLiteral("btPrintAndSave");
const QString kMultiPrint = QStringLiteral("btMultiPrintF");
const QString kSendCopy = QStringLiteral("btSendCopy");

const char* const kCapitalCells[] = {"zddxYY", "zddxQW", "zddxBW", "zddxSW", "zddxWY", "zddxQY",
                                     "zddxBY", "zddxSY", "zddxY",  "zddxJ",  "zddxF"};

QString lineBox(const char* prefix, int n) {
    return NoteEditing::lineBox(prefix, n);
}
} // namespace

NoteCommands::NoteCommands(core::AppContext& app, NoteWindow& window, NoteEditing& editing,
                           print::BillPrinter& printer, QObject* parent)
    : QObject(parent), m_app(app), m_window(window), m_editing(editing), m_printer(printer),
      m_store(app.db()) {}

void NoteCommands::attach() {
    const std::pair<const char*, void (NoteCommands::*)()> buttons[] = {
        {"btSave", &NoteCommands::btSaveClick},
        {"btNew", &NoteCommands::btNewClick},
        {"btPrint1", &NoteCommands::btPrint1Click},
        {"btPrintAndSave", &NoteCommands::btPrintAndSaveClick},
        {"btMultiPrintF", &NoteCommands::btMultiPrintFClick},
        {"btSaveAs", &NoteCommands::btSaveAsClick},
        {"btSendCopy", &NoteCommands::btSendCopyClick}};
    for (const auto& [name, handler] : buttons)
        if (auto* button = qobject_cast<QAbstractButton*>(m_editing.box(QLatin1String(name))))
            connect(button, &QAbstractButton::clicked, this, handler);
}

void NoteCommands::setButtonEnabled(const QString& name, bool enabled) {
    if (QWidget* button = m_editing.box(name))
        button->setEnabled(enabled);
}

DeliveryNote NoteCommands::noteFromBoxes() const {
    const NoteEditing& e = m_editing;
    DeliveryNote note;
    note.number = e.text(QStringLiteral("zdPJBH"));
    note.variant = m_window.variant();
    note.tickedItems = m_window.getItemCheckTitle();
    note.currency = e.text(QStringLiteral("cfgMoneyType"));
    note.total = e.text(QStringLiteral("zdHJJEXX"));
    note.totalQuantity = e.text(QStringLiteral("zdSumSL"));
    note.remark = e.text(QStringLiteral("zdRemark"));
    note.orderId = e.text(QStringLiteral("zdOrderId"));
    if (QDateTimeEdit* order = e.orderDatePicker())
        note.orderDate = order->dateTime();
    if (QDateTimeEdit* issue = e.issueDatePicker())
        note.issueDate = issue->dateTime();
    note.customerName = e.text(QStringLiteral("zdGKMC"));
    note.contact = e.text(QStringLiteral("zdGKLXR"));
    note.address = e.text(QStringLiteral("zdGKAddr"));
    note.phone = e.text(QStringLiteral("zdGKPhone"));
    note.handset = e.text(QStringLiteral("zdGKHandset"));
    note.issuer = e.text(QStringLiteral("KPRen"));
    note.payee = e.text(QStringLiteral("SKRen"));
    for (int i = 0; i < int(note.custom.size()); ++i) {
        const QString name = lineBox("zdDef", i + 1);
        if (e.isShown(name))
            note.custom[i] = e.text(name);
    }
    for (int n = 1; n <= NoteEditing::kLines; ++n) {
        const QString goods = e.text(lineBox("zdSFNR", n));
        const QString raw = e.text(lineBox("zdJEXX", n));
        // A line the template hides was never seen by the user and is not part of the note.
        if ((goods.trimmed().isEmpty() && raw.trimmed().isEmpty()) || !e.isShown(lineBox("zdSFNR", n)))
            continue;
        NoteLine line;
        line.line = n;
        line.articleNumber = e.text(lineBox("zdHuoHao", n));
        line.name = goods;
        line.model = e.text(lineBox("zdGuiGe", n));
        line.unit = e.text(lineBox("zdDW", n));
        line.quantity = TypedNumber::plainOr(e.text(lineBox("zdSL", n)));
        if (e.isShown(lineBox("zdDJ", n)))
            line.price = TypedNumber::plainOr(e.text(lineBox("zdDJ", n)));
        if (e.isShown(lineBox("zdJEXX", n)) || e.isShown(lineBox("zdJE", n)))
            line.amount = raw;
        line.otherAttributes = e.text(lineBox("zdPro", n));
        note.lines << line;
    }
    return note;
}

void NoteCommands::markClean() {
    m_cleanNote = noteFromBoxes();
    setButtonEnabled(kSendCopy, !m_ownNumber.isEmpty());
}

bool NoteCommands::hasUnsavedNote() const {
    const DeliveryNote now = noteFromBoxes();
    return hasTypedContent(now) && !sameContent(now, m_cleanNote);
}

bool NoteCommands::confirmDiscard(const QString& action) {
    commitEditing();
    return m_discardAgreed || !hasUnsavedNote() ||
           m_app.dialogs().ask(QStringLiteral("当前填写的出货单还没有保存，") + action +
                                   QStringLiteral("后内容将丢失，确定要放弃它吗？"),
                               kConfirm);
}

QString NoteCommands::badAmounts() const {
    const DeliveryNote note = noteFromBoxes();
    QString fault = BillMoney::amountFault(note);
    // The printed total box tells of a line amount the total could not take.
    if (fault.isEmpty() && m_editing.text(QStringLiteral("zdHJJE")) == BillMoney::lineError())
        fault = QStringLiteral("合计金额无法算出（") + BillMoney::lineError() + QStringLiteral("）");
    if (!fault.isEmpty())
        return fault + QStringLiteral("，请修改后再试！");
    if (BillMoney::noteFits(note))
        return {};
    return QStringLiteral("金额超出范围：每行金额及合计金额必须小于1,000,000,000，"
                          "合计金额不能为负数，请修改后再试！");
}

void NoteCommands::saveFailed(const QString& message) {
    m_app.dialogs().message(message + m_saveFailureNote);
    m_saveFailureShown = true;
}

bool NoteCommands::confirmOverwrite(const QString& number) {
    if (!m_ownNumber.isEmpty() && m_ownNumber.compare(number, Qt::CaseInsensitive) == 0)
        return true;
    const std::optional<DeliveryNote> saved = m_store.load(number);
    if (!saved)
        return true;
    const QString customer = saved->customerName.isEmpty() ? saved->contact : saved->customerName;
    const QString date =
        saved->issueDate.isValid() ? saved->issueDate.toString(QStringLiteral("yyyy-MM-dd")) : QString();
    return m_app.dialogs().ask(QStringLiteral("编号为【") + number + QStringLiteral("】的历史票据（客户：") +
                                   customer + QStringLiteral("，合计金额：") + saved->total +
                                   QStringLiteral("，出票日期：") + date +
                                   QStringLiteral("）将被当前票据覆盖，覆盖后不能恢复！\n确定要覆盖它吗？"),
                               kConfirm);
}

void NoteCommands::commitEditing() {
    // The tool buttons take no focus, so a box being edited has not been left: leaving it now
    // runs its rules (line amount, typed total, free field) before the note is read.
    QWidget* focused = QApplication::focusWidget();
    if (focused && m_window.noteForm()->isAncestorOf(focused))
        focused->clearFocus();
}

bool NoteCommands::Save() {
    commitEditing();
    NoteEditing& e = m_editing;
    if (e.text(QStringLiteral("zdGKMC")) == NoteText::kCustomerPlaceholder)
        e.setText(QStringLiteral("zdGKMC"), QString());

    bool anyGoods = false;
    for (int n = 1; n <= NoteEditing::kLines; ++n)
        anyGoods = anyGoods || !e.text(lineBox("zdSFNR", n)).trimmed().isEmpty();
    if (!anyGoods && e.text(QStringLiteral("zdJEDX")).isEmpty()) {
        saveFailed(
            QStringLiteral("保存失败,请选取或填写物品信息！\n\n（技巧:点击商品名输入框，可选取商品）"));
        return false;
    }
    if (e.text(QStringLiteral("zdGKMC")).isEmpty() && e.text(QStringLiteral("zdGKLXR")).isEmpty()) {
        saveFailed(QStringLiteral("保存失败,客户信息不能为空！"));
        return false;
    }
    QString number = e.text(QStringLiteral("zdPJBH")).trimmed();
    e.setText(QStringLiteral("zdPJBH"), number);
    if (number.isEmpty()) {
        saveFailed(QStringLiteral("保存失败,单据编号不能为空,请重新填写单据编号！\n\n（技巧:"
                                  "双击空白的编号可自动生成一个最大编号）"));
        if (e.isShown(QStringLiteral("zdPJBH")))
            e.box(QStringLiteral("zdPJBH"))->setFocus(Qt::OtherFocusReason);
        return false;
    }

    if (const QString bad = badAmounts(); !bad.isEmpty()) {
        saveFailed(QStringLiteral("保存失败,") + bad);
        return false;
    }

    bool stored = false;
    try {
        const bool asNew = !m_store.exists(number);
        if (!asNew) {
            if (m_app.dialogs().ask(
                    QStringLiteral("编号为【") + number +
                        QStringLiteral(
                            "】的票据已经存在，是否新生成一个单号作为新单号(历史单据是不能修改的)？"),
                    kConfirm)) {
                number = e.buildMaxCheckNO();
                if (number.isEmpty()) {
                    saveFailed(QStringLiteral("保存失败,没有取到可用的新单号！"));
                    return false;
                }
                e.setText(QStringLiteral("zdPJBH"), number);
            } else if (!confirmOverwrite(number)) {
                return false;
            }
        }
        if (QDateTimeEdit* issue = e.issueDatePicker()) {
            const QLocale locale;
            const QString today = locale.toString(QDate::currentDate(), QLocale::ShortFormat);
            if (locale.toString(issue->date(), QLocale::ShortFormat) != today &&
                m_app.dialogs().ask(
                    QStringLiteral("票据的日期与当前日期不符！\n修正为当前日期吗？(修正后日期：") + today +
                        QStringLiteral(")"),
                    kConfirm)) {
                issue->setDateTime(QDateTime::currentDateTime());
                e.refreshDates();
            }
        }
        // The number is used up by the save itself, so a failed save hands it out again.
        const DeliveryNoteStore::Saved saved = m_store.save(
            noteFromBoxes(), [&e] { e.settleNumbers(); }, asNew);
        stored = true;
        m_ownNumber = number;
        markClean();
        if (m_reportOnSave)
            m_app.dialogs().alert(
                saved == DeliveryNoteStore::Saved::Edited
                    ? QStringLiteral("出货单修改保存成功（要修改成新出货单请先点击【复制】按钮）！ ")
                    : QStringLiteral("新出货单保存成功！ "),
                kHint, false);
    } catch (const core::DbError& error) {
        saveFailed(QStringLiteral("保存失败！") + error.message());
    }
    m_window.setWindowCaption(savedCaption(number));
    return stored;
}

QString NoteCommands::savedCaption(const QString& number) const {
    return QStringLiteral("出货单(") + m_window.variant() + QStringLiteral(")-编号=") + number;
}

void NoteCommands::btSaveClick() {
    Save();
}

void NoteCommands::btNewClick() {
    if (!confirmDiscard(QStringLiteral("新建")))
        return;
    NoteEditing& e = m_editing;
    e.suspendLineRule(true);
    for (int n = 1; n <= NoteEditing::kLines; ++n) {
        e.clearLine(n);
        e.setText(lineBox("zdJE", n), QString());
    }
    e.suspendLineRule(false);
    for (const char* cell : kCapitalCells)
        e.setText(QLatin1String(cell), QString());
    e.setText(QStringLiteral("zdRemark"), QString());
    e.setText(QStringLiteral("zdJEDX"), QString());
    e.setText(QStringLiteral("zdHJJE"), QString());
    // The saved total and quantity come from these boxes, so they must not keep the old note's.
    m_window.totalRule(QStringLiteral("0"));
    e.SumSL();
    // After a failed request (its message shown) the box keeps its number; saving under it then
    // asks first, as for any number that is already saved.
    QString number = e.buildMaxCheckNO();
    if (number.isEmpty())
        number = e.text(QStringLiteral("zdPJBH"));
    else
        e.setText(QStringLiteral("zdPJBH"), number);
    m_window.setWindowCaption(QStringLiteral("新单据-ID=") + number);
    if (QDateTimeEdit* issue = e.issueDatePicker())
        issue->setDateTime(QDateTime::currentDateTime());
    e.refreshDates();
    m_ownNumber.clear();
    markClean();
}

void NoteCommands::showNote(const DeliveryNote& note) {
    NoteEditing& e = m_editing;
    e.setText(QStringLiteral("zdPJBH"), note.number);
    m_window.setItemCheckTitle(note.tickedItems);
    e.setText(QStringLiteral("zdOrderId"), note.orderId);
    if (QDateTimeEdit* issue = e.issueDatePicker(); issue && note.issueDate.isValid())
        issue->setDateTime(note.issueDate);
    if (QDateTimeEdit* order = e.orderDatePicker(); order && note.orderDate.isValid())
        order->setDateTime(note.orderDate);
    e.refreshDates();
    m_window.setCurrency(note.currency);
    e.setText(QStringLiteral("zdRemark"), note.remark);
    e.setText(QStringLiteral("zdGKMC"), note.customerName);
    e.setText(QStringLiteral("zdGKLXR"), note.contact);
    e.setText(QStringLiteral("zdGKAddr"), note.address);
    e.setText(QStringLiteral("zdGKPhone"), note.phone);
    e.setText(QStringLiteral("zdGKHandset"), note.handset);
    e.setText(QStringLiteral("KPRen"), note.issuer);
    e.setText(QStringLiteral("SKRen"), note.payee);
    e.setText(QStringLiteral("zdMoneyType"), note.currency);
    for (int i = 0; i < int(note.custom.size()); ++i)
        e.setText(lineBox("zdDef", i + 1), note.custom[i].value_or(QString()));
    m_window.commitTypedTotal(note.total);
}

bool NoteCommands::BrowseOldCheck(const QString& variant, const QString& number) {
    if (!number.isEmpty() && !confirmDiscard(QStringLiteral("调入历史票据")))
        return false;
    if (variant != m_window.variant()) {
        const QString wanted = variant.isEmpty() ? m_window.variant() : variant;
        core::TemplateStore& templates = m_app.templates();
        if (templates.loadCheckTypeIDByFirstAndLastName(kKind, wanted) > 0) {
            m_window.selectVariant(wanted);
        } else if (const int id = templates.loadDefaultCheckTypeId(kKind); id > 0) {
            // A note whose template was deleted since opens on the kind's default template.
            const QString fallback = templates.loadCheckTypeLastNameByID(id);
            if (fallback != m_window.variant())
                m_window.selectVariant(fallback);
        }
    }
    if (!number.isEmpty()) {
        NoteEditing& e = m_editing;
        try {
            std::optional<DeliveryNote> note = m_store.load(number);
            m_ownNumber = note ? number : QString();
            // The caption names the note on screen, as after saving it.
            m_window.setWindowCaption(note ? savedCaption(number) : QStringLiteral("新单据-ID=") + number);
            if (!note) {
                m_app.dialogs().message(QStringLiteral("调入失败，票据信息没有找到-") + number);
                note = DeliveryNote();
                note->number = number;
            }
            // Every line is emptied first, so no goods of the note shown before survive the
            // reload and a note with a typed total only keeps that total.
            for (int n = 1; n <= NoteEditing::kLines; ++n)
                e.clearLine(n);
            showNote(*note);
            for (const NoteLine& line : m_store.loadLines(number)) {
                const int n = line.line;
                e.suspendLineRule(true);
                e.setText(lineBox("zdSFNR", n), line.name);
                e.setText(lineBox("zdHuoHao", n), line.articleNumber);
                e.setText(lineBox("zdGuiGe", n), line.model);
                e.setText(lineBox("zdDW", n), line.unit);
                e.setText(lineBox("zdSL", n), line.quantity);
                e.setText(lineBox("zdDJ", n), line.price.value_or(QString()));
                e.setText(lineBox("zdPro", n), line.otherAttributes);
                e.suspendLineRule(false);
                // The stored amount wins over quantity × price; the line rule refreshes the total.
                e.setText(lineBox("zdJEXX", n), line.amount.value_or(QString()));
                m_window.lineAmountRule(n);
            }
            markClean();
        } catch (const core::DbError& error) {
            e.suspendLineRule(false);
            m_app.dialogs().message(QStringLiteral("调入单据失败：") + error.message());
        }
    }
    // The entry window lives in a sub-window of the main window: that frame is what must come back
    // from minimised and to the front.
    QWidget* form = m_window.noteForm();
    auto* sub = qobject_cast<QMdiSubWindow*>(form->parentWidget());
    QWidget* frame = sub ? static_cast<QWidget*>(sub) : form;
    if (frame->isHidden() || frame->isMinimized())
        frame->showNormal();
    frame->raise();
    if (sub && sub->mdiArea())
        sub->mdiArea()->setActiveSubWindow(sub);
    else
        frame->activateWindow();
    return true;
}

void NoteCommands::btPrint1Click() {
    commitEditing();
    if (const QString bad = badAmounts(); !bad.isEmpty()) {
        m_app.dialogs().message(QStringLiteral("打印取消,") + bad);
        return;
    }
    setButtonEnabled(kPrint1, false);
    m_app.currentCheckTypeId = m_window.templateId();
    m_printer.printCurrentBill(1);
    setButtonEnabled(kPrint1, true);
}

void NoteCommands::btPrintAndSaveClick() {
    m_reportOnSave = false;
    setButtonEnabled(kPrintAndSave, false);
    // A save that stops with its own message says there that nothing is printed: one box.
    const QString cancelled = QStringLiteral("保存未完成，打印取消~");
    m_saveFailureNote = QStringLiteral("\n\n") + cancelled;
    m_saveFailureShown = false;
    const bool saved = Save();
    m_saveFailureNote.clear();
    if (saved)
        btPrint1Click();
    else if (!m_saveFailureShown)
        m_app.dialogs().message(cancelled);
    setButtonEnabled(kPrintAndSave, true);
    m_reportOnSave = true;
}

void NoteCommands::btMultiPrintFClick() {
    commitEditing();
    QString answer;
    if (!m_app.dialogs().inputValue(QStringLiteral("输入重复打印的张数"), QStringLiteral("1"),
                                    QStringLiteral("integer"), answer) ||
        answer.trimmed().isEmpty())
        return;
    bool ok = false;
    const int copies = answer.trimmed().toInt(&ok);
    if (!ok) {
        m_app.dialogs().message(QStringLiteral("输入错误的数字！"));
        return;
    }
    if (const QString bad = badAmounts(); !bad.isEmpty()) {
        m_app.dialogs().message(QStringLiteral("打印取消,") + bad);
        return;
    }
    for (const QString& name : {kPrint1, kPrintAndSave, kMultiPrint})
        setButtonEnabled(name, false);
    m_app.currentCheckTypeId = m_window.templateId();
    m_printer.printCurrentBill(copies);
    for (const QString& name : {kPrint1, kPrintAndSave, kMultiPrint})
        setButtonEnabled(name, true);
}

void NoteCommands::btSaveAsClick() {
    // The copy is a new note: saving it under the old number must not pass for editing that note.
    m_ownNumber.clear();
    setButtonEnabled(kSendCopy, false);
    const QString caption = QStringLiteral("出货单-") + m_window.variant() + QStringLiteral(" ID=") +
                            m_editing.text(QStringLiteral("zdPJBH"));
    m_window.setWindowCaption(caption);
    if (!caption.contains(QStringLiteral("复制")))
        m_window.setWindowCaption(QStringLiteral("已复制保存过的单据为一张新单~"));
}

void NoteCommands::btSendCopyClick() {
    commitEditing();
    // The customer gets the note as saved: what was typed since is not on the copy's paper.
    if (m_ownNumber.isEmpty() || hasUnsavedNote()) {
        m_app.dialogs().message(QStringLiteral("请先保存出货单，再发送给客户~"));
        return;
    }
    const DeliveryNote note = noteFromBoxes();
    const int templateId = m_window.templateId();
    try {
        const QString suggested =
            print::NoteCopy::fileName(print::NoteCopy::templateName(m_app, templateId), note.number,
                                      note.customerName, QStringLiteral("png"));
        const QString path = m_app.dialogs().saveFileName(
            QStringLiteral("发送给客户"), suggested, QStringLiteral("PNG 图片 (*.png);;PDF 文件 (*.pdf)"));
        if (path.isEmpty())
            return;
        print::NoteCopy::Options options;
        options.format = path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive)
                             ? print::NoteCopy::Format::Pdf
                             : print::NoteCopy::Format::Png;
        const print::ControlValues values(m_app);
        const print::ControlIndex boxes(values, m_window.container());
        print::NoteCopy copy(m_app, path, options);
        copy.addNote(templateId, boxes, note.currency);
        copy.finish();
        // A chat program takes a picture on paste; a PDF goes beside it as a file.
        const QImage picture =
            options.format == print::NoteCopy::Format::Png
                ? copy.picture()
                : print::NoteCopy::render(m_app, print::NoteCopy::form(m_app, templateId), templateId, boxes,
                                          note.currency, options.dpi, print::NoteCopy::Fit::Form);
        const bool onClipboard = core::ui::putFilesOnClipboard({QFileInfo(path).absoluteFilePath()}, picture);
        m_app.dialogs().alert(QStringLiteral("客户副本已保存：%1").arg(QDir::toNativeSeparators(path)) +
                                  (onClipboard
                                       ? QStringLiteral("\n\n已复制到剪贴板，在聊天窗口粘贴即可发送给客户。")
                                       : QString()),
                              kHint, false);
    } catch (const print::PrintError& error) {
        m_app.dialogs().message(error.message());
    } catch (const core::DbError& error) {
        m_app.dialogs().message(QStringLiteral("生成客户副本失败：") + error.message());
    }
}

} // namespace entry::ui
