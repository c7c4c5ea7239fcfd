#include "acoustics/MapCalculation.h"

#include "acoustics/ArrivalMap.h"
#include "acoustics/ColorMapCondition.h"
#include "acoustics/InstallationContainer.h"
#include "acoustics/MapEngine.h"
#include "acoustics/PointChunks.h"
#include "acoustics/RoomQuantities.h"
#include "common/ProgressDialog1.h"
#include "speaker/SPComplex.h"
#include "speaker/SpeakerModelContainer.h"

#include <algorithm>
#include <cmath>
#include <optional>

double PressureLevel(double pressure) {
    return 20.0 * std::log10(pressure / kReferencePressure);
}

CBandIndexRange ConditionBand(const CAcousticScene& scene, const CColorMapCondition& condition) {
    return BandIndices(condition.band, condition.centreFrequency, scene.FirstInstallationPitch());
}

std::vector<double> BandCentres(double band) {
    std::vector<double> centres;
    if (!(band > 0.0))
        return centres;
    for (int k = 0;; ++k) {
        const double f = std::pow(10.0, 0.3 * k / band);
        if (f > 20000.0)
            break;
        if (f >= 20.0)
            centres.push_back(f);
    }
    return centres;
}

// An installation whose model the project does not have (a damaged or hand-edited file) cannot
// be calculated; say so instead of blaming the band.
std::string DanglingModelReason(const CAcousticScene& scene) {
    int n = 0;
    for (const CInstallationElement& e : *scene.installations) {
        if (e.modelIndex < 0 || e.modelIndex >= scene.models->Count())
            return "installation " + std::to_string(n) + " refers to speaker model " +
                   std::to_string(e.modelIndex) + ", which the project does not have (it has " +
                   std::to_string(scene.models->Count()) + ")";
        ++n;
    }
    return {};
}

std::string SpectrumBandReason(double centre) {
    return "the band around " + std::to_string(centre) +
           " Hz holds no data frequency of the installed speakers; choose a wider band";
}

std::string SpectrumLevelReason(double centre) {
    return "the level of the band around " + std::to_string(centre) +
           " Hz is not a finite number; check the positions, powers and speaker data of the "
           "installations";
}

std::string BandFailureReason(const CBandIndexRange& band) {
    if (band.Count() == 0)
        return "the chosen band holds no data frequency of the speaker models; choose a wider band";
    return "a frequency of the band is not a data frequency of every installed speaker model";
}

