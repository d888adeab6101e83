#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace batch {

// What became of one order's fill.
struct FillOutcome {
    enum Kind {
        Filled,  // the boxes hold the order
        Skipped, // the order cannot go on this form (more goods lines than it has); the run goes on
        Failed,  // the order cannot make a note; the run ends
    };
    Kind kind = Filled;
    QString reason;

    static FillOutcome skipped(const QString& why) { return {Skipped, why}; }
    static FillOutcome failed(const QString& why) { return {Failed, why}; }
};

// The job calls of the entry window, in the order a batch run makes them.
class JobSteps {
public:
    virtual ~JobSteps() = default;
    // Printer, orientation and offsets of the current template; false: nothing is printed.
    virtual bool prepare() = 0;
    // Opens the job (one copy).
    virtual void begin() = 0;
    // False once the job is not (or no longer) open: the preparation or the device failed.
    virtual bool ready() const = 0;
    // Writes one order into the boxes.
    virtual FillOutcome fill(const QString& number) = 0;
    // Prints the boxes as one note on the current page.
    virtual void send() = 0;
    virtual void newPage() = 0;
    // Closes the job: every page printed so far goes to the printer. True when the job was
    // handed over to it.
    virtual bool end() = 0;
    // Drops the job: nothing of it is printed.
    virtual void abort() = 0;
};

struct RunResult {
    int printed = 0;
    bool started = false;      // the job was opened
    bool stopped = false;      // the clerk stopped it, or the window it prints through went away
    bool handedOver = false;   // the job with the printed notes reached the printer
    QString error;             // the order that could not be filled, and why
    QStringList printedOrders; // the numbers of the notes in the job, in job order
    QStringList skipped;       // why each skipped order was left out, naming it
};

// One note per order, one page each, in one job: no page break before the first note, one
// between two notes, none after the last. Before every order but the first `carryOn` runs (it
// services the user interface); false ends the job with the pages printed so far. An order
// the form cannot hold is skipped and the run goes on. A failed fill ends the job there: the
// notes printed before it are kept, nothing of the failed order is printed. A job that would
// hold no note is dropped rather than closed, so no blank sheet is fed.
RunResult printOrders(JobSteps& steps, const QStringList& numbers, const std::function<bool()>& carryOn);

} // namespace batch
