#include "support/TestHome.h"
#include "support/TestRegistry.h"
#include "support/Typing.h"

#include "core/Lookups.h"
#include "core/ui/DataGrid.h"
#include "entry/BillMoney.h"
#include "masterdata/DictionaryStore.h"
#include "masterdata/ui/Tfm_DMConfig.h"
#include "masterdata/ui/TfrmCom.h"
#include "masterdata/ui/TfrmSsSet.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

using masterdata::ui::Tfm_DMConfig;
using masterdata::ui::TfrmCom;
using masterdata::ui::TfrmSsSet;

namespace {

template <typename T> T* child(QWidget& window, const char* name) {
    T* w = window.findChild<T*>(QLatin1String(name));
    if (!w)
        qFatal("no control %s", name);
    return w;
}

void press(QWidget& window, const char* button) {
    QTest::mouseClick(child<QPushButton>(window, button), Qt::LeftButton);
}

QStringList listed(QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

QStringList column(TestHome& home, const QString& sql, const QVariantMap& params = {}) {
    core::Recordset rows = home.db().query(sql, params);
    QStringList out;
    for (rows.first(); !rows.eof(); rows.next())
        out << rows.text(0);
    return out;
}

void addDictionaryRow(TestHome& home, int id, const QString& name, const QString& value) {
    home.db().exec(QStringLiteral("insert into DMTable (CheckTypeId,DMName,DMValue) values(:id,:n,:v)"),
                   {{QStringLiteral("id"), id}, {QStringLiteral("n"), name}, {QStringLiteral("v"), value}});
}

QStringList gridValues(Tfm_DMConfig& window) {
    QStringList out;
    for (int i = 0; i < window.grid().rowCount(); ++i)
        out << window.grid().value(i, QStringLiteral("字典内容")).toString() + QLatin1Char('@') +
                   window.grid().value(i, QStringLiteral("单据号")).toString();
    return out;
}

void selectCity(TfrmSsSet& window, const QString& city) {
    auto* list = child<QListWidget>(window, "lstS");
    const auto found = list->findItems(QLatin1Char(' ') + city, Qt::MatchExactly);
    QVERIFY(!found.isEmpty());
    list->setCurrentItem(found.first());
    window.lstSClick();
}

} // namespace

class TestReferenceWindows : public QObject {
    Q_OBJECT
private slots:
    void dictionaryNamesPerTemplate() {
        TestHome home;
        addDictionaryRow(home, 0, QStringLiteral("开票人"), QStringLiteral("张三"));
        addDictionaryRow(home, 0, QStringLiteral("cfgX"), QStringLiteral("1"));
        addDictionaryRow(home, 2, QStringLiteral("CFGy"), QStringLiteral("1"));
        // Template 2 has no names of its own (its one row is a setting): the common names show.
        Tfm_DMConfig window(home.app(), 2);
        QCOMPARE(window.templateId(), 2);
        QCOMPARE(window.windowTitle(), QStringLiteral("字典设置-出货单（三联241）(单据号=2)"));
        auto* names = child<QListWidget>(window, "listBoxNames");
        QVERIFY(listed(names).contains(QStringLiteral("开票人")));
        QVERIFY(listed(names).contains(QStringLiteral("计量单位")));
        QVERIFY(!listed(names).join(QLatin1Char(',')).contains(QStringLiteral("cfg"), Qt::CaseInsensitive));
        QCOMPARE(names->currentRow(), 0);

        // A name added there belongs to that template alone, and then only its own names show.
        child<QComboBox>(window, "edtNewName")->setEditText(QStringLiteral("  始发站 "));
        press(window, "btAddName");
        QCOMPARE(
            column(home, QStringLiteral("select CheckTypeId||DMValue from DMTable where DMName='始发站'")),
            QStringList{QStringLiteral("2<空>")});
        QCOMPARE(listed(names), QStringList{QStringLiteral("始发站")});
        child<QComboBox>(window, "edtNewName")->setEditText(QStringLiteral("始发站"));
        press(window, "btAddName");
        QCOMPARE(home.dialogs().lastText(), QStringLiteral("字典项目【始发站】已经存在"));

        // The common list, and no setting among the names anywhere.
        child<QComboBox>(window, "Co_CheckType")->setCurrentIndex(0);
        QCOMPARE(window.templateId(), 0);
        QVERIFY(!listed(names).join(QLatin1Char(',')).contains(QStringLiteral("cfg"), Qt::CaseInsensitive));
    }

