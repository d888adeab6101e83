#include "PrintedBill.h"
#include "core/Recordset.h"
#include "print/JournalReprint.h"
#include "print/PrintJournal.h"
#include "support/TestRegistry.h"

#include <QFile>
#include <QFrame>
#include <QLineEdit>
#include <QMutex>
#include <QTest>

#include <thread>

using print::JournalPage;
using print::PrintJournal;

namespace {

// Notes as the store holds them: number → customer (zdGKMC), the value that differs per note.
using Store = QMap<QString, QString>;

struct JournalBench {
    PrintFixture f;
    PrintedBill bill{f};
    print::BillPrinter printer{f.home.app(), f.device, &bill.form};
    Store store;

    JournalBench() {
        f.home.app().userName = QStringLiteral("小王");
        // A shape of the form carries no value: the page's digest leaves it out quietly.
        f.addItem(QStringLiteral("SHPSKR"), 99, QStringLiteral("SHAPE"), 0);
        (new QFrame(bill.panel))->setObjectName(QStringLiteral("SHPSKR"));
        for (int n = 1; n <= 6; ++n)
            store.insert(number(n), QStringLiteral("客户%1号").arg(n));
    }
    static QString number(int n) { return QStringLiteral("FH-2024-%1").arg(n, 3, 10, QLatin1Char('0')); }

    void show(const QString& note, const QString& customer) {
        bill.form.findChild<QLineEdit*>(QStringLiteral("zdPJBH"))->setText(note);
        bill.form.findChild<QLineEdit*>(QStringLiteral("zdGKMC"))->setText(customer);
    }
    bool load(const JournalPage& page) {
        if (!store.contains(page.noteNumber))
            return false;
        show(page.noteNumber, store.value(page.noteNumber));
        return true;
    }
    // One job of the notes, a page each.
    void printNotes(const QStringList& notes) {
        QVERIFY(printer.PrintPrepare());
        printer.PrinterTransBegin(0);
        for (int i = 0; i < notes.size(); ++i) {
            if (i > 0)
                printer.NewCheckPage();
            show(notes[i], store.value(notes[i]));
            printer.SendCheckToPrinter(0);
        }
    }
    // "text@x,y" of every text drawn on a page of the recording device.
    QStringList page(int index) const {
        QStringList out;
        for (const auto& t : f.device.texts)
            if (t.page == index)
                out << QStringLiteral("%1@%2,%3").arg(t.text).arg(t.x).arg(t.y);
        return out;
    }
    int reprint(const QVector<JournalPage>& pages) {
        print::JournalReprint run(f.home.app(), printer, [this](const JournalPage& p) { return load(p); });
        return run.reprint(pages);
    }
    int count(const PrintJournal::Filter& filter) {
        PrintJournal(f.home.app()).ensureTable();
        const PrintJournal::Statement s = PrintJournal::listStatement(filter);
        return f.home.db().query(s.sql, s.params).recordCount();
    }
};

QList<int> pageNumbers(const QVector<JournalPage>& pages) {
    QList<int> out;
    for (const JournalPage& p : pages)
        out << p.page;
    return out;
}

} // namespace

