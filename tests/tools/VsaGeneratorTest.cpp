#include "VsaGenerator.h"
#include "VsaPresets.h"
#include "speaker/FrequencyList.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <limits>
#include <locale>
#include <numbers>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

// A reading of the text that follows the line layout the importer expects and fails loudly on
// any line too many or too few.
struct CBlock {
    double phi = 0.0;
    std::vector<std::vector<std::string>> rows; // per frequency: level, phase, level, phase, ...
};

struct CParsed {
    int kind = 0;
    std::array<int, 3> counts{};
    std::string name;
    int phiBlocks = 0, thetaCount = 0, ppo = 0;
    std::vector<std::string> taps;
    std::vector<double> thetas;
    std::vector<std::vector<std::string>> modules;
    std::vector<std::vector<CBlock>> balloons;
    std::size_t lineCount = 0;

    double Level(std::size_t b, std::size_t p, std::size_t f, std::size_t t) const {
        return std::stod(balloons[b][p].rows[f][2 * t]);
    }
    double Phase(std::size_t b, std::size_t p, std::size_t f, std::size_t t) const {
        return std::stod(balloons[b][p].rows[f][2 * t + 1]);
    }
};

std::vector<std::string> Split(const std::string& text, char sep) {
    std::vector<std::string> items;
    std::stringstream in(text);
    for (std::string item; std::getline(in, item, sep);)
        items.push_back(item);
    return items;
}

CParsed Parse(const std::string& text, std::size_t frequencyCount) {
    if (text.empty() || text.back() != '\n')
        throw std::runtime_error("text must end with a line end");
    const std::vector<std::string> lines = Split(text, '\n');
    std::size_t at = 0;
    auto next = [&]() -> const std::string& {
        if (at >= lines.size())
            throw std::runtime_error("text ends early");
        return lines[at++];
    };
    if (next() != "Version 1.0.0")
        throw std::runtime_error("bad version line");
    CParsed v;
    v.kind = std::stoi(next());
    if (v.kind >= 2) {
        for (int& c : v.counts)
            c = std::stoi(next());
    }
    v.name = next();
    const int taps = std::stoi(next());
    v.phiBlocks = std::stoi(next());
    v.thetaCount = std::stoi(next());
    v.ppo = std::stoi(next());
    next(); // the frequency range is checked through the number of frequency lines
    next();
    for (int i = 0; i < taps; ++i)
        v.taps.push_back(next());
    for (const std::string& token : Split(next(), ','))
        v.thetas.push_back(std::stod(token));
    v.modules.resize(static_cast<std::size_t>(ExpectedModuleCount(v.kind, v.counts)));
    for (auto& module : v.modules) {
        for (int i = 0; i < 5; ++i)
            module.push_back(next());
    }
    v.balloons.resize(static_cast<std::size_t>(ExpectedBalloonCount(v.kind, v.counts)));
    for (auto& balloon : v.balloons) {
        balloon.resize(static_cast<std::size_t>(v.phiBlocks));
        for (CBlock& block : balloon) {
            block.phi = std::stod(next());
            for (std::size_t f = 0; f < frequencyCount; ++f) {
                block.rows.push_back(Split(next(), ','));
                if (block.rows.back().size() != 2 * static_cast<std::size_t>(v.thetaCount))
                    throw std::runtime_error("frequency line without one pair per theta");
            }
        }
    }
    if (at != lines.size())
        throw std::runtime_error("lines left over");
    v.lineCount = lines.size();
    return v;
}

std::vector<double> Frequencies(const CVsaGenOptions& o) {
    std::vector<double> list;
    BuildFrequencyList(o.lowestFrequency, o.highestFrequency, o.pointsPerOctave, 65535, list);
    return list;
}

CParsed Generate(const CVsaGenOptions& o) {
    return Parse(GenerateVsa(o), Frequencies(o).size());
}

int DigitsAfterPoint(const std::string& token) {
    const std::size_t point = token.find('.');
    return point == std::string::npos ? 0 : static_cast<int>(token.size() - point - 1);
}

// One standard speaker with a single driver and a small grid.
CVsaGenOptions SingleDriver(const CVsaDriver& driver, int ppo, double fmin, double fmax, int phi,
                            int theta) {
    CVsaGenOptions o = OmniOptions(ppo, fmin, fmax);
    o.drivers = {driver};
    o.phiBlocks = phi;
    o.thetaCount = theta;
    return o;
}

} // namespace

