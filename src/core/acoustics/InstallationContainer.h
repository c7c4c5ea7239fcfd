#pragma once

#include "acoustics/InstallationElement.h"

#include <cstdint>

class CArchive;
class CInstallationContainer;
void SerializeInstallations(CArchive& ar, CInstallationContainer& room, std::uint32_t version);

// The room and the speakers installed in it. totalPower always equals the sum of the powers.
class CInstallationContainer {
public:
    // Defaults depend on the application's length unit when the project is created.
    explicit CInstallationContainer(int applicationUnit = 0);

    void AddInstallation(int modelIndex, int tapIndex, const CVec3& position,
                         const COrientation& orientation, double power, bool polarityNormal);
    void RemoveInstallation(int index);
    void ModifyCurrentInstallation(const CVec3& position, const COrientation& orientation,
                                   double power, bool polarityNormal);
    void RemoveModelInstallations(int modelIndex);
    void RemoveAll();
    // After the powers of installations were changed in place.
    void UpdateTotalPower() { m_totalPower = list.TotalPower(); }
    double TotalPower() const { return m_totalPower; }

    int ceilingType = 1; // 1 solid ceiling (half space), 0 absorbent or none (full space)
    CInstallationElementList list;
    double reserved1 = 0.0;
    double gridPitchY = 1.0;
    double gridPitchX = 1.0;
    double reserved2 = 0.0;
    double roomWidth = 10.0;
    double roomLength = 10.0;
    double roomZeroX = 0.0;
    double roomZeroY = 0.0;
    double roomHeight = 3.0;

    bool CeilingReflects() const { return ceilingType == 1; }

private:
    // A project file's total is kept as read, so that saving it again writes the same bytes.
    friend void SerializeInstallations(CArchive& ar, CInstallationContainer& room,
                                       std::uint32_t version);
    double m_totalPower = 0.0;
};
