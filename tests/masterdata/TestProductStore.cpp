#include "masterdata/ProductStore.h"

#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include <QTest>

using masterdata::CatalogueFilter;
using masterdata::Product;
using masterdata::ProductStore;

namespace {

struct Catalogue {
    TestHome home;
    ProductStore store{home.db()};
    Catalogue() { home.db().exec(QStringLiteral("delete from Products")); }
    void add(const QString& name, const QString& brand, const QString& classify, const QString& price = {}) {
        home.db().exec(QStringLiteral("insert into Products (商品名,规格,分类,单价) values (:n,:b,:c,:p)"),
                       {{QStringLiteral("n"), name},
                        {QStringLiteral("b"), brand},
                        {QStringLiteral("c"), classify},
                        {QStringLiteral("p"), price}});
    }
    QStringList names(const masterdata::Statement& st) {
        QStringList out;
        core::Recordset rs = home.db().query(st.sql, st.params);
        for (rs.first(); !rs.eof(); rs.next())
            out << rs.text(QStringLiteral("商品名"));
        return out;
    }
    int count() { return home.db().scalar(QStringLiteral("select count(*) from Products")).toInt(); }
};

} // namespace

class TestProductStore : public QObject {
    Q_OBJECT
private slots:
    void filter_data() {
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("direction");
        QTest::addColumn<QStringList>("expected");
        const QString root = ProductStore::kClassRoot;
        QTest::newRow("keyword in name or model")
            << QStringLiteral("本") << QString() << root << QStringLiteral("商品名") << QStringLiteral("DESC")
            << QStringList{QStringLiteral("笔记本"), QStringLiteral("打印纸")};
        QTest::newRow("keyword and name") << QStringLiteral("本") << QStringLiteral("打印纸") << root
                                          << QString() << QString() << QStringList{QStringLiteral("打印纸")};
        QTest::newRow("name alone") << QString() << QStringLiteral("色带") << root << QString() << QString()
                                    << QStringList{QStringLiteral("色带")};
        QTest::newRow("all names in a class ascending")
            << QStringLiteral("a") << ProductStore::kAllNames << root + QStringLiteral("办公用品")
            << QStringLiteral("商品名") << QStringLiteral("ASC")
            << QStringList{QStringLiteral("打印纸"), QStringLiteral("笔记本")};
        QTest::newRow("sorted by price")
            << QString() << QString() << root << QStringLiteral("单价") << QStringLiteral("asc")
            << QStringList{QStringLiteral("O'Brien 刀"), QStringLiteral("笔记本"), QStringLiteral("色带"),
                           QStringLiteral("打印纸"),     QStringLiteral("棉布"),   QStringLiteral("棉纱"),
                           QStringLiteral("夹子"),       QStringLiteral("夹板")};
        // Wildcard characters in the keyword are matched as typed.
        QTest::newRow("percent is literal") << QStringLiteral("50%") << QString() << root << QString()
                                            << QString() << QStringList{QStringLiteral("棉布")};
        QTest::newRow("lone percent is literal") << QStringLiteral("%") << QString() << root << QString()
                                                 << QString() << QStringList{QStringLiteral("棉布")};
        QTest::newRow("underscore is literal") << QStringLiteral("A_1") << QString() << root << QString()
                                               << QString() << QStringList{QStringLiteral("夹子")};
        QTest::newRow("apostrophe keyword") << QStringLiteral("O'B") << QString() << root << QString()
                                            << QString() << QStringList{QStringLiteral("O'Brien 刀")};
        QTest::newRow("bad sort input falls back")
            << QStringLiteral("印") << QString() << root << QStringLiteral("x]; drop table Products; --")
            << QStringLiteral("; drop") << QStringList{QStringLiteral("打印纸")};
    }
    void filter() {
        QFETCH(QString, keyword);
        QFETCH(QString, name);
        QFETCH(QString, path);
        QFETCH(QString, column);
        QFETCH(QString, direction);
        QFETCH(QStringList, expected);
        Catalogue c;
        c.add(QStringLiteral("笔记本"), QStringLiteral("A5"), QStringLiteral("办公用品"),
              QStringLiteral("1.5"));
        c.add(QStringLiteral("打印纸"), QStringLiteral("A4 本色"), QStringLiteral("办公用品"),
              QStringLiteral("3"));
        c.add(QStringLiteral("色带"), QStringLiteral("80列"), QStringLiteral("耗材"), QStringLiteral("2"));
        c.add(QStringLiteral("O'Brien 刀"), QString(), QStringLiteral("五金"));
        c.add(QStringLiteral("棉布"), QStringLiteral("50%棉"), QStringLiteral("布料"), QStringLiteral("4"));
        c.add(QStringLiteral("棉纱"), QStringLiteral("500支"), QStringLiteral("布料"), QStringLiteral("5"));
        c.add(QStringLiteral("夹子"), QStringLiteral("A_1"), QStringLiteral("五金"), QStringLiteral("6"));
        c.add(QStringLiteral("夹板"), QStringLiteral("AB1"), QStringLiteral("五金"), QStringLiteral("7"));
        const CatalogueFilter filter{keyword, name, path, column, direction};
        QCOMPARE(c.names(ProductStore::filterStatement(filter)), expected);
        QCOMPARE(c.count(), 8);
    }

