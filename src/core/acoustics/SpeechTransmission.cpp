#include "acoustics/SpeechTransmission.h"

#include "acoustics/NoiseCurves.h"
#include "common/MathUtil.h"

#include <algorithm>
#include <cmath>
#include <sstream>

namespace {
constexpr COctaveValues kAlpha = {0.085, 0.127, 0.230, 0.233, 0.309, 0.224, 0.173};
constexpr std::array<double, kOctaveCount - 1> kBeta = {0.085, 0.078, 0.065, 0.011, 0.047, 0.095};

double Intensity(double level) {
    return std::pow(10.0, level / 10.0);
}
} // namespace

std::string SpeechSettingsError(const CSpeechSettings& s) {
    auto number = [](double x) {
        std::ostringstream out;
        out.imbue(std::locale::classic());
        out << x;
        return out.str();
    };
    static const char* octaves[kOctaveCount] = {"125 Hz", "250 Hz", "500 Hz", "1 kHz",
                                                "2 kHz",  "4 kHz",  "8 kHz"};
    for (std::size_t k = 0; k < kOctaveCount; ++k)
        if (!(s.noise[k] >= kMinNoiseLevel && s.noise[k] <= kMaxNoiseLevel))
            return std::string("noise level at ") + octaves[k] + " is " + number(s.noise[k]) +
                   " dB; it must be from " + number(kMinNoiseLevel) + " to " +
                   number(kMaxNoiseLevel) + " dB";
    if (!s.curve.empty() && NoiseCurveName(s.curve) != s.curve)
        return "noise curve \"" + s.curve.substr(0, 40) + "\" is not known (NR0 ... NR130, NC-15 ... NC-70)";
    if (!(s.stiTarget >= 0.0 && s.stiTarget <= 1.0))
        return "STI target is " + number(s.stiTarget) + "; it must be from 0 to 1";
    return {};
}

const CModulationValues& ModulationFrequencies() {
    static const CModulationValues f = {0.63, 0.8, 1.0, 1.25, 1.6, 2.0,  2.5,
                                        3.15, 4.0, 5.0, 6.3,  8.0, 10.0, 12.5};
    return f;
}

const COctaveValues& SpeechSpectrum() {
    static const COctaveValues s = {-2.5, 0.5, 0.0, -6.0, -12.0, -18.0, -24.0};
    return s;
}

const COctaveValues& ReceptionThreshold() {
    static const COctaveValues t = {46.0, 27.0, 12.0, 6.5, 7.5, 8.0, 12.0};
    return t;
}

double TransmissionIndex(double m) {
    double snr;
    if (!(m < 1.0))
        snr = 15.0;
    else if (!(m > 0.0))
        snr = -15.0;
    else
        snr = std::clamp(10.0 * std::log10(m / (1.0 - m)), -15.0, 15.0);
    return (snr + 15.0) / 30.0;
}

double StiOfMti(const COctaveValues& mti) {
    double sti = 0.0;
    for (int k = 0; k < kOctaveCount; ++k)
        sti += kAlpha[static_cast<std::size_t>(k)] * mti[static_cast<std::size_t>(k)];
    for (int k = 0; k + 1 < kOctaveCount; ++k)
        sti -= kBeta[static_cast<std::size_t>(k)] *
               std::sqrt(mti[static_cast<std::size_t>(k)] * mti[static_cast<std::size_t>(k + 1)]);
    return std::clamp(sti, 0.0, 1.0);
}

double MaskingSlope(double L) {
    if (L < 63.0)
        return 0.5 * L - 65.0;
    if (L < 67.0)
        return 1.8 * L - 146.9;
    if (L < 100.0)
        return 0.5 * L - 59.8;
    return -10.0;
}

double CisOfSti(double sti) {
    return sti >= 0.1 ? 1.0 + std::log10(sti) : 0.0;
}

CStiResult SpeechTransmissionIndex(const CStiInput& in) {
    CStiResult out;
    COctaveValues Ed{}, Er{}, En{}, I{};
    for (std::size_t k = 0; k < kOctaveCount; ++k) {
        Ed[k] = Intensity(in.direct[k] + SpeechSpectrum()[k]);
        Er[k] = Intensity(in.reverberant[k] + SpeechSpectrum()[k]);
        En[k] = in.noiseOn ? Intensity(in.noise[k]) : 0.0;
        out.signal[k] = 10.0 * std::log10(Ed[k] + Er[k]);
        I[k] = Ed[k] + Er[k] + En[k];
    }
    for (std::size_t k = 0; k < kOctaveCount; ++k) {
        // Masking by the octave below only, and the threshold of hearing.
        const double Iam = k == 0 ? 0.0
                                  : I[k - 1] * Intensity(MaskingSlope(10.0 * std::log10(I[k - 1])));
        const double Irt = Intensity(ReceptionThreshold()[k]);
        const double correction = I[k] / (I[k] + Iam + Irt);
        double ti = 0.0;
        for (std::size_t f = 0; f < kModulationCount; ++f) {
            // The reverberant part's modulation falls as a first-order low pass of time constant
            // T / 13.8: Er / (1 + j 2 pi F T / 13.8).
            const double x = 2.0 * kPi * ModulationFrequencies()[f] * in.rt[k] / 13.8;
            const double d = 1.0 + x * x;
            const double re = Ed[k] + Er[k] / d, im = -Er[k] * x / d;
            const double m = std::sqrt(re * re + im * im) / I[k];
            out.m[k][f] = m;
            ti += TransmissionIndex(m * correction);
        }
        out.mti[k] = ti / kModulationCount;
    }
    out.sti = StiOfMti(out.mti);
    out.cis = CisOfSti(out.sti);
    return out;
}
