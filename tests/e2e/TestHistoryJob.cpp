#include "BillDevice.h"
#include "support/CupsPdfOutput.h"
#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include "core/ui/DataGrid.h"
#include "entry/ui/BillBoxes.h"
#include "entry/ui/NoteCommands.h"
#include "entry/ui/TfmCheckFHDSHD.h"
#include "history/ui/TfmSearch_FHDSHD.h"
#include "print/QtPrintDevice.h"
#include "program/Program.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using entry::ui::TfmCheckFHDSHD;
using history::ui::TfmSearch_FHDSHD;

// Three notes saved in the entry window are found in the history under "今天", two are voided
// there, the third is reopened by double-click and printed again through the queue.
class TestHistoryJob : public QObject {
    Q_OBJECT

    std::unique_ptr<TestHome> home;
    std::unique_ptr<print::QtPrintDevice> device;
    std::unique_ptr<program::Program> program;
    QString noQueue;
    QTemporaryDir scratch;

    QString saveNote(TfmCheckFHDSHD& window, int n) {
        entry::ui::BillBoxes& b = window.boxes();
        QTest::mouseClick(window.findChild<QToolButton*>(QStringLiteral("btNew")), Qt::LeftButton);
        b.zdGKLXR->setText(QStringLiteral("客户%1").arg(n));
        entry::ui::GoodsLine& line = b.lines[0];
        line.zdSFNR->setText(QStringLiteral("货品%1").arg(n));
        QTest::mouseClick(line.zdSL, Qt::LeftButton);
        line.zdSL->selectAll();
        QTest::keyClicks(line.zdSL, QString::number(n));
        QTest::mouseClick(line.zdDJ, Qt::LeftButton);
        line.zdDJ->selectAll();
        QTest::keyClicks(line.zdDJ, QStringLiteral("10.5"));
        QTest::keyClick(line.zdDJ, Qt::Key_Tab);
        home->dialogs().clear();
        QTest::mouseClick(window.findChild<QToolButton*>(QStringLiteral("btSave")), Qt::LeftButton);
        // A refused save gives no number, and the count of saved notes below fails.
        return home->dialogs().sawText(QStringLiteral("新出货单保存成功！")) ? b.zdPJBH->text() : QString();
    }

private slots:
    void init() {
        home = std::make_unique<TestHome>();
        QVERIFY2(home->isValid(), qPrintable(home->error()));
        noQueue = cups_pdf::unavailableReason();
        device = billDevice(*home, noQueue, scratch);
        program = std::make_unique<program::Program>(home->app(), *device);
    }
    void cleanup() {
        program.reset();
        device.reset();
        home.reset();
    }

