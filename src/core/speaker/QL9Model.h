#pragma once

#include "speaker/LineArrayModel.h"

// QL-9: boxes of four modules hung around the rigging point, the upper half stacked upward
// (elements 0 .. upper-1) and the lower half downward. Speaker data may add one centre module
// straddling the reference point; it is the last element.
class CQL9Model : public CLineArrayModel {
public:
    static constexpr int kMaxModules = 16;

    CQL9Model() { m_header.kind = kKindQL9; }

    void ComputeAim() override;
    void BuildElements() override;
    double ArrangeModules(int lengthUnit, CModuleArrangementPort* port) override;
    std::string NameSuffix() const override;
    // Four modules a box; a centre module from speaker data belongs to a box of its own.
    int BoxCount() const override { return ElementTotal() > 0 ? (ElementTotal() + 3) / 4 : 1; }

protected:
    CModuleCounts CountsFromText(const CModuleCounts& read) const override { return read; }
    std::string CheckCounts(const CModuleCounts& counts) const override;
    int ModuleTableSize(const CModuleCounts& counts) const override {
        return counts.CheckedTotal();
    }
    int BalloonCount() const override { return 1; }
    const char* FamilyName() const override { return "QL-9"; }
};
