#include "acoustics/SpectrumEngine.h"

#include "acoustics/ColorMapCondition.h"
#include "acoustics/MapCalculation.h"
#include "acoustics/MapEngine.h"

#include <algorithm>
#include <climits>
#include <cmath>

bool EnginePointSpectrum(const CAcousticScene& scene, const CColorMapCondition& condition,
                         const CVec3& point, std::vector<double>& centres,
                         std::vector<double>& levels) {
    centres.clear();
    levels.clear();
    if (!scene.HasInstallations())
        return true;
    if (!std::isfinite(point.x) || !std::isfinite(point.y) || !std::isfinite(point.z))
        return false;
    const int mode = condition.mode;
    const double pitch = scene.FirstInstallationPitch();
    std::vector<double> bandCentres = BandCentres(condition.band);
    std::vector<CBandIndexRange> bands;
    CBandIndexRange all{INT_MAX, INT_MIN, pitch};
    for (double fc : bandCentres) {
        bands.push_back(BandIndices(condition.band, fc, pitch));
        const CBandIndexRange& b = bands.back();
        if (mode != kModeInterference && mode != kModeEnergy)
            continue; // every band level is that of pressure 0
        if (b.Count() == 0)
            return false;
        all.start = std::min(all.start, b.start);
        all.end = std::max(all.end, b.end);
    }
    std::vector<double> bandLevels;
    if ((mode != kModeInterference && mode != kModeEnergy) || bands.empty()) {
        // Pressure 0 everywhere: no finite level, so the literal spectrum fails too.
        return bands.empty();
    }
    // Rounding at the band edges can leave a frequency in no band; it must not fail the spectrum.
    std::vector<unsigned char> covered(static_cast<std::size_t>(all.Count()), 0);
    for (const CBandIndexRange& b : bands)
        std::fill(covered.begin() + (b.start - all.start), covered.begin() + (b.end - all.start),
                  1);
    CMapEngine engine(scene, mode, all, CMapEngine::ETables::OnDemand, std::move(covered));
    engine.PrepareFor(point);
    const int count = engine.InstallationCount();
    const std::size_t padded = static_cast<std::size_t>(engine.Padded());
    std::vector<double> re(padded * static_cast<std::size_t>(count), 0.0);
    std::vector<double> im(re.size(), 0.0);
    for (int k = 0; k < count; ++k)
        if (!engine.AddInstallation(k, point, re.data() + k * padded, im.data() + k * padded))
            return false;

    for (const CBandIndexRange& b : bands) {
        const std::size_t first = static_cast<std::size_t>(b.start - all.start);
        const std::size_t last = static_cast<std::size_t>(b.end - all.start);
        const int n = b.Count();
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
    }
    // A level that is not a number is a failure, as in the literal spectrum.
    for (double level : bandLevels)
        if (!std::isfinite(level))
            return false;
    centres = std::move(bandCentres);
    levels = std::move(bandLevels);
    return true;
}
