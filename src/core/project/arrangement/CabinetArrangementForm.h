#pragma once

#include "project/arrangement/ModuleArrangementForm.h"
#include "speaker/TypePandRParam.h"

// The KV-P10 and KV-R6 dialogs: a cabinet count, the type of every cabinet (L or S) and the
// angle of every junction. A cabinet's splay to the one above it follows from both cabinets'
// half wedges less the junction angle: two L cabinets at "0deg" splay 5 degrees.
class CCabinetArrangementForm : public CModuleArrangementForm {
public:
    static constexpr int kTypes = 2;
    static constexpr int kJunctionAngles = 6;

    // Half the wedge of a cabinet type in degrees: 2.5 for L (type 0), 7.5 for S (type 1).
    static double HalfWedge(int type);

    const CTypePandRParamArray& Cabinets() const { return m_cabinets; }
    int MaxCabinets() const { return m_style.maxCabinets; }
    const CComboState& CountCombo() const { return m_count; }
    const CComboState& CabinetCombo(int cabinet) const;
    // Junction j-1 lies between cabinets j-1 and j.
    const CComboState& JunctionCombo(int junction) const;

    // The user picks a cabinet count (selection s for s + 1 cabinets).
    void SelectCount(int selection);
    // The user picks the type of an enabled cabinet combo.
    void SelectCabinet(int cabinet, int type);
    // The user picks the angle (index = degrees) of an enabled junction combo.
    void SelectJunction(int junction, int angle);

protected:
    struct CStyle {
        const char* family; // count texts "<family> x <n>"
        int maxCabinets;
        double depths[kTypes]; // preview depth per type, metres
    };
    // Starts from the model's counts, cabinet list and module table. Counts other than a
    // downward column of 1 to maxCabinets, a cabinet type other than 0 or 1 or a module table
    // without both types are an invalid-argument error.
    CCabinetArrangementForm(const CCabinetArrangement& arrangement, const CStyle& style);

private:
    std::vector<CPreviewSegment>
    OutlineOf(const std::vector<CPreviewCorners>& corners) const override;
    // The splay of cabinet j from its junction combo and the two cabinet combos around it; a
    // junction without a selection keeps the stored splay.
    void ComputeSplay(int cabinet);
    // Enables the combos of the cabinets present and selects the count.
    void ApplyEnableState();
    // Working vectors and preview arrays from the module table and the cabinet list.
    void ApplyWorkingVectors();
    int Total() const { return static_cast<int>(m_cabinets.size()); }

    CStyle m_style;
    CAxisElementArray m_modules;
    CTypePandRParamArray m_cabinets;
    CComboState m_count;
    std::vector<CComboState> m_cabinetCombos;
    std::vector<CComboState> m_junctionCombos;
};

// The KV-P10 dialog: up to eight cabinets.
class CTypePArrangementForm : public CCabinetArrangementForm {
public:
    explicit CTypePArrangementForm(const CCabinetArrangement& arrangement)
        : CCabinetArrangementForm(arrangement, {"KV-P10", 8, {0.469, 0.469}}) {}
};

// The KV-R6 dialog: up to twelve cabinets; its cabinet combos list the KV-P10 names too.
class CTypeRArrangementForm : public CCabinetArrangementForm {
public:
    explicit CTypeRArrangementForm(const CCabinetArrangement& arrangement)
        : CCabinetArrangementForm(arrangement, {"KV-R6", 12, {0.27, 0.268}}) {}
};
