#pragma once

#include "acoustics/ListeningPlane.h"
#include "acoustics/MapQuantity.h"

#include <array>
#include <memory>
#include <vector>

enum ESummationMode : int { kModeInterference = 0, kModeEnergy = 1 };

// What one colour map view calculates and how it draws it, with its own calculation plane.
class CColorMapCondition {
public:
    double centreFrequency = 0.0; // Hz; 0 = not chosen
    double band = 0.0;            // bands per octave; 0 = not chosen
    double scale = 0.0;           // pixels per 1/1000 length unit
    int mode = kModeEnergy;
    EMapQuantity quantity = EMapQuantity::Direct; // saved in a project record when not Direct
    std::array<int, 2> scrollSize{0, 0};
    std::array<int, 4> margins{110, 44, 40, 324}; // left, top, right, bottom
    std::array<double, 3> viewAngles{45.0, 75.0, 0.0};
    // The colour classes follow the map's maximum, rounded up to the colour pitch, instead of
    // the plane's stored maximum (which stays as it is). Saved in a record of its own.
    bool automaticScale = false;
    CListeningPlane plane;

    // An empty condition as loading creates it: view angles 0 and an empty plane.
    static CColorMapCondition ForLoading();
};

class CColorMapConditionList {
public:
    // Appends; the new condition becomes current.
    CColorMapCondition& Append(CColorMapCondition condition);
    // Appends a copy of condition i that takes over its point records; the source keeps its
    // geometry but has no points until it is rebuilt. Nothing happens for an invalid index.
    CColorMapCondition* Duplicate(int index);
    // Removes condition i; currentIndex is brought back into the list.
    void Remove(int index);
    void RemoveAll();
    CColorMapCondition* At(int index);
    const CColorMapCondition* At(int index) const;
    CColorMapCondition* Current() { return At(currentIndex); }
    int Count() const { return static_cast<int>(m_conditions.size()); }

    int currentIndex = 0;

private:
    std::vector<std::unique_ptr<CColorMapCondition>> m_conditions;
};
