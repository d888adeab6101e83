#include "core/Recordset.h"
#include "designer/LayoutScale.h"
#include "designer/LayoutStore.h"
#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include <QTest>

using designer::LayoutScale;
using designer::LayoutStore;

namespace {

QVariant column(TestHome& home, const QString& name, const QString& col, int id = 1) {
    return home.db().scalar(QStringLiteral("select ") + col +
                                QStringLiteral(" from ckControl where CheckTypeId=:id and CtlName=:n"),
                            {{QStringLiteral("id"), id}, {QStringLiteral("n"), name}});
}

// Every layout row of the template as text, to prove a command changed nothing else.
QStringList snapshot(TestHome& home, int id = 1) {
    core::Recordset rs =
        home.db().query(QStringLiteral("select * from ckControl where CheckTypeId=:id order by ID"),
                        {{QStringLiteral("id"), id}});
    QStringList out;
    for (rs.first(); !rs.eof(); rs.next()) {
        QStringList row;
        for (int c = 0; c < rs.fieldCount(); ++c)
            row << rs.text(c);
        out << row.join(QLatin1Char('|'));
    }
    return out;
}

} // namespace

class TestLayoutStore : public QObject {
    Q_OBJECT

private slots:
    void scale_data() {
        QTest::addColumn<int>("screenDpi");
        QTest::addColumn<int>("zoom");
        QTest::addColumn<int>("tenths");
        QTest::addColumn<int>("pixels");
        // zdPJBH of the standard note sits at 189 mm, 17.5 mm.
        QTest::newRow("x at 100%") << 96 << 100 << 1890 << 714;
        QTest::newRow("y at 100%") << 96 << 100 << 175 << 66;
        QTest::newRow("x at 150%") << 96 << 150 << 1890 << 1071;
        QTest::newRow("120% rounds to 115 dpi") << 96 << 120 << 254 << 115;
        QTest::newRow("80% rounds to 77 dpi") << 96 << 80 << 254 << 77;
        QTest::newRow("50%") << 96 << 50 << 1400 << 265;
        QTest::newRow("half to even up") << 96 << 120 << 127 << 58;    // 57.5
        QTest::newRow("half to even down") << 96 << 120 << 381 << 172; // 172.5
    }
    void scale() {
        QFETCH(int, screenDpi);
        QFETCH(int, zoom);
        QFETCH(int, tenths);
        QFETCH(int, pixels);
        const LayoutScale s(screenDpi, zoom);
        QCOMPARE(s.toPixels(tenths), pixels);
    }

    void pixelsToTenths_data() {
        QTest::addColumn<int>("pixels");
        QTest::addColumn<int>("tenths");
        QTest::newRow("38 px") << 38 << 101;             // 100.54
        QTest::newRow("half to even up") << 24 << 64;    // 63.5
        QTest::newRow("half to even down") << 72 << 190; // 190.5
        QTest::newRow("negative half") << -24 << -64;
        QTest::newRow("one pixel") << 1 << 3;
        QTest::newRow("none") << 0 << 0;
    }
    void pixelsToTenths() {
        QFETCH(int, pixels);
        QFETCH(int, tenths);
        const LayoutScale s(96, 100);
        QCOMPARE(s.toTenths(pixels), tenths);
        QCOMPARE(s.moved(1890, pixels), 1890 + tenths);
    }

    void dragThreshold_data() {
        QTest::addColumn<QPoint>("delta");
        QTest::addColumn<bool>("drag");
        QTest::newRow("wobble") << QPoint(1, 1) << false;
        QTest::newRow("just short") << QPoint(9, 0) << false;
        QTest::newRow("at the distance") << QPoint(10, 0) << true;
        QTest::newRow("diagonal") << QPoint(-6, 5) << true;
    }
    void dragThreshold() {
        QFETCH(QPoint, delta);
        QFETCH(bool, drag);
        QCOMPARE(designer::isDrag(delta, 10), drag);
    }

