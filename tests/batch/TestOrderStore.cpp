#include "TestHome.h"
#include "TestRegistry.h"
#include "batch/OrderFill.h"
#include "batch/OrderStore.h"

#include <QTest>

using batch::OrderFilter;
using batch::OrderStore;

namespace {

void addOrder(core::Database& db, const QVariant& number, const QString& customer, const QString& phone,
              const QString& remark = {}, const QVariant& town = {}) {
    db.exec(
        QStringLiteral("insert into OrderList (订单号, 订单状态, 客户全称, 客户电话, 客户市, 客户镇区, 备注) "
                       "values (:n, '未打印', :c, :p, '深圳', :t, :r)"),
        {{QStringLiteral("n"), number},
         {QStringLiteral("c"), customer},
         {QStringLiteral("p"), phone},
         {QStringLiteral("t"), town},
         {QStringLiteral("r"), remark}});
}

void addLine(core::Database& db, const QVariant& number, const QString& goods) {
    db.exec(QStringLiteral("insert into OrderDetail (订单号, 商品名) values (:n, :g)"),
            {{QStringLiteral("n"), number}, {QStringLiteral("g"), goods}});
}

// Everything of an order the fill uses, as one text.
QString describe(const batch::Order& o) {
    QStringList parts{o.number, o.customer, o.phone, o.remark, o.contact, o.address, o.mobile};
    for (const batch::OrderLine& l : o.lines)
        parts << QStringList{l.articleNumber, l.name, l.model, l.unit, l.quantity, l.price, l.amount}.join(
            QLatin1Char('|'));
    return parts.join(QLatin1Char('/'));
}

QStringList column(core::Database& db, const QString& sql, const core::Params& params = {}) {
    QStringList out;
    core::Recordset rs = db.query(sql, params);
    for (rs.first(); !rs.eof(); rs.next())
        out << rs.text(0);
    return out;
}

} // namespace

class TestOrderStore : public QObject {
    Q_OBJECT

    std::unique_ptr<TestHome> home;

private slots:
    void init() {
        home = std::make_unique<TestHome>();
        QVERIFY2(home->isValid(), qPrintable(home->error()));
        core::Database& db = home->db();
        addOrder(db, QStringLiteral("A1"), QStringLiteral("星河's 电子"), QStringLiteral("0755-1"),
                 QStringLiteral("老客户"), QStringLiteral("南山"));
        addOrder(db, QStringLiteral("A2"), QStringLiteral("50% 折扣店"), QStringLiteral("021-2"));
        addOrder(db, QStringLiteral("A3"), QStringLiteral("华强五金"), QStringLiteral("0755-3"));
        addLine(db, QStringLiteral("A1"), QStringLiteral("螺栓"));
        addLine(db, QStringLiteral("A2"), QStringLiteral("垫圈"));
        addLine(db, QStringLiteral("A3"), QStringLiteral("螺母"));
    }

    // A selection of more orders than a statement has placeholders (250,000 in the local file's
    // engine as Debian builds it, 65,535 on the server) is deleted in one go, lines with it.
    void manyOrdersAreDeletedAtOnce() {
        core::Database& db = home->db();
        db.exec(QStringLiteral("with recursive n(i) as (select 1 union all select i+1 from n where i<250001) "
                               "insert into OrderList (订单号, 订单状态) select 'N' || i, '未打印' from n"));
        addLine(db, QStringLiteral("N7"), QStringLiteral("螺栓"));
        QVariantList ids;
        core::Recordset rs = db.query(QStringLiteral("select ID from OrderList where 订单号 like 'N%'"));
        for (rs.first(); !rs.eof(); rs.next())
            ids << rs.value(0);
        QCOMPARE(ids.size(), 250001);
        QCOMPARE(batch::OrderStore(db).deleteOrders(ids), 250001);
        QCOMPARE(column(db, QStringLiteral("select 订单号 from OrderList order by 订单号")),
                 QStringList({"A1", "A2", "A3"}));
        QCOMPARE(db.scalar(QStringLiteral("select count(*) from OrderDetail")).toInt(), 3);
    }

