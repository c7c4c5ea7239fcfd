// Open directivity files: export and import round trips, analytic sources on regular and
// irregular receiver sets, turned sources and every kind of bad file.
#include "SofaAnalytic.h"
#include "SofaTestWriter.h"
#include "SpeakerFixtures.h"
#include "TestDir.h"
#include "speaker/FrequencyList.h"
#include "speaker/SofaExport.h"
#include "speaker/SofaImport.h"
#include "speaker/SpeakerModel.h"
#include "speaker/SpeakerModelContainer.h"

#include <gtest/gtest.h>
#include <netcdf.h>

#include <cstring>
#include <fstream>

namespace {
using namespace SofaAnalytic;

CSofaImportResult Import(const CTestSofa& file, const CSofaImportOptions& options = {}) {
    const std::vector<unsigned char> bytes = file.Bytes();
    return ImportSofaMemory(bytes.data(), bytes.size(), options, 0, "fallback");
}

// The level the model gives at its reference distance in a direction of its own axes, 1 W.
double ModelLevel(const CSpeakerModel& model, const CVec3& u, double f,
                  const COrientation& aim = {}) {
    CSPComplex p;
    const double r = model.Header().referenceDistance;
    EXPECT_EQ(model.Evaluate(p, u * r, {}, aim, f, 100.0, false, 1.0, false, 0), 0);
    return 20.0 * std::log10(std::hypot(p.re, p.im) / 2e-5);
}

// A small map: every model frequency at a grid of receivers around the speaker.
std::vector<CSPComplex> Map(const std::function<void(CSPComplex&, const CVec3&, double)>& eval,
                            const std::vector<double>& frequencies) {
    std::vector<CSPComplex> out;
    for (double f : frequencies)
        for (double x = -4; x <= 8; x += 1.5)
            for (double y = -5; y <= 5; y += 1.25) {
                CSPComplex p;
                eval(p, {x, y, -1.7}, f);
                out.push_back(p);
            }
    return out;
}
} // namespace

TEST(SofaRoundTrip, StandardSpeakerGivesBackItsBalloonAndMapBitForBit) {
    CTestDir dir;
    auto original = ImportSpeakerText(GenerateVsa(DirectionalSpeaker()));
    ASSERT_TRUE(original);
    const std::string path = dir.Path("wall.sofa");
    ExportSofa(*original, path);
    const CSofaImportResult back = ImportSofaFile(path, {}, 0);
    ASSERT_TRUE(back.model) << back.error;
    const CSpeakerModel& m = *back.model;
    EXPECT_EQ(m.Name(), original->Name());
    EXPECT_EQ(m.Header().pointsPerOctave, original->Header().pointsPerOctave);
    EXPECT_EQ(m.Header().referenceDistance, original->Header().referenceDistance);
    EXPECT_TRUE(SameBits(m.Header().thetaGrid, original->Header().thetaGrid));
    EXPECT_TRUE(SameBits(m.Header().frequencyList, original->Header().frequencyList));
    EXPECT_TRUE(SameBits(m.Balloon(0), original->Balloon(0)));
    EXPECT_NE(back.report.find("the data's own grid"), std::string::npos) << back.report;
    EXPECT_NE(back.report.find("the data's own 1/3-octave grid"), std::string::npos);

    const COrientation aim{25.0, 10.0, 35.0};
    auto mapOf = [&](const CSpeakerModel& model) {
        return Map(
            [&](CSPComplex& p, const CVec3& at, double f) {
                model.Evaluate(p, at, {0.3, -0.2, 2.5}, aim, f, 3.0, false, 40.0, true, 0);
            },
            original->Header().frequencyList);
    };
    const std::vector<CSPComplex> a = mapOf(*original), b = mapOf(m);
    ASSERT_EQ(a.size(), b.size());
    EXPECT_EQ(std::memcmp(a.data(), b.data(), a.size() * sizeof(CSPComplex)), 0);
}

