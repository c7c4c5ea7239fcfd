// export-sofa and the import of open directivity files from the command line.
#include "CliFixture.h"
#include "SpeakerFixtures.h"

#include <cstring>

namespace {
class CliSofa : public CliFixture {};
} // namespace

TEST_F(CliSofa, ExportedSpeakerImportsWithTheGivenTapAndTheSameBalloon) {
    const std::string text = GenerateVsa(DirectionalSpeaker());
    const std::string vsa = Write("wall.vsa", text);
    ASSERT_EQ(Cli("new " + P("p.tdax")).status, 0);
    const CliRun exported = Cli("export-sofa " + vsa + " " + P("wall.sofa"));
    ASSERT_EQ(exported.status, 0) << exported.err;
    EXPECT_NE(exported.out.find("(1 element)"), std::string::npos) << exported.out;

    const CliRun imported = Cli("import " + P("p.tdax") + " " + P("wall.sofa") +
                                " --sofa-power 250 --sofa-impedance 4 --sofa-input 4V");
    ASSERT_EQ(imported.status, 0) << imported.err;
    EXPECT_NE(imported.err.find("4 V into 4 ohms"), std::string::npos) << imported.err;
    const auto doc = Reopen(P("p.tdax"));
    ASSERT_EQ(doc->Models().Count(), 1);
    const CSpeakerModel& m = doc->Models().At(0);
    ASSERT_EQ(m.Settings().taps.size(), 1u);
    EXPECT_EQ(m.Tap(0).tapPower, 250.0);
    EXPECT_EQ(m.Tap(0).tapRating, 4.0);
    EXPECT_TRUE(m.Tap(0).lowImpedance);
    // 4 V into 4 ohms is 4 W: every pressure is halved to hold for 1 W.
    const auto original = ImportSpeakerText(text);
    ASSERT_TRUE(original);
    const auto& a = original->Balloon(0).data;
    const auto& b = m.Balloon(0).data;
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        ASSERT_EQ(b[i].re, a[i].re * 0.5) << i;
        ASSERT_EQ(b[i].im, a[i].im * 0.5) << i;
    }

    // From the project again, by index.
    const CliRun again = Cli("export-sofa " + P("p.tdax") + " " + P("again.sofa") + " --model 0");
    ASSERT_EQ(again.status, 0) << again.err;
}

TEST_F(CliSofa, RefusalsNameTheProblemAndChangeNothing) {
    const std::string vsa = Write("wall.vsa", GenerateVsa(DirectionalSpeaker()));
    ASSERT_EQ(Cli("new " + P("p.tdax")).status, 0);
    const std::string project = Read(P("p.tdax"));
    const std::string kept = Write("kept.sofa", "old");

    CliRun r = Cli("export-sofa " + vsa + " " + kept);
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("use --force"), std::string::npos) << r.err;
    EXPECT_EQ(Read(kept), "old");

    r = Cli("export-sofa " + P("p.tdax") + " " + P("none.sofa"));
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("holds no speaker model"), std::string::npos) << r.err;

    ASSERT_EQ(Cli("import " + P("p.tdax") + " " + vsa).status, 0);
    r = Cli("export-sofa " + P("p.tdax") + " " + P("none.sofa") + " --model 3");
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("model 3 does not exist"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(P("none.sofa")));

    ASSERT_EQ(Cli("export-sofa " + vsa + " " + P("wall.sofa")).status, 0);
    const std::string withModel = Read(P("p.tdax"));
    for (const char* bad : {"--sofa-input 0V", "--sofa-input 3A", "--sofa-power nan",
                            "--sofa-impedance -8", "--sofa-measurement 2", "--sofa-angle-step 7"}) {
        r = Cli("import " + P("p.tdax") + " " + P("wall.sofa") + " " + bad);
        EXPECT_NE(r.status, 0) << bad;
        EXPECT_FALSE(r.err.empty()) << bad;
        EXPECT_EQ(Read(P("p.tdax")), withModel) << bad;
    }
    EXPECT_NE(project, withModel);
}

// The netCDF library runs in a separate reader: whether it crashes, loops or allocates without
// end, the import is refused naming the file, the project and its lock stay as they were, and
// the next command takes the lock at once.
TEST_F(CliSofa, AReaderThatCrashesHangsOrRunsOutOfMemoryLeavesTheProjectAndItsLock) {
    const std::string vsa = Write("wall.vsa", GenerateVsa(DirectionalSpeaker()));
    ASSERT_EQ(Cli("new " + P("p.tdax")).status, 0);
    ASSERT_EQ(Cli("import " + P("p.tdax") + " " + vsa).status, 0);
    ASSERT_EQ(Cli("export-sofa " + vsa + " " + P("wall.sofa")).status, 0);
    const std::string project = Read(P("p.tdax"));
    // Only the sleeping reader meets the wall-time limit: a busy machine stretches a processor
    // second.
    const std::string limits = "DAXARA_SOFA_CPU_SECONDS=1 DAXARA_SOFA_MEMORY_MIB=256 ";
    const std::pair<const char*, const char*> faults[] = {
        {"crash", "crashed with signal 11 (SIGSEGV)"},
        {"spin", "took longer than 1 second of processor time"},
        {"sleep", "took longer than 2 seconds"},
        {"hog", "needed more memory than 256 MiB"},
    };
    for (const auto& [fault, said] : faults) {
        const std::string wall = std::string(fault) == "sleep" ? "2" : "120";
        const CliRun r = Shell(limits + "DAXARA_SOFA_WALL_SECONDS=" + wall +
                               " DAXARA_SOFA_READER_FAULT=" + fault + " $CLI import " +
                               P("p.tdax") + " " + P("wall.sofa"));
        EXPECT_NE(r.status, 0) << fault;
        EXPECT_NE(r.err.find("The speaker data " + P("wall.sofa") +
                             " could not be imported: the file could not be read safely: "
                             "reading it " +
                             said),
                  std::string::npos)
            << fault << ": " << r.err;
        EXPECT_EQ(Read(P("p.tdax")), project) << fault;
        EXPECT_EQ(Debris({"p.tdax", "wall.vsa", "wall.sofa"}), std::vector<std::string>{})
            << fault;
    }
    const CliRun after = Cli("import " + P("p.tdax") + " " + P("wall.sofa"));
    ASSERT_EQ(after.status, 0) << after.err;
    EXPECT_EQ(Reopen(P("p.tdax"))->Models().Count(), 2);
}