TEST(VsaLayout, EveryExampleFollowsTheReaderLayout) {
    for (const CVsaExample& example : ExampleSet()) {
        SCOPED_TRACE(example.fileName);
        const CVsaGenOptions& o = example.options;
        const std::string text = GenerateVsa(o);
        EXPECT_LT(text.size(), 150000u);
        EXPECT_EQ(text.find('\r'), std::string::npos);

        const std::size_t frequencies = Frequencies(o).size();
        const std::size_t header = 2 + (o.kind >= 2 ? 3 : 0) + 7;
        const std::size_t expectedLines =
            header + o.taps.size() + 1 + 5 * o.modules.size() +
            o.drivers.size() * static_cast<std::size_t>(o.phiBlocks) * (1 + frequencies);
        CParsed v;
        ASSERT_NO_THROW(v = Parse(text, frequencies));
        EXPECT_EQ(v.lineCount, expectedLines);
        EXPECT_EQ(v.kind, o.kind);
        EXPECT_EQ(v.name, o.name);
        EXPECT_EQ(v.ppo, o.pointsPerOctave);
        EXPECT_EQ(v.thetas.size(), static_cast<std::size_t>(o.thetaCount));
        EXPECT_EQ(v.balloons.size(), o.drivers.size());
        for (const auto& balloon : v.balloons) {
            for (const CBlock& block : balloon) {
                for (const auto& row : block.rows) {
                    for (std::size_t i = 0; i < row.size(); ++i) {
                        ASSERT_EQ(DigitsAfterPoint(row[i]), o.decimals) << row[i];
                        if (i % 2 == 1) {
                            EXPECT_GT(std::stod(row[i]), -180.0);
                            EXPECT_LE(std::stod(row[i]), 180.0);
                        }
                    }
                }
            }
        }
    }
}

TEST(VsaLayout, HeaderTapsGridAndModulesAreWrittenInReaderOrder) {
    CVsaGenOptions o = QL9ArrayOptions();
    o.counts = {1, 1, 1};
    o.modules = {{"A", 0.125, 0.06, -1.5, 0.25}, {"B", 0.2, 0.03, 0, 0.5}, {"C", 0.3, 0.1, 2, 1}};
    o.taps = {{false, 100, 30, std::nullopt}, {true, 8, 60, 2.0}, {false, 70, 1.5, std::nullopt}};
    o.phiBlocks = 4;
    o.thetaCount = 5;
    o.lowestFrequency = 100;
    o.highestFrequency = 1000;
    const CParsed v = Generate(o);

    EXPECT_EQ(v.counts, (std::array<int, 3>{1, 1, 1}));
    EXPECT_EQ(v.taps, (std::vector<std::string>{"h,100,30", "l,8,60,2", "h,70,1.5"}));
    EXPECT_EQ(v.thetas, (std::vector<double>{0, 45, 90, 135, 180}));
    ASSERT_EQ(v.balloons.size(), 1u);
    for (std::size_t p = 0; p < 4; ++p)
        EXPECT_EQ(v.balloons[0][p].phi, 90.0 * static_cast<double>(p));
    EXPECT_EQ(v.balloons[0][0].rows.size(), 11u); // 100 Hz to 1 kHz at 3 points per octave
    EXPECT_EQ(v.modules[0], (std::vector<std::string>{"A", "0.125", "0.06", "-1.5", "0.25"}));
    EXPECT_EQ(v.modules[2], (std::vector<std::string>{"C", "0.3", "0.1", "2", "1"}));
}

namespace {
struct CCommaDecimal : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};
} // namespace

TEST(VsaLayout, OutputIsDeterministicAndIgnoresTheGlobalLocale) {
    const CVsaGenOptions o = KVP10ArrayOptions();
    const std::string reference = GenerateVsa(o);
    const std::locale previous =
        std::locale::global(std::locale(std::locale::classic(), new CCommaDecimal));
    const std::string underCommaLocale = GenerateVsa(o);
    std::ostringstream stream;
    WriteVsa(o, stream);
    std::locale::global(previous);
    EXPECT_EQ(underCommaLocale, reference);
    EXPECT_EQ(stream.str(), reference);
}