class TestPrintJournal : public QObject {
    Q_OBJECT

private slots:
    void jobsAreRecordedOnceWhenHandedOver_data() {
        QTest::addColumn<bool>("aborted");
        QTest::addColumn<int>("recorded");
        QTest::newRow("handed over") << false << 3;
        QTest::newRow("aborted") << true << 0;
    }
    void jobsAreRecordedOnceWhenHandedOver() {
        QFETCH(bool, aborted);
        QFETCH(int, recorded);
        JournalBench b;
        QVERIFY(b.f.home.isValid());
        PrintJournal journal(b.f.home.app());
        b.printNotes({JournalBench::number(1), JournalBench::number(2), JournalBench::number(3)});
        // Nothing is written before the printer has the job.
        QCOMPARE(b.count({}), 0);
        if (aborted)
            b.printer.AbortPrint();
        else
            b.printer.PrinterTransEnd();
        // The rows follow the hand-over in the next turn of the event loop, not within the click.
        QCOMPARE(b.count({}), 0);
        QCoreApplication::processEvents();
        const QVector<JournalPage> pages = journal.pagesOf(1, 1);
        QCOMPARE(pages.size(), recorded);
        QCOMPARE(b.count({}), recorded);
        for (int i = 0; i < pages.size(); ++i) {
            QCOMPARE(pages[i].page, i + 1);
            QCOMPARE(pages[i].noteNumber, JournalBench::number(i + 1));
            QCOMPARE(pages[i].printer, QStringLiteral("Recorder"));
            QCOMPARE(pages[i].operatorName, QStringLiteral("小王"));
            QCOMPARE(pages[i].templateId, PrintFixture::kTemplate);
            QCOMPARE(pages[i].templateName, QStringLiteral("测试"));
            QVERIFY(pages[i].paper.startsWith(QStringLiteral("A4")));
            QVERIFY(pages[i].time.isValid());
        }
        if (recorded > 0)
            QVERIFY(pages[0].digest != pages[1].digest);
        // The next job has the next number, whatever came before.
        b.show(JournalBench::number(4), b.store.value(JournalBench::number(4)));
        QVERIFY(b.printer.printCurrentBill(2));
        const int job = aborted ? 1 : 2;
        QCOMPARE(b.printer.lastJob(), job);
        const QVector<JournalPage> single = journal.pagesOf(job, 1);
        QCOMPARE(single.size(), 1);
        QCOMPARE(single[0].copies, 2);
        QCOMPARE(b.f.home.dialogs().shown.size(), 0);
    }

    // Rows that wait for the event loop are not lost when the printer goes first (the entry
    // window closed right after printing).
    void pendingRowsAreWrittenWhenThePrinterGoes() {
        JournalBench b;
        QVERIFY(b.f.home.isValid());
        {
            print::BillPrinter printer(b.f.home.app(), b.f.device, &b.bill.form);
            QVERIFY(printer.PrintPrepare());
            printer.PrinterTransBegin(0);
            b.show(JournalBench::number(1), b.store.value(JournalBench::number(1)));
            printer.SendCheckToPrinter(0);
            printer.PrinterTransEnd();
            QCOMPARE(b.count({}), 0);
        }
        QCOMPARE(b.f.home.db().scalar("select group_concat(NoteNo) from PrintJournal").toString(),
                 JournalBench::number(1));
    }

    // A reprint re-sends exactly the chosen pages, page for page what they were the first time.
    void reprintSendsTheChosenPages_data() {
        QTest::addColumn<QList<int>>("chosen");
        QTest::addColumn<int>("fromPage"); // 0: the chosen pages themselves
        QTest::addColumn<QList<int>>("expected");
        QTest::newRow("two selected") << QList<int>{5, 2} << 0 << QList<int>{2, 5};
        QTest::newRow("one selected") << QList<int>{1} << 0 << QList<int>{1};
        QTest::newRow("from the fourth on") << QList<int>{} << 4 << QList<int>{4, 5, 6};
        QTest::newRow("from the last") << QList<int>{} << 6 << QList<int>{6};
    }
    void reprintSendsTheChosenPages() {
        QFETCH(QList<int>, chosen);
        QFETCH(int, fromPage);
        QFETCH(QList<int>, expected);
        JournalBench b;
        QVERIFY(b.f.home.isValid());
        QStringList notes;
        for (int n = 1; n <= 6; ++n)
            notes << JournalBench::number(n);
        b.printNotes(notes);
        b.printer.PrinterTransEnd();
        b.printer.writeJournal();
        QVector<QStringList> first;
        for (int n = 1; n <= 6; ++n)
            first << b.page(n);
        QVERIFY(!first[0].isEmpty() && first[0] != first[1]);

        PrintJournal journal(b.f.home.app());
        QVector<JournalPage> pages;
        if (fromPage > 0) {
            pages = journal.pagesOf(1, fromPage);
        } else {
            QList<qint64> ids;
            for (const JournalPage& p : journal.pagesOf(1, 1))
                if (chosen.contains(p.page))
                    ids << p.id;
            pages = journal.pagesByIds(ids);
        }
        QCOMPARE(pageNumbers(pages), expected);
        b.f.device.clearDrawing();
        const int documents = b.f.device.documents;
        QCOMPARE(b.reprint(pages), expected.size());
        QCOMPARE(b.f.device.documents, documents + 1);
        QCOMPARE(b.f.device.pages, expected.size());
        for (int i = 0; i < expected.size(); ++i)
            QCOMPARE(b.page(i + 1), first[expected[i] - 1]);
        // Nothing changed: no question; the reprint is a job of its own in the journal.
        QVERIFY2(b.f.home.dialogs().shown.isEmpty(), qPrintable(b.f.home.dialogs().texts().join('|')));
        b.printer.writeJournal();
        const QVector<JournalPage> again = journal.pagesOf(2, 1);
        QCOMPARE(again.size(), expected.size());
        for (int i = 0; i < expected.size(); ++i)
            QCOMPARE(again[i].noteNumber, JournalBench::number(expected[i]));
    }

