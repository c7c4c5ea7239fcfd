#include "acoustics/MapCalculation.h"

#include "acoustics/ArrivalMap.h"
#include "acoustics/ColorMapCondition.h"
#include "acoustics/InstallationContainer.h"
#include "acoustics/MapEngine.h"
#include "acoustics/MapSnapshot.h"
#include "acoustics/RoomQuantities.h"
#include "acoustics/SpeakerSources.h"
#include "acoustics/WorkerPool.h"
#include "common/ProgressDialog1.h"
#include "speaker/SPComplex.h"
#include "speaker/SpeakerModelContainer.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <limits>
#include <memory>
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

std::string NotFiniteReason(const CVec3& p) {
    return "the level at (" + std::to_string(p.x) + ", " + std::to_string(p.y) + ", " +
           std::to_string(p.z) +
           ") is not a finite number; check the positions, powers and speaker data of the "
           "installations";
}

namespace {
// The sound level of a band at points, on the engine or on the reference path.
class CSoundLevel : public CPointCalculation {
public:
    CSoundLevel(const CMapSnapshot& snapshot, EMapEngineKind kind, const CBandIndexRange& band)
        : m_snapshot(snapshot), m_scene(snapshot.Scene()), m_band(band), m_sources(m_scene) {
        if (kind == EMapEngineKind::Engine) {
            // The job's own workers wait for this preparation, so the tables are converted on
            // workers of their own.
            CWorkerPool tables(CWorkerPool::CoreCount());
            m_engine.emplace(m_scene, snapshot.mode, band, CMapEngine::ETables::All,
                             std::vector<unsigned char>{}, &tables);
        }
    }

    std::unique_ptr<CWorker> MakeWorker() const override {
        return std::make_unique<CLevelWorker>(*this);
    }

    CMapSummary Summarise(const std::vector<double>& values) const override {
        // The order of the sums is the reference's, so a map without points left out has
        // bit for bit its statistics.
        CMapSummary s;
        double maximum = -1000.0, minimum = 1000.0, energy = 0.0;
        std::size_t counted = 0;
        for (double level : values) {
            if (std::isnan(level))
                continue;
            if (level > maximum)
                maximum = level;
            if (level < minimum)
                minimum = level;
        }
        for (double level : values) {
            if (std::isnan(level))
                continue;
            const double a = std::pow(10.0, level / 20.0);
            energy += a * a;
            ++counted;
        }
        if (counted == 0)
            return s;
        s.maximum = maximum;
        s.minimum = minimum;
        s.pinkNoiseAverage = 20.0 * std::log10(std::sqrt(energy / static_cast<double>(counted)));
        s.musicSpeechAverage = s.pinkNoiseAverage - 4.0;
        return s;
    }

private:
    class CLevelWorker : public CWorker {
    public:
        explicit CLevelWorker(const CSoundLevel& level) : m_level(level) {
            if (level.m_engine)
                m_scratch = level.m_engine->MakeScratch();
        }
        bool Compute(std::size_t first, std::size_t last, double* values,
                     std::string& reason) override {
            const CSoundLevel& l = m_level;
            const std::vector<CVec3>& points = l.m_snapshot.points;
            for (std::size_t i = first; i < last;) {
                // The engine locates the passes of four points at once.
                const int lanes = static_cast<int>(std::min<std::size_t>(kKernelLanes, last - i));
                double pressures[kKernelLanes];
                int statuses[kKernelLanes];
                if (l.m_engine) {
                    l.m_engine->PointPressures(&points[i], lanes, pressures, statuses, m_scratch);
                } else {
                    statuses[0] = BandPressure(l.m_scene, l.m_snapshot.mode, points[i],
                                               l.m_band.start, l.m_band.end, l.m_band.pitch,
                                               pressures[0]);
                }
                const int used = l.m_engine ? lanes : 1;
                for (int lane = 0; lane < used; ++lane, ++i) {
                    if (statuses[lane] != kBandOk) {
                        reason = BandFailureReason(l.m_band);
                        return false;
                    }
                    if (l.m_sources.InstallationAt(points[i]) >= 0) {
                        values[i] = std::numeric_limits<double>::quiet_NaN();
                        continue;
                    }
                    const double level = PressureLevel(pressures[lane]);
                    // Values no calculation can use (a position far outside any room, damaged
                    // speaker data) give levels that are not numbers; that is a failure.
                    if (!std::isfinite(level)) {
                        reason = NotFiniteReason(points[i]);
                        return false;
                    }
                    values[i] = level;
                }
            }
            return true;
        }

    private:
        const CSoundLevel& m_level;
        CMapEngine::Scratch m_scratch;
    };

    const CMapSnapshot& m_snapshot;
    CAcousticScene m_scene;
    CBandIndexRange m_band;
    CSpeakerSources m_sources;
    std::optional<CMapEngine> m_engine;
};
} // namespace

