#pragma once

class QWidget;

namespace masterdata::ui {

// Centres a window horizontally on its screen, 100 pixels from the top, as the reference-data
// windows open.
void placeAtTop(QWidget& window);

} // namespace masterdata::ui
