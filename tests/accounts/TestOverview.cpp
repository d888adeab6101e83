#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include "accounts/ui/TfrmOverview.h"
#include "entry/DeliveryNoteStore.h"
#include "history/NoteHistoryStore.h"
#include "print/RecordingPrintDevice.h"

#include <QAbstractBarSeries>
#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QImage>
#include <QTest>

using accounts::ui::AgedBalance;
using accounts::ui::HistoryPick;
using accounts::ui::TfrmOverview;
using entry::DeliveryNote;
using entry::NoteLine;

namespace {

const QDate kToday(2026, 12, 15);

DeliveryNote note(const QString& number, const QDate& day, const QString& customer, const QString& total,
                  const QVector<std::pair<QString, QString>>& goods,
                  const QString& state = QStringLiteral("正常")) {
    DeliveryNote n;
    n.number = number;
    n.variant = QStringLiteral("标准");
    n.state = state;
    n.customerName = customer;
    n.total = total;
    n.issueDate = QDateTime(day, QTime(9, 0));
    int i = 0;
    for (const auto& [product, amount] : goods) {
        NoteLine l;
        l.line = ++i;
        // "code name" or a name alone
        const QStringList parts = product.split(QLatin1Char(' '));
        l.articleNumber = parts.size() > 1 ? parts.at(0) : QString();
        l.name = parts.last();
        l.amount = amount;
        n.lines << l;
    }
    return n;
}

QAbstractBarSeries* barsOf(TfrmOverview& w, TfrmOverview::Chart which) {
    QChart* chart = w.chart(which);
    return chart->series().isEmpty() ? nullptr : qobject_cast<QAbstractBarSeries*>(chart->series().first());
}

// "category=value;…" per bar set, values in 元 as drawn.
QStringList drawn(TfrmOverview& w, TfrmOverview::Chart which) {
    QAbstractBarSeries* series = barsOf(w, which);
    if (!series)
        return {};
    QBarCategoryAxis* axis = nullptr;
    for (QAbstractAxis* a : series->attachedAxes())
        if (auto* categories = qobject_cast<QBarCategoryAxis*>(a))
            axis = categories;
    QStringList out;
    for (QBarSet* set : series->barSets()) {
        QStringList bars;
        for (int i = 0; i < set->count(); ++i)
            if (set->at(i) != 0)
                bars << axis->at(i) + QLatin1Char('=') + QString::number(set->at(i), 'f', 2);
        out << set->label() + QLatin1Char(':') + bars.join(QLatin1Char(';'));
    }
    return out;
}

} // namespace

class TestOverview : public QObject {
    Q_OBJECT

