#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include "core/IniFile.h"
#include "core/ui/DataGrid.h"
#include "core/ui/GridServices.h"

#include <QHeaderView>
#include <QTest>

using core::ui::DataGrid;
using core::ui::GridServices;

namespace {

struct Fixture {
    TestHome home;
    GridServices services{home.app()};
    DataGrid grid{home.db()};
    Fixture() {
        home.db().exec(QStringLiteral("create table GoodsT (ID INTEGER PRIMARY KEY, 名称 TEXT, 价格 TEXT)"));
        const QStringList names{QStringLiteral("箱"), QStringLiteral("O'Brien"), QStringLiteral("王's店"),
                                QStringLiteral("袋")};
        for (int i = 0; i < names.size(); ++i)
            home.db().exec(QStringLiteral("insert into GoodsT (ID,名称,价格) values(:id,:n,'1')"),
                           {{QStringLiteral("id"), i + 1}, {QStringLiteral("n"), names.at(i)}});
        grid.setObjectName(QStringLiteral("gridGoods"));
        grid.resize(500, 300);
        grid.show();
        grid.setQuery(QStringLiteral("select * from GoodsT order by ID"));
    }
    void click(int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        const QRect r = grid.visualRect(grid.model()->index(row, 1));
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, modifiers, r.center());
    }
    int rows() { return home.db().scalar(QStringLiteral("select count(*) from GoodsT")).toInt(); }
};

} // namespace

class TestGridServices : public QObject {
    Q_OBJECT
private slots:
    void widthsWithoutStoredValues() {
        Fixture f;
        for (int i = 0; i < f.grid.columnCount(); ++i)
            f.grid.setColumnWidth(i, 77);
        f.services.GridColsWidthLoad(f.grid, QStringLiteral("goodsWin"));
        for (int i = 0; i < f.grid.columnCount(); ++i) {
            QCOMPARE(f.grid.columnWidth(i), 40);
            QVERIFY(!f.grid.isColumnHidden(i));
        }
    }

