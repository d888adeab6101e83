#pragma once

#include <QString>

class QWidget;

namespace core {
class AppContext;
}

namespace print {

// Finds the input control of an item by name and reads its printable value.
//
// A container is either a form (a top-level window, a dialog, or the widget of an MDI child
// window) or a panel (any other widget that holds controls). On a panel the control is looked
// for among its direct children, then among every control of its parent form, or of its
// grandparent's when only that is a form. On a form every control it holds is searched. Names
// compare without regard to letter case.
class ControlValues {
public:
    explicit ControlValues(core::AppContext& app);

    QWidget* findControl(QWidget* container, const QString& name) const;
    // Empty for a missing or hidden control; "√" for a ticked check box.
    QString getControlValue(QWidget* container, const QString& name) const;

    static bool isForm(const QWidget* widget);
    // A control that was not hidden on purpose; the window itself may not be on screen yet.
    static bool isShown(const QWidget* control);

private:
    core::AppContext& m_app;
};

} // namespace print
