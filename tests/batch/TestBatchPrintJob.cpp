#include "TestHome.h"
#include "TestRegistry.h"
#include "batch/ui/TfrmMutiPrintOrder.h"
#include "core/ui/DataGrid.h"
#include "entry/MoneyText.h"
#include "entry/ui/TfmCheckFHDSHD.h"
#include "imports/ColumnList.h"
#include "imports/ImportLog.h"
#include "imports/OrderImport.h"
#include "imports/Spreadsheet.h"
#include "print/QtPrintDevice.h"
#include "program/Program.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPageSize>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using entry::ui::TfmCheckFHDSHD;

namespace {

struct Order {
    QString number, customer;
    QStringList goods; // one line per name, quantity 2, price 1.25, amount 2.5
    QString article;   // of every line; empty: the order number stands in
    // Numbers are digits only: the PDF's text layer loses digits that follow a Latin letter.
};

const QList<Order> kOrders = {
    {"880001", "星河's 电子", {"螺栓", "垫圈"}, "7701"},
    {"880002", "华强五金", {"螺母"}, ""},
    {"880003", "无明细公司", {}, ""},
    {"880004", "\"引号\" 商行", {"一号", "二号", "三号", "四号", "五号", "六号"}, ""},
};

QString pageText(const QString& pdf, int page, bool layout = false) {
    QProcess p;
    QStringList args{
        QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"), QString::number(page), pdf,
        QStringLiteral("-")};
    if (layout)
        args.prepend(QStringLiteral("-layout"));
    p.start(QStringLiteral("pdftotext"), args);
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Whether the page shows the value, as typed.
bool onPage(const QString& page, const QString& value) {
    return page.contains(value);
}

int pageCount(const QString& pdf) {
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {pdf});
    p.waitForFinished(30000);
    const QString info = QString::fromUtf8(p.readAllStandardOutput());
    const qsizetype at = info.indexOf(QStringLiteral("Pages:"));
    return at < 0 ? 0 : info.mid(at + 6).section(QLatin1Char('\n'), 0, 0).trimmed().toInt();
}

} // namespace

// The program as a clerk meets batch printing: the entry window's 批量打印 opens the batch
// window, which prints every listed order as one note per page in one job.
class TestBatchPrintJob : public QObject {
    Q_OBJECT

    std::unique_ptr<TestHome> home;
    std::unique_ptr<print::QtPrintDevice> device;
    std::unique_ptr<program::Program> program;
    QTemporaryDir scratch;

    QString pdf() const { return scratch.filePath(QStringLiteral("batch.pdf")); }

private slots:
    void init() {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        home = std::make_unique<TestHome>();
        QVERIFY2(home->isValid(), qPrintable(home->error()));
        core::Database& db = home->db();
        for (const Order& o : kOrders) {
            db.exec(QStringLiteral(
                        "insert into OrderList (订单号, 订单状态, 客户全称) values (:n, '未打印', :c)"),
                    {{QStringLiteral("n"), o.number}, {QStringLiteral("c"), o.customer}});
            for (const QString& goods : o.goods)
                db.exec(QStringLiteral(
                            "insert into OrderDetail (订单号, 货号, 商品名, 数量, 单价, 金额) values (:n, "
                            ":a, :g, '2', '1.25', '2.5')"),
                        {{QStringLiteral("n"), o.number},
                         {QStringLiteral("a"), o.article},
                         {QStringLiteral("g"), goods}});
        }
        QFile::remove(pdf());
        device = std::make_unique<print::QtPrintDevice>(pdf());
        device->printer().setPageSize(QPageSize(QPageSize::A3));
        program = std::make_unique<program::Program>(home->app(), *device);
    }

    void cleanup() {
        program.reset();
        device.reset();
        home.reset();
    }

