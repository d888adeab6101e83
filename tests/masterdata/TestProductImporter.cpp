#include "masterdata/ProductImporter.h"

#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include <QTest>

using masterdata::ProductImporter;

class TestProductImporter : public QObject {
    Q_OBJECT
private slots:
    void header_data() {
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QStringList>("columns");
        QTest::newRow("four columns") << QStringList{QStringLiteral("商品名"), QStringLiteral("规格"),
                                                     QStringLiteral("单价"), QStringLiteral("单位")}
                                      << true
                                      << QStringList{QStringLiteral("商品名"), QStringLiteral("规格"),
                                                     QStringLiteral("单价"), QStringLiteral("单位")};
        QTest::newRow("规格型号 counts")
            << QStringList{QStringLiteral("单价"), QStringLiteral("规格型号"), QStringLiteral("商品名")}
            << true
            << QStringList{QStringLiteral("单价"), QStringLiteral("规格型号"), QStringLiteral("商品名")};
        QTest::newRow("no price") << QStringList{QStringLiteral("商品名"), QStringLiteral("品牌型号")}
                                  << false
                                  << QStringList{QStringLiteral("商品名"), QStringLiteral("品牌型号")};
        QTest::newRow("no name") << QStringList{QStringLiteral("规格"), QStringLiteral("单价")} << false
                                 << QStringList{QStringLiteral("规格"), QStringLiteral("单价")};
        QTest::newRow("stops at the first empty title")
            << QStringList{QStringLiteral("商品名"), QString(), QStringLiteral("规格"),
                           QStringLiteral("单价")}
            << false << QStringList{QStringLiteral("商品名")};
        QTest::newRow("no titles") << QStringList{} << false << QStringList{};
    }
    void header() {
        QFETCH(QStringList, titles);
        QFETCH(bool, ok);
        QFETCH(QStringList, columns);
        TestHome home;
        ProductImporter importer(home.db(), home.dialogs());
        QCOMPARE(importer.setHeader(titles), ok);
        QCOMPARE(importer.columns(), columns);
    }

    void insertsUnderSheetTitles() {
        TestHome home;
        home.db().exec(QStringLiteral("delete from Products"));
        ProductImporter importer(home.db(), home.dialogs());
        QVERIFY(importer.setHeader({QStringLiteral("商品名"), QStringLiteral("规格型号"),
                                    QStringLiteral("单价"), QStringLiteral("单位")}));
        QCOMPARE(importer.saveGood({QStringLiteral("O'Brien's 刀"), QStringLiteral("T60/WSDC"),
                                    QStringLiteral("12.50"), QStringLiteral("把")}),
                 ProductImporter::Outcome::Inserted);
        QCOMPARE(importer.saveGood({QStringLiteral("  "), QStringLiteral("x"), QStringLiteral("1")}),
                 ProductImporter::Outcome::Blank);
        // A short row leaves its missing cells empty.
        QCOMPARE(importer.saveGood({QStringLiteral("纸")}), ProductImporter::Outcome::Inserted);
        core::Recordset rs = home.db().query(QStringLiteral("select * from Products order by ID"));
        QCOMPARE(rs.recordCount(), 2);
        rs.first();
        QCOMPARE(rs.text(QStringLiteral("商品名")), QStringLiteral("O'Brien's 刀"));
        QCOMPARE(rs.text(QStringLiteral("规格")), QStringLiteral("T60/WSDC"));
        QCOMPARE(rs.text(QStringLiteral("单价")), QStringLiteral("12.50"));
        QCOMPARE(rs.text(QStringLiteral("单位")), QStringLiteral("把"));
        QVERIFY(rs.isNull(QStringLiteral("货号")));
        QCOMPARE(importer.summary(), QStringLiteral("导入完成，共有 2 条导入成功！"));
        QVERIFY(home.dialogs().shown.isEmpty());
    }

    // A sheet without a 简码 column gets the initials the product form would give the name.
    void mnemonicCode_data() {
        QTest::addColumn<QString>("sheetCode");
        QTest::addColumn<QString>("code");
        QTest::newRow("initials of the name") << QString() << QStringLiteral("LXDN");
        QTest::newRow("the sheet's own code") << QStringLiteral("PC") << QStringLiteral("PC");
    }
    void mnemonicCode() {
        QFETCH(QString, sheetCode);
        QFETCH(QString, code);
        TestHome home;
        home.db().exec(QStringLiteral("delete from Products"));
        ProductImporter importer(home.db(), home.dialogs());
        QStringList titles{QStringLiteral("商品名"), QStringLiteral("规格"), QStringLiteral("单价")};
        QStringList cells{QStringLiteral("联想电脑"), QString(), QStringLiteral("1")};
        if (!sheetCode.isEmpty()) {
            titles << QStringLiteral("简码");
            cells << sheetCode;
        }
        QVERIFY(importer.setHeader(titles));
        QCOMPARE(importer.saveGood(cells), ProductImporter::Outcome::Inserted);
        QCOMPARE(home.db().scalar(QStringLiteral("select 简码 from Products")).toString(), code);
    }

