#include "speaker/TypeWModel.h"

std::string CTypeWModel::CheckCounts(const CModuleCounts& c) const {
    if (c.centre != 0 || c.upper != 0)
        return "a KV-W5 hangs downward only: its centre and upper counts must be 0";
    if (c.lower < 1 || c.lower > kMaxModules)
        return "a KV-W5 holds 1 to " + std::to_string(kMaxModules) + " modules, not " +
               std::to_string(c.lower);
    return {};
}

void CTypeWModel::ComputeAim() {
    if (m_settings.centre != 0 || m_settings.upper != 0)
        return;
    StackLower(m_settings.lower);
}

void CTypeWModel::BuildElements() {
    BuildOnFirstBalloon(static_cast<int>(m_states.size()));
}

std::string CTypeWModel::NameSuffix() const {
    return BoxSuffix(ElementTotal(), 8);
}

double CTypeWModel::ArrangeModules(int lengthUnit, CModuleArrangementPort* port) {
    if (!port)
        return 0.0;
    CVectorArrangement arrangement = VectorArrangement(lengthUnit);
    if (!port->ArrangeTypeW(arrangement))
        return 0.0;

    // Check everything before the first change, so a bad answer leaves the model as it was.
    RequireValidCounts(arrangement.counts);
    const int oldTotal = ElementTotal();
    const int newTotal = arrangement.counts.lower;
    if (arrangement.vectors.size() != static_cast<std::size_t>(newTotal))
        throw CInvalidArgument("the KV-W5 arrangement gives " +
                               std::to_string(arrangement.vectors.size()) + " module vectors for " +
                               std::to_string(newTotal) + " modules");
    if (m_balloons.empty())
        throw CInvalidArgument("the KV-W5 model has no balloon");

    m_elements.clear();
    m_modules.resize(static_cast<std::size_t>(newTotal));
    m_states.resize(static_cast<std::size_t>(newTotal));
    // The module table keeps the arranged vectors too, so the project file, a reopened dialog
    // and later aim computations all see what the user arranged.
    for (std::size_t i = 0; i < m_modules.size(); ++i)
        m_modules[i].vector = arrangement.vectors[i];
    ApplyModules(1);
    SetEqualWeights();
    SetCounts(0, 0, newTotal);
    ComputeAim();
    BuildElements();
    return static_cast<double>(oldTotal) / static_cast<double>(newTotal);
}
