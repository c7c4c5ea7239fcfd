#pragma once

#include "acoustics/InstallationElement.h"

#include <cstdint>

struct CInstallationsRecord;

// The room and the speakers installed in it. The total power equals the sum of the powers (or,
// for a project as read, the total its file stored), and the current index stays inside the list:
// the list is changed only through the container.
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
    // Installation index takes these values; nothing happens for an index outside the list.
    void ReplaceInstallation(int index, const CInstallationElement& element);
    // Installation index delays its signal by `delayMs` (the power and the total stay as they
    // are); nothing happens for an index outside the list.
    void SetDelay(int index, double delayMs);
    // Divides the power of every installation of a model (an arrangement shared it out anew).
    void DividePower(int modelIndex, double divisor);
    // After a change of length unit.
    void ScalePositions(double factor);
    // Model modelIndex left the project: its installations go, later models move down one.
    void ForgetModel(int modelIndex);
    // Brought into the list; false when it already was the index.
    bool SetCurrentIndex(int index) { return m_list.SetCurrentIndex(index); }
    double TotalPower() const { return m_totalPower; }

    const CInstallationElementList& List() const { return m_list; }
    int Count() const { return m_list.Count(); }
    bool Empty() const { return m_list.Empty(); }
    const CInstallationElement* At(int index) const { return m_list.At(index); }
    const CInstallationElement* Current() const { return m_list.Current(); }
    int CurrentIndex() const { return m_list.CurrentIndex(); }

    int ceilingType = 1; // 1 solid ceiling (half space), 0 absorbent or none (full space)
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
    friend struct CInstallationsRecord;
    void UpdateTotalPower() { m_totalPower = m_list.TotalPower(); }

    CInstallationElementList m_list;
    double m_totalPower = 0.0;
};
