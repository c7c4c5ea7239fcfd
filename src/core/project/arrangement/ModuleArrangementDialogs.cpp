#include "project/arrangement/ModuleArrangementDialogs.h"

namespace {
template <class Form> bool RunVectors(Form& form, bool ok, CVectorArrangement& arrangement) {
    if (!ok)
        return false;
    form.OnOK();
    arrangement.counts = form.Counts();
    arrangement.vectors = form.Vectors();
    return true;
}

template <class Form> bool RunCabinets(Form& form, bool ok, CCabinetArrangement& arrangement) {
    if (!ok)
        return false;
    form.OnOK();
    arrangement.counts = form.Counts();
    arrangement.cabinets = form.Cabinets();
    return true;
}
} // namespace

bool CModuleArrangementDialogs::ArrangeQL9(CVectorArrangement& arrangement) {
    CQL9ArrangementForm form(arrangement, SpecialUserLevel());
    form.SetSite(m_site);
    const bool ok = Run(form);
    return RunVectors(form, ok, arrangement);
}

bool CModuleArrangementDialogs::ArrangeTypeW(CVectorArrangement& arrangement) {
    CTypeWArrangementForm form(arrangement);
    form.SetSite(m_site);
    const bool ok = Run(form);
    return RunVectors(form, ok, arrangement);
}

bool CModuleArrangementDialogs::ArrangeTypeP(CCabinetArrangement& arrangement) {
    CTypePArrangementForm form(arrangement);
    form.SetSite(m_site);
    const bool ok = Run(form);
    return RunCabinets(form, ok, arrangement);
}

bool CModuleArrangementDialogs::ArrangeTypeR(CCabinetArrangement& arrangement) {
    CTypeRArrangementForm form(arrangement);
    form.SetSite(m_site);
    const bool ok = Run(form);
    return RunCabinets(form, ok, arrangement);
}

bool CModuleArrangementDialogs::ArrangeTypeK(CCabinetArrangement& arrangement) {
    CTypeKArrangementForm form(arrangement);
    form.SetSite(m_site);
    const bool ok = Run(form);
    return RunCabinets(form, ok, arrangement);
}
