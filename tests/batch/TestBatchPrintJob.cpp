#include "TestHome.h"
#include "TestRegistry.h"
#include "batch/ui/TfrmMutiPrintOrder.h"
#include "core/ui/DataGrid.h"
#include "entry/MoneyText.h"
#include "entry/ui/TfmCheckFHDSHD.h"
#include "print/QtPrintDevice.h"
#include "program/Program.h"

#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPageSize>
#include <QProcess>
#include <QPushButton>
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

QString pageText(const QString& pdf, int page) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                                          QString::number(page), pdf, QStringLiteral("-")});
    p.waitForFinished(30000);
    // The embedded font maps some ideographs to their radical look-alikes (子 to ⼦, 角 to ⻆).
    return QString::fromUtf8(p.readAllStandardOutput())
        .normalized(QString::NormalizationForm_KC)
        .replace(QChar(0x2EC6), QChar(0x89D2));
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
            const int lines = std::min<int>(int(o.goods.size()), 4);
            for (int k = 0; k < o.goods.size(); ++k)
                QCOMPARE(text.contains(o.goods.at(k)), k < lines);
            if (lines > 0) {
                const QString total = entry::numberText(2.5 * lines);
                const QString capitals = entry::AmountToChineseCapitals(total);
                QVERIFY2(text.contains(capitals), qPrintable(capitals + "\n" + text));
                const QString figures = QStringLiteral("￥%1").arg(2.5 * lines, 0, 'f', 2);
                QVERIFY2(text.contains(figures.normalized(QString::NormalizationForm_KC)), qPrintable(text));
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
        // Printing changed nothing in the tables.
        QCOMPARE(home->db()
                     .scalar(QStringLiteral("select count(*) from OrderList where 订单状态='未打印'"))
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
};

OVERPRINT_TEST(TestBatchPrintJob)
#include "TestBatchPrintJob.moc"
