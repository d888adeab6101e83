#pragma once

#include <QByteArray>
#include <QString>

namespace core {
class AppContext;
}

namespace templates {

// The image files of templates in the image folder. A template's new image is written complete
// under a name no template row uses (<stem>.jpg, else <stem>-2.jpg, …) before the transaction that
// points the row at it commits; the file it replaces is removed only after the commit. A kill
// therefore leaves at worst an unused file, never a template without its picture. The only
// temporary name is <name>.part (kPartSuffix) while the bytes are written.
class TemplateImages {
public:
    static const QString kPartSuffix; // ".part"

    explicit TemplateImages(core::AppContext& app);

    // A file name for the template's new image that no template row uses.
    QString unusedName(const QString& stem) const;
    // Writes the bytes to <name>.part; place() gives it its name.
    void writePart(const QString& name, const QByteArray& bytes) const;
    void copyPart(const QString& name, const QString& sourceFile) const;
    void place(const QString& name) const;
    // The new file after a failed transaction, whichever step it reached.
    void discard(const QString& name) const;
    // After the commit: the replaced file, when it lies in the image folder, is no system picture
    // and no template uses it any more.
    void removeUnused(const QString& name) const;
    QString pathOf(const QString& name) const;

private:
    core::AppContext& m_app;
};

} // namespace templates
