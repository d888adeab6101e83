#include "accounts/AccountsTables.h"
#include "accounts/ui/TfrmStatement.h"
#include "print/RecordingPrintDevice.h"
#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

// The statement window driven as a clerk drives it: a customer picked from the address book,
// a period, then print, PDF and every customer's workbooks, each answered through the scripted
// dialogs.
class TestStatementWindow : public QObject {
    Q_OBJECT

    static constexpr const char* kCustomer = "深圳市星河电子有限公司";

    static void addNote(core::Database& db, const QString& number, const QString& date, const QString& total,
                        const QString& customer, int goods) {
        db.exec(QStringLiteral(
                    "insert into DataCheckFHDSHD (票据编号,模板种类,合计金额,出票日期,顾客名称,票据状态) "
                    "values (:n,'标准',:t,:d,:c,'已发货')"),
                {{QStringLiteral("n"), number},
                 {QStringLiteral("t"), total},
                 {QStringLiteral("d"), date},
                 {QStringLiteral("c"), customer}});
        for (int g = 0; g < goods; ++g)
            db.exec(QStringLiteral("insert into DataCheckFHDSHDDetail (票据编号,序号,商品名,数量,单价,金额) "
                                   "values (:n,:i,:name,'1','1.00','1.00')"),
                    {{QStringLiteral("n"), number},
                     {QStringLiteral("i"), g + 1},
                     {QStringLiteral("name"), QStringLiteral("%1-件%2").arg(number).arg(g)}});
    }

private slots:
    void pickPrintSave() {
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        accounts::ensureTables(home.db());
        const QString customer = QString::fromUtf8(kCustomer);
        for (int i = 0; i < 30; ++i)
            addNote(home.db(), QStringLiteral("W%1").arg(i, 3, 10, QLatin1Char('0')),
                    QStringLiteral("2026-11-%1 10:00:00").arg(1 + i % 28, 2, 10, QLatin1Char('0')),
                    QStringLiteral("12.30"), customer, 3);
        addNote(home.db(), QStringLiteral("OTHER1"), QStringLiteral("2026-11-03 10:00:00"),
                QStringLiteral("5.00"), QStringLiteral("王's 数码店"), 0);
        home.db().exec(QStringLiteral("insert into Payments (收款日期,顾客名称,金额分,收款方式) values "
                                      "('2026-11-20',:c,20000,'转账')"),
                       {{QStringLiteral("c"), customer}});

        print::RecordingPrintDevice device;
        accounts::ui::TfrmStatement window(home.app(), device);
        auto* box = window.findChild<QComboBox*>(QStringLiteral("cbCustomer"));
        QVERIFY(box->findText(customer) >= 0); // offered from the address book
        window.setDates(QDate(2026, 11, 1), QDate(2026, 11, 30));
        box->setCurrentIndex(box->findText(customer));
        QVERIFY(window.document());
        QCOMPARE(window.document()->statement().entries.size(), 31);
        QCOMPARE(window.document()->pageCount(), 1);
        QVERIFY(window.findChild<QLabel*>(QStringLiteral("lblStatus"))
                    ->text()
                    .contains(QStringLiteral("169.00")));
        window.setWithGoods(true); // 30 notes × 4 rows: the goods lines break the pages
        const int pages = window.document()->pageCount();
        QCOMPARE(pages, (30 * 4 + 1 + accounts::StatementDocument::kTotalsRows +
                         accounts::StatementDocument::rowsPerPage() - 1) /
                            accounts::StatementDocument::rowsPerPage());
        QCOMPARE(window.findChild<accounts::ui::StatementPreview*>()->sizeHint().height(),
                 pages * (2970 * accounts::ui::StatementPreview::kDpi / 254 +
                          accounts::ui::StatementPreview::kGap) +
                     accounts::ui::StatementPreview::kGap);

        window.findChild<QPushButton*>(QStringLiteral("btPrint"))->click();
        QCOMPARE(device.pages, pages);
        QCOMPARE(device.title(), QStringLiteral("对账单 ") + customer);

        QTemporaryDir out;
        const QString pdf = out.filePath(QStringLiteral("星河.pdf"));
        home.dialogs().files.enqueue(pdf);
        window.findChild<QPushButton*>(QStringLiteral("btPdf"))->click();
        QVERIFY(QFileInfo(pdf).size() > 0);
        if (!QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
            QProcess run;
            run.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
            QVERIFY(run.waitForFinished(30000));
            const QString text = QString::fromUtf8(run.readAllStandardOutput()).remove(QLatin1Char(' '));
            QVERIFY(text.contains(QStringLiteral("W029-件2")));
            QVERIFY(text.contains(QStringLiteral("期末应收余额：169.00")));
            QVERIFY(text.contains(QStringLiteral("壹佰陆拾玖元整")));
            QVERIFY(!text.contains(QStringLiteral("OTHER1")));
        }

        // Every customer with activity: "否" writes a workbook each into a new folder.
        const QString folder = out.filePath(QStringLiteral("十一月"));
        home.dialogs().answers.enqueue(0);
        home.dialogs().files.enqueue(folder);
        window.findChild<QPushButton*>(QStringLiteral("btAll"))->click();
        QCOMPARE(QDir(folder).entryList(QDir::Files).size(), 2);
        QVERIFY(QFileInfo::exists(QDir(folder).filePath(customer + QStringLiteral(".xlsx"))));
    }
};

OVERPRINT_TEST(TestStatementWindow)
#include "TestStatementWindow.moc"
