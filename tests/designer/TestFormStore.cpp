#include "core/IniFile.h"
#include "designer/FormStore.h"
#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include <QTest>

using namespace designer;

namespace {

QVariantMap row(TestHome& home, int id, const QString& name) {
    core::Recordset rs = home.db().query(
        QStringLiteral("select * from ckControl where CheckTypeID=:id and ucase(CtlName)=:name"),
        {{QStringLiteral("id"), id}, {QStringLiteral("name"), name.toUpper()}});
    QVariantMap out;
    if (rs.isEmpty())
        return out;
    rs.first();
    for (const QString& field : rs.fieldNames())
        if (field != QLatin1String("ID"))
            out.insert(field, rs.text(field));
    return out;
}

FormItem item(const QString& name, const QString& label = QStringLiteral("票据编号"),
              const QString& kind = QStringLiteral("TEXT")) {
    return {name.toUpper(), label, kind};
}

} // namespace

class TestFormStore : public QObject {
    Q_OBJECT
private slots:
    // A save writes the box and the default value and nothing of the print side: a font set in
    // the print-layout designer after this item was selected stays.
    void saveWritesOnlyScreenColumns() {
        TestHome home;
        FormStore store(home.app());
        QVariantMap before = row(home, 1, QStringLiteral("zdPJBH"));
        home.db().exec(
            QStringLiteral("update ckControl set CtlFontSize=14,Bold=1,CtlX=777 where CheckTypeID=1 "
                           "and CtlName='zdPJBH'"));
        const BoxValues v{101, 52, 80, 20, false, QStringLiteral(" O'Brien ")};
        QCOMPARE(store.saveItem(1, item(QStringLiteral("zdPJBH")), v, QString()).outcome,
                 FormStore::Outcome::Updated);
        QVariantMap after = row(home, 1, QStringLiteral("zdPJBH"));
        QCOMPARE(after.value("CtlFontSize").toString(), QStringLiteral("14"));
        QCOMPARE(after.value("Bold").toString(), QStringLiteral("1"));
        QCOMPARE(after.value("CtlX").toString(), QStringLiteral("777"));
        QCOMPARE(after.value("InitValue").toString(), QStringLiteral("O'Brien"));
        // Everything but the box, the default value and what was changed meanwhile is as it was.
        for (const char* f : {"SrcX", "SrcY", "SrcW", "SrcH", "CtlFontSize", "Bold", "CtlX", "InitValue"}) {
            after.remove(QLatin1String(f));
            before.remove(QLatin1String(f));
        }
        QCOMPARE(after, before);
        QCOMPARE(store.changedTemplates(), QSet<int>({1}));
    }

    // The visibility pair follows the hide switch only when the clerk flipped it.
    void visibility_data() {
        QTest::addColumn<int>("storedShow");
        QTest::addColumn<int>("storedPrint");
        QTest::addColumn<bool>("hidden");
        QTest::addColumn<QString>("show");
        QTest::addColumn<QString>("print");
        QTest::newRow("hide") << 1 << 1 << true << "0"
                              << "0";
        QTest::newRow("show again") << 0 << 0 << false << "1"
                                    << "1";
        QTest::newRow("move a shown, unprinted item") << 1 << 0 << false << "1"
                                                      << "0";
        QTest::newRow("move a hidden, printed item") << 0 << 1 << true << "0"
                                                     << "1";
    }
    void visibility() {
        QFETCH(int, storedShow);
        QFETCH(int, storedPrint);
        QFETCH(bool, hidden);
        TestHome home;
        home.db().exec(QStringLiteral("update ckControl set NeedShow=:s,NeedPrint=:p where CheckTypeID=1 and "
                                      "CtlName='zdPJBH'"),
                       {{QStringLiteral("s"), storedShow}, {QStringLiteral("p"), storedPrint}});
        FormStore store(home.app());
        store.saveItem(1, item(QStringLiteral("zdPJBH")), {40, 40, 50, 18, hidden, {}}, QString());
        const QVariantMap after = row(home, 1, QStringLiteral("zdPJBH"));
        QTEST(after.value("NeedShow").toString(), "show");
        QTEST(after.value("NeedPrint").toString(), "print");
    }

