#include "core/ui/DataGrid.h"
#include "core/ui/GridServices.h"
#include "masterdata/ProductStore.h"
#include "masterdata/TIdType.h"
#include "masterdata/ui/TfrmNoConfig.h"
#include "masterdata/ui/Tfrm_GoodInfo.h"
#include "masterdata/ui/Tfrm_GoodsManage.h"

#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTreeWidget>

using masterdata::ui::Tfrm_GoodInfo;
using masterdata::ui::Tfrm_GoodsManage;
using masterdata::ui::TfrmNoConfig;

namespace {

template <typename T> T* child(QWidget& window, const char* name) {
    T* w = window.findChild<T*>(QLatin1String(name));
    if (!w)
        qFatal("no control %s", name);
    return w;
}

int productCount(TestHome& home) {
    return home.db().scalar(QStringLiteral("select count(*) from Products")).toInt();
}

// Key presses carrying any text, Chinese included (keyClicks takes ASCII only).
void typeText(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        QTest::sendKeyEvent(QTest::Press, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

void typeInto(QLineEdit* edit, const QString& text) {
    edit->clear();
    typeText(edit, text);
}

} // namespace

class TestGoodsWindows : public QObject {
    Q_OBJECT
private slots:
    void numberRuleWindow_data() {
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<int>("digits");
        QTest::addColumn<QString>("counter");
        QTest::addColumn<QString>("example");
        QTest::addColumn<QString>("next");
        QTest::newRow("FH") << QStringLiteral("FH") << 6 << QStringLiteral("99") << QStringLiteral("FH000099")
                            << QStringLiteral("FH000100");
        QTest::newRow("no prefix, counter outgrows")
            << QString() << 4 << QStringLiteral("9999") << QStringLiteral("9999") << QStringLiteral("10000");
    }
    void numberRuleWindow() {
        QFETCH(QString, prefix);
        QFETCH(int, digits);
        QFETCH(QString, counter);
        QFETCH(QString, example);
        QFETCH(QString, next);
        TestHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        home.db().exec(QStringLiteral("delete from IDBuilder"));
        TfrmNoConfig window(home.app(), 5);
        window.show();
        QCOMPARE(child<QSpinBox>(window, "zdWidth")->value(), 8);
        QCOMPARE(child<QLabel>(window, "lbExample")->text(), QStringLiteral("00000000"));
        typeInto(child<QLineEdit>(window, "zdhead"), prefix);
        child<QSpinBox>(window, "zdWidth")->setValue(digits);
        typeInto(child<QLineEdit>(window, "zdInitNO"), counter);
        QCOMPARE(child<QLabel>(window, "lbExample")->text(), example);
        QTest::mouseClick(child<QPushButton>(window, "btSave"), Qt::LeftButton);
        QCOMPARE(home.dialogs().lastText(), QStringLiteral("保存设置成功！"));
        // A second save updates the same series.
        QTest::mouseClick(child<QPushButton>(window, "btSave"), Qt::LeftButton);
        QCOMPARE(home.db().scalar(QStringLiteral("select count(*) from IDBuilder")).toInt(), 1);
        QCOMPARE(masterdata::TIdType::nextNumber(QStringLiteral("S"), 5, home.db()), next);

        TfrmNoConfig again(home.app(), 5);
        again.show();
        QCOMPARE(child<QLineEdit>(again, "zdhead")->text(), prefix);
        QCOMPARE(child<QSpinBox>(again, "zdWidth")->value(), digits);
        // Handing a number out does not use it up: the stored counter is still the one set.
        QCOMPARE(child<QLineEdit>(again, "zdInitNO")->text(), counter);
    }

    void productFormTyping() {
        TestHome home;
        home.db().exec(QStringLiteral("delete from Products"));
        Tfrm_GoodInfo form(home.app());
        form.show();
        typeText(child<QLineEdit>(form, "edtName"), QStringLiteral("联想电脑"));
        QCOMPARE(child<QLineEdit>(form, "edtInputCode")->text(), QStringLiteral("LXDN"));
        typeText(child<QLineEdit>(form, "edtPrice"), QStringLiteral("1a2.-5"));
        QCOMPARE(child<QLineEdit>(form, "edtPrice")->text(), QStringLiteral("12.5"));
        // Enter walks 货号 → 商品名 → 拼音简码 → 品牌型号.
        QLineEdit* identy = child<QLineEdit>(form, "edtIdenty");
        identy->setFocus();
        QApplication::setActiveWindow(&form);
        QTest::keyClick(identy, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), child<QLineEdit>(form, "edtName"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), child<QLineEdit>(form, "edtBrand"));
        // An empty catalogue offers the standard units.
        QCOMPARE(child<QComboBox>(form, "cbUnit")->count(), 6);
    }

    void productFormSave_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("identy");
        QTest::addColumn<int>("rowsAfterTwoSaves");
        QTest::addColumn<QString>("lastMessage");
        QTest::newRow("without article number") << QStringLiteral("笔记本") << QString() << 2 << QString();
        QTest::newRow("with article number") << QStringLiteral("O'Brien 笔") << QStringLiteral("BG-1") << 1
                                             << QStringLiteral("货号必须唯一，已经存在商品货号:BG-1");
        QTest::newRow("blank name") << QStringLiteral("  ") << QString() << 0
                                    << QStringLiteral("商品名不能为空！");
    }
    void productFormSave() {
        QFETCH(QString, name);
        QFETCH(QString, identy);
        QFETCH(int, rowsAfterTwoSaves);
        QFETCH(QString, lastMessage);
        TestHome home;
        home.db().exec(QStringLiteral("delete from Products"));
        Tfrm_GoodInfo form(home.app());
        int saved = 0;
        form.setOnSaved([&saved] { ++saved; });
        form.show();
        typeText(child<QLineEdit>(form, "edtName"), name);
        typeText(child<QLineEdit>(form, "edtIdenty"), identy);
        QTest::mouseClick(child<QPushButton>(form, "btSave"), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>(form, "btSave"), Qt::LeftButton);
        QCOMPARE(productCount(home), rowsAfterTwoSaves);
        QCOMPARE(saved, rowsAfterTwoSaves);
        QCOMPARE(home.dialogs().lastText(), lastMessage);
        if (rowsAfterTwoSaves > 0) {
            QCOMPARE(child<QLineEdit>(form, "edtPrice")->text(), QStringLiteral("0.00"));
            QCOMPARE(home.db().scalar(QStringLiteral("select 简码 from Products")).toString().isEmpty(),
                     false);
        }
    }

