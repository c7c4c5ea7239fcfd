#pragma once

#include "project/arrangement/ModuleArrangementForm.h"

// The KV-W5 dialog: the cabinet count (eight modules each, all hung downward) and the "KV-W5S"
// option, which makes the bottom cabinet a KV-W5S with fixed splays.
class CTypeWArrangementForm : public CModuleArrangementForm {
public:
    static constexpr int kMaxCabinets = 4;
    static constexpr int kModulesPerCabinet = 8;
    static constexpr double kDepth = 0.255;
    // Splays (and preview wedges) of the bottom cabinet's modules, top to bottom.
    static constexpr double kBottomSplays[kModulesPerCabinet] = {0.1, 0.3, 0.6, 0.9,
                                                                 1.3, 1.5, 1.9, 2.2};

    // Starts from the model's counts and module vectors; a vector count other than the total, an
    // empty list or counts with a centre or upper stack are an invalid-argument error.
    explicit CTypeWArrangementForm(const CVectorArrangement& arrangement);

    const CComboState& CountCombo() const { return m_count; }
    // The "KV-W5S" check box.
    bool BottomOption() const { return m_bottom; }

    // The user picks a cabinet count (selection 0 to 3 for one to four cabinets).
    void SelectCount(int selection);
    // The user ticks or clears "KV-W5S".
    void SetBottomOption(bool ticked);

private:
    std::vector<CPreviewSegment>
    OutlineOf(const std::vector<CPreviewCorners>& corners) const override;
    // Every module takes the first module's vector with splay 0, the bottom cabinet the fixed
    // splays when "KV-W5S" is ticked.
    void Rebuild(int total);
    void ApplyBottomWedges();

    CComboState m_count;
    bool m_bottom = false;
};
