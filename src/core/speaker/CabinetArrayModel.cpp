#include "speaker/CabinetArrayModel.h"

#include "common/Archive.h"

#include <algorithm>

void CCabinetArrayModel::RequireCabinetTypes(const CTypePandRParamArray& cabinets,
                                             std::size_t count) const {
    if (cabinets.size() < count)
        throw CInvalidArgument("the " + std::string(FamilyName()) + " cabinet list holds " +
                               std::to_string(cabinets.size()) + " entries for " +
                               std::to_string(count) + " elements");
    const std::size_t types = std::min(m_modules.size(), m_balloons.size());
    for (std::size_t i = 0; i < count; ++i)
        CheckIndex(cabinets[i].type, types, "cabinet type");
}

void CCabinetArrayModel::StoreModules(CArchiveOut& ar) const {
    CLineArrayModel::StoreModules(ar);
    // One entry per element state, as loading reads them back.
    if (m_cabinets.size() < m_states.size())
        ar.Fail("the " + std::string(FamilyName()) + " cabinet list is shorter than its " +
                std::to_string(m_states.size()) + " elements");
    for (std::size_t i = 0; i < m_states.size(); ++i) {
        const CTypePandRParam& cabinet = m_cabinets[i];
        ar.Dword(static_cast<std::uint32_t>(cabinet.type));
        ar.Double(cabinet.splay);
    }
}

void CCabinetArrayModel::LoadModules(CArchiveIn& ar) {
    CLineArrayModel::LoadModules(ar);
    ar.RequireItems(m_states.size(), sizeof(std::uint32_t) + sizeof(double), "cabinet entries");
    CTypePandRParamArray cabinets(m_states.size());
    for (CTypePandRParam& cabinet : cabinets) {
        std::uint32_t type = 0;
        ar.Dword(type);
        ar.Double(cabinet.splay);
        if (type >= static_cast<std::uint32_t>(ModuleTypeCount()))
            ar.Fail("cabinet type " + std::to_string(type) + " is not one of the " +
                    std::to_string(ModuleTypeCount()) + " " + FamilyName() + " cabinet types");
        cabinet.type = static_cast<int>(type);
    }
    m_cabinets = std::move(cabinets);
}

void CCabinetArrayModel::ComputeAim() {
    if (m_settings.centre != 0 || m_settings.upper != 0)
        return;
    StackLower(m_settings.lower);
}

void CCabinetArrayModel::BuildElements() {
    RequireCabinetTypes(m_cabinets, m_states.size());
    m_elements.clear();
    m_elements.reserve(m_states.size());
    for (std::size_t i = 0; i < m_states.size(); ++i)
        AddElement(static_cast<int>(i), m_cabinets[i].type);
    ComputeAim();
}

void CCabinetArrayModel::ApplyModules(int flag) {
    if (m_cabinets.size() < m_states.size())
        m_cabinets.resize(m_states.size());
    for (std::size_t i = 0; i < m_states.size(); ++i)
        CheckIndex(m_cabinets[i].type, m_modules.size(), "cabinet type");
    for (std::size_t i = 0; i < m_states.size(); ++i) {
        const CAxisElement& entry = m_modules[static_cast<std::size_t>(m_cabinets[i].type)];
        if (flag == 1)
            m_states[i].module = entry;
        else
            m_states[i].module.vector = entry.vector;
        m_states[i].module.vector.splay = i == 0 ? 0.0 : m_cabinets[i].splay;
    }
}

void CCabinetArrayModel::ResetWeights() {
    CSpeakerModel::ResetWeights();
    m_cabinets.resize(m_states.size());
}

double CCabinetArrayModel::ArrangeModules(int lengthUnit, CModuleArrangementPort* port) {
    if (!port)
        return 0.0;
    CCabinetArrangement arrangement;
    arrangement.counts = Counts();
    arrangement.cabinets = m_cabinets;
    arrangement.modules = m_modules;
    arrangement.lengthUnit = lengthUnit;
    if (!RunArrangement(*port, arrangement))
        return 0.0;

    // Check everything before the first change, so a bad answer leaves the model as it was.
    RequireValidCounts(arrangement.counts);
    const int oldTotal = ElementTotal();
    const int newTotal = arrangement.counts.lower;
    if (arrangement.cabinets.size() != static_cast<std::size_t>(newTotal))
        throw CInvalidArgument("the " + std::string(FamilyName()) + " arrangement gives " +
                               std::to_string(arrangement.cabinets.size()) + " cabinets for " +
                               std::to_string(newTotal) + " elements");
    RequireCabinetTypes(arrangement.cabinets, arrangement.cabinets.size());

    m_elements.clear();
    SetCounts(0, 0, newTotal);
    m_states.resize(static_cast<std::size_t>(newTotal));
    m_cabinets = std::move(arrangement.cabinets);
    ApplyModules(1);
    SetEqualWeights();
    BuildElements();
    return static_cast<double>(oldTotal) / static_cast<double>(newTotal);
}
