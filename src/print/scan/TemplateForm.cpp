#include "print/scan/TemplateForm.h"

#include "core/AppContext.h"
#include "core/Database.h"
#include "core/DbError.h"
#include "core/Recordset.h"

#include <QImageReader>

namespace print::scan {

FormImage templateForm(core::AppContext& app, int templateId) {
    FormImage form;
    try {
        core::Recordset rs = app.db().query(
            QStringLiteral("select ImgFile, PWidth, PHeight from CKTypeTable where CheckTypeID=:id"),
            {{QStringLiteral("id"), templateId}});
        if (rs.isEmpty())
            return form;
        rs.first();
        QString file = rs.text(QStringLiteral("ImgFile"));
        if (file.isEmpty())
            file = QStringLiteral("dhd_default.jpg");
        QImageReader reader(app.pathOf(QStringLiteral("Image/") + file));
        // A form picture is a screen-sized scan; anything far larger is not one.
        const QSize size = reader.size();
        if (!size.isValid() || size.width() > 8000 || size.height() > 8000)
            return form;
        form.image = reader.read();
        const double width = rs.number(QStringLiteral("PWidth")) / 10;
        const double height = rs.number(QStringLiteral("PHeight")) / 10;
        // Without a paper of its own the picture is taken at the screen's 96 dots per inch.
        form.paperMm = width > 0 && height > 0
                           ? QSizeF(width, height)
                           : QSizeF(form.image.width() * 25.4 / 96, form.image.height() * 25.4 / 96);
    } catch (const core::DbError&) {
        form = {};
    }
    return form;
}

} // namespace print::scan
