#include "acoustics/RoomQuantities.h"

#include "acoustics/ColorMapCondition.h"
#include "acoustics/MapCalculation.h"
#include "acoustics/MapSnapshot.h"
#include "acoustics/SpeakerSources.h"
#include "common/Errors.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

CRoomQuantity::CRoomQuantity(const CAcousticScene& scene, const CColorMapCondition& condition,
                             CSoundPowerCache& cache)
    : m_quantity(condition.quantity) {
    if (scene.speech)
        m_speech = *scene.speech;
    if (!NeedsRoomAcoustics(m_quantity))
        throw CInvalidArgument("the direct sound needs no room field");
    if (NeedsOctaves()) {
        for (const CBandIndexRange& band : OctaveBands(scene))
            if (band.Count() == 0)
                throw CInvalidArgument("an octave from 125 Hz to 8 kHz holds no data frequency of "
                                       "the speaker models");
        m_octaves = OctaveFields(scene, cache);
    } else {
        const CBandIndexRange band = ConditionBand(scene, condition);
        if (band.Count() == 0)
            throw CInvalidArgument("the chosen band holds no data frequency of the speaker "
                                   "models; choose a wider band");
        m_band = RoomFieldOf(scene, band, condition.centreFrequency, cache);
    }
}

bool CRoomQuantity::NeedsDirect() const {
    return m_quantity == EMapQuantity::Total || m_quantity == EMapQuantity::DirectToReverberant;
}

double CRoomQuantity::FromDirect(double direct) const {
    switch (m_quantity) {
    case EMapQuantity::Total:
        return EnergySum(direct, m_band.reverberantLevel);
    case EMapQuantity::DirectToReverberant:
        return direct - m_band.reverberantLevel;
    default:
        return m_band.reverberantLevel;
    }
}

CStiInput CRoomQuantity::StiInput(const COctaveValues& direct) const {
    CStiInput in;
    in.direct = direct;
    for (std::size_t k = 0; k < kOctaveCount; ++k) {
        in.reverberant[k] = m_octaves[k].reverberantLevel;
        in.rt[k] = m_octaves[k].rt;
    }
    in.noiseOn = m_speech.noiseOn;
    in.noise = m_speech.noise;
    return in;
}

double CRoomQuantity::FromOctaves(const COctaveValues& direct) const {
    if (IsSpeechQuantity(m_quantity)) {
        const CStiResult r = SpeechTransmissionIndex(StiInput(direct));
        return m_quantity == EMapQuantity::Sti ? r.sti : r.cis;
    }
    double sum = 0.0;
    for (std::size_t k = 0; k < kOctaveCount; ++k) {
        const double total = EnergySum(direct[k], m_octaves[k].reverberantLevel);
        const double weight =
            m_quantity == EMapQuantity::BroadbandA ? AWeighting(OctaveCentre(static_cast<int>(k))) : 0.0;
        sum += std::pow(10.0, (total + weight) / 10.0);
    }
    return 10.0 * std::log10(sum);
}

bool SpeechAt(const CAcousticScene& scene, int mode, const CVec3& point, CPointSpeech& speech,
              std::string* reason, CSoundPowerCache* cache) {
    auto fail = [&](const std::string& why) {
        if (reason)
            *reason = why;
        return false;
    };
    if (!scene.HasInstallations())
        return fail("the project has no installations");
    if (std::string dangling = DanglingModelReason(scene); !dangling.empty())
        return fail(dangling);
    CColorMapCondition condition;
    condition.quantity = EMapQuantity::Sti;
    condition.mode = mode;
    std::optional<CRoomQuantity> quantity;
    try {
        CSoundPowerCache own;
        quantity.emplace(scene, condition, cache ? *cache : own);
    } catch (const CInvalidArgument& e) {
        return fail(e.what());
    }
    const auto bands = OctaveBands(scene);
    COctaveValues direct{};
    for (std::size_t k = 0; k < kOctaveCount; ++k) {
        double pressure = 0.0;
        if (BandPressure(scene, mode, point, bands[k].start, bands[k].end, bands[k].pitch,
                         pressure) != kBandOk)
            return fail("the octave around " + std::to_string(OctaveCentre(static_cast<int>(k))) +
                        " Hz cannot be calculated at the point");
        direct[k] = PressureLevel(pressure);
    }
    speech.input = quantity->StiInput(direct);
    speech.result = SpeechTransmissionIndex(speech.input);
    return true;
}