TEST(VsaModel, OmniSourceIsIdenticalInEveryDirection) {
    CVsaGenOptions o = OmniOptions(12, 50, 2000);
    o.phiBlocks = 7; // angles that are not multiples of 90
    o.thetaCount = 19;
    const CParsed v = Generate(o);
    const std::vector<std::string> first{v.balloons[0][0].rows[0][0], v.balloons[0][0].rows[0][1]};
    EXPECT_EQ(std::stod(first[0]), o.drivers[0].sensitivity);
    EXPECT_EQ(std::stod(first[1]), 0.0);
    for (const CBlock& block : v.balloons[0]) {
        for (const auto& row : block.rows) {
            for (std::size_t i = 0; i < row.size(); ++i)
                ASSERT_EQ(row[i], first[i % 2]);
        }
    }
}

TEST(VsaModel, PistonBeamNarrowsAsFrequencyRises) {
    CVsaDriver d;
    d.radius = 0.1;
    // Up to 2 kHz the 60-degree direction stays inside the main lobe of a 0.1 m piston.
    const CParsed v = Generate(SingleDriver(d, 6, 100, 2000, 6, 7));
    const std::size_t theta60 = 2;
    ASSERT_EQ(v.thetas[theta60], 60.0);
    for (std::size_t p = 0; p < v.balloons[0].size(); ++p) {
        EXPECT_EQ(v.balloons[0][p].rows, v.balloons[0][0].rows) << "round piston, phi " << p;
        double previous = 0.0;
        const std::size_t count = v.balloons[0][p].rows.size();
        for (std::size_t f = 0; f < count; ++f) {
            const double relative = v.Level(0, p, f, theta60) - v.Level(0, p, f, 0);
            EXPECT_LE(relative, previous) << "frequency index " << f;
            previous = relative;
        }
        EXPECT_LT(previous, -6.0);
    }
}

TEST(VsaModel, PistonNullsStopAtTheDirectivityFloor) {
    CVsaDriver d;
    d.radius = 0.15;
    const CParsed v = Generate(SingleDriver(d, 12, 1000, 16000, 1, 37));
    bool reachesFloor = false;
    for (std::size_t f = 0; f < v.balloons[0][0].rows.size(); ++f) {
        for (std::size_t t = 0; v.thetas[t] <= 90.0; ++t) {
            const double relative = v.Level(0, 0, f, t) - v.Level(0, 0, f, 0);
            EXPECT_GE(relative, kVsaDirectivityFloor - 0.01);
            reachesFloor = reachesFloor || relative < kVsaDirectivityFloor + 0.01;
        }
    }
    EXPECT_TRUE(reachesFloor) << "no null on the grid, so the floor went untested";
}

TEST(VsaModel, AsymmetryNarrowsTheWiderApertureOnly) {
    CVsaDriver d;
    d.radius = 0.1;
    d.asymmetry = 0.3; // horizontal (phi 0) aperture larger than vertical (phi 90)
    const CParsed v = Generate(SingleDriver(d, 3, 1000, 1500, 4, 7));
    const std::size_t theta60 = 2;
    for (std::size_t f = 0; f < v.balloons[0][0].rows.size(); ++f) {
        EXPECT_LT(v.Level(0, 0, f, theta60) + 1.0, v.Level(0, 1, f, theta60));
        EXPECT_EQ(v.balloons[0][2].rows[f], v.balloons[0][0].rows[f]); // cos 2phi repeats
        EXPECT_EQ(v.balloons[0][3].rows[f], v.balloons[0][1].rows[f]);
    }
}

TEST(VsaModel, PoleValuesDoNotDependOnPhi) {
    CVsaDriver d;
    d.radius = 0.08;
    d.asymmetry = 0.4;
    d.offset = 0.07;
    d.rearAttenuation = 20;
    const CParsed v = Generate(SingleDriver(d, 3, 63, 16000, 12, 13));
    const auto& blocks = v.balloons[0];
    const std::size_t last = 12;
    bool sidesDiffer = false;
    for (std::size_t p = 1; p < blocks.size(); ++p) {
        for (std::size_t f = 0; f < blocks[p].rows.size(); ++f) {
            const auto& row = blocks[p].rows[f];
            const auto& ref = blocks[0].rows[f];
            EXPECT_EQ(row[0], ref[0]);
            EXPECT_EQ(row[1], ref[1]);
            EXPECT_EQ(row[2 * last], ref[2 * last]);
            EXPECT_EQ(row[2 * last + 1], ref[2 * last + 1]);
            sidesDiffer = sidesDiffer || row[2 * 6] != ref[2 * 6];
        }
    }
    EXPECT_TRUE(sidesDiffer) << "asymmetry must show at 90 degrees, or the check proves nothing";
}