    void fieldWriterWritesOnlyChanges() {
        TestHome home;
        LayoutStore store(home.db(), 1);
        QVERIFY(store.loadTemplate());
        home.db().exec(QStringLiteral("update CKTypeTable set IniFile='1.ini' where CheckTypeId=1"));
        const QStringList before = snapshot(home);

        // The stored value again: nothing written, nothing said.
        designer::Outcome same = store.saveField(QStringLiteral("zdPJBH"), QStringLiteral("CtlX"), 1890);
        QCOMPARE(same.rows, 0);
        QVERIFY(same.message.isEmpty());
        QCOMPARE(snapshot(home), before);
        // Not a layout column: refused before any SQL is made of it.
        QCOMPARE(store.saveField(QStringLiteral("zdPJBH"), QStringLiteral("CtlX=0,CtlY"), 1).rows, 0);
        QCOMPARE(snapshot(home), before);

        designer::Outcome moved = store.saveField(QStringLiteral("zdpjbh"), QStringLiteral("CtlX"), 1991);
        QCOMPARE(moved.rows, 1);
        QCOMPARE(moved.message, QStringLiteral("票据编号:CtlX=1991属性保存成功~"));
        QCOMPARE(column(home, QStringLiteral("zdPJBH"), QStringLiteral("CtlX")).toInt(), 1991);
        // Print columns are not in the layout cache: its mark stays.
        QCOMPARE(home.db()
                     .scalar(QStringLiteral("select IniFile from CKTypeTable where CheckTypeId=1"))
                     .toString(),
                 QStringLiteral("1.ini"));

        // The default value is, so the cache is marked for a rebuild.
        QCOMPARE(
            store.saveField(QStringLiteral("zdPJBH"), QStringLiteral("InitValue"), QStringLiteral("A'1%"))
                .rows,
            1);
        QCOMPARE(column(home, QStringLiteral("zdPJBH"), QStringLiteral("InitValue")).toString(),
                 QStringLiteral("A'1%"));
        QCOMPARE(home.db()
                     .scalar(QStringLiteral("select IniFile from CKTypeTable where CheckTypeId=1"))
                     .toString(),
                 QString());
    }

    void twoRowsOfOneNameAreNotWritten() {
        TestHome home;
        home.db().exec(QStringLiteral("insert into ckControl (CheckTypeID, CtlName, CtlX, CtlY, NeedPrint, "
                                      "NeedShow) values (1, 'ZDPJBH', 5, 5, "
                                      "1, 1)"));
        LayoutStore store(home.db(), 1);
        QVERIFY(store.loadTemplate());
        const QStringList before = snapshot(home);
        designer::Outcome out = store.saveField(QStringLiteral("zdPJBH"), QStringLiteral("CtlX"), 100);
        QCOMPARE(out.message, QStringLiteral("保存出错,同一个项目多条记录=！zdPJBH,1"));
        // A move that would change two rows changes none.
        out = store.moveBy({QStringLiteral("zdPJBH")}, QStringLiteral("CtlX"), 10);
        QVERIFY(out.boxed);
        QVERIFY(out.message.startsWith(QStringLiteral("修改错误！")));
        QCOMPARE(snapshot(home), before);
    }

    void stepsAndBatch() {
        TestHome home;
        LayoutStore store(home.db(), 1);
        QVERIFY(store.loadTemplate());
        const QStringList two = {QStringLiteral("zdPJBH"), QStringLiteral("zdGKAddr")};
        QCOMPARE(store.moveBy(two, QStringLiteral("CtlX"), 10).rows, 2);
        QCOMPARE(column(home, two[0], QStringLiteral("CtlX")).toInt(), 1900);
        QCOMPARE(column(home, two[1], QStringLiteral("CtlX")).toInt(), 320);

        designer::Outcome left = store.alignTo(two, QStringLiteral("CtlX"), LayoutStore::Extreme::Min, 0,
                                               QStringLiteral("批量修改最左对齐成功！"));
        QCOMPARE(left.message, QStringLiteral("2批量修改最左对齐成功！"));
        QCOMPARE(column(home, two[0], QStringLiteral("CtlX")).toInt(), 320);
        QCOMPARE(column(home, two[1], QStringLiteral("CtlX")).toInt(), 320);

        // A width of 5 shrunk by 5 stays and is named; the other shrinks.
        home.db().exec(
            QStringLiteral("update ckControl set CtlW=5 where CheckTypeId=1 and CtlName='zdPJBH'"));
        designer::Outcome narrower =
            store.shrink(two, QStringLiteral("CtlW"), 5, QStringLiteral("个批量减宽成功！"));
        QCOMPARE(narrower.rows, 1);
        QVERIFY(narrower.message.contains(QStringLiteral("zdPJBH的CtlW更新失败！")));
        QCOMPARE(column(home, two[0], QStringLiteral("CtlW")).toInt(), 5);
        QCOMPARE(column(home, two[1], QStringLiteral("CtlW")).toInt(), 855);

        // Widest of widths not positive falls back.
        home.db().exec(QStringLiteral(
            "update ckControl set CtlH=0 where CheckTypeId=1 and CtlName in ('zdPJBH','zdGKAddr')"));
        store.alignTo(two, QStringLiteral("CtlH"), LayoutStore::Extreme::Max, 40, QStringLiteral("x"));
        QCOMPARE(column(home, two[1], QStringLiteral("CtlH")).toInt(), 40);

        QCOMPARE(store.distribute(two, QStringLiteral("CtlY"), 50).message,
                 QStringLiteral("1个等宽分布修改成功！"));
        QCOMPARE(column(home, two[1], QStringLiteral("CtlY")).toInt(), 175 + 50);
        QCOMPARE(store.distribute({QStringLiteral("nosuch"), two[0]}, QStringLiteral("CtlX"), 40).message,
                 QStringLiteral("没有找到第一个项目的距左参数,中断分布动作！"));
        QCOMPARE(store.setAll({}, QStringLiteral("CtlX"), 1, QStringLiteral("x")).message, QString());
        QCOMPARE(
            store.grow({QStringLiteral("nosuch")}, QStringLiteral("CtlW"), 5, QStringLiteral("x")).message,
            QStringLiteral("影响了0个项目！"));
    }

