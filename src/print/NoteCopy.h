#pragma once

#include <QHash>
#include <QImage>
#include <QSizeF>
#include <QString>
#include <QTransform>

#include <memory>

namespace core {
class AppContext;
}

namespace print {

class ControlIndex;
class PlanCanvas;
class QtPrintDevice;

// The customer's copy of a saved note: the template's form image stretched over its paper
// (PWidth × PHeight, as the print-layout designer shows it) with the note's values drawn over it
// by the item plan the printer uses, without the template's offsets (they move a printer's
// marks onto the pre-printed paper; here the form is part of the page). One object writes one
// file: a PNG of one note, or a PDF of one page per note. The file is written under a temporary
// name beside its path and renamed by finish(); a copy not finished leaves nothing.
//
// Values come from the boxes that hold the note (the entry window reloaded with it), read as
// the printer reads them. Failures throw PrintError with the clerk's message.
class NoteCopy {
public:
    enum class Format { Pdf, Png };
    enum class Fit { Form, A4 }; // the form's own size, or the form scaled onto A4

    struct Options {
        Format format = Format::Pdf;
        Fit fit = Fit::Form;
        int dpi = 150; // PNG only
    };

    // The form of a template: its picture and paper in millimetres.
    struct Form {
        QImage image; // null when the template has none that can be read
        QSizeF paperMm;
    };

    NoteCopy(core::AppContext& app, const QString& path, const Options& options);
    ~NoteCopy();
    NoteCopy(const NoteCopy&) = delete;
    NoteCopy& operator=(const NoteCopy&) = delete;

    // Adds the page of one note of the delivery-note kind on template templateId. A PNG takes
    // one page.
    void addNote(int templateId, const ControlIndex& values, const QString& currency);
    // Puts the file in place of its path.
    void finish();
    int pages() const { return m_pages; }
    // The PNG's picture once its page is added.
    const QImage& picture() const { return m_png; }

    // The template's full name (TypeName). Throws DbError.
    static QString templateName(core::AppContext& app, int templateId);

    // The page of one note as an image at dpi (what the PNG holds; the clipboard takes it).
    static QImage render(core::AppContext& app, const Form& form, int templateId, const ControlIndex& values,
                         const QString& currency, int dpi, Fit fit);

    // "<template>-<number>-<customer>.<suffix>", each part without the characters a file
    // system refuses (/ \ : * ? " < > | and control characters), runs of them one "_", each part
    // cut to fit the 255 bytes of a name; never empty, never hidden.
    static QString fileName(const QString& templateName, const QString& number, const QString& customer,
                            const QString& suffix);

    // The form of a template (paper 0: the picture's size at 96 dots per inch). Throws DbError.
    static Form form(core::AppContext& app, int templateId);

    // The page and where the form lies on it, in millimetres: the form's own paper, or A4 turned
    // as the form is, with the form scaled to fit 10 mm inside its edges and centred.
    static QSizeF pageMm(const QSizeF& formMm, Fit fit);
    static QTransform formOnPage(const QSizeF& formMm, Fit fit);

private:
    const Form& cachedForm(int templateId);
    static void drawNote(core::AppContext& app, PlanCanvas& canvas, const Form& form, int templateId,
                         const ControlIndex& values, const QString& currency);

    core::AppContext& m_app;
    QString m_path;
    QString m_part;
    Options m_options;
    int m_pages = 0;
    QImage m_png;
    std::unique_ptr<QtPrintDevice> m_pdf;
    QHash<int, Form> m_forms;
};

} // namespace print
