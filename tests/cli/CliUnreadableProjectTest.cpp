// A project daxara-cli cannot read fully is never written: every command fails and leaves the
// file's bytes, and the directory, as they were.
#include "ByteWriter.h"
#include "CliFixture.h"
#include "SpeakerFixtures.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

namespace fs = std::filesystem;

namespace {
class CliUnreadableProject : public CliFixture {
protected:
    std::string speaker;
    std::vector<std::uint8_t> body; // a good project's body, after tag and version

    void SetUp() override {
        const std::string good = P("good.tdax");
        ASSERT_EQ(Cli("new " + good + " --room 10,8,4").status, 0);
        speaker = Write("c.vsa", GenerateVsa(DirectionalSpeaker(1, 3)));
        ASSERT_EQ(Cli("import " + good + " " + speaker).status, 0);
        ASSERT_EQ(Cli("install " + good + " --at 5,4,4").status, 0);
        const std::string bytes = Read(good);
        body.assign(bytes.begin() + 13, bytes.end());
        fs::remove(good);
    }

    std::string Current(std::uint32_t version) const {
        CByteWriter w;
        w.Raw("VELDAXDoc", 9).Dword(version).Raw(body.data(), body.size());
        return std::string(w.bytes.begin(), w.bytes.end());
    }
    std::string Legacy(const std::string& versionText) const {
        CByteWriter w;
        w.String(versionText).Raw(body.data(), body.size());
        return std::string(w.bytes.begin(), w.bytes.end());
    }

    // Every command that reads the project; the first six would save it.
    std::vector<std::string> Commands(const std::string& project) const {
        return {"import " + project + " " + speaker,
                "install " + project + " --at 1,1,3",
                "install " + project + " --at 1,2,3 --aim 1,2,3 --power 2 --reverse",
                "auto-install " + project,
                "plane " + project + " --origin 0,0,1 --extent 5,4,0 --pitch 0.5",
                "map " + project + " --save",
                "map " + project,
                "spectrum " + project + " --at 1,1,1",
                "info " + project + " --json"};
    }

    std::set<std::string> Listing() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir.Root()))
            if (entry.path().filename() != "stderr.txt")
                names.insert(entry.path().filename().string());
        return names;
    }
};
} // namespace

TEST_F(CliUnreadableProject, EveryCommandFailsAndTheFileStaysAsItWas) {
    struct Input {
        std::string name, bytes, message;
    };
    const std::string whole = Current(0x02000000);
    const std::string legacyWhole = Legacy("Version 2.0.0");
    const std::vector<Input> inputs = {
        {"unknown.tdax", Current(0x01020000), "Not available file."},
        {"future.tdax", Current(0x02020000), "written by a later version of Daxara"},
        {"records-cut.tdax", Current(0x02010000), "Failed to open document."},
        {"unknown.dax", Legacy("Version 1.2.0"), "Not available file."},
        {"unmarked.dax", Legacy("version 1.4.2"), "Not available file."},
        {"truncated.tdax", whole.substr(0, whole.size() / 2), "Failed to open document."},
        {"header-only.tdax", whole.substr(0, 13), "Failed to open document."},
        {"truncated.dax", legacyWhole.substr(0, legacyWhole.size() - 1),
         "Failed to open document."},
        {"legacy-as-current.tdax", legacyWhole, "Failed to open document."},
    };
    for (const Input& input : inputs) {
        const std::string project = Write(input.name, input.bytes);
        const std::set<std::string> before = Listing();
        for (const std::string& args : Commands(project)) {
            SCOPED_TRACE(args);
            const CliRun r = Cli(args);
            EXPECT_NE(r.status, 0);
            EXPECT_NE(r.err.find(project), std::string::npos) << r.err;
            EXPECT_NE(r.err.find(input.message), std::string::npos) << r.err;
            EXPECT_EQ(Read(project), input.bytes);
            EXPECT_EQ(Listing(), before); // no sibling written, no temporary file left
        }
    }
}

TEST_F(CliUnreadableProject, AReadableLegacyFileIsSavedBesideItAndKept) {
    const std::string bytes = Legacy("Version 2.0.0");
    const std::string legacy = Write("room.dax", bytes);
    const CliRun r = Cli("install " + legacy + " --at 2,3,4 --power 2.5");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Read(legacy), bytes);
    const auto migrated = Reopen(P("room.tdax"));
    ASSERT_EQ(migrated->Room().Count(), 2);
    EXPECT_EQ(migrated->Room().At(1)->power, 2.5);
}
