#include "VsaGenerator.h"

#include "speaker/FrequencyList.h"

#include <charconv>
#include <cmath>
#include <initializer_list>
#include <sstream>
#include <stdexcept>
#include <system_error>

namespace {

// Header counts are stored as 16-bit values once imported.
constexpr int kMaxCount = 65535;
constexpr int kMaxDecimals = 6;
// Bounds that keep every level and phase far inside the range of the fixed-point formatting;
// nothing a real loudspeaker needs comes near them.
constexpr double kMaxFrequency = 1e6;
constexpr double kMaxLength = 100.0;
constexpr double kMaxDb = 1000.0;

[[noreturn]] void Fail(const std::string& message) {
    throw std::invalid_argument(message);
}

void RequireFinite(double value, const std::string& what) {
    if (!std::isfinite(value))
        Fail(what + " must be a finite number");
}

bool HasLineBreak(const std::string& text) {
    return text.find_first_of("\r\n") != std::string::npos;
}

// Shortest text that reads back as the same double; no exponent for ordinary values and never
// "-0".
void AppendNumber(std::string& out, double value) {
    if (value == 0.0)
        value = 0.0;
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

void AppendInt(std::string& out, long long value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

// Fixed-point text of an integer number of 10^-decimals units. Working on the integer keeps
// rounding and sign handling exact ("-0.00" cannot occur).
void AppendScaled(std::string& out, long long units, int decimals, long long scale) {
    if (units < 0) {
        out.push_back('-');
        units = -units;
    }
    AppendInt(out, units / scale);
    if (decimals > 0) {
        out.push_back('.');
        const std::string fraction = std::to_string(units % scale);
        out.append(static_cast<std::size_t>(decimals) - fraction.size(), '0');
        out += fraction;
    }
}

// The model's phase already lies in (-180, 180]; rounding can still land on -180, which
// belongs to the other end of the range.
long long QuantizePhase(double phase, long long scale) {
    long long units = std::llround(phase * static_cast<double>(scale));
    const long long half = 180 * scale;
    if (units <= -half)
        units += 2 * half;
    else if (units > half)
        units -= 2 * half;
    return units;
}

void AppendTap(std::string& out, const CVsaTap& tap) {
    out += tap.lowImpedance ? "l," : "h,";
    AppendNumber(out, tap.rating);
    out.push_back(',');
    AppendNumber(out, tap.power);
    if (tap.ampFactor) {
        out.push_back(',');
        AppendNumber(out, *tap.ampFactor);
    }
}

bool IsLineArray(int kind) {
    return kind >= 2;
}

bool IsCorner(double hz) {
    return hz == 0.0 || (hz >= 1.0 && hz <= kMaxFrequency);
}

void ValidateDriver(const CVsaDriver& d, std::size_t index) {
    const std::string what = "driver " + std::to_string(index) + ": ";
    if (!(std::abs(d.sensitivity) <= kMaxDb))
        Fail(what + "sensitivity must lie between -1000 and 1000 dB");
    if (!(d.radius >= 0.0 && d.radius <= kMaxLength))
        Fail(what + "radius must lie between 0 and 100 m");
    if (!(std::abs(d.offset) <= kMaxLength))
        Fail(what + "offset must lie between -100 and 100 m");
    if (!(std::abs(d.asymmetry) < 1.0))
        Fail(what + "asymmetry must lie strictly between -1 and 1");
    if (!IsCorner(d.lowCorner) || !IsCorner(d.highCorner))
        Fail(what + "corner frequencies must be 0 (off) or 1 Hz to 1 MHz");
    if (!(d.rearAttenuation >= 0.0 && d.rearAttenuation <= kMaxDb))
        Fail(what + "rear attenuation must lie between 0 and 1000 dB");
    if (!(d.coverage == 0.0 || (d.coverage >= 1.0 && d.coverage <= 180.0)))
        Fail(what + "coverage must be 0 (off) or 1 to 180 degrees");
    if (!IsCorner(d.rearCorner))
        Fail(what + "the rear corner must be 0 (off) or 1 Hz to 1 MHz");
}

std::vector<double> FrequenciesOf(const CVsaGenOptions& o) {
    std::vector<double> list;
    if (!BuildFrequencyList(o.lowestFrequency, o.highestFrequency, o.pointsPerOctave, kMaxCount,
                            list))
        Fail("the frequency range holds more than 65535 model frequencies");
    if (list.empty())
        Fail("no model frequency lies between the lowest and highest frequency");
    return list;
}

} // namespace

int ExpectedBalloonCount(int kind, const std::array<int, 3>& /*counts*/) {
    switch (kind) {
    case 0:
    case 1:
    case 2:
    case 3:
    case 5:
        return 1;
    case 6:
    case 7:
        return 2;
    case 4:
        return 4;
    default:
        Fail("kind must be 0..7, got " + std::to_string(kind));
    }
}

int ExpectedModuleCount(int kind, const std::array<int, 3>& counts) {
    switch (kind) {
    case 0:
    case 1:
        return 0;
    case 3:
    case 5:
        return counts[0] + counts[1] + counts[2];
    case 6:
    case 7:
        return 2;
    case 4:
        return 4;
    case 2:
        return 8;
    default:
        Fail("kind must be 0..7, got " + std::to_string(kind));
    }
}

double VsaThetaAngle(int t, int thetaCount) {
    return thetaCount > 1 ? 180.0 * t / (thetaCount - 1) : 0.0;
}

double VsaPhiAngle(int p, int phiBlocks) {
    return 360.0 * p / phiBlocks;
}

void ValidateVsaOptions(const CVsaGenOptions& o) {
    if (o.kind < 0 || o.kind > 7)
        Fail("kind must be 0..7, got " + std::to_string(o.kind));
    if (HasLineBreak(o.name))
        Fail("the model name must fit on one line");
    const int ppo = o.pointsPerOctave;
    if (ppo != 24 && ppo != 12 && ppo != 6 && ppo != 3 && ppo != 1)
        Fail("points per octave must be 24, 12, 6, 3 or 1, got " + std::to_string(ppo));
    RequireFinite(o.lowestFrequency, "lowest frequency");
    RequireFinite(o.highestFrequency, "highest frequency");
    if (!(o.lowestFrequency > 0.0))
        Fail("lowest frequency must be positive");
    if (o.highestFrequency < o.lowestFrequency)
        Fail("highest frequency must not lie below the lowest frequency");
    if (o.highestFrequency > kMaxFrequency)
        Fail("highest frequency must not exceed 1 MHz");
    // The reader stores P + 1 phi angles in a 16-bit count.
    if (o.phiBlocks < 1 || o.phiBlocks > kMaxCount - 1)
        Fail("phi block count must be 1..65534, got " + std::to_string(o.phiBlocks));
    if (o.thetaCount < 1 || o.thetaCount > kMaxCount)
        Fail("theta count must be 1..65535, got " + std::to_string(o.thetaCount));
    if (o.decimals < 0 || o.decimals > kMaxDecimals)
        Fail("decimals must be 0..6, got " + std::to_string(o.decimals));
    if (o.taps.size() > static_cast<std::size_t>(kMaxCount))
        Fail("at most 65535 taps");
    for (const CVsaTap& tap : o.taps) {
        RequireFinite(tap.rating, "tap rating");
        RequireFinite(tap.power, "tap power");
        if (tap.ampFactor)
            RequireFinite(*tap.ampFactor, "tap amplifier factor");
    }
    if (IsLineArray(o.kind)) {
        for (int c : o.counts) {
            if (c < 0 || c > kMaxCount)
                Fail("module counts must be 0..65535");
        }
    }
    const std::size_t modules = static_cast<std::size_t>(ExpectedModuleCount(o.kind, o.counts));
    if (o.modules.size() != modules)
        Fail("kind " + std::to_string(o.kind) + " with counts " + std::to_string(o.counts[0]) +
             "," + std::to_string(o.counts[1]) + "," + std::to_string(o.counts[2]) + " needs " +
             std::to_string(modules) + " module entries, got " + std::to_string(o.modules.size()));
    for (const CVsaModule& m : o.modules) {
        if (HasLineBreak(m.name))
            Fail("module names must fit on one line");
        RequireFinite(m.pitch, "module pitch");
        RequireFinite(m.offset, "module offset");
        RequireFinite(m.splay, "module splay");
        RequireFinite(m.weight, "module weight");
    }
    const std::size_t balloons = static_cast<std::size_t>(ExpectedBalloonCount(o.kind, o.counts));
    if (o.drivers.size() != balloons)
        Fail("kind " + std::to_string(o.kind) + " needs " + std::to_string(balloons) +
             " drivers (one per balloon), got " + std::to_string(o.drivers.size()));
    for (std::size_t i = 0; i < o.drivers.size(); ++i)
        ValidateDriver(o.drivers[i], i);
    FrequenciesOf(o);
}

void WriteVsa(const CVsaGenOptions& o, std::ostream& out) {
    ValidateVsaOptions(o);
    const std::vector<double> frequencies = FrequenciesOf(o);

    std::string text;
    auto endLine = [&text]() { text.push_back('\n'); };
    auto flush = [&text, &out]() {
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        text.clear();
    };

    text += "Version 1.0.0\n";
    AppendInt(text, o.kind);
    endLine();
    if (IsLineArray(o.kind)) {
        for (int c : o.counts) {
            AppendInt(text, c);
            endLine();
        }
    }
    text += o.name;
    endLine();
    AppendInt(text, static_cast<long long>(o.taps.size()));
    endLine();
    AppendInt(text, o.phiBlocks);
    endLine();
    AppendInt(text, o.thetaCount);
    endLine();
    AppendInt(text, o.pointsPerOctave);
    endLine();
    AppendNumber(text, o.lowestFrequency);
    endLine();
    AppendNumber(text, o.highestFrequency);
    endLine();
    for (const CVsaTap& tap : o.taps) {
        AppendTap(text, tap);
        endLine();
    }
    std::vector<double> thetas(static_cast<std::size_t>(o.thetaCount));
    for (int t = 0; t < o.thetaCount; ++t) {
        thetas[static_cast<std::size_t>(t)] = VsaThetaAngle(t, o.thetaCount);
        if (t > 0)
            text.push_back(',');
        AppendNumber(text, thetas[static_cast<std::size_t>(t)]);
    }
    endLine();
    for (const CVsaModule& m : o.modules) {
        text += m.name;
        endLine();
        for (double v : {m.pitch, m.offset, m.splay, m.weight}) {
            AppendNumber(text, v);
            endLine();
        }
    }
    flush();

    long long scale = 1;
    for (int i = 0; i < o.decimals; ++i)
        scale *= 10;
    const double dScale = static_cast<double>(scale);
    for (const CVsaDriver& driver : o.drivers) {
        for (int p = 0; p < o.phiBlocks; ++p) {
            const double phi = VsaPhiAngle(p, o.phiBlocks);
            AppendNumber(text, phi);
            endLine();
            for (double f : frequencies) {
                for (std::size_t t = 0; t < thetas.size(); ++t) {
                    const CVsaSample s = EvaluateDriver(driver, f, thetas[t], phi);
                    if (t > 0)
                        text.push_back(',');
                    AppendScaled(text, std::llround(s.level * dScale), o.decimals, scale);
                    text.push_back(',');
                    AppendScaled(text, QuantizePhase(s.phase, scale), o.decimals, scale);
                }
                endLine();
            }
            flush();
        }
    }
}

std::string GenerateVsa(const CVsaGenOptions& options) {
    std::ostringstream out;
    WriteVsa(options, out);
    return std::move(out).str();
}
