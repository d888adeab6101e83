#pragma once
// The program started on a fresh folder and the bill printer, as the printing benchmarks need it:
// through the CUPS queue when there is one, else into a PDF file of the folder.

#include "BenchHome.h"
#include "entry/ui/TfmCheckFHDSHD.h"
#include "print/QtPrintDevice.h"
#include "program/Program.h"
#include "support/CupsPdfOutput.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPageSize>
#include <QPrinterInfo>

#include <cstdio>
#include <memory>

inline std::unique_ptr<print::QtPrintDevice> benchBillDevice(BenchHome& home, const QString& pdfName) {
    std::unique_ptr<print::QtPrintDevice> device;
    if (QPrinterInfo::availablePrinterNames().contains(cups_pdf::queue())) {
        device = std::make_unique<print::QtPrintDevice>();
        home.app().setConfigByname(QStringLiteral("DefaultPrinter"), cups_pdf::queue());
        std::printf("printing through the CUPS queue %s\n", qPrintable(cups_pdf::queue()));
    } else {
        device = std::make_unique<print::QtPrintDevice>(home.filePath(pdfName));
        std::printf("no CUPS queue %s: printing into a PDF file instead\n", qPrintable(cups_pdf::queue()));
    }
    device->printer().setPageSize(QPageSize(QPageSize::A3));
    return device;
}

// The entry window the started program shows, nullptr (with the reason on standard error) when
// the program did not start or shows none.
inline entry::ui::TfmCheckFHDSHD* benchEntryWindow(program::Program& overprint) {
    if (!overprint.startUp(false)) {
        std::fprintf(stderr, "the program did not start\n");
        return nullptr;
    }
    QMdiArea* area = overprint.mainWindow().mdiArea();
    auto* window = area->subWindowList().isEmpty()
                       ? nullptr
                       : qobject_cast<entry::ui::TfmCheckFHDSHD*>(area->subWindowList().first()->widget());
    if (!window)
        std::fprintf(stderr, "no entry window\n");
    return window;
}