    void alignToExtreme_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<bool>("largest");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("second");
        QTest::addColumn<int>("fallback"); // -1: none
        QTest::addColumn<int>("expected");
        QTest::newRow("left of the edge") << "CtlX" << false << -20 << 310 << -1 << -20;
        QTest::newRow("right with one left of the edge") << "CtlX" << true << -20 << 310 << -1 << 310;
        QTest::newRow("top at the edge") << "CtlY" << false << 0 << 40 << -1 << 0;
        QTest::newRow("bottom, both above the edge") << "CtlY" << true << -30 << -5 << -1 << -5;
        QTest::newRow("narrowest not positive") << "CtlW" << false << 0 << 90 << 35 << 35;
        QTest::newRow("widest positive") << "CtlW" << true << 60 << 90 << 120 << 90;
    }

    void alignToExtreme() {
        QFETCH(QString, field);
        QFETCH(bool, largest);
        QFETCH(int, first);
        QFETCH(int, second);
        QFETCH(int, fallback);
        QFETCH(int, expected);
        TestHome home;
        LayoutStore store(home.db(), 1);
        QVERIFY(store.loadTemplate());
        const QStringList two = {QStringLiteral("zdPJBH"), QStringLiteral("zdGKAddr")};
        for (int i = 0; i < 2; ++i)
            home.db().exec(QStringLiteral("update ckControl set ") + field +
                               QStringLiteral("=:v where CheckTypeId=1 and CtlName=:n"),
                           {{QStringLiteral("v"), i == 0 ? first : second}, {QStringLiteral("n"), two[i]}});
        const designer::Outcome out =
            store.alignTo(two, field, largest ? LayoutStore::Extreme::Max : LayoutStore::Extreme::Min,
                          fallback < 0 ? std::nullopt : std::optional<int>(fallback), QStringLiteral("x"));
        QCOMPARE(out.rows, 2);
        for (const QString& name : two)
            QCOMPARE(column(home, name, field).toInt(), expected);
    }

    void paperSize_data() {
        QTest::addColumn<double>("widthCm");
        QTest::addColumn<double>("heightCm");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("pwidth");
        QTest::addColumn<int>("pheight");
        const QString ok = QStringLiteral("底图实际长和宽保存成功！");
        QTest::newRow("32 cm high") << 24.1 << 32.0 << ok << 2410 << 3200;
        QTest::newRow("32.1 cm high")
            << 24.1 << 32.1 << QStringLiteral("失败，票据最高不能大于32厘米。") << 2410 << 1400;
        QTest::newRow("30.1 cm wide")
            << 30.1 << 14.0 << QStringLiteral("失败，票据最宽不能大于30厘米。") << 2410 << 1400;
        QTest::newRow("no width") << 0.0 << 14.0 << QStringLiteral("失败，票据最窄不能小于3厘米。") << 2410
                                  << 1400;
        QTest::newRow("no height") << 24.1 << 0.0 << QStringLiteral("失败，票据最矮不能小于2厘米。") << 2410
                                   << 1400;
        QTest::newRow("smallest") << 3.0 << 2.0 << ok << 300 << 200;
    }
    void paperSize() {
        QFETCH(double, widthCm);
        QFETCH(double, heightCm);
        QFETCH(QString, message);
        QFETCH(int, pwidth);
        QFETCH(int, pheight);
        TestHome home;
        LayoutStore store(home.db(), 1);
        QVERIFY(store.loadTemplate());
        QCOMPARE(store.savePaperSize(widthCm, heightCm).message, message);
        core::Recordset rs =
            home.db().query(QStringLiteral("select PWidth,PHeight from CKTypeTable where CheckTypeId=1"));
        rs.first();
        QCOMPARE(int(rs.integer(QStringLiteral("PWidth"))), pwidth);
        QCOMPARE(int(rs.integer(QStringLiteral("PHeight"))), pheight);
    }

    void zeroPaperReadsAsDefault() {
        TestHome home;
        home.db().exec(QStringLiteral("update CKTypeTable set PWidth=0, PHeight=0 where CheckTypeId=1"));
        LayoutStore store(home.db(), 1);
        QVERIFY(store.loadTemplate());
        QCOMPARE(store.paperWidth(), 2300);
        QCOMPARE(store.paperHeight(), 1270);
        QVERIFY(!LayoutStore(home.db(), 999).loadTemplate());
    }

    void groupPattern_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("count");
        QTest::newRow("label pattern") << QStringLiteral("客户*") << -1;
        QTest::newRow("quote") << QStringLiteral("x'*") << 0;
        QTest::newRow("percent is literal") << QStringLiteral("%*") << 0;
        QTest::newRow("group with quote") << QStringLiteral("a' or '1'='1") << 0;
    }
    void groupPattern() {
        QFETCH(QString, typed);
        QFETCH(int, count);
        TestHome home;
        LayoutStore store(home.db(), 1);
        QVERIFY(store.loadTemplate());
        const QStringList names = store.groupMembers(typed);
        if (count >= 0)
            QCOMPARE(names.size(), count);
        else
            QVERIFY(names.contains(QStringLiteral("zdGKAddr")) && !names.contains(QStringLiteral("zdPJBH")));
    }

    void missingSizesFromEntryBox() {
        TestHome home;
        home.db().exec(
            QStringLiteral("update ckControl set CtlW=0 where CheckTypeId=1 and CtlName='zdPJBH'"));
        home.db().exec(QStringLiteral("update ckControl set CtlW=0 where CheckTypeId=1 and CtlType='LINE'"));
        LayoutStore store(home.db(), 1);
        QVERIFY(store.loadTemplate());
        const QStringList lines = snapshot(home);
        QVERIFY(store.storeMissingSizes(store.loadItems(), LayoutScale(96, 100)) >= 1);
        // SrcW 140 pixels is 370 tenths (370.4); the height was set and stays.
        QCOMPARE(column(home, QStringLiteral("zdPJBH"), QStringLiteral("CtlW")).toInt(), 370);
        QCOMPARE(column(home, QStringLiteral("zdPJBH"), QStringLiteral("CtlH")).toInt(), 50);
        QVERIFY(home.db()
                    .scalar(QStringLiteral("select count(*) from ckControl where CheckTypeId=1 and "
                                           "CtlType='LINE' and CtlW<>0"))
                    .toInt() == 0);
    }

    void nonPrintingItemsPlanNothing() {
        TestHome home;
        LayoutStore store(home.db(), 1);
        QVERIFY(store.loadTemplate());
        auto item = store.loadItem(QStringLiteral("zdGKAddr"));
        QVERIFY(item);
        QVERIFY(!item->plan({}).isEmpty());
        item->shown = false;
        QVERIFY(item->plan({}).isEmpty());
        item->shown = true;
        item->kindType = QStringLiteral("IMAGE");
        QVERIFY(item->plan({}).isEmpty());
        item->kindType = QStringLiteral("CHECKBOX");
        QCOMPARE(item->plan({}).value(0).text, QStringLiteral("√"));
        // Default value first, then the test value, then the label.
        item->kindType = QStringLiteral("TEXT");
        item->initValue = QStringLiteral(" 默认 ");
        QCOMPARE(item->sampleText(), QStringLiteral("默认"));
        item->initValue.clear();
        item->testValue.clear();
        QCOMPARE(item->sampleText(), QStringLiteral("客户地址"));
    }
};

OVERPRINT_TEST(TestLayoutStore)
#include "TestLayoutStore.moc"
