#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include "core/Lookups.h"
#include "core/ProvinceOrder.h"

#include <QTest>

using core::Lookups;

class TestLookups : public QObject {
    Q_OBJECT
private slots:
    void citiesByProvince_data() {
        QTest::addColumn<QString>("province");
        QTest::addColumn<QStringList>("cities");
        QTest::newRow("blank runs no query") << "  " << QStringList();
        QTest::newRow("empty") << "" << QStringList();
        QTest::newRow("quoted name") << "王's省"
                                     << QStringList({QStringLiteral("甲市"), QStringLiteral("乙市")});
    }
    void citiesByProvince() {
        QFETCH(QString, province);
        QFETCH(QStringList, cities);
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        // Rows whose province is blank exist, so an empty answer for a blank province shows that
        // no statement was run for it.
        for (const auto& [p, c] :
             {std::pair{"  ", "空省市"}, {"", "无省市"}, {"王's省", "乙市"}, {"王's省", "甲市"}})
            home.db().exec(
                QStringLiteral("insert into DMTable2 (类型,一级代码,二级代码) values('省市',:p,:c)"),
                {{QStringLiteral("p"), QString::fromUtf8(p)}, {QStringLiteral("c"), QString::fromUtf8(c)}});
        Lookups lookups(home.app());
        QStringList got = lookups.loadCitysByProvince(province);
        // Ordering of Chinese text follows the engine; compare as sets.
        got.sort();
        cities.sort();
        QCOMPARE(got, cities);
        QVERIFY(lookups.loadProvinces().contains(QStringLiteral("王's省")));
    }

    void dictionaryBySpecificFirst() {
        TestHome home;
        const auto add = [&](int id, const char* value) {
            home.db().exec(
                QStringLiteral("insert into DMTable (CheckTypeId,DMName,DMValue) values(:id,:n,:v)"),
                {{QStringLiteral("id"), id},
                 {QStringLiteral("n"), QStringLiteral("O'Brien单位")},
                 {QStringLiteral("v"), QString::fromUtf8(value)}});
        };
        add(0, "个");
        add(5, "箱");
        add(0, "箱");
        add(9, "吨");
        Lookups lookups(home.app());
        const QStringList values = lookups.loadDMListByName(QStringLiteral("O'Brien单位"), {5, 0});
        QCOMPARE(values.size(), 3);
        QCOMPARE(values.first(), QStringLiteral("箱"));
        QCOMPARE(values.count(QStringLiteral("箱")), 2);
        QVERIFY(!values.contains(QStringLiteral("吨")));
        QCOMPARE(lookups.loadDMListByName(QStringLiteral("O'Brien单位"), {}), QStringList());
    }

    void currencies() {
        TestHome home;
        home.db().exec(QStringLiteral("insert into coins (币种,缩写,顺序) values('美''元','U''$',0)"));
        Lookups lookups(home.app());
        QCOMPARE(lookups.getMoneyCodeByName(QStringLiteral("美'元")), QStringLiteral("U'$"));
        QCOMPARE(lookups.getMoneyNameByCode(QStringLiteral("U'$")), QStringLiteral("美'元"));
        QCOMPARE(lookups.getMoneyCodeByName(QStringLiteral("无此币种")), QString());
        QVERIFY(lookups.loadMoneyTypeList().contains(QStringLiteral("美'元")));
    }

    // Provinces come in the order of their division codes, whatever their ending; names of no
    // province follow in the order given. The shipped region codes list that way too.
    void provincesInCodeOrder_data() {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("ordered");
        QTest::newRow("code points") << QStringList{"上海", "云南", "内蒙古", "北京", "天津", "河北"}
                                     << QStringList{"北京", "天津", "河北", "内蒙古", "上海", "云南"};
        QTest::newRow("full names") << QStringList{"澳门特别行政区", "广西壮族自治区", "黑龙江省", "北京市"}
                                    << QStringList{"北京市", "黑龙江省", "广西壮族自治区", "澳门特别行政区"};
        QTest::newRow("others last, as given")
            << QStringList{"海外", "浙江", "其他", "山西"} << QStringList{"山西", "浙江", "海外", "其他"};
    }
    void provincesInCodeOrder() {
        QFETCH(QStringList, names);
        QFETCH(QStringList, ordered);
        QCOMPARE(core::provincesInCodeOrder(names), ordered);
    }
    void shippedProvincesInCodeOrder() {
        TestHome home;
        const QStringList provinces = Lookups(home.app()).loadProvinces();
        QVERIFY(provinces.size() >= 34);
        QCOMPARE(provinces.mid(0, 4), (QStringList{"北京", "天津", "河北", "山西"}));
        QCOMPARE(provinces.last(), QStringLiteral("澳门"));
    }

    void addressBookLists() {
        TestHome home;
        home.db().exec(QStringLiteral("delete from CKPersonalInfoTable"));
        const auto add = [&](const char* name, const char* type, const char* group, const char* province) {
            home.db().exec(
                QStringLiteral("insert into CKPersonalInfoTable (全称,单位类型,分组,省) values(:a,:b,:c,:d)"),
                {{QStringLiteral("a"), QString::fromUtf8(name)},
                 {QStringLiteral("b"), QString::fromUtf8(type)},
                 {QStringLiteral("c"), group ? QVariant(QString::fromUtf8(group)) : QVariant()},
                 {QStringLiteral("d"), province ? QVariant(QString::fromUtf8(province)) : QVariant()}});
        };
        add("O'Brien公司", "往来's单位", "老客户", "广东");
        add("本公司", "我方单位", "默认出票人", " ");
        add("空组", "往来单位", "  ", nullptr);
        add("无组", "往来单位", nullptr, "北京");
        Lookups lookups(home.app());
        QCOMPARE(lookups.loadCompanyList(QStringLiteral("往来's单位")),
                 QStringList({QStringLiteral("O'Brien公司")}));
        QCOMPARE(lookups.loadCompanyList(QString()).size(), 4);
        QCOMPARE(lookups.loadPersonTableGroupList(), QStringList({QStringLiteral("老客户")}));
        QStringList provinces = lookups.loadPersonTableProvinceList();
        provinces.sort();
        QStringList expected{QStringLiteral("北京"), QStringLiteral("广东")};
        expected.sort();
        QCOMPARE(provinces, expected);
    }

    void historyLists() {
        TestHome home;
        home.db().exec(QStringLiteral("create table HistT (票据编号 TEXT, 票据状态 TEXT, 模板种类 TEXT)"));
        home.db().exec(QStringLiteral("insert into HistT values('A1','O''Brien欠款','出货单')"));
        home.db().exec(QStringLiteral("insert into HistT values('A2','交易成功','出货单')"));
        Lookups lookups(home.app());
        QCOMPARE(lookups.loadCheckNOList(QStringLiteral("HistT"), QStringLiteral("O'Brien欠款"),
                                         QStringLiteral("票据编号")),
                 QStringList({QStringLiteral("A1")}));
        QCOMPARE(
            lookups.loadCheckNOList(QStringLiteral("HistT"), QString(), QStringLiteral("票据编号")).size(),
            2);
        QCOMPARE(lookups.loadHistoryTypeNameList(QStringLiteral("HistT")),
                 QStringList({QStringLiteral("出货单")}));
        // A failing statement gives an empty list, no error.
        QCOMPARE(lookups.loadHistoryFieldList(QStringLiteral("NoSuch"), QStringLiteral("x")), QStringList());
    }
};

OVERPRINT_TEST(TestLookups)
#include "TestLookups.moc"