TEST(VsaModel, PhaseFollowsTheOffsetAcousticCentre) {
    CVsaDriver d;
    d.radius = 0.0;
    d.offset = 0.25;
    const CVsaGenOptions o = SingleDriver(d, 3, 100, 10000, 2, 13);
    const CParsed v = Generate(o);
    const std::vector<double> frequencies = Frequencies(o);
    for (std::size_t f = 0; f < frequencies.size(); ++f) {
        for (std::size_t t = 0; t < v.thetas.size(); ++t) {
            const double theta = v.thetas[t] * std::numbers::pi / 180.0;
            const double expected = 360.0 * frequencies[f] * 0.25 * std::cos(theta) / 344.0;
            const double difference = std::remainder(v.Phase(0, 1, f, t) - expected, 360.0);
            EXPECT_LE(std::abs(difference), 0.005 + 1e-9) << frequencies[f] << " Hz, " << theta;
        }
    }
}

TEST(VsaModel, PhaseRoundedNearHalfATurnStaysInsideTheHalfOpenRange) {
    CVsaDriver d;
    d.radius = 0.0;
    // At 100 Hz this offset gives +180.002 degrees on axis and -180.002 behind; both lie within
    // rounding of the turn boundary from either side and must come out as +180.
    d.offset = 180.002 * 344.0 / 36000.0;
    const CParsed v = Generate(SingleDriver(d, 3, 100, 100, 1, 2));
    ASSERT_EQ(v.balloons[0][0].rows.size(), 1u);
    EXPECT_EQ(v.balloons[0][0].rows[0][1], "180.00");
    EXPECT_EQ(v.balloons[0][0].rows[0][3], "180.00");
}

TEST(VsaModel, BandPassAndRearAttenuationShapeTheResponse) {
    CVsaDriver d;
    d.radius = 0.1;
    d.lowCorner = 1000;
    d.rearAttenuation = 20;
    const CVsaGenOptions o = SingleDriver(d, 3, 63, 16000, 1, 13);
    const CParsed v = Generate(o);
    const std::vector<double> frequencies = Frequencies(o);
    auto index = [&](double hz) {
        std::size_t best = 0;
        for (std::size_t i = 0; i < frequencies.size(); ++i) {
            if (std::abs(frequencies[i] - hz) < std::abs(frequencies[best] - hz))
                best = i;
        }
        return best;
    };
    EXPECT_NEAR(v.Level(0, 0, index(1000), 0), d.sensitivity - 3.01, 0.02);
    EXPECT_NEAR(v.Level(0, 0, index(16000), 0), d.sensitivity, 0.01);
    // Two octaves below the corner a second-order high-pass falls 12 dB per octave.
    EXPECT_NEAR(v.Level(0, 0, index(200), 0) - v.Level(0, 0, index(100), 0), 12.0, 0.1);

    auto frontToBack = [&](std::size_t f) { return v.Level(0, 0, f, 0) - v.Level(0, 0, f, 12); };
    EXPECT_LT(frontToBack(0), 0.5);
    EXPECT_GT(frontToBack(frequencies.size() - 1), 19.5);
    for (std::size_t f = 1; f < frequencies.size(); ++f)
        EXPECT_GE(frontToBack(f), frontToBack(f - 1));
}

