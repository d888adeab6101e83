#include "core/ui/DataGrid.h"
#include "core/ui/GridServices.h"
#include "masterdata/PersonStore.h"
#include "masterdata/TPerson.h"
#include "masterdata/ui/AddressBook.h"
#include "masterdata/ui/Tfm_PersonManage.h"
#include "masterdata/ui/Tfrm_PersonInfo.h"

#include "support/TestHome.h"
#include "support/TestRegistry.h"
#include "support/Typing.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

using masterdata::PersonStore;
using masterdata::TPerson;
using masterdata::ui::AddressBook;
using masterdata::ui::Tfm_PersonManage;
using masterdata::ui::Tfrm_PersonInfo;

namespace {

struct Unit {
    QString name, contact, phone, province, address, type, group, account;
    int sort = 0;
};

// A fresh address book holding only the rows a test writes.
struct Book {
    TestHome home;
    Book() { home.db().exec(QStringLiteral("delete from CKPersonalInfoTable")); }
    int add(const Unit& u) {
        home.db().exec(
            QStringLiteral("insert into CKPersonalInfoTable (全称,联系人,电话,省,地址,单位类型,分组,"
                           "开户行账号,排序) values (:n,:c,:p,:pr,:a,:t,:g,:acc,:s)"),
            {{QStringLiteral("n"), u.name},
             {QStringLiteral("c"), u.contact},
             {QStringLiteral("p"), u.phone},
             {QStringLiteral("pr"), u.province},
             {QStringLiteral("a"), u.address},
             {QStringLiteral("t"), u.type},
             {QStringLiteral("g"), u.group},
             {QStringLiteral("acc"), u.account},
             {QStringLiteral("s"), u.sort}});
        return static_cast<int>(home.db().lastInsertId());
    }
    QString column(int id, const QString& column) {
        return home.db()
            .scalar(QStringLiteral("select ") + column +
                        QStringLiteral(" from CKPersonalInfoTable where ID=:id"),
                    {{QStringLiteral("id"), id}})
            .toString();
    }
    int count() {
        return home.db().scalar(QStringLiteral("select count(*) from CKPersonalInfoTable")).toInt();
    }
};

QStringList names(core::ui::DataGrid& grid) {
    QStringList out;
    for (int r = 0; r < grid.rowCount(); ++r)
        out << grid.value(r, QStringLiteral("全称")).toString();
    return out;
}

QStringList sorted(QStringList list) {
    list.sort();
    return list;
}

template <typename T> T* child(QWidget& window, const char* name) {
    T* w = window.findChild<T*>(QLatin1String(name));
    if (!w)
        qFatal("no control %s", name);
    return w;
}

// Acts inside the next modal window once its loop runs.
template <typename W> void whenShown(std::function<void(W&)> act) {
    QTimer::singleShot(0, [act] {
        auto* w = qobject_cast<W*>(QApplication::activeModalWidget());
        QVERIFY(w);
        act(*w);
    });
}

QTreeWidgetItem* node(QTreeWidget& tree, const QString& text) {
    const auto found = tree.findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.first();
}

} // namespace

