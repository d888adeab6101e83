#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include "imports/ColumnList.h"
#include "imports/ColumnMatching.h"
#include "imports/ImportItems.h"
#include "imports/RecipientImport.h"
#include "imports/Spreadsheet.h"

#include <QTest>

using imports::ColumnMatching;
using imports::RecipientImport;

namespace {

QStringList columnList(const QStringList& titles) {
    QStringList list{QString()};
    for (int i = 0; i < titles.size(); ++i)
        if (!titles.at(i).isEmpty())
            list << imports::ColumnList::entry(i + 1, titles.at(i));
    return list;
}

// "chooser=column" for every item that got a column, in item order.
QStringList assigned(const QVector<imports::ImportItem>& items, const QVector<int>& columns) {
    QStringList out;
    for (int i = 0; i < items.size(); ++i)
        if (columns.at(i) > 0)
            out << (items.at(i).chooser.isEmpty() ? items.at(i).rule : items.at(i).chooser) +
                       QLatin1Char('=') + QString::number(columns.at(i));
    return out;
}

int ruleCount(core::Database& db, const QString& type) {
    return db
        .scalar(QStringLiteral("select count(*) from MatchColumn where MatchType=:t"),
                {{QStringLiteral("t"), type}})
        .toInt();
}

} // namespace

