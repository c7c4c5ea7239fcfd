#include "acoustics/InstallationElement.h"

#include <algorithm>

CInstallationElement* CInstallationElementList::At(int index) {
    if (index < 0 || index >= Count())
        return nullptr;
    return &m_items[static_cast<std::size_t>(index)];
}

const CInstallationElement* CInstallationElementList::At(int index) const {
    if (index < 0 || index >= Count())
        return nullptr;
    return &m_items[static_cast<std::size_t>(index)];
}

double CInstallationElementList::TotalPower() const {
    double total = 0.0;
    for (const auto& item : m_items)
        total += item.power;
    return total;
}

void CInstallationElementList::Append(const CInstallationElement& element) {
    m_items.push_back(element);
}

bool CInstallationElementList::MakeCurrent(const CInstallationElement* element) {
    for (int i = 0; i < Count(); ++i)
        if (&m_items[static_cast<std::size_t>(i)] == element) {
            if (i == m_currentIndex)
                return false;
            m_currentIndex = i;
            return true;
        }
    return false;
}

bool CInstallationElementList::SetCurrentIndex(int index) {
    index = m_items.empty() ? 0 : std::clamp(index, 0, Count() - 1);
    if (m_currentIndex == index)
        return false;
    m_currentIndex = index;
    return true;
}

void CInstallationElementList::FixCurrentIndex() {
    if (Count() <= 1)
        m_currentIndex = 0;
    else if (m_currentIndex >= Count())
        m_currentIndex = Count() - 1;
}

void CInstallationElementList::RemoveAt(int index) {
    if (index < 0 || index >= Count())
        return;
    m_items.erase(m_items.begin() + index);
    FixCurrentIndex();
}

void CInstallationElementList::RemoveModelInstallations(int modelIndex) {
    std::erase_if(m_items,
                  [&](const CInstallationElement& e) { return e.modelIndex == modelIndex; });
    FixCurrentIndex();
}

void CInstallationElementList::RemoveAll() {
    m_items.clear();
    m_currentIndex = 0;
}