TEST(SofaRoundTrip, EveryAzimuthGridOfSpeakerDataComesBackBitForBit) {
    // One block is an axisymmetric speaker, three leave wide gaps between their columns, and
    // 360/7, 360/11 and 180/7 degrees are angles the receivers' trigonometry can only approach.
    CTestDir dir;
    for (int blocks : {1, 3, 7, 11}) {
        CVsaGenOptions o = DirectionalSpeaker();
        o.phiBlocks = blocks;
        o.thetaCount = 8;
        auto original = ImportSpeakerText(GenerateVsa(o));
        ASSERT_TRUE(original) << blocks;
        ASSERT_EQ(original->Balloon(0).phiCount, blocks + 1);
        const std::string path = dir.Path("blocks" + std::to_string(blocks) + ".sofa");
        ExportSofa(*original, path);
        const CSofaImportResult back = ImportSofaFile(path, {}, 0);
        ASSERT_TRUE(back.model) << blocks << ": " << back.error;
        const CSpeakerModel& m = *back.model;
        EXPECT_TRUE(SameBits(m.Balloon(0), original->Balloon(0))) << blocks;
        EXPECT_TRUE(SameBits(m.Header().thetaGrid, original->Header().thetaGrid)) << blocks;
        EXPECT_TRUE(SameBits(m.Header().frequencyList, original->Header().frequencyList));
        EXPECT_EQ(m.Header().referenceDistance, original->Header().referenceDistance);
        EXPECT_NE(back.report.find("the data's own grid"), std::string::npos) << back.report;
        EXPECT_EQ(back.report.find("all round the main axis") != std::string::npos, blocks == 1)
            << back.report;
        // The same sound everywhere, to the bit.
        for (const CVec3& u : ScatteredDirections(40, static_cast<unsigned>(blocks))) {
            CSPComplex a, b;
            original->Evaluate(a, u * 3.0, {}, {10, 5, 20}, 1000.0, 3.0, false, 10.0, false, 0);
            m.Evaluate(b, u * 3.0, {}, {10, 5, 20}, 1000.0, 3.0, false, 10.0, false, 0);
            ASSERT_EQ(std::memcmp(&a, &b, sizeof a), 0) << blocks;
        }
    }
}

TEST(SofaRoundTrip, ASourceAsymmetricEveryWayComesBackBitForBit) {
    // Up/down, left/right and front/back all differ, so a mirrored or turned axis shows.
    const CSofaImportResult first =
        Import(AnalyticFile(GridDirections(15.0), ModelFrequencies(30, 33, 3)));
    ASSERT_TRUE(first.model) << first.error;
    CTestDir dir;
    ExportSofa(*first.model, dir.Path("analytic.sofa"));
    const CSofaImportResult second = ImportSofaFile(dir.Path("analytic.sofa"), {}, 0);
    ASSERT_TRUE(second.model) << second.error;
    EXPECT_TRUE(SameBits(first.model->Balloon(0), second.model->Balloon(0)));
    EXPECT_TRUE(SameBits(first.model->Header().thetaGrid, second.model->Header().thetaGrid));
    EXPECT_EQ(second.model->Header().referenceDistance, kRadius);
}

