// The address-book manager on 50,000 units: showing it on every unit (全部) and a keyword
// search, each timed until the first screen of rows is painted. Prints medians; run offscreen
// (QT_QPA_PLATFORM=offscreen is set when nothing is).

#include "BenchHome.h"
#include "core/ui/DataGrid.h"
#include "core/ui/GridServices.h"
#include "masterdata/ui/Tfm_PersonManage.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

void fill(core::Database& db, int units) {
    const QStringList provinces = {QStringLiteral("广东"), QStringLiteral("浙江"), QStringLiteral("江苏"),
                                   QStringLiteral("北京"), QStringLiteral("四川")};
    db.begin();
    for (int i = 0; i < units; ++i) {
        const QString n = QString::number(i);
        db.exec(QStringLiteral(
                    "insert into CKPersonalInfoTable (全称,助记码,联系人,电话,手机,省,市,地址,单位类型,分组,"
                    "开户行账号,排序) values (:n,:m,:c,:p,:h,:pr,:ci,:a,:t,:g,:acc,0)"),
                {{QStringLiteral("n"), QStringLiteral("测试贸易有限公司") + n},
                 {QStringLiteral("m"), QStringLiteral("cs") + n},
                 {QStringLiteral("c"), QStringLiteral("联系人") + n},
                 {QStringLiteral("p"), QStringLiteral("0755-") + n},
                 {QStringLiteral("h"), QStringLiteral("138") + n.rightJustified(8, QLatin1Char('0'))},
                 {QStringLiteral("pr"), provinces.at(i % provinces.size())},
                 {QStringLiteral("ci"), QStringLiteral("某市")},
                 {QStringLiteral("a"), QStringLiteral("人民路") + n + QStringLiteral("号")},
                 {QStringLiteral("t"), i % 3 ? QStringLiteral("往来单位") : QStringLiteral("我方单位")},
                 {QStringLiteral("g"), QStringLiteral("分组") + QString::number(i % 20)},
                 {QStringLiteral("acc"), QStringLiteral("6222") + n}});
    }
    db.commit();
}

template <typename Step> void measure(const char* what, int rounds, Step step) {
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        step();
        QApplication::processEvents();
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    std::printf("%s, median of %d: %.1f ms (min %.1f, max %.1f)\n", what, rounds, times[times.size() / 2],
                times.front(), times.back());
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    BenchHome home;
    if (!home.prepare())
        return 1;
    core::AppContext& app = home.app();
    fill(app.db(), 50000);
    core::ui::GridServices grids(app);

    const int rounds = 9;
    // What one opening spends in reading the rows alone: the grid reads every row at once.
    measure("reading 50,000 rows into the grid", 3, [&] {
        core::ui::DataGrid grid(app.db());
        grid.setQuery(QStringLiteral("SELECT * FROM CKPersonalInfoTable order by 排序,全称 DESC"));
    });
    measure("opening the manager on 50,000 units (全部)", rounds, [&] {
        masterdata::ui::Tfm_PersonManage window(app, grids);
        window.show();
        window.repaint();
        window.hide();
    });
    masterdata::ui::Tfm_PersonManage window(app, grids);
    window.show();
    auto* key = window.findChild<QLineEdit*>(QStringLiteral("KeyEdit"));
    auto* query = window.findChild<QPushButton*>(QStringLiteral("btQur"));
    measure("keyword search 广东 (10,000 rows)", rounds, [&] {
        key->setText(QStringLiteral("广东"));
        query->click();
        window.repaint();
    });
    measure("keyword search 12345 (a few rows)", rounds, [&] {
        key->setText(QStringLiteral("12345"));
        query->click();
        window.repaint();
    });
    std::printf("rows shown last: %d\n", window.grid().rowCount());
    return 0;
}
