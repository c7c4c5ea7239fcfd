#pragma once

#include "project/Strings.h"

#include <string>

// "Preferences": the two project-wide switches.
class CPreferencesForm {
public:
    CPreferencesForm(int advancedMode, int manualRecalc)
        : advancedChecked(advancedMode != 0), manualChecked(manualRecalc == 1) {}

    std::string Title() const { return Strings::kPreferencesTitle; }
    static std::string AdvancedLabel() { return Strings::kAdvancedMode; }
    static std::string ManualLabel() { return Strings::kManualRecalculation; }

    bool advancedChecked;
    bool manualChecked;

    int AdvancedMode() const { return advancedChecked ? 2 : 0; }
    int ManualRecalc() const { return manualChecked ? 1 : 0; }
};
