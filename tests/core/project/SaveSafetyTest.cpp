// What the document flows do so that a save, an import or a map never loses or misreports a
// planner's work: replacing other files, files changed on disk, the plane size limit, numbers
// that are not finite, cut speaker data and the messages that name the cause.
#include "FakePorts.h"
#include "FileBytes.h"
#include "SceneFixtures.h"
#include "TestDir.h"
#include "common/Archive.h"
#include "common/LineReader.h"
#include "project/ColorMapViewModel.h"
#include "project/ProjectFile.h"
#include "project/Strings.h"
#include "project/forms/InstallationForm.h"
#include "project/forms/RoomParametersForm.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
// Remembers the replace questions and answers them from a script (OK when none is left).
class CReplaceMessages : public CScriptedMessages {
public:
    std::vector<std::pair<EReplace, std::string>> replaceQuestions;
    std::deque<bool> replaceAnswers;
    bool ConfirmReplace(EReplace why, const std::string& file, const std::string& text) override {
        replaceQuestions.emplace_back(why, file);
        asked.push_back(text);
        if (replaceAnswers.empty())
            return true;
        const bool a = replaceAnswers.front();
        replaceAnswers.pop_front();
        return a;
    }
};

class SaveSafety : public testing::Test {
protected:
    CTestDir dir;
    CReplaceMessages messages;
    CScriptedDialogs dialogs;
    CProjectFileStorage storage;
    CMemorySettings settings;

    std::string P(const std::string& name) const { return dir.Path(name); }
    CDocumentPorts Ports() {
        CDocumentPorts ports;
        ports.messages = &messages;
        ports.dialogs = &dialogs;
        ports.storage = &storage;
        ports.settings = &settings;
        return ports;
    }
    std::unique_ptr<CDAXDoc> NewDoc() { return std::make_unique<CDAXDoc>(0, Ports()); }
    std::unique_ptr<CDAXDoc> OpenDoc(const std::string& path) {
        auto doc = NewDoc();
        std::string error;
        EXPECT_TRUE(ProjectFile::Open(path, *doc, error)) << error;
        return doc;
    }
};

