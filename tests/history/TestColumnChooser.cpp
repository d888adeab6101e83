#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include "core/IniFile.h"
#include "core/ui/DataGrid.h"
#include "core/ui/GridServices.h"
#include "history/ColumnChoice.h"
#include "history/ui/TfrmGridConfig.h"
#include "masterdata/ui/Tfrm_GoodsManage.h"

#include <QAction>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

using core::ui::DataGrid;
using core::ui::GridServices;
using history::ColumnChoice;
using history::ui::TfrmGridConfig;

namespace {

const QString kSection = QStringLiteral("Tfrm_GoodsManage");

// Selects the entries of a chooser list by name and clicks the command that moves them.
void move(TfrmGridConfig& chooser, const char* list, const QStringList& names, const char* command) {
    auto* widget = chooser.findChild<QListWidget*>(QLatin1String(list));
    QVERIFY(widget);
    widget->clearSelection();
    for (const QString& name : names) {
        const auto found = widget->findItems(name, Qt::MatchExactly);
        QVERIFY2(!found.isEmpty(), qPrintable(name));
        for (QListWidgetItem* item : found)
            item->setSelected(true);
    }
    QTest::mouseClick(chooser.findChild<QPushButton*>(QLatin1String(command)), Qt::LeftButton);
}

void click(TfrmGridConfig& chooser, const char* command) {
    QTest::mouseClick(chooser.findChild<QPushButton*>(QLatin1String(command)), Qt::LeftButton);
}

QStringList items(TfrmGridConfig& chooser, const char* list) {
    QStringList out;
    auto* widget = chooser.findChild<QListWidget*>(QLatin1String(list));
    for (int i = 0; i < widget->count(); ++i)
        out << widget->item(i)->text();
    return out;
}

QStringList hiddenFields(DataGrid& grid) {
    QStringList out;
    for (int i = 0; i < grid.columnCount(); ++i)
        if (grid.isColumnHidden(i))
            out << grid.fieldNames().at(i);
    return out;
}

QString storedKeys(TestHome& home, DataGrid& grid) {
    QStringList out;
    for (int i = 0; i < grid.columnCount(); ++i)
        out << home.app().userIni().readString(
            kSection.toUpper(), QStringLiteral("DBGRIDGOODS.W") + QString::number(i), QStringLiteral("none"));
    return out.join(QLatin1Char(','));
}

} // namespace

class TestColumnChooser : public QObject {
    Q_OBJECT
private slots:
    void choiceLists_data() {
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QList<bool>>("visible");
        QTest::addColumn<QList<int>>("hide");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QStringList>("hidden");
        QTest::newRow("grid order kept") << QStringList{"A", "B", "C"} << QList<bool>{true, false, true}
                                         << QList<int>{} << QStringList{"A", "C"} << QStringList{"B"};
        QTest::newRow("moved last to first")
            << QStringList{"A", "B", "C", "D"} << QList<bool>{true, true, true, false} << QList<int>{0, 2}
            << QStringList{"B"} << QStringList{"D", "C", "A"};
        QTest::newRow("one name, one entry") << QStringList{"A", "a", "B"} << QList<bool>{true, false, true}
                                             << QList<int>{0} << QStringList{"B"} << QStringList{"A"};
    }
    void choiceLists() {
        QFETCH(QStringList, fields);
        QFETCH(QList<bool>, visible);
        QFETCH(QList<int>, hide);
        ColumnChoice choice(fields, visible);
        choice.hide(hide);
        QTEST(choice.shown(), "shown");
        QTEST(choice.hidden(), "hidden");
        for (const QString& f : fields)
            QCOMPARE(choice.isShown(f), !choice.hidden().contains(f, Qt::CaseInsensitive));
    }

    // Hide two columns of the catalogue, apply, close both windows and open the catalogue again:
    // the same columns are hidden and every other width is kept.
    void catalogueRoundTrip() {
        TestHome home;
        GridServices grids(home.app());
        QStringList fields;
        QList<int> widths;
        {
            masterdata::ui::Tfrm_GoodsManage window(home.app(), grids);
            window.show();
            DataGrid& grid = window.grid();
            fields = grid.fieldNames();
            QVERIFY(fields.contains(QStringLiteral("简码")) && fields.contains(QStringLiteral("规格")));
            grid.setColumnWidth(grid.fieldIndex(QStringLiteral("商品名")), 123);
            for (int i = 0; i < grid.columnCount(); ++i)
                widths << grid.columnWidth(i);
            TfrmGridConfig chooser(home.app(), grids, grid, kSection);
            chooser.show();
            move(chooser, "lstShow", {QStringLiteral("简码"), QStringLiteral("规格")}, "goHidden");
            // Taken from the last selected to the first.
            QCOMPARE(items(chooser, "lstHide"),
                     (QStringList{QStringLiteral("简码"), QStringLiteral("规格")}));
            QVERIFY(hiddenFields(grid).isEmpty());
            click(chooser, "btSaveSet");
            QCOMPARE(home.dialogs().lastText(), QStringLiteral("栏目显示设置成功~"));
            click(chooser, "btCloseSet");
        }
        masterdata::ui::Tfrm_GoodsManage again(home.app(), grids);
        again.show();
        DataGrid& grid = again.grid();
        QCOMPARE(hiddenFields(grid), (QStringList{QStringLiteral("规格"), QStringLiteral("简码")}));
        for (int i = 0; i < grid.columnCount(); ++i)
            if (!grid.isColumnHidden(i))
                QCOMPARE(grid.columnWidth(i), widths.at(i));
        QCOMPARE(grid.columnWidth(grid.fieldIndex(QStringLiteral("商品名"))), 123);

        // Shown again after a reopening, a stored-hidden column has no width of its own.
        TfrmGridConfig chooser(home.app(), grids, grid, kSection);
        chooser.show();
        QCOMPARE(items(chooser, "lstHide"), (QStringList{QStringLiteral("规格"), QStringLiteral("简码")}));
        move(chooser, "lstHide", {QStringLiteral("规格")}, "goShowing");
        click(chooser, "btSaveSet");
        QCOMPARE(grid.columnWidth(grid.fieldIndex(QStringLiteral("规格"))), 50);
        QVERIFY(grid.isColumnHidden(grid.fieldIndex(QStringLiteral("简码"))));
    }

