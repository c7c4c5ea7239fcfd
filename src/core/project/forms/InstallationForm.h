#pragma once

#include "acoustics/InstallationElement.h"
#include "project/forms/NumberField.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

class CSpeakerModel;

// The most power an installation takes on a tap: every box may carry at most the tap's power,
// so an arranged line array of n boxes takes n times it. A refusal names the tap as the tap list
// numbers it ("tap 1 of X, 100 V line").
struct CTapPower {
    double perBox = 0.0; // the tap's power
    int boxes = 1;
    std::string tap;
    double Maximum() const { return perBox * boxes; }
};
CTapPower TapPowerOf(const CSpeakerModel& model, int tap);
// "tap 1 of X, 100 V line": a tap row as the tap list numbers it, from 1.
std::string TapName(const CSpeakerModel& model, int tap);
// Empty when `power` lies within 0 .. the tap's power times the boxes, else the refusal naming
// `name` (an option or a dialog row) and what each box would carry: "--power must lie between 0
// and 6400 W (8 boxes of at most 800 W, the power of tap 1 of X, 8 ohms); 7200 was given, 900 W
// a box". Every front end refuses it: a line tap's transformer cannot deliver more, and a
// low-impedance tap names the speaker's rating. A share that exceeds the tap only by rounding
// (an arrangement's rescale) is taken.
std::string TapPowerRefusal(const CTapPower& limit, double power, const std::string& name);

// One entry of the installation dialog's "Tap" row: the tap as the tap list shows it, its power
// and why the room cannot take it (empty when it can).
struct CInstallationTapOffer {
    std::string text;
    CTapPower power;
    std::string refusal;
};

// "Properties for Installation": position, aim, power and polarity of one installation. Without
// advanced mode only the position rows are shown; the other values pass through unchanged.
class CInstallationForm {
public:
    enum Row { kX, kY, kZ, kAzimuth, kElevation, kRotation, kPower, kDelay, kRowCount };

    CInstallationForm(const CInstallationElement& values, int lengthUnit, int advancedMode);
    // The tap the installation is on: a shown power above it (times the boxes) is refused by
    // Accept. The row's own range is per box too, so an arranged array can hold its boxes' power.
    void LimitPower(CTapPower limit);

    std::string Title() const;
    CNumberField& Field(Row row) { return m_fields[row]; }
    const CNumberField& Field(Row row) const { return m_fields[row]; }
    bool PolarityVisible() const { return m_advanced; }
    const std::vector<std::string>& PolarityItems() const { return m_polarityItems; }
    int polaritySelection = 0; // 0 normal, 1 reverse

    // The "Tap" row among the advanced rows: the model's taps as the tap list shows them, the
    // installation's own selected; its power limits the power row.
    using CTapOffer = CInstallationTapOffer;
    void OfferTaps(std::vector<CTapOffer> taps, int selection);
    bool TapVisible() const { return m_advanced && !m_taps.empty(); }
    std::vector<std::string> TapItems() const;
    int TapSelection() const { return m_tapSelection; }
    // The user picks a tap: the power row takes that tap's power for every box. False for a row
    // the list does not have.
    bool SelectTap(int row);

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
    std::vector<CTapOffer> m_taps;
    int m_tapSelection = -1;
};
