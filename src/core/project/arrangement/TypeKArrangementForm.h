#pragma once

#include "project/arrangement/ModuleArrangementForm.h"
#include "speaker/TypeKModel.h"
#include "speaker/TypePandRParam.h"

// The KV-K dialog: one cabinet of any of the four types, or two cabinets (a K2L or K3L above a
// K3L). Each cabinet is 9 (K2) or 16 (K3) elements; the S cabinets have fixed splays.
class CTypeKArrangementForm : public CModuleArrangementForm {
public:
    static constexpr int kTypes = 4;
    static constexpr double kDepth = 0.08;
    static constexpr double kK2SSplays[9] = {0, 0.17, 0.34, 0.68, 1.19, 1.87, 2.72, 3.74, 4.93};
    static constexpr double kK3SSplays[16] = {0,    0.03, 0.06, 0.12, 0.21, 0.33, 0.48, 0.66,
                                              0.87, 1.11, 1.38, 1.68, 2.01, 2.37, 2.76, 3.18};

    // Starts from the model's counts, cabinet list and module table. Counts other than 9, 16, 25
    // or 32 elements hung downward, a cabinet type outside 0 to 3 or a module table without all
    // four types are an invalid-argument error.
    explicit CTypeKArrangementForm(const CCabinetArrangement& arrangement);

    const CTypePandRParamArray& Cabinets() const { return m_cabinets; }
    const CComboState& CountCombo() const { return m_count; }
    const CComboState& FirstCabinetCombo() const { return m_first; }
    const CComboState& SecondCabinetCombo() const { return m_second; }

    // The user picks one (0) or two (1) cabinets.
    void SelectCount(int selection);
    // The user picks the type of the first cabinet (an index into its current list).
    void SelectFirstCabinet(int index);
    // The user picks the second cabinet's only entry.
    void SelectSecondCabinet(int index);
    // The cabinet list is recomputed once more before OK is accepted.
    void OnOK() override { Recompute(); }

private:
    std::vector<CPreviewSegment>
    OutlineOf(const std::vector<CPreviewCorners>& corners) const override;
    // Element count, cabinet list and working vectors from the combos.
    void Recompute();
    void ApplyEnableRule();
    void ApplyWorkingVectors();
    void SetSmallCabinetsOffered(bool offered);
    int Total() const { return static_cast<int>(m_cabinets.size()); }
    // Two cabinets hang a K3L below the first.
    bool CanHangTwo() const { return m_offered > CTypeKModel::kK3L; }

    int m_offered = kTypes; // cabinet types the module table holds
    CAxisElementArray m_modules;
    CTypePandRParamArray m_cabinets;
    CComboState m_count;
    CComboState m_first;
    CComboState m_second;
};
