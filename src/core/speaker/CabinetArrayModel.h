#pragma once

#include "speaker/LineArrayModel.h"
#include "speaker/TypePandRParam.h"

// What KV-P10, KV-R6 and KV-K share: a column of cabinets hung downward, each of one module type
// (module-table entry and balloon) with its own splay, kept in the cabinet list.
class CCabinetArrayModel : public CLineArrayModel {
public:
    // Module table, then per element state its type index (DWORD) and splay (double).
    void StoreModules(CArchiveOut& ar) const override;
    void LoadModules(CArchiveIn& ar) override;
    void ComputeAim() override;
    // One element per state on the balloon of its type, then the aim.
    void BuildElements() override;
    // Lengthens the cabinet list to the states, copies each cabinet's module-table entry (whole
    // with flag 1, the vector otherwise) and takes the splays from the cabinet list.
    void ApplyModules(int flag) override;
    void ResetWeights() override;
    double ArrangeModules(int lengthUnit, CModuleArrangementPort* port) override;
    // One cabinet an element (KV-K counts its sections instead).
    int BoxCount() const override { return ElementTotal() > 0 ? ElementTotal() : 1; }

    const CTypePandRParamArray& Cabinets() const { return m_cabinets; }
    CTypePandRParamArray& Cabinets() { return m_cabinets; }

protected:
    int ModuleTableSize(const CModuleCounts&) const override { return ModuleTypeCount(); }
    int BalloonCount() const override { return ModuleTypeCount(); }
    // Number of cabinet types: module-table entries and balloons.
    virtual int ModuleTypeCount() const = 0;
    // Hands the arrangement to the family's dialog; true for OK.
    virtual bool RunArrangement(CModuleArrangementPort& port, CCabinetArrangement& arrangement) = 0;

    // Throws CInvalidArgument unless the first `count` cabinets name a module type that has a
    // module-table entry and a balloon.
    void RequireCabinetTypes(const CTypePandRParamArray& cabinets, std::size_t count) const;

    CTypePandRParamArray m_cabinets;
};
