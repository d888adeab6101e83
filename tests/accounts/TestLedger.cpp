#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include "accounts/Ledger.h"
#include "accounts/PaymentStore.h"
#include "entry/NoteDayTotals.h"
#include "masterdata/TPerson.h"
#include "print/PrintJournal.h"

#include <QRandomGenerator>
#include <QTest>

#include <map>

using namespace accounts;

namespace {

// One delivery or payment as generated, with the customer it belongs to written down beside it,
// so the expected balances are a plain recount, not the ledger's own rules.
struct Rec {
    QString owner;
    QDate day;
    qint64 cents; // deliveries positive, payments as received
    bool payment;
    bool notShipped = false;
};

const QDate kFrom(2026, 3, 1), kTo(2026, 3, 31), kAsOf(2026, 6, 30);
const QDate kRenameDay(2026, 3, 15);

} // namespace

class TestLedger : public QObject {
    Q_OBJECT

    std::unique_ptr<TestHome> home;
    QVector<Rec> recs;
    int serial = 0;

    core::Database& db() { return home->db(); }

    void note(const QString& name, const QString& owner, QDate day, qint64 cents, const QString& state,
              const QString& written = {}) {
        const QString number = QStringLiteral("N%1").arg(++serial, 5, 10, QLatin1Char('0'));
        db().exec(
            QStringLiteral("insert into DataCheckFHDSHD (票据编号, 顾客名称, 出票日期, 合计金额, 票据状态) "
                           "values (:n, :c, :d, :a, :s)"),
            {{QStringLiteral("n"), number},
             {QStringLiteral("c"), name},
             {QStringLiteral("d"), day.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(" 10:20:30")},
             {QStringLiteral("a"), written.isEmpty() ? centsText(cents) : written},
             {QStringLiteral("s"), state}});
        if (state != QStringLiteral("作废"))
            recs.append({owner, day, cents, false, state == QStringLiteral("正常")});
    }
    void pay(const QString& name, const QString& owner, QDate day, qint64 cents, const QString& noteNo = {}) {
        db().exec(QStringLiteral(
                      "insert into Payments (收款日期, 顾客名称, 金额分, 收款方式, 票据编号) values (:d, :c, "
                      ":m, '现金', :n)"),
                  {{QStringLiteral("d"), day.toString(QStringLiteral("yyyy-MM-dd"))},
                   {QStringLiteral("c"), name},
                   {QStringLiteral("m"), cents},
                   {QStringLiteral("n"), noteNo}});
        recs.append({owner, day, cents, true});
    }
    // An order with two goods lines, printed at each of the given times; savedAs names a note.
    void order(const QString& name, const QString& owner, QDate firstPrint, int printings,
               const QString& savedAs) {
        const QString number = QStringLiteral("D%1").arg(++serial);
        db().exec(
            QStringLiteral(
                "insert into OrderList (订单号, 订单状态, 客户全称, 票据编号) values (:o, '已打印', :c, :n)"),
            {{QStringLiteral("o"), number}, {QStringLiteral("c"), name}, {QStringLiteral("n"), savedAs}});
        for (const char* amount : {"100.25", "1,000.10"})
            db().exec(QStringLiteral("insert into OrderDetail (订单号, 商品名, 金额) values (:o, '货', :a)"),
                      {{QStringLiteral("o"), number}, {QStringLiteral("a"), QString::fromLatin1(amount)}});
        for (int i = 0; i < printings; ++i)
            db().exec(
                QStringLiteral("insert into PrintJournal (JobNo, PageNo, PrintTime, OrderNo, Source) values "
                               "(:j, 1, :t, :o, 'order')"),
                {{QStringLiteral("j"), serial * 10 + i},
                 {QStringLiteral("t"), firstPrint.addDays(i * 40).toString(QStringLiteral("yyyy-MM-dd")) +
                                           QStringLiteral(" 08:00:00")},
                 {QStringLiteral("o"), number}});
        if (savedAs.isEmpty())
            recs.append({owner, firstPrint, 110035, false});
    }