    void everyOrderOnItsOwnPage() {
        QVERIFY(program->startUp(false));
        core::ui::Tfm_Main& main = program->mainWindow();
        auto* entryWindow = qobject_cast<TfmCheckFHDSHD*>(main.mdiArea()->subWindowList().first()->widget());
        QVERIFY(entryWindow);
        // The shipped layout shows the command.
        auto* open = entryWindow->findChild<QToolButton*>(QStringLiteral("btMultiPrintS"));
        QVERIFY(open->isVisible());
        QVERIFY(open->isEnabled());
        QTest::mouseClick(open, Qt::LeftButton);
        batch::ui::TfrmMutiPrintOrder* batchWindow = program->batchWindow();
        QVERIFY(batchWindow);
        QVERIFY(batchWindow->isVisible());
        QVERIFY(!batchWindow->isModal());
        QCOMPARE(batchWindow->grid().rowCount(), kOrders.size());
        home->dialogs().clear();

        QTest::mouseClick(batchWindow->findChild<QPushButton*>(QStringLiteral("btStartPrintAll")),
                          Qt::LeftButton);
        QVERIFY2(home->dialogs().shown.isEmpty(), qPrintable(home->dialogs().lastText()));
        QVERIFY(QFileInfo::exists(pdf()));
        QCOMPARE(pageCount(pdf()), kOrders.size());
        for (int i = 0; i < kOrders.size(); ++i) {
            const Order& o = kOrders.at(i);
            const QString text = pageText(pdf(), i + 1);
            QVERIFY2(text.contains(o.number) && text.contains(o.customer), qPrintable(text));
            const int lines = int(o.goods.size());
            for (const QString& goods : o.goods)
                QVERIFY2(text.contains(goods), qPrintable(goods));
            if (lines > 0) {
                const QString total = entry::numberText(2.5 * lines);
                const QString capitals = entry::AmountToChineseCapitals(total);
                QVERIFY2(text.contains(capitals), qPrintable(capitals + "\n" + text));
                const QString figures = QStringLiteral("￥%1").arg(2.5 * lines, 0, 'f', 2);
                QVERIFY2(text.contains(figures), qPrintable(text));
            }
            QCOMPARE(text.contains(QStringLiteral("7701")), !o.article.isEmpty());
            for (const Order& other : kOrders) {
                if (other.number == o.number)
                    continue;
                QVERIFY2(!text.contains(other.number) && !text.contains(other.customer),
                         qPrintable(o.number + " shows " + other.number));
                for (const QString& goods : other.goods)
                    QVERIFY2(!text.contains(goods), qPrintable(o.number + " shows " + goods));
            }
        }
        // Every order on paper is marked.
        QCOMPARE(home->db()
                     .scalar(QStringLiteral("select count(*) from OrderList where 订单状态='已打印'"))
                     .toInt(),
                 kOrders.size());

        // Opened again, it is the same window; once the entry window is closed it prints nothing.
        QTest::mouseClick(open, Qt::LeftButton);
        QCOMPARE(program->batchWindow(), batchWindow);
        home->dialogs().answers.enqueue(1); // let the filled note go
        QVERIFY(main.closeAllBills());
        QTRY_VERIFY(main.entryWindow() == nullptr);
        const qint64 size = QFileInfo(pdf()).size();
        QTest::mouseClick(batchWindow->findChild<QPushButton*>(QStringLiteral("btStartPrintAll")),
                          Qt::LeftButton);
        QVERIFY(home->dialogs().lastText().contains(QStringLiteral("填单窗口已经关闭")));
        QCOMPARE(QFileInfo(pdf()).size(), size);
    }

