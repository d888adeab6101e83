#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include "batch/ui/TfrmMutiPrintOrder.h"
#include "core/ui/DataGrid.h"
#include "core/ui/Tfm_Main.h"
#include "entry/ui/BillBoxes.h"
#include "entry/ui/NoteCommands.h"
#include "entry/ui/TfmCheckFHDSHD.h"
#include "print/PrintJournal.h"
#include "print/QtPrintDevice.h"
#include "program/Program.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPageSize>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using entry::ui::TfmCheckFHDSHD;

namespace {

constexpr int kOrders = 20;

// Digits only: the PDF's text layer loses digits that follow a Latin letter.
QString orderNumber(int n) {
    return QStringLiteral("7700%1").arg(n, 2, 10, QLatin1Char('0'));
}

// The text of every page of a PDF, page by page.
QStringList pagesOf(const QString& pdf) {
    QStringList pages;
    for (int page = 1;; ++page) {
        QProcess p;
        p.start(QStringLiteral("pdftotext"),
                {QStringLiteral("-layout"), QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                 QString::number(page), pdf, QStringLiteral("-")});
        p.waitForFinished(30000);
        if (p.exitCode() != 0)
            break; // past the last page
        pages << QString::fromUtf8(p.readAllStandardOutput());
    }
    return pages;
}

} // namespace

// The jam after a batch run, as a clerk meets it: twenty orders printed in one job, the seventh
// sheet jams, and the spoiled sheets are printed again from 打印记录 — the pages chosen, then
// "从第7张起" — from the orders as they are stored. The pages read word for word as the first
// printout. A typed note in the entry window is asked about once and, when the reprint prints
// nothing, is still asked about when the window closes.
class TestBatchReprintJob : public QObject {
    Q_OBJECT

    std::unique_ptr<TestHome> home;
    std::unique_ptr<print::QtPrintDevice> device;
    std::unique_ptr<program::Program> program;
    QTemporaryDir scratch;

    // The PDF the bill printer writes, as the command line's --pdf does: the text of its pages
    // is read back as it was drawn (a queue's PDF is drawn again by the queue's own engine).
    QString pdf() const { return scratch.filePath(QStringLiteral("bill.pdf")); }
    void expectJob() { QFile::remove(pdf()); }
    QStringList jobPages() { return pagesOf(pdf()); }

    // Opens 打印记录, lets `drive` work in it and closes it.
    void inJournal(const std::function<void(QDialog&)>& drive) {
        bool driven = false;
        QTimer::singleShot(0, this, [&] {
            auto* window = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            const auto close = qScopeGuard([window] {
                if (window)
                    window->reject();
            });
            QVERIFY(window);
            QCOMPARE(window->objectName(), QStringLiteral("TfrmPrintJournal"));
            drive(*window);
            driven = true;
        });
        program->mainWindow().action(QStringLiteral("actPrintJournal"))->trigger();
        QVERIFY(driven);
    }

private slots:
    void init() {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        home = std::make_unique<TestHome>();
        QVERIFY2(home->isValid(), qPrintable(home->error()));
        device = std::make_unique<print::QtPrintDevice>(pdf());
        device->printer().setPageSize(QPageSize(QPageSize::A3));
        core::Database& db = home->db();
        for (int n = 1; n <= kOrders; ++n) {
            db.exec(
                QStringLiteral(
                    "insert into OrderList (订单号, 订单状态, 客户全称, 备注) values (:n, '未打印', :c, :r)"),
                {{QStringLiteral("n"), orderNumber(n)},
                 {QStringLiteral("c"), QStringLiteral("商行%1号").arg(n)},
                 {QStringLiteral("r"), QStringLiteral("备注%1").arg(n)}});
            db.exec(QStringLiteral(
                        "insert into OrderDetail (订单号, 商品名, 数量, 单价, 金额) values (:n, :g, :q, "
                        "'1.25', :a)"),
                    {{QStringLiteral("n"), orderNumber(n)},
                     {QStringLiteral("g"), QStringLiteral("货品%1").arg(n)},
                     {QStringLiteral("q"), QString::number(n)},
                     {QStringLiteral("a"), QString::number(1.25 * n, 'f', 2)}});
        }
        program = std::make_unique<program::Program>(home->app(), *device);
    }
    void cleanup() {
        program.reset();
        device.reset();
        home.reset();
    }

