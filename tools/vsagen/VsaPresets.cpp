#include "VsaPresets.h"

#include <array>
#include <functional>
#include <utility>

namespace {

CVsaGenOptions Base(int kind, std::string name) {
    CVsaGenOptions o;
    o.kind = kind;
    o.name = std::move(name);
    o.pointsPerOctave = 3;
    o.lowestFrequency = 63.0;
    o.highestFrequency = 16000.0;
    o.phiBlocks = 12;
    o.thetaCount = 13;
    return o;
}

CVsaTap LineTap(double volts, double watts) {
    return {false, volts, watts, std::nullopt};
}
CVsaTap LowTap(double ohms, double watts) {
    return {true, ohms, watts, std::nullopt};
}

// Line-array modules are short vertically but are built into a column that does the vertical
// beaming, so each module is given a wider horizontal than vertical aperture (negative e). Their
// horizontal waveguides hold about 100 degrees, and the rear is some 20 dB down from 1 kHz up.
CVsaDriver ArrayDriver(double sensitivity, double radius, double offset, double lowCorner) {
    CVsaDriver d;
    d.sensitivity = sensitivity;
    d.radius = radius;
    d.offset = offset;
    d.asymmetry = -0.3;
    d.lowCorner = lowCorner;
    d.highCorner = 17000.0;
    d.coverage = 100.0;
    d.rearAttenuation = 22.0;
    d.rearCorner = 400.0;
    return d;
}

CVsaModule Module(std::string name, double pitch, double offset, double splay, double weight) {
    return {std::move(name), pitch, offset, splay, weight};
}

} // namespace

CVsaGenOptions CeilingSpeakerOptions() {
    CVsaGenOptions o = Base(1, "CS-6 ceiling speaker synthetic");
    o.taps = {LineTap(100, 3), LineTap(100, 6), LineTap(70, 1.5), LineTap(70, 3)};
    CVsaDriver d;
    d.sensitivity = 90.0;
    d.radius = 0.075; // 6.5-inch cone
    d.offset = 0.02;
    d.lowCorner = 90.0;
    d.highCorner = 15000.0;
    d.coverage = 100.0; // the coaxial tweeter holds the beam from about 2 kHz up
    // A closed back can above the tile: the ceiling void hears little but the lowest octaves.
    d.rearAttenuation = 30.0;
    d.rearCorner = 150.0;
    o.drivers = {d};
    return o;
}

CVsaGenOptions WallSpeakerOptions() {
    CVsaGenOptions o = Base(0, "WS-8 wall speaker synthetic");
    o.taps = {LowTap(8, 60)};
    CVsaDriver d;
    d.sensitivity = 88.0;
    d.radius = 0.06;
    d.offset = 0.05;
    d.asymmetry = -0.17; // 90 x 60 degrees, as a constant-directivity horn would be
    d.lowCorner = 70.0;
    d.highCorner = 18000.0;
    d.coverage = 90.0;
    // A box of 8-inch size: omnidirectional in the bass, 20 dB and more behind above 1 kHz.
    d.rearAttenuation = 25.0;
    d.rearCorner = 500.0;
    o.drivers = {d};
    return o;
}

CVsaGenOptions OmniOptions(int pointsPerOctave, double lowestFrequency, double highestFrequency) {
    CVsaGenOptions o = Base(0, "Omni reference source synthetic");
    o.pointsPerOctave = pointsPerOctave;
    o.lowestFrequency = lowestFrequency;
    o.highestFrequency = highestFrequency;
    o.taps = {LowTap(8, 100)};
    CVsaDriver d;
    d.sensitivity = 90.0;
    d.radius = 0.0;
    d.offset = 0.0;
    o.drivers = {d};
    return o;
}

CVsaGenOptions QL9ArrayOptions() {
    // Two boxes of four modules: one stacked up from the rigging point, one down.
    CVsaGenOptions o = Base(5, "QL-9 synthetic");
    o.taps = {LowTap(8, 250), LowTap(4, 500)};
    o.counts = {0, 4, 4};
    const std::array<double, 8> splays{0.0, 0.0, -0.5, -1.0, 0.5, 1.0, 2.0, 3.0};
    for (double splay : splays)
        o.modules.push_back(Module("QL-9", 0.125, 0.06, splay, 1.0 / 8.0));
    o.drivers = {ArrayDriver(100.0, 0.06, 0.06, 120.0)};
    return o;
}

CVsaGenOptions KVW5ArrayOptions() {
    CVsaGenOptions o = Base(3, "KV-W5 synthetic");
    o.taps = {LowTap(8, 200)};
    o.counts = {0, 0, 8};
    const std::array<double, 8> splays{0.0, 0.0, 0.5, 0.5, 1.0, 1.5, 2.0, 3.0};
    for (std::size_t i = 0; i < splays.size(); ++i) {
        const bool bottom = i + 1 == splays.size();
        o.modules.push_back(Module(bottom ? "KV-W5S" : "KV-W5", 0.1, 0.03, splays[i], 1.0 / 8.0));
    }
    o.drivers = {ArrayDriver(97.0, 0.05, 0.03, 150.0)};
    return o;
}

