#include "entry/ui/BillBoxes.h"
#include "entry/ui/TfmCheckFHDSHD.h"
#include "print/PrintJournal.h"
#include "print/RecordingPrintDevice.h"
#include "program/Program.h"
#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>
#include <QToolButton>

namespace {

// "text@x,y" of every text on a page of the recording device.
QStringList pageOf(const print::RecordingPrintDevice& device, int page) {
    QStringList out;
    for (const auto& t : device.texts)
        if (t.page == page)
            out << QStringLiteral("%1@%2,%3").arg(t.text).arg(t.x).arg(t.y);
    return out;
}

} // namespace

// Three notes printed with "保存并打印" in the running program, then reprinted from the journal
// through the entry window: the notes as stored, page for page what the first printout was.
class TestReprintJob : public QObject {
    Q_OBJECT
private slots:
    void reprintThroughTheEntryWindow() {
        TestHome home;
        QVERIFY(home.isValid());
        print::RecordingPrintDevice device;
        program::Program program(home.app(), device);
        QVERIFY(program.startUp(false));
        auto* entry = qobject_cast<entry::ui::TfmCheckFHDSHD*>(
            program.mainWindow().mdiArea()->subWindowList().first()->widget());
        QVERIFY(entry);
        entry::ui::BillBoxes& b = entry->boxes();

        QStringList numbers;
        QVector<QStringList> printed;
        const QStringList customers{QStringLiteral("甲's 商行"), QStringLiteral("乙公司"),
                                    QStringLiteral("丙五金")};
        for (const QString& customer : customers) {
            QTest::mouseClick(entry->findChild<QToolButton*>(QStringLiteral("btNew")), Qt::LeftButton);
            b.zdGKMC->setEditText(customer);
            b.lines[0].zdSFNR->setText(QStringLiteral("六角螺栓"));
            b.lines[0].zdDJ->setText(QStringLiteral("3.55"));
            b.lines[0].zdSL->setText(QString::number(10 + numbers.size()));
            device.clearDrawing();
            QTest::mouseClick(entry->findChild<QToolButton*>(QStringLiteral("btPrintAndSave")),
                              Qt::LeftButton);
            QCOMPARE(device.pages, 1);
            numbers << b.zdPJBH->text();
            printed << pageOf(device, 1);
            QVERIFY(printed.last().join(' ').contains(customer));
        }
        print::PrintJournal journal(home.app());
        QVector<print::JournalPage> pages = journal.pagesOf(1, 1) + journal.pagesOf(3, 1);
        QCOMPARE(pages.size(), 2);
        QCOMPARE(pages[0].noteNumber, numbers[0]);
        QCOMPARE(pages[1].noteNumber, numbers[2]);

        home.dialogs().clear();
        device.clearDrawing();
        QCOMPARE(program.reprintPages(pages), 2);
        QVERIFY2(home.dialogs().shown.isEmpty(), qPrintable(home.dialogs().texts().join('|')));
        QCOMPARE(device.pages, 2);
        QCOMPARE(pageOf(device, 1), printed[0]);
        QCOMPARE(pageOf(device, 2), printed[2]);

        // The third note is changed in the store: the clerk is told before anything prints.
        home.db().exec(
            QStringLiteral("update DataCheckFHDSHD set 顾客名称=:c where 票据编号=:n"),
            {{QStringLiteral("c"), QStringLiteral("丙五金（新址）")}, {QStringLiteral("n"), numbers[2]}});
        home.dialogs().clear();
        const int documents = device.documents;
        home.dialogs().answers.enqueue(0);
        QCOMPARE(program.reprintPages(journal.pagesOf(3, 1)), 0);
        QCOMPARE(device.documents, documents);
        QVERIFY(home.dialogs().sawText(numbers[2]));
        QVERIFY(home.dialogs().sawText(QStringLiteral("修改过")));
    }
};

OVERPRINT_TEST(TestReprintJob)
#include "TestReprintJob.moc"
