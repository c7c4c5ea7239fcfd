#include "acoustics/SpectrumEngine.h"

#include "acoustics/ColorMapCondition.h"
#include "acoustics/InstallationElement.h"
#include "acoustics/MapCalculation.h"
#include "acoustics/MapEngine.h"
#include "speaker/FrequencyList.h"
#include "speaker/SpeakerModelContainer.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {
// Per frequency of `all`: whether the model has no data there although the frequency lies in
// its range (the point response fails there once it reads the balloon).
std::vector<unsigned char> Lacking(const CSpeakerModel& model, const CBandIndexRange& all) {
    std::vector<unsigned char> lacking(static_cast<std::size_t>(all.Count()), 0);
    const CSpeakerDataHeader& header = model.Header();
    for (int i = all.start; i < all.end; ++i) {
        const double f = ModelFrequency(i, all.pitch);
        lacking[static_cast<std::size_t>(i - all.start)] =
            !header.IsOutsideRange(f) && header.FindFrequencyIndex(f) == -1;
    }
    return lacking;
}
} // namespace

bool EnginePointSpectrum(const CAcousticScene& scene, const CColorMapCondition& condition,
                         const CVec3& point, std::vector<double>& centres,
                         std::vector<double>& levels, std::string* reason) {
    auto fail = [&](std::string why) {
        if (reason)
            *reason = std::move(why);
        return false;
    };
    centres.clear();
    levels.clear();
    if (!scene.HasInstallations())
        return true;
    if (std::string dangling = DanglingModelReason(scene); !dangling.empty())
        return fail(std::move(dangling));
    if (!std::isfinite(point.x) || !std::isfinite(point.y) || !std::isfinite(point.z))
        return fail("the point is not given in finite numbers");
    const int mode = condition.mode;
    const double pitch = scene.FirstInstallationPitch();
    std::vector<double> bandCentres = BandCentres(condition.band);
    if (bandCentres.empty())
        return true;
    if (mode != kModeInterference && mode != kModeEnergy)
        return fail(SpectrumLevelReason(bandCentres[0])); // pressure 0: no finite level
    std::vector<CBandIndexRange> bands;
    CBandIndexRange all{INT_MAX, INT_MIN, pitch};
    for (double fc : bandCentres) {
        bands.push_back(BandIndices(condition.band, fc, pitch));
        const CBandIndexRange& b = bands.back();
        if (b.Count() == 0)
            continue;
        all.start = std::min(all.start, b.start);
        all.end = std::max(all.end, b.end);
    }
    const std::size_t frequencies = static_cast<std::size_t>(all.Count());
    // Rounding at the band edges can leave a frequency in no band; it must not fail the spectrum.
    std::vector<unsigned char> needed(frequencies, 0);
    for (const CBandIndexRange& b : bands)
        if (b.Count() > 0)
            std::fill(needed.begin() + (b.start - all.start), needed.begin() + (b.end - all.start),
                      1);
    // A frequency a model lacks is left to the engine's caller: it fails only the bands holding
    // it, and only where its installation reads the balloon, as the literal spectrum does.
    const int count = scene.installations->Count();
    std::vector<std::vector<unsigned char>> lacking(
        static_cast<std::size_t>(scene.models->Count()));
    std::vector<unsigned char> computable = needed;
    for (int k = 0; k < count; ++k) {
        // Once per installed model; every model exists (checked above).
        const int index = scene.installations->At(k)->modelIndex;
        std::vector<unsigned char>& missing = lacking[static_cast<std::size_t>(index)];
        if (!missing.empty())
            continue;
        missing = Lacking(scene.models->At(index), all);
        for (std::size_t j = 0; j < frequencies; ++j)
            if (missing[j])
                computable[j] = 0;
    }
    CMapEngine engine(scene, mode, all, CMapEngine::ETables::OnDemand, computable);
    engine.PrepareFor(point);
    std::vector<unsigned char> failed(frequencies, 0);
    const std::size_t padded = static_cast<std::size_t>(engine.Padded());
    std::vector<double> re(padded * static_cast<std::size_t>(count), 0.0);
    std::vector<double> im(re.size(), 0.0);
    for (int k = 0; k < count; ++k) {
        if (!engine.AddInstallation(k, point, re.data() + k * padded, im.data() + k * padded))
            return fail(SpectrumBandReason(bandCentres[0])); // cannot happen: nothing missing
        const std::vector<unsigned char>& missing =
            lacking[static_cast<std::size_t>(scene.installations->At(k)->modelIndex)];
        if (std::find(missing.begin(), missing.end(), 1) != missing.end() &&
            engine.ReadsBalloon(k, point))
            for (std::size_t j = 0; j < frequencies; ++j)
                failed[j] = failed[j] || (needed[j] && missing[j]);
    }

    std::vector<double> bandLevels;
    for (std::size_t b = 0; b < bands.size(); ++b) {
        const CBandIndexRange& band = bands[b];
        const std::size_t first = static_cast<std::size_t>(band.start - all.start);
        const std::size_t last = first + static_cast<std::size_t>(band.Count());
        if (band.Count() == 0 || std::any_of(failed.begin() + first, failed.begin() + last,
                                             [](unsigned char f) { return f != 0; }))
            return fail(SpectrumBandReason(bandCentres[b]));
        const int n = band.Count();
        double acc = 0.0;
        if (mode == kModeInterference) {
            for (std::size_t j = first; j < last; ++j) {
                double sr = 0.0, si = 0.0;
                for (int k = 0; k < count; ++k)
                    sr += re[k * padded + j], si += im[k * padded + j];
                acc += sr * sr + si * si;
            }
            bandLevels.push_back(PressureLevel(std::sqrt(acc / n)));
        } else {
            for (int k = 0; k < count; ++k) {
                double e = 0.0;
                for (std::size_t j = first; j < last; ++j)
                    e += re[k * padded + j] * re[k * padded + j] +
                         im[k * padded + j] * im[k * padded + j];
                acc += e / n;
            }
            bandLevels.push_back(PressureLevel(std::sqrt(acc)));
        }
        if (!std::isfinite(bandLevels.back()))
            return fail(SpectrumLevelReason(bandCentres[b]));
    }
    centres = std::move(bandCentres);
    levels = std::move(bandLevels);
    return true;
}

int EngineBandPressure(const CAcousticScene& scene, int mode, const CVec3& point,
                       const CBandIndexRange& band, double& pressure) {
    CMapEngine engine(scene, mode, band, CMapEngine::ETables::OnDemand);
    engine.PrepareFor(point);
    CMapEngine::Scratch scratch = engine.MakeScratch();
    return engine.PointPressure(point, pressure, scratch);
}
