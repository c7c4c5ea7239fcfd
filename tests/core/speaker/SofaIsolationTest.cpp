// Open directivity files read by the separate reader program: the same model as a read in this
// process, bit for bit; and a crash, a hang or a memory bomb in the reader (forced, or found by
// fuzzing the netCDF library) as a refusal that says so.
#include "SofaAnalytic.h"
#include "SpeakerFixtures.h"
#include "TestDir.h"
#include "speaker/SofaExport.h"
#include "speaker/SofaReaderProcess.h"
#include "speaker/SpeakerModel.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {
using namespace SofaAnalytic;

void WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Sets an environment variable for the reader this test starts, and clears it after.
class CScopedVariable {
public:
    CScopedVariable(const char* name, const std::string& value) : m_name(name) {
        ::setenv(name, value.c_str(), 1);
    }
    ~CScopedVariable() { ::unsetenv(m_name); }
    CScopedVariable(const CScopedVariable&) = delete;
    CScopedVariable& operator=(const CScopedVariable&) = delete;

private:
    const char* m_name;
};

// Short limits: each fault is ended by the limit it meets, in a second or two; the wall-time
// limit is far off unless it is the one tried, as a busy machine stretches a processor second.
CSofaReaderLimits Short(double wallSeconds = 120.0) {
    CSofaReaderLimits l;
    l.cpuSeconds = 1.0;
    l.wallSeconds = wallSeconds;
    l.memoryBytes = std::size_t(128) << 20;
    return l;
}

const char* kUnsafe = "the file could not be read safely: ";
} // namespace

TEST(SofaIsolation, TheReaderGivesTheModelAndReportOfAReadInThisProcess) {
    // Irregular receivers and frequencies with every option set, so each option has to travel
    // to the reader exactly to give the same resampled model.
    std::vector<CVec3> directions = GridDirections(20.0);
    for (const CVec3& u : ScatteredDirections(80, 3))
        directions.push_back(u);
    std::vector<double> f;
    for (double x = 100; x <= 800; x += 70)
        f.push_back(x);
    CTestSofa s = AnalyticFile(directions, f);
    s.M = 2;
    s.sourcePosition = {{0, 0, 0}, {0, 0, -0.3}};
    s.listenerPosition = s.sourcePosition;
    s.sourceView = {{1, 0, 0}, {1, 0.2, 0}};
    s.sourceUp = {{0, 0, 1}, {0, 0, 1}};
    CTestDir dir;
    const std::string path = dir.Path("Irregular source.sofa");
    WriteBytes(path, s.Bytes());
    CSofaImportOptions o;
    o.input = CSofaImportOptions::EInput::Voltage;
    o.voltage = 2.83;
    o.nominalImpedance = 6.0;
    o.ratedPower = 150.0;
    o.measurement = 1;
    o.pointsPerOctave = 12;
    o.angleStep = 7.5;
    const CSofaImportResult here = ImportSofaFile(path, o, 1);
    const CSofaImportResult there = ImportSofaIsolated(path, o, 1);
    ASSERT_TRUE(here.model) << here.error;
    ASSERT_TRUE(there.model) << there.error;
    const CSpeakerModel& a = *here.model;
    const CSpeakerModel& b = *there.model;
    EXPECT_EQ(there.report, here.report);
    EXPECT_EQ(b.Name(), a.Name());
    EXPECT_EQ(b.Settings().lengthUnit, 1);
    EXPECT_EQ(b.Header().pointsPerOctave, 12.0);
    EXPECT_EQ(b.Header().referenceDistance, a.Header().referenceDistance);
    EXPECT_TRUE(SameBits(b.Header().frequencyList, a.Header().frequencyList));
    EXPECT_TRUE(SameBits(b.Header().thetaGrid, a.Header().thetaGrid));
    EXPECT_EQ(b.Header().thetaGrid[1], 7.5);
    EXPECT_TRUE(SameBits(b.Balloon(0), a.Balloon(0)));
    ASSERT_EQ(b.Settings().taps.size(), 1u);
    EXPECT_EQ(b.Tap(0).tapRating, 6.0);
    EXPECT_EQ(b.Tap(0).tapPower, 150.0);
    EXPECT_NE(there.report.find("2.83 V into 6 ohms"), std::string::npos) << there.report;
    EXPECT_NE(there.report.find("measurement 1 of 2"), std::string::npos) << there.report;

    // A file without a title is named after the file, as in this process.
    CTestSofa untitled = AnalyticFile(GridDirections(30.0), ModelFrequencies(30, 31, 3));
    untitled.globals.erase("Title");
    WriteBytes(dir.Path("wall 4.sofa"), untitled.Bytes());
    const CSofaImportResult named = ImportSofaIsolated(dir.Path("wall 4.sofa"), {}, 0);
    ASSERT_TRUE(named.model) << named.error;
    EXPECT_EQ(named.model->Name(), "wall 4");
}

