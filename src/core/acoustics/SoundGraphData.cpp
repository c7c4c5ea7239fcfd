#include "acoustics/SoundGraphData.h"

void CSoundGraphData::SetPoints(int n, const double* frequencyValues, const double* levelValues) {
    const std::size_t count = n > 0 ? static_cast<std::size_t>(n) : 0;
    frequencies.assign(count, 0.0);
    levels.assign(count, 0.0);
    for (std::size_t i = 0; i < count; ++i) {
        if (frequencyValues)
            frequencies[i] = frequencyValues[i];
        if (levelValues)
            levels[i] = levelValues[i];
    }
}

CSoundGraphDataList::CSoundGraphDataList() {
    curves.resize(1);
    curves[0].SetPoints(1, nullptr, nullptr);
}

void CSoundGraphDataList::InitAxes(int frequencyAxis, int levelAxis, double frequencyMinimum,
                                   double levelMinimum, double frequencyMaximum,
                                   double levelMaximum, double frequencyStepValue,
                                   double levelStepValue) {
    frequencyAxisType = frequencyAxis;
    levelAxisType = levelAxis;
    frequencyMin = frequencyMinimum;
    levelMin = levelMinimum;
    frequencyMax = frequencyMaximum;
    levelMax = levelMaximum;
    frequencyStep = frequencyStepValue;
    levelStep = levelStepValue;
    curves.assign(1, CSoundGraphData{});
    curves[0].SetPoints(1, nullptr, nullptr);
    reservedWord = 0;
}

void CSoundGraphDataList::SetCurve(int i, int n, const double* frequencyValues,
                                   const double* levelValues) {
    if (i < 0 || i >= CurveCount())
        return;
    curves[static_cast<std::size_t>(i)].SetPoints(n, frequencyValues, levelValues);
}

void CSoundGraphDataList::ClearCurve(int i) {
    if (i < 0 || i >= CurveCount())
        return;
    CSoundGraphData& curve = curves[static_cast<std::size_t>(i)];
    curve.SetPoints(curve.PointCount(), nullptr, nullptr);
}

const CSoundGraphData* CSoundGraphDataList::Curve(int i) const {
    if (i < 0 || i >= CurveCount())
        return nullptr;
    return &curves[static_cast<std::size_t>(i)];
}

void CSoundGraphConditionList::AddGraphCondition(int source, int left, int top, int right,
                                                 int bottom, double xScale, double yScale,
                                                 const CSoundGraphDataList& data) {
    if (m_entries.empty() || source == -1) {
        CSoundGraphCondition entry;
        entry.left = left, entry.top = top, entry.right = right, entry.bottom = bottom;
        entry.xScale = xScale, entry.yScale = yScale;
        entry.data = data;
        m_entries.push_back(std::move(entry));
        return;
    }
    const int from = source < 0 || source >= Count() ? Count() - 1 : source;
    CSoundGraphCondition copy = m_entries[static_cast<std::size_t>(from)];
    m_entries.push_back(std::move(copy));
}

void CSoundGraphConditionList::RemoveGraphCondition(int i) {
    if (i < 0 || i >= Count())
        return;
    m_entries.erase(m_entries.begin() + i);
}

CSoundGraphCondition* CSoundGraphConditionList::At(int i) {
    if (i < 0 || i >= Count())
        return nullptr;
    return &m_entries[static_cast<std::size_t>(i)];
}

const CSoundGraphCondition* CSoundGraphConditionList::At(int i) const {
    if (i < 0 || i >= Count())
        return nullptr;
    return &m_entries[static_cast<std::size_t>(i)];
}
