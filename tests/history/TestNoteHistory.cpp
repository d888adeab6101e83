#include "support/TestHome.h"
#include "support/TestRegistry.h"

#include "core/StatementStream.h"
#include "core/ui/DataGrid.h"
#include "core/ui/GridServices.h"
#include "entry/NoteDayTotals.h"
#include "history/NoteHistoryStore.h"
#include "history/ui/TfmSearch_FHDSHD.h"
#include "imports/GridExport.h"
#include "masterdata/TPerson.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTemporaryDir>
#include <QTest>

using history::NoteCondition;
using history::NoteFilter;
using history::NoteHistoryStore;
using history::ui::TfmSearch_FHDSHD;

namespace {

struct Note {
    Note(QString number, QString kind = QStringLiteral("标准"), QString state = QStringLiteral("正常"),
         QString customer = QStringLiteral("华强五金"), QString contact = {},
         QString issued = QDate::currentDate().toString(Qt::ISODate) + QStringLiteral(" 10:00:00"),
         QVariant total = QStringLiteral("10.00"), int lines = 1)
        : number(std::move(number)), kind(std::move(kind)), state(std::move(state)),
          customer(std::move(customer)), contact(std::move(contact)), issued(std::move(issued)),
          total(std::move(total)), lines(lines) {}
    QString number, kind, state, customer, contact, issued;
    QVariant total;
    int lines;
};

void addNote(core::Database& db, const Note& n) {
    db.exec(QStringLiteral(
                "insert into DataCheckFHDSHD (票据编号, 模板种类, 票据状态, 顾客名称, 顾客联系人, 出票日期, "
                "合计金额) values (:no, :kind, :state, :name, :contact, :issued, :total)"),
            {{"no", n.number},
             {"kind", n.kind},
             {"state", n.state},
             {"name", n.customer},
             {"contact", n.contact},
             {"issued", n.issued},
             {"total", n.total}});
    // As every save does: the note counted into the kept day totals.
    entry::NoteDayTotals(db).put(QStringLiteral("流水号=:key"), {{"key", db.lastInsertId()}});
    for (int line = 1; line <= n.lines; ++line)
        db.exec(QStringLiteral(
                    "insert into DataCheckFHDSHDDetail (票据编号, 序号, 商品名) values (:no, :n, :name)"),
                {{"no", n.number},
                 {"n", line},
                 {"name", n.number + QStringLiteral("-货") + QString::number(line)}});
}

QStringList numbersFound(core::Database& db, const NoteFilter& filter) {
    const NoteCondition c = NoteHistoryStore::condition(filter);
    core::Recordset rs = db.query(NoteHistoryStore::statement(c, QStringLiteral("流水号")), c.params);
    QStringList out;
    for (rs.first(); !rs.eof(); rs.next())
        out << rs.text(QStringLiteral("票据编号"));
    return out;
}

template <class T> T* child(QWidget& window, const char* name) {
    T* found = window.findChild<T*>(QLatin1String(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

int rows(core::Database& db, const QString& table) {
    return db.scalar(QStringLiteral("select count(*) from ") + table).toInt();
}

} // namespace

class TestNoteHistory : public QObject {
    Q_OBJECT

    std::unique_ptr<TestHome> home;
    std::unique_ptr<core::ui::GridServices> grids;

private slots:
    void init() {
        home = std::make_unique<TestHome>();
        QVERIFY2(home->isValid(), qPrintable(home->error()));
        grids = std::make_unique<core::ui::GridServices>(home->app());
    }
    void cleanup() {
        grids.reset();
        home.reset();
    }

    void amountBounds_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        for (const char* ok : {"12", "12.5", ".5", "12.", "0"})
            QTest::newRow(ok) << QString::fromLatin1(ok) << true;
        for (const char* bad : {".", "1.2.3", "12a", "-", "1e5", "-3", " 1"})
            QTest::newRow(bad) << QString::fromLatin1(bad) << false;
    }
    void amountBounds() {
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        QCOMPARE(NoteHistoryStore::isAmount(text), accepted);
        NoteFilter f;
        f.amountFrom = text;
        const NoteCondition c = NoteHistoryStore::condition(f);
        QCOMPARE(c.amountFromRefused, !accepted);
        // A refused bound adds nothing, so the statement always runs.
        home->db().query(NoteHistoryStore::statement(c, QStringLiteral("流水号")), c.params);
    }

    // Goods-line money reads with two decimals at least; no stored digit is rounded away and
    // what is no plain number stays as stored.
    void lineMoney_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown");
        const QList<std::pair<const char*, const char*>> rows{
            {"710", "710.00"}, {"616.8", "616.80"}, {"0.125", "0.125"}, {".5", "0.50"},  {"-3", "-3.00"},
            {"12.", "12.00"},  {" 7 ", "7.00"},     {"", ""},           {"abc", "abc"},  {"1,200", "1,200"},
            {"1e5", "1e5"},    {".", "."},          {"-", "-"},         {"１２", "１２"}};
        for (const auto& [stored, shown] : rows)
            QTest::newRow(stored) << QString::fromUtf8(stored) << QString::fromUtf8(shown);
    }
    void lineMoney() {
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        QCOMPARE(NoteHistoryStore::lineMoneyText(stored), shown);
    }

    // The goods lines under the list show their prices and amounts as money.
    void linesShowMoney() {
        core::Database& db = home->db();
        addNote(db, {"M-1", {}, {}, {}, {}, {}, "1326.80", 0});
        db.exec(
            QStringLiteral("insert into DataCheckFHDSHDDetail (票据编号, 序号, 商品名, 数量, 单价, 金额) "
                           "values ('M-1', 1, '螺栓', '1', '710', '710'), ('M-1', 2, '垫圈', '2', '308.4', "
                           "'616.8')"));
        TfmSearch_FHDSHD window(home->app(), *grids);
        core::ui::DataGrid& lines = window.linesGrid();
        QCOMPARE(lines.rowCount(), 2);
        QStringList shown;
        for (int row = 0; row < 2; ++row)
            for (const QString& field :
                 {QStringLiteral("数量"), QStringLiteral("单价"), QStringLiteral("金额")}) {
                const QModelIndex cell = lines.model()->index(row, lines.fieldIndex(field));
                auto* delegate = qobject_cast<QStyledItemDelegate*>(lines.itemDelegateForIndex(cell));
                QVERIFY(delegate);
                shown << delegate->displayText(cell.data(), QLocale());
            }
        QCOMPARE(shown, (QStringList{"1", "710.00", "710.00", "2", "308.40", "616.80"}));
    }

    void emptyFilterReadsEveryNote() {
        QCOMPARE(NoteHistoryStore::statement(NoteHistoryStore::condition({}), QStringLiteral("流水号")),
                 QStringLiteral("SELECT *, ") + NoteHistoryStore::kPaidColumn +
                     QStringLiteral(" FROM DataCheckFHDSHD   order by 流水号 DESC"));
    }

    // Typed filters match themselves: quotes, LIKE wildcards and CJK text are values, not SQL.
    void filtersMatchLiterally_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QStringList>("found");
        QTest::newRow("percent") << "number"
                                 << "50%" << QStringList{"A-50%"};
        QTest::newRow("underscore") << "number"
                                    << "X_1" << QStringList{"X_1"};
        QTest::newRow("quote in customer") << "customer"
                                           << "O'Brien" << QStringList{"Q-2"};
        QTest::newRow("contact") << "customer"
                                 << "李四" << QStringList{"X21"};
        QTest::newRow("kind part") << "kind"
                                   << "三联" << QStringList{"X21"};
        QTest::newRow("state exact") << "state"
                                     << "作废" << QStringList{"X_1"};
        QTest::newRow("state not partial") << "state"
                                           << "作" << QStringList{};
        QTest::newRow("amount from") << "amountFrom"
                                     << "100" << QStringList{"Q-2", "A-50%"};
        QTest::newRow("amount to") << "amountTo"
                                   << "99.99" << QStringList{"X21", "X_1"};
    }
    void filtersMatchLiterally() {
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(QStringList, found);
        core::Database& db = home->db();
        addNote(db, {"A-50%", "标准", "正常", "华强五金", "", {}, "150.00"});
        addNote(db, {"A-500", "标准", "正常", "华强五金", "", {}, ""});
        addNote(db, {"X_1", "标准", "作废", "华强五金", "", {}, "20"});
        addNote(db, {"X21", "三联241", "正常", "深圳电子", "李四", {}, "30"});
        addNote(db, {"Q-2", "标准", "正常", "O'Brien Ltd", "", {}, "100"});
        NoteFilter f;
        QMap<QString, QString*> fields{
            {"number", &f.number}, {"customer", &f.customer},     {"kind", &f.kind},
            {"state", &f.state},   {"amountFrom", &f.amountFrom}, {"amountTo", &f.amountTo}};
        *fields.value(field) = value;
        QStringList got = numbersFound(db, f);
        // Amount filters see the note with an empty total as 0.
        got.removeAll(QStringLiteral("A-500"));
        QCOMPARE(got, found);
    }

