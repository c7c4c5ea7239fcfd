#pragma once

#include "project/arrangement/CabinetArrangementForm.h"
#include "project/arrangement/QL9ArrangementForm.h"
#include "project/arrangement/TypeKArrangementForm.h"
#include "project/arrangement/TypeWArrangementForm.h"
#include "speaker/ModuleArrangementPort.h"

// The arrangement port as the user interface implements it: one dialog per family, each run
// modally over its form. The family's arrangement becomes the form, the dialog (or a test
// playing the user) edits the form, and on OK the form's counts and lists go back to the model.
class CModuleArrangementDialogs : public CModuleArrangementPort {
public:
    // Each returns true for OK and false for Cancel.
    virtual bool Run(CQL9ArrangementForm& form) = 0;
    virtual bool Run(CTypeWArrangementForm& form) = 0;
    virtual bool Run(CTypePArrangementForm& form) = 0;
    virtual bool Run(CTypeRArrangementForm& form) = 0;
    virtual bool Run(CTypeKArrangementForm& form) = 0;
    // The settings flag "SpecialUserLevel" of section "SPECIALUSERLEVEL": true offers the three
    // extra QL-9 junction modes.
    virtual bool SpecialUserLevel() const = 0;

    void SetSite(const CArraySite& site) final { m_site = site; }
    bool ArrangeQL9(CVectorArrangement& arrangement) final;
    bool ArrangeTypeW(CVectorArrangement& arrangement) final;
    bool ArrangeTypeP(CCabinetArrangement& arrangement) final;
    bool ArrangeTypeR(CCabinetArrangement& arrangement) final;
    bool ArrangeTypeK(CCabinetArrangement& arrangement) final;

private:
    CArraySite m_site;
};