CVsaGenOptions KVKArrayOptions() {
    CVsaGenOptions o = Base(4, "KV-K synthetic");
    o.thetaCount = 7; // four balloons: coarser theta keeps the file small
    o.taps = {LowTap(8, 600), LowTap(4, 1200)};
    o.counts = {0, 0, 9}; // one K2L cabinet of nine sections
    o.modules = {
        Module("KV-K2L", 0.11, 0.08, 0.0, 1.0 / 9.0), Module("KV-K3L", 0.11, 0.085, 0.0, 1.0 / 9.0),
        Module("KV-K2S", 0.1, 0.05, 1.0, 1.0 / 9.0), Module("KV-K3S", 0.1, 0.055, 1.0, 1.0 / 9.0)};
    o.drivers = {ArrayDriver(102.0, 0.09, 0.08, 80.0), ArrayDriver(102.5, 0.09, 0.085, 80.0),
                 ArrayDriver(98.0, 0.06, 0.05, 120.0), ArrayDriver(98.5, 0.06, 0.055, 120.0)};
    return o;
}

CVsaGenOptions KVP10ArrayOptions() {
    CVsaGenOptions o = Base(6, "KV-P10 synthetic");
    o.taps = {LowTap(8, 800)};
    o.counts = {0, 0, 1};
    o.modules = {Module("KV-P10L", 0.45, 0.1, 0.0, 1.0), Module("KV-P10S", 0.3, 0.07, 5.0, 1.0)};
    CVsaDriver large = ArrayDriver(104.0, 0.15, 0.1, 60.0);
    large.asymmetry = -0.4;
    large.coverage = 90.0;
    large.rearAttenuation = 25.0;
    o.drivers = {large, ArrayDriver(100.0, 0.1, 0.07, 90.0)};
    return o;
}

CVsaGenOptions KVR6ArrayOptions() {
    CVsaGenOptions o = Base(7, "KV-R6 synthetic");
    o.taps = {LowTap(8, 300)};
    o.counts = {0, 0, 1};
    o.modules = {Module("KV-R6L", 0.2, 0.05, 0.0, 1.0), Module("KV-R6S", 0.15, 0.04, 3.0, 1.0)};
    o.drivers = {ArrayDriver(98.0, 0.08, 0.05, 90.0), ArrayDriver(95.0, 0.06, 0.04, 110.0)};
    return o;
}

CVsaGenOptions TypeNArrayOptions() {
    CVsaGenOptions o = Base(2, "Type N synthetic");
    o.taps = {LowTap(8, 400)};
    o.counts = {0, 0, 8};
    // The reader replaces these splays by its fixed table; the same values are written so the
    // file reads the same either way.
    const std::array<double, 8> splays{4.0, 0.4, 0.8, 1.6, 2.8, 4.4, 6.4, 10.0};
    for (double splay : splays)
        o.modules.push_back(Module("N-Module", 0.15, 0.04, splay, 1.0 / 8.0));
    o.drivers = {ArrayDriver(96.0, 0.07, 0.04, 100.0)};
    return o;
}

namespace {

struct CPreset {
    const char* name;
    const char* fileName;
    std::function<CVsaGenOptions()> make;
};

const std::vector<CPreset>& Presets() {
    static const std::vector<CPreset> presets{
        {"ceiling", "ceiling-speaker.vsa", CeilingSpeakerOptions},
        {"wall", "wall-speaker.vsa", WallSpeakerOptions},
        {"omni", "omni-source.vsa", [] { return OmniOptions(3, 63.0, 16000.0); }},
        {"ql9", "ql9-array.vsa", QL9ArrayOptions},
        {"kvw5", "kvw5-array.vsa", KVW5ArrayOptions},
        {"kvk", "kvk-array.vsa", KVKArrayOptions},
        {"kvp10", "kvp10-array.vsa", KVP10ArrayOptions},
        {"kvr6", "kvr6-array.vsa", KVR6ArrayOptions},
        {"typen", "typen-array.vsa", TypeNArrayOptions},
    };
    return presets;
}

} // namespace

std::optional<CVsaGenOptions> PresetOptions(std::string_view name) {
    for (const CPreset& p : Presets()) {
        if (name == p.name)
            return p.make();
    }
    return std::nullopt;
}

std::vector<std::string> PresetNames() {
    std::vector<std::string> names;
    for (const CPreset& p : Presets())
        names.emplace_back(p.name);
    return names;
}

std::vector<CVsaExample> ExampleSet() {
    std::vector<CVsaExample> examples;
    for (const CPreset& p : Presets())
        examples.push_back({p.fileName, p.make()});
    return examples;
}
