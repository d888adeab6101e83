// The overview over a large store: `bench_overview [notes] [runs]` (default 1,000,000 notes,
// 7 runs). The notes are generated straight into the tables in one transaction (three goods
// lines each, 1,000 a day back from today, 400 customers whose names come in two letter cases,
// 600 products, one note in 25 voided), the kept totals counted from them as a data upgrade
// counts an earlier store's notes. Prints the median time to read every figure and draw the
// four charts (refresh, then an offscreen grab of the window), and of a save of one note with
// all its kept totals.
#include "BenchHome.h"

#include "accounts/Ledger.h"
#include "accounts/ui/TfrmOverview.h"
#include "entry/DeliveryNoteStore.h"
#include "entry/NoteDayTotals.h"
#include "print/RecordingPrintDevice.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <vector>

using bench::median;
using bench::ms;

namespace {

bool generate(core::Database& db, int notes) {
    const QDate today = QDate::currentDate();
    const int perDay = 1000;
    db.begin();
    QSqlQuery header(db.connection());
    QSqlQuery line(db.connection());
    if (!header.prepare(QStringLiteral("insert into DataCheckFHDSHD (票据编号, 模板种类, 票据状态, 合计金额, "
                                       "出票日期, 顾客名称) values (?,'标准',?,?,?,?)")) ||
        !line.prepare(QStringLiteral("insert into DataCheckFHDSHDDetail (票据编号, 序号, 货号, 商品名, 数量, "
                                     "单价, 金额) values (?,?,?,?,'1',?,?)"))) {
        std::fprintf(stderr, "prepare failed\n");
        return false;
    }
    for (int i = 0; i < notes; ++i) {
        const QDate day = today.addDays(-((notes - 1 - i) / perDay));
        const QString when = day.toString(Qt::ISODate) + QStringLiteral(" %1:%2:00")
                                                             .arg(8 + i % 10, 2, 10, QLatin1Char('0'))
                                                             .arg(i % 60, 2, 10, QLatin1Char('0'));
        const QString number = QStringLiteral("S%1").arg(i + 1, 8, 10, QLatin1Char('0'));
        // Skewed, so the rankings have leaders: customer c takes about 1/(c+1) of the notes.
        const int customer = (i * 7919) % 400 * ((i % 3) + 1) / 3;
        qint64 total = 0;
        for (int n = 1; n <= 3; ++n) {
            const int product = (i * 31 + n * 197) % 600 * n / 3;
            const qint64 cents = 1000 + (i * 13 + n * 7) % 50000;
            total += cents;
            line.addBindValue(number);
            line.addBindValue(n);
            line.addBindValue(QStringLiteral("HH-%1").arg(product, 4, 10, QLatin1Char('0')));
            line.addBindValue(QStringLiteral("商品%1").arg(product));
            line.addBindValue(QString::number(cents / 100.0, 'f', 2));
            line.addBindValue(QString::number(cents / 100.0, 'f', 2));
            if (!line.exec()) {
                std::fprintf(stderr, "insert failed\n");
                return false;
            }
        }
        header.addBindValue(number);
        header.addBindValue(i % 25 == 0 ? QStringLiteral("作废") : QStringLiteral("正常"));
        header.addBindValue(QString::number(total / 100.0, 'f', 2));
        header.addBindValue(when);
        header.addBindValue(
            (i % 2 ? QStringLiteral("Shop%1 五金") : QStringLiteral("SHOP%1 五金")).arg(customer));
        if (!header.exec()) {
            std::fprintf(stderr, "insert failed\n");
            return false;
        }
    }
    db.commit();
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const int notes = args.size() > 1 ? args.at(1).toInt() : 1000000;
    const int runs = args.size() > 2 ? args.at(2).toInt() : 7;
    BenchHome home;
    if (!home.prepare())
        return 1;
    core::AppContext& app = home.app();
    QElapsedTimer timer;
    timer.start();
    if (!generate(app.db(), notes))
        return 1;
    std::printf("notes: %d (goods lines: %d), generated in %.1f s\n", notes, 3 * notes, ms(timer) / 1000);
    timer.start();
    entry::NoteDayTotals(app.db()).rebuild();
    std::printf(
        "kept totals counted from every note: %.1f s (%s customer-day rows, %s product-day rows)\n",
        ms(timer) / 1000,
        qPrintable(app.db().scalar(QStringLiteral("select count(*) from NoteCustomerDays")).toString()),
        qPrintable(app.db().scalar(QStringLiteral("select count(*) from NoteProductDays")).toString()));

    // 100,000 payments of the same customers over the same days, for the receivables.
    timer.start();
    {
        QSqlQuery q(app.db().connection());
        const bool paid = q.exec(QStringLiteral("insert into Payments (收款日期, 顾客名称, 金额分, 收款方式, "
                                                "录入时间) select date('now', '-' || "
                                                "((n * 7919) % %1) || ' days'), 'Shop' || (n % 400) || ' "
                                                "五金', 100 + (n * 37) % 200000, '转账', "
                                                "'2026-12-11 10:00:00' from (with recursive g(n) as (select "
                                                "1 union all select n+1 from g where "
                                                "n<100000) select n from g)")
                                     .arg(std::max(1, notes / 1000)));
        if (!paid) {
            std::fprintf(stderr, "payments: %s\n", qPrintable(q.lastError().text()));
            return 1;
        }
    }
    std::printf("payments: 100000, written in %.1f s\n", ms(timer) / 1000);
    print::RecordingPrintDevice device;
    // The receivables as the program reads them: the ledger over the kept totals and payments.
    accounts::ui::TfrmOverview window(app, device, QString(), {}, [&app](QDate asOf) {
        return accounts::Ledger(app.db()).receivables(asOf);
    });
    window.resize(1366, 740);
    window.show();
    QCoreApplication::processEvents();

    const std::pair<const char*, accounts::ui::TfrmOverview::Span> spans[] = {
        {"本月", accounts::ui::TfrmOverview::Span::ThisMonth},
        {"本年", accounts::ui::TfrmOverview::Span::ThisYear}};
    int months = 12;
    for (const auto& [name, span] : spans) {
        window.setSpan(span);
        std::vector<double> draws;
        for (int i = 0; i < runs; ++i) {
            timer.start();
            window.refresh();
            const QPixmap shot = window.grab();
            draws.push_back(ms(timer));
            if (shot.isNull())
                return 1;
        }
        std::printf("four charts read and drawn (%s, %d months): median %.1f ms, fastest %.1f ms\n", name,
                    months, median(draws), *std::min_element(draws.begin(), draws.end()));
        months = 24;
        window.setMonthCount(months);
    }

    std::vector<double> saves;
    entry::DeliveryNoteStore store(app.db());
    for (int i = 0; i < runs; ++i) {
        entry::DeliveryNote n;
        n.number = QStringLiteral("B%1").arg(i);
        n.customerName = QStringLiteral("Shop7 五金");
        n.total = QStringLiteral("30.00");
        n.issueDate = QDateTime::currentDateTime();
        for (int l = 1; l <= 3; ++l) {
            entry::NoteLine line;
            line.line = l;
            line.articleNumber = QStringLiteral("HH-%1").arg(l);
            line.amount = QStringLiteral("10.00");
            n.lines << line;
        }
        timer.start();
        store.save(n);
        saves.push_back(ms(timer));
    }
    std::printf("save of a note with three lines and its kept totals: median %.1f ms\n", median(saves));
    return 0;
}
