#include "acoustics/InstallationContainer.h"

#include "common/Units.h"

CInstallationContainer::CInstallationContainer(int applicationUnit) {
    if (applicationUnit == kUnitImperial) {
        gridPitchX = gridPitchY = 2.0;
        roomWidth = roomLength = 30.0;
        roomHeight = 10.0;
    }
}

void CInstallationContainer::AddInstallation(int modelIndex, int tapIndex, const CVec3& position,
                                             const COrientation& orientation, double power,
                                             bool polarityNormal) {
    list.Append({position, orientation, modelIndex, tapIndex, power, polarityNormal});
    UpdateTotalPower();
}

void CInstallationContainer::RemoveInstallation(int index) {
    if (index < 0 || index >= list.Count())
        return;
    list.RemoveAt(index);
    UpdateTotalPower();
}

void CInstallationContainer::ModifyCurrentInstallation(const CVec3& position,
                                                       const COrientation& orientation,
                                                       double power, bool polarityNormal) {
    if (CInstallationElement* current = list.Current()) {
        current->position = position;
        current->orientation = orientation;
        current->power = power;
        current->polarityNormal = polarityNormal;
    }
    UpdateTotalPower();
}

void CInstallationContainer::RemoveModelInstallations(int modelIndex) {
    list.RemoveModelInstallations(modelIndex);
    UpdateTotalPower();
}

void CInstallationContainer::RemoveAll() {
    list.RemoveAll();
    UpdateTotalPower();
}