TEST(SofaRoundTrip, LineArrayGivesOneMeasurementPerElementAndTheSameMap) {
    CTestDir dir;
    auto array = ImportSpeakerText(GenerateVsa(QL9ArrayOptions()));
    ASSERT_TRUE(array);
    const int elements = static_cast<int>(array->Elements().size());
    ASSERT_GT(elements, 2);
    const std::string path = dir.Path("array.sofa");
    ExportSofa(*array, path);

    std::vector<std::unique_ptr<CSpeakerModel>> parts;
    for (int e = 0; e < elements; ++e) {
        CSofaImportOptions options;
        options.measurement = e;
        CSofaImportResult back = ImportSofaFile(path, options, 0);
        ASSERT_TRUE(back.model) << back.error;
        EXPECT_TRUE(SameBits(back.model->Balloon(0), array->Element(e).Balloon())) << e;
        EXPECT_TRUE(SameBits(back.model->Header().thetaGrid, array->Header().thetaGrid));
        EXPECT_NE(back.report.find("measurement " + std::to_string(e) + " of " +
                                   std::to_string(elements)),
                  std::string::npos);
        parts.push_back(std::move(back.model));
    }
    // The elements installed one by one where the file places and aims them make the array's map.
    const double power = 50.0;
    const std::vector<CSPComplex> whole =
        Map([&](CSPComplex& p, const CVec3& at,
                double f) { array->Evaluate(p, at, {}, {}, f, 3.0, false, power, false, 0); },
            array->Header().frequencyList);
    const std::vector<CSPComplex> summed = Map(
        [&](CSPComplex& p, const CVec3& at, double f) {
            for (int e = 0; e < elements; ++e) {
                const CSPVariableParam& s = array->Element(e).State();
                parts[static_cast<std::size_t>(e)]->Evaluate(p, at, s.position, s.orientation, f,
                                                             3.0, false, s.module.weight * power,
                                                             false, 0);
            }
        },
        array->Header().frequencyList);
    ASSERT_EQ(whole.size(), summed.size());
    for (std::size_t i = 0; i < whole.size(); ++i)
        ASSERT_NEAR(whole[i].Level(), summed[i].Level(), 1e-9) << i;
}

TEST(SofaExport, TiltedElementsAreAimedInTheFileAsOtherReadersSeeIt) {
    // Our own import takes each element's balloon in its own axes and cannot see a wrong
    // SourceView or SourceUp; another reader turns the data by them. Read with the netCDF library
    // and compared with the aim the element's angles describe (azimuth left+, elevation down+,
    // rotation: the top leans right seen from behind).
    CTestDir dir;
    auto array = ImportSpeakerText(GenerateVsa(QL9ArrayOptions()));
    ASSERT_TRUE(array);
    const std::string path = dir.Path("array.sofa");
    ExportSofa(*array, path);
    int id = -1;
    ASSERT_EQ(nc_open(path.c_str(), NC_NOWRITE, &id), NC_NOERR);
    auto read = [&](const char* name) {
        int var = -1;
        std::vector<double> v(array->Elements().size() * 3);
        EXPECT_EQ(nc_inq_varid(id, name, &var), NC_NOERR) << name;
        EXPECT_EQ(nc_get_var_double(id, var, v.data()), NC_NOERR) << name;
        return v;
    };
    const std::vector<double> views = read("SourceView"), ups = read("SourceUp");
    nc_close(id);
    int tilted = 0;
    for (std::size_t e = 0; e < array->Elements().size(); ++e) {
        const COrientation& o = array->Element(static_cast<int>(e)).State().orientation;
        tilted += o.elevation != 0.0;
        const double a = o.azimuth * kDeg, el = o.elevation * kDeg, r = o.rotation * kDeg;
        const CVec3 view{std::cos(el) * std::cos(a), std::cos(el) * std::sin(a), -std::sin(el)};
        const CVec3 up0{std::sin(el) * std::cos(a), std::sin(el) * std::sin(a), std::cos(el)};
        const CVec3 left{-std::sin(a), std::cos(a), 0.0};
        const CVec3 up = up0 * std::cos(r) - left * std::sin(r);
        for (int c = 0; c < 3; ++c) {
            EXPECT_NEAR(views[3 * e + c], c == 0 ? view.x : c == 1 ? view.y : view.z, 1e-12) << e;
            EXPECT_NEAR(ups[3 * e + c], c == 0 ? up.x : c == 1 ? up.y : up.z, 1e-12) << e;
        }
    }
    EXPECT_GT(tilted, 1);
}

