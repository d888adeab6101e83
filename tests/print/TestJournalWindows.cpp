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
    // The clerk tabs through the six boxes typing what the ruler says, then 计算 and 保存校准.
    void calibrationWindowStoresWhatWasMeasured_data() {
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("message");
        QTest::newRow("worn tractor")
            << QStringList{"23.1", "18.0", "185.5", "19.4", "22.7", "67.6"} << true << QString();
        QTest::newRow("crosses 2 and 3 swapped")
            << QStringList{"23.1", "18.0", "22.7", "67.6", "185.5", "19.4"} << false
            << QStringLiteral("顺序不对");
        QTest::newRow("one cross misread") << QStringList{"23.1", "18.0", "185.5", "19.4", "26.7", "67.6"}
                                           << false << QStringLiteral("残差");
    }
    void calibrationWindowStoresWhatWasMeasured() {
        QFETCH(QStringList, typed);
        QFETCH(bool, accepted);
        QFETCH(QString, message);
        TestHome home;
        QVERIFY(home.isValid());
        home.app().setCurrentPrinter(QString());
        print::RecordingPrintDevice device;
        print::ui::TfrmMeasuredCalibration window(home.app(), device);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        window.findChild<QDoubleSpinBox*>(QStringLiteral("edX1"))->setFocus();
        for (const QString& value : typed) {
            typeIntoFocus(value);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(window.findChild<QDoubleSpinBox*>(QStringLiteral("edY3"))->value(), typed.last().toDouble());
        click(window, QStringLiteral("btSolve"));
        auto* save = window.findChild<QPushButton*>(QStringLiteral("btSave"));
        QCOMPARE(save->isEnabled(), accepted);
        const QString result = window.findChild<QLabel*>(QStringLiteral("lbResult"))->text();
        using O = print::PrintDevice::Orientation;
        if (!accepted) {
            QVERIFY2(result.contains(message), qPrintable(result));
            QVERIFY(home.dialogs().sawText(message));
            return;
        }
        QVERIFY2(result.contains(QStringLiteral("右")) && result.contains(QStringLiteral("歪斜")),
                 qPrintable(result));
        QVERIFY(!window.findChild<QLabel*>(QStringLiteral("lbResidual1"))->text().isEmpty());
        click(window, QStringLiteral("btSave"));
        core::IniFile ini(home.app().userIni().fileName());
        const QTransform stored =
            print::MeasuredCalibration(ini).recall(QStringLiteral("Recorder"), -1, O::Portrait);
        QVERIFY(!stored.isIdentity());
        // Cross 1 was measured 3.1 mm right of where it belongs: the correction moves it back.
        QVERIFY(std::abs(stored.map(QPointF(20, 20)).x() - (20 - 3.1)) < 0.3);
        QVERIFY(!save->isEnabled());
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
