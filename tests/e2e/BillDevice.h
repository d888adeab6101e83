#pragma once

#include "print/QtPrintDevice.h"
#include "support/CupsPdfOutput.h"
#include "support/TestHome.h"

#include <QPageSize>
#include <QTemporaryDir>
#include <memory>

// The printer an end-to-end run prints on: the cups-pdf queue as the bill printer when it is
// there, else a PDF file in the scratch folder, so a save-and-print still runs to its end. The
// paper is A3, wide enough for the 241 mm form, which A4 is not.
inline std::unique_ptr<print::QtPrintDevice> billDevice(TestHome& home, const QString& noQueue,
                                                        const QTemporaryDir& scratch) {
    std::unique_ptr<print::QtPrintDevice> device;
    if (noQueue.isEmpty()) {
        device = std::make_unique<print::QtPrintDevice>();
        home.app().setConfigByname(QStringLiteral("DefaultPrinter"), cups_pdf::queue());
    } else {
        device = std::make_unique<print::QtPrintDevice>(scratch.filePath(QStringLiteral("note.pdf")));
    }
    device->printer().setPageSize(QPageSize(QPageSize::A3));
    return device;
}