    void settingNamesRefused_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("lower") << "cfgPrint";
        QTest::newRow("upper") << "CFGprint";
        QTest::newRow("blank first") << "  Cfg";
    }
    void settingNamesRefused() {
        QFETCH(QString, name);
        TestHome home;
        Tfm_DMConfig window(home.app(), 0);
        const int before = home.db().scalar(QStringLiteral("select count(*) from DMTable")).toInt();
        child<QComboBox>(window, "edtNewName")->setEditText(name);
        press(window, "btAddName");
        QVERIFY(home.dialogs().lastText().contains(QStringLiteral("cfg")));
        QCOMPARE(home.db().scalar(QStringLiteral("select count(*) from DMTable")).toInt(), before);
        child<QComboBox>(window, "edtNewName")->setEditText(QStringLiteral("  "));
        press(window, "btAddName");
        QCOMPARE(home.dialogs().lastText(), QStringLiteral("请输入字典名称"));
    }

    void dictionaryValuesAndCommonTick() {
        TestHome home;
        addDictionaryRow(home, 0, QStringLiteral("用途"), QStringLiteral("公用"));
        addDictionaryRow(home, 1, QStringLiteral("用途"), QStringLiteral("O'Brien 5%_x"));
        Tfm_DMConfig window(home.app(), 1);
        auto* names = child<QListWidget>(window, "listBoxNames");
        names->setCurrentItem(names->findItems(QStringLiteral("用途"), Qt::MatchExactly).first());
        window.listBoxNamesClick();
        QCOMPARE(child<QLabel>(window, "lbValues")->text(),
                 QStringLiteral("3、[用途]已有字典内容：(\"单据号=0\"表示公用内容)"));
        QCOMPARE(gridValues(window),
                 (QStringList{QStringLiteral("O'Brien 5%_x@1"), QStringLiteral("公用@0")}));
        QVERIFY(window.grid().isColumnHidden(window.grid().fieldIndex(QStringLiteral("ID"))));
        QCOMPARE(window.grid().columnWidth(window.grid().fieldIndex(QStringLiteral("字典内容"))), 290);
        child<QCheckBox>(window, "ckShowCommon")->setChecked(false);
        QCOMPARE(gridValues(window), QStringList{QStringLiteral("O'Brien 5%_x@1")});
    }

    // "+添加" then typing and "保存并刷新"; editing a stored value through its alias.
    void dictionaryAppendAndEdit() {
        TestHome home;
        for (int i = 0; i < 300; ++i)
            addDictionaryRow(home, 0, QStringLiteral("物品内容"),
                             QStringLiteral("物品%1").arg(i, 3, 10, QLatin1Char('0')));
        Tfm_DMConfig window(home.app(), 2);
        window.show();
        auto* names = child<QListWidget>(window, "listBoxNames");
        names->setCurrentItem(names->findItems(QStringLiteral("物品内容"), Qt::MatchExactly).first());
        window.listBoxNamesClick();
        QCOMPARE(window.grid().rowCount(), 300);
        press(window, "btAppend");
        QCOMPARE(window.grid().rowCount(), 301);
        auto* editor = window.grid().viewport()->findChild<QLineEdit*>();
        QVERIFY(editor);
        editor->selectAll();
        typeText(editor, QStringLiteral("'引号'"));
        press(window, "btSave");
        QCOMPARE(column(home, QStringLiteral("select CheckTypeId from DMTable where DMValue=:v"),
                        {{QStringLiteral("v"), QStringLiteral("'引号'")}}),
                 QStringList{QStringLiteral("2")});
        QCOMPARE(window.grid().rowCount(), 301);
        // On stored rows the template column is locked.
        const QModelIndex id =
            window.grid().model()->index(300, window.grid().fieldIndex(QStringLiteral("单据号")));
        QVERIFY(!(window.grid().model()->flags(id) & Qt::ItemIsEditable));
    }

    void dictionaryDelete() {
        TestHome home;
        addDictionaryRow(home, 2, QStringLiteral("产地"), QStringLiteral("本地"));
        Tfm_DMConfig window(home.app(), 2);
        auto* names = child<QListWidget>(window, "listBoxNames");
        QCOMPARE(listed(names), QStringList{QStringLiteral("产地")});
        window.grid().setCurrentRow(0);
        home.dialogs().answers.enqueue(0);
        press(window, "btDelete");
        QCOMPARE(home.dialogs().lastText(), QStringLiteral("确认删除字典项目吗？"));
        QCOMPARE(window.grid().rowCount(), 1);
        home.dialogs().answers.enqueue(1);
        press(window, "btDelete");
        QCOMPARE(home.db().scalar(QStringLiteral("select count(*) from DMTable where DMName='产地'")).toInt(),
                 0);
        // The last value gone, the names are read again: the template falls back to the common ones.
        QVERIFY(listed(names).contains(QStringLiteral("计量单位")));
        QVERIFY(!listed(names).contains(QStringLiteral("产地")));
    }

