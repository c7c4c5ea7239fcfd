#pragma once

#include "speaker/CabinetArrayModel.h"

// KV-P10: one to eight cabinets, each an L (type 0) or S (type 1) cabinet.
class CTypePModel : public CCabinetArrayModel {
public:
    static constexpr int kMaxCabinets = 8;

    CTypePModel() { m_header.kind = kKindTypeP; }

    std::string NameSuffix() const override;

protected:
    CModuleCounts CountsFromText(const CModuleCounts& read) const override {
        return {read.centre, read.upper, 1};
    }
    std::string CheckCounts(const CModuleCounts& counts) const override;
    int ModuleTypeCount() const override { return 2; }
    const char* FamilyName() const override { return "KV-P10"; }
    bool RunArrangement(CModuleArrangementPort& port, CCabinetArrangement& arrangement) override {
        return port.ArrangeTypeP(arrangement);
    }
};
