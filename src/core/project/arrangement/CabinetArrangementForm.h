#pragma once

#include "project/arrangement/ModuleArrangementForm.h"
#include "speaker/TypePandRParam.h"

// The KV-P10 and KV-R6 dialogs: a cabinet count, the type of every cabinet (L or S) and the
// angle of every junction. The rigging of a junction opens the gap between the two cabinets'
// bodies by 0 to 5 degrees, and their splay is both half wedges less that gap; each entry is
// labelled with the splay it gives, which the preview draws and the model stores: two L cabinets
// offer "0deg" to "5deg", two S cabinets "10deg" to "15deg".
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
    // The user picks an entry of an enabled junction combo; entry i splays the cabinets by both
    // half wedges less (5 - i) degrees.
    void SelectJunction(int junction, int entry);
    // The splay entry `entry` gives between cabinets of types `above` and `below`.
    static double JunctionSplay(int above, int below, int entry);

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
    // The entries of every junction combo for the cabinet types around it.
    void LabelJunctions();
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
