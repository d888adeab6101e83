#include "core/IniFile.h"
#include "core/ui/DataGrid.h"
#include "print/MeasuredCalibration.h"
#include "print/RecordingPrintDevice.h"
#include "print/ui/TfrmMeasuredCalibration.h"
#include "print/ui/TfrmPrintJournal.h"
#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include <QApplication>
#include <QDoubleSpinBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

using print::JournalPage;
using print::PrintJournal;

namespace {

// Types into whatever has the focus, as the keyboard does.
void typeIntoFocus(const QString& text) {
    QWidget* focus = QApplication::focusWidget();
    QVERIFY(focus);
    QTest::keyClick(focus, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(QApplication::focusWidget(), text);
}

void click(QWidget& window, const QString& name) {
    auto* button = window.findChild<QPushButton*>(name);
    QVERIFY2(button, qPrintable(name));
    QVERIFY2(button->isEnabled(), qPrintable(name + QStringLiteral(" is disabled")));
    QTest::mouseClick(button, Qt::LeftButton);
}

} // namespace

class TestJournalWindows : public QObject {
    Q_OBJECT

private slots:
    // The clerk tabs through the boxes typing what the ruler says (blank: not measured), then
    // 计算 and 保存校准; pressing both again stores the same correction, never one on the other.
    void calibrationWindowStoresWhatWasMeasured_data() {
        QTest::addColumn<QVector<int>>("typed"); // crosses typed, from 1
        QTest::addColumn<QPointF>("misread");    // added to the last typed cross
        QTest::addColumn<bool>("oneNumberOnly");
        QTest::addColumn<QString>("message");
        const QVector<int> all{1, 2, 3, 4, 5, 6, 7, 8, 9};
        QTest::newRow("worn tractor, nine crosses") << all << QPointF() << false << QString();
        QTest::newRow("four corners only") << QVector<int>{1, 3, 7, 9} << QPointF() << false << QString();
        QTest::newRow("cross 9 misread by 2 mm")
            << all << QPointF(0, 2) << false << QStringLiteral("第 9 个十字");
        QTest::newRow("a cross with one number")
            << all << QPointF() << true << QStringLiteral("只填了一个数");
    }
    void calibrationWindowStoresWhatWasMeasured() {
        QFETCH(QVector<int>, typed);
        QFETCH(QPointF, misread);
        QFETCH(bool, oneNumberOnly);
        QFETCH(QString, message);
        TestHome home;
        QVERIFY(home.isValid());
        home.app().setCurrentPrinter(QString());
        home.app().currentCheckTypeId = 1;
        print::RecordingPrintDevice device;
        print::ui::TfrmMeasuredCalibration window(home.app(), device);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        const QVector<QPointF> nominal = window.page().crosses;
        QCOMPARE(nominal.size(), 9);
        // Shifted 3.1 mm right and 1.5 mm down, stretched 1 % across, turned a quarter degree.
        const QTransform worn = QTransform().translate(3.1, 1.5).rotate(0.25).scale(1.01, 1.0);
        window.findChild<QLineEdit*>(QStringLiteral("edX1"))->setFocus();
        for (int i = 1; i <= 9; ++i) {
            QPointF at = worn.map(nominal[i - 1]);
            if (i == typed.last())
                at += misread;
            const bool shown = typed.contains(i);
            typeIntoFocus(shown ? QString::number(at.x(), 'f', 1) : QString());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            typeIntoFocus(shown && !(oneNumberOnly && i == 5) ? QString::number(at.y(), 'f', 1) : QString());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QVERIFY(!window.findChild<QLineEdit*>(QStringLiteral("edY9"))->text().isEmpty());
        click(window, QStringLiteral("btSolve"));
        auto* save = window.findChild<QPushButton*>(QStringLiteral("btSave"));
        const QString result = window.findChild<QLabel*>(QStringLiteral("lbResult"))->text();
        if (!message.isEmpty()) {
            QVERIFY(!save->isEnabled());
            QVERIFY2(result.contains(message), qPrintable(result));
            QVERIFY(home.dialogs().sawText(message));
            return;
        }
        QVERIFY2(save->isEnabled() && result.contains(QStringLiteral("右")), qPrintable(result));
        QCOMPARE(window.findChild<QLabel*>(QStringLiteral("lbResidual2"))->text().isEmpty(), false);
        using O = print::PrintDevice::Orientation;
        QTransform stored[2];
        for (QTransform& kept : stored) {
            click(window, QStringLiteral("btSave"));
            QVERIFY(!save->isEnabled());
            QVERIFY(window.findChild<QLabel*>(QStringLiteral("lbInForce"))
                        ->text()
                        .contains(QStringLiteral("尺量")));
            core::IniFile ini(home.app().userIni().fileName());
            kept = print::MeasuredCalibration(ini).recall(QStringLiteral("Recorder"), -1, O::Portrait);
            QVERIFY(!kept.isIdentity());
            click(window, QStringLiteral("btSolve"));
        }
        for (const QPointF& p : nominal) {
            QVERIFY(QLineF(stored[0].map(p), stored[1].map(p)).length() < 1e-9);
            // What is sent lands where it belongs, to the tenth the ruler was read to.
            QVERIFY(QLineF(worn.map(stored[0].map(p)), p).length() < 0.15);
        }
        home.dialogs().answers.enqueue(1);
        click(window, QStringLiteral("btClear"));
        QVERIFY(window.findChild<QLabel*>(QStringLiteral("lbInForce"))
                    ->text()
                    .contains(QStringLiteral("不校准")));
    }

    void journalWindowReprintsSelectionAndTail() {
        TestHome home;
        QVERIFY(home.isValid());
        PrintJournal journal(home.app());
        for (int job = 1; job <= 2; ++job) {
            PrintJournal::Job j{QStringLiteral("EPSON LQ-630K"),
                                QStringLiteral("A4"),
                                1,
                                QStringLiteral("标准"),
                                QStringLiteral("小王"),
                                1,
                                {}};
            for (int n = 1; n <= 5; ++n)
                j.pages.append({QStringLiteral("J%1-%2").arg(job).arg(n), {}, {}});
            QCOMPARE(journal.record(j), job);
        }
        QVector<JournalPage> asked;
        print::ui::TfrmPrintJournal window(
            home.app(),
            [&asked](const QVector<JournalPage>& pages) {
                asked = pages;
                return int(pages.size());
            },
            nullptr);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        core::ui::DataGrid& grid = window.grid();
        QCOMPARE(grid.rowCount(), 10);
        QCOMPARE(grid.value(0, QStringLiteral("作业号")).toInt(), 2); // newest job first

        window.findChild<QLineEdit*>(QStringLiteral("edNumber"))->setFocus();
        typeIntoFocus(QStringLiteral("J1-"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(grid.rowCount(), 5);
        grid.selectionModel()->select(grid.model()->index(1, 1),
                                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
        grid.selectionModel()->select(grid.model()->index(3, 1),
                                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
        click(window, QStringLiteral("btReprintSelected"));
        QCOMPARE(asked.size(), 2);
        QCOMPARE(asked[0].noteNumber, QStringLiteral("J1-2"));
        QCOMPARE(asked[1].noteNumber, QStringLiteral("J1-4"));
        QVERIFY(home.dialogs().sawText(QStringLiteral("已补打 2 张")));

        // "从第n张起" from the job of the row pointed at.
        grid.setCurrentRow(0);
        window.findChild<QSpinBox*>(QStringLiteral("edFromPage"))->setValue(3);
        click(window, QStringLiteral("btReprintFrom"));
        QCOMPARE(asked.size(), 3);
        QCOMPARE(asked.first().noteNumber, QStringLiteral("J1-3"));
        QCOMPARE(asked.last().noteNumber, QStringLiteral("J1-5"));
        grid.setCurrentRow(0);
        window.findChild<QSpinBox*>(QStringLiteral("edFromPage"))->setValue(9);
        home.dialogs().clear();
        asked.clear();
        click(window, QStringLiteral("btReprintFrom"));
        QVERIFY(asked.isEmpty());
        QVERIFY(home.dialogs().sawText(QStringLiteral("没有第9张")));
    }
};

OVERPRINT_TEST(TestJournalWindows)
#include "TestJournalWindows.moc"
