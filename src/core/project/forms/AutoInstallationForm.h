#pragma once

#include "common/Vec3.h"
#include "project/ColorMapViewModel.h"
#include "project/forms/NumberField.h"

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// The inputs of an automatic installation as the document keeps them between runs.
struct CAutoInstallationValues {
    int pattern = 2; // "Maximum Overlap" .. "2 * Edge-to-Edge"
    int shape = 0;   // 0 "Rectangle", 1 "Hexagonal"
    COrientation angles;
    double height = 0.0;
    double band = 0.0;      // bands per octave; 0 = not chosen yet
    double frequency = 0.0; // Hz; 0 = not chosen yet
};

// "Properties for Auto Installation": density pattern, grid shape, aim, height and the band the
// coverage is judged in. The bands start at the speaker data's own resolution; the centre
// frequencies are the grid of the chosen band from 20 Hz to 20 kHz.
class CAutoInstallationForm {
public:
    enum Edit { kAzimuth, kElevation, kRotation, kHeight, kEditCount };

    // `values` hold the aim and height already defaulted for display. Without advanced mode the
    // aim and height are hidden; below advanced mode 2 the judgment band and frequency are too.
    CAutoInstallationForm(const CAutoInstallationValues& values, double modelPitch, int lengthUnit,
                          int advancedMode);

    std::string Title() const;
    static std::string DensityLabel();
    static std::string ShapeLabel();
    static std::string BandLabel();
    static std::string FrequencyLabel();

    CNumberField& Field(Edit edit) { return m_fields[edit]; }
    const CNumberField& Field(Edit edit) const { return m_fields[edit]; }
    const CComboModel& PatternCombo() const { return m_pattern; }
    const CComboModel& ShapeCombo() const { return m_shape; }
    const CComboModel& BandCombo() const { return m_band; }
    const CComboModel& FrequencyCombo() const { return m_frequency; }
    bool JudgmentVisible() const { return m_judgmentVisible; }
    // "fc/d[Hz] - fc*d[Hz]" of the chosen centre frequency; empty without one.
    std::string BandEdgeText() const;

    void SelectPattern(int index);
    void SelectShape(int index);
    // Refills the frequencies on the new band's grid, keeping the one nearest the previous choice.
    void SelectBand(int index);
    void SelectFrequency(int index);
    // Chooses by value, as a front end without the lists does. ChooseBand: false (and nothing
    // changed) for a width the list does not offer. ChooseFrequency: the list's centre nearest to
    // a positive frequency in Hz, as the colour map's lists snap one; others change nothing.
    bool ChooseBand(double bandsPerOctave);
    void ChooseFrequency(double frequency);

    // The height the speakers may hang at: above the calculation plane at `planeZ` and at most at
    // the ceiling. A shown height outside is refused by Accept, naming its row.
    void LimitHeight(double planeZ, double ceiling) { m_heightLimit = {planeZ, ceiling}; }

    // Checks the shown edits in order; on the first refusal returns false with its message.
    bool Accept(std::string* message = nullptr);
    const CAutoInstallationValues& Result() const { return m_result; }

private:
    double SelectedBand() const;
    double SelectedFrequency() const;
    void FillFrequencies(double target);

    std::array<CNumberField, kEditCount> m_fields;
    CComboModel m_pattern, m_shape, m_band, m_frequency;
    bool m_judgmentVisible;
    std::optional<std::pair<double, double>> m_heightLimit;
    int m_lengthUnit;
    CAutoInstallationValues m_original;
    CAutoInstallationValues m_result;
};