    void regionAddTwiceAndBoundValues() {
        TestHome home;
        TfrmSsSet window(home.app());
        window.show();
        press(window, "btAdd");
        QVERIFY(!child<QComboBox>(window, "CoS")->isEnabled());
        child<QLineEdit>(window, "edtProvince")->setText(QStringLiteral(" 广东 "));
        child<QLineEdit>(window, "edtCity")->setText(QStringLiteral("深圳'南山"));
        press(window, "btOk");
        QCOMPARE(home.dialogs().lastText(), QStringLiteral("\"广东--深圳'南山\"代码添加成功！"));
        QVERIFY(child<QComboBox>(window, "CoS")->isEnabled());
        press(window, "btAdd");
        child<QLineEdit>(window, "edtProvince")->setText(QStringLiteral("广东"));
        child<QLineEdit>(window, "edtCity")->setText(QStringLiteral("深圳'南山"));
        press(window, "btOk");
        QCOMPARE(home.dialogs().lastText(), QStringLiteral("\"广东--深圳'南山\" 已经存在，不需要添加！"));
        QCOMPARE(home.dialogs().shown.last().caption, QStringLiteral("提示"));
        child<QLineEdit>(window, "edtCity")->clear();
        press(window, "btOk");
        QCOMPARE(home.dialogs().lastText(), QStringLiteral("省和市输入不能为空！"));
        press(window, "btCancel");
        QCOMPARE(home.db()
                     .scalar(QStringLiteral("select count(*) from DMTable2 where 二级代码=:c"),
                             {{QStringLiteral("c"), QStringLiteral("深圳'南山")}})
                     .toInt(),
                 1);
    }

    // Success is what the change did to the table, whatever already stood there.
    void regionModifyAndDeleteByRowsAffected() {
        TestHome home;
        for (const QString& city : {QStringLiteral("甲市"), QStringLiteral("乙市")})
            home.db().exec(
                QStringLiteral("insert into DMTable2 (类型,一级代码,二级代码) values('省市','测试省',:c)"),
                {{QStringLiteral("c"), city}});
        TfrmSsSet window(home.app());
        window.show();
        auto* provinces = child<QComboBox>(window, "CoS");
        provinces->setCurrentIndex(provinces->findText(QStringLiteral("测试省")));
        QCOMPARE(listed(child<QListWidget>(window, "lstS")),
                 (QStringList{QStringLiteral(" 乙市"), QStringLiteral(" 甲市")}));

        press(window, "btModify");
        QCOMPARE(home.dialogs().lastText(), QStringLiteral("请先选中要修改的市(县)！"));
        selectCity(window, QStringLiteral("甲市"));
        QCOMPARE(child<QLabel>(window, "lbSelected")->text(), QStringLiteral("甲市"));
        press(window, "btModify");
        // Someone else renamed it meanwhile: the new pair exists, but nothing was changed here.
        home.db().exec(QStringLiteral("update DMTable2 set 二级代码='乙市' where 二级代码='甲市'"));
        child<QLineEdit>(window, "edtCity")->setText(QStringLiteral("乙市"));
        press(window, "btOk");
        QCOMPARE(home.dialogs().lastText(), QStringLiteral("修改失败！"));

        window.CoSChange();
        selectCity(window, QStringLiteral("乙市"));
        press(window, "btModify");
        child<QLineEdit>(window, "edtCity")->setText(QStringLiteral("丙市"));
        press(window, "btOk");
        QCOMPARE(home.dialogs().lastText(), QStringLiteral("修改成功！"));
        QCOMPARE(provinces->currentText(), QStringLiteral("测试省"));

        // No city selected: only blank cities of the shown province would go, and there are none.
        home.dialogs().answers.enqueue(1);
        press(window, "btDelete");
        QCOMPARE(home.dialogs().shown.at(home.dialogs().shown.size() - 2).text,
                 QStringLiteral("确认删除\"测试省--\"吗？"));
        QCOMPARE(home.dialogs().lastText(), QStringLiteral("删除失败！"));
        selectCity(window, QStringLiteral("丙市"));
        home.dialogs().answers.enqueue(0);
        press(window, "btDelete");
        QCOMPARE(
            home.db().scalar(QStringLiteral("select count(*) from DMTable2 where 一级代码='测试省'")).toInt(),
            2);
        home.dialogs().answers.enqueue(1);
        press(window, "btDelete");
        QCOMPARE(home.dialogs().lastText(), QStringLiteral("删除成功！"));
        QCOMPARE(
            home.db().scalar(QStringLiteral("select count(*) from DMTable2 where 一级代码='测试省'")).toInt(),
            0);
    }

