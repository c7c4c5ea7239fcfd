#include "speaker/QL9Model.h"

#include "speaker/CalcAimAngle.h"

std::string CQL9Model::CheckCounts(const CModuleCounts& c) const {
    if (c.centre < 0 || c.upper < 0 || c.lower < 0)
        return "QL-9 module counts must not be negative";
    if (c.centre > 1)
        return "a QL-9 holds at most one centre module, not " + std::to_string(c.centre);
    // Summed in a wider type: the counts may come straight from a text line.
    const long long total = static_cast<long long>(c.centre) + c.upper + c.lower;
    if (total < 1 || total > kMaxModules)
        return "a QL-9 holds 1 to " + std::to_string(kMaxModules) + " modules, not " +
               std::to_string(total);
    return {};
}

void CQL9Model::ComputeAim() {
    const CModuleCounts c = Counts();
    if (c.centre > 1)
        return;
    RequireStates(c.CheckedTotal());
    CCalcAimAngleUpperZX upper;
    CCalcAimAngleLowerZX lower;
    if (c.centre == 1) {
        const double half = m_states[0].module.vector.pitch / 2;
        upper.SetStartZ(half);
        lower.SetStartZ(-half);
    }
    std::size_t i = 0;
    for (; i < static_cast<std::size_t>(c.upper); ++i)
        Place(upper, m_states[i]);
    for (; i < static_cast<std::size_t>(c.upper + c.lower); ++i)
        Place(lower, m_states[i]);
    if (c.centre == 1) {
        // The centre module fills the gap the two stacks leave at the reference point and is
        // aimed like the start of both stacks.
        CSPVariableParam& centre = m_states[i];
        centre.position = {centre.module.vector.offset, 0.0, 0.0};
        centre.orientation.elevation = 0.0;
    }
}

void CQL9Model::BuildElements() {
    BuildOnFirstBalloon(static_cast<int>(m_states.size()));
}

std::string CQL9Model::NameSuffix() const {
    return BoxSuffix(ElementTotal(), 4);
}

double CQL9Model::ArrangeModules(int lengthUnit, CModuleArrangementPort* port) {
    if (!port)
        return 0.0;
    CVectorArrangement arrangement = VectorArrangement(lengthUnit);
    if (!port->ArrangeQL9(arrangement))
        return 0.0;

    // Check everything before the first change, so a bad answer leaves the model as it was.
    const CModuleCounts& chosen = arrangement.counts;
    const int oldTotal = ElementTotal();
    // New counts are taken when they differ from the model's; with a centre module in the data
    // the same total can still split differently, so the total alone does not decide.
    const bool recount = !(chosen == Counts());
    if (recount && chosen.centre != 0)
        throw CInvalidArgument("a QL-9 arrangement cannot give a centre module");
    if (recount)
        RequireValidCounts(chosen);
    const int newTotal = recount ? chosen.CheckedTotal() : oldTotal;
    if (arrangement.vectors.size() != static_cast<std::size_t>(newTotal))
        throw CInvalidArgument("the QL-9 arrangement gives " +
                               std::to_string(arrangement.vectors.size()) + " module vectors for " +
                               std::to_string(newTotal) + " modules");
    if (m_balloons.empty())
        throw CInvalidArgument("the QL-9 model has no balloon");

    if (recount) {
        m_elements.clear();
        // An added module starts as a copy of the last element; its vector comes from the
        // arrangement below and its place from ComputeAim.
        const CSPVariableParam last = m_states.back();
        m_states.resize(static_cast<std::size_t>(newTotal), last);
        m_modules.resize(static_cast<std::size_t>(newTotal));
        SetEqualWeights();
        SetCounts(chosen.centre, chosen.upper, chosen.lower);
    }
    // The module table keeps the arranged vectors too, so the project file, a reopened dialog
    // and later aim computations all see what the user arranged.
    for (std::size_t i = 0; i < m_states.size(); ++i) {
        m_states[i].module.vector = arrangement.vectors[i];
        m_modules[i].vector = arrangement.vectors[i];
    }
    ComputeAim();
    if (recount)
        BuildElements();
    return static_cast<double>(oldTotal) / static_cast<double>(newTotal);
}
