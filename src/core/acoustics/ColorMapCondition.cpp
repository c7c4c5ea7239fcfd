#include "acoustics/ColorMapCondition.h"

CColorMapCondition CColorMapCondition::ForLoading() {
    CColorMapCondition c;
    c.viewAngles = {0.0, 0.0, 0.0};
    return c;
}

CColorMapCondition& CColorMapConditionList::Append(CColorMapCondition condition) {
    m_conditions.push_back(std::make_unique<CColorMapCondition>(std::move(condition)));
    currentIndex = Count() - 1;
    return *m_conditions.back();
}

CColorMapCondition* CColorMapConditionList::Duplicate(int index) {
    CColorMapCondition* source = At(index);
    if (!source)
        return nullptr;
    CColorMapCondition copy = *source;
    copy.plane.points = std::move(source->plane.points);
    source->plane.points.clear();
    return &Append(std::move(copy));
}

void CColorMapConditionList::Remove(int index) {
    if (index < 0 || index >= Count())
        return;
    m_conditions.erase(m_conditions.begin() + index);
    if (currentIndex >= Count())
        currentIndex = Count() > 0 ? Count() - 1 : 0;
}

void CColorMapConditionList::RemoveAll() {
    m_conditions.clear();
    currentIndex = 0;
}

CColorMapCondition* CColorMapConditionList::At(int index) {
    if (index < 0 || index >= Count())
        return nullptr;
    return m_conditions[static_cast<std::size_t>(index)].get();
}

const CColorMapCondition* CColorMapConditionList::At(int index) const {
    if (index < 0 || index >= Count())
        return nullptr;
    return m_conditions[static_cast<std::size_t>(index)].get();
}
