#include "speaker/StdSPModel.h"

#include "common/Archive.h"

void CStdSPModel::SetSingleElement() {
    SetCounts(1, 0, 0);
    m_modules.resize(1);
    m_balloons.resize(1);
}

void CStdSPModel::LoadCounts(CArchiveIn&) {
    SetSingleElement();
}

void CStdSPModel::LoadModules(CArchiveIn&) {
    for (auto& state : m_states)
        state.module.name = m_header.name;
}

void CStdSPModel::ParseCounts(CLineReader&) {
    SetSingleElement();
}

void CStdSPModel::ParseModules(CLineReader&) {}

void CStdSPModel::ComputeAim() {
    for (auto& state : m_states)
        state.position = {state.module.vector.offset, 0.0, 0.0};
}

void CStdSPModel::BuildElements() {
    m_elements.clear();
    const int total = ElementTotal();
    for (int i = 0; i < total; ++i)
        AddElement(i, i);
}