    void allAndClassStatements() {
        Catalogue c;
        c.add(QStringLiteral("乙"), QString(), QStringLiteral("耗材"));
        c.add(QStringLiteral("甲"), QString(), QStringLiteral("王's 类"));
        c.add(QStringLiteral("丙"), QString(), QStringLiteral("耗材"));
        QVERIFY(
            ProductStore::isClassOnly({QString(), ProductStore::kAllNames, QString(), QString(), QString()}));
        QVERIFY(
            ProductStore::isClassOnly({QStringLiteral("  "), QString(), QString(), QString(), QString()}));
        QVERIFY(
            !ProductStore::isClassOnly({QString(), QStringLiteral("甲"), QString(), QString(), QString()}));
        // An empty keyword, every name and the root path list all products by name, descending.
        QCOMPARE(c.names(ProductStore::allStatement(QString(), QString())),
                 (QStringList{QStringLiteral("甲"), QStringLiteral("乙"), QStringLiteral("丙")}));
        QCOMPARE(ProductStore::classOf(QStringLiteral(" 全部分类\\耗材 ")), QStringLiteral("耗材"));
        QCOMPARE(c.names(ProductStore::classStatement(QStringLiteral("王's 类"))),
                 QStringList{QStringLiteral("甲")});
    }

    void lists() {
        Catalogue c;
        QCOMPARE(c.store.unitChoices().size(), 6);
        QCOMPARE(c.store.nameList(), QStringList{ProductStore::kAllNames});
        c.add(QStringLiteral("甲"), QString(), QStringLiteral(" 耗材"));
        c.add(QStringLiteral("乙"), QString(), QStringLiteral("耗材"));
        c.add(QStringLiteral("乙"), QString(), QStringLiteral("  "));
        c.add(QStringLiteral("丙"), QString(), QStringLiteral("办公"));
        QCOMPARE(c.store.nameList(), (QStringList{ProductStore::kAllNames, QStringLiteral("甲"),
                                                  QStringLiteral("乙"), QStringLiteral("丙")}));
        QCOMPARE(c.store.classList(), (QStringList{QStringLiteral("办公"), QStringLiteral("耗材")}));
        c.home.db().exec(QStringLiteral("update Products set 单位='箱'"));
        QCOMPARE(c.store.unitChoices(), QStringList{QStringLiteral("箱")});
    }

    void articleNumberIsUnique() {
        Catalogue c;
        Product first;
        first.name = QStringLiteral("联想电脑");
        first.identy = QStringLiteral(" DN-1 ");
        QCOMPARE(c.store.saveChecked(first), ProductStore::SaveResult::Saved);
        QCOMPARE(first.identy, QStringLiteral("DN-1"));
        QCOMPARE(first.price, QStringLiteral("0.00"));
        Product second;
        second.name = QStringLiteral("别的电脑");
        second.identy = QStringLiteral("dn-1");
        QCOMPARE(c.store.saveChecked(second), ProductStore::SaveResult::ArticleTaken);
        // Its own number again is fine.
        first.price = QStringLiteral("4500");
        QCOMPARE(c.store.saveChecked(first), ProductStore::SaveResult::Saved);
        QCOMPARE(c.count(), 1);
        QCOMPARE(c.store.load(first.id).price, QStringLiteral("4500"));
    }

    void formSavesTwice_data() {
        QTest::addColumn<QString>("identy");
        QTest::addColumn<int>("rows");
        QTest::newRow("without article number") << QString() << 2;
        QTest::newRow("with article number") << QStringLiteral("BG-1") << 1;
    }
    void formSavesTwice() {
        QFETCH(QString, identy);
        QFETCH(int, rows);
        Catalogue c;
        // The form keeps its empty ID after a save, so a second save is a second product.
        for (int i = 0; i < 2; ++i) {
            Product p;
            p.name = QStringLiteral("笔记本");
            p.identy = identy;
            const auto result = c.store.saveChecked(p);
            QCOMPARE(result, i == 1 && rows == 1 ? ProductStore::SaveResult::ArticleTaken
                                                 : ProductStore::SaveResult::Saved);
        }
        QCOMPARE(c.count(), rows);
    }

    void nameRequired() {
        Catalogue c;
        Product p;
        p.name = QStringLiteral("   ");
        QCOMPARE(c.store.saveChecked(p), ProductStore::SaveResult::NameMissing);
        QCOMPARE(c.count(), 0);
    }

    void deleteAndClear() {
        Catalogue c;
        c.add(QStringLiteral("甲"), QString(), QString());
        c.add(QStringLiteral("乙"), QString(), QString());
        c.add(QStringLiteral("丙"), QString(), QString());
        const int first = c.home.db().scalar(QStringLiteral("select min(ID) from Products")).toInt();
        c.store.deleteIds({first, first + 1});
        QCOMPARE(c.names(ProductStore::allStatement(QString(), QString())),
                 QStringList{QStringLiteral("丙")});
        c.store.clearAll();
        QCOMPARE(c.count(), 0);
    }
};

OVERPRINT_TEST(TestProductStore)
#include "TestProductStore.moc"