    // Before a sheet is fed the clerk learns which notes changed or are gone since printed.
    void changedOrMissingNotesAreNamedFirst_data() {
        QTest::addColumn<bool>("changed");
        QTest::addColumn<bool>("deleted");
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("printed");
        QTest::newRow("changed, go on") << true << false << 1 << 3;
        QTest::newRow("changed, stop") << true << false << 0 << 0;
        QTest::newRow("deleted, go on") << false << true << 1 << 2;
        QTest::newRow("deleted, stop") << false << true << 0 << 0;
    }
    void changedOrMissingNotesAreNamedFirst() {
        QFETCH(bool, changed);
        QFETCH(bool, deleted);
        QFETCH(int, answer);
        QFETCH(int, printed);
        JournalBench b;
        QVERIFY(b.f.home.isValid());
        b.printNotes({JournalBench::number(1), JournalBench::number(2), JournalBench::number(3)});
        b.printer.PrinterTransEnd();
        b.printer.writeJournal();
        const QString second = JournalBench::number(2);
        if (changed)
            b.store[second] = QStringLiteral("改过的客户");
        if (deleted)
            b.store.remove(second);
        b.f.device.clearDrawing();
        const int documents = b.f.device.documents;
        b.f.home.dialogs().answers.enqueue(answer);
        QCOMPARE(b.reprint(PrintJournal(b.f.home.app()).pagesOf(1, 1)), printed);
        QCOMPARE(b.f.home.dialogs().shown.size(), 1);
        const QString question = b.f.home.dialogs().shown.first().text;
        QVERIFY2(question.contains(second), qPrintable(question));
        QVERIFY2(question.contains(changed ? QStringLiteral("修改过") : QStringLiteral("找不到")),
                 qPrintable(question));
        QVERIFY(!question.contains(JournalBench::number(1)));
        // A "no" drops the job: no sheet is fed.
        QCOMPARE(b.f.device.documents, documents + 1);
        QCOMPARE(b.f.device.events.last(), printed > 0 ? QStringLiteral("end") : QStringLiteral("abort"));
        if (changed && printed > 0) {
            bool found = false;
            for (const auto& t : b.f.device.texts)
                found = found || (t.page == 2 && t.text == QStringLiteral("改过的客户"));
            QVERIFY(found); // the note as stored now
        }
    }