TEST(SofaAnalytic, AClassicFileWith64BitDataReadsAsItsNetcdf4Twin) {
    CTestSofa s = AnalyticFile(GridDirections(15.0), ModelFrequencies(30, 33, 3));
    const CSofaImportResult hdf5 = Import(s);
    s.format = CNetCdfFile::EFormat::Cdf5;
    const std::vector<unsigned char> bytes = s.Bytes();
    ASSERT_EQ(std::string(bytes.begin(), bytes.begin() + 3), "CDF");
    ASSERT_EQ(bytes[3], 5);
    const CSofaImportResult cdf5 = ImportSofaMemory(bytes.data(), bytes.size(), {}, 0, "x");
    ASSERT_TRUE(hdf5.model) << hdf5.error;
    ASSERT_TRUE(cdf5.model) << cdf5.error;
    EXPECT_TRUE(SameBits(cdf5.model->Balloon(0), hdf5.model->Balloon(0)));
    EXPECT_EQ(cdf5.model->Name(), "Analytic source");
    EXPECT_EQ(cdf5.report, hdf5.report);
    // Cut short, it says so: in its header and in its data.
    for (std::size_t cut : {std::size_t(40), bytes.size() / 2, bytes.size() - 8}) {
        const CSofaImportResult r = ImportSofaMemory(bytes.data(), cut, {}, 0, "x");
        EXPECT_FALSE(r.model) << cut;
        EXPECT_NE(r.error.find("truncated"), std::string::npos) << cut << ": " << r.error;
    }
}

TEST(SofaAnalytic, RegularGridIsTakenExactlyAndEvaluatesToTheSource) {
    const std::vector<double> f = ModelFrequencies(30, 36, 3);
    const CSofaImportResult r = Import(AnalyticFile(GridDirections(10.0), f));
    ASSERT_TRUE(r.model) << r.error;
    const CSpeakerModel& m = *r.model;
    EXPECT_EQ(m.Header().thetaCount, 19);
    EXPECT_EQ(m.Balloon(0).phiCount, 37);
    EXPECT_EQ(m.Header().referenceDistance, kRadius);
    EXPECT_EQ(m.Name(), "Analytic source");
    ASSERT_EQ(m.Header().frequencyList, f);
    // On the grid: equal to the source; the directions name each asymmetry on its own.
    const std::pair<double, double> onGrid[] = {{0, 0},   {180, 0},  {90, 0},   {90, 180},
                                                {90, 90}, {90, 270}, {40, 130}, {150, 320}};
    for (const auto& [t, p] : onGrid)
        for (double freq : f) {
            const CVec3 u = BalloonDirection(t, p);
            EXPECT_NEAR(ModelLevel(m, u, freq), AnalyticLevel(u, freq), 1e-9) << t << "/" << p;
        }
    // Front louder than back, left than right, down than up, as the source is.
    EXPECT_GT(ModelLevel(m, {1, 0, 0}, f[3]), ModelLevel(m, {-1, 0, 0}, f[3]) + 11.9);
    EXPECT_GT(ModelLevel(m, {0, 1, 0}, f[3]), ModelLevel(m, {0, -1, 0}, f[3]) + 4.9);
    EXPECT_GT(ModelLevel(m, {0, 0, -1}, f[3]), ModelLevel(m, {0, 0, 1}, f[3]) + 2.3);
    // Between grid directions the model's own interpolation stays close.
    for (const CVec3& u : ScatteredDirections(200, 7))
        EXPECT_NEAR(ModelLevel(m, u, f[2]), AnalyticLevel(u, f[2]), 0.35);
}

TEST(SofaAnalytic, VoltageInputIsScaledToOneWattAndTheTapFollowsTheOptions) {
    const std::vector<double> f = ModelFrequencies(30, 32, 3);
    CSofaImportOptions o;
    o.input = CSofaImportOptions::EInput::Voltage;
    o.voltage = 4.0;
    o.nominalImpedance = 4.0; // 4 W
    o.ratedPower = 250.0;
    const CSofaImportResult r = Import(AnalyticFile(GridDirections(15.0), f), o);
    ASSERT_TRUE(r.model) << r.error;
    const CVec3 u = BalloonDirection(45, 90);
    EXPECT_NEAR(ModelLevel(*r.model, u, f[1]), AnalyticLevel(u, f[1]) - 10.0 * std::log10(4.0),
                1e-9);
    ASSERT_EQ(r.model->Settings().taps.size(), 1u);
    EXPECT_TRUE(r.model->Tap(0).lowImpedance);
    EXPECT_EQ(r.model->Tap(0).tapRating, 4.0);
    EXPECT_EQ(r.model->Tap(0).tapPower, 250.0);
    EXPECT_NE(r.report.find("4 V into 4 ohms"), std::string::npos) << r.report;
}

