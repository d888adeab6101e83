#include "TestHome.h"
#include "TestRegistry.h"
#include "recognition/AddressRecogniser.h"

#include <QTest>

using recognition::AddressRecogniser;
using recognition::RecognitionData;

// The kinds of texts the recogniser used to misread, one group each: regions written in part,
// in a list or after chat words, counties of municipalities and former names, a company line
// holding a city, numbers written in groups, order numbers, and labels standing where a name is.
class TestRecognitionMisses : public QObject {
    Q_OBJECT

    RecognitionData m_data;

    AddressRecogniser run(const QString& text, bool withRegion = false) const {
        AddressRecogniser r(m_data);
        r.containProvinceCity = withRegion;
        r.recognise(r.normalise(text));
        return r;
    }

    static void regionColumns() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("region");
        QTest::addColumn<QString>("street");
    }
    void checkRegion() const {
        QFETCH(QString, text);
        QFETCH(QString, region);
        QFETCH(QString, street);
        const AddressRecogniser r = run(text);
        QCOMPARE(QStringList({r.province.text, r.city.text, r.town.text}).join(QLatin1Char('/')), region);
        QCOMPARE(r.address.text, street);
    }

private slots:
    void initTestCase() {
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        m_data = RecognitionData::load(home.db());
    }

    void cityOrCountyWithoutProvince_data() {
        regionColumns();
        QTest::newRow("city and county")
            << QStringLiteral("保定市竞秀区朝阳北大街12号 张磊 13803121234")
            << QStringLiteral("河北省/保定市/竞秀区") << QStringLiteral("朝阳北大街12号");
        QTest::newRow("county alone")
            << QStringLiteral("收货人：何琴\n手机：13507311234\n地址：岳麓区麓山南路932号")
            << QStringLiteral("湖南省/长沙市/岳麓区") << QStringLiteral("麓山南路932号");
        QTest::newRow("prefecture alone")
            << QStringLiteral("李娜 15809081234 阿克苏地区库车县团结路8号")
            << QStringLiteral("新疆/阿克苏地区/库车市") << QStringLiteral("团结路8号");
    }
    void cityOrCountyWithoutProvince() { checkRegion(); }

    void partsInAListOrAnyOrder_data() {
        regionColumns();
        QTest::newRow("list") << QStringLiteral(
                                     "四川省，甘孜藏族自治州，康定市，炉城镇东大街5号，王军，13981512345")
                              << QStringLiteral("四川省/甘孜藏族自治州/康定市")
                              << QStringLiteral("炉城镇东大街5号");
        QTest::newRow("slashes") << QStringLiteral(
                                        "云南省/西双版纳傣族自治州/景洪市 宣慰大道12号 刀明 13988112345")
                                 << QStringLiteral("云南省/西双版纳傣族自治州/景洪市")
                                 << QStringLiteral("宣慰大道12号");
        QTest::newRow("region on two lines")
            << QStringLiteral("赵敏\n13712345678\n广东省\n广州市 天河区\n天河北路233号")
            << QStringLiteral("广东省/广州市/天河区") << QStringLiteral("天河北路233号");
    }
    void partsInAListOrAnyOrder() { checkRegion(); }

    void chatWordsBeforeRegion_data() {
        regionColumns();
        QTest::newRow("地址是") << QStringLiteral("地址是浙江省宁波市海曙区中山西路138号，施云，13906741234")
                                << QStringLiteral("浙江省/宁波市/海曙区") << QStringLiteral("中山西路138号");
        QTest::newRow("寄到") << QStringLiteral("寄到辽宁省大连市甘井子区红旗西路9号 姜涛 13504112345")
                              << QStringLiteral("辽宁省/大连市/甘井子区") << QStringLiteral("红旗西路9号");
        QTest::newRow("发到 short forms")
            << QStringLiteral("帮我发到浙江杭州西湖区文三路90号，张伟收，13857112345")
            << QStringLiteral("浙江省/杭州市/西湖区") << QStringLiteral("文三路90号");
    }
    void chatWordsBeforeRegion() { checkRegion(); }

    void municipalityCountiesAndFormerNames_data() {
        regionColumns();
        QTest::newRow("重庆 county") << QStringLiteral("重庆市奉节县永安镇白帝路3号 何军 13983456789")
                                     << QStringLiteral("重庆/重庆市/奉节县")
                                     << QStringLiteral("永安镇白帝路3号");
        QTest::newRow("怀柔县") << QStringLiteral("北京市怀柔县青春路5号 孙磊 13601234567")
                                << QStringLiteral("北京/北京市/怀柔区") << QStringLiteral("青春路5号");
        QTest::newRow("郫县") << QStringLiteral("四川省成都市郫县犀浦镇校园路8号 彭亮 13688012345")
                              << QStringLiteral("四川省/成都市/郫都区") << QStringLiteral("犀浦镇校园路8号");
    }
    void municipalityCountiesAndFormerNames() { checkRegion(); }

    void regionWordsInNamesAndStreets_data() {
        regionColumns();
        QTest::newRow("南京路 in Shanghai")
            << QStringLiteral("上海市黄浦区南京路100号 陈晨 13761234567")
            << QStringLiteral("上海/上海市/黄浦区") << QStringLiteral("南京路100号");
        QTest::newRow("宁海 the person")
            << QStringLiteral("宁海\n13858212345\n江苏省南京市鼓楼区宁海路5号")
            << QStringLiteral("江苏省/南京市/鼓楼区") << QStringLiteral("宁海路5号");
    }
    void regionWordsInNamesAndStreets() { checkRegion(); }

    void companyLineHoldingACity() {
        const AddressRecogniser r = run(
            QStringLiteral("佛山市美华电器有限公司\n广东省佛山市顺德区大良街道新桂路33号\n梁伟 18922334455"));
        QCOMPARE(r.company.text, QStringLiteral("佛山市美华电器有限公司"));
        QCOMPARE(r.name.text, QStringLiteral("梁伟"));
        QCOMPARE(r.city.text, QStringLiteral("佛山市"));
        QCOMPARE(r.town.text, QStringLiteral("顺德区"));
        QCOMPARE(r.address.text, QStringLiteral("大良街道新桂路33号"));
    }

    void numbersWrittenInGroups_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("mobile");
        QTest::addColumn<QString>("phone");
        const QString address = QStringLiteral(" 王强 江苏省南京市玄武区中山路18号");
        QTest::newRow("dashes") << QStringLiteral("137-1234-5678") + address << QStringLiteral("13712345678")
                                << QString();
        QTest::newRow("blanks") << QStringLiteral("186 1234 5678") + address << QStringLiteral("18612345678")
                                << QString();
        QTest::newRow("+86") << QStringLiteral("+86 138 1234 5678") + address << QStringLiteral("13812345678")
                             << QString();
        QTest::newRow("86 without plus")
            << QStringLiteral("8613812345678") + address << QStringLiteral("13812345678") << QString();
        QTest::newRow("0086 and dashes")
            << QStringLiteral("0086-138-1234-5678") + address << QStringLiteral("13812345678") << QString();
        QTest::newRow("area code in brackets") << QStringLiteral("电话：(0871) 65123456") + address
                                               << QString() << QStringLiteral("(0871)65123456");
        QTest::newRow("landline blank") << QStringLiteral("电话：0871 65123456") + address << QString()
                                        << QStringLiteral("0871-65123456");
        QTest::newRow("extension 转") << QStringLiteral("电话：0571-88231234转208") + address << QString()
                                      << QStringLiteral("0571-88231234转208");
        QTest::newRow("extension kept") << QStringLiteral("电话：0755-83451234-8016") + address << QString()
                                        << QStringLiteral("0755-83451234-8016");
    }
    void numbersWrittenInGroups() {
        QFETCH(QString, text);
        QFETCH(QString, mobile);
        QFETCH(QString, phone);
        const AddressRecogniser r = run(text);
        QCOMPARE(r.handset.text, mobile);
        QCOMPARE(r.phone.text, phone);
        QCOMPARE(r.address.text, QStringLiteral("中山路18号"));
    }

    void orderNumbersAreNoPhones_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("labelled") << QStringLiteral(
            "订单号：2024061812345678901\n王强，13812345678，江苏省南京市玄武区中山路18号");
        QTest::newRow("bare run") << QStringLiteral(
            "2024061812345678901 王强，13812345678，江苏省南京市玄武区中山路18号");
        QTest::newRow("13 digits from 1")
            << QStringLiteral("单号1381234567890 王强，13812345678，江苏省南京市玄武区中山路18号");
    }
    void orderNumbersAreNoPhones() {
        QFETCH(QString, text);
        const AddressRecogniser r = run(text);
        QCOMPARE(r.handset.text, QStringLiteral("13812345678"));
        QCOMPARE(r.phone.text, QString());
        QCOMPARE(r.name.text, QStringLiteral("王强"));
        QCOMPARE(r.address.text, QStringLiteral("中山路18号"));
    }

    void labelsAreNoContacts_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("contact");
        QTest::addColumn<QString>("street");
        QTest::newRow("电话 label") << QStringLiteral(
                                           "陶然\n电话 15988123456\n浙江省绍兴市越城区解放北路218号")
                                    << QStringLiteral("陶然") << QStringLiteral("解放北路218号");
        QTest::newRow("department")
            << QStringLiteral("联系人：财务部 李娜\n手机：13923456789\n地址：广东省深圳市南山区科苑路15号")
            << QStringLiteral("李娜") << QStringLiteral("科苑路15号");
        QTest::newRow("老板")
            << QStringLiteral("老板，帮我寄到湖南省株洲市芦淞区建设中路52号，收件人杜鹃，手机13973312345")
            << QStringLiteral("杜鹃") << QStringLiteral("建设中路52号");
        QTest::newRow("收 inside the street")
            << QStringLiteral("山东省潍坊市奎文区胜利东街99号 李强收 手机13853612345")
            << QStringLiteral("李强") << QStringLiteral("胜利东街99号");
    }
    void labelsAreNoContacts() {
        QFETCH(QString, text);
        QFETCH(QString, contact);
        QFETCH(QString, street);
        const AddressRecogniser r = run(text);
        QCOMPARE(r.name.text, contact);
        QCOMPARE(r.address.text, street);
    }

    // Ticked, the address carries the region as the table writes it, whatever the text wrote.
    void tickedAddressCarriesTheTableRegion_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("address");
        QTest::newRow("short forms") << QStringLiteral("张伟 13857112345 浙江杭州西湖区文三路90号")
                                     << QStringLiteral("浙江省杭州市西湖区文三路90号");
        QTest::newRow("no province") << QStringLiteral("保定市竞秀区朝阳北大街12号 张磊 13803121234")
                                     << QStringLiteral("河北省保定市竞秀区朝阳北大街12号");
        QTest::newRow("municipality") << QStringLiteral("重庆奉节县永安镇白帝路3号 何军 13983456789")
                                      << QStringLiteral("重庆市奉节县永安镇白帝路3号");
        QTest::newRow("company city")
            << QStringLiteral("佛山市美华电器有限公司\n广东省佛山市顺德区新桂路33号\n梁伟 18922334455")
            << QStringLiteral("广东省佛山市顺德区新桂路33号");
    }
    void tickedAddressCarriesTheTableRegion() {
        QFETCH(QString, text);
        QFETCH(QString, address);
        QCOMPARE(run(text, true).address.text, address);
    }

    void textsNamingNothingLeaveTheBoxesEmpty_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("chat") << QStringLiteral("今天天气不错，我们明天见面吧，好不好呀");
        QTest::newRow("markup") << QStringLiteral("<script>alert('x')</script><img src=x onerror=alert(1)>");
        QTest::newRow("numbers only")
            << QStringLiteral("订单号：2024061812345678901 快递单号：SF1234567890123");
    }
    void textsNamingNothingLeaveTheBoxesEmpty() {
        QFETCH(QString, text);
        const AddressRecogniser r = run(text);
        for (const auto* box : {&r.company, &r.name, &r.phone, &r.province, &r.city, &r.town, &r.address,
                                &r.zipcode, &r.handset})
            QVERIFY2(box->text.isEmpty(), qPrintable(box->text));
    }
};

OVERPRINT_TEST(TestRecognitionMisses)
#include "TestRecognitionMisses.moc"
