#pragma once

// The band widths and band centres a colour map can be calculated with, as {label, value}
// choices, and how a requested frequency finds its centre. The colour map view's lists, the
// desktop combo boxes and the command-line tool all take them from here, so they agree on what
// "1/3 Oct. Band" and "4000[Hz]" stand for.

#include "acoustics/MapQuantity.h"

#include <optional>
#include <string>
#include <vector>

class CDAXDoc;
struct CAcousticScene;

// One entry of a drop-down list: the text shown and the value it stands for.
template <typename T> struct CChoice {
    std::string label;
    T value{};
    friend bool operator==(const CChoice&, const CChoice&) = default;
};

// A band width in bands per octave, labelled "1/3 Oct. Band".
using CBandChoice = CChoice<double>;
// A band centre: the exact grid frequency in Hz, labelled "4000[Hz]".
using CFrequencyChoice = CChoice<double>;

// The seven band widths, finest first: 24, 12, 6, 3, 1, 0.5, 0.25 bands per octave.
const std::vector<CBandChoice>& AllBandChoices();
// "1/24 Oct. Band" ... "4 Oct. Band"; empty for a width that is none of the seven.
std::string BandLabel(double band);
// The widths speaker data of `pitch` points per octave offers: those no finer than its grid.
std::vector<CBandChoice> BandChoices(double pitch);
// The centres of a band: 10^(0.3 k / band) from 20 Hz to 20 kHz, each labelled with 3
// significant digits when the band is finer than 1/6 octave, else 2, and "[Hz]".
std::vector<CFrequencyChoice> FrequencyChoices(double band);
std::string FrequencyLabel(double frequency, double band);

// Where a requested frequency lands on a band's grid.
struct CSnappedCentre {
    double frequency = 0.0;  // the centre; 0 when the band has no grid
    int entry = -1;          // its entry in FrequencyChoices; -1 when it lies past 20 kHz
    double bandsMoved = 0.0; // |log10(centre / request)| in band widths (0.3 / band decades)
    bool Valid() const { return frequency > 0.0; }
    // The request lies outside the centre's band or on its edge: half a band or more away.
    bool MovedFar() const;
};
// The grid frequency nearest to `request` (in Hz, not in octaves) among those from 20 Hz up to
// and including the first above 20 kHz; of two equally near the lower. This is the window's rule
// when its lists are filled, so a designer and a script get the same map.
CSnappedCentre SnapToBandCentre(double band, double request);

// Band and centre of a condition once the lists have settled them: a band of 0 becomes the
// grid's own resolution, a centre of 0 becomes 1000 Hz, and the centre snaps to the band's grid.
struct CBandSetting {
    double band = 0.0;
    CSnappedCentre centre;
};
CBandSetting SettleBand(double pitch, double band, double centre);

// Points per octave the lists are made for: the model of the first installation, else the
// current model; 0 when the project has neither.
double BandListPitch(const CDAXDoc& doc);

// A choice of band, centre and summation mode for one colour map, as a script or a dialog gives
// it; what is not given keeps the condition's value.
struct CBandRequest {
    std::optional<double> band;      // bands per octave
    std::optional<double> frequency; // Hz, snapped to the band's grid
    std::optional<int> mode;         // ESummationMode
    std::optional<EMapQuantity> quantity;
};

enum class EBandChoiceStatus {
    Done,
    NoSpeakerData,
    NoCondition,
    BandNotOffered,
    BadFrequency
};

struct CBandOutcome {
    EBandChoiceStatus status = EBandChoiceStatus::Done;
    double pitch = 0.0;     // the resolution the lists were made for
    double band = 0.0;      // the band calculated with
    double requested = 0.0; // the frequency asked for (the stored centre when none was)
    CSnappedCentre centre;  // where it landed
    bool changed = false;   // band or centre differ from the settled condition's
};

// Applies a request to condition `index` as the view's lists would: the condition is settled
// first (as when its view opens), then the request is snapped onto the grid; a changed band or
// centre rebuilds every plane of the project (all maps lose their levels), a changed mode alone
// does not. Refusals (a band the data does not offer, a frequency that is not a positive finite
// number, a running calculation) change nothing. The caller recalculates.
CBandOutcome ApplyBandRequest(CDAXDoc& doc, int index, const CBandRequest& request);

// How much of a band lies within the measured range of speaker data.
enum class EBandCoverage { Inside, Partly, Outside };
// The band's data frequencies on a grid of `pitch` checked against lowest..highest Hz.
EBandCoverage BandCoverage(double band, double centre, double pitch, double lowest, double highest);
// The same over every installation of a scene, each against its own model's range: Inside when
// every installation has data at every frequency of the band, Outside when none has any.
EBandCoverage BandCoverage(const CAcousticScene& scene, double band, double centre);
const char* CoverageText(EBandCoverage coverage);
