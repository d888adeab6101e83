#pragma once

#include <QHash>
#include <QString>

class QRect;
class QWidget;

namespace core {
class AppContext;
class IniFile;
} // namespace core

namespace core::ui {

// Places the input boxes of a template over its image from the template's layout cache: every
// child of the window whose object name (letter case ignored) is an item of the kind.
class FormPlacement {
public:
    explicit FormPlacement(AppContext& app);

    // Every item of the kind; a failing look-up shows "调入项目参数失败!" with the engine's message.
    // With a form area, only the boxes inside it take the layout's position and size; an item
    // elsewhere in the window (a tool-bar button) is only shown or hidden, so its own bar keeps
    // placing it.
    void setFormControlsPosition(int id, const QString& kind, QWidget* window, const IniFile* ini,
                                 const QWidget* formArea = nullptr);
    // One item; nothing happens when the window has no child of that name.
    static void setFormCtlPositionFromIni(const QString& name, const IniFile* ini, QWidget* window);

    // The window's child of that object name, letter case ignored; the first in tree order wins.
    static QWidget* findControl(QWidget* window, const QString& name);

    // Where an input box goes: its rectangle relative to the image area, shown or hidden. The
    // entry window and the entry-form designer both place their boxes through this, so a box
    // sits on the same pixel in both.
    static void placeBox(QWidget* control, const QRect& box, bool shown);
    // A stored screen length in whole pixels: halves go to the even neighbour like all geometry.
    static int screenPixels(double value);

private:
    static QHash<QString, QWidget*> controlsByName(QWidget* window);
    static void place(QWidget* control, const QString& name, const IniFile& ini, bool positioned = true);

    AppContext& m_app;
};

} // namespace core::ui
