#pragma once

#include "print/ItemPlan.h"
#include "print/PrintDevice.h"

#include <QVector>

namespace core {
class AppContext;
class Database;
} // namespace core

namespace print {

// The test page of a template ("打印测试页"), so the clerk sees where every value lands before
// a run: each printable, shown item with its test value (its label when it has none) laid out
// as a bill lays it out, or the frame of each item's print box with its label. Offsets
// included; printed like a bill of the template (direction, kept paper, the template's own
// paper, the measured correction), through the item plan on the print device.
class TestPage {
public:
    enum class Mode { Values, Frames };

    // The marks of the page, in tenths of a millimetre. Throws DbError.
    static QVector<DrawOp> plan(core::Database& db, int checkTypeId, Mode mode);
    // Prints the page on the app's current printer. True when it was handed to the printer;
    // failures are reported through app.dialogs().
    static bool print(core::AppContext& app, PrintDevice& device, int checkTypeId, Mode mode);
    // Sets the device up as a bill of the template prints: the app's printer, the template's
    // direction, the kept paper, the template's own paper where it switches to it. Returns the
    // printer's paper to put back after the job (invalid: nothing to put back). Throws.
    static PrintDevice::Paper setUpLikeBill(core::AppContext& app, PrintDevice& device, int checkTypeId);
    static void restorePaper(PrintDevice& device, const PrintDevice::Paper& printerPaper);
};

} // namespace print
