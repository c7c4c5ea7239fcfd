#include "FakePorts.h"
#include "RecordingView.h"
#include "TestDir.h"
#include "project/ColorMapViewModel.h"
#include "project/CommandTable.h"
#include "project/Strings.h"
#include "project/forms/Vd1ExportForm.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>

namespace {
class CScriptedFiles : public CFilePort {
public:
    std::optional<std::string> speakerFile;
    int asked = 0;
    std::optional<std::string> ChooseSpeakerFile() override {
        ++asked;
        return speakerFile;
    }
    std::optional<std::string> ChooseProjectName(const std::string&) override {
        return std::nullopt;
    }
};

// Records what the import shows on its progress dialog and whether the dialog was closed.
struct CProgressLog {
    std::vector<std::string> texts;
    std::vector<long long> positions;
    int open = 0;
};

class CLoggingProgress : public CProgressDialog1 {
public:
    explicit CLoggingProgress(CProgressLog& log) : m_log(log) { ++m_log.open; }
    ~CLoggingProgress() override { --m_log.open; }
    void SetText(const std::string& text) override { m_log.texts.push_back(text); }
    void SetRange(long long, long long) override {}
    void SetPos(long long position) override { m_log.positions.push_back(position); }
    bool PumpAndCheck() override { return false; } // Stop does not interrupt an import

private:
    CProgressLog& m_log;
};

class CLoggingProgressFactory : public CProgressFactory {
public:
    CProgressLog log;
    std::unique_ptr<CProgressDialog1> CreateProgress() override {
        return std::make_unique<CLoggingProgress>(log);
    }
};

// A document whose Import command reads files written by the test.
struct ImportDoc : CDocFixture {
    CScriptedFiles files;
    CLoggingProgressFactory progress;
    CTestDir dir;
    std::vector<std::string> written;

    ImportDoc() {
        CDocumentPorts ports = doc.Ports();
        ports.files = &files;
        ports.progress = &progress;
        doc.SetPorts(ports);
    }
    std::string Write(const std::string& text) {
        const std::string path = dir.Path("import_" + std::to_string(written.size()) + ".vsa");
        std::ofstream(path, std::ios::binary) << text;
        written.push_back(path);
        return path;
    }
    bool Import(const std::string& text) {
        files.speakerFile = Write(text);
        return doc.OnCommand(kCmdImport);
    }
};
} // namespace

TEST(ImportCommand, AddsTheModelMakesItCurrentAndRefreshesTheLists) {
    ImportDoc f;
    CRecordingView view(f.doc);
    ASSERT_TRUE(f.Import(GenerateVsa(DirectionalSpeaker(1, 3))));
    ASSERT_EQ(f.doc.Models().Count(), 1);
    EXPECT_EQ(f.doc.Models().CurrentIndex(), 0);
    EXPECT_EQ(f.doc.CurrentModel()->Kind(), 1);
    EXPECT_EQ(f.doc.Settings().freshProjectFlag, 0);
    EXPECT_TRUE(f.doc.IsModified());
    EXPECT_EQ(view.hints, (std::vector<int>{kHintSpeakers, kHintTaps})); // no recalculation
    EXPECT_EQ(f.progress.log.texts, (std::vector<std::string>{"Importing Speaker Data..."}));
    ASSERT_FALSE(f.progress.log.positions.empty());
    EXPECT_EQ(f.progress.log.positions.front(), 0);
    EXPECT_EQ(f.progress.log.open, 0); // closed again
    EXPECT_TRUE(f.messages.errors.empty());

    ASSERT_TRUE(f.Import(GenerateVsa(OmniSpeaker(90, 3))));
    EXPECT_EQ(f.doc.Models().Count(), 2);
    EXPECT_EQ(f.doc.Models().CurrentIndex(), 1);
}

TEST(ImportCommand, InstallStateFollowsTheFirstInstallationsResolution) {
    ImportDoc f;
    EditSettings(f.doc)->installState = 0;
    ASSERT_TRUE(f.Import(GenerateVsa(DirectionalSpeaker(1, 3))));
    EXPECT_EQ(f.doc.Settings().installState, 0); // no installations: unchanged
    EditSettings(f.doc)->installState = 2;
    ASSERT_EQ(f.Install(1, 1), 0);
    ASSERT_TRUE(f.Import(GenerateVsa(DirectionalSpeaker(1, 24))));
    EXPECT_EQ(f.doc.Settings().installState, 0);
    EXPECT_FALSE(f.doc.IsCommandEnabled(kCmdInstall));
    ASSERT_TRUE(f.Import(GenerateVsa(OmniSpeaker(85, 3))));
    EXPECT_EQ(f.doc.Settings().installState, 2);
}