TEST(VsaOptions, ReaderRulesFixModuleEntriesAndBalloons) {
    const std::array<int, 3> counts{1, 2, 3};
    struct CRule {
        int kind, modules, balloons;
    };
    for (const CRule& r : {CRule{0, 0, 1}, CRule{1, 0, 1}, CRule{2, 8, 1}, CRule{3, 6, 1},
                           CRule{4, 4, 4}, CRule{5, 6, 1}, CRule{6, 2, 2}, CRule{7, 2, 2}}) {
        EXPECT_EQ(ExpectedModuleCount(r.kind, counts), r.modules) << "kind " << r.kind;
        EXPECT_EQ(ExpectedBalloonCount(r.kind, counts), r.balloons) << "kind " << r.kind;
    }
    EXPECT_THROW(ExpectedModuleCount(8, counts), std::invalid_argument);
    EXPECT_THROW(ExpectedBalloonCount(-1, counts), std::invalid_argument);
}

TEST(VsaOptions, InvalidRequestsThrowAndWriteNothing) {
    using Mutation = std::function<void(CVsaGenOptions&)>;
    const std::vector<std::pair<const char*, Mutation>> cases{
        {"kind 8", [](CVsaGenOptions& o) { o.kind = 8; }},
        {"no phi block", [](CVsaGenOptions& o) { o.phiBlocks = 0; }},
        {"no theta", [](CVsaGenOptions& o) { o.thetaCount = 0; }},
        {"ppo 5", [](CVsaGenOptions& o) { o.pointsPerOctave = 5; }},
        {"fmax < fmin", [](CVsaGenOptions& o) { o.highestFrequency = 50; }},
        {"no model frequency",
         [](CVsaGenOptions& o) {
             o.pointsPerOctave = 1;
             o.lowestFrequency = 130;
             o.highestFrequency = 190;
         }},
        {"name with line end", [](CVsaGenOptions& o) { o.name = "two\nlines"; }},
        {"module entries vs counts",
         [](CVsaGenOptions& o) {
             o.counts = {0, 4, 5};
         }},
        {"negative count",
         [](CVsaGenOptions& o) {
             o.counts = {-1, 4, 5}; // still eight entries, so only the sign is wrong
         }},
        {"second driver", [](CVsaGenOptions& o) { o.drivers.push_back(o.drivers[0]); }},
        {"standard kind with modules", [](CVsaGenOptions& o) { o.kind = 0; }},
        {"asymmetry 1", [](CVsaGenOptions& o) { o.drivers[0].asymmetry = 1.0; }},
        {"NaN sensitivity", [](CVsaGenOptions& o) { o.drivers[0].sensitivity = std::nan(""); }},
        {"decimals 7", [](CVsaGenOptions& o) { o.decimals = 7; }},
        {"infinite tap power",
         [](CVsaGenOptions& o) { o.taps[0].power = std::numeric_limits<double>::infinity(); }},
    };
    const CVsaGenOptions valid = QL9ArrayOptions();
    ASSERT_NO_THROW(ValidateVsaOptions(valid));
    for (const auto& [what, mutate] : cases) {
        CVsaGenOptions o = valid;
        mutate(o);
        std::ostringstream out;
        EXPECT_THROW(WriteVsa(o, out), std::invalid_argument) << what;
        EXPECT_TRUE(out.str().empty()) << what;
    }
    CVsaGenOptions kvk = KVKArrayOptions();
    kvk.drivers.pop_back();
    EXPECT_THROW(GenerateVsa(kvk), std::invalid_argument) << "KV-K needs four balloons";
}

namespace {
// Full -6 dB angle of the driver in the plane phi at frequency f, found by walking off axis in
// tenth-degree steps (180 when it stays within 6 dB over the whole front).
double CoverageAngle(const CVsaDriver& d, double f, double phi) {
    const double axis = EvaluateDriver(d, f, 0.0, phi).level;
    for (double theta = 0.1; theta <= 90.0; theta += 0.1)
        if (EvaluateDriver(d, f, theta, phi).level < axis - 6.0)
            return 2.0 * theta;
    return 180.0;
}
// How far below the axis the level straight behind lies.
double RearRejection(const CVsaDriver& d, double f) {
    return EvaluateDriver(d, f, 0.0, 0.0).level - EvaluateDriver(d, f, 180.0, 0.0).level;
}
} // namespace