CQuantityStatistics QuantityStatistics(EMapQuantity quantity, const double* values,
                                       std::size_t count, double stiTarget) {
    CQuantityStatistics s;
    if (count == 0)
        return s;
    s.maximum = -1000.0, s.minimum = 1000.0;
    for (std::size_t i = 0; i < count; ++i) {
        s.maximum = std::max(s.maximum, values[i]);
        s.minimum = std::min(s.minimum, values[i]);
    }
    if (IsLevelQuantity(quantity)) {
        double energy = 0.0;
        for (std::size_t i = 0; i < count; ++i) {
            const double a = std::pow(10.0, values[i] / 20.0);
            energy += a * a;
        }
        s.average = 20.0 * std::log10(std::sqrt(energy / static_cast<double>(count)));
        s.second = s.average - 4.0;
        return s;
    }
    double sum = 0.0;
    for (std::size_t i = 0; i < count; ++i)
        sum += values[i];
    s.average = sum / static_cast<double>(count);
    if (!IsSpeechQuantity(quantity)) {
        s.second = s.average;
        return s;
    }
    const double target = quantity == EMapQuantity::Cis ? CisOfSti(stiTarget) : stiTarget;
    std::size_t above = 0;
    for (std::size_t i = 0; i < count; ++i)
        above += values[i] >= target ? 1 : 0;
    s.second = static_cast<double>(above) / static_cast<double>(count);
    return s;
}

namespace {
// A quantity beyond the direct sound at points: the room field and the powers once, then each
// point's direct band level or seven octave levels, on the engine or by BandPressure.
class CRoomCalculation : public CPointCalculation {
public:
    CRoomCalculation(const CMapSnapshot& snapshot, EMapEngineKind kind,
                     const CColorMapCondition& condition)
        : m_snapshot(snapshot), m_scene(snapshot.Scene()), m_band(ConditionBand(m_scene, condition)),
          m_octaveBands(OctaveBands(m_scene)), m_sources(m_scene) {
        CSoundPowerCache cache;
        m_quantity.emplace(m_scene, condition, cache); // throws with the reason
        if (kind == EMapEngineKind::Reference)
            return;
        if (m_quantity->NeedsOctaves())
            m_octaves.emplace(m_scene, snapshot.mode);
        else if (m_quantity->NeedsDirect())
            m_engine.emplace(m_scene, snapshot.mode, m_band);
    }

    std::unique_ptr<CWorker> MakeWorker() const override {
        return std::make_unique<CRoomWorker>(*this);
    }

    CMapSummary Summarise(const std::vector<double>& values) const override {
        std::vector<double> kept;
        kept.reserve(values.size());
        for (double v : values)
            if (!std::isnan(v))
                kept.push_back(v);
        const CQuantityStatistics s =
            QuantityStatistics(m_snapshot.quantity, kept.data(), kept.size(),
                               m_snapshot.speech ? m_snapshot.speech->stiTarget : 0.5);
        return {s.maximum, s.minimum, s.average, s.second};
    }

private:
    class CRoomWorker : public CWorker {
    public:
        explicit CRoomWorker(const CRoomCalculation& c) : m_c(c) {
            if (c.m_octaves)
                m_scratch = c.m_octaves->MakeScratch();
            else if (c.m_engine)
                m_scratch = c.m_engine->MakeScratch();
        }

