#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include "entry/ui/TfmCheckFHDSHD.h"
#include "print/RecordingPrintDevice.h"
#include "print/ui/TfrmTestPage.h"
#include "program/Program.h"

#include <QApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

// "打印测试页" in the entry window's tool bar prints the test page of the template on screen,
// through the main window's command.
class TestEntryTestPage : public QObject {
    Q_OBJECT

private slots:
    void toolBarButtonPrintsTheShownTemplate() {
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        print::RecordingPrintDevice device;
        program::Program program(home.app(), device);
        QVERIFY(program.startUp(false));
        auto* entry = qobject_cast<entry::ui::TfmCheckFHDSHD*>(
            program.mainWindow().mdiArea()->subWindowList().first()->widget());
        QVERIFY(entry);
        QVERIFY(entry->selectVariant(QStringLiteral("三联241")));
        // Another window may have left the main window's template elsewhere.
        home.app().currentCheckTypeId = 1;

        auto* button = entry->findChild<QToolButton*>(QStringLiteral("btTestPage"));
        QVERIFY(button && button->isVisible() && button->isEnabled());
        QString shownTemplate;
        QTimer::singleShot(0, [&shownTemplate] {
            auto* window = qobject_cast<print::ui::TfrmTestPage*>(QApplication::activeModalWidget());
            QVERIFY(window);
            for (const QLabel* label : window->findChildren<QLabel*>())
                if (label->text().startsWith(QStringLiteral("模板：")))
                    shownTemplate = label->text();
            QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("btPrint")), Qt::LeftButton);
        });
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(shownTemplate, QStringLiteral("模板：出货单（三联241）"));
        QCOMPARE(device.documents, 1);
        QCOMPARE(device.title(), QStringLiteral("打印测试页"));
        QVERIFY(!device.texts.isEmpty());
    }
};

OVERPRINT_TEST(TestEntryTestPage)
#include "TestEntryTestPage.moc"
