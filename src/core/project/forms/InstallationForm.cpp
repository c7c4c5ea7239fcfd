#include "project/forms/InstallationForm.h"

#include "common/FormatSignificant.h"
#include "common/Units.h"
#include "project/Strings.h"
#include "speaker/SpeakerModel.h"

#include <algorithm>

std::string TapName(const CSpeakerModel& model, int tap) {
    const CTapElement& t = model.Tap(tap);
    return "tap " + std::to_string(tap + 1) + " of " + model.DisplayName() + ", " +
           FormatSignificant(t.tapRating, 4) + (t.lowImpedance ? " ohms" : " V line");
}

CTapPower TapPowerOf(const CSpeakerModel& model, int tap) {
    return {model.Tap(tap).tapPower, std::max(1, model.BoxCount()), TapName(model, tap)};
}

std::string TapPowerRefusal(const CTapPower& limit, double power, const std::string& name) {
    // An arrangement divides the power by old/new boxes, which may land an ulp above n times the
    // tap; that is no user's entry and no overload.
    constexpr double kRounding = 1e-9;
    if (power >= 0.0 && power / limit.boxes <= limit.perBox * (1 + kRounding))
        return {};
    if (limit.boxes == 1)
        return OutsideRange(name, power, 0.0, limit.Maximum(), "W", "the power of " + limit.tap);
    std::string text =
        OutsideRange(name, power, 0.0, limit.Maximum(), "W",
                     std::to_string(limit.boxes) + " boxes of at most " +
                         FormatFieldNumber(limit.perBox) + " W, the power of " + limit.tap);
    if (power > 0.0)
        text += ", " + FormatSignificant(power / limit.boxes, 4) + " W a box";
    return text;
}

namespace {
// The power row's range for one speaker (one box).
constexpr double kMaximumPower = 10000;
} // namespace

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
    set(kPower, "Power", Strings::kUnitWatt, 0, kMaximumPower, values.power);
    set(kDelay, Strings::kDelayLabel, Strings::kUnitMillisecond, 0, kMaxDelayMs, values.delay);
    polaritySelection = values.polarityNormal ? 0 : 1;
}

void CInstallationForm::LimitPower(CTapPower limit) {
    m_fields[kPower].maximum = kMaximumPower * std::max(1, limit.boxes);
    m_powerLimit = std::move(limit);
}

void CInstallationForm::OfferTaps(std::vector<CTapOffer> taps, int selection) {
    m_taps = std::move(taps);
    m_tapSelection = selection >= 0 && selection < static_cast<int>(m_taps.size()) ? selection : -1;
    if (m_tapSelection >= 0)
        LimitPower(m_taps[static_cast<std::size_t>(m_tapSelection)].power);
}

std::vector<std::string> CInstallationForm::TapItems() const {
    std::vector<std::string> items;
    for (const CTapOffer& tap : m_taps)
        items.push_back(tap.text);
    return items;
}

bool CInstallationForm::SelectTap(int row) {
    if (row < 0 || row >= static_cast<int>(m_taps.size()))
        return false;
    if (row == m_tapSelection)
        return true;
    m_tapSelection = row;
    const CTapPower& power = m_taps[static_cast<std::size_t>(row)].power;
    LimitPower(power);
    m_fields[kPower].SetValue(power.Maximum());
    return true;
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
        const std::optional<double> v = f.ParseNamed(message);
        if (!v)
            return false;
        values[row] = *v;
    }
    if (TapVisible() && m_tapSelection >= 0) {
        const std::string& refusal = m_taps[static_cast<std::size_t>(m_tapSelection)].refusal;
        if (!refusal.empty()) {
            if (message)
                *message = FieldMessage(Strings::kTapLabel, refusal);
            return false;
        }
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
        if (TapVisible() && m_tapSelection >= 0)
            r.tapIndex = m_tapSelection;
        r.delay = values[kDelay] + 0.0; // -0 is 0
    }
    m_result = r;
    return true;
}
