// Times the print-layout designer on the shipped 出货单（标准）: opening it (template, items,
// plans, first painting of the surface), repainting after a zoom change, and one repaint per
// pointer move while an item is dragged. Prints medians in milliseconds. With a file name as
// argument it also saves a picture of the opened window there.
#include "BenchHome.h"
#include "designer/ui/LayoutSurface.h"
#include "designer/ui/TfmTemplateDesigner.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPixmap>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void mouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
    QMouseEvent e(type, at, w->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    BenchHome home;
    if (!home.prepare())
        return 1;
    std::vector<double> opening, zooming, dragging;
    for (int run = 0; run < 11; ++run) {
        QElapsedTimer timer;
        timer.start();
        designer::ui::TfmTemplateDesigner window(home.app(), 1);
        window.show();
        const QPixmap first = window.surface()->grab();
        opening.push_back(timer.nsecsElapsed() / 1e6);
        if (first.isNull() || window.surface()->parts().isEmpty())
            return 1;
        auto* zoom = window.findChild<QComboBox*>(QStringLiteral("cbZoom"));
        for (const char* z : {"150", "100"}) {
            timer.restart();
            zoom->setCurrentText(QLatin1String(z));
            (void)window.surface()->grab();
            zooming.push_back(timer.nsecsElapsed() / 1e6);
        }
        if (run == 0 && argc > 1) {
            window.selectItem(QStringLiteral("zdGKAddr"));
            QApplication::processEvents();
            window.grab().save(QString::fromLocal8Bit(argv[1]));
        }
        window.selectItem(QStringLiteral("zdPJBH"));
        designer::ui::LayoutSurface* surface = window.surface();
        surface->resize(surface->size());
        const QPoint start = surface->partsOf(QStringLiteral("zdPJBH")).first().rect.center();
        mouse(surface, QEvent::MouseButtonPress, start, Qt::LeftButton);
        for (int step = 1; step <= 40; ++step) {
            timer.restart();
            mouse(surface, QEvent::MouseMove, start + QPoint(step, step / 4), Qt::LeftButton);
            (void)surface->grab();
            dragging.push_back(timer.nsecsElapsed() / 1e6);
        }
        surface->cancelDrag();
    }
    std::printf("open 出货单（标准）: median %.1f ms\n", median(opening));
    std::printf("repaint after a zoom change: median %.1f ms\n", median(zooming));
    std::printf("repaint per drag move: median %.2f ms\n", median(dragging));
    return 0;
}
