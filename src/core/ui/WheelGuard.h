#pragma once

#include <QObject>

namespace core::ui {

// Drop-downs and spin boxes take the mouse wheel only while they have the focus. Turning the
// wheel over a form otherwise changes whatever box passes under the pointer (a goods line's unit,
// a date) without the clerk noticing; the wheel scrolls the form instead. One filter on the
// application covers every window, those made later too.
class WheelGuard final : public QObject {
    Q_OBJECT
public:
    // Installs the guard on the application once; later calls do nothing.
    static void install();

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using QObject::QObject;
};

} // namespace core::ui