    void findVoidAndReopen() {
        QVERIFY(program->startUp(false));
        core::ui::Tfm_Main& main = program->mainWindow();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        auto* window = qobject_cast<TfmCheckFHDSHD*>(main.mdiArea()->subWindowList().first()->widget());
        QVERIFY(window);
        QVERIFY(window->findChild<QToolButton*>(QStringLiteral("btOpen"))->isEnabled());
        QVERIFY(main.action(QStringLiteral("actTbHistory"))->isEnabled());
        QStringList numbers;
        for (int n = 1; n <= 3; ++n)
            numbers.prepend(saveNote(*window, n));
        QCOMPARE(home->db().scalar(QStringLiteral("select count(*) from DataCheckFHDSHD")).toInt(), 3);
        // The window shows another note on another template before the reopen, and the first
        // note's template has been deleted since: it opens on the kind's default.
        QTest::mouseClick(window->findChild<QToolButton*>(QStringLiteral("btNew")), Qt::LeftButton);
        QVERIFY(window->selectVariant(QStringLiteral("三联241")));
        home->db().exec(QStringLiteral("update DataCheckFHDSHD set 模板种类='已删除' where 票据编号=:n"),
                        {{QStringLiteral("n"), numbers.at(2)}});

        bool driven = false;
        QTimer::singleShot(0, this, [&] {
            // A failed check must not leave the modal window waiting for a hand.
            const auto closeLeftOver = qScopeGuard([] {
                if (QWidget* modal = QApplication::activeModalWidget())
                    modal->close();
            });
            auto* history = qobject_cast<TfmSearch_FHDSHD*>(QApplication::activeModalWidget());
            QVERIFY(history);
            auto* presets = history->findChild<QListWidget*>(QStringLiteral("lstDatePreset"));
            QListWidgetItem* today = presets->findItems(QStringLiteral("今天"), Qt::MatchExactly).first();
            QTest::mouseClick(presets->viewport(), Qt::LeftButton, {},
                              presets->visualItemRect(today).center());
            core::ui::DataGrid& grid = history->grid();
            QCOMPARE(history->findChild<QLabel*>(QStringLiteral("Pjcount"))->text(), QStringLiteral("3"));
            // 1 × 10.5 + 2 × 10.5 + 3 × 10.5
            QCOMPARE(history->findChild<QLabel*>(QStringLiteral("lbSum"))->text(),
                     QStringLiteral("金额汇总:￥63.00"));
            for (int row = 0; row < 3; ++row)
                QCOMPARE(grid.value(row, QStringLiteral("票据编号")).toString(), numbers.at(row));
            QTest::mouseClick(grid.viewport(), Qt::LeftButton, {},
                              grid.visualRect(grid.model()->index(0, 1)).center());
            QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::ControlModifier,
                              grid.visualRect(grid.model()->index(1, 1)).center());
            home->dialogs().clear();
            QTest::mouseClick(history->findChild<QPushButton*>(QStringLiteral("btVoid")), Qt::LeftButton);
            QCOMPARE(home->dialogs().texts(), QStringList{QStringLiteral("成功作废2条记录！")});
            QCOMPARE(grid.value(2, QStringLiteral("票据编号")).toString(), numbers.at(2));
            const QPoint third = grid.visualRect(grid.model()->index(2, 1)).center();
            // The events a double-click delivers to the view: press, release, double-click, release.
            for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                                      QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
                QMouseEvent event(type, third, grid.viewport()->mapToGlobal(third), Qt::LeftButton,
                                  type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, {});
                QApplication::sendEvent(grid.viewport(), &event);
            }
            driven = true;
        });
        main.action(QStringLiteral("actTbHistory"))->trigger();
        QVERIFY(driven);
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(home->db()
                     .scalar(QStringLiteral(
                         "select group_concat(票据状态) from (select 票据状态 from DataCheckFHDSHD "
                         "order by 流水号) as states"))
                     .toString(),
                 QStringLiteral("正常,作废,作废"));

        // The reopened note is the first one saved, in the entry window.
        QCOMPARE(window->variant(), QStringLiteral("标准"));
        QCOMPARE(window->boxes().zdPJBH->text(), numbers.at(2));
        QCOMPARE(window->boxes().zdGKLXR->text(), QStringLiteral("客户1"));
        QCOMPARE(window->boxes().lines[0].zdSFNR->text(), QStringLiteral("货品1"));
        QCOMPARE(window->boxes().zdHJJEXX->text(), QStringLiteral("10.50"));

        if (!noQueue.isEmpty())
            QSKIP(qPrintable(noQueue));
        const QStringList folders = cups_pdf::outputFolders();
        const QSet<QString> before = cups_pdf::pdfsIn(folders);
        home->dialogs().clear();
        home->dialogs().inputs.enqueue(QStringLiteral("1"));
        window->commands().btMultiPrintFClick();
        QCOMPARE(device->printerName(), cups_pdf::queue());
        const QString pdf = cups_pdf::waitForNewPdf(folders, before, device->title(), 30000);
        QVERIFY2(!pdf.isEmpty(),
                 qPrintable(QStringLiteral("no PDF appeared in ") + folders.join(QLatin1Char(' '))));
        const auto removePdf = qScopeGuard([&pdf] { QFile::remove(pdf); });
        QProcess text;
        text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        QVERIFY(text.waitForFinished(10000));
        QVERIFY(!text.readAllStandardOutput().trimmed().isEmpty());
    }
};

OVERPRINT_TEST(TestHistoryJob)
#include "TestHistoryJob.moc"
