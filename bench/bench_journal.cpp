// The print journal in the running program.
//  1. What the journal adds to "保存并打印": the digest of the page's values and the write of a
//     one-page job in its own transaction (median of 50).
//  2. A jam at page 600 of a 1,000-page run: the reprint of pages 600 to 1,000 from the notes as
//     stored, through the entry window, from the call to the job handed to the spooler (median
//     of 3). Prints through the CUPS queue BillPDF when it exists, else into a PDF file.
// Run offscreen (QT_QPA_PLATFORM=offscreen is set when nothing is).

#include "BenchHome.h"
#include "entry/ui/BillBoxes.h"
#include "entry/ui/NoteCommands.h"
#include "entry/ui/TfmCheckFHDSHD.h"
#include "print/BillPrinter.h"
#include "print/PrintJournal.h"
#include "print/QtPrintDevice.h"
#include "program/Program.h"
#include "support/CupsPdfOutput.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QToolButton>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int kNotes = 1000;
constexpr int kFrom = 600;

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// kNotes stored notes, copies of the one saved through the window, each its own customer.
QStringList storeNotes(core::Database& db, const QString& source) {
    QStringList numbers;
    db.begin();
    for (int n = 1; n <= kNotes; ++n) {
        const QString number = QStringLiteral("JAM-%1").arg(n, 4, 10, QLatin1Char('0'));
        const QVariantMap p{{QStringLiteral("num"), number},
                            {QStringLiteral("src"), source},
                            {QStringLiteral("who"), QStringLiteral("客户%1号").arg(n)}};
        db.exec(QStringLiteral(
                    "insert into DataCheckFHDSHD (票据编号, 模板种类, 其他选项, 票据状态, 币种, 合计金额, "
                    "合计数量, 备注, 订单编号, 订单日期, 出票日期, 顾客名称, 顾客联系人, 顾客地址, 顾客电话, "
                    "顾客手机, 开票人, 收款人) select :num, 模板种类, 其他选项, 票据状态, 币种, 合计金额, "
                    "合计数量, 备注, 订单编号, 订单日期, 出票日期, :who, 顾客联系人, 顾客地址, 顾客电话, "
                    "顾客手机, 开票人, 收款人 from DataCheckFHDSHD where 票据编号=:src"),
                p);
        db.exec(
            QStringLiteral(
                "insert into DataCheckFHDSHDDetail (票据编号, 序号, 订单编号, 货号, 商品名, 规格, 单位, "
                "数量, 单价, 金额, 其他属性) select :num, 序号, 订单编号, 货号, 商品名, 规格, 单位, 数量, "
                "单价, 金额, 其他属性 from DataCheckFHDSHDDetail where 票据编号=:src"),
            p);
        numbers << number;
    }
    db.commit();
    return numbers;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    BenchHome home;
    if (!home.prepare())
        return 1;
    core::AppContext& app = home.app();
    core::ScriptedDialogs& dialogs = home.dialogs;

    const bool spooled = QPrinterInfo::availablePrinterNames().contains(cups_pdf::queue());
    std::unique_ptr<print::QtPrintDevice> device;
    if (spooled) {
        device = std::make_unique<print::QtPrintDevice>();
        app.setConfigByname(QStringLiteral("DefaultPrinter"), cups_pdf::queue());
        std::printf("printing through the CUPS queue %s\n", qPrintable(cups_pdf::queue()));
    } else {
        device = std::make_unique<print::QtPrintDevice>(home.filePath(QStringLiteral("reprint.pdf")));
        std::printf("no CUPS queue %s: printing into a PDF file instead\n", qPrintable(cups_pdf::queue()));
    }
    device->printer().setPageSize(QPageSize(QPageSize::A3));

    program::Program overprint(app, *device);
    if (!overprint.startUp(false)) {
        std::fprintf(stderr, "the program did not start\n");
        return 1;
    }
    QMdiArea* area = overprint.mainWindow().mdiArea();
    auto* window = area->subWindowList().isEmpty()
                       ? nullptr
                       : qobject_cast<entry::ui::TfmCheckFHDSHD*>(area->subWindowList().first()->widget());
    if (!window) {
        std::fprintf(stderr, "no entry window\n");
        return 1;
    }
    window->findChild<QToolButton*>(QStringLiteral("btNew"))->click();
    entry::ui::BillBoxes& b = window->boxes();
    b.zdGKMC->setEditText(QStringLiteral("鹏城五金's 商行"));
    b.zdGKAddr->setText(QStringLiteral("福田区华强北路1号"));
    b.lines[0].zdSFNR->setText(QStringLiteral("六角螺栓"));
    b.lines[0].zdDJ->setText(QStringLiteral("3.55"));
    b.lines[0].zdSL->setText(QStringLiteral("12"));
    b.lines[1].zdSFNR->setText(QStringLiteral("平垫圈"));
    b.lines[1].zdDJ->setText(QStringLiteral("0.12"));
    b.lines[1].zdSL->setText(QStringLiteral("250"));
    QElapsedTimer saving;
    saving.start();
    const bool stored = window->commands().Save();
    const double saveMs = saving.nsecsElapsed() / 1e6;
    if (!stored) {
        std::fprintf(stderr, "the note was not saved: %s\n",
                     qPrintable(dialogs.texts().join(QLatin1Char('|'))));
        return 1;
    }
    const QString saved = b.zdPJBH->text();
    std::printf(
        "for scale: the note's own save took %.1f ms (its commit waits for the disk like the journal's)\n",
        saveMs);
    dialogs.clear();

    // 1. The journal's share of a save-and-print click.
    print::BillPrinter& printer = window->billPrinter();
    print::PrintJournal journal(app);
    journal.ensureTable();
    std::vector<double> digests;
    std::vector<double> writes;
    for (int i = 0; i < 51; ++i) {
        QElapsedTimer timer;
        timer.start();
        print::PrintJournal::Job job{device->printerName(),
                                     QStringLiteral("A3"),
                                     window->templateId(),
                                     QStringLiteral("标准"),
                                     app.userName,
                                     1,
                                     {}};
        job.pages.append({saved, QString(), printer.pageDigest()});
        const double digest = timer.nsecsElapsed() / 1e6;
        journal.record(job);
        if (i > 0) {
            digests.push_back(digest);
            writes.push_back(timer.nsecsElapsed() / 1e6 - digest);
        }
    }
    std::printf("journal cost of one save-and-print page, median of %zu: digest %.2f ms + write %.2f ms\n",
                digests.size(), median(digests), median(writes));
    if (!dialogs.shown.isEmpty()) {
        std::fprintf(stderr, "the digest said: %s\n", qPrintable(dialogs.texts().join(QLatin1Char('|'))));
        return 1;
    }

    // 2. A 1,000-page run jammed at page 600.
    const QStringList numbers = storeNotes(app.db(), saved);
    print::PrintJournal::Job run{device->printerName(),
                                 QStringLiteral("A3"),
                                 window->templateId(),
                                 window->variant(),
                                 app.userName,
                                 1,
                                 {}};
    QElapsedTimer loading;
    loading.start();
    for (const QString& number : numbers) {
        window->commands().BrowseOldCheck(window->variant(), number);
        run.pages.append({number, QString(), printer.pageDigest()});
    }
    const int jammed = journal.record(run);
    std::printf("journal of %d pages made (%.1f s to load every note once)\n", kNotes,
                loading.nsecsElapsed() / 1e9);

    const QStringList folders = cups_pdf::outputFolders();
    const QSet<QString> before = cups_pdf::pdfsIn(folders);
    std::vector<double> times;
    for (int i = 0; i < 3; ++i) {
        dialogs.clear();
        const QVector<print::JournalPage> pages = journal.pagesOf(jammed, kFrom);
        QElapsedTimer timer;
        timer.start();
        const int printed = overprint.reprintPages(pages);
        const double ms = timer.nsecsElapsed() / 1e6;
        if (printed != kNotes - kFrom + 1 || !dialogs.shown.isEmpty()) {
            std::fprintf(stderr, "run %d printed %d pages, said: %s\n", i, printed,
                         qPrintable(dialogs.texts().join(QLatin1Char('|'))));
            return 1;
        }
        times.push_back(ms);
        QApplication::processEvents();
    }
    std::printf("reprint of pages %d-%d of a %d-page job, call to spooler, median of %zu: %.0f ms (min %.0f, "
                "max %.0f)\n",
                kFrom, kNotes, kNotes, times.size(), median(times),
                *std::min_element(times.begin(), times.end()), *std::max_element(times.begin(), times.end()));

    if (spooled) {
        for (std::size_t i = 0; i < times.size(); ++i) {
            const QString pdf = cups_pdf::waitForNewPdf(folders, before, device->title(), 60000);
            if (pdf.isEmpty())
                break;
            QFile::remove(pdf);
        }
    }
    return 0;
}