    // The run reads its orders a hundred at a time; each must read as it does alone.
    void ordersReadTogetherAsAlone_data() {
        QTest::addColumn<QStringList>("numbers");
        QTest::newRow("as stored") << QStringList{QStringLiteral("A1"), QStringLiteral("A2"),
                                                  QStringLiteral("A3")};
        QTest::newRow("other letter case") << QStringList{QStringLiteral("a1"), QStringLiteral("M1")};
        QTest::newRow("missing") << QStringList{QStringLiteral("A9"), QStringLiteral("A2"), QString()};
        QTest::newRow("more lines than a note") << QStringList{QStringLiteral("LONG"), QStringLiteral("A1")};
        QTest::newRow("two heads, no lines") << QStringList{QStringLiteral("TWICE")};
        QTest::newRow("same number twice") << QStringList{QStringLiteral("A3"), QStringLiteral("A3")};
    }
    void ordersReadTogetherAsAlone() {
        QFETCH(QStringList, numbers);
        core::Database& db = home->db();
        addOrder(db, QStringLiteral("m1"), QStringLiteral("小写"), QStringLiteral("1"));
        addLine(db, QStringLiteral("M1"), QStringLiteral("大写的行"));
        addOrder(db, QStringLiteral("LONG"), QStringLiteral("长单"), QStringLiteral("2"));
        for (int n = 1; n <= batch::OrderFill::kNoteLines + 3; ++n)
            addLine(db, QStringLiteral("LONG"), QStringLiteral("行%1").arg(n));
        // One order stored twice, as only a store from before the order number's key holds it.
        db.exec(QStringLiteral("drop index uq_orderlist_number"));
        addOrder(db, QStringLiteral("TWICE"), QStringLiteral("先"), QStringLiteral("3"));
        addOrder(db, QStringLiteral("twice"), QStringLiteral("后"), QStringLiteral("4"));
        addLine(db, QStringLiteral("A1"), QStringLiteral("第二行"));
        const QHash<QString, batch::Order> many = batch::OrderFill::loadMany(db, numbers);
        for (const QString& number : numbers) {
            const std::optional<batch::Order> one = batch::OrderFill::load(db, number);
            QCOMPARE(many.contains(number), one.has_value());
            if (one)
                QCOMPARE(describe(many.value(number)), describe(*one));
        }
    }

    void listStatement_data() {
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<QString>("group");
        QTest::addColumn<bool>("equal");
        QTest::addColumn<QString>("sort");
        QTest::addColumn<bool>("desc");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QStringList>("values");
        QTest::newRow("contains, default group")
            << " k "
            << "客户电话|客户手机" << false << "" << false
            << "select * from OrderList where 1=1  and ((客户电话 like :k0 "
               "escape '\\') or (客户手机 like :k1 escape '\\')) order by ID ASC"
            << QStringList{"%k%", "%k%"};
        QTest::newRow("equal")
            << "k"
            << "客户全称" << true << "客户全称" << true
            << "select * from OrderList where 1=1  and ((客户全称=:k0)) order by 客户全称 DESC"
            << QStringList{"k"};
        QTest::newRow("percent is a literal")
            << "%"
            << "备注" << false << "id" << false
            << "select * from OrderList where 1=1  and ((备注 like :k0 escape "
               "'\\')) order by ID ASC"
            << QStringList{"%\\%%"};
        QTest::newRow("typed field names are dropped")
            << "k"
            << "客户电话|1=1) or (1|备注" << false << "ID; drop table OrderList" << false
            << "select * from OrderList where 1=1  and ((客户电话 like :k0 escape '\\') or (备注 like :k1 "
               "escape "
               "'\\')) order by ID ASC"
            << QStringList{"%k%", "%k%"};
        QTest::newRow("no real field matches nothing")
            << "k"
            << "x|y" << false << "" << false << "select * from OrderList where 1=1  and (1=0) order by ID ASC"
            << QStringList{};
        QTest::newRow("no keyword") << "  "
                                    << "x" << false << "订单号" << true
                                    << "select * from OrderList where 1=1  order by 订单号 DESC"
                                    << QStringList{};
    }

