#pragma once

#include "speaker/CabinetArrayModel.h"

// KV-R6: one to twelve cabinets of two types (0 and 1).
class CTypeRModel : public CCabinetArrayModel {
public:
    static constexpr int kMaxCabinets = 12;

    CTypeRModel() { m_header.kind = kKindTypeR; }

    std::string NameSuffix() const override;

protected:
    CModuleCounts CountsFromText(const CModuleCounts& read) const override {
        return {read.centre, read.upper, 1};
    }
    std::string CheckCounts(const CModuleCounts& counts) const override;
    int ModuleTypeCount() const override { return 2; }
    const char* FamilyName() const override { return "KV-R6"; }
    bool RunArrangement(CModuleArrangementPort& port, CCabinetArrangement& arrangement) override {
        return port.ArrangeTypeR(arrangement);
    }
};
