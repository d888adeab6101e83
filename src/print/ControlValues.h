#pragma once

#include <QHash>
#include <QString>

class QObject;
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
    // The value of a control found already (nullptr: not found, named by name).
    QString valueOf(QWidget* control, const QString& name) const;

    static bool isForm(const QWidget* widget);
    // A control that was not hidden on purpose; the window itself may not be on screen yet.
    static bool isShown(const QWidget* control);

private:
    core::AppContext& m_app;
};

// The controls of one container by name, found in one walk over its form: a bill reads a
// hundred items or more, and a look-up of its own for each would walk the form every time. It
// finds what ControlValues::findControl finds, as long as no control is added, renamed or
// removed while it lives.
class ControlIndex {
public:
    ControlIndex(const ControlValues& values, QWidget* container);

    QWidget* findControl(const QString& name) const;
    QString getControlValue(const QString& name) const;

private:
    // A name as written wins over one that differs in letter case, anywhere in the walk.
    struct Names {
        QHash<QString, QWidget*> exact;
        QHash<QString, QWidget*> folded;
        QWidget* find(const QString& name) const;
    };
    static void addDirect(Names& names, const QObject* parent);
    static void addExact(Names& names, const QObject* parent);
    static void addFolded(Names& names, const QObject* parent);
    const Names& formNames() const;

    const ControlValues& m_values;
    QWidget* m_container;
    QWidget* m_form = nullptr; // searched whole; the container itself when it is a form
    bool m_delegate = false;   // an input box as container: findControl says why not
    Names m_direct;            // a panel's own children
    mutable Names m_formNames; // made at the first name the panel lacks
    mutable bool m_formIndexed = false;
};

} // namespace print