    void currencyAddChecks_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("caption");
        QTest::newRow("no name") << " "
                                 << "$"
                                 << "请填写要添加的币种名称！"
                                 << "输入不完整";
        QTest::newRow("no code") << "新币"
                                 << ""
                                 << "请填写要添加的币种简码！"
                                 << "输入不完整";
        QTest::newRow("name listed") << "美元"
                                     << "U"
                                     << "币种\"美元\"已经存在！"
                                     << "存在的币种";
        QTest::newRow("code used") << "新币"
                                   << "$"
                                   << "币种简码\"$\"已经存在！"
                                   << "存在的币种简码";
        QTest::newRow("added") << "O'币%_"
                               << "O'"
                               << "新币种添加成功！"
                               << "成功";
    }
    void currencyAddChecks() {
        QFETCH(QString, name);
        QFETCH(QString, code);
        TestHome home;
        TfrmCom window(home.app());
        child<QLineEdit>(window, "ed_bz")->setText(name);
        child<QLineEdit>(window, "ed_jm")->setText(code);
        press(window, "btAdd");
        QTEST(home.dialogs().lastText(), "message");
        QTEST(home.dialogs().shown.last().caption, "caption");
    }

    void currencyOverlongPasteRefused() {
        TestHome home;
        TfrmCom window(home.app());
        auto* name = child<QLineEdit>(window, "ed_bz");
        name->setText(QStringLiteral("人民币"));
        name->selectAll();
        name->insert(QStringLiteral("一二三四五六七八九"));
        QCOMPARE(name->text(), QStringLiteral("人民币"));
        auto* code = child<QLineEdit>(window, "ed_jm");
        code->insert(QStringLiteral("ABCD"));
        QVERIFY(code->text().size() <= 3);
    }

    void currencyDeleteAsksAndModify() {
        TestHome home;
        TfrmCom window(home.app());
        auto* list = child<QComboBox>(window, "cb_biz");
        press(window, "btDelete");
        QCOMPARE(home.dialogs().lastText(), QStringLiteral("请先选中要删除的币种！"));
        list->setCurrentIndex(list->findText(QStringLiteral("英镑")));
        window.cb_bizChange();
        QCOMPARE(child<QLineEdit>(window, "ed_jm")->text(), QStringLiteral("£"));
        home.dialogs().answers.enqueue(0);
        press(window, "btDelete");
        QCOMPARE(home.dialogs().lastText(), QStringLiteral("确认删除币种\"英镑\"吗？"));
        QCOMPARE(core::Lookups(home.app()).getMoneyCodeByName(QStringLiteral("英镑")), QStringLiteral("£"));

        child<QLineEdit>(window, "ed_bz")->setText(QStringLiteral("英镑2"));
        press(window, "btModify");
        QCOMPARE(home.dialogs().lastText(), QStringLiteral("修改不能改变币种名称！"));
        QCOMPARE(child<QLineEdit>(window, "ed_bz")->text(), QStringLiteral("英镑"));
        child<QLineEdit>(window, "ed_jm")->setText(QStringLiteral("L'"));
        press(window, "btModify");
        QCOMPARE(home.dialogs().lastText(), QStringLiteral("币种\"英镑\"修改成功！"));
        QCOMPARE(core::Lookups(home.app()).getMoneyCodeByName(QStringLiteral("英镑")), QStringLiteral("L'"));

        home.dialogs().answers.enqueue(1);
        press(window, "btDelete");
        QCOMPARE(home.dialogs().lastText(), QStringLiteral("币种\"英镑\"删除成功！"));
        QVERIFY(child<QLineEdit>(window, "ed_bz")->text().isEmpty());
        QCOMPARE(list->findText(QStringLiteral("英镑")), -1);
    }

    // A currency added in the window is what the money texts of a note use from then on.
    void addedCurrencyReachesMoneyTexts() {
        TestHome home;
        TfrmCom window(home.app());
        child<QLineEdit>(window, "ed_bz")->setText(QStringLiteral("新元"));
        child<QLineEdit>(window, "ed_jm")->setText(QStringLiteral("S$"));
        press(window, "btAdd");
        QVERIFY(core::Lookups(home.app()).loadMoneyTypeList().contains(QStringLiteral("新元")));
        entry::BillMoney money(
            [&home](const QString& name) { return core::Lookups(home.app()).getMoneyCodeByName(name); });
        money.setMoneyName(QStringLiteral("新元"));
        entry::MoneyOptions options;
        options.currencyAlways = true;
        const entry::TotalTexts texts = money.total(QStringLiteral("12.5"), options, money.moneyCode());
        QVERIFY2(texts.display.startsWith(QStringLiteral("S$")), qPrintable(texts.display));
        QVERIFY2(texts.capitals.startsWith(QStringLiteral("新元")), qPrintable(texts.capitals));
    }
};

OVERPRINT_TEST(TestReferenceWindows)
#include "TestReferenceWindows.moc"