    // "今天" covers the whole of today and nothing of the days around it.
    void todayCoversTheWholeDay() {
        core::Database& db = home->db();
        const QDate today = QDate::currentDate();
        addNote(db, {"yesterday", {}, {}, {}, {}, today.addDays(-1).toString(Qt::ISODate) + " 23:59:59"});
        addNote(db, {"early", {}, {}, {}, {}, today.toString(Qt::ISODate) + " 00:00:00"});
        addNote(db, {"late", {}, {}, {}, {}, today.toString(Qt::ISODate) + " 23:59:59"});
        addNote(db, {"tomorrow", {}, {}, {}, {}, today.addDays(1).toString(Qt::ISODate) + " 00:00:00"});
        TfmSearch_FHDSHD window(home->app(), *grids);
        QCOMPARE(window.foundCount(), 4);
        window.datePresetClick(QStringLiteral("今天"));
        QCOMPARE(window.foundCount(), 2);
        QCOMPARE(window.grid().value(0, QStringLiteral("票据编号")).toString(), QStringLiteral("late"));
        QCOMPARE(window.grid().value(1, QStringLiteral("票据编号")).toString(), QStringLiteral("early"));
    }

    // The sum leaves empty totals out and shows money text, never binary noise.
    void sumAsMoneyText() {
        core::Database& db = home->db();
        addNote(db, {"n1", {}, {}, {}, {}, {}, "5001619729.79"});
        addNote(db, {"n2", {}, {}, {}, {}, {}, "0.1"});
        addNote(db, {"n3", {}, {}, {}, {}, {}, "0.1"});
        addNote(db, {"n4", {}, {}, {}, {}, {}, ""});
        addNote(db, {"n5", {}, {}, {}, {}, {}, QVariant()});
        addNote(db, {"n6", {}, {}, {}, {}, {}, " 1 000.00x"});
        TfmSearch_FHDSHD window(home->app(), *grids);
        QCOMPARE(child<QLabel>(window, "Pjcount")->text(), QStringLiteral("6"));
        // A total typed with blanks counts as val() reads it.
        QCOMPARE(child<QLabel>(window, "lbSum")->text(), QStringLiteral("金额汇总:￥5001620729.99"));
        child<QComboBox>(window, "cb_PJBH")->setEditText(QStringLiteral("n4"));
        window.btQueryClick();
        QCOMPARE(child<QLabel>(window, "lbSum")->text(), QStringLiteral("金额汇总:￥"));
    }

