#include "FakeEntryHost.h"
#include "TestHome.h"
#include "TestRegistry.h"
#include "core/ui/Tfm_Main.h"
#include "entry/ui/MainWindowHost.h"

#include <QMdiArea>
#include <QTest>

using entry::ui::EntryHost;

Q_DECLARE_METATYPE(EntryHost::Command)

class TestMainWindowHost : public QObject {
    Q_OBJECT

private slots:
    void commandsFollowTheMainWindowsWiring_data() {
        QTest::addColumn<EntryHost::Command>("command");
        QTest::addColumn<QString>("action");
        QTest::newRow("designer") << EntryHost::Command::Designer << "actDesigner";
        QTest::newRow("offsets") << EntryHost::Command::Offsets << "actOffsets";
        QTest::newRow("template manager") << EntryHost::Command::TemplateManager << "actTemplateManager";
        QTest::newRow("history") << EntryHost::Command::History << "actHistory";
        QTest::newRow("test page") << EntryHost::Command::TestPage << "actTestPage";
    }
    void commandsFollowTheMainWindowsWiring() {
        QFETCH(EntryHost::Command, command);
        QFETCH(QString, action);
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        core::ui::Tfm_Main main(home.app());
        print::RecordingPrintDevice device;
        entry::ui::MainWindowHost host(main, device);
        QVERIFY(!host.offers(command));
        host.run(command);
        int runs = 0;
        main.setCommand(action, [&runs] { ++runs; });
        QVERIFY(host.offers(command));
        host.run(command);
        QCOMPARE(runs, 1);
    }

    void backgroundMenuIsSwitched() {
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        core::ui::Tfm_Main main(home.app());
        print::RecordingPrintDevice device;
        entry::ui::MainWindowHost host(main, device);
        host.setBackgroundMenuEnabled(false);
        QCOMPARE(main.mdiArea()->viewport()->contextMenuPolicy(), Qt::NoContextMenu);
        host.setBackgroundMenuEnabled(true);
        QCOMPARE(main.mdiArea()->viewport()->contextMenuPolicy(), Qt::CustomContextMenu);
    }
};

OVERPRINT_TEST(TestMainWindowHost)
#include "TestMainWindowHost.moc"
