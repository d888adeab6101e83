#include "batch/ui/EntryFill.h"

#include "core/AppContext.h"
#include "core/DbError.h"
#include "core/ScriptedDialogs.h"
#include "entry/BillMoney.h"
#include "entry/ui/NoteEditing.h"
#include "entry/ui/TfmCheckFHDSHD.h"
#include "print/BillPrinter.h"

#include <QScopeGuard>

namespace batch::ui {

using entry::ui::NoteEditing;

namespace {

void emptyNote(entry::ui::TfmCheckFHDSHD& w) {
    NoteEditing& e = w.editing();
    e.suspendLineRule(true);
    for (int n = 1; n <= NoteEditing::kLines; ++n) {
        e.clearLine(n);
        e.setText(NoteEditing::lineBox("zdJE", n), QString());
    }
    e.suspendLineRule(false);
    for (const QString& cell : entry::BillMoney::digitCellNames())
        e.setText(cell, QString());
    e.setText(QStringLiteral("zdJEDX"), QString());
    e.setText(QStringLiteral("zdHJJE"), QString());
    w.totalRule(QStringLiteral("0"));
}

QString apply(entry::ui::TfmCheckFHDSHD& w, const FillPlan& plan) {
    NoteEditing& e = w.editing();
    emptyNote(w);
    for (const auto& [name, value] : plan.texts)
        e.setText(name, value);
    for (const FillPlan::Line& line : plan.lines) {
        e.suspendLineRule(true);
        for (const auto& [name, value] : line.texts)
            e.setText(name, value);
        e.suspendLineRule(false);
        // The stored amount wins over quantity × price, as in a reloaded note.
        e.setText(NoteEditing::lineBox("zdJEXX", line.line), line.amount);
        if (!w.lineAmountRule(line.line))
            return QStringLiteral("第") + QString::number(line.line) + QStringLiteral("行金额无法计入合计");
    }
    e.SumSL();
    if (e.text(QStringLiteral("zdHJJE")) == entry::BillMoney::lineError())
        return entry::BillMoney::lineError();
    return {};
}

} // namespace

QList<int> formLines(entry::ui::TfmCheckFHDSHD& window) {
    const NoteEditing& e = window.editing();
    QList<int> lines;
    for (int n = 1; n <= OrderFill::kNoteLines; ++n)
        for (const char* prefix : {"zdHuoHao", "zdSFNR", "zdGuiGe", "zdDW", "zdSL", "zdDJ", "zdJE"})
            if (e.isShown(NoteEditing::lineBox(prefix, n))) {
                lines << n;
                break;
            }
    return lines;
}

FillOutcome fillEntryWindow(core::AppContext& app, entry::ui::TfmCheckFHDSHD& window, const QString& number,
                            bool withRemark) {
    if (number.trimmed().isEmpty())
        return FillOutcome::failed(QStringLiteral("没有选中有效的记录~"));
    std::optional<Order> order;
    try {
        order = OrderFill::load(app.db(), number);
    } catch (const core::DbError& e) {
        return FillOutcome::failed(QStringLiteral("错误，") + e.message());
    }
    if (!order)
        return FillOutcome::failed(QStringLiteral("调用错误，找不到记录，订单号=") + number);
    return fillEntryWindow(app, window, *order, withRemark);
}

FillOutcome fillEntryWindow(core::AppContext& app, entry::ui::TfmCheckFHDSHD& window, const Order& order,
                            bool withRemark) {
    const QString& number = order.number;
    const FillPlan plan = OrderFill::plan(order, withRemark, formLines(window));
    if (!plan.tooLong.isEmpty())
        return FillOutcome::skipped(plan.tooLong);
    if (!plan.error.isEmpty())
        return FillOutcome::failed(plan.error);
    // The window's rules report through message boxes; in the middle of a job their message
    // becomes the one reason the run gives.
    core::ScriptedDialogs quiet;
    core::Dialogs& dialogs = app.dialogs();
    app.setDialogs(quiet);
    const auto restore = qScopeGuard([&app, &dialogs] { app.setDialogs(dialogs); });
    QString error = apply(window, plan);
    if (error.isEmpty() && !quiet.shown.isEmpty())
        error = quiet.shown.first().text;
    if (!error.isEmpty())
        return FillOutcome::failed(QStringLiteral("订单号=") + number + QStringLiteral("：") + error);
    return {};
}

EntrySteps::EntrySteps(core::AppContext& app, entry::ui::TfmCheckFHDSHD* window, bool withRemark)
    : m_app(app), m_window(window), m_withRemark(withRemark) {
    if (m_window) {
        m_window->setBatchRunning(true);
        // The run's pages are written with the marking of its orders (the batch window's
        // writeJournal), not on their own in the next turn of the event loop.
        m_window->billPrinter().holdJournal(true);
    }
}

EntrySteps::~EntrySteps() {
    if (m_window) {
        m_window->billPrinter().holdJournal(false);
        // Only a run that put an order into the boxes replaced what the clerk had there; after
        // a refused or cancelled start the typed note is still unsaved.
        m_window->setBatchRunning(false, m_filled);
    }
}

QString EntrySteps::goneMessage() {
    return QStringLiteral("出货单填单窗口已经关闭，无法批量打印，请重新打开出货单填单窗口~");
}

bool EntrySteps::prepare() {
    if (!m_window)
        return false;
    m_app.currentCheckTypeId = m_window->templateId();
    return m_window->billPrinter().PrintPrepare();
}

void EntrySteps::begin() {
    if (m_window)
        m_window->billPrinter().PrinterTransBegin(0);
}

bool EntrySteps::ready() const {
    return m_window && m_app.printReady;
}

void EntrySteps::setOrders(const QStringList& numbers) {
    m_numbers = numbers;
    m_aheadFrom = 0;
    m_ahead.clear();
}

void EntrySteps::readAhead(const QString& number) {
    const qsizetype at = m_numbers.indexOf(number, m_aheadFrom);
    if (at < 0)
        return;
    QStringList next;
    for (qsizetype i = at; i < m_numbers.size() && next.size() < kAhead; ++i)
        if (!m_numbers.at(i).trimmed().isEmpty())
            next << m_numbers.at(i);
    m_aheadFrom = at + 1;
    try {
        m_ahead = OrderFill::loadMany(m_app.db(), next);
    } catch (const core::DbError&) {
        m_ahead.clear(); // each order is read on its own then, and says what failed
    }
}

FillOutcome EntrySteps::fill(const QString& number) {
    if (!m_window)
        return FillOutcome::failed(goneMessage());
    m_number = number;
    if (!number.trimmed().isEmpty() && !m_ahead.contains(number))
        readAhead(number);
    FillOutcome outcome;
    if (const auto order = m_ahead.constFind(number); order != m_ahead.cend()) {
        const Order read = *order;
        m_ahead.erase(order);
        outcome = fillEntryWindow(m_app, *m_window, read, m_withRemark);
    } else {
        outcome = fillEntryWindow(m_app, *m_window, number, m_withRemark);
    }
    m_filled = m_filled || outcome.kind == FillOutcome::Filled;
    return outcome;
}

void EntrySteps::send() {
    if (!m_window)
        return;
    m_window->billPrinter().setPageOrder(m_number, m_withRemark);
    m_window->billPrinter().SendCheckToPrinter(m_window->templateId());
}

void EntrySteps::newPage() {
    if (m_window)
        m_window->billPrinter().NewCheckPage();
}

bool EntrySteps::end() {
    if (!m_window)
        return false;
    m_window->billPrinter().PrinterTransEnd();
    return m_window->billPrinter().spooled();
}

void EntrySteps::abort() {
    if (m_window)
        m_window->billPrinter().AbortPrint();
}

} // namespace batch::ui