TEST(SofaAnalytic, IrregularReceiversAndFrequenciesAreResampled) {
    // A coarse 20-degree grid and scattered receivers, in cartesian form, at linearly spaced
    // frequencies: neither the directions nor the frequencies are a grid a model holds.
    std::vector<CVec3> directions = GridDirections(20.0);
    for (const CVec3& u : ScatteredDirections(120, 3))
        directions.push_back(u);
    std::vector<double> f;
    for (double x = 100; x <= 1000; x += 50)
        f.push_back(x);
    CTestSofa s = AnalyticFile(directions, f);
    s.receiverType = "cartesian";
    s.receiverUnits = "metre";
    s.receivers.clear();
    for (const CVec3& u : directions)
        s.receivers.push_back({u.x * kRadius, u.y * kRadius, u.z * kRadius});
    s.data = [&](std::size_t, std::size_t r, std::size_t n) {
        return AnalyticPressure(directions[r], f[n]);
    };
    CSofaImportOptions o;
    o.pointsPerOctave = 6;
    o.angleStep = 10.0;
    const CSofaImportResult r = Import(s, o);
    ASSERT_TRUE(r.model) << r.error;
    const CSpeakerModel& m = *r.model;
    EXPECT_EQ(m.Header().pointsPerOctave, 6.0);
    EXPECT_EQ(m.Header().thetaCount, 19);
    EXPECT_EQ(m.Header().frequencyList.front(), ModelFrequency(40, 6)); // 100 Hz
    EXPECT_LE(m.Header().frequencyList.back(), 1000.0);
    EXPECT_GT(ModelFrequency(61, 6), 1000.0);
    EXPECT_EQ(m.Header().frequencyList.back(), ModelFrequency(60, 6)); // 1000 Hz
    EXPECT_NE(r.report.find("frequencies resampled"), std::string::npos) << r.report;
    EXPECT_NE(r.report.find("directions resampled"), std::string::npos) << r.report;
    // Grid directions that are receivers keep their value: level and phase are linear in log
    // frequency, so the frequency resampling is exact too.
    for (double t = 0; t <= 180; t += 20)
        for (double p = 0; p < 360; p += 20)
            for (double freq : m.Header().frequencyList) {
                const CVec3 u = BalloonDirection(t, p);
                ASSERT_NEAR(ModelLevel(m, u, freq), AnalyticLevel(u, freq), 1e-9) << t << "/" << p;
            }
    // Grid directions between receivers, and any direction, within the interpolation's error.
    double worst = 0.0;
    for (const CVec3& u : ScatteredDirections(300, 11))
        worst = std::max(worst, std::abs(ModelLevel(m, u, m.Header().frequencyList[4]) -
                                         AnalyticLevel(u, m.Header().frequencyList[4])));
    EXPECT_LT(worst, 1.0);
    EXPECT_GT(worst, 1e-6); // truly interpolated, not taken

    // Without options the grids are chosen from the data.
    const CSofaImportResult chosen = Import(s);
    ASSERT_TRUE(chosen.model) << chosen.error;
    EXPECT_GE(chosen.model->Header().pointsPerOctave, 2.0);
    EXPECT_LE(chosen.model->Header().pointsPerOctave, 12.0);
    const double step = chosen.model->Header().thetaGrid[1];
    EXPECT_TRUE(step >= 7.5 && step <= 20.0) << step;
}