CPointQuantity SoundLevelQuantity(EMapEngineKind engine) {
    return [engine](const CMapSnapshot& snapshot,
                    std::string& reason) -> std::unique_ptr<CPointCalculation> {
        const CAcousticScene scene = snapshot.Scene();
        const CBandIndexRange band =
            BandIndices(snapshot.band, snapshot.centreFrequency, scene.FirstInstallationPitch());
        if (band.Count() == 0) { // every level would be undefined
            reason = BandFailureReason(band);
            return nullptr;
        }
        return std::make_unique<CSoundLevel>(snapshot, engine, band);
    };
}

CPointQuantity SnapshotQuantity(EMapEngineKind engine) {
    return [engine](const CMapSnapshot& snapshot,
                    std::string& reason) -> std::unique_ptr<CPointCalculation> {
        if (std::string dangling = DanglingModelReason(snapshot.Scene()); !dangling.empty()) {
            reason = std::move(dangling);
            return nullptr;
        }
        if (IsArrivalQuantity(snapshot.quantity))
            return ArrivalQuantity(engine)(snapshot, reason);
        if (snapshot.quantity != EMapQuantity::Direct)
            return RoomQuantity(engine)(snapshot, reason);
        return SoundLevelQuantity(engine)(snapshot, reason);
    };
}

void StoreMapResult(CListeningPlane& plane, const CMapJobResult& result) {
    plane.calculating = false;
    plane.maximumLevel = plane.minimumLevel = plane.pinkNoiseAverage = plane.musicSpeechAverage =
        0.0;
    plane.failure.clear();
    plane.leftOut = 0;
    const std::size_t count = std::min(plane.points.size(), result.values.size());
    switch (result.status) {
    case ECalcStatus::Completed:
        for (std::size_t i = 0; i < count; ++i)
            plane.points[i].level = result.values[i];
        plane.maximumLevel = result.summary.maximum;
        plane.minimumLevel = result.summary.minimum;
        plane.pinkNoiseAverage = result.summary.pinkNoiseAverage;
        plane.musicSpeechAverage = result.summary.musicSpeechAverage;
        plane.leftOut = result.leftOut;
        plane.state = EMapState::Complete;
        break;
    case ECalcStatus::Stopped:
        for (std::size_t i = 0; i < count; ++i)
            plane.points[i].level = result.values[i];
        plane.state = EMapState::Incomplete;
        break;
    case ECalcStatus::Failed:
        plane.failure = result.reason;
        plane.state = EMapState::Failed;
        break;
    case ECalcStatus::NoInstallations:
    case ECalcStatus::Running:
        plane.state = EMapState::NotCalculated;
        break;
    }
}

void SettleReadPlane(CColorMapCondition& condition, const CAcousticScene& scene) {
    CListeningPlane& plane = condition.plane;
    plane.calculating = false;
    plane.failure.clear();
    plane.leftOut = 0;
    const bool calculated = plane.maximumLevel != 0.0 || plane.minimumLevel != 0.0 ||
                            plane.pinkNoiseAverage != 0.0 || plane.musicSpeechAverage != 0.0;
    plane.state = calculated && !plane.points.empty() ? EMapState::Complete
                                                      : EMapState::NotCalculated;
    if (plane.state != EMapState::Complete || !ReadsDirectSound(condition.quantity))
        return;
    const CSpeakerSources sources(scene);
    if (sources.Empty())
        return;
    for (CPlaceElement& p : plane.points)
        if (sources.InstallationAt({p.x, p.y, p.z}) >= 0) {
            p.level = std::numeric_limits<double>::quiet_NaN();
            ++plane.leftOut;
        }
}

CMapJobResult WaitForJob(CMapJob& job, CProgressDialog1* progress) {
    if (progress) {
        progress->SetText("Calculating...");
        progress->SetRange(0, job.Total());
        progress->SetPos(0);
    }
    // The port is told at least once, however fast the workers are.
    for (;;) {
        const bool done = job.WaitFor(std::chrono::milliseconds(progress ? 30 : 1000));
        if (progress) {
            progress->SetPos(job.Done());
            if (!progress->PumpAndCheck())
                job.Stop();
        }
        if (done)
            break;
    }
    return job.TakeResult();
}

CMapResult CalculateMap(const CAcousticScene& scene, CColorMapCondition& condition,
                        CProgressDialog1* progress, const CMapOptions& options) {
    CMapJobResult outcome;
    if (!scene.HasInstallations()) {
        outcome.status = ECalcStatus::NoInstallations;
    } else {
        auto snapshot = std::make_shared<const CMapSnapshot>(scene, condition);
        if (progress) {
            progress->SetText("Calculating...");
            progress->SetRange(0, static_cast<long long>(snapshot->PointCount()));
            progress->SetPos(0);
        }
        // Asked before the workers are: a stop there computes nothing.
        if (progress && !progress->PumpAndCheck()) {
            outcome.status = ECalcStatus::Stopped;
            outcome.values.assign(snapshot->PointCount(), std::numeric_limits<double>::quiet_NaN());
        } else {
            CMapJob job(std::move(snapshot), SnapshotQuantity(options.engine), options.pool,
                        options.threads);
            outcome = WaitForJob(job, progress);
        }
    }
    StoreMapResult(condition.plane, outcome);
    return {outcome.status, outcome.reason, outcome.computed, outcome.leftOut};
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
