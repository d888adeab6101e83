#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include "entry/DeliveryNoteStore.h"
#include "entry/NoteDayTotals.h"
#include "entry/NoteSalesTotals.h"
#include "history/NoteHistoryStore.h"

#include <QTest>

#include <functional>
#include <map>
#include <tuple>

using entry::DeliveryNote;
using entry::DeliveryNoteStore;
using entry::NoteDayTotals;
using entry::NoteLine;
using entry::NoteSalesTotals;
using history::NoteHistoryStore;

namespace {

// key → (count, cents)
using Totals = std::map<QString, std::pair<qint64, qint64>>;

NoteLine line(const QString& code, const QString& name, const QString& amount) {
    NoteLine l;
    l.articleNumber = code;
    l.name = name;
    l.amount = amount;
    return l;
}

DeliveryNote note(const QString& number, const QDate& day, const QString& customer, const QString& total,
                  QVector<NoteLine> lines) {
    DeliveryNote n;
    n.number = number;
    n.variant = QStringLiteral("标准");
    n.customerName = customer;
    n.total = total;
    n.issueDate = QDateTime(day, QTime(10, 15, 0));
    for (int i = 0; i < lines.size(); ++i)
        lines[i].line = i + 1;
    n.lines = lines;
    return n;
}

// One customer for names differing in A–Z case only; full-width letters are not folded.
QString customerKey(const QString& name) {
    QString key = name.trimmed();
    for (QChar& c : key)
        if (c.unicode() < 128)
            c = c.toLower();
    return QString::fromLatin1(key.toUtf8().toHex());
}

// Money as the test reads it, apart from the program's reading: blank or unreadable is nothing.
qint64 plainCents(const QString& text) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    return ok ? qRound64(value * 100) : 0;
}

using Step = std::function<void(core::Database&)>;

} // namespace

Q_DECLARE_METATYPE(Step)

class TestSalesTotals : public QObject {
    Q_OBJECT

    std::unique_ptr<TestHome> home;

    core::Database& db() { return home->db(); }

    // The notes and lines counted again here, by a pass of their own.
    std::pair<Totals, Totals> recount() {
        Totals customers, products;
        core::Recordset notes =
            db().query(QStringLiteral("select 出票日期, 顾客名称, 票据状态, 合计金额 from DataCheckFHDSHD"));
        for (notes.first(); !notes.eof(); notes.next()) {
            const QString key = notes.text(0).left(10) + QLatin1Char('|') + customerKey(notes.text(1)) +
                                QLatin1Char('|') + notes.text(2);
            ++customers[key].first;
            customers[key].second += plainCents(notes.text(3));
        }
        core::Recordset lines = db().query(QStringLiteral(
            "select h.出票日期, d.货号, d.商品名, h.票据状态, d.金额 from DataCheckFHDSHDDetail d, "
            "DataCheckFHDSHD h where d.票据编号=h.票据编号"));
        for (lines.first(); !lines.eof(); lines.next()) {
            const QString code = lines.text(1).trimmed();
            const QString product = code.isEmpty() ? QLatin1Char('=') + db().caseKey(lines.text(2).trimmed())
                                                   : QLatin1Char('#') + db().caseKey(code);
            const QString key =
                lines.text(0).left(10) + QLatin1Char('|') + product + QLatin1Char('|') + lines.text(3);
            ++products[key].first;
            products[key].second += plainCents(lines.text(4));
        }
        return {customers, products};
    }

    std::pair<Totals, Totals> kept() {
        Totals customers, products;
        core::Recordset c = db().query(
            QStringLiteral("select 出票日, 顾客键, 票据状态, 单据数, 金额分 from NoteCustomerDays"));
        for (c.first(); !c.eof(); c.next())
            customers[c.text(0) + QLatin1Char('|') + c.text(1) + QLatin1Char('|') + c.text(2)] = {
                c.value(3).toLongLong(), c.value(4).toLongLong()};
        core::Recordset p =
            db().query(QStringLiteral("select 出票日, 商品键, 票据状态, 行数, 金额分 from NoteProductDays"));
        for (p.first(); !p.eof(); p.next())
            products[p.text(0) + QLatin1Char('|') + p.text(1) + QLatin1Char('|') + p.text(2)] = {
                p.value(3).toLongLong(), p.value(4).toLongLong()};
        return {customers, products};
    }

    // The same tables per month, and the recount rolled up to months.
    std::pair<Totals, Totals> keptMonths() {
        Totals out[2];
        const QString sql[2] = {
            QStringLiteral("select 出票月, 顾客键, 票据状态, 单据数, 金额分 from NoteCustomerMonths"),
            QStringLiteral("select 出票月, 商品键, 票据状态, 行数, 金额分 from NoteProductMonths")};
        for (int i = 0; i < 2; ++i) {
            core::Recordset r = db().query(sql[i]);
            for (r.first(); !r.eof(); r.next())
                out[i][r.text(0) + QLatin1Char('|') + r.text(1) + QLatin1Char('|') + r.text(2)] = {
                    r.value(3).toLongLong(), r.value(4).toLongLong()};
        }
        return {out[0], out[1]};
    }
    static Totals byMonth(const Totals& days) {
        Totals out;
        for (const auto& [key, value] : days) {
            const int bar = key.indexOf(QLatin1Char('|'));
            auto& month = out[key.left(bar).left(7) + key.mid(bar)];
            month.first += value.first;
            month.second += value.second;
        }
        return out;
    }

    static QStringList rows(const Totals& totals) {
        QStringList out;
        for (const auto& [key, value] : totals)
            out << QStringLiteral("%1 %2 %3").arg(key).arg(value.first).arg(value.second);
        return out;
    }

