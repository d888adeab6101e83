#include "core/ui/FileClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QUrl>

namespace core::ui {

bool putFilesOnClipboard(const QStringList& paths, const QImage& picture) {
    if (QGuiApplication::platformName() == QLatin1String("offscreen"))
        return false;
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return false;
    auto* data = new QMimeData;
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    data->setUrls(urls);
    if (!picture.isNull())
        data->setImageData(picture);
    clipboard->setMimeData(data);
    return true;
}

} // namespace core::ui
