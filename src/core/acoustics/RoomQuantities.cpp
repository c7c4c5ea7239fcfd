#include "acoustics/RoomQuantities.h"

#include "acoustics/ColorMapCondition.h"
#include "acoustics/MapCalculation.h"
#include "common/Errors.h"

#include <algorithm>
#include <cmath>
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
