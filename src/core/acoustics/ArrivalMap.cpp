#include "acoustics/ArrivalMap.h"

#include "acoustics/ColorMapCondition.h"
#include "acoustics/InstallationElement.h"
#include "acoustics/MapEngine.h"
#include "acoustics/PointChunks.h"
#include "acoustics/PointResponse.h"
#include "common/Units.h"
#include "speaker/SPComplex.h"
#include "speaker/SpeakerModelContainer.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace {
constexpr double kNever = std::numeric_limits<double>::infinity();
} // namespace

bool IsArrivalQuantity(EMapQuantity quantity) {
    return quantity == EMapQuantity::Arrival || quantity == EMapQuantity::LateLoudest;
}

CArrivalPlan::CArrivalPlan(const CAcousticScene& scene)
    : m_toMetres(scene.lengthUnit == kUnitImperial ? kFeetToMetres : 1.0) {
    if (!scene.HasInstallations())
        return;
    for (const CInstallationElement& inst : *scene.installations) {
        std::vector<CVec3> sources;
        if (inst.modelIndex >= 0 && inst.modelIndex < scene.models->Count())
            for (const CSpeakerElement& element : scene.models->At(inst.modelIndex).Elements())
                sources.push_back(inst.position + ElementFrame(element, inst.orientation).offset);
        m_radiates.push_back(!sources.empty() && inst.power > 0.0);
        m_sources.push_back(std::move(sources));
        m_delays.push_back(inst.delay);
    }
}

double CArrivalPlan::PathTime(int k, const CVec3& point) const {
    double nearest = kNever;
    for (const CVec3& source : m_sources.at(static_cast<std::size_t>(k)))
        nearest = std::min(nearest, (point - source).Length());
    return nearest * m_toMetres / kSpeedOfSound * 1000.0;
}

double CArrivalPlan::Arrival(int k, const CVec3& point) const {
    return Radiates(k) ? PathTime(k, point) + Delay(k) : kNever;
}

double AlignedDelay(const CArrivalPlan& plan, int fill, int main, const CVec3& point,
                    double offsetMs) {
    return plan.PathTime(main, point) + plan.Delay(main) + offsetMs - plan.PathTime(fill, point);
}

double CArrivalPlan::FirstArrival(const CVec3& point) const {
    double first = kNever;
    for (int k = 0; k < InstallationCount(); ++k)
        first = std::min(first, Arrival(k, point));
    return first;
}

double CArrivalPlan::LateLoudest(const CVec3& point, const std::vector<double>& energies) const {
    int loudest = -1;
    double loudestArrival = kNever;
    for (int k = 0; k < InstallationCount(); ++k) {
        if (!Radiates(k))
            continue;
        const double energy = energies[static_cast<std::size_t>(k)];
        const double arrival = Arrival(k, point);
        const double top = loudest < 0 ? -1.0 : energies[static_cast<std::size_t>(loudest)];
        if (energy > top || (energy == top && arrival < loudestArrival)) {
            loudest = k;
            loudestArrival = arrival;
        }
    }
    return loudest < 0 ? kNever : loudestArrival - FirstArrival(point);
}

CArrivalStatistics ArrivalStatistics(EMapQuantity quantity, const std::vector<double>& values) {
    CArrivalStatistics s;
    if (values.empty())
        return s;
    s.minimum = *std::min_element(values.begin(), values.end());
    s.maximum = *std::max_element(values.begin(), values.end());
    double sum = 0.0;
    long long late = 0;
    for (double v : values) {
        sum += v;
        late += v > kLateThresholdMs;
    }
    s.mean = sum / static_cast<double>(values.size());
    if (quantity == EMapQuantity::LateLoudest)
        s.lateShare = static_cast<double>(late) / static_cast<double>(values.size());
    return s;
}

