#include "core/ui/FormFace.h"

#include "core/IniFile.h"

#include <QScreen>
#include <QWidget>

namespace core::ui {

namespace {

bool isNormal(const QWidget& window) {
    return !(window.windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen));
}

} // namespace

void FormFace::save(IniFile& ini, const QWidget& window) {
    if (!isNormal(window))
        return;
    const QString section = window.objectName().toUpper();
    ini.writeInteger(section, QStringLiteral("FormWidth"), window.width());
    ini.writeInteger(section, QStringLiteral("FormHeight"), window.height());
    ini.flush();
}

void FormFace::load(const IniFile& ini, QWidget& window) {
    if (!isNormal(window))
        return;
    const QString section = window.objectName().toUpper();
    int width = ini.readInteger(section, QStringLiteral("FormWidth"), window.width());
    int height = ini.readInteger(section, QStringLiteral("FormHeight"), window.height());
    if (const QScreen* screen = window.screen()) {
        width = qMin(width, screen->size().width());
        height = qMin(height, screen->size().height());
    }
    window.resize(width, height);
}

} // namespace core::ui
