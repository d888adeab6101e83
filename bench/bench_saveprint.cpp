// "保存并打印" on a filled delivery note in the running program: from the click to the job handed
// to the spooler (the click returns right after the print device has ended the document; only
// the re-enabling of two buttons follows). Every run saves a note of its own: the first under
// the number 新建 gave, each later one under a new number, the "existing number" question being
// answered Yes. Prints through the CUPS queue BillPDF when it exists, else into a PDF file.
// Prints the median; run offscreen (QT_QPA_PLATFORM=offscreen is set when nothing is).

#include "BenchHome.h"
#include "BenchProgram.h"
#include "entry/ui/OptionBar.h"
#include "entry/ui/TfmCheckFHDSHD.h"
#include "print/QtPrintDevice.h"
#include "program/Program.h"
#include "support/CupsPdfOutput.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QToolButton>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int kRuns = 15;

void fillNote(entry::ui::TfmCheckFHDSHD& window) {
    entry::ui::BillBoxes& b = window.boxes();
    b.zdGKMC->setEditText(QStringLiteral("鹏城五金's 商行"));
    b.zdGKLXR->setText(QStringLiteral("O'Brien"));
    b.zdGKAddr->setText(QStringLiteral("福田区华强北路1号"));
    b.zdGKPhone->setText(QStringLiteral("0755-83330000"));
    b.zdGKHandset->setText(QStringLiteral("13912345678"));
    b.zdOrderId->setText(QStringLiteral("DD-778"));
    b.zdRemark->setPlainText(QStringLiteral("O'Brien's 订单 50%"));
    const struct {
        const char *article, *name, *model, *unit, *quantity, *price;
    } goods[] = {{"E2E-A1", "六角螺栓", "M8x30", "个", "12", "3.55"},
                 {"E2E-B2", "平垫圈", "8mm", "包", "250", "0.12"},
                 {"E2E-C3", "弹簧垫圈", "8mm", "包", "100", "0.2"}};
    int n = 0;
    for (const auto& g : goods) {
        entry::ui::GoodsLine& line = b.lines[n++];
        line.zdHuoHao->setText(QString::fromUtf8(g.article));
        line.zdSFNR->setText(QString::fromUtf8(g.name));
        line.zdGuiGe->setText(QString::fromUtf8(g.model));
        line.zdDW->setEditText(QString::fromUtf8(g.unit));
        line.zdDJ->setText(QString::fromUtf8(g.price));
        line.zdSL->setText(QString::fromUtf8(g.quantity)); // computes the line and the totals
    }
    window.optionBar().check(QStringLiteral("cfgPrintRemark"))->setChecked(true);
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
    const std::unique_ptr<print::QtPrintDevice> device = benchBillDevice(home, QStringLiteral("note.pdf"));
    program::Program overprint(app, *device);
    entry::ui::TfmCheckFHDSHD* window = benchEntryWindow(overprint);
    if (!window)
        return 1;
    window->findChild<QToolButton*>(QStringLiteral("btNew"))->click();
    fillNote(*window);
    QApplication::processEvents();
    auto* saveAndPrint = window->findChild<QToolButton*>(QStringLiteral("btPrintAndSave"));

    const QStringList folders = cups_pdf::outputFolders();
    const QSet<QString> before = cups_pdf::pdfsIn(folders);
    std::vector<double> times;
    for (int i = 0; i <= kRuns; ++i) {
        const int saved = app.db().scalar(QStringLiteral("select count(*) from DataCheckFHDSHD")).toInt();
        dialogs.clear();
        dialogs.answers.enqueue(1); // "existing number": Yes, a new number
        QElapsedTimer timer;
        timer.start();
        saveAndPrint->click();
        const double ms = timer.nsecsElapsed() / 1e6;
        dialogs.answers.clear();
        const int now = app.db().scalar(QStringLiteral("select count(*) from DataCheckFHDSHD")).toInt();
        for (const core::ScriptedDialogs::Shown& shown : dialogs.shown)
            if (shown.kind != QLatin1String("ask") || !shown.text.contains(QStringLiteral("已经存在"))) {
                std::fprintf(stderr, "run %d showed: %s\n", i, qPrintable(shown.text));
                return 1;
            }
        if (now != saved + 1) {
            std::fprintf(stderr, "run %d saved no note\n", i);
            return 1;
        }
        QApplication::processEvents();
        // The first job loads the fonts and opens the spooler connection; it is reported apart.
        if (i == 0)
            std::printf("first save and print: %.1f ms\n", ms);
        else
            times.push_back(ms);
    }
    std::sort(times.begin(), times.end());
    std::printf("save and print, click to spooler, median of %d: %.1f ms (min %.1f, max %.1f)\n", kRuns,
                times[times.size() / 2], times.front(), times.back());

    if (spooled) {
        // Leave no job output behind: wait for the PDFs of these jobs, then remove them.
        int removed = 0;
        for (int i = 0; i <= kRuns; ++i) {
            const QString pdf = cups_pdf::waitForNewPdf(folders, before, device->title(), 30000);
            if (pdf.isEmpty())
                break;
            QFile::remove(pdf);
            ++removed;
        }
        std::printf("%d of %d jobs came out of the queue\n", removed, kRuns + 1);
    }
    return 0;
}
