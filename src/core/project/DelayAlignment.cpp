// Aligning fill speakers: each chosen installation's delay makes its sound reach a point a set
// time after the main installation's.
#include "project/DelayAlignment.h"

#include "acoustics/ArrivalMap.h"
#include "common/Errors.h"
#include "common/FormatSignificant.h"
#include "project/DAXDoc.h"
#include "project/Strings.h"
#include "project/forms/AlignDelaysForm.h"

#include <algorithm>
#include <cmath>
#include <set>

std::string AlignNotice(const CAlignRequest& request, const CAlignOutcome& outcome,
                        int firstNumber) {
    std::string notice;
    for (const CAlignedDelay& d : outcome.delays) {
        if (!d.Limited())
            continue;
        if (!notice.empty())
            notice += "\n";
        const bool negative = d.wanted < d.delay;
        notice += "Installation " + std::to_string(d.installation + firstNumber) +
                  " would need a delay of " + FormatSignificant(d.wanted, 4) + " ms to arrive " +
                  FormatSignificant(request.offsetMs, 4) + " ms after installation " +
                  std::to_string(request.main + firstNumber) + " at the point; " +
                  (negative ? std::string("a delay cannot be negative")
                            : "the longest delay is " + FormatSignificant(kMaxDelayMs, 4) + " ms") +
                  ", so it is " + FormatSignificant(d.delay, 4) + " ms and its sound arrives " +
                  FormatSignificant(std::fabs(d.wanted - d.delay), 4) + " ms " +
                  (negative ? "later" : "earlier") + " than asked.";
    }
    return notice;
}

CAlignOutcome CDAXDoc::AlignDelays(const CAlignRequest& request) {
    CEditStep step(*this, Strings::kStepAlignDelays);
    CAlignOutcome outcome;
    const int count = m_room.Count();
    auto inside = [&](int k) { return k >= 0 && k < count; };
    if (request.fills.empty())
        throw CInvalidArgument("no installation to align was given");
    if (!inside(request.main))
        throw CInvalidArgument("the main installation " + std::to_string(request.main) +
                               " does not exist");
    std::set<int> seen;
    for (int k : request.fills) {
        if (!inside(k))
            throw CInvalidArgument("installation " + std::to_string(k) + " does not exist");
        if (k == request.main)
            throw CInvalidArgument("the main installation cannot be aligned to itself");
        if (!seen.insert(k).second)
            throw CInvalidArgument("installation " + std::to_string(k) + " is given twice");
    }
    if (!std::isfinite(request.point.x) || !std::isfinite(request.point.y) ||
        !std::isfinite(request.point.z) || !std::isfinite(request.offsetMs))
        throw CInvalidArgument("the point and the offset must be finite numbers");
    if (const std::string dangling = DanglingModelReason(Scene()); !dangling.empty())
        throw CInvalidArgument(dangling);

    // Every delay from the installations as they were: the main's own delay counts.
    const CArrivalPlan plan(Scene());
    for (int k : request.fills) {
        CAlignedDelay d;
        d.installation = k;
        d.wanted = AlignedDelay(plan, k, request.main, request.point, request.offsetMs);
        d.delay = std::clamp(d.wanted, 0.0, kMaxDelayMs);
        outcome.delays.push_back(d);
    }
    bool changed = false;
    for (const CAlignedDelay& d : outcome.delays) {
        changed = changed || m_room.At(d.installation)->delay != d.delay;
        m_room.SetDelay(d.installation, d.delay);
    }
    if (changed) {
        RebuildAllPlanes();
        StandardRefresh();
    }
    return outcome;
}

CFlowResult CDAXDoc::AlignDelaysFlow(const std::vector<int>& chosen) {
    CEditStep step(*this, Strings::kStepAlignDelays);
    if (m_room.Count() < 2)
        return CFlowResult::Refused(EFlowReason::NothingCurrent);
    CAlignDelaysForm form(*this, chosen);
    if (!Dialogs().RunAlignDelays(form))
        return CFlowResult::Cancelled(EFlowReason::DialogClosed);
    if (!AcceptAnswer(form, Messages()))
        return CFlowResult::Refused(EFlowReason::EntryRefused);
    const CAlignOutcome outcome = AlignDelays(form.Request());
    if (!outcome.result.IsDone())
        return outcome.result;
    if (const std::string notice = AlignNotice(form.Request(), outcome, 1); !notice.empty())
        Messages().Inform(notice);
    return CFlowResult::Done();
}