        bool Compute(std::size_t first, std::size_t last, double* values,
                     std::string& reason) override {
            const CRoomQuantity& q = *m_c.m_quantity;
            const std::vector<CVec3>& points = m_c.m_snapshot.points;
            const bool perPoint = ReadsDirectSound(q.Quantity());
            for (std::size_t i = first; i < last;) {
                // The engines take four points at once, the reference one.
                const int lanes = m_c.m_octaves || m_c.m_engine
                                      ? static_cast<int>(std::min<std::size_t>(kKernelLanes, last - i))
                                      : 1;
                double lane[kKernelLanes];
                if (!Values(&points[i], lanes, lane)) {
                    reason = q.NeedsOctaves() ? "a frequency of the octaves from 125 Hz to 8 kHz is "
                                                "not a data frequency of every installed speaker "
                                                "model"
                                              : BandFailureReason(m_c.m_band);
                    return false;
                }
                for (int l = 0; l < lanes; ++l, ++i) {
                    if (perPoint && m_c.m_sources.InstallationAt(points[i]) >= 0) {
                        values[i] = std::numeric_limits<double>::quiet_NaN();
                        continue;
                    }
                    if (!std::isfinite(lane[l])) {
                        reason = NotFiniteReason(points[i]);
                        return false;
                    }
                    values[i] = lane[l];
                }
            }
            return true;
        }

    private:
        bool Values(const CVec3* at, int lanes, double* out) {
            const CRoomQuantity& q = *m_c.m_quantity;
            if (q.NeedsOctaves()) {
                COctaveValues levels[kKernelLanes];
                bool ok[kKernelLanes];
                if (m_c.m_octaves) {
                    m_c.m_octaves->Levels(at, lanes, levels, ok, m_scratch);
                } else {
                    ok[0] = true;
                    for (std::size_t k = 0; k < kOctaveCount && ok[0]; ++k) {
                        const CBandIndexRange& b = m_c.m_octaveBands[k];
                        double pressure = 0.0;
                        ok[0] = BandPressure(m_c.m_scene, m_c.m_snapshot.mode, at[0], b.start,
                                             b.end, b.pitch, pressure) == kBandOk;
                        levels[0][k] = PressureLevel(pressure);
                    }
                }
                for (int l = 0; l < lanes; ++l) {
                    if (!ok[l])
                        return false;
                    out[l] = q.FromOctaves(levels[l]);
                }
                return true;
            }
            if (!q.NeedsDirect()) { // the reverberant field is the same everywhere
                std::fill(out, out + lanes, q.FromDirect(0.0));
                return true;
            }
            double pressures[kKernelLanes];
            int statuses[kKernelLanes];
            if (m_c.m_engine) {
                m_c.m_engine->PointPressures(at, lanes, pressures, statuses, m_scratch);
            } else {
                const CBandIndexRange& b = m_c.m_band;
                statuses[0] = BandPressure(m_c.m_scene, m_c.m_snapshot.mode, at[0], b.start, b.end,
                                           b.pitch, pressures[0]);
            }
            for (int l = 0; l < lanes; ++l) {
                if (statuses[l] != kBandOk)
                    return false;
                out[l] = q.FromDirect(PressureLevel(pressures[l]));
            }
            return true;
        }

        const CRoomCalculation& m_c;
        CMapEngine::Scratch m_scratch;
    };

    const CMapSnapshot& m_snapshot;
    CAcousticScene m_scene;
    CBandIndexRange m_band;
    std::array<CBandIndexRange, kOctaveCount> m_octaveBands;
    CSpeakerSources m_sources;
    std::optional<CRoomQuantity> m_quantity;
    std::optional<COctaveLevels> m_octaves;
    std::optional<CMapEngine> m_engine;
};
} // namespace

CPointQuantity RoomQuantity(EMapEngineKind engine) {
    return [engine](const CMapSnapshot& snapshot,
                    std::string& reason) -> std::unique_ptr<CPointCalculation> {
        CColorMapCondition condition;
        condition.quantity = snapshot.quantity;
        condition.mode = snapshot.mode;
        condition.band = snapshot.band;
        condition.centreFrequency = snapshot.centreFrequency;
        try {
            return std::make_unique<CRoomCalculation>(snapshot, engine, condition);
        } catch (const CInvalidArgument& e) {
            reason = e.what();
            return nullptr;
        }
    };
}