    void storedWidths_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("hidden");
        QTest::addColumn<int>("width");
        QTest::newRow("zero hides") << "0" << true << 0;
        QTest::newRow("minus one hides") << "-1" << true << 0;
        QTest::newRow("text hides") << "wide" << true << 0;
        QTest::newRow("width") << "120" << false << 120;
    }
    void storedWidths() {
        QFETCH(QString, stored);
        QFETCH(bool, hidden);
        QFETCH(int, width);
        Fixture f;
        f.grid.setColumnHidden(1, true);
        f.home.app().userIni().writeString(QStringLiteral("GOODSWIN"), QStringLiteral("GRIDGOODS.W1"),
                                           stored);
        f.services.GridColsWidthLoad(f.grid, QStringLiteral("goodsWin"));
        QCOMPARE(f.grid.isColumnHidden(1), hidden);
        if (!hidden)
            QCOMPARE(f.grid.columnWidth(1), width);
        QVERIFY(!f.grid.isColumnHidden(0));
    }

    void saveThenLoad() {
        Fixture f;
        f.grid.setColumnWidth(0, 55);
        f.grid.setColumnHidden(2, true);
        f.services.GridColsWidthSave(f.grid, QStringLiteral("goodsWin"));
        core::IniFile disk(f.home.path() + QStringLiteral("Config.ini"));
        QCOMPARE(disk.readString(QStringLiteral("goodswin"), QStringLiteral("gridgoods.w0")),
                 QStringLiteral("55"));
        QCOMPARE(disk.readString(QStringLiteral("GOODSWIN"), QStringLiteral("GRIDGOODS.W2")),
                 QStringLiteral("-1"));

        DataGrid other(f.home.db());
        other.setObjectName(QStringLiteral("gridGoods"));
        other.setQuery(QStringLiteral("select * from GoodsT"));
        f.services.GridColsWidthLoad(other, QStringLiteral("goodsWin"));
        QCOMPARE(other.columnWidth(0), 55);
        QVERIFY(other.isColumnHidden(2));
    }

    void emptySectionRefused() {
        Fixture f;
        f.services.GridColsWidthSave(f.grid, QString());
        f.services.GridColsWidthLoad(f.grid, QString());
        QCOMPARE(f.home.dialogs().texts(),
                 QStringList({QStringLiteral("保存表格列宽异常！"), QStringLiteral("保存表格列宽异常！")}));
    }

    void fetchInSelectionOrder_data() {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("list");
        QTest::newRow("str lower") << "名称"
                                   << "str"
                                   << "'袋','箱','O''Brien'";
        QTest::newRow("STR") << "名称"
                             << "STR"
                             << "'袋','箱','O''Brien'";
        QTest::newRow("plain numbers") << "id"
                                       << ""
                                       << "4,1,2";
        QTest::newRow("plain text stays quoted") << "名称"
                                                 << ""
                                                 << "'袋','箱','O''Brien'";
    }
    void fetchInSelectionOrder() {
        QFETCH(QString, column);
        QFETCH(QString, mode);
        QFETCH(QString, list);
        Fixture f;
        f.click(3);
        f.click(0, Qt::ControlModifier);
        f.click(1, Qt::ControlModifier);
        QString out;
        QCOMPARE(f.services.GridSelectedFetch(f.grid, column, out, mode), 3);
        QCOMPARE(out, list);
    }

    void clickAndRanges() {
        Fixture f;
        f.click(2);
        f.click(0);
        QCOMPARE(f.grid.selectedRows(), QList<int>({0}));
        f.click(2, Qt::ShiftModifier);
        QCOMPARE(f.grid.selectedRows(), QList<int>({0, 1, 2}));
        f.click(1, Qt::ControlModifier);
        QCOMPARE(f.grid.selectedRows(), QList<int>({0, 2}));
    }

    void fetchFailures_data() {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("message");
        QTest::newRow("no column") << ""
                                   << "DBGrid记录选取失败~没有指定列名~";
        QTest::newRow("unknown column") << "颜色"
                                        << "DBGrid记录选取失败~项目不存在: 颜色";
    }
    void fetchFailures() {
        QFETCH(QString, column);
        QFETCH(QString, message);
        Fixture f;
        f.click(0);
        QString out = QStringLiteral("old");
        QCOMPARE(f.services.GridSelectedFetch(f.grid, column, out, QStringLiteral("STR")), 0);
        QVERIFY(out.isEmpty());
        QCOMPARE(f.home.dialogs().lastText(), message);
    }

    void selectedDelete_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("question");
        QTest::addColumn<int>("left");
        QTest::newRow("yes by id") << "ID"
                                   << ""
                                   << "商品" << 1 << "确认要删除所选中的2个商品吗?" << 2;
        QTest::newRow("yes by quoted name") << "名称"
                                            << "STR"
                                            << "" << 1 << "确认要删除所选中的2个数据记录吗?" << 2;
        QTest::newRow("no") << "ID"
                            << ""
                            << "商品" << 0 << "确认要删除所选中的2个商品吗?" << 4;
    }
    void selectedDelete() {
        QFETCH(QString, key);
        QFETCH(QString, mode);
        QFETCH(QString, caption);
        QFETCH(int, answer);
        QFETCH(QString, question);
        QFETCH(int, left);
        Fixture f;
        f.click(1);
        f.click(2, Qt::ControlModifier);
        f.home.dialogs().answers.enqueue(answer);
        const int deleted =
            f.services.GridSelectedDelete(f.grid, QStringLiteral("GoodsT"), key, mode, caption);
        QCOMPARE(f.home.dialogs().shown.first().text, question);
        QCOMPARE(f.home.dialogs().shown.first().caption, QStringLiteral("删除确认"));
        QCOMPARE(f.rows(), left);
        QCOMPARE(deleted, 4 - left);
        if (answer == 1) {
            const QString what = caption.isEmpty() ? QStringLiteral("数据记录") : caption;
            QCOMPARE(f.home.dialogs().lastText(),
                     QStringLiteral("2个") + what + QStringLiteral("删除成功！"));
            QCOMPARE(f.home.dialogs().shown.last().caption, QStringLiteral("提示"));
            QCOMPARE(f.grid.rowCount(), 2);
        }
    }

    void selectedDeleteNothingSelected() {
        Fixture f;
        QCOMPARE(f.services.GridSelectedDelete(f.grid, QStringLiteral("GoodsT"), QStringLiteral("ID"),
                                               QString(), QString()),
                 0);
        QVERIFY(f.home.dialogs().shown.isEmpty());
    }

    void selectedDeleteFailure() {
        Fixture f;
        f.click(0);
        f.home.dialogs().answers.enqueue(1);
        QCOMPARE(f.services.GridSelectedDelete(f.grid, QStringLiteral("NoSuchTable"), QStringLiteral("ID"),
                                               QString(), QStringLiteral("商品")),
                 0);
        QVERIFY(f.home.dialogs().lastText().startsWith(QStringLiteral("删除失败，错误=")));
    }

    void deleteCurrentList_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("left");
        QTest::newRow("yes") << 1 << 1;
        QTest::newRow("no") << 0 << 4;
    }
    void deleteCurrentList() {
        QFETCH(int, answer);
        QFETCH(int, left);
        Fixture f;
        f.grid.setQuery(QStringLiteral("select * from GoodsT where ID>:from"), {{QStringLiteral("from"), 1}});
        f.home.dialogs().answers.enqueue(answer);
        f.services.GridDeleteCurrentList(f.grid);
        QCOMPARE(f.home.dialogs().shown.first().text,
                 QStringLiteral("此操作将删除当前查询到的所有记录，确定删除吗？"));
        QCOMPARE(f.home.dialogs().shown.first().caption, QStringLiteral("警告"));
        QCOMPARE(f.rows(), left);
        if (answer == 1) {
            QCOMPARE(f.home.dialogs().lastText(), QStringLiteral("3条记录删除成功！"));
            QCOMPARE(f.grid.rowCount(), 0);
        }
    }

    void deleteCurrentListOfJoinFails() {
        Fixture f;
        f.grid.setQuery(QStringLiteral("select count(*) as n from GoodsT"));
        f.home.dialogs().answers.enqueue(1);
        QCOMPARE(f.services.GridDeleteCurrentList(f.grid), 0);
        QCOMPARE(f.home.dialogs().lastText(), QStringLiteral("删除出现异常！"));
        QCOMPARE(f.rows(), 4);
    }

    void countTableAllRows() {
        Fixture f;
        QCOMPARE(f.services.CountTableAllRows(QStringLiteral("GoodsT")), 4);
        QCOMPARE(f.services.CountTableAllRows(QStringLiteral("NoSuch")), 0);
        QVERIFY(f.home.dialogs().lastText().startsWith(QStringLiteral("计算表格总数失败:NoSuch-")));
    }

    void gridBasics() {
        Fixture f;
        QVERIFY(f.grid.isOpen());
        QCOMPARE(f.grid.fieldNames(),
                 QStringList({QStringLiteral("ID"), QStringLiteral("名称"), QStringLiteral("价格")}));
        QCOMPARE(f.grid.model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("名称"));
        QCOMPARE(f.grid.value(1, QStringLiteral("名称")).toString(), QStringLiteral("O'Brien"));
        f.grid.setCurrentRow(2);
        f.home.db().exec(QStringLiteral("insert into GoodsT (ID,名称) values(9,'新')"));
        f.grid.refresh();
        QCOMPARE(f.grid.rowCount(), 5);
        QCOMPARE(f.grid.currentValue(QStringLiteral("名称")).toString(), QStringLiteral("王's店"));
        QVERIFY_THROWS_EXCEPTION(core::DbError, f.grid.setQuery(QStringLiteral("select * from NoSuch")));
        QVERIFY(!f.grid.isOpen());
        QCOMPARE(f.grid.rowCount(), 0);
    }

    void editInPlace() {
        Fixture f;
        QVERIFY(!(f.grid.model()->flags(f.grid.model()->index(0, 1)) & Qt::ItemIsEditable));
        f.grid.setEditable(true);
        QVERIFY(f.grid.model()->setData(f.grid.model()->index(0, 1), QStringLiteral("O'Neil")));
        QCOMPARE(f.home.db().scalar(QStringLiteral("select 名称 from GoodsT where ID=1")).toString(),
                 QStringLiteral("O'Neil"));
    }
};

OVERPRINT_TEST(TestGridServices)
#include "TestGridServices.moc"
