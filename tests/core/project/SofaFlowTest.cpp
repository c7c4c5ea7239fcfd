// Open directivity files through the document: the Import command tells them by content, the
// speaker list's export writes the current model.
#include "FakePorts.h"
#include "RecordingView.h"
#include "SofaTestWriter.h"
#include "TestDir.h"
#include "project/CommandTable.h"
#include "project/Strings.h"
#include "speaker/FrequencyList.h"
#include "speaker/SofaExport.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {
class CSofaFiles : public CFilePort {
public:
    std::optional<std::string> speakerFile, exportName;
    std::vector<std::string> suggestions;
    std::optional<std::string> ChooseSpeakerFile() override { return speakerFile; }
    std::optional<std::string> ChooseProjectName(const std::string&) override {
        return std::nullopt;
    }
    std::optional<std::string> ChooseSofaExportName(const std::string& suggestion) override {
        suggestions.push_back(suggestion);
        return exportName;
    }
};

struct CSofaFixture : CDocFixture {
    CSofaFiles files;
    CTestDir dir;
    CSofaFixture() {
        CDocumentPorts ports = doc.Ports();
        ports.files = &files;
        doc.SetPorts(ports);
    }
};

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}
} // namespace

TEST(SofaFlow, ExportThenImportByContentAddsTheSameModelAndReports) {
    CSofaFixture f;
    EXPECT_FALSE(f.doc.IsCommandEnabled(kCmdExportSofa)); // nothing to export yet
    f.AddModel(DirectionalSpeaker());
    ASSERT_TRUE(f.doc.IsCommandEnabled(kCmdExportSofa));
    // Named .vsa on purpose: the content decides how a file is read.
    const std::string path = f.dir.Path("exported.vsa");
    f.files.exportName = path;
    EXPECT_TRUE(f.doc.OnCommand(kCmdExportSofa));
    ASSERT_EQ(f.files.suggestions.size(), 1u);
    EXPECT_EQ(f.files.suggestions[0], f.doc.CurrentModel()->Name() + ".sofa");
    EXPECT_TRUE(f.messages.errors.empty());
    EXPECT_FALSE(f.doc.IsModified()); // exporting changes nothing in the project

    CRecordingView log(f.doc);
    f.files.speakerFile = path;
    ASSERT_TRUE(f.doc.OnCommand(kCmdImport));
    ASSERT_TRUE(f.messages.errors.empty()) << f.messages.errors.front();
    ASSERT_EQ(f.doc.Models().Count(), 2);
    EXPECT_EQ(f.doc.Models().CurrentIndex(), 1);
    const CSpeakerModel& a = f.doc.Models().At(0);
    const CSpeakerModel& b = f.doc.Models().At(1);
    EXPECT_EQ(a.Balloon(0).data.size(), b.Balloon(0).data.size());
    for (std::size_t i = 0; i < a.Balloon(0).data.size(); ++i)
        ASSERT_EQ(a.Balloon(0).data[i], b.Balloon(0).data[i]) << i;
    EXPECT_EQ(f.doc.Settings().installState, 2); // same resolution as before: may be installed
    ASSERT_EQ(f.messages.informed.size(), 1u);
    EXPECT_NE(f.messages.informed[0].find(a.Name() + " was imported from open directivity data"),
              std::string::npos);
    EXPECT_NE(f.messages.informed[0].find("frequencies:"), std::string::npos);
    EXPECT_TRUE(f.doc.IsModified());
    EXPECT_FALSE(log.hints.empty());
}

TEST(SofaFlow, ABadFileOrOptionImportsNothingAndSaysWhy) {
    CSofaFixture f;
    f.AddModel(DirectionalSpeaker());
    CTestSofa s;
    s.globals["SOFAConventions"] = "GeneralTF";
    s.frequencies = {ModelFrequency(60, 3), ModelFrequency(61, 3)};
    s.receivers = {{0, 0, 1}, {180, 0, 1}};
    s.data = [](std::size_t, std::size_t, std::size_t) { return std::complex<double>(1, 0); };
    const std::vector<unsigned char> bytes = s.Bytes();
    const std::string path = f.dir.Path("general.sofa");
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));

    CRecordingView log(f.doc);
    f.doc.ImportSpeakerFile(path);
    ASSERT_EQ(f.messages.errors.size(), 1u);
    EXPECT_NE(f.messages.errors[0].find("GLOBAL:SOFAConventions"), std::string::npos);
    EXPECT_NE(f.messages.errors[0].find(path), std::string::npos);
    EXPECT_EQ(f.doc.Models().Count(), 1);
    EXPECT_TRUE(log.hints.empty());

    // A good file with an option that does not fit it.
    const std::string good = f.dir.Path("good.sofa");
    ExportSofa(f.doc.Models().At(0), good);
    CSofaImportOptions options = f.doc.SofaImportOptions();
    options.measurement = 4;
    f.doc.SetSofaImportOptions(options);
    f.doc.ImportSpeakerFile(good);
    ASSERT_EQ(f.messages.errors.size(), 2u);
    EXPECT_NE(f.messages.errors[1].find("measurement 4"), std::string::npos);
    EXPECT_EQ(f.doc.Models().Count(), 1);
    EXPECT_TRUE(f.messages.informed.empty());
}

TEST(SofaFlow, AFailedExportReportsAndLeavesTheOldFile) {
    CSofaFixture f;
    f.AddModel(DirectionalSpeaker());
    f.files.exportName = f.dir.Path("missing-folder/out.sofa");
    f.doc.OnCommand(kCmdExportSofa);
    ASSERT_EQ(f.messages.errors.size(), 1u);
    EXPECT_NE(f.messages.errors[0].find("could not be exported as SOFA"), std::string::npos);

    // Cancelling the file dialog writes nothing and says nothing.
    const std::string kept = f.dir.Path("kept.sofa");
    std::ofstream(kept) << "old";
    f.files.exportName.reset();
    f.doc.OnCommand(kCmdExportSofa);
    EXPECT_EQ(f.messages.errors.size(), 1u);
    EXPECT_EQ(ReadAll(kept), "old");
}
