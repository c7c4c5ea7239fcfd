#include "project/forms/InstallationForm.h"

#include "common/FormatSignificant.h"
#include "common/Units.h"
#include "project/Strings.h"
#include "speaker/SpeakerModel.h"

CTapPower TapPowerOf(const CSpeakerModel& model, int tap) {
    const CTapElement& t = model.Tap(tap);
    return {t.tapPower, "tap " + std::to_string(tap) + " of " + model.DisplayName() + ", " +
                            FormatSignificant(t.tapRating, 4) +
                            (t.lowImpedance ? " ohms" : " V line")};
}

std::string TapPowerRefusal(const CTapPower& limit, double power, const std::string& name) {
    return OutsideRange(name, power, 0.0, limit.maximum, "W", "the power of " + limit.tap);
}

CInstallationForm::CInstallationForm(const CInstallationElement& values, int lengthUnit,
                                     int advancedMode)
    : m_polarityItems{Strings::kPolarityNormal, Strings::kPolarityReverse},
      m_advanced(advancedMode != 0), m_original(values), m_result(values) {
    const std::string lengthUnitText =
        lengthUnit == kUnitImperial ? Strings::kUnitFeet : Strings::kUnitMetre;
    auto set = [&](Row row, const char* label, const std::string& unit, double lo, double hi,
                   double value) {
        CNumberField& f = m_fields[row];
        f.label = label;
        f.unit = unit;
        f.minimum = lo;
        f.maximum = hi;
        f.SetValue(value);
        f.visible = row <= kZ || m_advanced;
    };
    set(kX, "X", lengthUnitText, -10000, 10000, values.position.x);
    set(kY, "Y", lengthUnitText, -10000, 10000, values.position.y);
    set(kZ, "Z", lengthUnitText, -10000, 10000, values.position.z);
    set(kAzimuth, "Azimuth(Left+)", Strings::kUnitDegree, -180, 180, values.orientation.azimuth);
    set(kElevation, "Elevation(Down+)", Strings::kUnitDegree, -180, 180,
        values.orientation.elevation);
    set(kRotation, "Rotation(Right+)", Strings::kUnitDegree, -180, 180,
        values.orientation.rotation);
    set(kPower, "Power", Strings::kUnitWatt, 0, 10000, values.power);
    set(kDelay, Strings::kDelayLabel, Strings::kUnitMillisecond, 0, kMaxDelayMs, values.delay);
    polaritySelection = values.polarityNormal ? 0 : 1;
}

std::string CInstallationForm::Title() const {
    return Strings::kInstallationTitle;
}

bool CInstallationForm::Accept(std::string* message) {
    double values[kRowCount];
    for (int row = 0; row < kRowCount; ++row) {
        const CNumberField& f = m_fields[row];
        if (!f.visible)
            continue;
        const std::optional<double> v = f.Parse(message);
        if (!v)
            return false;
        values[row] = *v;
    }
    if (m_advanced && m_powerLimit) {
        const std::string refusal =
            TapPowerRefusal(*m_powerLimit, values[kPower], m_fields[kPower].label);
        if (!refusal.empty()) {
            if (message)
                *message = refusal;
            return false;
        }
    }
    CInstallationElement r = m_original;
    r.position = {values[kX], values[kY], values[kZ]};
    if (m_advanced) {
        r.orientation = {values[kAzimuth], values[kRotation], values[kElevation]};
        r.power = values[kPower];
        r.polarityNormal = polaritySelection == 0;
        r.delay = values[kDelay] + 0.0; // -0 is 0
    }
    m_result = r;
    return true;
}
