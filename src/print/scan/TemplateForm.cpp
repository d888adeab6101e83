#include "print/scan/TemplateForm.h"

#include "core/DbError.h"
#include "print/NoteCopy.h"

namespace print::scan {

FormImage templateForm(core::AppContext& app, int templateId) {
    // The same picture over the same paper as a note's copy shows; a template without a readable
    // picture has nothing to register against.
    try {
        const NoteCopy::Form form = NoteCopy::form(app, templateId);
        if (form.image.isNull())
            return {};
        return {form.image, form.paperMm};
    } catch (const core::DbError&) {
        return {};
    }
}

} // namespace print::scan
