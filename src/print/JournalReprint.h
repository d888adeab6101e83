#pragma once

#include "print/PrintJournal.h"

#include <functional>

namespace core {
class AppContext;
}

namespace print {

class BillPrinter;

// Prints pages of the journal again, after a jam spoiled them: each page from what it was
// printed from (a saved note, or an order of a batch run) as stored now, in one job through the
// bill printer of the window that shows them. The loader puts a page's note or order into that
// window and makes its template current; false when it is not found, leaving the window as it
// was. Every page is loaded once and put into the job; notes missing or changed since
// they were printed are named in one question before the job is handed over, so a "no" feeds
// no sheet.
class JournalReprint {
public:
    using Loader = std::function<bool(const JournalPage& page)>;

    JournalReprint(core::AppContext& app, BillPrinter& printer, Loader loader);

    // The pages handed to the printer; 0 when the clerk said no, nothing could be printed or
    // the job failed (reported).
    int reprint(const QVector<JournalPage>& pages);

private:
    core::AppContext& m_app;
    BillPrinter& m_printer;
    Loader m_loader;
};

} // namespace print