    void unknownColumnFailsEveryRow() {
        TestHome home;
        home.db().exec(QStringLiteral("delete from Products"));
        ProductImporter importer(home.db(), home.dialogs());
        QVERIFY(importer.setHeader({QStringLiteral("商品名"), QStringLiteral("规格"), QStringLiteral("单价"),
                                    QStringLiteral("颜色")}));
        QCOMPARE(
            importer.saveGood({QStringLiteral("甲"), QString(), QStringLiteral("1"), QStringLiteral("红")}),
            ProductImporter::Outcome::Skipped);
        QCOMPARE(
            importer.saveGood({QStringLiteral("乙"), QString(), QStringLiteral("2"), QStringLiteral("蓝")}),
            ProductImporter::Outcome::Skipped);
        QCOMPARE(home.db().scalar(QStringLiteral("select count(*) from Products")).toInt(), 0);
        QCOMPARE(importer.skipped(), 2);
        QCOMPARE(home.dialogs().shown.size(), 2);
        QCOMPARE(home.dialogs().lastText(),
                 QStringLiteral(
                     "Error:Insert into Products (商品名,规格,单价,颜色,简码) values('乙','','2','蓝','Y')"));
        QCOMPARE(importer.summary(),
                 QStringLiteral("导入完成，共有 0 条导入成功！ 其中跳过了2 条已经存在的记录！"));
    }

    void bracketInTitleNeverReachesSql() {
        TestHome home;
        ProductImporter importer(home.db(), home.dialogs());
        QVERIFY(importer.setHeader({QStringLiteral("商品名"), QStringLiteral("规格"), QStringLiteral("单价"),
                                    QStringLiteral("a]) values(1);drop table Products;--")}));
        QCOMPARE(
            importer.saveGood({QStringLiteral("甲"), QString(), QStringLiteral("1"), QStringLiteral("x")}),
            ProductImporter::Outcome::Skipped);
        QVERIFY(home.dialogs().lastText().startsWith(QStringLiteral("Error:")));
        QVERIFY(home.db().scalar(QStringLiteral("select count(*) from Products")).isValid());
    }

    void duplicates_data() {
        QTest::addColumn<bool>("nameOnly");
        QTest::addColumn<bool>("prompt");
        QTest::addColumn<int>("answer"); // 1: 是 (skip)
        QTest::addColumn<QString>("brand");
        QTest::addColumn<int>("rowsAfter");
        QTest::addColumn<QString>("question");
        QTest::newRow("name only, silent")
            << true << false << 0 << QStringLiteral("新型号") << 1 << QString();
        QTest::newRow("name and brand, other brand added")
            << false << false << 0 << QStringLiteral("新型号") << 2 << QString();
        QTest::newRow("name and brand, same brand skipped")
            << false << false << 0 << QStringLiteral("A5") << 1 << QString();
        QTest::newRow("asked, 否 adds")
            << false << true << 0 << QStringLiteral("A5") << 2
            << QStringLiteral("商品\"笔记本(A5)\"已经存在,是否跳过？点击\"是\"跳过,点击\"否\"继续添加！");
        QTest::newRow("asked by name, 是 skips")
            << true << true << 1 << QStringLiteral("B6") << 1
            << QStringLiteral("商品\"笔记本\"已经存在,是否跳过？点击\"是\"跳过,点击\"否\"继续添加！");
    }
    void duplicates() {
        QFETCH(bool, nameOnly);
        QFETCH(bool, prompt);
        QFETCH(int, answer);
        QFETCH(QString, brand);
        QFETCH(int, rowsAfter);
        QFETCH(QString, question);
        TestHome home;
        home.db().exec(QStringLiteral("delete from Products"));
        home.db().exec(QStringLiteral("insert into Products (商品名,规格) values ('笔记本','A5')"));
        ProductImporter importer(home.db(), home.dialogs());
        importer.setDuplicateRule(nameOnly ? ProductImporter::DuplicateRule::NameOnly
                                           : ProductImporter::DuplicateRule::NameAndBrand);
        importer.setPromptOnDuplicate(prompt);
        home.dialogs().answers.enqueue(answer);
        QVERIFY(
            importer.setHeader({QStringLiteral("商品名"), QStringLiteral("规格"), QStringLiteral("单价")}));
        importer.saveGood({QStringLiteral("笔记本"), brand, QStringLiteral("5")});
        QCOMPARE(home.db().scalar(QStringLiteral("select count(*) from Products")).toInt(), rowsAfter);
        QCOMPARE(importer.inserted() + importer.skipped(), 1);
        if (question.isEmpty()) {
            QVERIFY(home.dialogs().shown.isEmpty());
        } else {
            QCOMPARE(home.dialogs().shown.size(), 1);
            QCOMPARE(home.dialogs().shown.first().text, question);
            QCOMPARE(home.dialogs().shown.first().caption, QStringLiteral("记录已经存在"));
        }
    }
};

OVERPRINT_TEST(TestProductImporter)
#include "TestProductImporter.moc"
