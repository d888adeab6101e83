#pragma once

#include "print/scan/ScanMeasure.h"

namespace core {
class AppContext;
}

namespace print::scan {

// The template's own form image stretched over its paper (PWidth × PHeight), as the print-layout
// designer shows it: what a scan of the calibration page is registered against. A null image when
// the template has none that can be read.
FormImage templateForm(core::AppContext& app, int templateId);

} // namespace print::scan