class TestAddressBook : public QObject {
    Q_OBJECT
private slots:
    // Typed keywords are matched as they stand: quotes, LIKE wildcards, backslashes and CJK.
    void keywordSearch_data() {
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<QStringList>("found");
        QTest::newRow("province in any column")
            << QStringLiteral("广东")
            << QStringList{QStringLiteral("广东五金"), QStringLiteral("深圳仓"), QStringLiteral("佛山厂")};
        QTest::newRow("apostrophe") << QStringLiteral("O'Brien")
                                    << QStringList{QStringLiteral("O'Brien & Co")};
        QTest::newRow("percent is no wildcard")
            << QStringLiteral("50%") << QStringList{QStringLiteral("50%折扣店")};
        QTest::newRow("underscore is no wildcard")
            << QStringLiteral("a_b") << QStringList{QStringLiteral("a_b仓")};
        QTest::newRow("backslash") << QStringLiteral("C:\\d") << QStringList{QStringLiteral("C:\\d路")};
        QTest::newRow("telephone") << QStringLiteral("0755") << QStringList{QStringLiteral("深圳仓")};
    }
    void keywordSearch() {
        QFETCH(QString, keyword);
        QFETCH(QStringList, found);
        Book book;
        book.add({QStringLiteral("广东五金"), {}, {}, {}, {}, {}, {}, {}});
        book.add(
            {QStringLiteral("深圳仓"), {}, QStringLiteral("0755-1"), QStringLiteral("广东"), {}, {}, {}, {}});
        book.add({QStringLiteral("佛山厂"), {}, {}, {}, QStringLiteral("广东佛山"), {}, {}, {}});
        book.add({QStringLiteral("O'Brien & Co"), {}, {}, {}, {}, {}, {}, {}});
        book.add({QStringLiteral("50%折扣店"), {}, {}, {}, {}, {}, {}, {}});
        book.add({QStringLiteral("500折扣店"), {}, {}, {}, {}, {}, {}, {}});
        book.add({QStringLiteral("a_b仓"), {}, {}, {}, {}, {}, {}, {}});
        book.add({QStringLiteral("axb仓"), {}, {}, {}, {}, {}, {}, {}});
        book.add({QStringLiteral("C:\\d路"), {}, {}, {}, {}, {}, {}, {}});
        masterdata::PersonFilter filter;
        filter.keyword = keyword;
        const masterdata::Statement s = PersonStore::filterStatement(filter, {});
        core::ui::DataGrid grid(book.home.db());
        grid.setQuery(s.sql, s.params);
        QCOMPARE(sorted(names(grid)), sorted(found));
    }

    // The exact search takes its column only from the grid's own columns.
    void exactSearchColumn_data() {
        QTest::addColumn<QString>("column");
        QTest::addColumn<bool>("equals");
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("rows");
        QTest::newRow("contains") << QStringLiteral("联系人") << false << QStringLiteral("O'B") << 1;
        QTest::newRow("equals") << QStringLiteral("联系人") << true << QStringLiteral("O'Brien") << 1;
        QTest::newRow("equals needs all") << QStringLiteral("联系人") << true << QStringLiteral("O'B") << 0;
        QTest::newRow("not a column") << QStringLiteral("1=1 or 全称") << false << QStringLiteral("x") << -1;
    }
    void exactSearchColumn() {
        QFETCH(QString, column);
        QFETCH(bool, equals);
        QFETCH(QString, key);
        QFETCH(int, rows);
        Book book;
        book.add({QStringLiteral("甲"), QStringLiteral("O'Brien"), {}, {}, {}, {}, {}, {}});
        book.add({QStringLiteral("乙"), QStringLiteral("张三"), {}, {}, {}, {}, {}, {}});
        masterdata::PersonFilter filter;
        filter.exact = true;
        filter.exactColumn = column;
        filter.exactKey = key;
        filter.exactEquals = equals;
        const masterdata::Statement s = PersonStore::filterStatement(
            filter, {QStringLiteral("ID"), QStringLiteral("全称"), QStringLiteral("联系人")});
        if (rows < 0) {
            QVERIFY(s.sql.isEmpty());
            return;
        }
        core::ui::DataGrid grid(book.home.db());
        grid.setQuery(s.sql, s.params);
        QCOMPARE(grid.rowCount(), rows);
    }

    // The marker moves, the new issuer becomes an own unit, and a failure leaves the old one.
    void defaultIssuerMoves() {
        Book book;
        const int old = book.add({QStringLiteral("旧"),
                                  {},
                                  {},
                                  {},
                                  {},
                                  QStringLiteral("我方单位"),
                                  QStringLiteral("默认出票人"),
                                  {}});
        const int partner =
            book.add({QStringLiteral("新"), {}, {}, {}, {}, QStringLiteral("往来单位"), {}, {}});
        PersonStore store(book.home.db());
        store.setDefaultIssuer(partner);
        QCOMPARE(book.column(old, QStringLiteral("分组")), QString());
        QCOMPARE(book.column(partner, QStringLiteral("分组")), QStringLiteral("默认出票人"));
        QCOMPARE(book.column(partner, QStringLiteral("单位类型")), QStringLiteral("我方单位"));

        book.home.db().exec(
            QStringLiteral("create trigger refuse before update of 单位类型 on CKPersonalInfoTable "
                           "when new.ID=") +
            QString::number(old) + QStringLiteral(" begin select raise(abort, 'refused'); end"));
        QVERIFY_THROWS_EXCEPTION(core::DbError, store.setDefaultIssuer(old));
        QCOMPARE(book.column(partner, QStringLiteral("分组")), QStringLiteral("默认出票人"));
    }

