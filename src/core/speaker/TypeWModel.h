#pragma once

#include "speaker/LineArrayModel.h"

// KV-W5: cabinets of eight modules stacked downward from the rigging point, one module-table
// entry per element.
class CTypeWModel : public CLineArrayModel {
public:
    static constexpr int kModulesPerCabinet = 8;
    static constexpr int kMaxModules = 32;

    CTypeWModel() { m_header.kind = kKindTypeW; }

    void ComputeAim() override;
    void BuildElements() override;
    double ArrangeModules(int lengthUnit, CModuleArrangementPort* port) override;
    std::string NameSuffix() const override;
    int BoxCount() const override {
        return ElementTotal() > 0 ? (ElementTotal() + kModulesPerCabinet - 1) / kModulesPerCabinet
                                  : 1;
    }

protected:
    CModuleCounts CountsFromText(const CModuleCounts& read) const override { return read; }
    std::string CheckCounts(const CModuleCounts& counts) const override;
    int ModuleTableSize(const CModuleCounts& counts) const override {
        return counts.CheckedTotal();
    }
    int BalloonCount() const override { return 1; }
    const char* FamilyName() const override { return "KV-W5"; }
};
