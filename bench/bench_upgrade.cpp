// The data upgrade of an earlier installation that has been used for years: 100,000 saved
// delivery notes and 10,000 address-book units in the earlier tables. Prints the median time of
// the whole run (the copy aside, every step in its transaction, the package) over fresh folders.
//   bench_upgrade [notes] [units] [runs]
#include "BenchHome.h"

#include "upgrade/EarlierDatabase.h"
#include "upgrade/UpgradeRun.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const QStringList args = application.arguments();
    const int notes = args.size() > 1 ? args[1].toInt() : 100000;
    const int units = args.size() > 2 ? args[2].toInt() : 10000;
    const int runs = args.size() > 3 ? args[3].toInt() : 3;
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        BenchHome home;
        if (!home.prepare())
            return 1;
        earlier::makeEarlier(home.app().db(), notes, units);
        home.app().version = QStringLiteral("9.28");
        upgrade::UpgradeRun run(home.app());
        QElapsedTimer timer;
        timer.start();
        const auto outcome = run.run();
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        if (outcome != upgrade::UpgradeRun::Outcome::Upgraded) {
            std::fprintf(stderr, "upgrade failed: %s\n", qPrintable(home.dialogs.lastText()));
            return 1;
        }
    }
    std::sort(times.begin(), times.end());
    std::printf("upgrade of %d notes and %d units: median %.0f ms over %d runs (min %.0f, max %.0f)\n", notes,
                units, times[times.size() / 2], runs, times.front(), times.back());
    return 0;
}
