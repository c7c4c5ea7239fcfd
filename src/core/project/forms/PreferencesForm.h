#pragma once

#include <string>

// "Preferences": the two project-wide switches.
class CPreferencesForm {
public:
    CPreferencesForm(int advancedMode, int manualRecalc)
        : advancedChecked(advancedMode != 0), manualChecked(manualRecalc == 1) {}

    bool advancedChecked;
    bool manualChecked;

    int AdvancedMode() const { return advancedChecked ? 2 : 0; }
    int ManualRecalc() const { return manualChecked ? 1 : 0; }
};