namespace {
struct ArrivalJob {
    std::vector<double> values;
    std::vector<unsigned char> done;
};

// The literal loop: each installation's band energy alone from BandPressure.
ECalcStatus RunArrivalReference(const CAcousticScene& scene, const CArrivalPlan& plan,
                                EMapQuantity quantity, const CBandIndexRange& band,
                                const CPlaceElementList& points, std::size_t count,
                                CProgressDialog1* progress, ArrivalJob& job) {
    std::vector<CInstallationElementList> alone(static_cast<std::size_t>(plan.InstallationCount()));
    for (int k = 0; k < plan.InstallationCount(); ++k)
        alone[static_cast<std::size_t>(k)].Append(*scene.installations->At(k));
    std::vector<double> energies(alone.size());
    for (std::size_t i = 0; i < count; ++i) {
        if (progress && !progress->PumpAndCheck())
            return ECalcStatus::Stopped;
        const CVec3 at{points[i].x, points[i].y, points[i].z};
        if (quantity == EMapQuantity::Arrival) {
            job.values[i] = plan.FirstArrival(at);
        } else {
            for (std::size_t k = 0; k < alone.size(); ++k) {
                CAcousticScene one = scene;
                one.installations = &alone[k];
                double pressure = 0.0;
                if (BandPressure(one, kModeEnergy, at, band.start, band.end, band.pitch,
                                 pressure) != kBandOk)
                    return ECalcStatus::Failed;
                energies[k] = pressure * pressure;
            }
            job.values[i] = plan.LateLoudest(at, energies);
        }
        job.done[i] = 1;
        if (progress)
            progress->SetPos(static_cast<long long>(i));
    }
    return ECalcStatus::Completed;
}

// Four points at a time on the workers; each installation's band energy from the engine.
ECalcStatus RunArrivalEngine(const CAcousticScene& scene, const CArrivalPlan& plan,
                             EMapQuantity quantity, const CBandIndexRange& band,
                             const CPlaceElementList& points, std::size_t count,
                             const CMapOptions& options, CProgressDialog1* progress,
                             ArrivalJob& job) {
    const bool late = quantity == EMapQuantity::LateLoudest;
    std::optional<CMapEngine> engine;
    if (late)
        engine.emplace(scene, kModeEnergy, band);
    const int installations = plan.InstallationCount();
    const std::size_t padded = engine ? static_cast<std::size_t>(engine->Padded()) : 0;
    const int n = band.Count();
    return RunPointChunks(count, options.threads, options.pool, progress, [&] {
        // Each worker's own sums and energies.
        return [&, re = std::vector<double>(padded * kKernelLanes),
                im = std::vector<double>(padded * kKernelLanes),
                energies = std::vector<std::vector<double>>(
                    kKernelLanes, std::vector<double>(static_cast<std::size_t>(installations)))](
                   std::size_t i, int lanes) mutable {
            CVec3 at[kKernelLanes];
            for (int lane = 0; lane < lanes; ++lane) {
                const CPlaceElement& p = points[i + static_cast<std::size_t>(lane)];
                at[lane] = {p.x, p.y, p.z};
            }
            if (late)
                for (int k = 0; k < installations; ++k) {
                    std::fill(re.begin(), re.end(), 0.0);
                    std::fill(im.begin(), im.end(), 0.0);
                    if (!engine->AddInstallation(k, at, lanes, re.data(), im.data(), padded))
                        return false;
                    for (int lane = 0; lane < lanes; ++lane) {
                        const std::size_t from = static_cast<std::size_t>(lane) * padded;
                        double e = 0.0;
                        for (int j = 0; j < n; ++j)
                            e += re[from + j] * re[from + j] + im[from + j] * im[from + j];
                        energies[static_cast<std::size_t>(lane)][static_cast<std::size_t>(k)] =
                            e / n;
                    }
                }
            for (int lane = 0; lane < lanes; ++lane) {
                const std::size_t point = i + static_cast<std::size_t>(lane);
                job.values[point] =
                    late ? plan.LateLoudest(at[lane], energies[static_cast<std::size_t>(lane)])
                         : plan.FirstArrival(at[lane]);
                job.done[point] = 1;
            }
            return true;
        };
    });
}
} // namespace

CMapResult CalculateArrivalMap(const CAcousticScene& scene, CColorMapCondition& condition,
                               CProgressDialog1* progress, const CMapOptions& options) {
    CMapResult result;
    CListeningPlane& plane = condition.plane;
    const EMapQuantity quantity = condition.quantity;
    const CArrivalPlan plan(scene);
    const CBandIndexRange band = ConditionBand(scene, condition);
    const std::size_t count =
        std::min(plane.points.size(), static_cast<std::size_t>(std::max(plane.pointCount, 0)));
    if (progress) {
        progress->SetText("Calculating...");
        progress->SetRange(0, plane.pointCount);
        progress->SetPos(0);
    }
    bool radiates = false;
    for (int k = 0; k < plan.InstallationCount(); ++k)
        radiates = radiates || plan.Radiates(k);
    if (!radiates) {
        result.status = ECalcStatus::Failed;
        result.reason = "no installation radiates sound (every power, or every element's share of "
                        "it, is 0)";
        return result;
    }
    ArrivalJob job;
    job.values.assign(count, 0.0);
    job.done.assign(count, 0);
    if (quantity == EMapQuantity::LateLoudest && band.Count() == 0)
        result.status = ECalcStatus::Failed;
    else if (options.engine == EMapEngineKind::Reference)
        result.status =
            RunArrivalReference(scene, plan, quantity, band, plane.points, count, progress, job);
    else
        result.status = RunArrivalEngine(scene, plan, quantity, band, plane.points, count, options,
                                         progress, job);
    for (std::size_t i = 0; i < count; ++i)
        if (job.done[i]) {
            plane.points[i].level = job.values[i];
            ++result.computed;
        }
    if (result.status == ECalcStatus::Failed)
        result.reason = BandFailureReason(band);
    if (result.status != ECalcStatus::Completed || count == 0)
        return result;
    for (std::size_t i = 0; i < count; ++i)
        if (!std::isfinite(job.values[i])) {
            const CPlaceElement& p = plane.points[i];
            result.status = ECalcStatus::Failed;
            result.reason = "the arrival time at (" + std::to_string(p.x) + ", " +
                            std::to_string(p.y) + ", " + std::to_string(p.z) +
                            ") is not a finite number; check the positions of the installations";
            plane.ClearLevels();
            return result;
        }
    const CArrivalStatistics s = ArrivalStatistics(quantity, job.values);
    plane.maximumLevel = s.maximum;
    plane.minimumLevel = s.minimum;
    plane.pinkNoiseAverage = s.mean;
    plane.musicSpeechAverage = s.lateShare;
    return result;
}
