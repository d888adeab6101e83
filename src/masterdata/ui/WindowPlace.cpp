#include "masterdata/ui/WindowPlace.h"

#include <QScreen>
#include <QWidget>

namespace masterdata::ui {

void placeAtTop(QWidget& window) {
    const QScreen* screen = window.screen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    window.move(area.left() + (area.width() - window.frameGeometry().width()) / 2, area.top() + 100);
}

} // namespace masterdata::ui
