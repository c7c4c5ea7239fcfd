#include "acoustics/ArrivalMap.h"

#include "acoustics/ColorMapCondition.h"
#include "acoustics/InstallationElement.h"
#include "acoustics/MapEngine.h"
#include "acoustics/MapSnapshot.h"
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
// The arrival time of the snapshot's quantity at points. Late-loudest takes each installation's
// band energy alone: from the engine, or on the reference path from BandPressure of a scene that
// holds that installation only.
class CArrivalCalculation : public CPointCalculation {
public:
    CArrivalCalculation(const CMapSnapshot& snapshot, EMapEngineKind kind,
                        const CBandIndexRange& band)
        : m_snapshot(snapshot), m_scene(snapshot.Scene()), m_plan(m_scene), m_band(band),
          m_late(snapshot.quantity == EMapQuantity::LateLoudest) {
        if (!m_late)
            return;
        if (kind == EMapEngineKind::Engine) {
            m_engine.emplace(m_scene, kModeEnergy, band);
        } else {
            m_alone.resize(static_cast<std::size_t>(m_plan.InstallationCount()));
            for (int k = 0; k < m_plan.InstallationCount(); ++k)
                m_alone[static_cast<std::size_t>(k)].Append(*m_scene.installations->At(k));
        }
    }

    std::unique_ptr<CWorker> MakeWorker() const override {
        return std::make_unique<CArrivalWorker>(*this);
    }

    CMapSummary Summarise(const std::vector<double>& values) const override {
        std::vector<double> times;
        times.reserve(values.size());
        for (double v : values)
            if (!std::isnan(v))
                times.push_back(v);
        const CArrivalStatistics s = ArrivalStatistics(m_snapshot.quantity, times);
        return {s.maximum, s.minimum, s.mean, s.lateShare};
    }

private:
    class CArrivalWorker : public CWorker {
    public:
        explicit CArrivalWorker(const CArrivalCalculation& c) : m_c(c) {
            const std::size_t installations = static_cast<std::size_t>(c.m_plan.InstallationCount());
            m_padded = c.m_engine ? static_cast<std::size_t>(c.m_engine->Padded()) : 0;
            m_re.resize(m_padded * kKernelLanes);
            m_im.resize(m_padded * kKernelLanes);
            m_energies.assign(kKernelLanes, std::vector<double>(installations));
        }

        bool Compute(std::size_t first, std::size_t last, double* values,
                     std::string& reason) override {
            const std::vector<CVec3>& points = m_c.m_snapshot.points;
            for (std::size_t i = first; i < last;) {
                const int lanes = static_cast<int>(std::min<std::size_t>(kKernelLanes, last - i));
                if (m_c.m_late && !Energies(&points[i], lanes)) {
                    reason = BandFailureReason(m_c.m_band);
                    return false;
                }
                for (int lane = 0; lane < lanes; ++lane, ++i) {
                    const double t =
                        m_c.m_late
                            ? m_c.m_plan.LateLoudest(points[i],
                                                     m_energies[static_cast<std::size_t>(lane)])
                            : m_c.m_plan.FirstArrival(points[i]);
                    if (!std::isfinite(t)) {
                        const CVec3& p = points[i];
                        reason = "the arrival time at (" + std::to_string(p.x) + ", " +
                                 std::to_string(p.y) + ", " + std::to_string(p.z) +
                                 ") is not a finite number; check the positions of the "
                                 "installations";
                        return false;
                    }
                    values[i] = t;
                }
            }
            return true;
        }

    private:
        // Each installation's band energy at the lanes' points.
        bool Energies(const CVec3* at, int lanes) {
            const int installations = m_c.m_plan.InstallationCount();
            if (!m_c.m_engine) {
                for (int k = 0; k < installations; ++k) {
                    CAcousticScene one = m_c.m_scene;
                    one.installations = &m_c.m_alone[static_cast<std::size_t>(k)];
                    for (int lane = 0; lane < lanes; ++lane) {
                        double pressure = 0.0;
                        if (BandPressure(one, kModeEnergy, at[lane], m_c.m_band.start,
                                         m_c.m_band.end, m_c.m_band.pitch, pressure) != kBandOk)
                            return false;
                        m_energies[static_cast<std::size_t>(lane)][static_cast<std::size_t>(k)] =
                            pressure * pressure;
                    }
                }
                return true;
            }
            const int n = m_c.m_band.Count();
            for (int k = 0; k < installations; ++k) {
                std::fill(m_re.begin(), m_re.end(), 0.0);
                std::fill(m_im.begin(), m_im.end(), 0.0);
                if (!m_c.m_engine->AddInstallation(k, at, lanes, m_re.data(), m_im.data(),
                                                   m_padded))
                    return false;
                for (int lane = 0; lane < lanes; ++lane) {
                    const std::size_t from = static_cast<std::size_t>(lane) * m_padded;
                    double e = 0.0;
                    for (int j = 0; j < n; ++j)
                        e += m_re[from + j] * m_re[from + j] + m_im[from + j] * m_im[from + j];
                    m_energies[static_cast<std::size_t>(lane)][static_cast<std::size_t>(k)] = e / n;
                }
            }
            return true;
        }

        const CArrivalCalculation& m_c;
        std::size_t m_padded = 0;
        std::vector<double> m_re, m_im;
        std::vector<std::vector<double>> m_energies; // per lane, per installation
    };

    const CMapSnapshot& m_snapshot;
    CAcousticScene m_scene;
    CArrivalPlan m_plan;
    CBandIndexRange m_band;
    bool m_late;
    std::optional<CMapEngine> m_engine;
    std::vector<CInstallationElementList> m_alone; // the reference's one-installation scenes
};
} // namespace

CPointQuantity ArrivalQuantity(EMapEngineKind engine) {
    return [engine](const CMapSnapshot& snapshot,
                    std::string& reason) -> std::unique_ptr<CPointCalculation> {
        const CAcousticScene scene = snapshot.Scene();
        const CArrivalPlan plan(scene);
        bool radiates = false;
        for (int k = 0; k < plan.InstallationCount(); ++k)
            radiates = radiates || plan.Radiates(k);
        if (!radiates) {
            reason = "no installation radiates sound (every power, or every element's share of "
                     "it, is 0)";
            return nullptr;
        }
        const CBandIndexRange band =
            BandIndices(snapshot.band, snapshot.centreFrequency, scene.FirstInstallationPitch());
        if (snapshot.quantity == EMapQuantity::LateLoudest && band.Count() == 0) {
            reason = BandFailureReason(band);
            return nullptr;
        }
        return std::make_unique<CArrivalCalculation>(snapshot, engine, band);
    };
}