TEST(SofaFrames, TurnedSourceWithItsReceiversGivesTheSameBalloon) {
    const std::vector<double> f = ModelFrequencies(30, 33, 3);
    const CTestSofa plain = AnalyticFile(GridDirections(15.0), f);
    const CSofaImportResult a = Import(plain);
    ASSERT_TRUE(a.model) << a.error;

    // Turned 90 degrees to the left, receivers turned with it.
    CTestSofa left = plain;
    left.sourceView = {{0, 1, 0}};
    left.receiverType = "cartesian";
    left.receiverUnits = "metre";
    for (auto& r : left.receivers) {
        const CVec3 u = FromSpherical(r) * kRadius;
        r = {-u.y, u.x, u.z};
    }
    left.data = plain.data;
    // Aimed up with its top to the back: view +z, up -x.
    CTestSofa upward = left;
    upward.sourceView = {{0, 0, 1}};
    upward.sourceUp = {{-1, 0, 0}};
    for (std::size_t i = 0; i < upward.receivers.size(); ++i) {
        const CVec3 u = FromSpherical(plain.receivers[i]) * kRadius;
        upward.receivers[i] = {-u.z, u.y, u.x};
    }
    for (const CTestSofa* turned : {&left, &upward}) {
        const CSofaImportResult b = Import(*turned);
        ASSERT_TRUE(b.model) << b.error;
        EXPECT_TRUE(SameBits(a.model->Balloon(0), b.model->Balloon(0)));
        EXPECT_TRUE(SameBits(a.model->Header().thetaGrid, b.model->Header().thetaGrid));
    }
}

TEST(SofaFrames, TurnedSourceWithFixedReceiversIsTheSpeakerTurned) {
    // The receivers stay where they were; the source looks along +y. Installed turned 90 degrees
    // to the left, the model must radiate into the room as the source did.
    const std::vector<double> f = ModelFrequencies(30, 31, 3);
    CTestSofa s = AnalyticFile(GridDirections(10.0), f);
    s.sourceView = {{0, 1, 0}};
    CSofaImportOptions o;
    o.angleStep = 10.0;
    const CSofaImportResult r = Import(s, o);
    ASSERT_TRUE(r.model) << r.error;
    const COrientation left{90.0, 0.0, 0.0};
    double worst = 0.0;
    for (const CVec3& w : ScatteredDirections(200, 5))
        worst =
            std::max(worst, std::abs(ModelLevel(*r.model, w, f[1], left) - AnalyticLevel(w, f[1])));
    EXPECT_LT(worst, 0.6);
    // Unturned it would be wrong by the source's left/right and front/back difference.
    EXPECT_GT(std::abs(ModelLevel(*r.model, {1, 0, 0}, f[1]) - AnalyticLevel({1, 0, 0}, f[1])),
              3.0);
}

TEST(SofaMeasurements, TheChosenMeasurementIsImportedAndTheOthersListed) {
    const std::vector<double> f = ModelFrequencies(30, 31, 3);
    CTestSofa s = AnalyticFile(GridDirections(30.0), f);
    s.M = 3;
    s.sourcePosition = {{0, 0, 0}, {0, 0, -0.25}, {0, 0, -0.5}};
    s.listenerPosition = s.sourcePosition;
    s.sourceView = {{1, 0, 0}, {1, 0, 0}, {1, 0, 0}};
    s.sourceUp = {{0, 0, 1}, {0, 0, 1}, {0, 0, 1}};
    const auto base = s.data;
    s.data = [base](std::size_t m, std::size_t r, std::size_t n) {
        return base(m, r, n) * double(m + 1);
    };
    CSofaImportOptions o;
    o.measurement = 2;
    const CSofaImportResult r = Import(s, o);
    ASSERT_TRUE(r.model) << r.error;
    const CVec3 u{1, 0, 0};
    EXPECT_NEAR(ModelLevel(*r.model, u, f[0]), AnalyticLevel(u, f[0]) + 20 * std::log10(3.0), 1e-9);
    EXPECT_NE(r.report.find("measurement 2 of 3"), std::string::npos) << r.report;
    EXPECT_NE(r.report.find("0 at (0, 0, 0), 1 at (0, 0, -0.25)"), std::string::npos) << r.report;
}