    void listFilters_data() {
        QTest::addColumn<QString>("printer");
        QTest::addColumn<int>("job");
        QTest::addColumn<QString>("number");
        QTest::addColumn<int>("daysBack"); // from and to this many days ago; -1: no dates
        QTest::addColumn<int>("rows");
        QTest::newRow("everything") << QString() << 0 << QString() << -1 << 5;
        QTest::newRow("one printer") << QStringLiteral("OKI 5860") << 0 << QString() << -1 << 2;
        QTest::newRow("one job") << QString() << 2 << QString() << -1 << 2;
        QTest::newRow("a number") << QString() << 0 << QStringLiteral("5012") << -1 << 1;
        QTest::newRow("percent is a character") << QString() << 0 << QStringLiteral("50%") << -1 << 1;
        QTest::newRow("an order number") << QString() << 0 << QStringLiteral("DD-") << -1 << 2;
        QTest::newRow("quote in the number") << QString() << 0 << QStringLiteral("O'B") << -1 << 1;
        QTest::newRow("today") << QString() << 0 << QString() << 0 << 3;
        QTest::newRow("ten days ago") << QString() << 0 << QString() << 10 << 2;
        QTest::newRow("nothing then") << QString() << 0 << QString() << 5 << 0;
    }
    void listFilters() {
        QFETCH(QString, printer);
        QFETCH(int, job);
        QFETCH(QString, number);
        QFETCH(int, daysBack);
        QFETCH(int, rows);
        TestHome home;
        QVERIFY(home.isValid());
        PrintJournal journal(home.app());
        PrintJournal::Job a{QStringLiteral("EPSON LQ-630K"),
                            QStringLiteral("A4"),
                            1,
                            QStringLiteral("标准"),
                            QStringLiteral("小王"),
                            1,
                            {{QStringLiteral("NO-5012"), {}, {}},
                             {QStringLiteral("NO-50%1"), {}, {}},
                             {QStringLiteral("O'Brien-7"), {}, {}}}};
        PrintJournal::Job b{QStringLiteral("OKI 5860"),
                            QStringLiteral("A4"),
                            1,
                            QStringLiteral("标准"),
                            QStringLiteral("小李"),
                            1,
                            {{{}, QStringLiteral("DD-1"), {}}, {{}, QStringLiteral("DD-2"), {}}}};
        QCOMPARE(journal.record(a), 1);
        QCOMPARE(journal.record(b), 2);
        // The second job was printed ten days ago.
        home.db().exec(QStringLiteral("update PrintJournal set PrintTime=:t where JobNo=2"),
                       {{QStringLiteral("t"), QDateTime::currentDateTime().addDays(-10).toString(
                                                  QStringLiteral("yyyy-MM-dd HH:mm:ss"))}});
        PrintJournal::Filter filter;
        filter.printer = printer;
        filter.job = job;
        filter.number = number;
        if (daysBack >= 0)
            filter.from = filter.to = QDate::currentDate().addDays(-daysBack);
        const PrintJournal::Statement s = PrintJournal::listStatement(filter);
        QCOMPARE(home.db().query(s.sql, s.params).recordCount(), rows);
        QCOMPARE(journal.printers(),
                 QStringList({QStringLiteral("EPSON LQ-630K"), QStringLiteral("OKI 5860")}));
    }

