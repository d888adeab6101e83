#pragma once

#include <QSize>
#include <QString>
#include <QStringList>

namespace designer {

// The window-free rules of the entry-form designer: how each kind of item is drawn, how keys
// move a box, what a tick-caption list may hold.
namespace FormRules {

// The drawing kind of an item: its type in upper case, "TEXT" when empty. Kinds without a box
// ("IMAGE" and unknown ones) answer hasBox() false.
QString boxKind(const QString& ctlType);
bool hasBox(const QString& kind);
// The size a new box of the kind starts with (a line starts as a short horizontal one).
QSize initialSize(const QString& kind);

struct Range {
    int min;
    int max;
};
// Positions run from 0 to the entry area's extent; a stored value outside is kept in range so
// that showing an item never changes it.
Range positionRange(int extent, int stored);
// Sizes run from 1 to 1000, or to the entry area's extent or the stored value when larger.
Range sizeRange(int extent, int stored);

// A key move by delta pixels keeps the edge at least 10 pixels inside the image (extent = image
// width or height); it never pushes a box that already sits outside that band further out, nor
// pulls it in the opposite direction.
int keyMove(int position, int delta, int extent);
// Shift with an arrow changes the size by one pixel, never below 1.
int keyResize(int size, int delta);
// "左移了3像素…": the message of a Ctrl+arrow move in direction (dx, dy), one of them ±1, by
// distance pixels.
QString keyMoveMessage(int dx, int dy, int distance, bool fast);

// The tick-box captions as typed: trimmed, brackets, quotes, wildcards and blanks removed,
// full-width commas made plain. Empty when nothing usable is left.
QString cleanCheckBoxes(const QString& typed);
// The caption of tick item "DEFCHECK<i>" from the template's list; empty when the name is no
// tick item or the list has no i-th caption.
QString tickCaption(const QString& checkBoxes, const QString& name);

// What a new ckControl row of an item is typed as, by its name.
QString newRowType(const QString& name);

} // namespace FormRules

} // namespace designer
