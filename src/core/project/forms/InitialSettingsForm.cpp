#include "project/forms/InitialSettingsForm.h"

#include "common/Units.h"
#include "project/Ports.h"
#include "project/Strings.h"

CInitialSettingsForm::CInitialSettingsForm(int currentUnit, bool cancelVisible)
    : m_cancelVisible(cancelVisible) {
    m_unit.Assign({{Strings::kMetric, kUnitMetric}, {Strings::kImperial, kUnitImperial}});
    m_unit.selection = currentUnit == kUnitImperial ? 1 : 0;
}

std::string CInitialSettingsForm::Title() const {
    return Strings::kInitialSettingsTitle;
}

std::string CInitialSettingsForm::UnitsLabel() {
    return Strings::kUnitsLabel;
}

void CInitialSettingsForm::SelectUnit(int unit) {
    if (unit == kUnitMetric || unit == kUnitImperial)
        m_unit.selection = unit;
}

bool RunFirstStartSettings(CSettingsPort& settings, CDialogPort* dialogs, int& unit) {
    unit = settings.ReadInt(SettingsKeys::kLengthUnitSection, SettingsKeys::kLengthUnit, 0);
    if (settings.ReadInt(SettingsKeys::kFirstTimeSection, SettingsKeys::kFirstTime, 1) != 1)
        return true;
    CInitialSettingsForm form(unit, true);
    if (!dialogs || !dialogs->RunInitialSettings(form))
        return false;
    unit = form.Unit();
    settings.WriteInt(SettingsKeys::kLengthUnitSection, SettingsKeys::kLengthUnit, unit);
    settings.WriteInt(SettingsKeys::kFirstTimeSection, SettingsKeys::kFirstTime, 0);
    return true;
}
