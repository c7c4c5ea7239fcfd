#pragma once

#include "project/ColorMapViewModel.h"

#include <string>

class CSettingsPort;
class CDialogPort;

// "Initial Settings": the length unit of new projects, asked on the program's first start.
class CInitialSettingsForm {
public:
    CInitialSettingsForm(int currentUnit, bool cancelVisible);

    std::string Title() const;
    static std::string UnitsLabel();
    bool CancelVisible() const { return m_cancelVisible; }
    const CComboModel& UnitCombo() const { return m_unit; }
    void SelectUnit(int unit);
    // 0 metric, 1 imperial.
    int Unit() const { return m_unit.selection; }

private:
    CComboModel m_unit;
    bool m_cancelVisible;
};

// The first start: when the settings say so, asks for the unit (with Cancel) and records it and
// that the first start is over. False when the user cancelled: the program ends and nothing is
// written. `unit` holds the application's unit afterwards.
bool RunFirstStartSettings(CSettingsPort& settings, CDialogPort* dialogs, int& unit);
