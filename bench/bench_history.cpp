// The history window over a firm's years of notes: 1,000,000 saved delivery notes (about 1,000 a
// day over the last 1,000 days) with two goods lines each, in the shipped schema. Prints the
// median time from creating the window to its first screen of rows with count and sum, the
// median of the "最近一个月" preset (about 30,000 notes) with count and sum, the time the data
// upgrade takes to count the kept day totals of every note, a save's cost at that size, the time of
// "作废选中", of marking a state and of "删除选中" over the newest notes selected in the window
// (100,000 by default; each from the click to the list shown again), and the peak memory of the
// process.
//   bench_history [notes] [runs] [selected]
#include "BenchHome.h"

#include "core/ui/DataGrid.h"
#include "core/ui/GridServices.h"
#include "entry/DeliveryNoteStore.h"
#include "entry/NoteDayTotals.h"
#include "history/NoteHistoryStore.h"
#include "history/ui/TfmSearch_FHDSHD.h"

#include <QApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <QItemSelectionModel>
#include <QLabel>
#include <QSqlQuery>
#include <algorithm>
#include <cstdio>
#include <vector>

using bench::median;
using bench::ms;
using bench::peakMemory;

namespace {

bool generate(core::Database& db, int notes) {
    static const char* const states[] = {"正常", "正常", "正常", "已收款", "未付款", "交易成功", "作废"};
    static const char* const customers[] = {"华强五金商行", "深圳电子有限公司", "O'Brien Trading", "鹏城建材",
                                            "南山物流"};
    const QDate today = QDate::currentDate();
    const int perDay = 1000;
    db.begin();
    QSqlQuery header(db.connection());
    QSqlQuery line(db.connection());
    if (!header.prepare(QStringLiteral(
            "insert into DataCheckFHDSHD (票据编号, 模板种类, 票据状态, 币种, 合计金额, 合计数量, 出票日期, "
            "订单日期, "
            "顾客名称, 顾客联系人, 顾客地址, 开票人) values (?,?,?,'人民币',?,?,?,?,?,?,?,'王芳')")) ||
        !line.prepare(QStringLiteral(
            "insert into DataCheckFHDSHDDetail (票据编号, 序号, 货号, 商品名, 规格, 单位, 数量, "
            "单价, 金额) values (?,?,?,?,?,'个',?,?,?)"))) {
        std::fprintf(stderr, "prepare failed\n");
        return false;
    }
    // Oldest first, so the newest notes carry the largest keys, as saving gives them.
    for (int i = 0; i < notes; ++i) {
        const QDate day = today.addDays(-((notes - 1 - i) / perDay));
        const QString when = day.toString(Qt::ISODate) + QStringLiteral(" %1:%2:00")
                                                             .arg(8 + i % 10, 2, 10, QLatin1Char('0'))
                                                             .arg(i % 60, 2, 10, QLatin1Char('0'));
        const QString number = QStringLiteral("S%1").arg(i + 1, 8, 10, QLatin1Char('0'));
        const double a = 10.5 * (1 + i % 7);
        const double b = 3.25 * (1 + i % 11);
        header.addBindValue(number);
        header.addBindValue(i % 5 ? QStringLiteral("标准") : QStringLiteral("三联241"));
        header.addBindValue(QString::fromUtf8(states[i % 7]));
        header.addBindValue(QString::number(a + b, 'f', 2));
        header.addBindValue(QString::number(2 + i % 18));
        header.addBindValue(when);
        header.addBindValue(when);
        header.addBindValue(QString::fromUtf8(customers[i % 5]));
        header.addBindValue(QStringLiteral("联系人%1").arg(i % 997));
        header.addBindValue(QStringLiteral("福田区华强北路%1号").arg(i % 300));
        if (!header.exec()) {
            std::fprintf(stderr, "insert failed\n");
            return false;
        }
        for (int n = 1; n <= 2; ++n) {
            line.addBindValue(number);
            line.addBindValue(n);
            line.addBindValue(QStringLiteral("HH-%1").arg(n));
            line.addBindValue(n == 1 ? QStringLiteral("六角螺栓") : QStringLiteral("平垫圈"));
            line.addBindValue(QStringLiteral("M8x30"));
            line.addBindValue(QStringLiteral("1"));
            line.addBindValue(QString::number(n == 1 ? a : b, 'f', 2));
            line.addBindValue(QString::number(n == 1 ? a : b, 'f', 2));
            if (!line.exec()) {
                std::fprintf(stderr, "insert failed\n");
                return false;
            }
        }
    }
    db.commit();
    return true;
}

// Reads the first rows of the window's list until it holds count of them, and selects them all.
bool selectNewest(history::ui::TfmSearch_FHDSHD& window, int count) {
    core::ui::DataGrid& grid = window.grid();
    QAbstractItemModel* model = grid.model();
    while (grid.rowCount() < count && model->canFetchMore({}))
        model->fetchMore({});
    if (grid.rowCount() < count) {
        std::fprintf(stderr, "only %d notes listed\n", grid.rowCount());
        return false;
    }
    grid.clearSelection();
    grid.selectionModel()->select(
        QItemSelection(model->index(0, 0), model->index(count - 1, model->columnCount() - 1)),
        QItemSelectionModel::Select | QItemSelectionModel::Rows);
    return grid.selectedRows().size() == count;
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const int notes = args.size() > 1 ? args.at(1).toInt() : 1000000;
    const int runs = args.size() > 2 ? args.at(2).toInt() : 7;
    const int selected = args.size() > 3 ? args.at(3).toInt() : 100000;
    BenchHome home;
    if (!home.prepare())
        return 1;
    core::AppContext& app = home.app();
    QElapsedTimer timer;
    timer.start();
    if (!generate(app.db(), notes))
        return 1;
    std::printf("notes: %d (goods lines: %d), generated in %.1f s\n", notes, 2 * notes, ms(timer) / 1000);
    // Written past the program, so counted as the data upgrade counts an earlier store's notes.
    timer.start();
    entry::NoteDayTotals(app.db()).rebuild();
    std::printf("kept day totals counted from every note: %.1f ms (%s rows)\n", ms(timer),
                qPrintable(app.db().scalar(QStringLiteral("select count(*) from NoteDayTotals")).toString()));
    core::ui::GridServices grids(app);

    std::vector<double> opening, month;
    qint64 found = 0, monthFound = 0;
    int rowsRead = 0;
    QString sum;
    for (int i = 0; i < runs; ++i) {
        timer.start();
        history::ui::TfmSearch_FHDSHD window(app, grids);
        window.show();
        QCoreApplication::processEvents();
        opening.push_back(ms(timer));
        found = window.foundCount();
        rowsRead = window.grid().rowCount();
        sum = window.findChild<QLabel*>(QStringLiteral("lbSum"))->text();

        // Each preset differs from the one before, so the memo never skips the timed query.
        window.datePresetClick(QStringLiteral("最近三天"));
        timer.start();
        window.datePresetClick(QStringLiteral("最近一个月"));
        QCoreApplication::processEvents();
        month.push_back(ms(timer));
        monthFound = window.foundCount();
        window.close();
    }
    // The parts on their own: the count and sum, and the first batch of rows.
    history::NoteHistoryStore store(app.db());
    std::vector<double> totalsAll, totalsMonth, firstRows, totalsCustomer, saves;
    history::NoteFilter monthFilter;
    monthFilter.anyDate = false;
    monthFilter.from = QDate::currentDate().addDays(-30);
    monthFilter.to = QDate::currentDate();
    const history::NoteCondition all = history::NoteHistoryStore::condition({});
    const history::NoteCondition lastMonth = history::NoteHistoryStore::condition(monthFilter);
    history::NoteFilter customerFilter;
    customerFilter.customer = QStringLiteral("鹏城");
    const history::NoteCondition customer = history::NoteHistoryStore::condition(customerFilter);
    entry::DeliveryNoteStore notesStore(app.db());
    for (int i = 0; i < runs; ++i) {
        timer.start();
        store.totals(all);
        totalsAll.push_back(ms(timer));
        timer.start();
        store.totals(lastMonth);
        totalsMonth.push_back(ms(timer));
        timer.start();
        app.db().query(history::NoteHistoryStore::statement(lastMonth, QStringLiteral("流水号")) +
                           QStringLiteral(" limit 200 offset 0"),
                       lastMonth.params);
        firstRows.push_back(ms(timer));
        timer.start();
        store.totals(customer);
        totalsCustomer.push_back(ms(timer));
        entry::DeliveryNote note;
        note.number = QStringLiteral("BENCH-%1").arg(i);
        note.variant = QStringLiteral("标准");
        note.total = QStringLiteral("12.50");
        note.issueDate = QDateTime::currentDateTime();
        note.lines.push_back({1, QStringLiteral("HH-1"), QStringLiteral("六角螺栓"), QStringLiteral("M8x30"),
                              QStringLiteral("个"), QStringLiteral("1"), QStringLiteral("12.50"),
                              QStringLiteral("12.50"), QString()});
        timer.start();
        notesStore.save(note);
        saves.push_back(ms(timer));
    }
    std::printf("runs: %d\n", runs);
    // The fastest run beside the median: on a shared machine the median carries other work.
    std::printf(
        "open to first screen with count and sum: median %.1f ms, fastest %.1f ms (%lld notes, %s, %d "
        "rows read)\n",
        median(opening), *std::min_element(opening.begin(), opening.end()), static_cast<long long>(found),
        qPrintable(sum), rowsRead);
    std::printf("\"最近一个月\" with count and sum: median %.1f ms, fastest %.1f ms (%lld notes)\n",
                median(month), *std::min_element(month.begin(), month.end()),
                static_cast<long long>(monthFound));
    std::printf(
        "  count and sum alone: all %.1f ms, last month %.1f ms; last month's first 200 rows %.1f ms\n",
        median(totalsAll), median(totalsMonth), median(firstRows));
    std::printf("  count and sum by a customer (a pass over the notes): %.1f ms\n", median(totalsCustomer));
    std::printf("save of a new note with its day totals: median %.1f ms\n", median(saves));

    // Before the selection below reads its rows into the list: the browsing's own peak.
    std::printf("peak memory after opening and the month queries (VmHWM): %s\n", qPrintable(peakMemory()));

    // The commands over a big selection, timed once each from the click: the statement, the
    // list read again and the message.
    {
        history::ui::TfmSearch_FHDSHD window(app, grids);
        if (!selectNewest(window, selected))
            return 1;
        home.dialogs.clear();
        timer.start();
        window.btVoidClick();
        const double voided = ms(timer);
        std::printf("\"作废选中\" of %d selected notes: %.1f ms (%s)\n", selected, voided,
                    qPrintable(home.dialogs.lastText()));

        if (!selectNewest(window, selected))
            return 1;
        timer.start();
        window.stateChosen(QStringLiteral("已收款"));
        const double marked = ms(timer);
        const int markedRows =
            app.db()
                .scalar(QStringLiteral("select count(*) from DataCheckFHDSHD where 票据状态='已收款'"))
                .toInt();
        std::printf("marking %d selected notes 已收款: %.1f ms (%d notes in that state)\n", selected, marked,
                    markedRows);

        if (!selectNewest(window, selected))
            return 1;
        home.dialogs.clear();
        home.dialogs.answers.enqueue(1);
        timer.start();
        window.btDeleteClick();
        const double deleted = ms(timer);
        std::printf("\"删除选中\" of %d selected notes with their lines: %.1f ms (%s)\n", selected, deleted,
                    qPrintable(home.dialogs.lastText()));
    }
    std::printf("peak memory (VmHWM): %s\n", qPrintable(peakMemory()));
    return 0;
}
