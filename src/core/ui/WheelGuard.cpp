#include "core/ui/WheelGuard.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QEvent>

namespace core::ui {

namespace {

bool guarded(const QObject* object) {
    return qobject_cast<const QComboBox*>(object) || qobject_cast<const QAbstractSpinBox*>(object);
}

} // namespace

void WheelGuard::install() {
    auto* app = QCoreApplication::instance();
    if (!app || app->findChild<WheelGuard*>(QString(), Qt::FindDirectChildrenOnly))
        return;
    app->installEventFilter(new WheelGuard(app));
}

bool WheelGuard::eventFilter(QObject* watched, QEvent* event) {
    if (!guarded(watched))
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    // Qt gives a box of the wheel focus policy the focus before the wheel reaches it; a
    // click or Tab still focuses it.
    if (event->type() == QEvent::Polish && widget->focusPolicy() == Qt::WheelFocus)
        widget->setFocusPolicy(Qt::StrongFocus);
    if (event->type() != QEvent::Wheel || widget->hasFocus())
        return false;
    // Ignored and stopped here, the event goes on to the parents: the scroll area scrolls.
    event->ignore();
    return true;
}

} // namespace core::ui
