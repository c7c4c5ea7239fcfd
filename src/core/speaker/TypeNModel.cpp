#include "speaker/TypeNModel.h"

#include "speaker/CalcAimAngle.h"

std::string CTypeNModel::CheckCounts(const CModuleCounts& c) const {
    if (c.centre != 0 || c.upper != 0)
        return "a type N array hangs downward only: its centre and upper counts must be 0";
    if (c.lower < 1 || c.lower > kModules)
        return "a type N array holds 1 to " + std::to_string(kModules) + " modules, not " +
               std::to_string(c.lower);
    return {};
}

void CTypeNModel::ComputeAim() {
    if (m_settings.centre != 0 || m_settings.upper != 0)
        return;
    const int count = m_settings.lower;
    if (count > kModules)
        throw CInvalidArgument("a type N array holds at most 8 modules, not " +
                               std::to_string(count));
    RequireStates(count);
    CCalcAimAngleLowerZX lower;
    for (int j = 0; j < count; ++j) {
        CSPVariableParam& state = m_states[static_cast<std::size_t>(j)];
        const CModuleVector& entry = Module(j).vector;
        state.module.vector = {entry.offset, entry.pitch, kSplays[j]};
        Place(lower, state);
    }
}

void CTypeNModel::BuildElements() {
    BuildOnFirstBalloon(m_settings.lower);
}