namespace {
struct PointJob {
    std::vector<double> levels;
    std::vector<unsigned char> done;
};

// The literal loop: one point after the other, the progress port asked before each.
ECalcStatus RunReference(const CAcousticScene& scene, int mode, const CBandIndexRange& band,
                         const CPlaceElementList& points, std::size_t count,
                         CProgressDialog1* progress, PointJob& job) {
    for (std::size_t i = 0; i < count; ++i) {
        if (progress && !progress->PumpAndCheck())
            return ECalcStatus::Stopped;
        const CPlaceElement& p = points[i];
        double pressure = 0.0;
        if (BandPressure(scene, mode, {p.x, p.y, p.z}, band.start, band.end, band.pitch,
                         pressure) != kBandOk)
            return ECalcStatus::Failed;
        job.levels[i] = PressureLevel(pressure);
        job.done[i] = 1;
        if (progress)
            progress->SetPos(static_cast<long long>(i));
    }
    return ECalcStatus::Completed;
}

// The lanes' coordinates of points [i, i + lanes).
void LanePoints(const CPlaceElementList& points, std::size_t i, int lanes, CVec3* at) {
    for (int lane = 0; lane < lanes; ++lane) {
        const CPlaceElement& p = points[i + static_cast<std::size_t>(lane)];
        at[lane] = {p.x, p.y, p.z};
    }
}

// The direct level of every point, each turned into the map's value by `value`.
template <class Value>
ECalcStatus RunEngine(const CMapEngine& engine, const CPlaceElementList& points, std::size_t count,
                      int threads, CWorkerPool* pool, CProgressDialog1* progress, PointJob& job,
                      Value value) {
    return RunPointChunks(count, threads, pool, progress, [&] {
        return [&, scratch = engine.MakeScratch()](std::size_t i, int lanes) mutable {
            CVec3 at[kKernelLanes];
            LanePoints(points, i, lanes, at);
            double pressures[kKernelLanes];
            int statuses[kKernelLanes];
            engine.PointPressures(at, lanes, pressures, statuses, scratch);
            for (int lane = 0; lane < lanes; ++lane) {
                if (statuses[lane] != kBandOk)
                    return false;
                job.levels[i + static_cast<std::size_t>(lane)] =
                    value(PressureLevel(pressures[lane]));
                job.done[i + static_cast<std::size_t>(lane)] = 1;
            }
            return true;
        };
    });
}

// The seven octaves' direct levels of every point, turned into the map's value.
ECalcStatus RunOctaves(const COctaveLevels& octaves, const CRoomQuantity& quantity,
                       const CPlaceElementList& points, std::size_t count, int threads,
                       CWorkerPool* pool, CProgressDialog1* progress, PointJob& job) {
    return RunPointChunks(count, threads, pool, progress, [&] {
        return [&, scratch = octaves.MakeScratch()](std::size_t i, int lanes) mutable {
            CVec3 at[kKernelLanes];
            LanePoints(points, i, lanes, at);
            COctaveValues levels[kKernelLanes];
            bool ok[kKernelLanes];
            octaves.Levels(at, lanes, levels, ok, scratch);
            for (int lane = 0; lane < lanes; ++lane) {
                if (!ok[lane])
                    return false;
                job.levels[i + static_cast<std::size_t>(lane)] = quantity.FromOctaves(levels[lane]);
                job.done[i + static_cast<std::size_t>(lane)] = 1;
            }
            return true;
        };
    });
}

// The literal loop of a quantity: every point's band or octave levels by BandPressure.
ECalcStatus RunQuantityReference(const CAcousticScene& scene, int mode, const CRoomQuantity& quantity,
                                 const CBandIndexRange& band, const CPlaceElementList& points,
                                 std::size_t count, CProgressDialog1* progress, PointJob& job) {
    const auto octaves = OctaveBands(scene);
    for (std::size_t i = 0; i < count; ++i) {
        if (progress && !progress->PumpAndCheck())
            return ECalcStatus::Stopped;
        const CVec3 at{points[i].x, points[i].y, points[i].z};
        if (quantity.NeedsOctaves()) {
            COctaveValues levels{};
            for (std::size_t k = 0; k < kOctaveCount; ++k) {
                double pressure = 0.0;
                if (BandPressure(scene, mode, at, octaves[k].start, octaves[k].end,
                                 octaves[k].pitch, pressure) != kBandOk)
                    return ECalcStatus::Failed;
                levels[k] = PressureLevel(pressure);
            }
            job.levels[i] = quantity.FromOctaves(levels);
        } else {
            double pressure = 0.0;
            if (quantity.NeedsDirect() && BandPressure(scene, mode, at, band.start, band.end,
                                                       band.pitch, pressure) != kBandOk)
                return ECalcStatus::Failed;
            job.levels[i] = quantity.FromDirect(PressureLevel(pressure));
        }
        job.done[i] = 1;
        if (progress)
            progress->SetPos(static_cast<long long>(i));
    }
    return ECalcStatus::Completed;
}

// A quantity beyond the direct sound: what is the same everywhere first, then the points.
ECalcStatus RunQuantity(const CAcousticScene& scene, const CColorMapCondition& condition,
                        const CBandIndexRange& band, std::size_t count, CProgressDialog1* progress,
                        const CMapOptions& options, PointJob& job, std::string& reason) {
    const CPlaceElementList& points = condition.plane.points;
    std::optional<CRoomQuantity> quantity;
    try {
        CSoundPowerCache cache;
        quantity.emplace(scene, condition, cache);
    } catch (const CInvalidArgument& e) {
        reason = e.what();
        return ECalcStatus::Failed;
    }
    ECalcStatus status;
    if (options.engine == EMapEngineKind::Reference) {
        status = RunQuantityReference(scene, condition.mode, *quantity, band, points, count,
                                      progress, job);
    } else if (quantity->NeedsOctaves()) {
        const COctaveLevels octaves(scene, condition.mode);
        status = RunOctaves(octaves, *quantity, points, count, options.threads, options.pool,
                            progress, job);
    } else if (quantity->NeedsDirect()) {
        const CMapEngine engine(scene, condition.mode, band);
        status = RunEngine(engine, points, count, options.threads, options.pool, progress, job,
                           [&](double level) { return quantity->FromDirect(level); });
    } else {
        // The reverberant field is the same everywhere.
        std::fill(job.levels.begin(), job.levels.end(), quantity->FromDirect(0.0));
        std::fill(job.done.begin(), job.done.end(), 1);
        status = ECalcStatus::Completed;
    }
    if (status == ECalcStatus::Failed)
        reason = quantity->NeedsOctaves()
                     ? "a frequency of the octaves from 125 Hz to 8 kHz is not a data frequency of "
                       "every installed speaker model"
                     : BandFailureReason(band);
    return status;
}
} // namespace

