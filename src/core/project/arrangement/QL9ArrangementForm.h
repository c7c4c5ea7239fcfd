#pragma once

#include "project/arrangement/ModuleArrangementForm.h"

#include <array>

// "Properties for QL-9": the box count and the angle mode of every junction between two modules
// shown top to bottom. The model keeps the upper half as elements 0 .. upper-1, counted upward
// from the reference point, and the lower half after them, counted downward; the centre
// junction's angle is split equally between the two modules that meet at the reference point.
class CQL9ArrangementForm : public CModuleArrangementForm {
public:
    static constexpr int kMaxModules = 16;
    static constexpr int kJunctionCombos = kMaxModules - 1;
    static constexpr int kBoxes = 4;
    static constexpr int kModulesPerBox = 4;
    static constexpr int kModes = 7;
    // Modes 4 to 6 are offered only at the special user level.
    static constexpr int kStandardModes = 4;
    // Splay per junction of each mode; a mode's name is four times it, one box's coverage.
    static constexpr double kModeSplays[kModes] = {15.0, 11.25, 7.5, 3.75, 2.5, 1.25, 0.0};
    static constexpr double kWedge = 15.0;
    static constexpr double kDepth = 0.256;

    // Which junction sets an element's splay, and the factor applied to the mode's splay.
    struct CJunctionLink {
        int junction = -1; // -1: no junction (a centre module, or a stack without a partner)
        double factor = 0.0;
    };

    // Starts from the model's counts and module vectors; fewer or more vectors than the counts'
    // total, or counts a QL-9 cannot hold, are an invalid-argument error.
    CQL9ArrangementForm(const CVectorArrangement& arrangement, bool specialUserLevel);

    const CComboState& CountCombo() const { return m_count; }
    const CComboState& JunctionCombo(int junction) const;
    int ShownModuleGroups() const { return m_counts.CheckedTotal(); }
    int ShownBoxGroups() const { return m_counts.CheckedTotal() / kModulesPerBox; }
    int ShownJointGroups() const;
    // The element shown in display row `row`, counted from the top.
    int ElementAtRow(int row) const;
    CJunctionLink LinkOf(int element) const;

    // The user picks a box count (selection 0 to 3 for one to four boxes).
    void SelectCount(int selection);
    // The user picks a mode in a shown junction combo (the index into its list).
    void SelectJunction(int junction, int mode);

private:
    std::vector<CPreviewSegment>
    OutlineOf(const std::vector<CPreviewCorners>& corners) const override;
    // Shows the arrangement of the current total and reads each junction's mode from the splays.
    void ShowArrangement();
    // Gives every element the splay of the mode selected at its junction. A junction without a
    // selection (its stored splay matched no offered mode) keeps the stored splays.
    void ApplyJunctions();

    CComboState m_count;
    std::array<CComboState, kJunctionCombos> m_junctions;
};