TEST(ImportCommand, ColourMapListsStartAgainOnlyWhenTheResolutionChanges) {
    ImportDoc f;
    f.AddModel(DirectionalSpeaker(1, 24));
    EditSettings(f.doc)->loadedFromFile = 1;
    Build(f.doc).Conditions().Append(DefaultCondition(0));
    CColorMapViewModel view(f.doc);
    view.OnInitialUpdate();
    Build(f.doc).Conditions().At(view.ConditionIndex())->band = 24;
    ASSERT_TRUE(f.Import(GenerateVsa(DirectionalSpeaker(1, 3))));
    EXPECT_EQ(view.Condition()->band, 3); // reset to a third octave for the new resolution
    Build(f.doc).Conditions().At(view.ConditionIndex())->band = 1;
    ASSERT_TRUE(f.Import(GenerateVsa(OmniSpeaker(90, 3))));
    EXPECT_EQ(view.Condition()->band, 1);
}

TEST(ImportCommand, AFailedImportSaysWhichFileAndWhyAndAddsNothing) {
    ImportDoc f;
    f.AddModel(DirectionalSpeaker(1, 3));
    const std::string text = GenerateVsa(OmniSpeaker(90, 3));

    const std::string blank = f.Write("Version 1.0.0 \n" + WithoutVersionLine(text));
    f.files.speakerFile = blank;
    ASSERT_TRUE(f.doc.OnCommand(kCmdImport));
    ASSERT_EQ(f.messages.errors.size(), 1u);
    EXPECT_NE(f.messages.errors[0].find(blank), std::string::npos);
    EXPECT_NE(f.messages.errors[0].find("first line"), std::string::npos);

    f.files.speakerFile = f.dir.Path("daxara_no_such_file.vsa");
    ASSERT_TRUE(f.doc.OnCommand(kCmdImport));
    ASSERT_EQ(f.messages.errors.size(), 2u);
    EXPECT_NE(f.messages.errors[1].find("daxara_no_such_file.vsa"), std::string::npos);

    // Cut off inside the header lines.
    std::size_t cut = 0;
    for (int line = 0; line < 6; ++line)
        cut = text.find('\n', cut) + 1;
    ASSERT_TRUE(f.Import(text.substr(0, cut)));
    ASSERT_EQ(f.messages.errors.size(), 3u);
    EXPECT_NE(f.messages.errors[2].find(f.written.back()), std::string::npos);

    ASSERT_TRUE(f.Import("Version 1.0.0\n9\n"));
    ASSERT_EQ(f.messages.errors.size(), 4u);
    EXPECT_NE(f.messages.errors[3].find("model type 9"), std::string::npos);

    EXPECT_EQ(f.doc.Models().Count(), 1);
    EXPECT_EQ(f.doc.Models().CurrentIndex(), 0);
    EXPECT_EQ(f.progress.log.open, 0);
    EXPECT_TRUE(f.doc.IsModified());
}

TEST(ImportCommand, CancellingTheFileChooserStillMarksTheProject) {
    ImportDoc f;
    f.files.speakerFile.reset();
    ASSERT_TRUE(f.doc.OnCommand(kCmdImport));
    EXPECT_EQ(f.files.asked, 1);
    EXPECT_EQ(f.doc.Models().Count(), 0);
    EXPECT_EQ(f.doc.Settings().freshProjectFlag, 0);
    EXPECT_TRUE(f.doc.IsModified());
    EXPECT_TRUE(f.messages.errors.empty());
}

TEST(Vd1Export, TheFormCollectsAnAngleAndADistance) {
    CVd1ExportForm form;
    EXPECT_EQ(form.Title(), "Export vd1");
    EXPECT_EQ(form.Field(CVd1ExportForm::kAngle).text, "0");
    EXPECT_EQ(form.Field(CVd1ExportForm::kMicDistance).text, "20");
    std::string message;
    form.Field(CVd1ExportForm::kAngle).text = "361";
    form.Field(CVd1ExportForm::kMicDistance).text = "0";
    EXPECT_FALSE(form.Accept(&message));
    EXPECT_EQ(message, FieldMessage(Strings::kVd1AngleLabel, "Enter a number between 0 and 360."));
    form.Field(CVd1ExportForm::kAngle).text = "360";
    EXPECT_FALSE(form.Accept(&message));
    EXPECT_EQ(message, FieldMessage(Strings::kVd1DistanceLabel,
                                    "Enter a number between 0.0001 and 9999999."));
    form.Field(CVd1ExportForm::kMicDistance).text = "0.0001";
    ASSERT_TRUE(form.Accept(&message));
    EXPECT_EQ(form.Angle(), 360);
    EXPECT_EQ(form.MicDistance(), 0.0001);
}

TEST(Vd1Export, TheCommandOnlyShowsTheDialog) {
    CDocFixture f;
    EXPECT_FALSE(f.doc.OnCommand(kCmdExportVd1)); // no speaker data: disabled
    EXPECT_EQ(f.dialogs.vd1ExportRuns, 0);
    f.AddModel(DirectionalSpeaker(1, 3));
    f.doc.SetModified(false);
    ASSERT_TRUE(f.doc.OnCommand(kCmdExportVd1));
    EXPECT_EQ(f.dialogs.vd1ExportRuns, 1);
    EXPECT_FALSE(f.doc.IsModified());
    EXPECT_EQ(f.doc.Models().Count(), 1);
}
