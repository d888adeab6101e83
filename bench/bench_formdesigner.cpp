// Times opening the entry-form designer on the shipped 出货单（标准）: the template, its items
// and their layout rows read, every box made and placed over the image, the window drawn once.
// Prints the median in milliseconds.
#include "BenchHome.h"
#include "designer/ui/TfmCheckDesign.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    BenchHome home;
    if (!home.prepare())
        return 1;
    const int items = home.app()
                          .db()
                          .scalar(QStringLiteral("select count(*) from NameDict a, ckControl b where "
                                                 "a.CtlName=b.CtlName and b.CheckTypeID=1"))
                          .toInt();
    std::vector<double> times;
    for (int run = 0; run < 21; ++run) {
        QElapsedTimer timer;
        timer.start();
        designer::ui::TfmCheckDesign window(home.app(), 1);
        const QPixmap drawn = window.grab();
        times.push_back(timer.nsecsElapsed() / 1e6);
        if (drawn.isNull() || !window.box(QStringLiteral("zdPJBH")))
            return 1;
    }
    std::sort(times.begin(), times.end());
    std::printf("entry-form designer on 出货单（标准） (%d items): median %.1f ms\n", items,
                times[times.size() / 2]);
    return 0;
}