    // A missing row is made from the values handed in, typed and captioned by the item.
    void missingRowIsCreated_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("storedCaption");
        QTest::newRow("text") << "zdPJBH"
                              << "票据编号"
                              << "TEXT"
                              << "票据编号";
        QTest::newRow("tick") << "DEFCHECK1"
                              << "勾选-月结"
                              << "CHECKBOX"
                              << "勾选-月结";
        QTest::newRow("line without label") << "zdLine3"
                                            << ""
                                            << "LINE"
                                            << "NULL";
    }
    void missingRowIsCreated() {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        TestHome home;
        home.db().exec(QStringLiteral("delete from ckControl where CheckTypeID=2 and ucase(CtlName)=:n"),
                       {{QStringLiteral("n"), name.toUpper()}});
        FormStore store(home.app());
        QCOMPARE(store.saveItem(2, item(name), {0, 0, 60, 20, true, {}}, caption).outcome,
                 FormStore::Outcome::Inserted);
        const QVariantMap r = row(home, 2, name);
        QCOMPARE(r.value("CtlName").toString(), name.toUpper());
        QTEST(r.value("CtlType").toString(), "type");
        QTEST(r.value("CtlCName").toString(), "storedCaption");
        QCOMPARE(r.value("SrcW").toString() + QLatin1Char('x') + r.value("SrcH").toString(),
                 QStringLiteral("60x20"));
        QCOMPARE(r.value("NeedShow").toString(), QStringLiteral("0"));
    }

    void duplicateRowsBlockSaving() {
        TestHome home;
        home.db().exec(
            QStringLiteral("insert into ckControl (CheckTypeID,CtlName,SrcX) values (1,'ZDPJBH',1)"));
        FormStore store(home.app());
        const QVariantMap before = row(home, 1, QStringLiteral("zdPJBH"));
        QCOMPARE(store.saveItem(1, item(QStringLiteral("zdPJBH")), {99, 99, 9, 9, true, {}}, {}).outcome,
                 FormStore::Outcome::Duplicate);
        QCOMPARE(row(home, 1, QStringLiteral("zdPJBH")), before);
        QVERIFY(store.changedTemplates().isEmpty());
    }

    // Every template saved to gets its cache rebuilt, not only the last one.
    void cachesOfEveryChangedTemplate() {
        TestHome home;
        FormStore store(home.app());
        home.app().templates().buildCheckIniFile(1);
        home.app().templates().buildCheckIniFile(2);
        store.saveItem(1, item(QStringLiteral("zdPJBH")), {123, 45, 80, 18, false, {}}, {});
        store.saveItem(2, item(QStringLiteral("zdPJBH")), {321, 54, 80, 18, false, {}}, {});
        store.rebuildCaches();
        for (const auto& [id, x] : {std::pair{1, 123}, std::pair{2, 321}}) {
            core::IniFile ini(home.app().templates().cacheFilePath(id));
            QCOMPARE(ini.readString(QStringLiteral("viewx"), QStringLiteral("ZDPJBH.x")), QString::number(x));
        }
        QVERIFY(store.changedTemplates().isEmpty());
    }

    void loadsItemsAndLayouts() {
        TestHome home;
        FormStore store(home.app());
        const QList<FormItem> items = store.loadItems(QStringLiteral("出货单"));
        // 181 fields and the tool-bar button 批量打印, which the shipped layouts list too.
        QCOMPARE(items.size(), 182);
        QVERIFY(items.first().name == items.first().name.toUpper());
        const QHash<QString, FormLayout> layouts = store.loadLayouts(1);
        QVERIFY(layouts.contains(QStringLiteral("ZDPJBH")));
        QVERIFY(!store.loadLayout(1, QStringLiteral("nosuchitem")));
        QCOMPARE(store.initialTemplate(0), 1); // the default of the default kind
        home.app().currentCheckTypeId = 2;
        QCOMPARE(store.initialTemplate(0), 2);
        QCOMPARE(store.initialTemplate(1), 1);
    }
};

OVERPRINT_TEST(TestFormStore)
#include "TestFormStore.moc"
