#include "TestRegistry.h"
#include "recognition/RegionTable.h"

#include <QTest>

using recognition::RegionTable;

// The national division table as shipped, and the search for the region a text names.
class TestRegionTable : public QObject {
    Q_OBJECT

    static QString path(const RegionTable& table, const RegionTable::Found& f) {
        QStringList names;
        for (int r : {f.province, f.city, f.county})
            names << (r >= 0 ? table.regions().at(r).name : QString());
        return names.join(QLatin1Char('/'));
    }

private slots:
    void shippedTableIsWholeAndConsistent() {
        const RegionTable& table = RegionTable::shipped();
        int levels[4] = {};
        for (const RegionTable::Region& r : table.regions()) {
            ++levels[r.level];
            if (r.level > RegionTable::Province) {
                QVERIFY2(r.parent >= 0, qPrintable(r.code));
                QVERIFY(table.regions().at(r.parent).level < r.level);
            }
        }
        QCOMPARE(levels[1], 34);
        QVERIFY(levels[2] > 330);
        QVERIFY(levels[3] > 2800);
    }

    void badRowsAreSkipped_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("kept");
        QTest::addColumn<int>("skipped");
        const QString good = QStringLiteral("330000\t\t1\t浙江省\t浙江\n330100\t330000\t2\t杭州市\t杭州\n");
        QTest::newRow("good") << good << 2 << 0;
        QTest::newRow("comments and CRLF")
            << QStringLiteral("# note\r\n330000\t\t1\t浙江省\t浙江\r\n\r\n") << 1 << 0;
        QTest::newRow("level out of range")
            << good + QStringLiteral("330106\t330100\t7\t西湖区\t\n") << 2 << 1;
        QTest::newRow("too few cells") << good + QStringLiteral("330106\t330100\n") << 2 << 1;
        QTest::newRow("duplicate code") << good + QStringLiteral("330100\t330000\t2\t宁波市\t\n") << 2 << 1;
        // Kept but unplaced: a county whose parent is missing or below it.
        QTest::newRow("parent missing") << good + QStringLiteral("330106\t339900\t3\t西湖区\t\n") << 3 << 1;
        QTest::newRow("parent below")
            << QStringLiteral("330100\t330106\t2\t杭州市\t\n330106\t330100\t3\t西湖区\t\n") << 2 << 1;
    }
    void badRowsAreSkipped() {
        QFETCH(QString, text);
        QFETCH(int, kept);
        QFETCH(int, skipped);
        int bad = -1;
        const RegionTable table = RegionTable::fromText(text, &bad);
        QCOMPARE(int(table.regions().size()), kept);
        QCOMPARE(bad, skipped);
    }

    // Which division a text names, written as province/city/county.
    void find_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("region");
        QTest::newRow("full") << QStringLiteral("浙江省杭州市西湖区文三路90号")
                              << QStringLiteral("浙江省/杭州市/西湖区");
        QTest::newRow("short forms") << QStringLiteral("浙江杭州西湖区文三路90号")
                                     << QStringLiteral("浙江省/杭州市/西湖区");
        QTest::newRow("county alone")
            << QStringLiteral("寄到竞秀区朝阳北大街12号") << QStringLiteral("河北省/保定市/竞秀区");
        QTest::newRow("reversed") << QStringLiteral("康定市，甘孜藏族自治州，四川省")
                                  << QStringLiteral("四川省/甘孜藏族自治州/康定市");
        QTest::newRow("朝阳区 in Changchun")
            << QStringLiteral("长春市朝阳区红旗街1166号") << QStringLiteral("吉林省/长春市/朝阳区");
        QTest::newRow("朝阳区 alone is any of them")
            << QStringLiteral("朝阳区建国路88号") << QStringLiteral("//朝阳区");
        QTest::newRow("朝阳区 settled by its city elsewhere")
            << QStringLiteral("朝阳区建国路88号，北京") << QStringLiteral("北京市/北京市/朝阳区");
        QTest::newRow("county short beside its city")
            << QStringLiteral("重庆奉节永安镇") << QStringLiteral("重庆市/重庆市/奉节县");
        QTest::newRow("county short alone is nothing") << QStringLiteral("宁海 你好") << QStringLiteral("//");
        QTest::newRow("short city before 路 is a street")
            << QStringLiteral("上海市黄浦区南京路100号") << QStringLiteral("上海市/上海市/黄浦区");
        QTest::newRow("former name") << QStringLiteral("北京市怀柔县青春路5号")
                                     << QStringLiteral("北京市/北京市/怀柔区");
        QTest::newRow("钱塘区, made 2021")
            << QStringLiteral("钱塘区下沙街道1号") << QStringLiteral("浙江省/杭州市/钱塘区");
        QTest::newRow("海门市, now 海门区")
            << QStringLiteral("南通海门市解放路2号") << QStringLiteral("江苏省/南通市/海门区");
        QTest::newRow("射洪县, now 射洪市")
            << QStringLiteral("射洪县太和大道3号") << QStringLiteral("四川省/遂宁市/射洪市");
        QTest::newRow("traditional") << QStringLiteral("廣東省廣州市天河區體育西路")
                                     << QStringLiteral("广东省/广州市/天河区");
        QTest::newRow("company city is not the region")
            << QStringLiteral("佛山市美华电器有限公司\n广东省佛山市顺德区大良街道新桂路33号")
            << QStringLiteral("广东省/佛山市/顺德区");
        QTest::newRow("company line alone")
            << QStringLiteral("佛山市美华电器有限公司") << QStringLiteral("//");
        QTest::newRow("county on the address line")
            << QStringLiteral("省:河北省\n市:保定市\n地址:竞秀区朝阳北大街12号")
            << QStringLiteral("河北省/保定市/竞秀区");
        QTest::newRow("county-level city under its province")
            << QStringLiteral("湖北省仙桃市沙嘴街道") << QStringLiteral("湖北省/仙桃市/沙嘴街道");
        QTest::newRow("township alone is nothing")
            << QStringLiteral("沙嘴街道新华路5号") << QStringLiteral("//");
    }
    void find() {
        QFETCH(QString, text);
        QFETCH(QString, region);
        const RegionTable& table = RegionTable::shipped();
        QCOMPARE(path(table, table.find(RegionTable::simplified(text))), region);
    }
};

OVERPRINT_TEST(TestRegionTable)
#include "TestRegionTable.moc"
