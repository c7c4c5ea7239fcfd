#pragma once

#include "SpeakerFixtures.h"
#include "project/arrangement/CabinetArrangementForm.h"
#include "project/arrangement/ModuleArrangementDialogs.h"
#include "project/arrangement/QL9ArrangementForm.h"
#include "project/arrangement/TypeKArrangementForm.h"
#include "project/arrangement/TypeWArrangementForm.h"

#include <algorithm>
#include <string>
#include <vector>

// The line-array families that have an arrangement dialog, with their generated speaker data and
// the most boxes (cabinets) each hangs.
struct CLineArrayFamily {
    std::string name;
    CVsaGenOptions options;
    int maxBoxes;
};
inline std::vector<CLineArrayFamily> ArrangedFamilies() {
    return {{"QL-9", QL9ArrayOptions(), 4},
            {"KV-W5", KVW5ArrayOptions(), 4},
            {"KV-K", KVKArrayOptions(), 2},
            {"KV-P10", KVP10ArrayOptions(), 8},
            {"KV-R6", KVR6ArrayOptions(), 12}};
}

// The user of every arrangement dialog hangs `boxes` boxes, or as many as the family takes:
// QL-9 and KV-W5 up to four boxes, KV-K a second cabinet, KV-P10 and KV-R6 that many cabinets.
class CBoxCountArrangement : public CModuleArrangementDialogs {
public:
    explicit CBoxCountArrangement(int boxes) : m_boxes(boxes) {}
    int runs = 0;

    bool Run(CQL9ArrangementForm& form) override {
        ++runs;
        form.SelectCount(std::min(m_boxes, 4) - 1);
        return true;
    }
    bool Run(CTypeWArrangementForm& form) override {
        ++runs;
        form.SelectCount(std::min(m_boxes, 4) - 1);
        return true;
    }
    bool Run(CTypePArrangementForm& form) override { return Cabinets(form); }
    bool Run(CTypeRArrangementForm& form) override { return Cabinets(form); }
    bool Run(CTypeKArrangementForm& form) override {
        ++runs;
        form.SelectCount(m_boxes > 1 ? 1 : 0);
        return true;
    }
    bool SpecialUserLevel() const override { return false; }

private:
    bool Cabinets(CCabinetArrangementForm& form) {
        ++runs;
        form.SelectCount(std::min(m_boxes, form.MaxCabinets()) - 1);
        return true;
    }
    int m_boxes;
};
