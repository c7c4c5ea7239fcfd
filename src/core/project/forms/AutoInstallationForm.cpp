#include "project/forms/AutoInstallationForm.h"

#include "acoustics/AutoInstallation.h"
#include "common/FormatSignificant.h"
#include "common/Units.h"
#include "project/Strings.h"
#include "project/forms/RoomRules.h"

#include <cmath>

namespace {
// A stored choice outside the list falls back to the default entry.
int Preselect(int stored, int count, int fallback) {
    return stored >= 0 && stored < count ? stored : fallback;
}
} // namespace

CAutoInstallationForm::CAutoInstallationForm(const CAutoInstallationValues& values,
                                             double modelPitch, int lengthUnit, int advancedMode)
    : m_judgmentVisible(advancedMode >= 2), m_lengthUnit(lengthUnit), m_original(values),
      m_result(values) {
    m_pattern.items = {Strings::kPatternMaximumOverlap, Strings::kPatternMinimumOverlap,
                       Strings::kPatternEdgeToEdge, Strings::kPattern14EdgeToEdge,
                       Strings::kPattern2EdgeToEdge};
    m_pattern.selection = Preselect(values.pattern, kAutoPatternCount, kAutoPatternEdgeToEdge);
    for (int pattern = 0; pattern < kAutoPatternCount; ++pattern)
        m_pattern.values.push_back(pattern); // the pattern number is its place in the list
    m_shape.Assign(
        {{Strings::kShapeRectangle, kShapeRectangle}, {Strings::kShapeHexagonal, kShapeHexagonal}});
    m_shape.selection = Preselect(values.shape, 2, kShapeRectangle);

    const std::string lengthUnitText =
        lengthUnit == kUnitImperial ? Strings::kUnitFeet : Strings::kUnitMetre;
    auto set = [&](Edit edit, const char* label, const std::string& unit, double limit,
                   double value) {
        CNumberField& f = m_fields[edit];
        f.label = label;
        f.unit = unit;
        f.minimum = -limit;
        f.maximum = limit;
        f.SetValue(value);
        f.visible = advancedMode != 0;
    };
    set(kAzimuth, Strings::kAzimuthLabel, Strings::kUnitDegree, 180, values.angles.azimuth);
    set(kElevation, Strings::kElevationLabel, Strings::kUnitDegree, 180, values.angles.elevation);
    set(kRotation, Strings::kRotationLabel, Strings::kUnitDegree, 180, values.angles.rotation);
    set(kHeight, Strings::kHeightLabel, lengthUnitText, 10000, values.height);

    m_band.Assign(BandChoices(modelPitch));
    m_band.selection = m_band.IndexOf(values.band == 0.0 ? 0.5 : values.band);
    // A stored band this speaker data does not offer: two octaves, as for a first run.
    if (m_band.selection < 0)
        m_band.selection = m_band.IndexOf(0.5);
    if (m_band.selection < 0 && m_band.Count() > 0)
        m_band.selection = 0;
    FillFrequencies(values.frequency == 0.0 ? 1000.0 : values.frequency);
}

std::string CAutoInstallationForm::Title() const {
    return Strings::kAutoInstallationTitle;
}
std::string CAutoInstallationForm::DensityLabel() {
    return Strings::kSpeakerDensity;
}
std::string CAutoInstallationForm::ShapeLabel() {
    return Strings::kLayoutPattern;
}
std::string CAutoInstallationForm::BandLabel() {
    return Strings::kJudgmentBand;
}
std::string CAutoInstallationForm::FrequencyLabel() {
    return Strings::kJudgmentFrequency;
}

double CAutoInstallationForm::SelectedBand() const {
    return m_band.SelectedValue().value_or(0.0);
}

double CAutoInstallationForm::SelectedFrequency() const {
    return SelectedBand() == 0.0 ? 0.0 : m_frequency.SelectedValue().value_or(0.0);
}

void CAutoInstallationForm::FillFrequencies(double target) {
    const double band = SelectedBand();
    m_frequency.Assign(FrequencyChoices(band));
    if (m_frequency.Count() == 0)
        return;
    const CSnappedCentre centre = SnapToBandCentre(band, target);
    // The list ends at 20 kHz: a target nearer the first centre above it takes the last entry.
    if (!centre.Valid())
        m_frequency.selection = 0;
    else
        m_frequency.selection = centre.entry >= 0 ? centre.entry : m_frequency.Count() - 1;
}

std::string CAutoInstallationForm::BandEdgeText() const {
    const double fc = SelectedFrequency();
    if (fc == 0.0)
        return {};
    const double d = std::pow(10.0, 0.15 / SelectedBand());
    return FormatSignificant(fc / d, 3) + Strings::kBandEdgeSeparator +
           FormatSignificant(fc * d, 3) + Strings::kHz;
}

void CAutoInstallationForm::SelectPattern(int index) {
    if (index >= 0 && index < static_cast<int>(m_pattern.items.size()))
        m_pattern.selection = index;
}

void CAutoInstallationForm::SelectShape(int index) {
    if (index >= 0 && index < static_cast<int>(m_shape.items.size()))
        m_shape.selection = index;
}

void CAutoInstallationForm::SelectBand(int index) {
    if (index < 0 || index >= static_cast<int>(m_band.items.size()))
        return;
    const double previous = SelectedFrequency();
    m_band.selection = index;
    FillFrequencies(previous == 0.0 ? 1000.0 : previous);
}

void CAutoInstallationForm::SelectFrequency(int index) {
    if (index >= 0 && index < static_cast<int>(m_frequency.items.size()))
        m_frequency.selection = index;
}

bool CAutoInstallationForm::ChooseBand(double band) {
    const int index = m_band.IndexOf(band);
    if (index < 0)
        return false;
    SelectBand(index);
    return true;
}

void CAutoInstallationForm::ChooseFrequency(double frequency) {
    if (std::isfinite(frequency) && frequency > 0.0)
        FillFrequencies(frequency);
}

bool CAutoInstallationForm::Accept(std::string* message) {
    CAutoInstallationValues r = m_original;
    double values[kEditCount] = {r.angles.azimuth, r.angles.elevation, r.angles.rotation, r.height};
    for (int edit = 0; edit < kEditCount; ++edit) {
        const CNumberField& f = m_fields[edit];
        if (!f.visible)
            continue; // hidden edits keep their values
        const std::optional<double> v = f.ParseNamed(message);
        if (!v)
            return false;
        values[edit] = *v;
    }
    if (m_heightLimit && m_fields[kHeight].visible) {
        const std::string refusal = InstallHeightRefusal(
            FieldName(m_fields[kHeight].label), values[kHeight], m_heightLimit->first,
            m_heightLimit->second, m_lengthUnit == kUnitImperial ? "ft" : "m");
        if (!refusal.empty()) {
            if (message)
                *message = refusal;
            return false;
        }
    }
    const double band = SelectedBand();
    const double frequency = SelectedFrequency();
    if (band == 0.0 || frequency == 0.0) {
        if (message)
            *message = Strings::kNoJudgmentBand;
        return false;
    }
    r.pattern = m_pattern.selection;
    r.shape = m_shape.selection;
    r.angles = {values[kAzimuth], values[kRotation], values[kElevation]};
    r.height = values[kHeight];
    r.band = band;
    r.frequency = frequency;
    m_result = r;
    return true;
}
