#include "batch/PrintRun.h"

namespace batch {

RunResult printOrders(JobSteps& steps, const QStringList& numbers, const std::function<bool()>& carryOn) {
    RunResult r;
    if (numbers.isEmpty() || !steps.prepare())
        return r;
    steps.begin();
    if (!steps.ready())
        return r;
    r.started = true;
    for (int i = 0; i < numbers.size(); ++i) {
        if (i > 0 && carryOn && !carryOn()) {
            r.stopped = true;
            break;
        }
        const FillOutcome fill = steps.fill(numbers.at(i));
        if (fill.kind == FillOutcome::Skipped) {
            r.skipped << fill.reason;
            continue;
        }
        if (fill.kind == FillOutcome::Failed) {
            r.error = fill.reason;
            break;
        }
        // The break goes before a note rather than after one, so a skipped last order leaves no
        // empty page behind.
        if (r.printed > 0) {
            steps.newPage();
            if (!steps.ready())
                return r; // the device failed and has said so; its job is gone
        }
        steps.send();
        if (!steps.ready())
            return r;
        ++r.printed;
        r.printedOrders << numbers.at(i);
    }
    if (r.printed > 0)
        r.handedOver = steps.end();
    else
        steps.abort();
    return r;
}

} // namespace batch
