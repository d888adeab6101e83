#include "core/ui/FormPlacement.h"

#include "core/AppContext.h"
#include "core/IniFile.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRect>
#include <QTextEdit>
#include <QWidget>

#include <cmath>

namespace core::ui {

namespace {

// Positions may be stored with decimals.
int pixels(const IniFile& ini, const QString& section, const QString& key, int defaultValue) {
    return FormPlacement::screenPixels(ini.readFloat(section, key, defaultValue));
}

void setText(QWidget* control, const QString& text) {
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        edit->setText(text);
    else if (auto* combo = qobject_cast<QComboBox*>(control))
        combo->setCurrentText(text);
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(control))
        plain->setPlainText(text);
    else if (auto* rich = qobject_cast<QTextEdit*>(control))
        rich->setPlainText(text);
    else if (auto* label = qobject_cast<QLabel*>(control))
        label->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(control); button && button->isCheckable())
        button->setChecked(true); // any initial value ticks, "0" included
}

} // namespace

FormPlacement::FormPlacement(AppContext& app) : m_app(app) {}

QHash<QString, QWidget*> FormPlacement::controlsByName(QWidget* window) {
    QHash<QString, QWidget*> controls;
    const QList<QWidget*> children = window->findChildren<QWidget*>();
    for (QWidget* child : children) {
        const QString name = child->objectName().toUpper();
        if (!name.isEmpty() && !controls.contains(name))
            controls.insert(name, child);
    }
    return controls;
}

QWidget* FormPlacement::findControl(QWidget* window, const QString& name) {
    if (!window || name.isEmpty())
        return nullptr;
    const QList<QWidget*> children = window->findChildren<QWidget*>();
    for (QWidget* child : children) {
        if (child->objectName().compare(name, Qt::CaseInsensitive) == 0)
            return child;
    }
    return nullptr;
}

void FormPlacement::place(QWidget* control, const QString& name, const IniFile& ini, bool positioned) {
    const bool shown = ini.readFloat(QStringLiteral("viewv"), name + QStringLiteral(".v"), 0) != 0;
    const QString initial = ini.readString(QStringLiteral("viewdv"), name + QStringLiteral(".dv"));
    if (positioned) {
        const int x = pixels(ini, QStringLiteral("viewx"), name + QStringLiteral(".x"), 30);
        const int y = pixels(ini, QStringLiteral("viewy"), name + QStringLiteral(".y"), 25);
        const int w = pixels(ini, QStringLiteral("vieww"), name + QStringLiteral(".w"), 45);
        const int h = pixels(ini, QStringLiteral("viewh"), name + QStringLiteral(".h"), 18);
        placeBox(control, QRect(x, y, w, h), shown);
    } else {
        control->setVisible(shown);
    }
    if (!initial.isEmpty())
        setText(control, initial);
}

int FormPlacement::screenPixels(double value) {
    return static_cast<int>(std::nearbyint(value));
}

void FormPlacement::placeBox(QWidget* control, const QRect& box, bool shown) {
    if (shown) {
        control->setGeometry(box);
        control->show();
    } else {
        control->hide();
    }
}

void FormPlacement::setFormCtlPositionFromIni(const QString& name, const IniFile* ini, QWidget* window) {
    if (!ini)
        return;
    QWidget* control = findControl(window, name);
    if (!control)
        return;
    place(control, name, *ini);
    window->update();
}

void FormPlacement::setFormControlsPosition(int id, const QString& kind, QWidget* window, const IniFile* ini,
                                            const QWidget* formArea) {
    Q_UNUSED(id); // items belong to the kind; the identifier only names the cache the caller opened
    if (!window || !ini)
        return;
    try {
        const QStringList names = m_app.templates().loadCtlNamesOfKind(kind);
        const QHash<QString, QWidget*> controls = controlsByName(window);
        for (const QString& name : names) {
            if (QWidget* control = controls.value(name.toUpper()))
                place(control, name, *ini, !formArea || formArea->isAncestorOf(control));
        }
        window->update();
    } catch (const DbError& e) {
        m_app.dialogs().message(QStringLiteral("调入项目参数失败!") + e.message());
    }
}

} // namespace core::ui
