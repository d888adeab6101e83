#include "TestHome.h"
#include "TestRegistry.h"
#include "recognition/AddressRecogniser.h"
#include "recognition/PatternSearch.h"

#include <QTest>

using recognition::AddressRecogniser;
using recognition::PatternSearch;
using recognition::RecognitionData;

class TestAddressRecogniser : public QObject {
    Q_OBJECT

    RecognitionData m_data;

    AddressRecogniser run(const QString& text, bool withRegion = false) {
        AddressRecogniser r(m_data);
        r.containProvinceCity = withRegion;
        r.recognise(r.normalise(text));
        return r;
    }

private slots:
    void initTestCase() {
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        m_data = RecognitionData::load(home.db());
        QVERIFY(m_data.citiesOfProvince.value(QStringLiteral("山东")).contains(QStringLiteral("济南市")));
    }

    // The engine the patterns were written for: \W is any non-ASCII-word character, "[" in a
    // class and a lone "]" are literal, "\\" in a class is a backslash (not a range from NUL).
    void patternSemantics_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("last");
        QTest::newRow("\\W is Chinese")
            << QStringLiteral("王小明 ") << QStringLiteral(R"([王][\W]{1,3}[ ])") << QStringLiteral("王小明");
        QTest::newRow("[ in a class") << QStringLiteral("x[310012)") << QStringLiteral(R"([:|[\(][0-9]{6})")
                                      << QStringLiteral("[310012");
        QTest::newRow("lone ] literal")
            << QStringLiteral("香港特别行政区中西区")
            << QStringLiteral("([香][港]){1}[[特][别][行][政][区]]{1}[^0-9a-zA-Z区]{2,6}([区]){1}")
            << QString();
        QTest::newRow("escaped backslash")
            << QStringLiteral("\\\t北京") << QStringLiteral(R"([^,.\\0-9a-zA-Z]{2,20})")
            << QStringLiteral("北京");
        QTest::newRow("case-sensitive")
            << QStringLiteral("ABC abc") << QStringLiteral("[a-c]{3}") << QStringLiteral("abc");
        QTest::newRow("not multiline") << QStringLiteral("a\nb") << QStringLiteral("^b") << QString();
    }
    void patternSemantics() {
        QFETCH(QString, text);
        QFETCH(QString, pattern);
        QFETCH(QString, last);
        QCOMPARE(PatternSearch::findOne(text, pattern), last);
    }

    void findAllKeepsWhatFollowsTheColon() {
        QCOMPARE(PatternSearch::findAll(QStringLiteral(" 电话:0571-8888 ,电话: ,手机:139"),
                                        QStringLiteral("[电手][话机]:[^,]*")),
                 QStringList({QStringLiteral("0571-8888"), QStringLiteral("139")}));
        QCOMPARE(PatternSearch::findAll(QStringLiteral("\n广东省深圳市"),
                                        QStringLiteral("[\n][^ ]{2,16}[市]"), QStringLiteral("[^省]{1,}")),
                 QStringList{QStringLiteral("深圳市")});
    }

    void oldTextRules() {
        QCOMPARE(PatternSearch::bytePos(QString(), QStringLiteral("abc")), 0);
        QCOMPARE(PatternSearch::bytePos(QStringLiteral("路"), QStringLiteral("a北京路")), 6);
        QVERIFY(!PatternSearch::contains(QStringLiteral("abc"), QString()));
        QCOMPARE(PatternSearch::replaceAll(QStringLiteral("abc"), QString(), QStringLiteral("x")),
                 QStringLiteral("abc"));
        QCOMPARE(PatternSearch::bytes(QStringLiteral("北京a")), 5);
    }

    void normalisation_data() {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("output");
        QTest::newRow("line ends and empty lines")
            << QStringLiteral("a\r\n\r\nb\rc\n  \nd\n") << QStringLiteral("\n\ra\r\nb\r\nc\r\nd\n\r");
        QTest::newRow("blanks only") << QStringLiteral(" \n  ") << QStringLiteral("  ");
        QTest::newRow("labels gain a colon after the blank rule")
            << QStringLiteral("姓名 张三 地址 杭州") << QStringLiteral("\n\r姓名: 张三 \r\n地址: 杭州\n\r");
        QTest::newRow("full-width marks")
            << QStringLiteral("电话：（0571）８８８，ｘ") << QStringLiteral("\n\r\r\n电话:(0571)888,ｘ\n\r");
        QTest::newRow("first 新疆 only") << QStringLiteral("新疆维吾尔自治区 新疆维吾尔自治区")
                                         << QStringLiteral("\n\r新疆维吾尔族自治区 新疆维吾尔自治区\n\r");
    }
    void normalisation() {
        QFETCH(QString, input);
        QFETCH(QString, output);
        QCOMPARE(AddressRecogniser(m_data).normalise(input), output);
    }

    void labelledGuangdongText() {
        const AddressRecogniser r = run(QStringLiteral(
            "姓名:张三\n电话:020-87654321\n手机:13912345678\n地址:广东省广州市天河区体育西路103号"));
        QCOMPARE(r.name.text, QStringLiteral("张三"));
        QCOMPARE(r.phone.text, QStringLiteral("020-87654321"));
        QCOMPARE(r.handset.text, QStringLiteral("13912345678"));
        QCOMPARE(r.province.text, QStringLiteral("广东省"));
        QCOMPARE(r.city.text, QStringLiteral("广州市"));
        QCOMPARE(r.town.text, QStringLiteral("天河区"));
        QCOMPARE(r.address.text, QStringLiteral("体育西路103号"));
    }

    // 含省市 puts the region in front once; a municipality's city names its province already.
    void addressRule_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("withRegion");
        QTest::addColumn<QString>("address");
        QTest::newRow("municipality, region in front")
            << QStringLiteral("北京市海淀区中关村大街27号 刘洋 13601234567") << true
            << QStringLiteral("北京市海淀区中关村大街27号");
        QTest::newRow("municipality, region out")
            << QStringLiteral("北京市海淀区中关村大街27号 刘洋 13601234567") << false
            << QStringLiteral("中关村大街27号");
        QTest::newRow("province, region in front")
            << QStringLiteral("地址:浙江省杭州市西湖区文三路90号\n姓名:张伟") << true
            << QStringLiteral("浙江省杭州市西湖区文三路90号");
        QTest::newRow("province, region out")
            << QStringLiteral("地址:浙江省杭州市西湖区文三路90号\n姓名:张伟") << false
            << QStringLiteral("文三路90号");
    }
    void addressRule() {
        QFETCH(QString, text);
        QFETCH(bool, withRegion);
        QFETCH(QString, address);
        const AddressRecogniser r = run(text, withRegion);
        QCOMPARE(r.address.text, address);
        if (text.startsWith(QStringLiteral("北京"))) {
            QCOMPARE(r.province.text, QStringLiteral("北京"));
            QCOMPARE(r.city.text, QStringLiteral("北京市"));
            QCOMPARE(r.town.text, QStringLiteral("海淀区"));
        }
    }

    void fullWidthShopLineReadsLikeHalfWidth() {
        const AddressRecogniser full =
            run(QStringLiteral("收货地址：李娜，13923456789，广东省 深圳市 南山区 科苑路15号（518057）"));
        const AddressRecogniser half =
            run(QStringLiteral("收货地址:李娜,13923456789,广东省 深圳市 南山区 科苑路15号(518057)"));
        for (auto box : {&AddressRecogniser::name, &AddressRecogniser::handset, &AddressRecogniser::province,
                         &AddressRecogniser::city, &AddressRecogniser::town, &AddressRecogniser::address,
                         &AddressRecogniser::zipcode})
            QCOMPARE((full.*box).text, (half.*box).text);
        QCOMPARE(full.address.text, QStringLiteral("科苑路15号"));
    }

    void industrialParkIsNoTown() {
        const AddressRecogniser r =
            run(QStringLiteral("省:江苏\n市:苏州\n地址:工业园区星湖街328号 蒋琳 13816612345"));
        QVERIFY(r.province.text.startsWith(QStringLiteral("江苏")));
        QVERIFY(!r.town.text.contains(QStringLiteral("工业园区")));
        QVERIFY(!r.town.items.contains(QStringLiteral("工业园区")));
    }

    // A region found in one piece without a city (Hong Kong) must not keep the last run's city.
    void onePieceRegionEmptiesTheLastRun() {
        AddressRecogniser r(m_data);
        r.recognise(r.normalise(QStringLiteral("地址:广东省深圳市南山区科苑路15号 李娜 13923456789")));
        QCOMPARE(r.city.text, QStringLiteral("深圳市"));
        r.recognise(r.normalise(QStringLiteral("收货人:陈家明\n地址:香港特别行政区中西区皇后大道中99号")));
        QCOMPARE(r.city.text, QString());
        QCOMPARE(r.town.text, QStringLiteral("中西区"));
    }

    void contactLabelsAndGreetings_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("contact");
        QTest::addColumn<QString>("street");
        QTest::newRow("label without colon")
            << QStringLiteral("收件人刘芳, 你好\n地址 上海市静安区南京西路1266号28楼")
            << QStringLiteral("刘芳") << QStringLiteral("南京西路1266号28楼");
        QTest::newRow("greeting first")
            << QStringLiteral("你好，帮我发到 北京市朝阳区建国路88号5号楼，刘洋收，13601234567")
            << QStringLiteral("刘洋") << QStringLiteral("建国路88号5号楼");
        QTest::newRow("name behind street")
            << QStringLiteral("亲，寄到这里：湖南省株洲市芦淞区建设中路52号 杜鹃 13973312345 谢谢")
            << QStringLiteral("杜鹃") << QStringLiteral("建设中路52号");
        QTest::newRow("name on its own line")
            << QStringLiteral("陶然\n15988123456\n浙江省 绍兴市 越城区 解放北路218号")
            << QStringLiteral("陶然") << QStringLiteral("解放北路218号");
        QTest::newRow("postcode behind street")
            << QStringLiteral("王芳 江苏省南京市鼓楼区 中山北路200号(210009) 13951234567")
            << QStringLiteral("王芳") << QStringLiteral("中山北路200号");
    }
    void contactLabelsAndGreetings() {
        QFETCH(QString, text);
        QFETCH(QString, contact);
        QFETCH(QString, street);
        const AddressRecogniser r = run(text);
        QCOMPARE(r.name.text, contact);
        QCOMPARE(r.address.text, street);
    }

    void cityDoubledAroundDistrict_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("city");
        QTest::addColumn<QString>("town");
        QTest::newRow("市中区") << QStringLiteral("地址:山东省济南市市中区经十路1号\n姓名:刘建国")
                                << QStringLiteral("济南市") << QStringLiteral("市中区");
        QTest::newRow("市南区") << QStringLiteral("地址:山东省青岛市市南区香港中路10号\n姓名:韩雪")
                                << QStringLiteral("青岛市") << QStringLiteral("市南区");
    }
    void cityDoubledAroundDistrict() {
        QFETCH(QString, text);
        QFETCH(QString, city);
        QFETCH(QString, town);
        const AddressRecogniser r = run(text);
        QCOMPARE(r.city.text, city);
        QCOMPARE(r.town.text, town);
    }

    // The region as today's map has it, 含省市 ticked: province, city, town, the address line and
    // (for a name several districts bear) the cities offered to the clerk.
    void currentMap_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("region");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QStringList>("offered");
        const QStringList none;
        auto row = [&](const char* tag, const char* text, const char* region, const char* address,
                       const QStringList& offered) {
            QTest::newRow(tag) << QString::fromUtf8(text) << QString::fromUtf8(region)
                               << QString::fromUtf8(address) << offered;
        };
        // Former names understood, the current one written.
        row("会理县", "四川省凉山州会理县鹿厂镇新街12号 张成 13812345678", "四川省/凉山彝族自治州/会理市",
            "四川省凉山彝族自治州会理市鹿厂镇新街12号", none);
        row("蓬莱市", "山东省烟台市蓬莱市钟楼北路3号 李梅 13912345678", "山东省/烟台市/蓬莱区",
            "山东省烟台市蓬莱区钟楼北路3号", none);
        row("新津县", "成都市新津县五津街道兴园路9号 赵亮 13612345678", "四川省/成都市/新津区",
            "四川省成都市新津区五津街道兴园路9号", none);
        // Districts made or renamed since 2019, alone in the text: city and province filled.
        row("临平区", "临平区南苑街道人民大道5号 王芳 13712345678", "浙江省/杭州市/临平区",
            "浙江省杭州市临平区南苑街道人民大道5号", none);
        row("龙港市", "龙港市世纪大道100号 陈杰 13512345678", "浙江省/温州市/龙港市",
            "浙江省温州市龙港市世纪大道100号", none);
        row("子长市", "陕西子长市瓦窑堡街道1号 高强 13312345678", "陕西省/延安市/子长市",
            "陕西省延安市子长市瓦窑堡街道1号", none);
        // A name several districts bear: another region word settles it, else the clerk chooses.
        row("白云区 with 广州", "广州 白云区机场路8号 黄伟 13812345678", "广东省/广州市/白云区",
            "广东省广州市白云区机场路8号", none);
        row("江北区 with 重庆", "江北区观音桥步行街2号，重庆，刘洋 13812345678", "重庆/重庆市/江北区",
            "重庆市江北区观音桥步行街2号", none);
        row("朝阳区 alone", "朝阳区建国路88号 孙丽 13812345678", "//朝阳区", "朝阳区建国路88号",
            {QStringLiteral("北京市"), QStringLiteral("长春市")});
        row("鼓楼区 in Jiangsu", "江苏 鼓楼区中山路1号 钱进 13812345678", "江苏省//鼓楼区",
            "江苏省鼓楼区中山路1号", {QStringLiteral("南京市"), QStringLiteral("徐州市")});
        row("南山区 alone", "南山区科技园1号 周敏 13812345678", "//南山区", "南山区科技园1号",
            {QStringLiteral("鹤岗市"), QStringLiteral("深圳市")});
        // Units without a prefecture above them: the unit is the city, the township the town.
        row("仙桃", "湖北省仙桃市沙嘴街道新华路5号 吴刚 13812345678", "湖北省/仙桃市/沙嘴街道",
            "湖北省仙桃市沙嘴街道新华路5号", none);
        row("神农架林区", "湖北神农架林区松柏镇2号 郑华 13812345678", "湖北省/神农架林区/松柏镇",
            "湖北省神农架林区松柏镇2号", none);
        row("石河子", "新疆石河子市北泉镇北泉路1号 马军 13812345678", "新疆/石河子市/北泉镇",
            "新疆石河子市北泉镇北泉路1号", none);
        row("东莞", "广东东莞长安镇振安路3号 冯娟 13812345678", "广东省/东莞市/长安镇",
            "广东省东莞市长安镇振安路3号", none);
        row("儋州", "海南省儋州市那大镇中兴大街8号 何平 13812345678", "海南省/儋州市/那大镇",
            "海南省儋州市那大镇中兴大街8号", none);
        // Short forms of prefectures, leagues and banners.
        row("恩施州", "湖北恩施州利川市都亭街道5号 田静 13812345678", "湖北省/恩施土家族苗族自治州/利川市",
            "湖北省恩施土家族苗族自治州利川市都亭街道5号", none);
        row("黔东南州", "贵州黔东南州凯里市北京东路6号 杨帆 13812345678",
            "贵州省/黔东南苗族侗族自治州/凯里市", "贵州省黔东南苗族侗族自治州凯里市北京东路6号", none);
        row("锡林郭勒盟", "内蒙古锡林郭勒盟锡林浩特市额尔敦路7号 包玉 13812345678",
            "内蒙古/锡林郭勒盟/锡林浩特市", "内蒙古锡林郭勒盟锡林浩特市额尔敦路7号", none);
        row("准格尔旗", "内蒙古鄂尔多斯准格尔旗薛家湾镇9号 白雪 13812345678", "内蒙古/鄂尔多斯市/准格尔旗",
            "内蒙古鄂尔多斯市准格尔旗薛家湾镇9号", none);
        // A region word the table does not know stays as typed.
        row("unknown 新区 after a short name", "广东省深圳市龙华新区民治街道1号 林峰 13812345678",
            "广东省/深圳市/龙华新区", "广东省深圳市龙华新区民治街道1号", none);
        row("unknown zone", "浙江省温州市经济技术开发区滨海大道1号 林峰 13812345678", "浙江省/温州市/",
            "浙江省温州市经济技术开发区滨海大道1号", none);
    }
    void currentMap() {
        QFETCH(QString, text);
        QFETCH(QString, region);
        QFETCH(QString, address);
        QFETCH(QStringList, offered);
        const AddressRecogniser r = run(text, true);
        QCOMPARE(QStringList({r.province.text, r.city.text, r.town.text}).join(QLatin1Char('/')), region);
        QCOMPARE(r.address.text, address);
        if (!offered.isEmpty()) {
            QStringList cities = r.city.items;
            cities.sort();
            offered.sort();
            QCOMPARE(cities, offered);
        }
    }

    void optionValues_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("on");
        for (const char* v : {"1", "yes", "checked", "YES"})
            QTest::newRow(v) << QString::fromLatin1(v) << true;
        for (const char* v : {"0", "no", "", "unchecked"})
            QTest::newRow(v) << QString::fromLatin1(v) << false;
    }
    void optionValues() {
        QFETCH(QString, value);
        QFETCH(bool, on);
        QCOMPARE(AddressRecogniser::optionOn(value), on);
    }

    void pasteLimits() {
        QCOMPARE(AddressRecogniser::pasteRefusal(QStringLiteral("北京市海淀区")),
                 QStringLiteral("剪切板中没有复制地址内容~"));
        QCOMPARE(AddressRecogniser::pasteRefusal(QString(2049, QLatin1Char('a'))),
                 QStringLiteral("剪切板数据过长，青木鸟处理不了！"));
        QCOMPARE(AddressRecogniser::pasteRefusal(QStringLiteral("北京市海淀区中关村大街")), QString());
        QCOMPARE(AddressRecogniser::contactFromClipboard(QStringLiteral(" 张三\r\n"), 40),
                 QStringLiteral("张三"));
        QCOMPARE(AddressRecogniser::contactFromClipboard(QString(41, QLatin1Char('x')), 40), QString());
    }

    // Whatever reaches the box ends, and a text without an address leaves the region empty.
    void badInput_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << QString();
        QTest::newRow("blanks") << QStringLiteral("   \r\n  ");
        QTest::newRow("digits") << QStringLiteral("12345678901234567890123");
        QTest::newRow("latin") << QStringLiteral("hello there, please ship it fast");
        QTest::newRow("long") << QStringLiteral("路").repeated(1500) + QStringLiteral("号:,").repeated(300);
        QTest::newRow("mixed marks") << QStringLiteral("，,：:；;（(）)【[】]\r\n\r\r\n");
    }
    void badInput() {
        QFETCH(QString, text);
        const AddressRecogniser r = run(text);
        QVERIFY(r.province.text.isEmpty());
        QVERIFY(r.city.text.isEmpty());
    }
};

OVERPRINT_TEST(TestAddressRecogniser)
#include "TestAddressRecogniser.moc"