CMapResult CalculateMap(const CAcousticScene& scene, CColorMapCondition& condition,
                        CProgressDialog1* progress, const CMapOptions& options) {
    CMapResult result;
    if (!scene.HasInstallations()) {
        result.status = ECalcStatus::NoInstallations;
        return result;
    }
    if (std::string dangling = DanglingModelReason(scene); !dangling.empty()) {
        result.status = ECalcStatus::Failed;
        result.reason = std::move(dangling);
        return result;
    }
    CListeningPlane& plane = condition.plane;
    plane.maximumLevel = plane.minimumLevel = plane.pinkNoiseAverage = plane.musicSpeechAverage =
        0.0;
    if (IsArrivalQuantity(condition.quantity))
        return CalculateArrivalMap(scene, condition, progress, options);
    const CBandIndexRange band = ConditionBand(scene, condition);
    const std::size_t count =
        std::min(plane.points.size(), static_cast<std::size_t>(std::max(plane.pointCount, 0)));

    if (progress) {
        progress->SetText("Calculating...");
        progress->SetRange(0, plane.pointCount);
        progress->SetPos(0);
    }
    PointJob job;
    job.levels.assign(count, 0.0);
    job.done.assign(count, 0);
    if (condition.quantity != EMapQuantity::Direct) {
        result.status = RunQuantity(scene, condition, band, count, progress, options, job,
                                    result.reason);
    } else if (band.Count() == 0) {
        result.status = ECalcStatus::Failed; // every level would be undefined
    } else if (options.engine == EMapEngineKind::Reference) {
        result.status =
            RunReference(scene, condition.mode, band, plane.points, count, progress, job);
    } else {
        // The tables are converted on the same workers as the points.
        const CMapEngine engine(scene, condition.mode, band, CMapEngine::ETables::All, {},
                                options.pool, options.threads);
        result.status = RunEngine(engine, plane.points, count, options.threads, options.pool,
                                  progress, job, [](double level) { return level; });
    }
    for (std::size_t i = 0; i < count; ++i)
        if (job.done[i]) {
            plane.points[i].level = job.levels[i];
            ++result.computed;
        }
    if (result.status == ECalcStatus::Failed && result.reason.empty())
        result.reason = BandFailureReason(band);
    if (result.status != ECalcStatus::Completed || count == 0)
        return result; // a plane without points reports statistics 0

    // Values no calculation can use (a position far outside any room, damaged speaker data)
    // give levels that are not numbers; that is a failure, not a map.
    for (std::size_t i = 0; i < count; ++i)
        if (!std::isfinite(plane.points[i].level)) {
            const CPlaceElement& p = plane.points[i];
            result.status = ECalcStatus::Failed;
            result.reason = "the level at (" + std::to_string(p.x) + ", " + std::to_string(p.y) +
                            ", " + std::to_string(p.z) +
                            ") is not a finite number; check the positions, powers and speaker "
                            "data of the installations";
            plane.ClearLevels();
            return result;
        }
    if (condition.quantity != EMapQuantity::Direct) {
        std::vector<double> values(count);
        for (std::size_t i = 0; i < count; ++i)
            values[i] = plane.points[i].level;
        const CQuantityStatistics s = QuantityStatistics(
            condition.quantity, values.data(), count, scene.speech ? scene.speech->stiTarget : 0.5);
        plane.maximumLevel = s.maximum;
        plane.minimumLevel = s.minimum;
        plane.pinkNoiseAverage = s.average;
        plane.musicSpeechAverage = s.second;
        return result;
    }
    double maximum = -1000.0, minimum = 1000.0, energy = 0.0;
    for (std::size_t i = 0; i < count; ++i) {
        const double level = plane.points[i].level;
        if (level > maximum)
            maximum = level;
        if (level < minimum)
            minimum = level;
    }
    for (const CPlaceElement& p : plane.points) {
        const double a = std::pow(10.0, p.level / 20.0);
        energy += a * a;
    }
    plane.maximumLevel = maximum;
    plane.minimumLevel = minimum;
    plane.pinkNoiseAverage = 20.0 * std::log10(std::sqrt(energy / plane.pointCount));
    plane.musicSpeechAverage = plane.pinkNoiseAverage - 4.0;
    return result;
}

bool PointSpectrum(const CAcousticScene& scene, const CColorMapCondition& condition,
                   const CVec3& point, std::vector<double>& centres, std::vector<double>& levels,
                   std::string* reason) {
    auto fail = [&](const std::string& why) {
        if (reason)
            *reason = why;
        return false;
    };
    centres.clear();
    levels.clear();
    if (!scene.HasInstallations())
        return true;
    if (std::string dangling = DanglingModelReason(scene); !dangling.empty())
        return fail(dangling);
    const double pitch = scene.FirstInstallationPitch();
    if (!std::isfinite(point.x) || !std::isfinite(point.y) || !std::isfinite(point.z))
        return fail("the point is not given in finite numbers");

    std::vector<double> bandCentres = BandCentres(condition.band);
    std::vector<double> bandLevels;
    for (double fc : bandCentres) {
        const CBandIndexRange band = BandIndices(condition.band, fc, pitch);
        double pressure = 0.0;
        if (BandPressure(scene, condition.mode, point, band.start, band.end, band.pitch,
                         pressure) != kBandOk)
            return fail(SpectrumBandReason(fc));
        const double level = PressureLevel(pressure);
        if (!std::isfinite(level))
            return fail(SpectrumLevelReason(fc));
        bandLevels.push_back(level);
    }
    centres = std::move(bandCentres);
    levels = std::move(bandLevels);
    return true;
}
