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
            if (!steps.ready()) {
                r.deviceFailed = true; // the device has said so; its job is gone
                return r;
            }
        }
        steps.send();
        if (!steps.ready()) {
            r.deviceFailed = true;
            return r;
        }
        ++r.printed;
        r.printedOrders << numbers.at(i);
        r.lastIndex = i;
    }
    if (r.printed > 0) {
        r.handedOver = steps.end();
        r.deviceFailed = !r.handedOver;
    } else
        steps.abort();
    return r;
}

QString lastPageHandedOver(const RunResult& r, int listPosition) {
    if (!r.handedOver || r.printedOrders.isEmpty())
        return QStringLiteral("打印机没有收到本次的任何一张。");
    QString text = QStringLiteral("最后交给打印机的是本次第%1张，订单号%2")
                       .arg(r.printedOrders.size())
                       .arg(r.printedOrders.last());
    if (listPosition > 0)
        text += QStringLiteral("（列表第%1条）").arg(listPosition);
    return text + QStringLiteral("。");
}

} // namespace batch