class TestColumnMatching : public QObject {
    Q_OBJECT

private slots:
    void rule_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("patterns");
        QTest::addColumn<bool>("matches");
        QTest::newRow("whole title") << "收件电话"
                                     << "收件电话,固定电话" << true;
        QTest::newRow("whole title only") << "收件电话号"
                                          << "收件电话,固定电话" << false;
        QTest::newRow("star inside") << "电话号码"
                                     << "*电话*" << true;
        QTest::newRow("star at end is still inside") << "家庭电话"
                                                     << "电话*" << true;
        QTest::newRow("star at start is still inside") << "电话号码"
                                                       << "*电话" << true;
        QTest::newRow("latin case ignored without star") << "NAME"
                                                         << "name" << true;
        QTest::newRow("latin case kept with star") << "FULLNAME"
                                                   << "*Name*" << false;
        QTest::newRow("only a star never matches") << "任何"
                                                   << "*" << false;
        QTest::newRow("empty pieces skipped") << "省"
                                              << ",,省," << true;
        QTest::newRow("tab keeps 订单编号 out") << "订单编号"
                                                << "\t订单编号,订单ID,订单号" << false;
        QTest::newRow("later piece") << "订单号"
                                     << "\t订单编号,订单ID,订单号" << true;
        QTest::newRow("empty list") << "省"
                                    << "" << false;
        QTest::newRow("no folding beyond latin") << "ＮＡＭＥ"
                                                 << "name" << false;
    }
    void rule() {
        QFETCH(QString, title);
        QFETCH(QString, patterns);
        QFETCH(bool, matches);
        QCOMPARE(ColumnMatching::matchColumnOk(title, patterns), matches);
    }

    // The default rules give each title to the first item in table order; an item takes the
    // leftmost column and a column goes to one item.
    void recipientDefaults_data() {
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<bool>("batchList");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("shop export") << QStringList{"姓名", "公司名称", "手机号码", "收货地址"} << false
                                     << QStringList{"cbName=2", "cbContactor=1", "cbHandset=3",
                                                    "cbAddress=4"};
        QTest::newRow("phone before mobile")
            << QStringList{"移动电话", "电话号码", "收件电话"} << false << QStringList{"cbPhone=1"};
        QTest::newRow("leftmost wins")
            << QStringList{"收件电话", "电话号码"} << false << QStringList{"cbPhone=1"};
        QTest::newRow("会员ID is the unit name")
            << QStringList{"会员ID", "旺旺"} << false << QStringList{"cbName=1", "会员Id=2"};
        QTest::newRow("订单编号 is no order number")
            << QStringList{"订单编号", "订单号"} << false << QStringList{"订单号=2"};
        QTest::newRow("item without a rule takes its own name")
            << QStringList{"邮编", "单位类型"} << false << QStringList{"cbZipCode=1", "cbACCType=2"};
        QTest::newRow("group per scenario, address book")
            << QStringList{"分组", "物品内容"} << false << QStringList{"cbGroup=1"};
        QTest::newRow("group per scenario, batch list")
            << QStringList{"分组", "物品内容", "总费用"} << true
            << QStringList{"cbListName=1", "cbWPNR=2", "cbMoney=3"};
        QTest::newRow("empty title skipped")
            << QStringList{"姓名", "", "电话"} << false << QStringList{"cbContactor=1", "cbPhone=3"};
    }
    void recipientDefaults() {
        QFETCH(QStringList, titles);
        QFETCH(bool, batchList);
        QFETCH(QStringList, expected);
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        const auto scenario =
            batchList ? RecipientImport::Scenario::BatchList : RecipientImport::Scenario::AddressBook;
        QCOMPARE(assigned(RecipientImport::items(),
                          RecipientImport::autoMatch(home.db(), columnList(titles), scenario)),
                 expected);
    }

    // Every format of the shop's recipient sheet matches the same way.
    void recipientSheet_data() {
        QTest::addColumn<QString>("file");
        for (const char* file : {"recipients.xlsx", "recipients.xls", "recipients.ods", "recipients-utf8.csv",
                                 "recipients-gbk.csv", "recipients-office.xlsx"})
            QTest::newRow(file) << QString::fromLatin1(file);
    }
    void recipientSheet() {
        QFETCH(QString, file);
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        imports::Spreadsheet book;
        book.open(TestHome::testData(QStringLiteral("sheets/") + file));
        const QVector<int> columns = RecipientImport::autoMatch(home.db(), imports::ColumnList::build(book),
                                                                RecipientImport::Scenario::AddressBook);
        QCOMPARE(assigned(RecipientImport::items(), columns),
                 (QStringList{"cbName=2", "cbContactor=1", "cbPhone=4", "cbHandset=3", "cbProvince=5",
                              "cbCity=6", "cbTown=7", "cbAddress=8", "cbZipCode=9", "cbRemark=11"}));
    }

    // Order items have no default rules: exact item names only, until a rule is added.
    void orderItems() {
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        const QStringList list = columnList({"订单编号", "客户电话", "订单号", "客户全称"});
        const auto& items = imports::ImportItems::orders();
        const auto match = [&] {
            return ColumnMatching::autoMatch(
                list, ColumnMatching::loadAllConstColumnPairs(home.db(), imports::ImportItems::rules(items),
                                                              imports::matchtype::orders));
        };
        QCOMPARE(assigned(items, match()), (QStringList{"cbOrderID=3", "cbName=4", "cbPhone=2"}));
        home.db().exec(QStringLiteral("insert into MatchColumn (MatchType,ItemName,SourceName) values "
                                      "('订单信息导入','订单号','订单编号,订单号')"));
        QCOMPARE(assigned(items, match()), (QStringList{"cbOrderID=1", "cbName=4", "cbPhone=2"}));
        // A rule edited to nothing falls back to the item's own name.
        for (const char* nothing : {"", ",,"}) {
            home.db().exec(QStringLiteral("update MatchColumn set SourceName=:s where ItemName='订单号'"),
                           {{QStringLiteral("s"), QString::fromUtf8(nothing)}});
            QCOMPARE(assigned(items, match()), (QStringList{"cbOrderID=3", "cbName=4", "cbPhone=2"}));
        }
    }

    // Only an absent or empty table gets the defaults; rules that exist are never wiped.
    void defaultsOnlyWhenMissing_data() {
        QTest::addColumn<QString>("setUp");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("recipientRules");
        QTest::addColumn<int>("orderRules");
        const int defaults = ColumnMatching::defaultRules().size();
        QTest::newRow("absent") << "drop table MatchColumn" << true << defaults << 0;
        QTest::newRow("empty") << "delete from MatchColumn" << true << defaults << 0;
        QTest::newRow("own rules of another kind")
            << "delete from MatchColumn where MatchType='收件信息导入'" << true << 0 << 1;
        QTest::newRow("kept as it is") << "" << true << defaults << 1;
    }
    void defaultsOnlyWhenMissing() {
        QFETCH(QString, setUp);
        QFETCH(bool, ok);
        QFETCH(int, recipientRules);
        QFETCH(int, orderRules);
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        home.db().exec(QStringLiteral("insert into MatchColumn (MatchType,ItemName,SourceName) values "
                                      "('订单信息导入','订单号','单号')"));
        if (!setUp.isEmpty())
            home.db().exec(setUp);
        QCOMPARE(ColumnMatching::createMatchColumnTableIfNotExists(home.app(), home.db()), ok);
        QCOMPARE(ruleCount(home.db(), imports::matchtype::recipients), recipientRules);
        QCOMPARE(ruleCount(home.db(), imports::matchtype::orders), orderRules);
        QVERIFY(!home.db().inTransaction());
        QCOMPARE(home.db()
                     .scalar(QStringLiteral("select SourceName from MatchColumn where ItemName='订单号' and "
                                            "MatchType='收件信息导入'"))
                     .toString()
                     .left(1),
                 recipientRules ? QStringLiteral("\t") : QString());
    }

    // A table that cannot be probed (here: one of another shape) is reported, never emptied.
    void unreadableTableKept() {
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        home.db().exec(QStringLiteral("drop table MatchColumn"));
        home.db().exec(QStringLiteral("create table MatchColumn (Id integer, Other text)"));
        home.db().exec(QStringLiteral("insert into MatchColumn values (1, 'mine')"));
        QVERIFY(!ColumnMatching::createMatchColumnTableIfNotExists(home.app(), home.db()));
        QCOMPARE(home.dialogs().lastText(), QStringLiteral("创建表格失败MatchColumn"));
        QCOMPARE(home.db().scalar(QStringLiteral("select Other from MatchColumn")).toString(),
                 QStringLiteral("mine"));
        QVERIFY(!home.db().inTransaction());
    }
};

OVERPRINT_TEST(TestColumnMatching)
#include "TestColumnMatching.moc"
