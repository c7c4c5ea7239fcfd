#pragma once

#include "acoustics/InstallationElement.h"
#include "project/forms/NumberField.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

class CSpeakerModel;

// The most power a tap takes, and how a refusal names the tap ("tap 0 of X, 100 V line").
struct CTapPower {
    double maximum = 0.0;
    std::string tap;
};
CTapPower TapPowerOf(const CSpeakerModel& model, int tap);
// Empty when `power` lies within 0 .. the tap's power, else the refusal naming `name` (an option
// or a dialog row): "--power must lie between 0 and 30 W (the power of tap 0 of X, 100 V line);
// 50 was given". Every front end refuses it: a line tap's transformer cannot deliver more, and a
// low-impedance tap names the speaker's rating.
std::string TapPowerRefusal(const CTapPower& limit, double power, const std::string& name);

// "Properties for Installation": position, aim, power, signal delay and polarity of one
// installation. Without advanced mode only the position rows are shown; the other values pass
// through unchanged.
class CInstallationForm {
public:
    enum Row { kX, kY, kZ, kAzimuth, kElevation, kRotation, kPower, kDelay, kRowCount };

    CInstallationForm(const CInstallationElement& values, int lengthUnit, int advancedMode);
    // The tap the installation is on: a shown power above it is refused by Accept.
    void LimitPower(CTapPower limit) { m_powerLimit = std::move(limit); }

    std::string Title() const;
    CNumberField& Field(Row row) { return m_fields[row]; }
    const CNumberField& Field(Row row) const { return m_fields[row]; }
    bool PolarityVisible() const { return m_advanced; }
    const std::vector<std::string>& PolarityItems() const { return m_polarityItems; }
    int polaritySelection = 0; // 0 normal, 1 reverse

    // Checks the shown fields in row order; on the first refusal returns false with its message
    // and the dialog stays open. On success Result() holds the entered values.
    bool Accept(std::string* message = nullptr);
    const CInstallationElement& Result() const { return m_result; }

private:
    std::array<CNumberField, kRowCount> m_fields;
    std::vector<std::string> m_polarityItems;
    bool m_advanced;
    CInstallationElement m_original;
    CInstallationElement m_result;
    std::optional<CTapPower> m_powerLimit;
};