TEST_F(SaveSafety, TheNewExtensionNeverReplacesAnotherProjectWithoutAsking) {
    WriteFileBytes(P("hall.tdax"), "an unrelated project");
    auto doc = NewDoc();
    doc->SetPathName(P("hall.dax"));
    messages.replaceAnswers = {false};
    EXPECT_FALSE(doc->SaveProject());
    ASSERT_EQ(messages.replaceQuestions.size(), 1u);
    EXPECT_EQ(messages.replaceQuestions[0].first, CMessagePort::EReplace::OtherFile);
    EXPECT_EQ(messages.replaceQuestions[0].second, P("hall.tdax"));
    EXPECT_NE(messages.asked.back().find(P("hall.tdax") + " already exists"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(P("hall.tdax")), "an unrelated project");
    EXPECT_EQ(doc->PathName(), P("hall.dax")); // declined: the document keeps its name
    EXPECT_TRUE(messages.informed.empty());
    // Agreed: replaced, and the document now lives under the new name.
    messages.replaceAnswers = {true};
    EXPECT_TRUE(doc->SaveProject());
    EXPECT_EQ(doc->PathName(), P("hall.tdax"));
    EXPECT_NE(ReadFileBytes(P("hall.tdax")), "an unrelated project");
    EXPECT_EQ(messages.informed, std::vector<std::string>{Strings::kSavedWithNewExtension});
    // Its own file saved again: nothing to ask.
    EXPECT_TRUE(doc->SaveProject());
    EXPECT_EQ(messages.replaceQuestions.size(), 2u);
    // Save As over another file, declined: the document keeps its name and the file its bytes.
    WriteFileBytes(P("annex.tdax"), "another project");
    messages.replaceAnswers = {false};
    EXPECT_FALSE(doc->DoSave(P("annex.tdax")));
    EXPECT_EQ(messages.replaceQuestions.size(), 3u);
    EXPECT_EQ(messages.replaceQuestions.back().second, P("annex.tdax"));
    EXPECT_EQ(doc->PathName(), P("hall.tdax"));
    EXPECT_FALSE(doc->LegacyFormat());
    EXPECT_EQ(ReadFileBytes(P("annex.tdax")), "another project");
    EXPECT_TRUE(doc->SaveProject()); // and its own file is still saved without a question
    EXPECT_EQ(messages.replaceQuestions.size(), 3u);
    // A legacy name with no file of the new name asks nothing either.
    auto other = NewDoc();
    other->SetPathName(P("fresh.dax"));
    EXPECT_TRUE(other->SaveProject());
    EXPECT_EQ(messages.replaceQuestions.size(), 3u);
}

TEST_F(SaveSafety, ASaveAsksWhenTheFileChangedOnDiskSinceItWasRead) {
    auto first = NewDoc();
    ASSERT_TRUE(first->DoSave(P("p.tdax")));
    auto doc = OpenDoc(P("p.tdax"));
    EditSettings(*doc)->projectName = "mine";
    // Unchanged on disk: saved without a question.
    ASSERT_TRUE(doc->SaveProject());
    EXPECT_TRUE(messages.replaceQuestions.empty());
    // Someone else writes the file (same size, other bytes): asked, declined, their file stays.
    std::string theirs = ReadFileBytes(P("p.tdax"));
    theirs[theirs.size() - 1] ^= 1;
    WriteFileBytes(P("p.tdax"), theirs);
    EditSettings(*doc)->projectName = "mine again";
    messages.replaceAnswers = {false};
    EXPECT_FALSE(doc->SaveProject());
    ASSERT_EQ(messages.replaceQuestions.size(), 1u);
    EXPECT_EQ(messages.replaceQuestions[0].first, CMessagePort::EReplace::ChangedOnDisk);
    EXPECT_NE(messages.asked.back().find(P("p.tdax") + " was changed"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(P("p.tdax")), theirs);
    // Replaced by another file of the same contents (a new inode): still someone else's save.
    fs::remove(P("p.tdax"));
    WriteFileBytes(P("p.tdax"), theirs);
    messages.replaceAnswers = {true};
    EXPECT_TRUE(doc->SaveProject());
    EXPECT_EQ(messages.replaceQuestions.size(), 2u);
    auto back = OpenDoc(P("p.tdax"));
    EXPECT_EQ(back->Settings().projectName, "mine again");
}

TEST_F(SaveSafety, APlaneAtTheLimitIsWrittenAndReadBackOneBeyondIsRefusedEverywhere) {
    // 1000 x 1000 dots: exactly the limit.
    auto doc = NewDoc();
    CColorMapCondition c;
    c.plane.Build(0, 0, 1, 1000, 1000, 0, 1, 100, 3);
    ASSERT_EQ(c.plane.pointCount, kMaxPlanePoints);
    c.plane.points.back().level = 77.25;
    Build(*doc).Conditions().Append(std::move(c));
    ASSERT_TRUE(doc->DoSave(P("limit.tdax")));
    auto back = OpenDoc(P("limit.tdax"));
    ASSERT_EQ(back->Conditions().Count(), 1);
    EXPECT_EQ(back->Conditions().At(0)->plane.pointCount, kMaxPlanePoints);
    EXPECT_EQ(back->Conditions().At(0)->plane.points.back().level, 77.25);

    // One row more: the room parameters refuse it before building, naming the count.
    CRoomParameters v;
    v.planeSameAsRoom = 0;
    v.extentX = 1000, v.extentY = 1001, v.dotPitch = 1;
    v.roomLength = v.roomWidth = 2000, v.roomHeight = 3;
    CRoomParametersForm form(v, 2, true);
    std::string message;
    EXPECT_FALSE(form.Accept(&message));
    EXPECT_NE(message.find("1001000 color dots"), std::string::npos) << message;
    EXPECT_NE(message.find(std::to_string(kMaxPlanePoints)), std::string::npos) << message;
    // The tiny pitch of the report: 6 x 6 m at 0.001 would be 36 million dots.
    v.extentX = v.extentY = 6, v.dotPitch = 0.001;
    CRoomParametersForm tiny(v, 2, true);
    EXPECT_FALSE(tiny.Accept(&message));
    EXPECT_NE(message.find("36000000"), std::string::npos) << message;

    // A file claiming one row more is refused by the reader with the count.
    const auto saved = ReadFileBytes(P("limit.tdax"));
    std::vector<std::uint8_t> bytes(saved.begin(), saved.end());
    const double thousand = 1000, more = 1001;
    std::uint8_t pattern[8];
    std::memcpy(pattern, &thousand, 8);
    const auto at = std::search(bytes.begin(), bytes.end(), pattern, pattern + 8);
    const auto second = std::search(at + 8, bytes.end(), pattern, pattern + 8); // extent Y
    ASSERT_NE(second, bytes.end());
    std::memcpy(&*second, &more, 8);
    CDAXDoc probe;
    std::string error;
    EXPECT_EQ(ProjectFile::Read(bytes, false, probe, error), ProjectFile::EReadResult::Failed);
    EXPECT_NE(error.find("1001000 points"), std::string::npos) << error;
}

TEST_F(SaveSafety, NumbersThatAreNotFiniteAreRefusedWhereTheyEnterNamingTheField) {
    // The project reader: a NaN power.
    CDocFixture f;
    f.AddModel(OmniSpeaker());
    ASSERT_EQ(f.Install(2, 3), 0);
    EditInstalled(Build(f.doc).Room(), 0, [](CInstallationElement& e) { e.power = 1.2345; });
    std::vector<std::uint8_t> bytes = ProjectFile::Write(f.doc);
    const double power = 1.2345, nan = std::numeric_limits<double>::quiet_NaN();
    std::uint8_t pattern[8];
    std::memcpy(pattern, &power, 8);
    // The installation record follows the total, which holds the same number.
    const auto at = std::find_end(bytes.begin(), bytes.end(), pattern, pattern + 8);
    ASSERT_NE(at, bytes.end());
    std::memcpy(&*at, &nan, 8);
    CDAXDoc probe;
    std::string error;
    EXPECT_EQ(ProjectFile::Read(bytes, false, probe, error), ProjectFile::EReadResult::Failed);
    EXPECT_NE(error.find("installation's power is not a finite number"), std::string::npos)
        << error;
    EXPECT_NE(error.find("byte offset " + std::to_string(at - bytes.begin())), std::string::npos)
        << error;
    // The writer refuses to store one, so it never writes a file the reader refuses.
    EditInstalled(Build(f.doc).Room(), 0, [](CInstallationElement& e) {
        e.position.y = std::numeric_limits<double>::infinity();
    });
    EXPECT_THROW(ProjectFile::Write(f.doc), CArchiveException);

    // Every form: "nan" and "inf" are not numbers, whatever the range.
    CInstallationForm form(CInstallationElement{}, 0, 2);
    for (const char* text : {"nan", "inf", "-inf", "1e999"}) {
        form.Field(CInstallationForm::kX).text = text;
        std::string message;
        EXPECT_FALSE(form.Accept(&message)) << text;
        EXPECT_EQ(message, FieldMessage("X", Strings::kEnterNumber)) << text;
    }

    // The speaker reader: levels, phases, angles and tap values, each named with its line.
    const std::string good = WithoutVersionLine(GenerateVsa(OmniSpeaker()));
    ASSERT_TRUE(ImportSpeakerText(good));
    std::vector<std::string> lines;
    std::istringstream in(good);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    auto with = [&](std::size_t index, const std::string& replacement) {
        std::string text;
        for (std::size_t i = 0; i < lines.size(); ++i)
            text += (i == index ? replacement : lines[i]) + "\n";
        return text;
    };
    // Lines (after the kind line): name, taps, phi, theta, ppo, low, high, taps..., theta line.
    const std::size_t tapLine = 8, thetaLine = tapLine + OmniSpeaker().taps.size(),
                      phiLine = thetaLine + 1, firstValues = phiLine + 1;
    const std::string rest = lines[firstValues].substr(lines[firstValues].find(','));
    struct Case {
        std::size_t line;
        std::string text, field;
    } cases[] = {{tapLine, "h,nan,10", "tap rating"},     {tapLine, "h,100,inf", "tap power"},
                 {thetaLine, "0,nan,180", "theta angle"}, {phiLine, "inf", "phi angle"},
                 {firstValues, "nan" + rest, "level"},    {firstValues, "1e308" + rest, "level"}};
    for (const Case& c : cases) {
        std::string reason;
        EXPECT_FALSE(ImportSpeakerText(with(c.line, c.text), 0, &reason)) << c.text;
        EXPECT_NE(reason.find("the " + c.field + " \""), std::string::npos) << reason;
        // The text starts after the version line, which a file's line numbers count.
        EXPECT_NE(reason.find("line " + std::to_string(c.line + 1) + ": the " + c.field),
                  std::string::npos)
            << reason;
    }
}

TEST_F(SaveSafety, CutSpeakerDataAndDataWithoutTapsAreRefusedAtImportWithTheLine) {
    CDocFixture f;
    const std::string text = GenerateVsa(OmniSpeaker());
    // Cut in the middle of a value line, and at a line end inside the balloon.
    const std::size_t cutInLine = text.size() - 30;
    const std::size_t cutAtLine = text.rfind('\n', text.size() - 200) + 1;
    for (std::size_t cut : {cutInLine, cutAtLine}) {
        WriteFileBytes(P("cut.vsa"), text.substr(0, cut));
        f.messages.errors.clear();
        f.doc.ImportSpeakerFile(P("cut.vsa"));
        EXPECT_EQ(f.doc.Models().Count(), 0);
        ASSERT_EQ(f.messages.errors.size(), 1u);
        EXPECT_NE(f.messages.errors[0].find("incomplete"), std::string::npos)
            << f.messages.errors[0];
        EXPECT_NE(f.messages.errors[0].find("line "), std::string::npos) << f.messages.errors[0];
    }
    // Cut right after the last level, before its phase.
    std::string lastPhaseMissing = text;
    while (!lastPhaseMissing.empty() && lastPhaseMissing.back() == '\n')
        lastPhaseMissing.pop_back();
    lastPhaseMissing.erase(lastPhaseMissing.rfind(','));
    WriteFileBytes(P("half.vsa"), lastPhaseMissing);
    f.messages.errors.clear();
    f.doc.ImportSpeakerFile(P("half.vsa"));
    EXPECT_EQ(f.doc.Models().Count(), 0);
    ASSERT_EQ(f.messages.errors.size(), 1u);
    EXPECT_NE(f.messages.errors[0].find("and a half of the"), std::string::npos)
        << f.messages.errors[0];
    CVsaGenOptions noTaps = OmniSpeaker();
    noTaps.taps.clear();
    WriteFileBytes(P("notaps.vsa"), GenerateVsa(noTaps));
    f.messages.errors.clear();
    f.doc.ImportSpeakerFile(P("notaps.vsa"));
    EXPECT_EQ(f.doc.Models().Count(), 0);
    ASSERT_EQ(f.messages.errors.size(), 1u);
    EXPECT_NE(f.messages.errors[0].find("line 4: tap count 0"), std::string::npos)
        << f.messages.errors[0];
    // The complete file still imports.
    WriteFileBytes(P("whole.vsa"), text);
    f.doc.ImportSpeakerFile(P("whole.vsa"));
    EXPECT_EQ(f.doc.Models().Count(), 1);
}

TEST_F(SaveSafety, MessagesNameTheRealCause) {
    CDocFixture f;
    // A directory and a device, refused before reading.
    f.doc.ImportSpeakerFile(dir.Root().string());
    ASSERT_EQ(f.messages.errors.size(), 1u);
    EXPECT_NE(f.messages.errors[0].find(Strings::kImportDirectory), std::string::npos);
    f.doc.ImportSpeakerFile("/dev/zero");
    ASSERT_EQ(f.messages.errors.size(), 2u);
    EXPECT_NE(f.messages.errors[1].find(Strings::kImportNotRegular), std::string::npos);

    // A line over the length cap: the cap is the reason, not "ends before ...".
    const std::string text = WithoutVersionLine(GenerateVsa(OmniSpeaker()));
    std::istringstream in(text);
    CLineReader reader(in, 20);
    CSpeakerModelContainer models;
    std::string reason;
    EXPECT_FALSE(models.ImportModel(reader, 0, nullptr, &reason));
    EXPECT_NE(reason.find("longer than 20 characters"), std::string::npos) << reason;

    // An installation whose model the project does not have: the map and the spectrum say so.
    f.AddModel(OmniSpeaker());
    ASSERT_EQ(f.Install(2, 3), 0);
    EditInstalled(Build(f.doc).Room(), 0, [](CInstallationElement& e) { e.modelIndex = 3; });
    CColorMapCondition c;
    c.plane.Build(0, 0, 1, 4, 4, 0, 1, 100, 3);
    const CMapResult result = CalculateMap(f.doc.Scene(), c, nullptr);
    EXPECT_EQ(result.status, ECalcStatus::Failed);
    EXPECT_NE(result.reason.find("installation 0 refers to speaker model 3"), std::string::npos)
        << result.reason;
    std::vector<double> centres, levels;
    EXPECT_FALSE(PointSpectrum(f.doc.Scene(), c, {1, 1, 1}, centres, levels, &reason));
    EXPECT_NE(reason.find("installation 0 refers to speaker model 3"), std::string::npos) << reason;
}

TEST_F(SaveSafety, AResultThatIsNotFiniteIsAFailureNotAMap) {
    // Three ways to a level that is not a number: a distance that overflows (not a number), a
    // power whose pressure overflows near the speaker (+infinity) and a speaker without power
    // (no pressure at all: -infinity).
    struct Case {
        const char* what;
        std::function<void(CInstallationElement&)> spoil;
    };
    const Case cases[] = {
        {"far away", [](CInstallationElement& i) { i.position.x = 1e308; }},
        {"huge power",
         [](CInstallationElement& i) { i.power = std::numeric_limits<double>::max(); }},
        {"no power", [](CInstallationElement& i) { i.power = 0.0; }}};
    for (const Case& c : cases) {
        for (const EMapEngineKind engine : {EMapEngineKind::Engine, EMapEngineKind::Reference}) {
            CDocFixture f;
            f.AddModel(OmniSpeaker());
            ASSERT_EQ(f.Install(2, 3), 0);
            // Half a metre below the speaker, where its pressure is highest.
            const CVec3 probe = f.doc.Room().At(0)->position - CVec3{0, 0, 0.5};
            EditInstalled(Build(f.doc).Room(), 0, c.spoil);
            CColorMapCondition condition;
            condition.band = 1;
            condition.centreFrequency = 1000;
            condition.plane.Build(0, 0, 1, 4, 4, 0, 1, 100, 3);
            CMapOptions options;
            options.engine = engine;
            const CMapResult result = CalculateMap(f.doc.Scene(), condition, nullptr, options);
            EXPECT_EQ(result.status, ECalcStatus::Failed) << c.what;
            EXPECT_NE(result.reason.find("not a finite number"), std::string::npos)
                << c.what << ": " << result.reason;
            for (const CPlaceElement& p : condition.plane.points)
                EXPECT_EQ(p.level, 0.0) << c.what; // nothing half-calculated stays behind
            EXPECT_EQ(condition.plane.maximumLevel, 0.0) << c.what;
            EXPECT_EQ(condition.plane.minimumLevel, 0.0) << c.what;
            std::vector<double> centres, levels;
            std::string reason;
            EXPECT_FALSE(PointSpectrum(f.doc.Scene(), condition, probe, centres, levels, &reason))
                << c.what;
            EXPECT_NE(reason.find("not a finite number"), std::string::npos)
                << c.what << ": " << reason;
            EXPECT_TRUE(levels.empty()) << c.what;
        }
    }
}
} // namespace
