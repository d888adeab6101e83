#include "templates/TemplateImages.h"

#include "core/AppContext.h"
#include "core/Database.h"
#include "core/DbError.h"
#include "templates/TemplateAdmin.h"

#include <QDir>
#include <QFile>

namespace templates {

const QString TemplateImages::kPartSuffix = QStringLiteral(".part");

TemplateImages::TemplateImages(core::AppContext& app) : m_app(app) {}

QString TemplateImages::pathOf(const QString& name) const {
    return QDir(m_app.pathOf(QStringLiteral("Image"))).filePath(name);
}

QString TemplateImages::unusedName(const QString& stem) const {
    for (int n = 1;; ++n) {
        const QString name =
            stem + (n == 1 ? QString() : QLatin1Char('-') + QString::number(n)) + QStringLiteral(".jpg");
        // Names compare as the file system of the original installations does, without case.
        if (!m_app.db()
                 .scalar(QStringLiteral("select 1 from ckTypeTable where lower(ImgFile)=lower(:img)"),
                         {{QStringLiteral("img"), name}})
                 .isValid())
            return name;
    }
}

void TemplateImages::writePart(const QString& name, const QByteArray& bytes) const {
    QDir().mkpath(m_app.pathOf(QStringLiteral("Image")));
    QFile file(pathOf(name) + kPartSuffix);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size() ||
        !file.flush()) {
        file.remove();
        throw core::DbError(QStringLiteral("图片保存失败：") + name);
    }
}

void TemplateImages::copyPart(const QString& name, const QString& sourceFile) const {
    QFile source(sourceFile);
    if (!source.open(QIODevice::ReadOnly))
        throw core::DbError(QStringLiteral("底图复制失败：") + name);
    writePart(name, source.readAll());
}

void TemplateImages::place(const QString& name) const {
    // An unused file of that name is a leftover of an earlier kill.
    QFile::remove(pathOf(name));
    if (!QFile::rename(pathOf(name) + kPartSuffix, pathOf(name))) {
        discard(name);
        throw core::DbError(QStringLiteral("图片保存失败：") + name);
    }
}

void TemplateImages::discard(const QString& name) const {
    QFile::remove(pathOf(name) + kPartSuffix);
    if (!m_app.db()
             .scalar(QStringLiteral("select 1 from ckTypeTable where lower(ImgFile)=lower(:img)"),
                     {{QStringLiteral("img"), name}})
             .isValid())
        QFile::remove(pathOf(name));
}

void TemplateImages::removeUnused(const QString& name) const {
    if (!TemplateAdmin(m_app).imageMayBeRemoved(name))
        return;
    if (m_app.db()
            .scalar(QStringLiteral("select 1 from ckTypeTable where lower(ImgFile)=lower(:img)"),
                    {{QStringLiteral("img"), name}})
            .isValid())
        return;
    QFile::remove(pathOf(name));
}

} // namespace templates
