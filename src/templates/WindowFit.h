#pragma once

#include <QMargins>
#include <QRect>

namespace templates {

// Where a window of the wanted client geometry goes so that the whole of it, frame included,
// lies on the available part of the screen (without task bars): shrunk to fit first, then
// moved in. A window that fits already stays where it is.
QRect fitWindow(const QRect& wanted, const QRect& available, const QMargins& frame);

} // namespace templates
