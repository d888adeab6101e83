// Times opening the preview of the shipped 出货单（标准） with every item carrying a test value:
// the template and its items read, planned and drawn once. Prints the median in milliseconds.
#include "BenchHome.h"
#include "templates/ui/Tfm_PrintPreview.h"

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
    core::Database& db = home.app().db();
    // Every item of the kind printable and filled, so the preview draws the whole form.
    db.exec(
        QStringLiteral("update NameDict set PrintItem=1, CtlData=CtlLabel where CheckTypeName='出货单' and "
                       "(CtlData is null or CtlData='')"));
    const int items = db.scalar(QStringLiteral("select count(*) from NameDict a, ckControl b where "
                                               "a.CtlName=b.CtlName and b.CheckTypeID=1 and b.NeedPrint=1"))
                          .toInt();
    std::vector<double> times;
    for (int run = 0; run < 21; ++run) {
        QElapsedTimer timer;
        timer.start();
        templates::ui::Tfm_PrintPreview preview(home.app(), 1);
        const QPixmap drawn = preview.paper()->grab();
        times.push_back(timer.nsecsElapsed() / 1e6);
        if (drawn.isNull() || preview.plan().ops.isEmpty())
            return 1;
    }
    std::sort(times.begin(), times.end());
    std::printf("preview of 出货单（标准） (%d items): median %.1f ms\n", items, times[times.size() / 2]);
    return 0;
}
