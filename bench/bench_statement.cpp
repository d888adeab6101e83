// Statements of a month on a big store: customers (default 2,000) in the address book, each
// with notes every month of a year (default 10 a month, two goods lines each) and two payments
// a month. Prints the median time of one customer's statement PDF (read from the store, laid
// out, written and renamed), with and without goods lines, then the time of every active
// customer's statement in one PDF, its pages and size, and the peak memory of the process.
//   bench_statement [customers] [notes per customer and month] [runs]
#include "BenchHome.h"

#include "accounts/AccountsTables.h"
#include "accounts/Ledger.h"
#include "accounts/StatementOutput.h"
#include "entry/NoteDayTotals.h"
#include "print/RecordingPrintDevice.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <algorithm>
#include <cstdio>
#include <vector>

using bench::ms;
using bench::peakMemory;

namespace {

QString customerName(int i) {
    return QStringLiteral("客户%1贸易有限公司").arg(i, 5, 10, QLatin1Char('0'));
}

bool generate(core::Database& db, int customers, int perMonth, const QDate& lastMonth) {
    db.begin();
    QSqlQuery person(db.connection());
    QSqlQuery note(db.connection());
    QSqlQuery line(db.connection());
    QSqlQuery pay(db.connection());
    if (!person.prepare(
            QStringLiteral("insert into CKPersonalInfoTable (全称, 单位类型) values (?, '往来单位')")) ||
        !note.prepare(QStringLiteral("insert into DataCheckFHDSHD (票据编号, 模板种类, 票据状态, 合计金额, "
                                     "出票日期, 顾客名称) values (?, '标准', ?, ?, ?, ?)")) ||
        !line.prepare(
            QStringLiteral("insert into DataCheckFHDSHDDetail (票据编号, 序号, 货号, 商品名, 规格, "
                           "单位, 数量, 单价, 金额) values (?, ?, 'HH', ?, 'M8x30', '个', '2', ?, ?)")) ||
        !pay.prepare(
            QStringLiteral("insert into Payments (收款日期, 顾客名称, 金额分, 收款方式, 票据编号, 备注, "
                           "操作员, 录入时间) values (?, ?, ?, '转账', '', '', '王芳', ?)"))) {
        std::fprintf(stderr, "prepare failed\n");
        return false;
    }
    for (int c = 0; c < customers; ++c) {
        person.addBindValue(customerName(c));
        if (!person.exec())
            return false;
    }
    int number = 0;
    for (int m = 11; m >= 0; --m) {
        const QDate month = lastMonth.addMonths(-m);
        for (int c = 0; c < customers; ++c) {
            const QString customer = customerName(c);
            for (int n = 0; n < perMonth; ++n) {
                const QString id = QStringLiteral("S%1").arg(++number, 8, 10, QLatin1Char('0'));
                const QDate day = month.addDays((n * 3 + c) % month.daysInMonth());
                const double price = 5.5 + (c + n) % 40;
                note.addBindValue(id);
                note.addBindValue(n % 9 ? QStringLiteral("已发货") : QStringLiteral("正常"));
                note.addBindValue(QString::number(4 * price, 'f', 2));
                note.addBindValue(day.toString(Qt::ISODate) + QStringLiteral(" 10:00:00"));
                note.addBindValue(customer);
                if (!note.exec())
                    return false;
                for (int g = 1; g <= 2; ++g) {
                    line.addBindValue(id);
                    line.addBindValue(g);
                    line.addBindValue(g == 1 ? QStringLiteral("六角螺栓") : QStringLiteral("平垫圈"));
                    line.addBindValue(QString::number(price, 'f', 2));
                    line.addBindValue(QString::number(2 * price, 'f', 2));
                    if (!line.exec())
                        return false;
                }
            }
            for (int p = 0; p < 2; ++p) {
                const QDate day = month.addDays(10 + 10 * p);
                pay.addBindValue(day.toString(Qt::ISODate));
                pay.addBindValue(customer);
                pay.addBindValue(qint64(100000 + 37 * c));
                pay.addBindValue(day.toString(Qt::ISODate) + QStringLiteral(" 12:00:00"));
                if (!pay.exec())
                    return false;
            }
        }
    }
    db.commit();
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const int customers = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
    const int perMonth = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10;
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
    BenchHome home;
    if (!home.prepare())
        return 1;
    core::Database& db = home.app().db();
    accounts::ensureTables(db);
    const QDate lastMonth(2026, 11, 1);
    QElapsedTimer timer;
    timer.start();
    if (!generate(db, customers, perMonth, lastMonth))
        return 1;
    std::printf("generated %d customers, %d notes, %d payments in %.0f ms\n", customers,
                customers * perMonth * 12, customers * 24, ms(timer));
    // Written by SQL, the notes reach the kept sales as a data upgrade counts them.
    timer.restart();
    entry::NoteDayTotals(db).rebuild();
    std::printf("kept totals counted in %.0f ms, peak memory so far %s\n", ms(timer),
                qPrintable(peakMemory()));
    // The statements' own peak from here on (Linux: "5" resets the high-water mark).
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");

    const accounts::Period period = accounts::Period::month(2026, 11);
    const QString ourUnit = accounts::ourUnitName(db);
    accounts::Ledger ledger(db);
    for (const bool goods : {false, true}) {
        std::vector<double> times;
        int pages = 0;
        for (int r = 0; r < runs; ++r) {
            timer.restart();
            accounts::StatementPdf pdf(home.filePath(QStringLiteral("one.pdf")));
            pdf.add(accounts::StatementDocument(ledger.statement(customerName(r % customers), period, goods),
                                                ourUnit));
            pdf.finish();
            times.push_back(ms(timer));
            pages = pdf.pages();
        }
        std::sort(times.begin(), times.end());
        std::printf("one statement PDF%s: median %.1f ms (%d pages)\n", goods ? " with goods" : "",
                    times[times.size() / 2], pages);
    }

    timer.restart();
    const QStringList active = ledger.activeCustomers(period);
    const double listed = ms(timer);
    const QString all = home.filePath(QStringLiteral("all.pdf"));
    {
        accounts::StatementPdf pdf(all);
        QElapsedTimer part;
        double reading = 0;
        double drawing = 0;
        part.start();
        QVector<accounts::Statement> read = ledger.statements(active, period, false);
        reading += ms(part);
        part.start();
        for (accounts::Statement& s : read)
            pdf.add(accounts::StatementDocument(std::move(s), ourUnit));
        drawing += ms(part);
        part.start();
        pdf.finish();
        std::printf(
            "  reading the ledger %.0f ms, laying out and drawing %.0f ms, finishing the file %.0f ms\n",
            reading, drawing, ms(part));
        std::printf("all %lld active customers in one PDF: %.0f ms (list %.0f ms), %d pages, %lld KiB\n",
                    static_cast<long long>(active.size()), ms(timer), listed, pdf.pages(),
                    QFileInfo(all).size() / 1024);
    }
    {
        // The same page sets on a device that only records: the layout's own share.
        std::vector<accounts::StatementDocument> documents;
        for (accounts::Statement& s : ledger.statements(active, period, false))
            documents.emplace_back(std::move(s), ourUnit);
        print::RecordingPrintDevice recorder;
        timer.restart();
        recorder.beginDocument();
        for (const accounts::StatementDocument& document : documents) {
            document.drawAll(recorder, recorder.pages > 1 || &document != &documents.front());
            recorder.clearDrawing();
        }
        recorder.endDocument();
        std::printf("  the same pages laid out on a recording device: %.0f ms\n", ms(timer));
    }
    std::printf("peak memory (VmHWM): %s\n", qPrintable(peakMemory()));
    return 0;
}
