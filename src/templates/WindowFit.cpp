#include "templates/WindowFit.h"

#include <QtGlobal>

namespace templates {

QRect fitWindow(const QRect& wanted, const QRect& available, const QMargins& frame) {
    if (available.isEmpty())
        return wanted;
    const int width = qMax(1, qMin(wanted.width(), available.width() - frame.left() - frame.right()));
    const int height = qMax(1, qMin(wanted.height(), available.height() - frame.top() - frame.bottom()));
    // The outer rectangle is moved inside the area; left and top win where it cannot fit.
    const int outerW = width + frame.left() + frame.right();
    const int outerH = height + frame.top() + frame.bottom();
    int left = wanted.left() - frame.left();
    int top = wanted.top() - frame.top();
    left = qMax(available.left(), qMin(left, available.right() + 1 - outerW));
    top = qMax(available.top(), qMin(top, available.bottom() + 1 - outerH));
    return QRect(left + frame.left(), top + frame.top(), width, height);
}

} // namespace templates