    std::unique_ptr<TestHome> home;
    print::RecordingPrintDevice device;
    QVector<HistoryPick> picks;
    std::unique_ptr<TfrmOverview> window;

private slots:
    // One store and window for every case: the cases only read it.
    void initTestCase() {
        home = std::make_unique<TestHome>();
        QVERIFY2(home->isValid(), qPrintable(home->error()));
        entry::DeliveryNoteStore store(home->db());
        store.save(note("N1", {2026, 12, 3}, QStringLiteral("甲商行"), "300", {{"P1 螺丝", "300"}}));
        store.save(note("N2", {2026, 12, 5}, QStringLiteral("乙公司"), "120.50",
                        {{"P2 扳手", "100.50"}, {"垫片", "20"}}));
        store.save(note("N3", {2025, 12, 10}, QStringLiteral("甲商行"), "50", {{"p1 螺丝", "50"}}));
        store.save(note("N4", {2026, 11, 20}, QStringLiteral("乙公司"), "80", {{"P2 扳手", "80"}}));
        // Voided notes are no sales.
        store.save(note("N5", {2026, 12, 6}, QStringLiteral("丙"), "999", {{"P9 锤", "999"}},
                        QStringLiteral("作废")));
        const auto receivables = [](QDate asOf) {
            QVector<AgedBalance> out;
            if (asOf != kToday)
                return out;
            out << AgedBalance{QStringLiteral("乙公司"), 20000, {10000, 5000, 3000, 2000}};
            out << AgedBalance{QStringLiteral("甲商行"), 50000, {50000, 0, 0, 0}};
            out << AgedBalance{QStringLiteral("丁"), -1000, {-1000, 0, 0, 0}}; // owed to, not owing
            return out;
        };
        window = std::make_unique<TfrmOverview>(
            home->app(), device, QString(), [this](const HistoryPick& p) { picks << p; }, receivables);
        window->setToday(kToday);
        window->refresh();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    void init() {
        picks.clear();
        window->setSpan(TfrmOverview::Span::ThisMonth);
    }
    void cleanupTestCase() {
        window.reset();
        home.reset();
    }

    void chartsShowTheStore_data() {
        QTest::addColumn<int>("chart");
        QTest::addColumn<int>("span");
        QTest::addColumn<QStringList>("bars");
        const int thisMonth = int(TfrmOverview::Span::ThisMonth);
        QTest::newRow("months") << int(TfrmOverview::Months) << thisMonth
                                << QStringList{"本期:11月=80.00;12月=420.50", "上年同期:12月=50.00"};
        // Largest at the top: the category axis runs upwards.
        QTest::newRow("customers this month")
            << int(TfrmOverview::Customers) << thisMonth << QStringList{"销售额:乙公司=120.50;甲商行=300.00"};
        QTest::newRow("customers last month")
            << int(TfrmOverview::Customers) << int(TfrmOverview::Span::LastMonth)
            << QStringList{"销售额:乙公司=80.00"};
        QTest::newRow("customers this year")
            << int(TfrmOverview::Customers) << int(TfrmOverview::Span::ThisYear)
            << QStringList{"销售额:乙公司=200.50;甲商行=300.00"};
        QTest::newRow("products, code in any case")
            << int(TfrmOverview::Products) << int(TfrmOverview::Span::Range)
            << QStringList{"销售额:垫片=20.00;扳手=180.50;螺丝=350.00"};
        QTest::newRow("receivables by age")
            << int(TfrmOverview::Receivables) << thisMonth
            << QStringList{"0–30天:乙公司=100.00;甲商行=500.00", "31–60天:乙公司=50.00",
                           "61–90天:乙公司=30.00", "90天以上:乙公司=20.00"};
    }
    void chartsShowTheStore() {
        QFETCH(int, chart);
        QFETCH(int, span);
        QFETCH(QStringList, bars);
        window->setSpan(TfrmOverview::Span(span), QDate(2025, 12, 1), QDate(2026, 12, 31));
        QCOMPARE(drawn(*window, TfrmOverview::Chart(chart)), bars);
    }

    void barOpensHistory_data() {
        QTest::addColumn<int>("chart");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("set");
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<QString>("customer");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("name");
        QTest::newRow("a month") << int(TfrmOverview::Months) << 10 << 0 << QDate(2026, 11, 1)
                                 << QDate(2026, 11, 30) << ""
                                 << ""
                                 << "";
        QTest::newRow("the month a year before")
            << int(TfrmOverview::Months) << 11 << 1 << QDate(2025, 12, 1) << QDate(2025, 12, 31) << ""
            << ""
            << "";
        QTest::newRow("the top customer")
            << int(TfrmOverview::Customers) << 1 << 0 << QDate(2026, 12, 1) << QDate(2026, 12, 31) << "甲商行"
            << ""
            << "";
        QTest::newRow("a product without code")
            << int(TfrmOverview::Products) << 0 << 0 << QDate(2026, 12, 1) << QDate(2026, 12, 31) << ""
            << ""
            << "垫片";
        QTest::newRow("a product") << int(TfrmOverview::Products) << 1 << 0 << QDate(2026, 12, 1)
                                   << QDate(2026, 12, 31) << ""
                                   << "P2"
                                   << "扳手";
        QTest::newRow("who owes most, any day")
            << int(TfrmOverview::Receivables) << 1 << 2 << QDate() << QDate() << "甲商行"
            << ""
            << "";
    }
    void barOpensHistory() {
        QFETCH(int, chart);
        QFETCH(int, index);
        QFETCH(int, set);
        QAbstractBarSeries* series = barsOf(*window, TfrmOverview::Chart(chart));
        QVERIFY(series);
        emit series->clicked(index, series->barSets().at(set));
        QCOMPARE(picks.size(), 1);
        const HistoryPick& p = picks.first();
        QTEST(p.from, "from");
        QTEST(p.to, "to");
        QTEST(p.customer, "customer");
        QTEST(p.productCode, "code");
        QTEST(p.productName, "name");
    }

    // The history finds the notes of a product pick (a line of it, 货号 before 商品名).
    void historyFindsProduct_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("numbers");
        QTest::newRow("code, any case") << "P1"
                                        << "螺丝" << QStringList{"N1", "N3"};
        QTest::newRow("name of lines without code") << ""
                                                    << "垫片" << QStringList{"N2"};
        QTest::newRow("name of a coded product is no match") << ""
                                                             << "扳手" << QStringList{};
    }
    void historyFindsProduct() {
        QFETCH(QString, code);
        QFETCH(QString, name);
        history::NoteFilter f;
        f.productCode = code;
        f.productName = name;
        const history::NoteCondition c = history::NoteHistoryStore::condition(f);
        QVERIFY(!c.byDayTotals);
        core::Recordset rs =
            home->db().query(QStringLiteral("select 票据编号 from DataCheckFHDSHD where 1=1 ") + c.text +
                                 QStringLiteral(" order by 票据编号"),
                             c.params);
        QStringList found;
        for (rs.first(); !rs.eof(); rs.next())
            found << rs.text(0);
        QTEST(found, "numbers");
    }

    void savesAndPrintsPicture() {
        const QString path = home->path() + QStringLiteral("chart.png");
        home->dialogs().files.enqueue(path);
        QVERIFY(window->savePng(TfrmOverview::Customers));
        QImage saved(path);
        QVERIFY(!saved.isNull());
        // Not blank: the bars are drawn in colour on white.
        bool coloured = false;
        for (int y = 0; y < saved.height() && !coloured; y += 4)
            for (int x = 0; x < saved.width() && !coloured; x += 4) {
                const QColor c = saved.pixelColor(x, y);
                coloured = c.saturation() > 80;
            }
        QVERIFY(coloured);

        QVERIFY(window->printChart(TfrmOverview::Receivables));
        QCOMPARE(device.images.size(), 1);
        const QRect target = device.images.first().target;
        const QSize area = device.printableSize();
        QVERIFY(target.width() == area.width() || target.height() == area.height());
        QVERIFY(QRect(QPoint(0, 0), area).contains(target));
    }
};

OVERPRINT_TEST(TestOverview)
#include "TestOverview.moc"
