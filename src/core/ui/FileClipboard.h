#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

namespace core::ui {

// Puts written files on the clipboard so a chat program takes them with one paste: the picture
// as image data (when given) beside the files' addresses. False where the desktop has no
// clipboard to hold them (a command, the offscreen platform).
bool putFilesOnClipboard(const QStringList& paths, const QImage& picture = QImage());

} // namespace core::ui