TEST(VsaModel, ACoverageAngleIsHeldOnceThePistonWouldBeNarrower) {
    CVsaDriver d;
    d.radius = 0.1;
    const double narrowing = CoverageAngle(d, 8000.0, 0.0);
    EXPECT_LT(narrowing, 40.0); // a 20 cm piston at 8 kHz is a searchlight
    d.coverage = 90.0;
    for (double f : {3000.0, 8000.0, 16000.0})
        EXPECT_NEAR(CoverageAngle(d, f, 0.0), 90.0, 1.0) << f;
    // Below the frequency where the piston reaches that width it is left as it is.
    CVsaDriver plain = d;
    plain.coverage = 0.0;
    EXPECT_EQ(EvaluateDriver(d, 500.0, 60.0, 0.0).level,
              EvaluateDriver(plain, 500.0, 60.0, 0.0).level);
    // With asymmetry the horizontal plane gets the coverage, the vertical is narrower.
    d.asymmetry = -0.17;
    EXPECT_NEAR(CoverageAngle(d, 8000.0, 0.0), 90.0, 1.0);
    EXPECT_NEAR(CoverageAngle(d, 8000.0, 90.0), 60.0, 2.0);
}

TEST(VsaModel, TheRearCornerSetsWhereTheBackFallsQuiet) {
    CVsaDriver d;
    d.radius = 0.08;
    d.rearAttenuation = 30.0;
    d.rearCorner = 200.0;
    // Half the attenuation at the corner, little an octave below several, nearly all far above.
    const double front = EvaluateDriver(d, 200.0, 0.0, 0.0).level;
    const double frontAt90 = EvaluateDriver(d, 200.0, 90.0, 0.0).level;
    EXPECT_NEAR(EvaluateDriver(d, 200.0, 180.0, 0.0).level, front - 15.0, 1e-9);
    EXPECT_GT(frontAt90, front - 1.0);
    EXPECT_LT(RearRejection(d, 25.0), 1.0);
    EXPECT_GT(RearRejection(d, 4000.0), 29.0);
}

// The presets stand for kinds of product, so their figures must lie in the range that published
// data of such products give: coverage between the -6 dB points, and how much quieter the
// speaker is straight behind than on its axis.
TEST(VsaPresets, CoverageAndRearRejectionAreThoseOfTheirKind) {
    const CVsaDriver ceiling = CeilingSpeakerOptions().drivers.front();
    for (double f : {2000.0, 4000.0, 8000.0}) {
        EXPECT_GE(CoverageAngle(ceiling, f, 0.0), 80.0) << f;
        EXPECT_LE(CoverageAngle(ceiling, f, 0.0), 130.0) << f;
        EXPECT_EQ(CoverageAngle(ceiling, f, 0.0), CoverageAngle(ceiling, f, 90.0)) << f; // conical
    }
    EXPECT_GE(CoverageAngle(ceiling, 500.0, 0.0), 150.0); // wide in the lower mids
    // In a back can: some 25 dB and more behind from 1 kHz up, still audible in the bass.
    for (double f : {1000.0, 2000.0, 8000.0})
        EXPECT_GE(RearRejection(ceiling, f), 25.0) << f;
    EXPECT_LE(RearRejection(ceiling, 63.0), 12.0);

    const CVsaDriver wall = WallSpeakerOptions().drivers.front();
    for (double f : {4000.0, 8000.0}) {
        EXPECT_NEAR(CoverageAngle(wall, f, 0.0), 90.0, 10.0) << f;
        EXPECT_NEAR(CoverageAngle(wall, f, 90.0), 60.0, 10.0) << f;
    }
    EXPECT_LE(RearRejection(wall, 125.0), 6.0);
    EXPECT_GE(RearRejection(wall, 2000.0), 18.0);
    EXPECT_LE(RearRejection(wall, 2000.0), 30.0);

    for (const CVsaGenOptions& o : {QL9ArrayOptions(), KVW5ArrayOptions(), KVKArrayOptions(),
                                    KVP10ArrayOptions(), KVR6ArrayOptions(), TypeNArrayOptions()})
        for (const CVsaDriver& d : o.drivers) {
            EXPECT_GE(CoverageAngle(d, 8000.0, 0.0), 80.0) << o.name;
            EXPECT_LE(CoverageAngle(d, 8000.0, 0.0), 120.0) << o.name;
            EXPECT_LE(RearRejection(d, 125.0), 8.0) << o.name;
            EXPECT_GE(RearRejection(d, 2000.0), 15.0) << o.name;
            EXPECT_LE(RearRejection(d, 2000.0), 30.0) << o.name;
        }
}
