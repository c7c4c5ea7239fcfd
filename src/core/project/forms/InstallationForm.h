#pragma once

#include "acoustics/InstallationElement.h"
#include "project/forms/NumberField.h"

#include <array>
#include <string>
#include <vector>

// "Properties for Installation": position, aim, power and polarity of one installation. Without
// advanced mode only the position rows are shown; the other values pass through unchanged.
class CInstallationForm {
public:
    enum Row { kX, kY, kZ, kAzimuth, kElevation, kRotation, kPower, kRowCount };

    CInstallationForm(const CInstallationElement& values, int lengthUnit, int advancedMode);

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
};