// Each bad file is refused with the name of what is wrong, and nothing comes back.
TEST(SofaBadInput, EachFaultIsNamedAndNothingIsImported) {
    const std::vector<double> f = ModelFrequencies(30, 32, 3);
    const CTestSofa good = AnalyticFile(GridDirections(30.0), f);
    ASSERT_TRUE(Import(good).model) << Import(good).error;
    struct CCase {
        const char* what;
        std::function<void(CTestSofa&)> spoil;
        const char* named;
        CSofaImportOptions options = {};
    };
    const double nan = std::nan("");
    const std::vector<CCase> cases = {
        {"other convention",
         [](CTestSofa& s) { s.globals["SOFAConventions"] = "SimpleFreeFieldHRIR"; },
         "GLOBAL:SOFAConventions"},
        {"not SOFA", [](CTestSofa& s) { s.globals.erase("Conventions"); }, "GLOBAL:Conventions"},
        {"later SOFA", [](CTestSofa& s) { s.globals["Version"] = "3.0"; }, "GLOBAL:Version"},
        {"impulse responses", [](CTestSofa& s) { s.globals["DataType"] = "FIR"; },
         "GLOBAL:DataType"},
        {"no imaginary part", [](CTestSofa& s) { s.omit = {"Data.Imag"}; }, "Data.Imag"},
        {"no receivers", [](CTestSofa& s) { s.omit = {"ReceiverPosition"}; }, "ReceiverPosition"},
        {"no frequencies", [](CTestSofa& s) { s.omit = {"N"}; }, "variable N"},
        {"no source position", [](CTestSofa& s) { s.omit = {"SourcePosition"}; }, "SourcePosition"},
        {"imaginary part of other length", [](CTestSofa& s) { s.imagFrequencies = 2; },
         "Data.Imag"},
        {"NaN in the data",
         [nan](CTestSofa& s) {
             auto base = s.data;
             s.data = [base, nan](std::size_t m, std::size_t r, std::size_t n) {
                 return r == 5 && n == 1 ? Complex(nan, 0.0) : base(m, r, n);
             };
         },
         "Data.Real"},
        {"infinity in the data",
         [](CTestSofa& s) {
             auto base = s.data;
             s.data = [base](std::size_t m, std::size_t r, std::size_t n) {
                 return r == 0 ? Complex(1.0, HUGE_VAL) : base(m, r, n);
             };
         },
         "Data.Imag"},
        {"NaN receiver", [nan](CTestSofa& s) { s.receivers[3][1] = nan; }, "ReceiverPosition"},
        {"front half only",
         [](CTestSofa& s) {
             for (auto& r : s.receivers)
                 r[0] = std::fmod(r[0], 180.0) * 0.5; // azimuths folded into 0..90
         },
         "do not cover"},
        {"two radii", [](CTestSofa& s) { s.receivers[4][2] = 3.0; }, "ReceiverPosition"},
        {"radians", [](CTestSofa& s) { s.receiverUnits = "radian, radian, metre"; },
         "ReceiverPosition:Units"},
        {"unknown coordinates", [](CTestSofa& s) { s.receiverType = "spherical harmonics"; },
         "ReceiverPosition:Type"},
        {"descending frequencies",
         [](CTestSofa& s) { std::swap(s.frequencies[0], s.frequencies[1]); }, "variable N"},
        {"negative frequency", [](CTestSofa& s) { s.frequencies[0] = -100.0; }, "variable N"},
        {"frequency no model holds", [](CTestSofa& s) { s.frequencies.back() = 1e25; },
         "frequency 2 (1e+25 Hz) lies outside 1 Hz to 100 kHz"},
        {"frequency below 1 Hz", [](CTestSofa& s) { s.frequencies[0] = 0.5; },
         "frequency 0 (0.5 Hz) lies outside 1 Hz to 100 kHz"},
        {"denormal pressure",
         [](CTestSofa& s) {
             auto base = s.data;
             s.data = [base](std::size_t m, std::size_t r, std::size_t n) {
                 return r == 7 && n == 2 ? Complex(0.0, 4.9e-320) : base(m, r, n);
             };
         },
         "(measurement 0, receiver 7, frequency 2), a denormal number"},
        {"pressure whose square overflows",
         [](CTestSofa& s) {
             auto base = s.data;
             s.data = [base](std::size_t m, std::size_t r, std::size_t n) {
                 return r == 2 ? Complex(-3e200, 0.0) : base(m, r, n);
             };
         },
         "the pressure 3e+200 Pa (measurement 0, receiver 2, frequency 0)"},
        {"silence",
         [](CTestSofa& s) {
             s.data = [](std::size_t, std::size_t, std::size_t) { return Complex(0.0, 0.0); };
         },
         "hold only zeros"},
        {"view along up",
         [](CTestSofa& s) {
             s.sourceUp = {{2, 0, 0}};
         },
         "SourceView"},
        {"zero view",
         [](CTestSofa& s) {
             s.sourceView = {{0, 0, 0}};
         },
         "SourceView"},
        {"missing measurement", [](CTestSofa&) {}, "dimension M",
         [] {
             CSofaImportOptions o;
             o.measurement = 1;
             return o;
         }()},
    };
    for (const CCase& c : cases) {
        CTestSofa s = good;
        s.data = good.data;
        c.spoil(s);
        const CSofaImportResult r = Import(s, c.options);
        EXPECT_FALSE(r.model) << c.what;
        EXPECT_NE(r.error.find(c.named), std::string::npos) << c.what << ": " << r.error;
    }
    // A null of the pattern is no silence: zeros where the data end import.
    CTestSofa nulls = good;
    const std::size_t last = good.receivers.size() - 1;
    nulls.data = [base = good.data, last](std::size_t m, std::size_t r, std::size_t n) {
        return r == last ? Complex(0.0, 0.0) : base(m, r, n);
    };
    const CSofaImportResult withNulls = Import(nulls);
    EXPECT_TRUE(withNulls.model) << withNulls.error;
}

