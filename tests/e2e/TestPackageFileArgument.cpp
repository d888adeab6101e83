#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include "print/RecordingPrintDevice.h"
#include "program/Program.h"
#include "templates/TemplatePackage.h"
#include "templates/TfrmBillImportExport.h"

#include <QApplication>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using program::Program;

// A template package opened from the file manager starts the program with the file as its
// argument; the package window then lists the package's templates.
class TestPackageFileArgument : public QObject {
    Q_OBJECT

    struct Seen {
        bool opened = false;
        QStringList offered;  // left list: the package's templates not yet chosen
        QStringList selected; // right list: chosen for the import
    };

    // Closes the package window once it is up and tells what it listed.
    static void watchForPackageWindow(Seen& seen, QObject& owner) {
        auto* poll = new QTimer(&owner);
        QObject::connect(poll, &QTimer::timeout, poll, [&seen, poll] {
            auto* w = qobject_cast<templates::TfrmBillImportExport*>(QApplication::activeModalWidget());
            if (!w)
                return;
            const auto texts = [w](const char* name) {
                QStringList out;
                const auto* list = w->findChild<QListWidget*>(QLatin1String(name));
                for (int i = 0; list && i < list->count(); ++i)
                    out << list->item(i)->text();
                return out;
            };
            seen = {true, texts("lstImpFrom"), texts("lstImpSel")};
            poll->stop();
            w->reject();
        });
        poll->start(20);
    }

private slots:
    void fileArgument_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("file");
        QTest::newRow("none") << QStringList{"overprint"} << "";
        QTest::newRow("file alone") << QStringList{"overprint", "/tmp/a.qpk"} << "/tmp/a.qpk";
        QTest::newRow("after --home DIR") << QStringList{"overprint", "--home", "/h", "b.zrx"} << "b.zrx";
        QTest::newRow("after --home=DIR") << QStringList{"overprint", "--home=/h", "c.qpk"} << "c.qpk";
        QTest::newRow("folder of --home is no file") << QStringList{"overprint", "--home", "/h"} << "";
        QTest::newRow("options skipped") << QStringList{"overprint", "--quit-after-show", "d.qpk"} << "d.qpk";
        QTest::newRow("program name is no file") << QStringList{"/usr/bin/overprint"} << "";
    }
    void fileArgument() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, file);
        QCOMPARE(Program::fileArgument(arguments), file);
    }

    void opensThePackageWindowOnTheFile_data() {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<bool>("loginFirst");
        QTest::addColumn<bool>("listed");
        QTest::newRow(".qpk") << "two.qpk" << false << true;
        QTest::newRow(".zrx") << "two.ZRX" << false << true;
        QTest::newRow("after the log-in") << "two.qpk" << true << true;
        QTest::newRow("not a package") << "two.txt" << false << false;
    }
    void opensThePackageWindowOnTheFile() {
        QFETCH(QString, fileName);
        QFETCH(bool, loginFirst);
        QFETCH(bool, listed);
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        QTemporaryDir scratch;
        const QString made = scratch.filePath(QStringLiteral("made.qpk"));
        const QStringList names{QStringLiteral("出货单（标准）"), QStringLiteral("出货单（三联241）")};
        QCOMPARE(templates::PackageTransfer(home.app()).exportTemplates(names, made).succeeded, 2);
        const QString file = scratch.filePath(fileName);
        QVERIFY(QFile::rename(made, file));

        print::RecordingPrintDevice device;
        Program program(home.app(), device);
        QVERIFY(program.startUp(false));
        core::ui::Tfm_Main& main = program.mainWindow();
        if (loginFirst)
            main.setEnabled(false);
        Seen seen;
        watchForPackageWindow(seen, main);
        program.openPackageFile(file);
        if (loginFirst) {
            QTest::qWait(200);
            QVERIFY2(!seen.opened, "the package window came before the log-in");
            main.setEnabled(true);
        }
        QTRY_VERIFY(seen.opened);
        if (listed) {
            QCOMPARE(seen.selected, QStringList{names.first()});
            QCOMPARE(seen.offered, QStringList{names.last()});
            QVERIFY(home.dialogs().shown.isEmpty());
        } else {
            QVERIFY(seen.offered.isEmpty() && seen.selected.isEmpty());
            QVERIFY(home.dialogs().sawText(QStringLiteral("请选择标准的青木鸟票据包")));
        }
        // The program's own dialogs are back: a later file choice is the clerk's again.
        QCOMPARE(&home.app().dialogs(), static_cast<core::Dialogs*>(&home.dialogs()));
    }
};

OVERPRINT_TEST(TestPackageFileArgument)
#include "TestPackageFileArgument.moc"
