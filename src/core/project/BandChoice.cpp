#include "project/BandChoice.h"

#include "acoustics/AcousticScene.h"
#include "acoustics/ColorMapCondition.h"
#include "acoustics/InstallationElement.h"
#include "common/FormatSignificant.h"
#include "project/DAXDoc.h"
#include "project/Strings.h"
#include "speaker/FrequencyList.h"
#include "speaker/SpeakerModelContainer.h"

#include <cmath>

namespace {
constexpr double kLowestCentre = 20.0;
constexpr double kHighestCentre = 20000.0;
// The finest band has 240 centres between 20 Hz and 20 kHz; a width read from a damaged file
// that would need more than this many steps has no grid rather than a list without end.
constexpr int kMaxGridSteps = 100000;

// The first grid step that can reach 20 Hz, or -1 when the band has no usable grid.
int FirstStep(double band) {
    if (!(band > 0.0) || !std::isfinite(band))
        return -1;
    const double steps = std::log10(kHighestCentre) * band / 0.3;
    if (!(steps < kMaxGridSteps))
        return -1;
    const double first = std::floor(std::log10(kLowestCentre) * band / 0.3) - 2.0;
    return first > 0.0 ? static_cast<int>(first) : 0;
}
} // namespace

const std::vector<CBandChoice>& AllBandChoices() {
    static const std::vector<CBandChoice> kBands = {
        {Strings::kBand24, 24},       {Strings::kBand12, 12}, {Strings::kBand6, 6},
        {Strings::kBand3, 3},         {Strings::kBand1, 1},   {Strings::kBandHalf, 0.5},
        {Strings::kBandQuarter, 0.25}};
    return kBands;
}

std::string BandLabel(double band) {
    for (const CBandChoice& choice : AllBandChoices())
        if (choice.value == band)
            return choice.label;
    return {};
}

std::vector<CBandChoice> BandChoices(double pitch) {
    std::vector<CBandChoice> choices;
    for (const CBandChoice& choice : AllBandChoices())
        if (choice.value <= pitch)
            choices.push_back(choice);
    return choices;
}

std::string FrequencyLabel(double frequency, double band) {
    return FormatSignificant(frequency, band > 6 ? 3 : 2) + Strings::kHz;
}

std::vector<CFrequencyChoice> FrequencyChoices(double band) {
    std::vector<CFrequencyChoice> choices;
    const int first = FirstStep(band);
    if (first < 0)
        return choices;
    for (int k = first;; ++k) {
        const double f = ModelFrequency(k, band);
        if (f > kHighestCentre)
            break;
        if (f >= kLowestCentre)
            choices.push_back({FrequencyLabel(f, band), f});
    }
    return choices;
}

bool CSnappedCentre::MovedFar() const {
    // Exactly half a band is the edge shared with the neighbouring band; rounding of the
    // logarithm must not decide which side of it a request lies.
    return Valid() && bandsMoved >= 0.5 - 1e-9;
}

CSnappedCentre SnapToBandCentre(double band, double request) {
    CSnappedCentre snapped;
    const int first = FirstStep(band);
    if (first < 0 || !std::isfinite(request))
        return snapped;
    double best = 0.0;
    int entry = 0;
    for (int k = first;; ++k) {
        const double f = ModelFrequency(k, band);
        if (f >= kLowestCentre) {
            const double distance = std::fabs(f - request);
            if (!snapped.Valid() || distance < best) {
                best = distance;
                snapped.frequency = f;
                snapped.entry = f <= kHighestCentre ? entry : -1;
            }
            ++entry;
        }
        if (f > kHighestCentre)
            break;
    }
    if (request > 0.0)
        snapped.bandsMoved = std::fabs(std::log10(snapped.frequency / request)) * band / 0.3;
    return snapped;
}

CBandSetting SettleBand(double pitch, double band, double centre) {
    CBandSetting setting;
    setting.band = band == 0.0 ? pitch : band;
    setting.centre = SnapToBandCentre(setting.band, centre == 0.0 ? 1000.0 : centre);
    return setting;
}