    // A save that makes a unit the default issuer takes the marker from every other row.
    void savedIssuerIsTheOnlyOne() {
        Book book;
        const int old = book.add({QStringLiteral("旧"),
                                  {},
                                  {},
                                  {},
                                  {},
                                  QStringLiteral("我方单位"),
                                  QStringLiteral("默认出票人"),
                                  {}});
        TPerson copy;
        copy.setFullName(QStringLiteral("多头"));
        copy.setGroup(QStringLiteral("默认出票人"));
        copy.setUnitType(QStringLiteral("往来单位"));
        PersonStore(book.home.db()).save(copy);
        QVERIFY(copy.id() > 0);
        QCOMPARE(book.column(old, QStringLiteral("分组")), QString());
        QCOMPARE(book.column(copy.id(), QStringLiteral("单位类型")), QStringLiteral("我方单位"));
        QCOMPARE(
            book.home.db()
                .scalar(QStringLiteral("select count(*) from CKPersonalInfoTable where 分组='默认出票人'"))
                .toInt(),
            1);
    }

    void clearAllByType_data() {
        QTest::addColumn<QString>("type");
        QTest::addColumn<int>("left");
        QTest::newRow("partner units only") << QStringLiteral("往来单位") << 2;
        QTest::newRow("everything") << QString() << 0;
    }
    void clearAllByType() {
        QFETCH(QString, type);
        QFETCH(int, left);
        Book book;
        book.add({QStringLiteral("甲"), {}, {}, {}, {}, QStringLiteral("往来单位"), {}, {}});
        book.add({QStringLiteral("乙"), {}, {}, {}, {}, QStringLiteral("我方单位"), {}, {}});
        book.add({QStringLiteral("丙"), {}, {}, {}, {}, QStringLiteral("收件单位"), {}, {}});
        core::ui::GridServices grids(book.home.app());
        Tfm_PersonManage window(book.home.app(), grids);
        window.show();
        if (!type.isEmpty())
            window.TreeView1Click(node(window.tree(), type));
        book.home.dialogs().answers.enqueue(1);
        window.btClearAllClick();
        QVERIFY(book.home.dialogs().sawText(QStringLiteral("警告:此操作将删除所有") + type +
                                            QStringLiteral("的资料")));
        QCOMPARE(book.count(), left);
    }

    // First use lists by 排序 then 全称, descending; the title 地址 sorts up, then down.
    void managerOrder() {
        Book book;
        book.add({QStringLiteral("甲"), {}, {}, {}, QStringLiteral("B路"), {}, {}, {}, 1});
        book.add({QStringLiteral("乙"), {}, {}, {}, QStringLiteral("A路"), {}, {}, {}, 1});
        book.add({QStringLiteral("丙"), {}, {}, {}, QStringLiteral("C路"), {}, {}, {}, 2});
        core::ui::GridServices grids(book.home.app());
        Tfm_PersonManage window(book.home.app(), grids);
        window.show();
        // DESC belongs to the last column only: 排序 ascending, names descending within.
        QCOMPARE(names(window.grid()),
                 (QStringList{QStringLiteral("甲"), QStringLiteral("乙"), QStringLiteral("丙")}));
        QCOMPARE(child<QLabel>(window, "lbTitle")->text(), QStringLiteral("单位及客户资料管理(3)"));
        const int address = window.grid().fieldIndex(QStringLiteral("地址"));
        window.grid().horizontalHeader()->sectionClicked(address);
        QCOMPARE(names(window.grid()),
                 (QStringList{QStringLiteral("乙"), QStringLiteral("甲"), QStringLiteral("丙")}));
        window.grid().horizontalHeader()->sectionClicked(address);
        QCOMPARE(names(window.grid()),
                 (QStringList{QStringLiteral("丙"), QStringLiteral("甲"), QStringLiteral("乙")}));
    }