    // An identical query reads nothing; "全 部" always reads again. Refused dates leave the list
    // and the memo as they were, so "不限日期" afterwards reads the table again.
    void memoOfTheLastQuery() {
        core::Database& db = home->db();
        addNote(
            db,
            {"old", {}, {}, {}, {}, QDate::currentDate().addDays(-2).toString(Qt::ISODate) + " 09:00:00"});
        TfmSearch_FHDSHD window(home->app(), *grids);
        addNote(db, {"new"});
        window.btQueryClick();
        QCOMPARE(window.grid().rowCount(), 1);
        window.btAllClick();
        QCOMPARE(window.grid().rowCount(), 2);

        window.datePresetClick(QStringLiteral("今天"));
        QCOMPARE(window.grid().rowCount(), 1);
        child<QDateEdit>(window, "Date2")->setDate(QDate::currentDate().addDays(-1));
        home->dialogs().clear();
        window.btQueryClick();
        QCOMPARE(home->dialogs().shown.size(), 1);
        QCOMPARE(home->dialogs().shown.first().caption, QStringLiteral("日期输入"));
        QVERIFY(home->dialogs().lastText().startsWith(QStringLiteral("日期选择有误:\"")));
        QCOMPARE(window.grid().rowCount(), 1);
        child<QCheckBox>(window, "ckNomatterRQ")->setChecked(true);
        window.btQueryClick();
        QCOMPARE(window.grid().rowCount(), 2);
    }

