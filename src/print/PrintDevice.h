#pragma once

#include "print/PlanCanvas.h"

#include <QPageSize>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTransform>

class QWidget;

namespace print {

// What the renderer and the print job need of a printer, in the terms of a printer context
// whose origin is the top-left corner of the printable area: resolution in dots per inch, the
// physical offset of the printable area from the paper's corner in device pixels (PlanCanvas),
// the job and the paper. Every failure throws PrintError.
class PrintDevice : public PlanCanvas {
public:
    // The paper of the current printer as its set-up dialog leaves it: the size and the source
    // (tray, tractor, manual feed: the platform's source number, -1 when it has none).
    struct Paper {
        QPageSize size;
        int source = -1;
        bool isValid() const { return size.isValid(); }
    };

    enum class Orientation { Portrait, Landscape };
    enum class SetupResult { Accepted, Rejected };

    // Installed printers in the platform's order; empty when none is installed.
    virtual QStringList printerNames() const = 0;
    // Makes the named printer current; false when there is no such printer.
    virtual bool selectPrinter(const QString& name) = 0;
    virtual QString printerName() const = 0;

    virtual void setOrientation(Orientation orientation) = 0;
    virtual Orientation orientation() const = 0;
    virtual void setCopies(int copies) = 0;
    virtual int copies() const = 0;
    virtual void setTitle(const QString& title) = 0;
    virtual QString title() const = 0;
    virtual Paper paper() const = 0;
    // Throws PrintError when the printer refuses the size.
    virtual void setPaper(const Paper& paper) = 0;
    // Width and height of the printable area in device pixels, in the current orientation.
    virtual QSize printableSize() const = 0;

    // True for a device whose page is the form itself (the text mode: the form length is the
    // page length the printer counts in): every job then prints on the template's own paper
    // when the template has one, as if the template paper switch were on.
    virtual bool wantsTemplatePaper() const { return false; }

    // The standard set-up dialog (printer, paper, orientation), modal over parent.
    virtual SetupResult setupDialog(QWidget* parent) = 0;

    virtual void beginDocument() = 0;
    virtual void newPage() = 0;
    virtual void endDocument() = 0;
    // Drops the running job, if any; never throws.
    virtual void abort() = 0;
    virtual bool isPrinting() const = 0;

    // The measured correction of this printer and paper (MeasuredCalibration): a transform of
    // paper positions in millimetres from the paper's top-left corner, applied to every mark of
    // the pages that follow, so the printer's own shift, stretch and skew cancel out. The
    // positions asked for by the renderer stay as they are. Identity: none.
    virtual void setCorrection(const QTransform& paperMm) { m_correction = paperMm; }
    QTransform correction() const { return m_correction; }

private:
    QTransform m_correction;
};

} // namespace print