    // A long book is read a screenful at a time, yet counted and deleted whole.
    void longBookCountedAndDeletedWhole() {
        Book book;
        book.home.db().exec(QStringLiteral(
            "with recursive n(i) as (select 1 union all select i+1 from n where i<450) "
            "insert into CKPersonalInfoTable (全称,单位类型) select '单位'||i, '往来单位' from n"));
        core::ui::GridServices grids(book.home.app());
        Tfm_PersonManage window(book.home.app(), grids);
        window.show();
        QVERIFY(window.grid().rowCount() < 450);
        QCOMPARE(child<QLabel>(window, "lbTitle")->text(), QStringLiteral("单位及客户资料管理(450)"));
        QCOMPARE(child<QLabel>(window, "StatusPanel1")->text(), QStringLiteral("选中[0/450]条"));
        book.home.dialogs().answers.enqueue(1);
        child<QPushButton>(window, "btDeleteList")->click();
        QCOMPARE(book.home.dialogs().lastText(), QStringLiteral("450条记录删除成功！"));
        QCOMPARE(book.count(), 0);
    }

    // The province node runs the keyword search; group nodes filter by group; types by type.
    void treeNodes() {
        Book book;
        book.add({QStringLiteral("广州甲"),
                  {},
                  {},
                  QStringLiteral("广东"),
                  {},
                  QStringLiteral("往来单位"),
                  QStringLiteral("华南"),
                  {}});
        book.add({QStringLiteral("乙"),
                  {},
                  {},
                  {},
                  QStringLiteral("广东东莞"),
                  QStringLiteral("我方单位"),
                  {},
                  {}});
        book.add({QStringLiteral("丙"),
                  {},
                  {},
                  QStringLiteral("浙江"),
                  {},
                  QStringLiteral("往来单位"),
                  QStringLiteral("华东"),
                  {}});
        core::ui::GridServices grids(book.home.app());
        Tfm_PersonManage window(book.home.app(), grids);
        window.show();
        window.TreeView1Click(node(window.tree(), QStringLiteral("广东")));
        const QStringList byNode = sorted(names(window.grid()));
        QCOMPARE(window.tabText(), QStringLiteral("【[按地区分组]\\广东】"));
        child<QLineEdit>(window, "KeyEdit")->setText(QStringLiteral("广东"));
        window.btQurClick();
        QCOMPARE(sorted(names(window.grid())), byNode);
        QCOMPARE(byNode, (QStringList{QStringLiteral("乙"), QStringLiteral("广州甲")}));

        window.TreeView1Click(node(window.tree(), QStringLiteral("华东")));
        QCOMPARE(names(window.grid()), QStringList{QStringLiteral("丙")});
        window.TreeView1Click(node(window.tree(), QStringLiteral("我方单位")));
        QCOMPARE(names(window.grid()), QStringList{QStringLiteral("乙")});
        window.TreeView1Click(node(window.tree(), QStringLiteral("全部分组")));
        QCOMPARE(window.grid().rowCount(), 3);
    }

    // Save, save again: one row, updated; 多头单位 makes the next save a new row.
    void formSavesOneRow() {
        Book book;
        Tfrm_PersonInfo form(book.home.app());
        form.show();
        typeText(child<QLineEdit>(form, "edtName"), QStringLiteral("O'Brien 商行"));
        form.btSaveClick();
        QCOMPARE(book.home.dialogs().lastText(), QStringLiteral("新增单位资料添加成功！"));
        const int id = child<QLabel>(form, "edtID")->text().toInt();
        QVERIFY(id > 0);
        child<QLineEdit>(form, "edtContactor")->setText(QStringLiteral("李四"));
        form.btSaveClick();
        QCOMPARE(book.home.dialogs().lastText(), QStringLiteral("历史单位资料资料更新成功！"));
        QCOMPARE(book.count(), 1);
        QCOMPARE(book.column(id, QStringLiteral("联系人")), QStringLiteral("李四"));
        QCOMPARE(book.column(id, QStringLiteral("单位类型")), QStringLiteral("往来单位"));
        form.btCopyClick();
        form.btSaveClick();
        QCOMPARE(book.count(), 2);
    }