    // A refused amount bound reads "非法数字" in red; the other filters still apply.
    void refusedAmountKeepsOtherFilters() {
        core::Database& db = home->db();
        addNote(db, {"K-1", {}, {}, {}, {}, {}, "5"});
        addNote(db, {"K-2", {}, {}, {}, {}, {}, "500"});
        addNote(db, {"Z-1", {}, {}, {}, {}, {}, "500"});
        TfmSearch_FHDSHD window(home->app(), *grids);
        child<QComboBox>(window, "cb_PJBH")->setEditText(QStringLiteral(" K- "));
        auto* from = child<QLineEdit>(window, "edtJEFrom");
        from->setText(QStringLiteral("12a"));
        window.btQueryClick();
        QCOMPARE(from->text(), QStringLiteral("非法数字"));
        QCOMPARE(from->palette().color(QPalette::Text), QColor(Qt::red));
        QCOMPARE(child<QComboBox>(window, "cb_PJBH")->currentText(), QStringLiteral("K-"));
        QCOMPARE(child<QComboBox>(window, "cb_PJBH")->palette().color(QPalette::Base), QColor(255, 255, 0));
        QCOMPARE(window.foundCount(), 2);
    }

    // The goods lines follow the current note whether it moves by key, by click or by wheel.
    void goodsLinesFollowTheCurrentNote() {
        core::Database& db = home->db();
        addNote(db, {"old", {}, {}, {}, {}, {}, "1", 1});
        addNote(db, {"new", {}, {}, {}, {}, {}, "1", 3});
        TfmSearch_FHDSHD window(home->app(), *grids);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        core::ui::DataGrid& lines = window.linesGrid();
        QCOMPARE(lines.rowCount(), 3);
        window.grid().setFocus();
        QTest::keyClick(&window.grid(), Qt::Key_Down);
        QCOMPARE(window.grid().currentRow(), 1);
        QCOMPARE(lines.rowCount(), 1);
        QCOMPARE(lines.value(0, QStringLiteral("商品名")).toString(), QStringLiteral("old-货1"));
        QWheelEvent up(QPointF(5, 5), window.grid().viewport()->mapToGlobal(QPointF(5, 5)), {}, {0, 120},
                       Qt::NoButton, {}, Qt::NoScrollPhase, false);
        QApplication::sendEvent(window.grid().viewport(), &up);
        QCOMPARE(window.grid().currentRow(), 0);
        QCOMPARE(lines.rowCount(), 3);
    }

    // Rows are coloured by state; selected voided notes keep red text.
    void stateColours_data() {
        QTest::addColumn<QString>("state");
        QTest::addColumn<QColor>("background");
        QTest::addColumn<QColor>("text");
        QTest::newRow("unpaid") << "未付款" << QColor(Qt::white) << QColor(Qt::red);
        QTest::newRow("owing") << "欠款30" << QColor(Qt::white) << QColor(Qt::red);
        QTest::newRow("done") << "交易成功" << QColor(230, 247, 230) << QColor(Qt::black);
        QTest::newRow("done and more") << "交易成功了" << QColor(Qt::white) << QColor(Qt::black);
        QTest::newRow("void") << "作废" << QColor(Qt::white) << QColor(Qt::black);
    }
    void stateColours() {
        QFETCH(QString, state);
        QFETCH(QColor, background);
        QFETCH(QColor, text);
        addNote(home->db(), {"s", {}, state});
        TfmSearch_FHDSHD window(home->app(), *grids);
        const QModelIndex cell = window.grid().model()->index(0, 0);
        QCOMPARE(cell.data(Qt::BackgroundRole).value<QBrush>().color(), background);
        QCOMPARE(cell.data(Qt::ForegroundRole).value<QBrush>().color(), text);
    }

