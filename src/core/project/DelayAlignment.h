#pragma once

#include "common/Vec3.h"
#include "project/FlowResult.h"

#include <string>
#include <vector>

// What aligning asks for: the installations whose delays are set (the fills), the main
// installation their sound follows, the point where it does, and by how much (ms) it follows
// there.
inline constexpr double kDefaultAlignOffsetMs = 10.0;
inline constexpr double kMaxAlignOffsetMs = 1000.0;
struct CAlignRequest {
    std::vector<int> fills;
    int main = 0;
    CVec3 point;
    double offsetMs = kDefaultAlignOffsetMs;
};

// One aligned installation: the delay the geometry asks for and the one it got, which is the
// same within 0 .. kMaxDelayMs.
struct CAlignedDelay {
    int installation = 0;
    double wanted = 0.0; // ms
    double delay = 0.0;  // ms
    bool Limited() const { return wanted != delay; }
};

struct CAlignOutcome {
    CFlowResult result;
    std::vector<CAlignedDelay> delays;
};

// What to tell the user about the delays the geometry could not have: one sentence per limited
// delay, installations numbered from `firstNumber` (1 as the list shows them, 0 as the command
// line takes them); empty when every delay is as asked.
std::string AlignNotice(const CAlignRequest& request, const CAlignOutcome& outcome,
                        int firstNumber);