    // A type written by the recipient import shows as 往来单位 and is kept unless chosen.
    void importedTypeIsKept() {
        Book book;
        const int shown =
            book.add({QStringLiteral("我方"), {}, {}, {}, {}, QStringLiteral("我方单位"), {}, {}});
        const int imported =
            book.add({QStringLiteral("收件"), {}, {}, {}, {}, QStringLiteral("收件单位"), {}, {}});
        Tfrm_PersonInfo form(book.home.app());
        QVERIFY(form.loadByID(shown));
        QVERIFY(form.loadByID(imported));
        QCOMPARE(child<QComboBox>(form, "cbAcountType")->currentText(), QStringLiteral("往来单位"));
        form.btSaveClick();
        QCOMPARE(book.column(imported, QStringLiteral("单位类型")), QStringLiteral("收件单位"));
        form.setUnitType(QStringLiteral("我方单位"));
        form.btSaveClick();
        QCOMPARE(book.column(imported, QStringLiteral("单位类型")), QStringLiteral("我方单位"));
    }

    // Leaving the town puts it in front of an address that lacks it; Enter walks the boxes.
    void townAndFocus() {
        Book book;
        Tfrm_PersonInfo form(book.home.app());
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        auto* town = child<QComboBox>(form, "edtTown");
        auto* address = child<QPlainTextEdit>(form, "edtAddress");
        address->setPlainText(QStringLiteral("人民路1号"));
        town->setFocus();
        typeText(town, QStringLiteral("虎门镇"));
        QTest::keyClick(town, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), address);
        QCOMPARE(address->toPlainText(), QStringLiteral("虎门镇人民路1号"));
        auto* type = child<QComboBox>(form, "cbAcountType");
        type->setFocus();
        QTest::keyClick(type, Qt::Key_Up);
        QCOMPARE(type->currentText(), QStringLiteral("我方单位"));
        QTest::keyClick(type, Qt::Key_A);
        QCOMPARE(QApplication::focusWidget(), child<QComboBox>(form, "edtGroup"));
    }

    // 请直接输入 invites typing: chosen from the town's list it empties the box and is never kept.
    void townHintIsNoValue() {
        Book book;
        Tfrm_PersonInfo form(book.home.app());
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        auto* town = child<QComboBox>(form, "edtTown");
        town->setFocus();
        town->showPopup();
        QTest::keyClick(town->view(), Qt::Key_Return);
        QVERIFY2(town->currentText().isEmpty(), qPrintable(town->currentText()));
        QVERIFY(form.person().town().isEmpty());
    }

    // A city or a country chosen with the mouse from its drop-down stays in the box, over the
    // text that was there, and is saved.
    void mouseChoiceFromTheList_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("column");
        QTest::newRow("city") << "edtCity"
                              << "市";
        QTest::newRow("country") << "edtCountry"
                                 << "国家";
    }
    void mouseChoiceFromTheList() {
        QFETCH(QString, box);
        QFETCH(QString, column);
        Book book;
        Tfrm_PersonInfo form(book.home.app());
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        child<QLineEdit>(form, "edtName")->setText(QStringLiteral("鹏城五金"));
        child<QComboBox>(form, "edtProvince")->setEditText(QStringLiteral("广东"));
        auto* combo = child<QComboBox>(form, box.toLatin1().constData());
        combo->setEditText(QStringLiteral("旧值"));
        // A click on the arrow enters the box and opens its list.
        QTest::mouseClick(combo, Qt::LeftButton, {}, QPoint(combo->width() - 6, combo->height() / 2));
        QAbstractItemView* list = combo->view();
        QTRY_VERIFY(list->isVisible());
        QVERIFY(combo->count() > 2);
        const int row = 2;
        const QString chosen = combo->itemText(row);
        // The list takes no release until a double-click's time after it opened.
        QTest::qWait(QApplication::doubleClickInterval() + 50);
        const QPoint at = list->visualRect(list->model()->index(row, combo->modelColumn())).center();
        QTest::mouseMove(list->viewport(), at);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTRY_VERIFY(!list->isVisible());
        QCOMPARE(combo->currentText(), chosen);
        form.btSaveClick();
        const int id = child<QLabel>(form, "edtID")->text().toInt();
        QCOMPARE(book.column(id, column), chosen);
    }

    // Esc over typed, unsaved changes asks first; No keeps the form with what was typed. With
    // nothing typed since the form was shown, loaded or saved, Esc closes at once.
    void escapeAsksOverTypedChanges_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("saveFirst");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("closed");
        QTest::newRow("nothing typed") << QString() << false << 0 << false << true;
        QTest::newRow("typed, No keeps it") << QStringLiteral("鹏城五金") << false << 0 << true << false;
        QTest::newRow("typed, Yes drops it") << QStringLiteral("鹏城五金") << false << 1 << true << true;
        QTest::newRow("typed and saved") << QStringLiteral("鹏城五金") << true << 0 << false << true;
    }
    void escapeAsksOverTypedChanges() {
        QFETCH(QString, typed);
        QFETCH(bool, saveFirst);
        QFETCH(int, answer);
        QFETCH(bool, asked);
        QFETCH(bool, closed);
        Book book;
        Tfrm_PersonInfo form(book.home.app());
        whenShown<Tfrm_PersonInfo>([&](Tfrm_PersonInfo& shown) {
            QVERIFY(QTest::qWaitForWindowActive(&shown));
            auto* name = child<QLineEdit>(shown, "edtName");
            name->setFocus();
            typeText(QApplication::focusWidget(), typed);
            if (saveFirst)
                shown.btSaveClick();
            book.home.dialogs().clear();
            book.home.dialogs().answers.enqueue(answer);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            QCOMPARE(book.home.dialogs().sawText(QStringLiteral("当前填写的单位资料还没有保存")), asked);
            QCOMPARE(shown.isVisible(), !closed);
            QCOMPARE(name->text(), typed);
            if (shown.isVisible()) {
                // Closed after all, the typed text dropped on purpose.
                book.home.dialogs().answers.enqueue(1);
                shown.reject();
            }
        });
        form.showModalFrom(false);
        QVERIFY(!form.isVisible());
    }

    // A bill's customer matching a stored unit opens it with the bill's non-empty fields over it.
    void savePartyOverwritesTheMatch() {
        Book book;
        const int id = book.add({QStringLiteral("鹏城五金"),
                                 QStringLiteral("张三"),
                                 QStringLiteral("0755-1"),
                                 QStringLiteral("广东"),
                                 QStringLiteral("旧地址"),
                                 QStringLiteral("我方单位"),
                                 {},
                                 QStringLiteral("6222")});
        core::ui::GridServices grids(book.home.app());
        AddressBook addressBook(book.home.app(), grids, nullptr);
        TPerson typed;
        typed.setFullName(QStringLiteral("鹏城五金"));
        typed.setAccount(QStringLiteral("6222"));
        typed.setAddress(QStringLiteral("新地址"));
        typed.setUnitType(QStringLiteral("往来单位"));
        QString shownId, shownAddress, shownPhone, shownType;
        whenShown<Tfrm_PersonInfo>([&](Tfrm_PersonInfo& form) {
            shownId = child<QLabel>(form, "edtID")->text();
            shownAddress = child<QPlainTextEdit>(form, "edtAddress")->toPlainText();
            shownPhone = child<QLineEdit>(form, "edtPhone")->text();
            shownType = child<QComboBox>(form, "cbAcountType")->currentText();
            form.btSaveCloseClick();
        });
        addressBook.saveParty(&typed);
        QCOMPARE(shownId, QString::number(id));
        QCOMPARE(shownAddress, QStringLiteral("新地址"));
        QCOMPARE(shownPhone, QStringLiteral("0755-1"));
        QCOMPARE(shownType, QStringLiteral("往来单位"));
        QCOMPARE(book.count(), 1);
        QCOMPARE(book.column(id, QStringLiteral("地址")), QStringLiteral("新地址"));
    }

    // A pick hands back the double-clicked unit and the manager is gone afterwards; a kept edit
    // form saving later does not reach it.
    void pickReleasesTheManager() {
        Book book;
        book.add({QStringLiteral("我方"), {}, {}, {}, {}, QStringLiteral("我方单位"), {}, {}});
        const int partner =
            book.add({QStringLiteral("客户"), {}, {}, {}, {}, QStringLiteral("往来单位"), {}, {}});
        core::ui::GridServices grids(book.home.app());
        AddressBook addressBook(book.home.app(), grids, nullptr);
        QStringList listed;
        QString caption;
        whenShown<Tfm_PersonManage>([&](Tfm_PersonManage& w) {
            listed = names(w.grid());
            caption = w.windowTitle();
            const QPoint at = w.grid().visualRect(w.grid().model()->index(0, 1)).center();
            QTest::mouseClick(w.grid().viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(w.grid().viewport(), Qt::LeftButton, {}, at);
        });
        const std::unique_ptr<TPerson> picked =
            addressBook.fetchOnePerson(QStringLiteral("往来单位"), QStringLiteral("选取客户名称"));
        QCOMPARE(listed, QStringList{QStringLiteral("客户")});
        QCOMPARE(caption, QStringLiteral("选取客户名称"));
        QVERIFY(picked);
        QCOMPARE(picked->id(), partner);
        QVERIFY(!addressBook.manager());

        whenShown<Tfm_PersonManage>([](Tfm_PersonManage& w) { w.reject(); });
        QVERIFY(!addressBook.fetchOnePerson(QStringLiteral("往来单位"), {}));
        // The kept form, marked as opened from the manager, saves after the manager is gone.
        Tfrm_PersonInfo& form = addressBook.personInfo();
        QVERIFY(form.loadByID(partner));
        whenShown<Tfrm_PersonInfo>([](Tfrm_PersonInfo& f) { f.btSaveCloseClick(); });
        form.showModalFrom(true);
        QCOMPARE(book.home.dialogs().lastText(), QStringLiteral("历史单位资料资料更新成功！"));
        QVERIFY(!addressBook.manager());
    }

    // At first use the columns fit their titles and the names and addresses listed, instead of
    // 40 pixels each.
    void readableAtFirstUse() {
        Book book;
        const QString name = QStringLiteral("老王记五金机电批发有限公司");
        const QString address = QStringLiteral("杭州市西湖区文三路100号");
        book.add({name, {}, {}, QStringLiteral("浙江"), address, QStringLiteral("往来单位"), {}, {}});
        core::ui::GridServices grids(book.home.app());
        Tfm_PersonManage window(book.home.app(), grids);
        window.show();
        core::ui::DataGrid& grid = window.grid();
        const QFontMetrics metrics(grid.font());
        const QFontMetrics titles(grid.horizontalHeader()->font());
        for (const auto& [field, text] :
             {std::pair{QStringLiteral("全称"), name}, std::pair{QStringLiteral("地址"), address}}) {
            const int width = grid.columnWidth(grid.fieldIndex(field));
            QVERIFY2(width > metrics.horizontalAdvance(text), qPrintable(field + QString::number(width)));
        }
        for (const QString& title : {QStringLiteral("开户行账号"), QStringLiteral("单位类型")})
            QVERIFY2(grid.columnWidth(grid.fieldIndex(title)) > titles.horizontalAdvance(title),
                     qPrintable(title));
        // A wider width the clerk keeps is his.
        window.grid().setColumnWidth(grid.fieldIndex(QStringLiteral("全称")), 277);
        grids.GridColsWidthSave(grid, window.objectName());
        window.btSelAllClick();
        QCOMPARE(grid.columnWidth(grid.fieldIndex(QStringLiteral("全称"))), 277);
    }

    // On a later opening (the manager of a pick is made anew), with narrower widths kept and a
    // longer name added since, the names and provinces read whole; the region tree lists the
    // province added meanwhile, in the order of the division codes.
    void laterOpeningsFitAndListNewProvinces() {
        Book book;
        book.add({QStringLiteral("O'Brien"),
                  {},
                  {},
                  QStringLiteral("上海"),
                  {},
                  QStringLiteral("往来单位"),
                  {},
                  {}});
        core::ui::GridServices grids(book.home.app());
        AddressBook addressBook(book.home.app(), grids, nullptr);
        whenShown<Tfm_PersonManage>([](Tfm_PersonManage& w) { w.reject(); });
        addressBook.fetchOnePerson(QStringLiteral("往来单位"), {});
        const QString longName = QStringLiteral("南京市鼓楼金源商贸有限公司");
        book.add({longName, {}, {}, QStringLiteral("北京"), {}, QStringLiteral("往来单位"), {}, {}});
        book.add(
            {QStringLiteral("丁"), {}, {}, QStringLiteral("内蒙古"), {}, QStringLiteral("往来单位"), {}, {}});
        int width = 0;
        QStringList provinces;
        whenShown<Tfm_PersonManage>([&](Tfm_PersonManage& w) {
            width = w.grid().columnWidth(w.grid().fieldIndex(QStringLiteral("全称")));
            if (QTreeWidgetItem* region = node(w.tree(), QStringLiteral("[按地区分组]")))
                for (int i = 0; i < region->childCount(); ++i)
                    provinces << region->child(i)->text(0);
            w.reject();
        });
        addressBook.fetchOnePerson(QStringLiteral("往来单位"), {});
        QVERIFY2(width > QFontMetrics(QApplication::font()).horizontalAdvance(longName),
                 qPrintable(QString::number(width)));
        QCOMPARE(provinces,
                 (QStringList{QStringLiteral("北京"), QStringLiteral("内蒙古"), QStringLiteral("上海")}));
    }

    // The count of the title follows a unit added from a list of one type, and a delete.
    void titleCountFollowsAddsAndDeletes() {
        Book book;
        book.add({QStringLiteral("客户甲"), {}, {}, {}, {}, QStringLiteral("往来单位"), {}, {}});
        book.add({QStringLiteral("我方"), {}, {}, {}, {}, QStringLiteral("我方单位"), {}, {}});
        core::ui::GridServices grids(book.home.app());
        AddressBook addressBook(book.home.app(), grids, nullptr);
        QStringList titles;
        whenShown<Tfm_PersonManage>([&](Tfm_PersonManage& w) {
            auto* title = child<QLabel>(w, "lbTitle");
            titles << title->text();
            whenShown<Tfrm_PersonInfo>([](Tfrm_PersonInfo& f) {
                child<QLineEdit>(f, "edtName")->setText(QStringLiteral("客户乙"));
                f.btSaveCloseClick();
            });
            child<QPushButton>(w, "btInsert")->click();
            titles << title->text();
            w.grid().setCurrentRow(0);
            w.grid().selectRow(0);
            book.home.dialogs().answers.enqueue(1);
            child<QPushButton>(w, "btDelete")->click();
            titles << title->text();
            w.reject();
        });
        addressBook.openManager(QStringLiteral("往来单位"));
        QCOMPARE(titles,
                 (QStringList{QStringLiteral("单位及客户资料管理(1)"),
                              QStringLiteral("单位及客户资料管理(2)"), QStringLiteral("单位、客户管理(1)")}));
    }

    // Double-clicking an empty grid, or a row another window deleted, hands nothing back.
    void doubleClickWithoutUnit() {
        Book book;
        const int id = book.add({QStringLiteral("将删"), {}, {}, {}, {}, QStringLiteral("往来单位"), {}, {}});
        core::ui::GridServices grids(book.home.app());
        Tfm_PersonManage window(book.home.app(), grids);
        window.show();
        window.grid().setCurrentRow(0);
        book.home.db().exec(QStringLiteral("delete from CKPersonalInfoTable where ID=:id"),
                            {{QStringLiteral("id"), id}});
        window.DBGrid1DblClick();
        QCOMPARE(window.grid().rowCount(), 0);
        window.DBGrid1DblClick();
        window.btEditClick();
        QCOMPARE(book.home.dialogs().lastText(),
                 QStringLiteral("没有单位可修改，请先选中一个要修改的单位！"));
    }
};

OVERPRINT_TEST(TestAddressBook)
#include "TestAddressBook.moc"