    // Two seats on one server writing jobs at the same moment: every job has a number of its
    // own, so "从第n张起" on a job never reprints the other seat's notes.
    void twoSeatsNeverShareAJobNumber() {
        if (TestHome::testServer().host.isEmpty() && TestHome::testServer().service.isEmpty())
            QSKIP("two seats write at once only on a server (OVERPRINT_TEST_PG names none)");
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        PrintJournal(home.app()).ensureTable();
        constexpr int kJobs = 60;
        QMutex opening;
        QStringList failures;
        const auto seat = [&](const QString& who) {
            core::ScriptedDialogs dialogs;
            std::unique_ptr<core::AppContext> app;
            {
                QMutexLocker lock(&opening);
                app = home.secondSeat(dialogs);
            }
            PrintJournal journal(*app);
            for (int j = 0; j < kJobs; ++j) {
                PrintJournal::Job job{who,
                                      QStringLiteral("A4"),
                                      1,
                                      QStringLiteral("标准"),
                                      who,
                                      1,
                                      {{who + QString::number(j) + QStringLiteral("-1"), {}, {}},
                                       {who + QString::number(j) + QStringLiteral("-2"), {}, {}}}};
                try {
                    journal.record(job);
                } catch (const core::DbError& e) {
                    QMutexLocker lock(&opening);
                    failures << e.message();
                }
            }
            app.reset();
        };
        std::thread first(seat, QStringLiteral("甲"));
        std::thread second(seat, QStringLiteral("乙"));
        first.join();
        second.join();
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join('\n')));
        core::Recordset jobs = home.db().query(QStringLiteral(
            "select JobNo, count(*) as pages, count(distinct Printer) as seats from PrintJournal "
            "group by JobNo"));
        QCOMPARE(jobs.recordCount(), 2 * kJobs);
        for (jobs.first(); !jobs.eof(); jobs.next()) {
            QCOMPARE(jobs.integer(QStringLiteral("pages")), 2);
            QCOMPARE(jobs.integer(QStringLiteral("seats")), 1);
        }
    }

    // A journal of an earlier version where two seats gave their jobs one number: the jobs are
    // told apart and numbered on their own, so the key on job and page holds.
    void sharedJobNumbersOfEarlierJournalsAreSeparated() {
        TestHome home;
        QVERIFY(home.isValid());
        home.db().exec(QStringLiteral(
            "create table PrintJournal (ID autoincrement(1,1) primary key, JobNo long, PageNo long, "
            "PrintTime Text(19), Printer Text(255), Paper Text(100), TemplateID long, TemplateName "
            "Text(100), "
            "NoteNo Text(50), OrderNo Text(50), Operator Text(50), Copies long, Digest Text(40))"));
        // Job 1 of seat 甲 (3 pages) and of seat 乙 (2 pages), their rows interleaved; then job 2.
        const QList<std::tuple<int, int, QString, QString>> rows{{1, 1, "甲", "A1"}, {1, 1, "乙", "B1"},
                                                                 {1, 2, "甲", "A2"}, {1, 2, "乙", "B2"},
                                                                 {1, 3, "甲", "A3"}, {2, 1, "甲", "C1"}};
        for (const auto& [job, page, op, note] : rows)
            home.db().exec(
                QStringLiteral("insert into PrintJournal (JobNo, PageNo, PrintTime, Printer, Operator, "
                               "NoteNo, TemplateID, Copies) values (:j, :p, '2026-12-01 10:00:00', "
                               "'LQ', :o, :n, 1, 1)"),
                {{QStringLiteral("j"), job},
                 {QStringLiteral("p"), page},
                 {QStringLiteral("o"), op},
                 {QStringLiteral("n"), note}});
        PrintJournal journal(home.app());
        journal.ensureTable();
        const auto notes = [&journal](int job) {
            QStringList out;
            for (const JournalPage& p : journal.pagesOf(job, 1))
                out << p.noteNumber;
            return out;
        };
        QCOMPARE(notes(1), QStringList({"A1", "A2", "A3"}));
        QCOMPARE(notes(2), QStringList({"C1"}));
        QCOMPARE(notes(3), QStringList({"B1", "B2"}));
        // Earlier rows read their source from the order number.
        QCOMPARE(journal.pagesOf(1, 1).first().source, JournalPage::Source::Note);
        try {
            home.db().exec(QStringLiteral("insert into PrintJournal (JobNo, PageNo) values (1, 1)"));
            QFAIL("a second page 1 of job 1 was taken");
        } catch (const core::DbError&) {
        }
    }

    // The journal refuses the job the printer took: the pages wait in the program folder, one
    // alert says so, and the next job's write puts them in first, under their own number.
    void pagesTheJournalRefusedWaitForTheNextJob() {
        JournalBench b;
        QVERIFY(b.f.home.isValid());
        core::Database& db = b.f.home.db();
        PrintJournal journal(b.f.home.app());
        journal.ensureTable();
        db.exec(QStringLiteral("create trigger journal_full before insert on PrintJournal begin "
                               "select raise(abort, 'disk full'); end"));
        b.printNotes({JournalBench::number(1), JournalBench::number(2)});
        b.printer.PrinterTransEnd();
        QCOMPARE(b.printer.lastJob(), 0);
        QCOMPARE(b.f.home.dialogs().shown.size(), 1);
        QVERIFY(b.f.home.dialogs().sawText(QStringLiteral("下次打印时补记")));
        QVERIFY(journal.hasPending());

        db.exec(QStringLiteral("drop trigger journal_full"));
        b.f.home.dialogs().clear();
        b.printNotes({JournalBench::number(3)});
        b.printer.PrinterTransEnd();
        QCOMPARE(b.printer.lastJob(), 2);
        QVERIFY(!journal.hasPending());
        QCOMPARE(b.f.home.dialogs().shown.size(), 0);
        const QVector<JournalPage> kept = journal.pagesOf(1, 1);
        QCOMPARE(kept.size(), 2);
        QCOMPARE(kept[1].noteNumber, JournalBench::number(2));
        QCOMPARE(kept[1].digest.size(), 40);
        QCOMPARE(journal.pagesOf(2, 1).first().noteNumber, JournalBench::number(3));
        // And a reprint finds them.
        b.f.device.clearDrawing();
        QCOMPARE(b.reprint(kept), 2);
    }
};

OVERPRINT_TEST(TestPrintJournal)
#include "TestPrintJournal.moc"
