#include "print/JournalReprint.h"

#include "core/AppContext.h"
#include "print/BillPrinter.h"

namespace print {

namespace {

const QString kCaption = QStringLiteral("补打");

QString nameOf(const JournalPage& page) {
    QString text = QStringLiteral("作业%1第%2张").arg(page.job).arg(page.page);
    if (page.source == JournalPage::Source::Order && !page.orderNumber.isEmpty())
        text += QStringLiteral("（订单号%1）").arg(page.orderNumber);
    else if (!page.noteNumber.isEmpty())
        text += QStringLiteral("（单号%1）").arg(page.noteNumber);
    return text;
}

QString listed(const QStringList& names) {
    constexpr int kShown = 10;
    QString text = QStringList(names.mid(0, kShown)).join(QStringLiteral("、"));
    if (names.size() > kShown)
        text += QStringLiteral("等%1张").arg(names.size());
    return text;
}

} // namespace

JournalReprint::JournalReprint(core::AppContext& app, BillPrinter& printer, Loader loader)
    : m_app(app), m_printer(printer), m_loader(std::move(loader)) {}

int JournalReprint::reprint(const QVector<JournalPage>& pages) {
    if (pages.isEmpty()) {
        m_app.dialogs().message(QStringLiteral("请先选择要补打的页~"));
        return 0;
    }
    for (const JournalPage& page : pages) {
        if (page.templateId != pages.first().templateId) {
            m_app.dialogs().message(QStringLiteral("所选的页用了不同的模板，请按模板分开补打~"));
            return 0;
        }
    }
    // Every page is loaded once and goes into the job at once; the job is handed over only after
    // the clerk has heard about missing and changed notes, so a "no" feeds no sheet.
    QStringList missing;
    QStringList changed;
    int sent = 0;
    for (const JournalPage& page : pages) {
        const bool numbered = page.source == JournalPage::Source::Order ? !page.orderNumber.isEmpty()
                                                                        : !page.noteNumber.isEmpty();
        if (!numbered || !m_loader(page)) {
            missing << nameOf(page);
            continue;
        }
        if (m_printer.pageDigest() != page.digest)
            changed << nameOf(page);
        if (sent == 0) {
            if (!m_printer.PrintPrepare())
                return 0;
            m_printer.PrinterTransBegin(1);
        } else {
            m_printer.NewCheckPage();
        }
        if (!m_app.printReady)
            return 0; // the device failed and has said so
        if (page.source == JournalPage::Source::Order)
            m_printer.setPageOrder(page.orderNumber, page.orderRemark);
        m_printer.SendCheckToPrinter(page.templateId);
        ++sent;
    }
    if (sent == 0) {
        m_app.dialogs().message(QStringLiteral("所选的页找不到可以补打的票据：") + listed(missing));
        return 0;
    }
    if (!changed.isEmpty() || !missing.isEmpty()) {
        QString text;
        if (!changed.isEmpty())
            text += QStringLiteral("以下票据在打印之后修改过，将按现在保存的内容打印：\n") + listed(changed) +
                    QLatin1Char('\n');
        if (!missing.isEmpty())
            text += QStringLiteral("以下页找不到票据，不会补打：\n") + listed(missing) + QLatin1Char('\n');
        text += QStringLiteral("是否补打其余的 %1 张？").arg(sent);
        if (!m_app.dialogs().ask(text, kCaption)) {
            m_printer.AbortPrint();
            return 0;
        }
    }
    if (!m_app.printReady)
        return 0;
    m_printer.PrinterTransEnd();
    return m_printer.spooled() ? sent : 0;
}

} // namespace print