TEST(SofaBadInput, DamagedFilesAndOptionsAreRefused) {
    CTestDir dir;
    // Large enough that the data lie beyond the library's first block of 64 KiB.
    const std::vector<unsigned char> bytes =
        AnalyticFile(GridDirections(5.0), ModelFrequencies(20, 50, 3)).Bytes();
    ASSERT_GT(bytes.size(), 100000u);
    for (std::size_t cut : {bytes.size() / 2, bytes.size() / 10 * 9, std::size_t(8)}) {
        const CSofaImportResult r = ImportSofaMemory(bytes.data(), cut, {}, 0, "x");
        EXPECT_FALSE(r.model) << cut;
        EXPECT_FALSE(r.error.empty()) << cut;
        // Once the header is whole, the message says what is wrong with the file.
        if (cut > 100) {
            EXPECT_NE(r.error.find("truncated"), std::string::npos) << cut << ": " << r.error;
        }
    }
    {
        std::ofstream(dir.Path("text.sofa")) << "Version 1.0.0\n0\n";
        const CSofaImportResult r = ImportSofaFile(dir.Path("text.sofa"), {}, 0);
        EXPECT_FALSE(r.model);
        EXPECT_NE(r.error.find("not a netCDF file"), std::string::npos) << r.error;
    }
    CSofaImportOptions o;
    o.nominalImpedance = 0.0;
    EXPECT_NE(CheckSofaImportOptions(o).find("impedance"), std::string::npos);
    o = {};
    o.angleStep = 7.0;
    EXPECT_NE(CheckSofaImportOptions(o).find("angle step"), std::string::npos);
    o = {};
    o.input = CSofaImportOptions::EInput::Voltage;
    o.voltage = -1.0;
    EXPECT_NE(CheckSofaImportOptions(o).find("voltage"), std::string::npos);
    EXPECT_FALSE(ImportSofaMemory(bytes.data(), bytes.size(), o, 0, "x").model);
    EXPECT_TRUE(CheckSofaImportOptions({}).empty());
}

TEST(SofaExport, ModelWithoutDataIsRefusedAndTheOldFileKept) {
    CTestDir dir;
    const std::string path = dir.Path("kept.sofa");
    std::ofstream(path) << "old";
    auto model = CSpeakerModelContainer::CreateModel(0);
    EXPECT_THROW(ExportSofa(*model, path), CSofaError);
    std::ifstream in(path);
    std::string text;
    in >> text;
    EXPECT_EQ(text, "old");
}