TEST(SofaIsolation, RefusalsCarryTheReadersReasonOrTheirOwn) {
    CTestDir dir;
    CTestSofa other = AnalyticFile(GridDirections(30.0), ModelFrequencies(30, 31, 3));
    other.globals["SOFAConventions"] = "GeneralTF";
    WriteBytes(dir.Path("general.sofa"), other.Bytes());
    const CSofaImportResult here = ImportSofaFile(dir.Path("general.sofa"), {}, 0);
    const CSofaImportResult there = ImportSofaIsolated(dir.Path("general.sofa"), {}, 0);
    EXPECT_FALSE(there.model);
    EXPECT_EQ(there.error, here.error);
    EXPECT_NE(there.error.find("GLOBAL:SOFAConventions"), std::string::npos) << there.error;

    std::ofstream(dir.Path("text.sofa")) << "Version 1.0.0\n";
    EXPECT_NE(ImportSofaIsolated(dir.Path("text.sofa"), {}, 0).error.find("not a netCDF file"),
              std::string::npos);
    EXPECT_NE(ImportSofaIsolated(dir.Path("none.sofa"), {}, 0).error.find("cannot be opened"),
              std::string::npos);
    CSofaImportOptions bad;
    bad.ratedPower = -1.0;
    EXPECT_NE(ImportSofaIsolated(dir.Path("general.sofa"), bad, 0).error.find("rated power"),
              std::string::npos);

    // Without its reader program nothing is read in this process instead.
    const CScopedVariable missing(kSofaReaderVariable, dir.Path("no-reader"));
    const CSofaImportResult r = ImportSofaIsolated(dir.Path("general.sofa"), {}, 0);
    EXPECT_FALSE(r.model);
    EXPECT_EQ(r.error.rfind(kUnsafe, 0), 0u) << r.error;
    EXPECT_NE(r.error.find(dir.Path("no-reader")), std::string::npos) << r.error;
}

TEST(SofaIsolation, ACrashAHangAndAMemoryBombEndAsRefusalsSayingWhich) {
    CTestDir dir;
    const std::string path = dir.Path("good.sofa");
    WriteBytes(path, AnalyticFile(GridDirections(30.0), ModelFrequencies(30, 31, 3)).Bytes());
    ASSERT_TRUE(ImportSofaIsolated(path, {}, 0, Short()).model);
    const std::pair<const char*, const char*> faults[] = {
        {"crash", "reading it crashed with signal 11 (SIGSEGV)"},
        {"spin", "reading it took longer than 1 second of processor time"},
        {"sleep", "reading it took longer than 2 seconds"},
        {"hog", "reading it needed more memory than 128 MiB"},
    };
    for (const auto& [fault, said] : faults) {
        const CScopedVariable inject("DAXARA_SOFA_READER_FAULT", fault);
        const CSofaImportResult r =
            ImportSofaIsolated(path, {}, 0, Short(std::string(fault) == "sleep" ? 2.0 : 120.0));
        EXPECT_FALSE(r.model) << fault;
        EXPECT_EQ(r.error, kUnsafe + std::string(said)) << fault;
    }

    // A real file that asks for more than the limit: 7082 receivers x 4096 frequencies of data
    // the file never wrote (the library fills them in), about 450 MiB once read.
    CTestSofa large = AnalyticFile(GridDirections(3.0), {});
    for (int i = 1; i <= 4096; ++i)
        large.frequencies.push_back(10.0 * i);
    large.dataUnwritten = true;
    WriteBytes(dir.Path("large.sofa"), large.Bytes());
    ASSERT_LT(std::filesystem::file_size(dir.Path("large.sofa")), 1u << 20);
    const CSofaImportResult r = ImportSofaIsolated(dir.Path("large.sofa"), {}, 0, Short());
    EXPECT_FALSE(r.model);
    EXPECT_EQ(r.error, kUnsafe + std::string("reading it needed more memory than 128 MiB"));
}

TEST(SofaIsolation, ManyReceiversOnOneConeAreRefusedForTheirCoverageNotTheirNumber) {
    // 2^17 receivers at one angle from the main axis, each a neighbour of the next: every
    // direction's nearest receiver lies among all of them in theta.
    CTestDir dir;
    CTestSofa ring;
    ring.frequencies = ModelFrequencies(30, 31, 3);
    const int count = 1 << 17;
    for (int i = 0; i < count; ++i)
        ring.receivers.push_back({90.0, -180.0 + 360.0 * i / count, 1.0});
    ring.dataUnwritten = true;
    WriteBytes(dir.Path("ring.sofa"), ring.Bytes());
    CSofaReaderLimits limits;
    limits.cpuSeconds = 10.0;
    limits.wallSeconds = 60.0;
    const CSofaImportResult r = ImportSofaIsolated(dir.Path("ring.sofa"), {}, 0, limits);
    EXPECT_FALSE(r.model);
    EXPECT_NE(r.error.find("the receivers do not cover the sphere"), std::string::npos) << r.error;
}

// Inputs found by fuzzing that crashed the netCDF library or looped inside it: each must come
// back as a refusal, the reader ended by its limits at the latest.
TEST(SofaIsolation, InputsThatOnceCrashedOrHungTheLibraryAreRefused) {
    const std::filesystem::path folder =
        std::filesystem::path(DAXARA_SOURCE_TREE) / "fuzz" / "regressions" / "sofa_reader";
    std::vector<std::filesystem::path> inputs;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        inputs.push_back(entry.path());
    ASSERT_GE(inputs.size(), 5u);
    // The readers of the hanging ones are ended by the processor-time limit.
    CSofaReaderLimits limits;
    limits.cpuSeconds = 1.0;
    limits.wallSeconds = 30.0;
    limits.memoryBytes = std::size_t(1) << 30;
    for (const auto& input : inputs) {
        const auto start = std::chrono::steady_clock::now();
        const CSofaImportResult r = ImportSofaIsolated(input.string(), {}, 0, limits);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        EXPECT_FALSE(r.model) << input;
        EXPECT_FALSE(r.error.empty()) << input;
        // The wall-time limit ends every reader; a few seconds more for starting and waiting.
        EXPECT_LT(seconds, limits.wallSeconds + 5.0) << input << ": " << r.error;
    }
}