double BandListPitch(const CDAXDoc& doc) {
    if (doc.HasInstallations()) {
        const double pitch = doc.Scene().FirstInstallationPitch();
        if (pitch > 0.0)
            return pitch;
    }
    const CSpeakerModel* model = doc.CurrentModel();
    return model ? model->Header().pointsPerOctave : 0.0;
}

CBandOutcome ApplyBandRequest(CDAXDoc& doc, int index, const CBandRequest& request) {
    CBandOutcome outcome;
    CColorMapCondition* condition = doc.MapCondition(index);
    if (doc.Models().Count() == 0)
        outcome.status = EBandChoiceStatus::NoSpeakerData;
    else if (!condition)
        outcome.status = EBandChoiceStatus::NoCondition;
    if (outcome.status != EBandChoiceStatus::Done)
        return outcome;
    outcome.pitch = BandListPitch(doc);
    if (request.band) {
        bool offered = false;
        for (const CBandChoice& choice : BandChoices(outcome.pitch))
            offered = offered || choice.value == *request.band;
        if (!offered)
            outcome.status = EBandChoiceStatus::BandNotOffered;
    }
    if (request.frequency && !(*request.frequency > 0.0 && std::isfinite(*request.frequency)))
        outcome.status = EBandChoiceStatus::BadFrequency;
    if (outcome.status != EBandChoiceStatus::Done)
        return outcome;

    // As the view's lists leave the condition when they are filled.
    const CBandSetting settled =
        SettleBand(outcome.pitch, condition->band, condition->centreFrequency);
    condition->band = settled.band;
    if (settled.centre.Valid())
        condition->centreFrequency = settled.centre.frequency;
    const double settledBand = condition->band, settledCentre = condition->centreFrequency;

    outcome.band = request.band.value_or(settledBand);
    outcome.requested = request.frequency.value_or(settledCentre);
    outcome.centre = SnapToBandCentre(outcome.band, outcome.requested);
    condition->band = outcome.band;
    if (outcome.centre.Valid())
        condition->centreFrequency = outcome.centre.frequency;
    if (request.mode)
        condition->mode = *request.mode;
    // The values were of the other quantity: the map no longer holds them.
    const bool otherQuantity = request.quantity && *request.quantity != condition->quantity;
    if (otherQuantity) {
        condition->quantity = *request.quantity;
        condition->plane.ClearLevels();
    }
    outcome.changed = condition->band != settledBand ||
                      condition->centreFrequency != settledCentre || otherQuantity;
    if (outcome.changed)
        doc.RebuildAllPlanes();
    return outcome;
}

EBandCoverage BandCoverage(double band, double centre, double pitch, double lowest,
                           double highest) {
    const CBandIndexRange range = BandIndices(band, centre, pitch);
    int inside = 0;
    for (int i = range.start; i < range.end; ++i) {
        const double f = ModelFrequency(i, pitch);
        inside += f >= lowest && f <= highest;
    }
    if (inside == 0)
        return EBandCoverage::Outside;
    return inside == range.Count() ? EBandCoverage::Inside : EBandCoverage::Partly;
}

EBandCoverage BandCoverage(const CAcousticScene& scene, double band, double centre) {
    if (!scene.HasInstallations())
        return EBandCoverage::Outside;
    const double pitch = scene.FirstInstallationPitch();
    bool any = false, all = true;
    for (const CInstallationElement& installation : *scene.installations) {
        EBandCoverage coverage = EBandCoverage::Outside;
        if (installation.modelIndex >= 0 && installation.modelIndex < scene.models->Count()) {
            const CSpeakerDataHeader& h = scene.models->At(installation.modelIndex).Header();
            coverage = BandCoverage(band, centre, pitch, h.lowestFrequency, h.highestFrequency);
        }
        any = any || coverage != EBandCoverage::Outside;
        all = all && coverage == EBandCoverage::Inside;
    }
    return all ? EBandCoverage::Inside : (any ? EBandCoverage::Partly : EBandCoverage::Outside);
}

const char* CoverageText(EBandCoverage coverage) {
    switch (coverage) {
    case EBandCoverage::Inside:
        return "inside the speaker data";
    case EBandCoverage::Partly:
        return "partly outside the speaker data";
    case EBandCoverage::Outside:
        break;
    }
    return "outside the speaker data";
}