    // Plain recount of one owner.
    Statement expected(const QString& owner) {
        Statement s;
        for (const Rec& r : recs) {
            if (r.owner != owner || r.day > kTo)
                continue;
            const qint64 signedCents = r.payment ? -r.cents : r.cents;
            if (r.day < kFrom)
                s.openingCents += signedCents;
            else if (r.payment)
                s.receivedCents += r.cents;
            else
                s.deliveredCents += r.cents;
        }
        s.closingCents = s.openingCents + s.deliveredCents - s.receivedCents;
        return s;
    }

private slots:
    void initTestCase() {
        home = std::make_unique<TestHome>();
        QVERIFY2(home->isValid(), qPrintable(home->error()));
        print::PrintJournal(home->app()).ensureTable();
        // The renamed unit: 旧名公司 becomes 新名公司; later a new unit takes the old name.
        masterdata::TPerson renamed;
        renamed.setFullName(QStringLiteral("旧名公司"));
        renamed.save(db());
        renamed.setFullName(QStringLiteral("新名公司"));
        renamed.save(db());
        db().exec(QStringLiteral("update CustomerRenames set 改名时间=:t"),
                  {{QStringLiteral("t"),
                    kRenameDay.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(" 12:00:00")}});
        masterdata::TPerson reused;
        reused.setFullName(QStringLiteral("旧名公司"));
        reused.save(db());

        QRandomGenerator rnd(20261211);
        // name as written on the note → the customer it is.
        const std::pair<QString, QString> names[] = {
            {QStringLiteral("甲商行"), QStringLiteral("甲")},
            {QStringLiteral("ABC商行"), QStringLiteral("abc")},
            {QStringLiteral("abc商行"), QStringLiteral("abc")},
            {QStringLiteral("Abc商行"), QStringLiteral("abc")},
            {QStringLiteral("Ａbc商行"), QStringLiteral("Ａbc")},
            {QStringLiteral("ａbc商行"), QStringLiteral("ａbc")},
        };
        const QStringList states{QStringLiteral("已发货"), QStringLiteral("正常"), QStringLiteral("已收款"),
                                 QStringLiteral("作废")};
        db().begin();
        for (int i = 0; i < 240; ++i) {
            const auto& [name, owner] = names[rnd.bounded(6)];
            const QDate day = QDate(2025, 12, 1).addDays(rnd.bounded(200));
            note(name, owner, day, 100 + rnd.bounded(500000), states[rnd.bounded(4)]);
            if (i % 3 == 0)
                pay(name, owner, day.addDays(rnd.bounded(20)), rnd.bounded(400000) - 20000,
                    i % 2 ? QStringLiteral("N%1").arg(serial, 5, 10, QLatin1Char('0')) : QString());
        }
        // Deleted notes are simply gone.
        note(QStringLiteral("甲商行"), QStringLiteral("-"), kFrom, 999, QStringLiteral("已发货"));
        db().exec(QStringLiteral("delete from DataCheckFHDSHD where 票据编号=:n"),
                  {{QStringLiteral("n"), QStringLiteral("N%1").arg(serial, 5, 10, QLatin1Char('0'))}});
        recs.removeLast();
        // A name saved with stray spaces is the same customer.
        note(QStringLiteral("甲商行 "), QStringLiteral("甲"), kFrom.addDays(3), 777,
             QStringLiteral("已发货"));
        note(QStringLiteral(" 甲商行"), QStringLiteral("甲"), kFrom.addDays(-3), 555,
             QStringLiteral("已发货"));
        // Period edges.
        note(QStringLiteral("甲商行"), QStringLiteral("甲"), kFrom, 101, QStringLiteral("已发货"));
        note(QStringLiteral("甲商行"), QStringLiteral("甲"), kTo, 202, QStringLiteral("正常"));
        pay(QStringLiteral("甲商行"), QStringLiteral("甲"), kFrom.addDays(-1), 303);
        note(QStringLiteral("甲商行"), QStringLiteral("甲"), kFrom.addDays(-40), 123450,
             QStringLiteral("已发货"), QStringLiteral("1,234.50"));
        pay(QStringLiteral("甲商行"), QStringLiteral("甲"), kTo.addDays(1), 404);
        // The renamed unit's old name, before and on the rename day, then the new unit's.
        note(QStringLiteral("旧名公司"), QStringLiteral("新名"), QDate(2026, 2, 10), 50000,
             QStringLiteral("已发货"));
        pay(QStringLiteral("旧名公司"), QStringLiteral("新名"), kRenameDay, 7000);
        note(QStringLiteral("新名公司"), QStringLiteral("新名"), QDate(2026, 3, 20), 12345,
             QStringLiteral("已发货"));
        note(QStringLiteral("旧名公司"), QStringLiteral("旧名"), QDate(2026, 3, 16), 8800,
             QStringLiteral("已发货"));
        // Printed orders: one printed twice, one saved as a note (the note counts).
        order(QStringLiteral("ABC商行"), QStringLiteral("abc"), QDate(2026, 3, 5), 2, QString());
        order(QStringLiteral("甲商行"), QStringLiteral("甲"), QDate(2026, 2, 5), 1, QString());
        note(QStringLiteral("甲商行"), QStringLiteral("甲"), QDate(2026, 3, 7), 110035,
             QStringLiteral("已发货"));
        order(QStringLiteral("甲商行"), QStringLiteral("甲"), QDate(2026, 3, 7), 1,
              QStringLiteral("N%1").arg(serial, 5, 10, QLatin1Char('0')));
        db().commit();
        // Written by SQL, the notes reach the kept sales as a start's repair counts them.
        entry::NoteDayTotals(db()).rebuild();
    }
    void cleanupTestCase() { home.reset(); }

