#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include "core/ui/DataGrid.h"

#include <QItemSelectionModel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

using core::ui::DataGrid;

namespace {

// A dictionary-like table read under aliases, as the reference-data windows read theirs.
struct Fixture {
    TestHome home;
    DataGrid grid{home.db()};
    Fixture() {
        home.db().exec(QStringLiteral("create table Dict (ID INTEGER PRIMARY KEY AUTOINCREMENT, DMName TEXT, "
                                      "DMValue TEXT, CheckTypeId INTEGER DEFAULT 0)"));
        for (const QString& v : {QStringLiteral("箱"), QStringLiteral("袋")})
            home.db().exec(QStringLiteral("insert into Dict (DMName,DMValue) values('单位',:v)"),
                           {{QStringLiteral("v"), v}});
        grid.setEditable(true);
        grid.setFieldSource(QStringLiteral("内容"), QStringLiteral("DMValue"));
        grid.setFieldSource(QStringLiteral("单据号"), QStringLiteral("CheckTypeId"));
        grid.setInsertOnlyFields({QStringLiteral("单据号")});
        grid.resize(500, 300);
        grid.show();
        grid.setQuery(
            QStringLiteral("select ID,DMName,DMValue as 内容,CheckTypeId as 单据号 from Dict order by ID"));
    }
    QModelIndex cell(int row, const QString& field) {
        return grid.model()->index(row, grid.fieldIndex(field));
    }
    QVariant stored(const QString& sql) { return home.db().scalar(sql); }
};

} // namespace

class TestDataGridEditing : public QObject {
    Q_OBJECT
private slots:
    void aliasedColumnWritesItsSource() {
        Fixture f;
        QVERIFY(f.grid.model()->setData(f.cell(0, QStringLiteral("内容")), QStringLiteral("O'Brien 10%_")));
        QCOMPARE(f.stored(QStringLiteral("select DMValue from Dict where ID=1")).toString(),
                 QStringLiteral("O'Brien 10%_"));
        // The refresh reads the value back under its alias.
        f.grid.refresh();
        QCOMPARE(f.grid.value(0, QStringLiteral("内容")).toString(), QStringLiteral("O'Brien 10%_"));
    }

    void appendedRowWrittenOnPost() {
        Fixture f;
        f.grid.appendRow({{QStringLiteral("DMName"), QStringLiteral("单位")},
                          {QStringLiteral("内容"), QStringLiteral(" ")},
                          {QStringLiteral("单据号"), 7}});
        QCOMPARE(f.grid.rowCount(), 3);
        QCOMPARE(f.grid.currentRow(), 2);
        QVERIFY(f.grid.hasPendingRow());
        QCOMPARE(f.stored(QStringLiteral("select count(*) from Dict")).toInt(), 2);
        // Typed into an open editor and saved without leaving the cell.
        f.grid.setFocus();
        f.grid.edit(f.cell(2, QStringLiteral("内容")));
        auto* editor = f.grid.viewport()->findChild<QLineEdit*>();
        QVERIFY(editor);
        editor->setText(QStringLiteral("桶"));
        QVERIFY(f.grid.postPending());
        QVERIFY(!f.grid.hasPendingRow());
        QCOMPARE(
            f.stored(QStringLiteral("select DMValue||'/'||CheckTypeId||'/'||DMName from Dict where ID=3"))
                .toString(),
            QStringLiteral("桶/7/单位"));
        QCOMPARE(f.grid.rowCount(), 3);
        QCOMPARE(f.grid.value(2, QStringLiteral("ID")).toInt(), 3);
    }

    void leavingAppendedRowWritesIt() {
        Fixture f;
        f.grid.appendRow({{QStringLiteral("DMName"), QStringLiteral("单位")},
                          {QStringLiteral("内容"), QStringLiteral("盒")}});
        f.grid.setCurrentRow(0);
        QTRY_VERIFY(!f.grid.hasPendingRow());
        QCOMPARE(f.stored(QStringLiteral("select count(*) from Dict where DMValue='盒'")).toInt(), 1);
    }

    void failedAppendDropsRowAndReports() {
        Fixture f;
        f.home.db().exec(QStringLiteral("create trigger refuse before insert on Dict begin "
                                        "select raise(abort,'拒绝写入'); end"));
        QSignalSpy failed(&f.grid, &DataGrid::writeFailed);
        f.grid.appendRow({{QStringLiteral("内容"), QStringLiteral("x")}});
        QVERIFY(!f.grid.postPending());
        QCOMPARE(failed.count(), 1);
        QVERIFY(failed.first().first().toString().contains(QStringLiteral("拒绝写入")));
        QCOMPARE(f.grid.rowCount(), 2);
    }

    // A long list selected whole, then a row dropped and added back: the order is the order of
    // selecting.
    void selectionOrderOfLongList() {
        TestHome home;
        home.db().exec(QStringLiteral("create table Many (ID INTEGER PRIMARY KEY)"));
        home.db().exec(
            QStringLiteral("with recursive n(i) as (select 1 union all select i+1 from n where i<20000) "
                           "insert into Many select i from n"));
        DataGrid grid(home.db());
        grid.setQuery(QStringLiteral("select ID from Many order by ID"));
        grid.selectAll();
        QCOMPARE(grid.selectedRows().size(), 20000);
        QCOMPARE(grid.selectedRows().first(), 0);
        QCOMPARE(grid.selectedRows().last(), 19999);
        QItemSelectionModel* model = grid.selectionModel();
        model->select(grid.model()->index(5, 0), QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
        QCOMPARE(grid.selectedRows().size(), 19999);
        QVERIFY(!grid.selectedRows().contains(5));
        model->select(grid.model()->index(5, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QCOMPARE(grid.selectedRows().last(), 5);
        QCOMPARE(grid.selectedValues(QStringLiteral("ID")).last().toInt(), 6);
        model->clearSelection();
        QVERIFY(grid.selectedRows().isEmpty());
    }

    // A grid reading a batch at a time counts and deletes what its statement lists, read or not,
    // and nothing else.
    void partlyReadGridCountsAndDeletesTheWholeList() {
        TestHome home;
        home.db().exec(QStringLiteral("create table Many (ID INTEGER PRIMARY KEY, Kind TEXT)"));
        home.db().exec(
            QStringLiteral("with recursive n(i) as (select 1 union all select i+1 from n where i<1000) "
                           "insert into Many select i, case when i%4=0 then 'B' else 'A' end from n"));
        DataGrid grid(home.db());
        grid.setFetchSize(50);
        grid.setQuery(QStringLiteral("select * from Many where Kind=:k order by Kind, ID DESC"),
                      {{QStringLiteral("k"), QStringLiteral("A")}});
        QCOMPARE(grid.rowCount(), 50);
        QCOMPARE(grid.totalRows(), 750);
        grid.setCurrentRow(0);
        grid.deleteCurrentRow();
        QCOMPARE(grid.totalRows(), 749);
        QCOMPARE(grid.deleteAllRows(), 749);
        QCOMPARE(grid.totalRows(), 0);
        QCOMPARE(home.db().scalar(QStringLiteral("select count(*) from Many")).toInt(), 250);
        QCOMPARE(home.db().scalar(QStringLiteral("select count(*) from Many where Kind='B'")).toInt(), 250);
    }
};

OVERPRINT_TEST(TestDataGridEditing)
#include "TestDataGridEditing.moc"
