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
    m_list.Append({position, orientation, modelIndex, tapIndex, power, polarityNormal});
    UpdateTotalPower();
}

void CInstallationContainer::RemoveInstallation(int index) {
    if (index < 0 || index >= m_list.Count())
        return;
    m_list.RemoveAt(index);
    UpdateTotalPower();
}

void CInstallationContainer::ModifyCurrentInstallation(const CVec3& position,
                                                       const COrientation& orientation,
                                                       double power, bool polarityNormal) {
    if (CInstallationElement* current = m_list.Current()) {
        current->position = position;
        current->orientation = orientation;
        current->power = power;
        current->polarityNormal = polarityNormal;
    }
    UpdateTotalPower();
}

void CInstallationContainer::RemoveModelInstallations(int modelIndex) {
    m_list.RemoveModelInstallations(modelIndex);
    UpdateTotalPower();
}

void CInstallationContainer::RemoveAll() {
    m_list.RemoveAll();
    UpdateTotalPower();
}

void CInstallationContainer::ReplaceInstallation(int index, const CInstallationElement& element) {
    CInstallationElement* target = m_list.At(index);
    if (!target)
        return;
    *target = element;
    UpdateTotalPower();
}

void CInstallationContainer::SetDelay(int index, double delayMs) {
    if (CInstallationElement* target = m_list.At(index))
        target->delay = delayMs + 0.0; // -0 is stored as 0, so equal delays save alike
}

void CInstallationContainer::DividePower(int modelIndex, double divisor) {
    for (CInstallationElement& inst : m_list)
        if (inst.modelIndex == modelIndex)
            inst.power = inst.power / divisor;
    UpdateTotalPower();
}

void CInstallationContainer::ScalePositions(double factor) {
    for (CInstallationElement& inst : m_list)
        inst.position = inst.position * factor;
}

void CInstallationContainer::ForgetModel(int modelIndex) {
    m_list.RemoveModelInstallations(modelIndex);
    for (CInstallationElement& inst : m_list)
        if (inst.modelIndex > modelIndex)
            --inst.modelIndex;
    UpdateTotalPower();
}
