// Opening the delivery-note entry window on the default template: create the window, bind the
// template, place every box from the layout cache and restore the options. Prints the median
// of repeated openings; run offscreen (QT_QPA_PLATFORM=offscreen is set when nothing is).

#include "BenchHome.h"
#include "core/Database.h"
#include "core/ui/GridServices.h"
#include "entry/ui/EntryHost.h"
#include "entry/ui/NoteEditing.h"
#include "entry/ui/TfmCheckFHDSHD.h"
#include "print/RecordingPrintDevice.h"

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

class BenchHost final : public entry::ui::EntryHost {
public:
    explicit BenchHost(core::AppContext& app) : m_grids(app) {}
    bool offers(Command) const override { return false; }
    void run(Command) override {}
    void setBackgroundMenuEnabled(bool) override {}
    void formFaceSave(const QWidget&) override {}
    void formFaceLoad(QWidget&) override {}
    print::PrintDevice& printDevice() override { return m_device; }
    core::ui::GridServices& grids() override { return m_grids; }

private:
    print::RecordingPrintDevice m_device;
    core::ui::GridServices m_grids;
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    BenchHome home;
    if (!home.prepare())
        return 1;
    core::AppContext& app = home.app();
    BenchHost host(app);

    const int rounds = 30;
    std::vector<double> times;
    for (int i = 0; i <= rounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        {
            entry::ui::TfmCheckFHDSHD window(app, host);
            window.setAttribute(Qt::WA_DeleteOnClose, false);
            window.show();
            QApplication::processEvents();
        }
        const double ms = timer.nsecsElapsed() / 1e6;
        // The first opening builds the layout cache; it is reported apart.
        if (i == 0)
            std::printf("first opening (builds the layout cache): %.1f ms\n", ms);
        else
            times.push_back(ms);
    }
    std::sort(times.begin(), times.end());
    std::printf("entry window opening, median of %d: %.1f ms (min %.1f, max %.1f)\n", rounds,
                times[times.size() / 2], times.front(), times.back());

    // A number hand-out on a template whose series lags behind 1000 notes saved under another
    // one: it passes over every one of their numbers.
    const int saved = 1000;
    core::Database& db = app.db();
    db.begin();
    for (int n = 1; n <= saved; ++n)
        db.exec(QStringLiteral("insert into DataCheckFHDSHD (票据编号) values (:n)"),
                {{QStringLiteral("n"), QStringLiteral("%1").arg(n, 8, 10, QLatin1Char('0'))}});
    db.commit();
    entry::ui::TfmCheckFHDSHD window(app, host);
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.selectVariant(QStringLiteral("三联241"));
    std::vector<double> handOuts;
    for (int i = 0; i < 9; ++i) {
        db.exec(QStringLiteral("update IDBuilder set IDMax=0 where CheckTypeID=:id"),
                {{QStringLiteral("id"), window.currentCheckTypeId()}});
        QElapsedTimer timer;
        timer.start();
        const QString number = window.editing().buildMaxCheckNO();
        handOuts.push_back(timer.nsecsElapsed() / 1e6);
        if (number != QStringLiteral("%1").arg(saved + 1, 8, 10, QLatin1Char('0'))) {
            std::fprintf(stderr, "unexpected number %s\n", qPrintable(number));
            return 1;
        }
    }
    std::sort(handOuts.begin(), handOuts.end());
    std::printf("number hand-out past %d saved notes, median of %zu: %.1f ms\n", saved, handOuts.size(),
                handOuts[handOuts.size() / 2]);
    return 0;
}