    // The sample workbooks as a clerk imports them, every order printed: each page carries its
    // order's every goods line (name, unit, quantity, price, amount, in the sheet's order) and
    // the total of those lines in figures and capitals. Then the orders are 已打印 and the list
    // of 未打印 orders prints nothing.
    void sampleOrdersOnPaper() {
        imports::Spreadsheet orderBook;
        orderBook.open(TestHome::testData(QStringLiteral("sheets/orders.xlsx")));
        imports::Spreadsheet lineBook;
        lineBook.open(TestHome::testData(QStringLiteral("sheets/order-details.xlsx")));
        core::Database& db = home->db();
        db.exec(QStringLiteral("delete from OrderList"));
        db.exec(QStringLiteral("delete from OrderDetail"));
        {
            imports::ImportLog log(home->path());
            imports::RunObserver quiet;
            imports::OrderImport import(db, home->dialogs(), log, quiet);
            const imports::OrderImport::Result imported =
                import.run({&orderBook,
                            imports::OrderImport::autoMatchOrders(db, imports::ColumnList::build(orderBook)),
                            {}},
                           {&lineBook,
                            imports::OrderImport::autoMatchLines(db, imports::ColumnList::build(lineBook)),
                            {}});
            QCOMPARE(imported.orders.imported, 20);
            QCOMPARE(imported.lines.imported, 68);
        }
        // What the sheets say, read by column title: 订单号 商品名 规格 单位 数量 单价 金额.
        QMap<QString, QList<QStringList>> goods;
        for (int row = 2; row <= lineBook.usedRows(); ++row)
            goods[lineBook.cell(row, 1)]
                << QStringList{lineBook.cell(row, 2), lineBook.cell(row, 4), lineBook.cell(row, 5),
                               lineBook.cell(row, 6), lineBook.cell(row, 7)};

        QVERIFY(program->startUp(false));
        core::ui::Tfm_Main& main = program->mainWindow();
        auto* entryWindow = qobject_cast<TfmCheckFHDSHD*>(main.mdiArea()->subWindowList().first()->widget());
        QTest::mouseClick(entryWindow->findChild<QToolButton*>(QStringLiteral("btMultiPrintS")),
                          Qt::LeftButton);
        batch::ui::TfrmMutiPrintOrder* batchWindow = program->batchWindow();
        QCOMPARE(batchWindow->grid().rowCount(), 20);
        home->dialogs().clear();
        QTest::mouseClick(batchWindow->findChild<QPushButton*>(QStringLiteral("btStartPrintAll")),
                          Qt::LeftButton);
        QVERIFY2(home->dialogs().shown.isEmpty(), qPrintable(home->dialogs().lastText()));
        QCOMPARE(pageCount(pdf()), 20);

        static const QRegularExpression amount(QStringLiteral("^-?[0-9]+\\.[0-9]{2}$"));
        for (int row = 2; row <= orderBook.usedRows(); ++row) {
            const QString number = orderBook.cell(row, 1);
            const QString text = pageText(pdf(), row - 1, true);
            // Contact, telephone's neighbour mobile and address are the order's own.
            for (int column : {2, 3, 5, 6})
                QVERIFY2(onPage(text, orderBook.cell(row, column)),
                         qPrintable(number + ": " + orderBook.cell(row, column) + "\n" + text));
            QStringList printed;
            for (const QString& line : text.split(QLatin1Char('\n'))) {
                const QStringList words = line.simplified().split(QLatin1Char(' '));
                if (words.size() >= 6 && amount.match(words.last()).hasMatch())
                    printed
                        << (QStringList{words.at(1)} + words.mid(words.size() - 4)).join(QLatin1Char(' '));
            }
            QStringList expected;
            double total = 0;
            for (const QStringList& l : goods.value(number)) {
                total += l.at(4).toDouble();
                expected << QStringList{l.at(0), l.at(1), l.at(2), l.at(3),
                                        QString::number(l.at(4).toDouble(), 'f', 2)}
                                .join(QLatin1Char(' '));
            }
            QCOMPARE(printed.size(), expected.size());
            for (int k = 0; k < printed.size(); ++k)
                QVERIFY2(onPage(printed.at(k), expected.at(k)),
                         qPrintable(number + ": " + printed.at(k) + " / " + expected.at(k)));
            const QString figures = QStringLiteral("￥") +
                                    QLocale(QLocale::English, QLocale::UnitedStates).toString(total, 'f', 2);
            const QString capitals = entry::AmountToChineseCapitals(entry::numberText(total));
            QVERIFY2(onPage(text, figures) && onPage(text, capitals),
                     qPrintable(number + " " + figures + " " + capitals + "\n" + text));
        }

        // Marked, and the 未打印 list is empty: printing it again ships nothing twice.
        QCOMPARE(db.scalar(QStringLiteral("select count(*) from OrderList where 订单状态='已打印'")).toInt(),
                 20);
        batchWindow->findChild<QLineEdit*>(QStringLiteral("keyEdit"))->setText(QStringLiteral("未打印"));
        auto* fields = batchWindow->findChild<QComboBox*>(QStringLiteral("cbFilterFields"));
        fields->setCurrentIndex(fields->findText(QStringLiteral("订单状态")));
        batchWindow->findChild<QComboBox*>(QStringLiteral("cbEqualType"))->setCurrentIndex(1);
        QTest::mouseClick(batchWindow->findChild<QPushButton*>(QStringLiteral("_btRefreash")),
                          Qt::LeftButton);
        QCOMPARE(batchWindow->grid().rowCount(), 0);
        auto* printAll = batchWindow->findChild<QPushButton*>(QStringLiteral("btStartPrintAll"));
        QVERIFY(!printAll->isEnabled());
        const qint64 size = QFileInfo(pdf()).size();
        batchWindow->btStartPrintAllClick();
        QCOMPARE(QFileInfo(pdf()).size(), size);
    }
    // A run killed once its job is with the printer leaves its orders marked exactly when their
    // pages are in the print journal: a reprint after a jam finds every order marked printed.
    void killAfterTheJobKeepsMarksAndJournalTogether_data() {
        QTest::addColumn<QString>("step");
        QTest::newRow("pages written") << QStringLiteral("journal.pages");
        QTest::newRow("orders marked") << QStringLiteral("batch.marked");
        QTest::newRow("not killed") << QString();
    }
    void killAfterTheJobKeepsMarksAndJournalTogether() {
        QFETCH(QString, step);
        struct Killed {};
        QVERIFY(program->startUp(false));
        auto* entryWindow =
            qobject_cast<TfmCheckFHDSHD*>(program->mainWindow().mdiArea()->subWindowList().first()->widget());
        QTest::mouseClick(entryWindow->findChild<QToolButton*>(QStringLiteral("btMultiPrintS")),
                          Qt::LeftButton);
        batch::ui::TfrmMutiPrintOrder* batchWindow = program->batchWindow();
        QVERIFY(batchWindow);
        home->db().setStepHook([step](const QString& reached) {
            if (reached == step)
                throw Killed{};
        });
        bool killed = false;
        try {
            batchWindow->btStartPrintAllClick();
        } catch (const Killed&) {
            killed = true;
        }
        home->db().setStepHook({});
        QCOMPARE(killed, !step.isEmpty());
        QVERIFY(QFileInfo::exists(pdf())); // the printer has the job
        const int marked =
            home->db()
                .scalar(QStringLiteral("select count(*) from OrderList where 订单状态='已打印'"))
                .toInt();
        const int journalled =
            home->db().hasTable(QStringLiteral("PrintJournal"))
                ? home->db().scalar(QStringLiteral("select count(*) from PrintJournal")).toInt()
                : 0;
        QCOMPARE(marked, killed ? 0 : int(kOrders.size()));
        QCOMPARE(journalled, marked);
    }
};

OVERPRINT_TEST(TestBatchPrintJob)
#include "TestBatchPrintJob.moc"