    void compareWithRecount() {
        const auto [keptCustomers, keptProducts] = kept();
        const auto [countedCustomers, countedProducts] = recount();
        QCOMPARE(rows(keptCustomers), rows(countedCustomers));
        QCOMPARE(rows(keptProducts), rows(countedProducts));
        const auto [customerMonths, productMonths] = keptMonths();
        QCOMPARE(rows(customerMonths), rows(byMonth(countedCustomers)));
        QCOMPARE(rows(productMonths), rows(byMonth(countedProducts)));
    }

private slots:
    void init() {
        if (QTest::currentTestFunction() == QLatin1String("cents"))
            return; // reads texts alone
        home = std::make_unique<TestHome>();
        QVERIFY2(home->isValid(), qPrintable(home->error()));
        DeliveryNoteStore store(db());
        const QDate d1(2026, 11, 3), d2(2026, 12, 1);
        store.save(
            note("S1", d1, QStringLiteral("Acme 商行"), QStringLiteral("100.10"),
                 {line("P1", QStringLiteral("螺丝"), "60.05"), line("", QStringLiteral("垫片"), "40.05")}));
        // The same customer as the tables compare names, another letter case.
        store.save(note("S2", d1, QStringLiteral("ACME 商行"), QStringLiteral("0.3"),
                        {line("p1", QStringLiteral("螺丝 大"), "0.3")}));
        store.save(note("S3", d2, QStringLiteral("华东五金"), QStringLiteral(""),
                        {line("", QStringLiteral("垫片"), ""), line("P2", QStringLiteral("扳手"), "12")}));
        store.save(note("S4", d2, QStringLiteral("华东五金"), QStringLiteral("7.5"), {}));
        // Full-width letters differing in case are two customers, on the server too.
        store.save(note("S5", d2, QStringLiteral("ＡＢ商店"), QStringLiteral("1"), {}));
        store.save(note("S6", d2, QStringLiteral("ａｂ商店"), QStringLiteral("2"), {}));
    }
    void cleanup() { home.reset(); }

    void writersKeepTotals_data() {
        QTest::addColumn<Step>("step");
        const auto history = [](core::Database& db) { return NoteHistoryStore(db); };
        QTest::newRow("saved") << Step([](core::Database&) {});
        QTest::newRow("edited: customer, amount, day, lines") << Step([](core::Database& db) {
            DeliveryNoteStore(db).save(note("S1", QDate(2026, 12, 1), QStringLiteral("华东五金"),
                                            QStringLiteral("55.55"),
                                            {line("P2", QStringLiteral("扳手"), "55.55")}));
        });
        QTest::newRow("deleted") << Step([history](core::Database& db) {
            history(db).deleteNotes({QStringLiteral("S1"), QStringLiteral("S3")});
        });
        QTest::newRow("voided") << Step([history](core::Database& db) {
            history(db).voidNotes(
                {db.scalar(QStringLiteral("select 流水号 from DataCheckFHDSHD where 票据编号='S2'"))});
        });
        QTest::newRow("listed deleted") << Step([history](core::Database& db) {
            history::NoteFilter f;
            f.customer = QStringLiteral("华东");
            history(db).deleteListed(NoteHistoryStore::condition(f));
        });
        QTest::newRow("all cleared") << Step([history](core::Database& db) { history(db).clearAll(); });
        QTest::newRow("rebuilt (store copy)") << Step([](core::Database& db) {
            db.exec(QStringLiteral("delete from NoteCustomerDays"));
            NoteDayTotals(db).rebuild();
        });
    }
    void writersKeepTotals() {
        QFETCH(Step, step);
        step(db());
        compareWithRecount();
    }

    // A spoiled or missing table is counted again at the store's opening.
    void repairRecounts_data() {
        QTest::addColumn<QString>("spoil");
        QTest::newRow("customer row lost") << "delete from NoteCustomerDays where 顾客名称 like 'acme%'";
        QTest::newRow("product row lost") << "delete from NoteProductDays where 商品键='#p1'";
        QTest::newRow("tables of an earlier build") << "drop table NoteProductDays";
        QTest::newRow("month row lost") << "delete from NoteCustomerMonths where 顾客名称 like 'acme%'";
        QTest::newRow("months of an earlier build") << "drop table NoteProductMonths";
    }
    void repairRecounts() {
        QFETCH(QString, spoil);
        const auto before = kept();
        db().exec(spoil);
        QVERIFY(NoteDayTotals(db()).repair());
        QCOMPARE(rows(kept().first), rows(before.first));
        QCOMPARE(rows(kept().second), rows(before.second));
        compareWithRecount();
        QVERIFY(!NoteDayTotals(db()).repair());
    }

    void cents_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<qint64>("cents");
        QTest::newRow("whole") << "12" << true << qint64(1200);
        QTest::newRow("one decimal") << " 1234.5 " << true << qint64(123450);
        QTest::newRow("negative") << "-0.05" << true << qint64(-5);
        QTest::newRow("groups and full-width digits") << "１,２３４.５" << true << qint64(123450);
        QTest::newRow("half up") << "0.125" << true << qint64(13);
        QTest::newRow("half away from zero") << "-0.125" << true << qint64(-13);
        QTest::newRow("beyond float exactness") << "92233720368.47" << true << qint64(9223372036847);
        QTest::newRow("blank") << "  " << false << qint64(0);
        QTest::newRow("two points") << "1.2.3" << false << qint64(0);
        QTest::newRow("text") << "abc" << false << qint64(0);
    }
    void cents() {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(qint64, cents);
        qint64 out = 0;
        QCOMPARE(NoteSalesTotals::cents(text, &out), ok);
        if (ok)
            QCOMPARE(out, cents);
    }
};

OVERPRINT_TEST(TestSalesTotals)
#include "TestSalesTotals.moc"