    void jamAtSevenReprintedFromTheOrders() {
        QVERIFY(program->startUp(false));
        core::ui::Tfm_Main& main = program->mainWindow();
        auto* entryWindow = qobject_cast<TfmCheckFHDSHD*>(main.mdiArea()->subWindowList().first()->widget());
        QVERIFY(entryWindow);
        QTest::mouseClick(entryWindow->findChild<QToolButton*>(QStringLiteral("btMultiPrintS")),
                          Qt::LeftButton);
        batch::ui::TfrmMutiPrintOrder* batchWindow = program->batchWindow();
        QVERIFY(batchWindow);
        QCOMPARE(batchWindow->grid().rowCount(), kOrders);
        // The remark column hidden, so the run prints no remarks: the reprint fills the boxes the
        // same way, whatever the list shows by then.
        core::ui::DataGrid& list = batchWindow->grid();
        list.setColumnHidden(list.fieldIndex(QStringLiteral("备注")), true);

        home->dialogs().clear();
        expectJob();
        QTest::mouseClick(batchWindow->findChild<QPushButton*>(QStringLiteral("btStartPrintAll")),
                          Qt::LeftButton);
        QVERIFY2(home->dialogs().shown.isEmpty(), qPrintable(home->dialogs().texts().join('|')));
        const QStringList first = jobPages();
        QCOMPARE(first.size(), kOrders);
        for (int n = 1; n <= kOrders; ++n)
            QVERIFY2(first.at(n - 1).contains(QStringLiteral("商行%1号").arg(n)),
                     qPrintable(first.at(n - 1)));
        QCOMPARE(home->db()
                     .scalar(QStringLiteral("select count(*) from OrderList where 订单状态='已打印'"))
                     .toInt(),
                 kOrders);
        QVERIFY(!first.join(' ').contains(QStringLiteral("备注")));
        list.setColumnHidden(list.fieldIndex(QStringLiteral("备注")), false);

        // Sheets 7 to 12 chosen in the journal's list.
        inJournal([&](QDialog& window) {
            auto* grid = window.findChild<core::ui::DataGrid*>(QStringLiteral("gridJournal"));
            QVERIFY(grid);
            QCOMPARE(grid->rowCount(), kOrders);
            QItemSelection chosen;
            for (int row = 0; row < grid->rowCount(); ++row) {
                const int page = grid->value(row, QStringLiteral("页号")).toInt();
                if (page >= 7 && page <= 12)
                    chosen.select(grid->model()->index(row, 1), grid->model()->index(row, 1));
            }
            grid->selectionModel()->select(chosen,
                                           QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            home->dialogs().clear();
            expectJob();
            QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("btReprintSelected")),
                              Qt::LeftButton);
            QCOMPARE(home->dialogs().texts(), QStringList{QStringLiteral("已补打 6 张。")});
        });
        QCOMPARE(jobPages(), first.mid(6, 6));

        // "从第7张起" on the batch job, picked by its row: the rest of the job.
        inJournal([&](QDialog& window) {
            auto* grid = window.findChild<core::ui::DataGrid*>(QStringLiteral("gridJournal"));
            for (int row = 0; row < grid->rowCount(); ++row)
                if (grid->value(row, QStringLiteral("作业号")).toInt() == 1) {
                    grid->setCurrentIndex(grid->model()->index(row, 1));
                    break;
                }
            window.findChild<QSpinBox*>(QStringLiteral("edFromPage"))->setValue(7);
            home->dialogs().clear();
            expectJob();
            QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("btReprintFrom")),
                              Qt::LeftButton);
            QCOMPARE(home->dialogs().texts(), QStringList{QStringLiteral("已补打 14 张。")});
        });
        QCOMPARE(jobPages(), first.mid(6));

        // An order changed since and one deleted since are named before anything prints.
        home->db().exec(QStringLiteral("update OrderList set 客户全称='商行8号（新址）' where 订单号=:n"),
                        {{QStringLiteral("n"), orderNumber(8)}});
        home->db().exec(QStringLiteral("delete from OrderList where 订单号=:n"),
                        {{QStringLiteral("n"), orderNumber(9)}});
        const QVector<print::JournalPage> pages = print::PrintJournal(home->app()).pagesOf(1, 8, 9);
        home->dialogs().clear();
        home->dialogs().answers.enqueue(0);
        QCOMPARE(program->reprintPages(pages), 0);
        const QString asked = home->dialogs().texts().join('|');
        QVERIFY2(asked.contains(QStringLiteral("修改过")) && asked.contains(orderNumber(8)) &&
                     asked.contains(QStringLiteral("找不到")) && asked.contains(orderNumber(9)),
                 qPrintable(asked));
    }

    // A typed note, then a reprint whose pages are all gone: one question, nothing printed, and
    // the typed note still counts as unsaved when the window closes.
    void typedNoteKeepsAskingAfterAFailedReprint() {
        QVERIFY(program->startUp(false));
        core::ui::Tfm_Main& main = program->mainWindow();
        auto* entryWindow = qobject_cast<TfmCheckFHDSHD*>(main.mdiArea()->subWindowList().first()->widget());
        QVERIFY(entryWindow);
        entry::ui::BillBoxes& b = entryWindow->boxes();
        QTest::mouseClick(b.zdGKLXR, Qt::LeftButton);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Lee"));
        QVERIFY(entryWindow->commands().hasUnsavedNote());

        print::PrintJournal::Job job;
        job.printer = QStringLiteral("BillPDF");
        job.templateId = entryWindow->templateId();
        job.templateName = entryWindow->variant();
        job.pages.append({QStringLiteral("99990001"), {}, {}, print::JournalPage::Source::Note, true});
        print::PrintJournal journal(home->app());
        const int number = journal.record(job);

        home->dialogs().clear();
        home->dialogs().answers.enqueue(1); // yes, the typed note may go
        QCOMPARE(program->reprintPages(journal.pagesOf(number, 1)), 0);
        QCOMPARE(home->dialogs().shown.size(), 2);
        QVERIFY(home->dialogs().shown.first().text.contains(QStringLiteral("补打后内容将丢失")));
        QVERIFY(home->dialogs().shown.last().text.contains(QStringLiteral("找不到可以补打的票据")));
        QCOMPARE(b.zdGKLXR->text(), QStringLiteral("Lee"));
        QVERIFY(entryWindow->commands().hasUnsavedNote());

        home->dialogs().clear();
        home->dialogs().answers.enqueue(0); // no: keep it
        QVERIFY(!main.closeAllBills());
        QVERIFY(home->dialogs().sawText(QStringLiteral("还没有保存")));
    }
};

OVERPRINT_TEST(TestBatchReprintJob)
#include "TestBatchReprintJob.moc"
