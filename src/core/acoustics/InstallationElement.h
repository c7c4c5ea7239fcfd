#pragma once

#include "common/Vec3.h"

#include <memory>
#include <vector>

// The longest signal delay an installation may have, in milliseconds.
inline constexpr double kMaxDelayMs = 1000.0;

// One speaker placed in the room.
struct CInstallationElement {
    CVec3 position;
    COrientation orientation;
    int modelIndex = 0;
    int tapIndex = 0;
    double power = 0.0;
    bool polarityNormal = true;
    // Signal delay in milliseconds (0 to kMaxDelayMs); saved in the project's delay record.
    double delay = 0.0;
    friend bool operator==(const CInstallationElement&, const CInstallationElement&) = default;
};

class CInstallationElementList {
public:
    int Count() const { return static_cast<int>(m_items.size()); }
    bool Empty() const { return m_items.empty(); }
    CInstallationElement* At(int index);
    const CInstallationElement* At(int index) const;
    CInstallationElement* Current() { return At(m_currentIndex); }
    const CInstallationElement* Current() const { return At(m_currentIndex); }
    double TotalPower() const;

    void Append(const CInstallationElement& element);
    // False when the record is not in the list or already current.
    bool MakeCurrent(const CInstallationElement* element);
    // The current record; always inside the list (0 when the list is empty).
    int CurrentIndex() const { return m_currentIndex; }
    // Brought into the list. False when it already was the index.
    bool SetCurrentIndex(int index);
    void RemoveAt(int index);
    void RemoveModelInstallations(int modelIndex);
    void RemoveAll();

    auto begin() { return m_items.begin(); }
    auto end() { return m_items.end(); }
    auto begin() const { return m_items.cbegin(); }
    auto end() const { return m_items.cend(); }

private:
    int m_currentIndex = 0;
    void FixCurrentIndex();
    std::vector<CInstallationElement> m_items;
};