    void listStatement() {
        QFETCH(QString, keyword);
        QFETCH(QString, group);
        QFETCH(bool, equal);
        QFETCH(QString, sort);
        QFETCH(bool, desc);
        QFETCH(QString, sql);
        QFETCH(QStringList, values);
        OrderStore store(home->db());
        const batch::Statement s =
            OrderStore::listStatement({keyword, group, equal, sort, desc}, store.columns());
        QCOMPARE(s.sql, sql);
        QStringList bound;
        for (const QVariant& v : s.params)
            bound << v.toString();
        QCOMPARE(bound, values);
        home->db().query(s.sql, s.params); // runs as it stands
    }

    void keywordsFindOnlyThemselves_data() {
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<QString>("group");
        QTest::addColumn<QStringList>("found");
        QTest::newRow("percent") << "%"
                                 << "客户全称" << QStringList{"A2"};
        QTest::newRow("quote") << "'s"
                               << "客户全称" << QStringList{"A1"};
        QTest::newRow("phone group") << "0755"
                                     << "客户电话|客户手机" << QStringList{"A1", "A3"};
        QTest::newRow("underscore") << "_"
                                    << "客户全称" << QStringList{};
    }

    void keywordsFindOnlyThemselves() {
        QFETCH(QString, keyword);
        QFETCH(QString, group);
        QFETCH(QStringList, found);
        OrderStore store(home->db());
        const batch::Statement s =
            OrderStore::listStatement({keyword, group, false, {}, false}, store.columns());
        core::Recordset rs = home->db().query(s.sql, s.params);
        QStringList numbers;
        for (rs.first(); !rs.eof(); rs.next())
            numbers << rs.text(QStringLiteral("订单号"));
        QCOMPARE(numbers, found);
    }

    void fillPanelReachesEveryRow_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QStringList>("parts");
        QTest::addColumn<QStringList>("values");
        QTest::newRow("remark 加急") << "@备注" << QStringList{"加急", "", ""}
                                     << QStringList{"加急", "加急", "加急"};
        QTest::newRow("NULL counts as empty") << "@自定义1" << QStringList{"@客户市", "-", "@客户镇区"}
                                              << QStringList{"深圳-南山", "深圳-", "深圳-"};
        QTest::newRow("quotes stay text")
            << "@备注" << QStringList{"O'Brien", "' || 客户市 || '", ""}
            << QStringList{"O'Brien' || 客户市 || '", "O'Brien' || 客户市 || '", "O'Brien' || 客户市 || '"};
    }

    void fillPanelReachesEveryRow() {
        QFETCH(QString, target);
        QFETCH(QStringList, parts);
        QFETCH(QStringList, values);
        OrderStore store(home->db());
        const batch::FillUpdate u = OrderStore::fillUpdate(target, parts, store.columns());
        QVERIFY2(u.error.isEmpty(), qPrintable(u.error));
        QCOMPARE(store.applyFill(u), 3);
        QCOMPARE(column(home->db(),
                        QStringLiteral("select coalesce(%1,'') from OrderList order by ID").arg(u.target)),
                 values);
    }

    void fillPanelRefusesNamesThatAreNoColumns_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QStringList>("parts");
        QTest::newRow("unknown target") << "@备注=1;--" << QStringList{"x"};
        QTest::newRow("the key") << "@ID" << QStringList{"7"};
        QTest::newRow("unknown field part") << "@备注" << QStringList{"@客户市||(select 1)"};
    }

    void fillPanelRefusesNamesThatAreNoColumns() {
        QFETCH(QString, target);
        QFETCH(QStringList, parts);
        OrderStore store(home->db());
        const batch::FillUpdate u = OrderStore::fillUpdate(target, parts, store.columns());
        QVERIFY(!u.error.isEmpty());
        QVERIFY(u.sql.isEmpty());
    }
};

OVERPRINT_TEST(TestOrderStore)
#include "TestOrderStore.moc"