    void statementAgainstRecount_data() {
        QTest::addColumn<QString>("asked");
        QTest::addColumn<QString>("owner");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("many");
        const char* const rows[][4] = {{"plain", "甲商行", "甲", "甲商行"},
                                       {"case folds A-Z", "abc商行", "abc", "abc商行"},
                                       {"upper asks the same", "ABC商行", "abc", "ABC商行"},
                                       {"full-width upper apart", "Ａbc商行", "Ａbc", "Ａbc商行"},
                                       {"full-width lower apart", "ａbc商行", "ａbc", "ａbc商行"},
                                       {"renamed keeps old notes", "新名公司", "新名", "新名公司"},
                                       {"old name taken again", "旧名公司", "旧名", "旧名公司"}};
        // Asked alone, a statement reads its customer's records; asked among many, every record
        // of the period is read once and shared out: both must come to the same statement.
        for (const bool many : {false, true})
            for (const auto& row : rows)
                QTest::newRow(qPrintable(QString::fromUtf8(row[0]) +
                                         (many ? QStringLiteral(", among many") : QString())))
                    << QString::fromUtf8(row[1]) << QString::fromUtf8(row[2]) << QString::fromUtf8(row[3])
                    << many;
    }
    void statementAgainstRecount() {
        QFETCH(QString, asked);
        QFETCH(QString, owner);
        QFETCH(QString, shown);
        QFETCH(bool, many);
        QStringList customers{asked};
        for (int i = 0; many && i < 30; ++i)
            customers << QStringLiteral("无往来%1").arg(i);
        const Statement got = Ledger(db()).statements(customers, Period::month(2026, 3), true).constFirst();
        const Statement want = expected(owner);
        QCOMPARE(got.customer, shown);
        QCOMPARE(got.openingCents, want.openingCents);
        QCOMPARE(got.deliveredCents, want.deliveredCents);
        QCOMPARE(got.receivedCents, want.receivedCents);
        QCOMPARE(got.closingCents, want.closingCents);
        qint64 entries = 0;
        int notShipped = 0, wantNotShipped = 0;
        for (const Rec& r : recs)
            wantNotShipped += r.owner == owner && r.notShipped && r.day >= kFrom && r.day <= kTo;
        QDate last;
        for (const StatementEntry& e : got.entries) {
            QVERIFY(e.date >= kFrom && e.date <= kTo);
            QVERIFY(!last.isValid() || last <= e.date);
            last = e.date;
            entries += e.kind == StatementEntry::Kind::Payment ? -e.cents : e.cents;
            notShipped += e.notShipped;
            if (e.kind == StatementEntry::Kind::PrintedOrder)
                QCOMPARE(e.goods.size(), 2);
        }
        QCOMPARE(entries, want.deliveredCents - want.receivedCents);
        QCOMPARE(notShipped, wantNotShipped);
    }