    void hiddenAndShownKeepsWidth() {
        TestHome home;
        GridServices grids(home.app());
        masterdata::ui::Tfrm_GoodsManage window(home.app(), grids);
        window.show();
        DataGrid& grid = window.grid();
        const int column = grid.fieldIndex(QStringLiteral("单位"));
        grid.setColumnWidth(column, 77);
        TfrmGridConfig chooser(home.app(), grids, grid, kSection);
        chooser.show();
        move(chooser, "lstShow", {QStringLiteral("单位")}, "goHidden");
        click(chooser, "btSaveSet");
        QVERIFY(grid.isColumnHidden(column));
        move(chooser, "lstHide", {QStringLiteral("单位")}, "goShowing");
        click(chooser, "btSaveSet");
        QVERIFY(!grid.isColumnHidden(column));
        QCOMPARE(grid.columnWidth(column), 77);
    }

    void closeWithoutApplyChangesNothing() {
        TestHome home;
        GridServices grids(home.app());
        masterdata::ui::Tfrm_GoodsManage window(home.app(), grids);
        window.show();
        DataGrid& grid = window.grid();
        grids.GridColsWidthSave(grid, kSection);
        const QString before = storedKeys(home, grid);
        TfrmGridConfig chooser(home.app(), grids, grid, kSection);
        chooser.show();
        move(chooser, "lstShow", {QStringLiteral("简码"), QStringLiteral("商品名")}, "goHidden");
        click(chooser, "btCloseSet");
        QVERIFY(hiddenFields(grid).isEmpty());
        QCOMPARE(storedKeys(home, grid), before);
        QVERIFY(!home.dialogs().sawText(QStringLiteral("栏目显示设置成功~")));
    }

    // Whatever a damaged Config.ini holds, the column is hidden, listed as hidden, and shown
    // again with the chooser's width.
    void damagedStoredWidth_data() {
        QTest::addColumn<QString>("stored");
        QTest::newRow("garbage") << "abc";
        QTest::newRow("zero") << "0";
        QTest::newRow("negative") << "-7";
    }
    void damagedStoredWidth() {
        QFETCH(QString, stored);
        TestHome home;
        home.app().userIni().writeString(kSection.toUpper(), QStringLiteral("DBGRIDGOODS.W2"), stored);
        GridServices grids(home.app());
        masterdata::ui::Tfrm_GoodsManage window(home.app(), grids);
        window.show();
        DataGrid& grid = window.grid();
        const QString field = grid.fieldNames().at(2);
        QCOMPARE(hiddenFields(grid), QStringList{field});
        TfrmGridConfig chooser(home.app(), grids, grid, kSection);
        chooser.show();
        QCOMPARE(items(chooser, "lstHide"), QStringList{field});
        move(chooser, "lstHide", {field}, "goShowing");
        click(chooser, "btSaveSet");
        QCOMPARE(grid.columnWidth(2), 50);
        QCOMPARE(storedKeys(home, grid).section(QLatin1Char(','), 2, 2), QStringLiteral("50"));
    }

    void sameFieldNameMovesTogether() {
        TestHome home;
        GridServices grids(home.app());
        DataGrid grid(home.db());
        grid.setObjectName(QStringLiteral("DBGridGoods"));
        grid.show();
        grid.setQuery(QStringLiteral("select 商品名 as 名称, 规格 as 名称, 单价 from Products"));
        TfrmGridConfig chooser(home.app(), grids, grid, kSection);
        chooser.show();
        QCOMPARE(items(chooser, "lstShow"), (QStringList{QStringLiteral("名称"), QStringLiteral("单价")}));
        move(chooser, "lstShow", {QStringLiteral("名称")}, "goHidden");
        click(chooser, "btSaveSet");
        QCOMPARE(hiddenFields(grid), (QStringList{QStringLiteral("名称"), QStringLiteral("名称")}));
        QCOMPARE(storedKeys(home, grid).section(QLatin1Char(','), 0, 1), QStringLiteral("-1,-1"));
    }

    // The catalogue's grid menu opens the chooser the main window's services hold.
    void catalogueMenuOpensChooser() {
        TestHome home;
        GridServices grids(home.app());
        QString openedFor;
        grids.setColumnChooser([&](DataGrid& grid, const QString& section) {
            openedFor = grid.objectName() + QLatin1Char('@') + section;
        });
        masterdata::ui::Tfrm_GoodsManage window(home.app(), grids);
        window.grid().findChild<QAction*>(QStringLiteral("nColumns"))->trigger();
        QCOMPARE(openedFor, QStringLiteral("DBGridGoods@Tfrm_GoodsManage"));
    }
};

OVERPRINT_TEST(TestColumnChooser)
#include "TestColumnChooser.moc"
