#include "core/ui/GridServices.h"
#include "masterdata/RegionCodes.h"
#include "masterdata/TPerson.h"
#include "masterdata/ui/Tfm_PersonManage.h"

#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include <QTest>
#include <QTreeWidget>

using masterdata::RegionCodes;

class TestRegionCodes : public QObject {
    Q_OBJECT

    std::unique_ptr<TestHome> home;

private slots:
    void init() {
        home = std::make_unique<TestHome>();
        QVERIFY2(home->isValid(), qPrintable(home->error()));
    }
    void cleanup() { home.reset(); }

    // Typed or imported names against the shipped codes: the stored spelling, or the text as typed
    // when no code (or more than one) fits.
    void matching_data() {
        QTest::addColumn<QString>("province");
        QTest::addColumn<QString>("city");
        QTest::addColumn<QString>("storedProvince");
        QTest::addColumn<QString>("storedCity");
        QTest::newRow("stored as is") << "广东"
                                      << "深圳市"
                                      << "广东"
                                      << "深圳市";
        QTest::newRow("province ending") << "广东省"
                                         << "深圳"
                                         << "广东"
                                         << "深圳市";
        QTest::newRow("blanks") << " 广东省 "
                                << " 广州市 "
                                << "广东"
                                << "广州市";
        QTest::newRow("municipality") << "北京市"
                                      << "朝阳"
                                      << "北京"
                                      << "朝阳区";
        QTest::newRow("autonomous region") << "广西壮族自治区"
                                           << "南宁"
                                           << "广西"
                                           << "南宁市";
        QTest::newRow("uygur region") << "新疆维吾尔自治区"
                                      << ""
                                      << "新疆"
                                      << "";
        QTest::newRow("plain autonomous region") << "内蒙古自治区"
                                                 << ""
                                                 << "内蒙古"
                                                 << "";
        QTest::newRow("special region") << "香港特别行政区"
                                        << ""
                                        << "香港"
                                        << "";
        QTest::newRow("city named as its province") << "吉林省"
                                                    << "吉林"
                                                    << "吉林"
                                                    << "吉林市";
        QTest::newRow("unknown province") << "火星省"
                                          << "一号基地"
                                          << "火星省"
                                          << "一号基地";
        QTest::newRow("city of another province") << "广东"
                                                  << "杭州"
                                                  << "广东"
                                                  << "杭州";
        QTest::newRow("empty") << ""
                               << ""
                               << ""
                               << "";
    }
    void matching() {
        QFETCH(QString, province);
        QFETCH(QString, city);
        QFETCH(QString, storedProvince);
        QFETCH(QString, storedCity);
        const RegionCodes codes(home->db());
        QCOMPARE(codes.province(province), storedProvince);
        QCOMPARE(codes.city(codes.province(province), city), storedCity);
    }

    // A short name is not cut to nothing, and of two codes of one stem neither is guessed.
    void ambiguousOrShort() {
        home->db().exec(
            QStringLiteral("insert into DMTable2 (类型,一级代码,二级代码) values "
                           "('省市','测试','沙市'), ('省市','测试','新区'), ('省市','测试','新县')"));
        const RegionCodes codes(home->db());
        QCOMPARE(RegionCodes::cityStem(QStringLiteral("沙市")), QStringLiteral("沙市"));
        QCOMPARE(codes.city(QStringLiteral("测试"), QStringLiteral("沙")), QStringLiteral("沙"));
        QCOMPARE(codes.city(QStringLiteral("测试"), QStringLiteral("新市")), QStringLiteral("新市"));
    }

    // Units saved as 广东 and as 广东省 are one province in the store and in the group tree.
    void oneProvinceInTheTree() {
        home->db().exec(QStringLiteral("delete from CKPersonalInfoTable"));
        for (const char* province : {"广东", "广东省", "广东省 "}) {
            masterdata::TPerson unit;
            unit.setFullName(QStringLiteral("单位") + QString::fromUtf8(province));
            unit.setProvince(QString::fromUtf8(province));
            unit.setCity(QStringLiteral("深圳"));
            unit.setUnitType(QStringLiteral("往来单位"));
            QCOMPARE(unit.save(home->db()), 1);
            QCOMPARE(unit.province(), QStringLiteral("广东"));
        }
        QCOMPARE(home->db()
                     .scalar(QStringLiteral("select count(*) from CKPersonalInfoTable where 省='广东' and "
                                            "市='深圳市'"))
                     .toInt(),
                 3);
        core::ui::GridServices grids(home->app());
        masterdata::ui::Tfm_PersonManage window(home->app(), grids);
        window.show();
        const auto nodes = [&](const QString& text) {
            return window.tree().findItems(text, Qt::MatchExactly | Qt::MatchRecursive).size();
        };
        QCOMPARE(nodes(QStringLiteral("广东")), 1);
        QCOMPARE(nodes(QStringLiteral("广东省")), 0);
    }
};

OVERPRINT_TEST(TestRegionCodes)
#include "TestRegionCodes.moc"