    void receivablesAgainstRecount_data() {
        // Old debt is read per month before the month 90 days back, per day after it: days at
        // a month's end, within one, and on the rename's day move that edge.
        QTest::addColumn<QDate>("asOf");
        QTest::newRow("month end") << kAsOf;
        QTest::newRow("mid month") << QDate(2026, 5, 17);
        QTest::newRow("rename day") << kRenameDay;
        QTest::newRow("later, mid month") << QDate(2026, 7, 20);
    }
    void receivablesAgainstRecount() {
        QFETCH(QDate, asOf);
        // Recount: per owner, deliveries by age column, payments settle the oldest first.
        std::map<QString, std::pair<qint64, std::array<qint64, 4>>> sums;
        for (const Rec& r : recs) {
            if (r.day > asOf)
                continue;
            auto& [paid, delivered] = sums[r.owner];
            if (r.payment) {
                paid += r.cents;
                continue;
            }
            const qint64 days = r.day.daysTo(asOf);
            delivered[days <= 30 ? 0 : days <= 60 ? 1 : days <= 90 ? 2 : 3] += r.cents;
        }
        const QVector<Ledger::Receivable> got = Ledger(db()).receivables(asOf);
        const std::map<QString, QString> shownAs{{QStringLiteral("甲商行"), QStringLiteral("甲")},
                                                 {QStringLiteral("新名公司"), QStringLiteral("新名")},
                                                 {QStringLiteral("旧名公司"), QStringLiteral("旧名")},
                                                 {QStringLiteral("Ａbc商行"), QStringLiteral("Ａbc")},
                                                 {QStringLiteral("ａbc商行"), QStringLiteral("ａbc")}};
        int owing = 0;
        for (const auto& [owner, s] : sums) {
            const qint64 total = s.second[0] + s.second[1] + s.second[2] + s.second[3] - s.first;
            owing += total != 0;
        }
        QCOMPARE(got.size(), owing);
        for (int i = 0; i < got.size(); ++i) {
            const Ledger::Receivable& r = got[i];
            const auto named = shownAs.find(r.customer);
            const QString owner = named != shownAs.end() ? named->second
                                  : customerKey(r.customer) == QStringLiteral("abc商行")
                                      ? QStringLiteral("abc")
                                      : r.customer;
            QVERIFY2(sums.count(owner), qPrintable(r.customer));
            const auto& [paid, delivered] = sums[owner];
            qint64 open = delivered[0] + delivered[1] + delivered[2] + delivered[3] - paid;
            QCOMPARE(r.totalCents, open);
            if (i > 0)
                QVERIFY(got[i - 1].totalCents >= r.totalCents);
            for (int a = 0; a < 4 && open > 0; ++a) {
                const qint64 part = std::min(open, delivered[a]);
                QCOMPARE(r.ageCents[a], part);
                open -= part;
            }
        }
    }

    void activeCustomersOfMonth() {
        QStringList want;
        for (const Rec& r : recs)
            if (r.day >= kFrom && r.day <= kTo)
                want << r.owner;
        want.removeDuplicates();
        const QStringList got = Ledger(db()).activeCustomers(Period::month(2026, 3));
        QCOMPARE(got.size(), want.size());
        QVERIFY(got.contains(QStringLiteral("新名公司")));
        QVERIFY(got.contains(QStringLiteral("旧名公司")));
        QVERIFY(got.contains(QStringLiteral("Ａbc商行")) && got.contains(QStringLiteral("ａbc商行")));
    }

    void moneyTexts_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<qint64>("cents");
        QTest::newRow("plain") << "1234.5" << qint64(123450);
        QTest::newRow("groups") << "1,234.56" << qint64(123456);
        QTest::newRow("full-width") << "１２３４．５６" << qint64(123456);
        QTest::newRow("negative") << "-0.05" << qint64(-5);
        QTest::newRow("third decimal rounds") << "2.675" << qint64(268);
        QTest::newRow("beyond double's exact cents") << "90071992547409.93" << qint64(9007199254740993);
    }
    void moneyTexts() {
        QFETCH(QString, typed);
        QFETCH(qint64, cents);
        QCOMPARE(textCents(typed).value_or(-1), cents);
        QCOMPARE(textCents(centsText(cents)).value_or(-1), cents);
    }
};

OVERPRINT_TEST(TestLedger)
#include "TestLedger.moc"