    // What the clerk sees: paid notes on green, unpaid in red, the selected rows on blue with a
    // voided one still in red.
    void stateColoursOnScreen() {
        core::Database& db = home->db();
        const QStringList states{"正常", "交易成功", "未付款", "作废", "欠款", "已收款", "交易成功", "作废"};
        for (int i = 0; i < states.size(); ++i)
            addNote(db, {QStringLiteral("S-%1").arg(i),
                         {},
                         states.at(i),
                         QStringLiteral("客户%1").arg(i),
                         {},
                         QDate::currentDate().toString(Qt::ISODate) + " 10:00:00",
                         QStringLiteral("%1.50").arg(i * 100),
                         i % 3 + 1});
        TfmSearch_FHDSHD window(home->app(), *grids);
        window.resize(1100, 640);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        core::ui::DataGrid& grid = window.grid();
        // Rows newest first: 作废 (0), 交易成功 (1), 已收款 (2), 欠款 (3), 作废 (4) ...
        grid.selectRow(0);
        grid.selectionModel()->select(grid.model()->index(2, 0),
                                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
        grid.setFocus();
        QTest::qWait(50);
        const QImage shot = grid.viewport()->grab().toImage();
        if (qEnvironmentVariableIsSet("OVERPRINT_SHOTS"))
            window.grab().save(QStringLiteral("/tmp/history-window.png"));
        auto has = [&](int row, auto test) {
            const QRect r = grid.visualRect(grid.model()->index(row, 1)).adjusted(1, 1, -1, -1);
            for (int y = r.top(); y <= r.bottom(); ++y)
                for (int x = r.left(); x <= r.right(); ++x)
                    if (test(QColor(shot.pixel(x, y))))
                        return true;
            return false;
        };
        const auto blue = [](const QColor& c) { return c == QColor(0, 0, 255); };
        const auto red = [](const QColor& c) { return c.red() > 180 && c.green() < 90 && c.blue() < 90; };
        const auto green = [](const QColor& c) { return c == QColor(230, 247, 230); };
        QVERIFY(has(0, blue) && has(0, red));
        QVERIFY(has(2, blue) && !has(2, red));
        QVERIFY(has(1, green));
        QVERIFY(has(3, red) && !has(3, blue));
        QVERIFY(!has(4, red) && !has(4, green));
    }

    // Voiding counts every selected note, also one voided before.
    void voidSelected() {
        core::Database& db = home->db();
        addNote(db, {"v1", {}, "作废"});
        addNote(db, {"v2"});
        addNote(db, {"v3"});
        TfmSearch_FHDSHD window(home->app(), *grids);
        home->dialogs().clear();
        window.grid().clearSelection();
        window.btVoidClick();
        QCOMPARE(home->dialogs().lastText(),
                 QStringLiteral("没有点中要作废的票据!（按住ctrl+点击，可多选哦）"));
        window.grid().selectRow(2);
        window.grid().selectionModel()->select(window.grid().model()->index(1, 0),
                                               QItemSelectionModel::Select | QItemSelectionModel::Rows);
        window.btVoidClick();
        QCOMPARE(home->dialogs().lastText(), QStringLiteral("成功作废2条记录！"));
        QCOMPARE(
            db.scalar(QStringLiteral("select count(*) from DataCheckFHDSHD where 票据状态='作废'")).toInt(),
            2);
    }

    // A state chosen from the menu is written (cut before "(") on the selected notes only.
    void markWithState() {
        core::Database& db = home->db();
        addNote(db, {"m1"});
        addNote(db, {"m2"});
        TfmSearch_FHDSHD window(home->app(), *grids);
        emit window.stateMenu()->aboutToShow();
        QStringList entries;
        for (QAction* a : window.stateMenu()->actions())
            entries << a->text();
        QVERIFY(entries.contains(QStringLiteral("已收款")));
        QCOMPARE(entries.last(), QStringLiteral("[添加/修改票据状态]"));
        window.grid().selectRow(0);
        window.stateChosen(QStringLiteral(" 已收款(全额) "));
        QCOMPARE(
            db.scalar(QStringLiteral("select 票据状态 from DataCheckFHDSHD where 票据编号='m2'")).toString(),
            QStringLiteral("已收款"));
        QCOMPARE(
            db.scalar(QStringLiteral("select 票据状态 from DataCheckFHDSHD where 票据编号='m1'")).toString(),
            QStringLiteral("正常"));
    }

    // The delete reports the notes deleted, takes their goods lines along, and happens whole.
    void deleteSelected() {
        core::Database& db = home->db();
        addNote(db, {"d1", {}, {}, {}, {}, {}, "1", 2});
        addNote(db, {"d2", {}, {}, {}, {}, {}, "1", 2});
        TfmSearch_FHDSHD window(home->app(), *grids);
        window.grid().selectRow(1);
        // Another hand deleted it meanwhile: one selected, none deleted.
        db.exec(QStringLiteral("delete from DataCheckFHDSHD where 票据编号='d1'"));
        home->dialogs().answers.enqueue(1);
        window.btDeleteClick();
        QCOMPARE(home->dialogs().texts().first(), QStringLiteral("确定要删除选中的1个单据吗?"));
        QCOMPARE(home->dialogs().lastText(), QStringLiteral("0个单据删除成功~"));
        QCOMPARE(rows(db, "DataCheckFHDSHDDetail"), 2);
        window.grid().selectRow(0);
        home->dialogs().answers.enqueue(1);
        window.btDeleteClick();
        QCOMPARE(home->dialogs().lastText(), QStringLiteral("1个单据删除成功~"));
        QCOMPARE(rows(db, "DataCheckFHDSHD"), 0);
    }

    // "删除列出" deletes every note found, beyond the rows the grid has read, and sweeps goods
    // lines left without a note even when some note has no number.
    void deleteListedByCondition() {
        core::Database& db = home->db();
        db.begin();
        for (int i = 0; i < 450; ++i)
            addNote(db, {QStringLiteral("L%1").arg(i), QStringLiteral("三联241")});
        db.commit();
        addNote(db, {"keep"});
        addNote(db, {QString(), {}, {}, {}, {}, {}, "1", 0});
        db.exec(QStringLiteral("update DataCheckFHDSHD set 票据编号=NULL where 票据编号=''"));
        db.exec(QStringLiteral("insert into DataCheckFHDSHDDetail (票据编号, 序号) values ('gone', 1)"));
        TfmSearch_FHDSHD window(home->app(), *grids);
        child<QComboBox>(window, "filterTypeName")->setEditText(QStringLiteral("三联"));
        window.btQueryClick();
        QCOMPARE(window.foundCount(), 450);
        QVERIFY(window.grid().rowCount() < 450);
        home->dialogs().answers.enqueue(1);
        window.btDeleteListClick();
        QVERIFY(home->dialogs().sawText(QStringLiteral("450条记录删除成功！")));
        QCOMPARE(rows(db, "DataCheckFHDSHD"), 2);
        QCOMPARE(
            db.scalar(QStringLiteral("select group_concat(票据编号) from DataCheckFHDSHDDetail")).toString(),
            QStringLiteral("keep"));
    }

    // "删除列出" deletes what the grid lists from a query that ran. After a failed query (here the
    // table out of reach, as when another program holds the file past the wait) the grid is
    // empty and nothing is deleted, with the reason; also when the window's first query failed.
    // A note saved after the query is not in the list and stays.
    void deleteListedOnlyAfterAQueryThatRan_data() {
        QTest::addColumn<bool>("firstQueryFails");
        QTest::addColumn<bool>("laterQueryFails");
        QTest::addColumn<QStringList>("left");
        QTest::newRow("listed, one saved since") << false << false << QStringList{"b1", "b2", "new"};
        QTest::newRow("after a failed query")
            << false << true << QStringList{"a1", "a2", "a3", "b1", "b2", "new"};
        QTest::newRow("first query failed")
            << true << false << QStringList{"a1", "a2", "a3", "b1", "b2", "new"};
    }
    void deleteListedOnlyAfterAQueryThatRan() {
        QFETCH(bool, firstQueryFails);
        QFETCH(bool, laterQueryFails);
        QFETCH(QStringList, left);
        core::Database& db = home->db();
        for (const char* number : {"a1", "a2", "a3"})
            addNote(db, {number, QStringLiteral("三联241")});
        for (const char* number : {"b1", "b2"})
            addNote(db, {number});
        const auto hide = [&db] { db.exec(QStringLiteral("alter table DataCheckFHDSHD rename to Away")); };
        const auto restore = [&db] { db.exec(QStringLiteral("alter table Away rename to DataCheckFHDSHD")); };
        if (firstQueryFails)
            hide();
        TfmSearch_FHDSHD window(home->app(), *grids);
        if (firstQueryFails) {
            restore();
        } else {
            child<QComboBox>(window, "filterTypeName")->setEditText(QStringLiteral("三联"));
            window.btQueryClick();
            QCOMPARE(window.foundCount(), 3);
        }
        if (laterQueryFails) {
            hide();
            child<QComboBox>(window, "filterTypeName")->setEditText(QStringLiteral("标准"));
            window.btQueryClick();
            restore();
        }
        const bool failed = firstQueryFails || laterQueryFails;
        QCOMPARE(home->dialogs().sawText(QStringLiteral("数据库错误,Error=")), failed);
        if (failed) {
            QCOMPARE(window.grid().rowCount(), 0);
            QCOMPARE(child<QLabel>(window, "Pjcount")->text(), QStringLiteral("0"));
        }
        addNote(db, {"new", QStringLiteral("三联241")});
        home->dialogs().clear();
        home->dialogs().answers.enqueue(1);
        window.btDeleteListClick();
        if (failed)
            QCOMPARE(
                home->dialogs().lastText(),
                QStringLiteral("上一次查询没有成功，列表是空的：没有删除任何单据。请重新查询后再删除。"));
        else
            QCOMPARE(home->dialogs().texts().at(1), QStringLiteral("3条记录删除成功！"));
        core::Recordset rs =
            db.query(QStringLiteral("select 票据编号 from DataCheckFHDSHD order by 票据编号"));
        QStringList kept;
        for (rs.first(); !rs.eof(); rs.next())
            kept << rs.text(0);
        QCOMPARE(kept, left);
        QCOMPARE(rows(db, "DataCheckFHDSHDDetail"), left.size());
    }

    // A process killed inside "删除列出" or "删除选中" leaves every note with its goods lines: the
    // write is stopped at each of its steps and the file opened again, as after a kill.
    void deletesAreWholeWhenStopped_data() {
        QTest::addColumn<QString>("step");
        QTest::newRow("listed: notes deleted, lines not yet") << "history.deleteListed.notes";
        QTest::newRow("selected: lines deleted, notes not yet") << "history.deleteNotes.lines";
    }
    void deletesAreWholeWhenStopped() {
        QFETCH(QString, step);
        struct Stopped {};
        core::Database& db = home->db();
        for (const char* number : {"k1", "k2", "k3"})
            addNote(db, {number, {}, {}, {}, {}, {}, "1", 2});
        NoteHistoryStore store(db);
        db.setStepHook([step](const QString& reached) {
            if (reached == step)
                throw Stopped{};
        });
        if (step.startsWith(QStringLiteral("history.deleteListed")))
            QVERIFY_THROWS_EXCEPTION(Stopped, store.deleteListed(NoteHistoryStore::condition({})));
        else
            QVERIFY_THROWS_EXCEPTION(Stopped,
                                     store.deleteNotes({QStringLiteral("k1"), QStringLiteral("k3")}));
        db.setStepHook({});
        db.close();
        home->app().connect();
        QCOMPARE(rows(db, "DataCheckFHDSHD"), 3);
        QCOMPARE(rows(db, "DataCheckFHDSHDDetail"), 6);
    }

    // Clearing asks twice and reports what the committed delete removed.
    void clearAll() {
        core::Database& db = home->db();
        addNote(db, {"c1"});
        addNote(db, {"c2"});
        TfmSearch_FHDSHD window(home->app(), *grids);
        home->dialogs().answers << 1 << 0;
        window.btClearClick();
        QCOMPARE(rows(db, "DataCheckFHDSHD"), 2);
        home->dialogs().answers << 1 << 1;
        window.btClearClick();
        QCOMPARE(home->dialogs().lastText(), QStringLiteral("清空成功！共删除2条单据记录"));
        QVERIFY(!db.inTransaction());
        QCOMPARE(rows(db, "DataCheckFHDSHD") + rows(db, "DataCheckFHDSHDDetail"), 0);
        QVERIFY(!child<QPushButton>(window, "btClear")->isEnabled());
    }

    // The export walks the whole result, not the rows the grid has read.
    void exportCoversTheWholeResult() {
        core::Database& db = home->db();
        db.begin();
        for (int i = 0; i < 430; ++i)
            addNote(db, {QStringLiteral("E%1").arg(i)});
        db.commit();
        TfmSearch_FHDSHD window(home->app(), *grids);
        QVERIFY(window.grid().rowCount() < 430);
        core::StatementStream model(db, window.grid().sql(), window.grid().params(),
                                    int(window.foundCount()));
        QVector<int> columns{model.columnCount() - 1, 1};
        QTemporaryDir dir;
        home->dialogs().files.enqueue(dir.filePath(QStringLiteral("out.xlsx")));
        imports::GridExport exporter(home->dialogs(), &model, columns, QStringLiteral("t"));
        exporter.setOpener([](const QString&) { return true; });
        int last = 0;
        QCOMPARE(exporter.run([](int) {}, [&last](int done) { return (last = done) > 0; }),
                 imports::GridExport::Result::Done);
        QCOMPARE(last, 430);
        QCOMPARE(model.index(0, 0).data(), QVariant()); // read forward once, as written
        QVERIFY(home->dialogs().sawText(QStringLiteral("430条记录导出完成！")));
    }

    // "%abc" becomes the unit whose mnemonic starts with abc and is shortest; Enter looks a
    // mnemonic up whole.
    void customerShortcut() {
        core::Database& db = home->db();
        for (auto [name, code] : {std::pair{"长名单位", "abcdef"}, std::pair{"短名单位", "abcd"},
                                  std::pair{"别的单位", "xabc"}, std::pair{"百分单位", "ab%xyz"}}) {
            masterdata::TPerson p;
            p.setFullName(QString::fromUtf8(name));
            p.setMnemonic(QString::fromUtf8(code));
            p.setUnitType(QStringLiteral("往来单位"));
            p.save(db);
        }
        TfmSearch_FHDSHD window(home->app(), *grids);
        auto* box = child<QLineEdit>(window, "filterSKR");
        box->setText(QStringLiteral("% abc"));
        window.filterSKRExit();
        QCOMPARE(box->text(), QStringLiteral("短名单位"));
        box->setText(QStringLiteral("%ab%"));
        window.filterSKRExit();
        QCOMPARE(box->text(), QStringLiteral("百分单位"));
        box->setText(QStringLiteral("%zzz"));
        window.filterSKRExit();
        QCOMPARE(box->text(), QStringLiteral("zzz"));
        QVERIFY(!child<QPushButton>(window, "btSKR")->isEnabled());
    }

    // Double-click opens the current note through the opener when "双击打开" is ticked; the
    // tick is kept in Config.ini.
    void openByDoubleClick() {
        addNote(home->db(), {"o1", QStringLiteral("三联241")});
        QStringList opened;
        home->app().setINIConfigByname(QStringLiteral("ZPView_DBLOPEN"), QStringLiteral("0"));
        TfmSearch_FHDSHD window(home->app(), *grids, [&opened](const QString& kind, const QString& number) {
            opened << kind + QLatin1Char('/') + number;
            return true;
        });
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* tick = child<QCheckBox>(window, "ckDblOpen");
        QVERIFY(!tick->isChecked());
        const QPoint cell = window.grid().visualRect(window.grid().model()->index(0, 1)).center();
        QTest::mouseDClick(window.grid().viewport(), Qt::LeftButton, {}, cell);
        QVERIFY(opened.isEmpty());
        tick->click();
        QCOMPARE(home->app().getINIConfigByname(QStringLiteral("ZPView_DBLOPEN")), QStringLiteral("1"));
        QTest::mouseDClick(window.grid().viewport(), Qt::LeftButton, {}, cell);
        QCOMPARE(opened, QStringList{QStringLiteral("三联241/o1")});
        QVERIFY(!window.isVisible());
    }
};

OVERPRINT_TEST(TestNoteHistory)
#include "TestNoteHistory.moc"
