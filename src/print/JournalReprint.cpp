#include "print/JournalReprint.h"

#include "core/AppContext.h"
#include "print/BillPrinter.h"

namespace print {

namespace {

const QString kCaption = QStringLiteral("补打");

QString nameOf(const JournalPage& page) {
    QString text = QStringLiteral("作业%1第%2张").arg(page.job).arg(page.page);
    if (!page.noteNumber.isEmpty())
        text += QStringLiteral("（单号%1）").arg(page.noteNumber);
    else if (!page.orderNumber.isEmpty())
        text += QStringLiteral("（订单号%1）").arg(page.orderNumber);
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
    QStringList missing;
    QStringList changed;
    QVector<JournalPage> printable;
    for (const JournalPage& page : pages) {
        const bool numbered = !page.noteNumber.isEmpty() || !page.orderNumber.isEmpty();
        if (!numbered || !m_loader(page)) {
            missing << nameOf(page);
            continue;
        }
        if (m_printer.pageDigest() != page.digest)
            changed << nameOf(page);
        printable << page;
    }
    if (printable.isEmpty()) {
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
        text += QStringLiteral("是否补打其余的 %1 张？").arg(printable.size());
        if (!m_app.dialogs().ask(text, kCaption))
            return 0;
    }
    if (!m_printer.PrintPrepare())
        return 0;
    m_printer.PrinterTransBegin(1);
    int sent = 0;
    for (const JournalPage& page : printable) {
        if (!m_app.printReady)
            break;
        if (!m_loader(page))
            continue; // deleted since the check: its page is not fed
        if (sent > 0)
            m_printer.NewCheckPage();
        m_printer.setPageOrder(page.orderNumber);
        m_printer.SendCheckToPrinter(page.templateId);
        ++sent;
    }
    if (!m_app.printReady)
        return 0;
    if (sent == 0) {
        m_printer.AbortPrint();
        return 0;
    }
    m_printer.PrinterTransEnd();
    return m_printer.spooled() ? sent : 0;
}

} // namespace print
