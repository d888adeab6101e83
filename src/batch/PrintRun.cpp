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
        r.error = steps.fill(numbers.at(i));
        if (!r.error.isEmpty())
            break;
        steps.send();
        if (!steps.ready())
            return r; // the device failed and has said so; its job is gone
        ++r.printed;
        if (i + 1 == numbers.size())
            break;
        if (carryOn && !carryOn()) {
            r.stopped = true;
            break;
        }
        steps.newPage();
        if (!steps.ready())
            return r;
    }
    if (r.printed > 0)
        steps.end();
    else
        steps.abort();
    return r;
}

} // namespace batch