    // The length limits bind typing only; values put in by the program are never cut.
    void productFormLengthLimits_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<int>("limit");
        QTest::newRow("拼音简码") << QStringLiteral("edtInputCode") << 12;
        QTest::newRow("其他备注") << QStringLiteral("edtRemark") << 100;
    }
    void productFormLengthLimits() {
        QFETCH(QString, box);
        QFETCH(int, limit);
        TestHome home;
        Tfrm_GoodInfo form(home.app());
        form.show();
        QLineEdit* edit = child<QLineEdit>(form, qPrintable(box));
        typeText(edit, QString(limit + 3, QLatin1Char('x')));
        QCOMPARE(edit->text(), QString(limit, QLatin1Char('x')));

        masterdata::Product stored;
        stored.name = QStringLiteral("联想电脑");
        stored.inputCode = QString(150, QLatin1Char('c'));
        stored.remark = QString(150, QLatin1Char('r'));
        form.setProduct(stored);
        const QString loaded = edit->text();
        QCOMPARE(loaded.size(), 150);
        // A loaded long text may be shortened, never lengthened.
        typeText(edit, QStringLiteral("y"));
        QCOMPARE(edit->text(), loaded);
        QTest::keyClick(edit, Qt::Key_Backspace);
        typeText(edit, QStringLiteral("y"));
        QCOMPARE(edit->text(), loaded.left(149));
        // Emptied, the box takes the limit again.
        QTest::mouseClick(child<QPushButton>(form, "btEmpty"), Qt::LeftButton);
        typeText(edit, QString(limit + 1, QLatin1Char('z')));
        QCOMPARE(edit->text().size(), limit);
    }

    void productFormKeepsLongStoredValues() {
        TestHome home;
        home.db().exec(QStringLiteral("delete from Products"));
        masterdata::ProductStore store(home.db());
        const QString name = QStringLiteral("联想电脑笔记本").repeated(3);
        const QString remark = QStringLiteral("0123456789备注ABC").repeated(10);
        masterdata::Product imported;
        imported.name = name;
        imported.inputCode = QStringLiteral("LXDNBJB").repeated(3);
        imported.remark = remark;
        store.save(imported);
        QCOMPARE(remark.size(), 150);

        Tfrm_GoodInfo form(home.app());
        form.show();
        form.setProduct(store.load(imported.id));
        QTest::mouseClick(child<QPushButton>(form, "btSave"), Qt::LeftButton);
        const masterdata::Product saved = store.load(imported.id);
        QCOMPARE(saved.name, name);
        QCOMPARE(saved.inputCode, imported.inputCode);
        QCOMPARE(saved.remark, remark);

        // A long name typed into a new form gets its whole code.
        Tfrm_GoodInfo fresh(home.app());
        fresh.show();
        typeText(child<QLineEdit>(fresh, "edtName"), name);
        QTest::mouseClick(child<QPushButton>(fresh, "btSave"), Qt::LeftButton);
        QCOMPARE(productCount(home), 2);
        QCOMPARE(home.db()
                     .scalar(QStringLiteral("select 简码 from Products where ID<>:id"),
                             {{QStringLiteral("id"), imported.id}})
                     .toString(),
                 QStringLiteral("LXDNBJB").repeated(3));
    }

    void catalogueQueries() {
        TestHome home;
        core::ui::GridServices grids(home.app());
        Tfrm_GoodsManage window(home.app(), grids);
        window.show();
        const int all = productCount(home);
        QVERIFY(all > 0);
        QCOMPARE(window.windowTitle(), QStringLiteral("商品分类管理 (%1)").arg(all));
        QCOMPARE(window.grid().rowCount(), all);

        QLineEdit* key = child<QLineEdit>(window, "KeyEdit");
        typeText(key, QStringLiteral("打印"));
        QTest::keyClick(key, Qt::Key_Return);
        const int printing =
            home.db()
                .scalar(QStringLiteral(
                    "select count(*) from Products where 商品名 like '%打印%' or 规格 like '%打印%'"))
                .toInt();
        QCOMPARE(window.grid().rowCount(), printing);

        QTreeWidget* tree = child<QTreeWidget>(window, "tvClass");
        QTreeWidgetItem* root = tree->topLevelItem(0);
        QVERIFY(root && root->childCount() > 0);
        const QString firstClass = root->child(0)->text(0);
        key->clear();
        const QRect at = tree->visualItemRect(root->child(0));
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at.center());
        QCOMPARE(child<QLineEdit>(window, "edtPath")->text(), QStringLiteral("全部分类\\") + firstClass);
        QCOMPARE(window.grid().rowCount(),
                 home.db()
                     .scalar(QStringLiteral("select count(*) from Products where 分类=:c"),
                             {{QStringLiteral("c"), firstClass}})
                     .toInt());

        QTest::mouseClick(child<QPushButton>(window, "btSelAll"), Qt::LeftButton);
        QCOMPARE(window.windowTitle(), QStringLiteral("商品分类管理(%1)").arg(all));
    }

    void catalogueDelete_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("removed");
        QTest::newRow("yes") << 1 << 2;
        QTest::newRow("no") << 0 << 0;
    }
    void catalogueDelete() {
        QFETCH(int, answer);
        QFETCH(int, removed);
        TestHome home;
        core::ui::GridServices grids(home.app());
        Tfrm_GoodsManage window(home.app(), grids);
        window.show();
        const int all = productCount(home);
        window.grid().selectRow(0);
        window.grid().selectionModel()->select(window.grid().model()->index(1, 0),
                                               QItemSelectionModel::Select | QItemSelectionModel::Rows);
        home.dialogs().answers.enqueue(answer);
        QTest::mouseClick(child<QPushButton>(window, "btDelete"), Qt::LeftButton);
        QCOMPARE(home.dialogs().shown.first().text, QStringLiteral("真的要删除选中的商品信息吗?"));
        QCOMPARE(productCount(home), all - removed);
        QCOMPARE(window.grid().rowCount(), all - removed);
    }

    void catalogueImport_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("added");
        QTest::addColumn<bool>("startEnabled");
        QTest::newRow("workbook") << QStringLiteral("masterdata-products.xlsx")
                                  << QStringLiteral("导入完成，共有 6 条导入成功！") << 6 << true;
        QTest::newRow("not a spreadsheet")
            << QStringLiteral("masterdata-notasheet.xls")
            << QStringLiteral("不能打开Excel文件，确认Excel软件已经安装并可用！") << 0 << true;
        QTest::newRow("truncated workbook")
            << QStringLiteral("masterdata-truncated.xlsx")
            << QStringLiteral("不能打开Excel文件，确认Excel软件已经安装并可用！") << 0 << true;
        QTest::newRow("titles without 商品名")
            << QStringLiteral("masterdata-wrongheader.csv")
            << QStringLiteral("验证数据文件失败，文档的第一行必须含有列：\n商品名,规格,单价") << 0 << false;
    }
    void catalogueImport() {
        QFETCH(QString, file);
        QFETCH(QString, message);
        QFETCH(int, added);
        QFETCH(bool, startEnabled);
        TestHome home;
        home.db().exec(QStringLiteral("delete from Products"));
        core::ui::GridServices grids(home.app());
        Tfrm_GoodsManage window(home.app(), grids);
        window.show();
        window.nImportGoodsClick();
        QVERIFY(child<QFrame>(window, "pnlImport")->isVisible());
        QCOMPARE(child<QLabel>(window, "lbState")->text(), QStringLiteral("导入准备就绪！"));
        home.dialogs().files.enqueue(TestHome::testData(file));
        QTest::mouseClick(child<QPushButton>(window, "btBrowse"), Qt::LeftButton);
        QPushButton* start = child<QPushButton>(window, "btStartImport");
        QVERIFY(start->isEnabled());
        QTest::mouseClick(start, Qt::LeftButton);
        // A workbook that cannot be read names the reader's reason after the usual text.
        QVERIFY2(home.dialogs().lastText().startsWith(message), qPrintable(home.dialogs().lastText()));
        QCOMPARE(productCount(home), added);
        QCOMPARE(window.grid().rowCount(), added);
        QCOMPARE(start->isEnabled(), startEnabled);
        if (added > 0) {
            QCOMPARE(home.dialogs().shown.last().caption, QStringLiteral("导入结束"));
            // The same sheet again: every row is already there.
            QTest::mouseClick(start, Qt::LeftButton);
            QCOMPARE(home.dialogs().lastText(),
                     QStringLiteral("导入完成，共有 0 条导入成功！ 其中跳过了6 条已经存在的记录！"));
            QCOMPARE(productCount(home), added);
        }
        QTest::mouseClick(child<QPushButton>(window, "btFinish"), Qt::LeftButton);
        QVERIFY(!child<QFrame>(window, "pnlImport")->isVisible());
    }

    // Damaged or hostile workbooks: each is refused (or found to lack the titles) with a message,
    // nothing is imported, and the window can import a good file right after.
    void catalogueImportHostile_data() {
        QTest::addColumn<QString>("file");
        const QDir dir(TestHome::testData(QStringLiteral("hostile")));
        for (const QString& name : dir.entryList(QDir::Files, QDir::Name))
            QTest::newRow(qPrintable(name)) << QStringLiteral("hostile/") + name;
    }
    void catalogueImportHostile() {
        QFETCH(QString, file);
        TestHome home;
        home.db().exec(QStringLiteral("delete from Products"));
        core::ui::GridServices grids(home.app());
        Tfrm_GoodsManage window(home.app(), grids);
        window.show();
        window.nImportGoodsClick();
        for (const QString& name : {file, QStringLiteral("masterdata-products.xlsx")}) {
            home.dialogs().files.enqueue(TestHome::testData(name));
            QTest::mouseClick(child<QPushButton>(window, "btBrowse"), Qt::LeftButton);
            QTest::mouseClick(child<QPushButton>(window, "btStartImport"), Qt::LeftButton);
            if (name == file) {
                QVERIFY(!home.dialogs().shown.isEmpty());
                QCOMPARE(productCount(home), 0);
            }
        }
        QCOMPARE(home.dialogs().lastText(), QStringLiteral("导入完成，共有 6 条导入成功！"));
    }

    void catalogueImportCommitFails() {
        TestHome home;
        home.db().exec(QStringLiteral("delete from Products"));
        home.db().exec(QStringLiteral("insert into Products (商品名,规格,单价) values ('旧货','X','1')"));
        // A deferred foreign key is checked at commit only: every insert succeeds, the commit fails.
        home.db().exec(QStringLiteral("PRAGMA foreign_keys=ON"));
        home.db().exec(QStringLiteral("create table ImportParent (id integer primary key)"));
        home.db().exec(QStringLiteral("create table ImportOrphan (pid integer references ImportParent(id) "
                                      "deferrable initially deferred)"));
        home.db().exec(QStringLiteral("create trigger orphan after insert on Products begin "
                                      "insert into ImportOrphan values (-1); end"));
        core::ui::GridServices grids(home.app());
        Tfrm_GoodsManage window(home.app(), grids);
        window.show();
        window.nImportGoodsClick();
        home.dialogs().files.enqueue(TestHome::testData(QStringLiteral("masterdata-products.xlsx")));
        QTest::mouseClick(child<QPushButton>(window, "btBrowse"), Qt::LeftButton);
        home.dialogs().clear();
        QTest::mouseClick(child<QPushButton>(window, "btStartImport"), Qt::LeftButton);

        QCOMPARE(productCount(home), 1);
        QCOMPARE(home.db().scalar(QStringLiteral("select count(*) from ImportOrphan")).toInt(), 0);
        QCOMPARE(window.grid().rowCount(), 1);
        const QVector<core::ScriptedDialogs::Shown>& shown = home.dialogs().shown;
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown.at(0).kind, QStringLiteral("error"));
        QVERIFY2(shown.at(0).text.startsWith(QStringLiteral("Error:")) && shown.at(0).text.size() > 6,
                 qPrintable(shown.at(0).text));
        const QString summary = QStringLiteral("导入完成，共有 0 条导入成功！");
        QCOMPARE(shown.at(1).text, summary);
        QCOMPARE(shown.at(1).caption, QStringLiteral("导入结束"));
        QCOMPARE(child<QLabel>(window, "lbState")->text(), summary);
    }

    // Shows the catalogue with imported products for a screen capture; runs only when asked.
    void screenshot() {
        const int wait = qEnvironmentVariableIntValue("OVERPRINT_SCREENSHOT_MS");
        if (wait <= 0)
            QSKIP("set OVERPRINT_SCREENSHOT_MS to show the window for a capture");
        TestHome home;
        core::ui::GridServices grids(home.app());
        Tfrm_GoodsManage window(home.app(), grids);
        window.show();
        window.nImportGoodsClick();
        home.dialogs().files.enqueue(TestHome::testData(QStringLiteral("masterdata-products.xlsx")));
        QTest::mouseClick(child<QPushButton>(window, "btBrowse"), Qt::LeftButton);
        child<QRadioButton>(window, "rbNameOnly")->setChecked(true);
        QTest::mouseClick(child<QPushButton>(window, "btStartImport"), Qt::LeftButton);
        window.grid().selectRow(1);
        window.move(0, 0);
        QTest::qWait(wait);
    }
};

OVERPRINT_TEST(TestGoodsWindows)
#include "TestGoodsWindows.moc"
