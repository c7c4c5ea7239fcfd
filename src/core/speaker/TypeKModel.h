#pragma once

#include "speaker/CabinetArrayModel.h"

// KV-K: one cabinet of 9 (K2) or 16 (K3) sections, or two cabinets (25 or 32 sections). Each
// section is an element; the types are K2L, K3L, K2S and K3S (0 to 3).
class CTypeKModel : public CCabinetArrayModel {
public:
    enum ECabinet : int { kK2L = 0, kK3L = 1, kK2S = 2, kK3S = 3 };
    static constexpr int kK2Sections = 9;
    static constexpr int kK3Sections = 16;

    CTypeKModel() { m_header.kind = kKindTypeK; }

    std::string NameSuffix() const override;
    // A second cabinet hangs below a first of 9 or 16 sections.
    int BoxCount() const override { return ElementTotal() > kK3Sections ? 2 : 1; }

protected:
    CModuleCounts CountsFromText(const CModuleCounts& read) const override {
        return {read.centre, read.upper, kK2Sections};
    }
    std::string CheckCounts(const CModuleCounts& counts) const override;
    int ModuleTypeCount() const override { return 4; }
    const char* FamilyName() const override { return "KV-K"; }
    bool RunArrangement(CModuleArrangementPort& port, CCabinetArrangement& arrangement) override {
        return port.ArrangeTypeK(arrangement);
    }
};
