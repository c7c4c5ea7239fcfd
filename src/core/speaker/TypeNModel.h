#pragma once

#include "speaker/LineArrayModel.h"

// Type N: eight modules of fixed shape hung downward; the splays come from a fixed table, not
// from the speaker data. It has no arrangement dialog.
class CTypeNModel : public CLineArrayModel {
public:
    static constexpr int kModules = 8;
    // The splay of module j to the one above it, degrees.
    static constexpr double kSplays[kModules] = {4.0, 0.4, 0.8, 1.6, 2.8, 4.4, 6.4, 10.0};

    CTypeNModel() { m_header.kind = kKindTypeN; }

    void ComputeAim() override;
    void BuildElements() override;

protected:
    CModuleCounts CountsFromText(const CModuleCounts& read) const override {
        return {read.centre, read.upper, kModules};
    }
    std::string CheckCounts(const CModuleCounts& counts) const override;
    int ModuleTableSize(const CModuleCounts&) const override { return kModules; }
    int BalloonCount() const override { return 1; }
    const char* FamilyName() const override { return "type N"; }
};
