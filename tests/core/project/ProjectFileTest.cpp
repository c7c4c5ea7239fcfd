#include "project/ProjectFile.h"
#include "ByteWriter.h"
#include "ProjectBuilder.h"
#include "FakePorts.h"
#include "FileBytes.h"
#include "SceneFixtures.h"
#include "TestDir.h"
#include "common/Archive.h"
#include "acoustics/NoiseCurves.h"
#include "common/FileVersion.h"
#include "project/ColorMapViewModel.h"
#include "project/Strings.h"
#include "speaker/SpeakerModelContainer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {
// A project with a model of every family, installations, three planes with computed levels,
// two response entries with curves, in feet.
void Furnish(CDocFixture& f) {
    CDAXDoc& doc = f.doc;
    EditSettings(doc)->lengthUnit = 1;
    EditSettings(doc)->projectName = "Hall \xE9 2";
    EditSettings(doc)->projectDate = "2026-12-07";
    EditSettings(doc)->advancedMode = 2;
    EditSettings(doc)->manualRecalc = 1;
    EditSettings(doc)->autoJudgeBand = 3;
    EditSettings(doc)->autoJudgeFrequency = 1258.925411794167;
    EditSettings(doc)->installAngles = {1.5, -2.25, 90};
    EditSettings(doc)->installHeight = 9.75;
    EditSettings(doc)->autoRowPitch = 1.0 / 3.0;
    Build(doc).Room().ceilingType = 0;
    for (const CVsaGenOptions& options :
         {DirectionalSpeaker(1), DirectionalSpeaker(0), QL9ArrayOptions(), KVW5ArrayOptions(),
          KVKArrayOptions(), KVP10ArrayOptions(), KVR6ArrayOptions(), TypeNArrayOptions()})
        f.AddModel(options);
    doc.Models().At(0).SetDefaultTap(2);
    Build(doc).Models().SetCurrentIndex(3);
    for (int m = 0; m < doc.Models().Count(); ++m)
        Build(doc).Room().AddInstallation(m, 0, {m * 1.1, 2.0 / 3.0, 9}, {m * 10.0, -5, 45},
                                          1.0 + m, m % 2 == 0);
    Build(doc).Room().SetCurrentIndex(4);
    for (int i = 0; i < 3; ++i) {
        CColorMapCondition c;
        c.band = i == 0 ? 1 : 3;
        c.centreFrequency = 1000;
        c.mode = i % 2;
        c.scale = 0.123;
        c.viewAngles = {45, 75, i * 1.0};
        if (i == 2)
            c.plane.Build(0, 3, 0, 20, 0, 9, 1.5, 110, 3); // vertical
        else
            c.plane.Build(0.5, 0.25, 4, 20, 15, 0, 0.7 + i, 100, 2);
        CalculateMap(doc.Scene(), c, nullptr);
        c.plane.colors[7] = 0x00ABCDEF;
        Build(doc).Conditions().Append(std::move(c));
    }
    Build(doc).Conditions().currentIndex = 1;
    for (int i = 0; i < 2; ++i) {
        CSoundGraphDataList data;
        data.InitAxes(1, 0, 20, 50, 20000, 120, 1000, 10);
        const double fr[] = {100, 200, 400}, lv[] = {80.5, 81.25, 79.125 + i};
        data.SetCurve(0, 3, fr, lv);
        data.curves[0].name = "curve";
        Build(doc).Graphs().AddGraphCondition(-1, 30 + i, 20, 20, 36, 0.5, 0.25, data);
    }
}

std::vector<std::uint8_t> RoundTrip(CDAXDoc& doc, CDAXDoc& back) {
    const std::vector<std::uint8_t> bytes = ProjectFile::Write(doc);
    std::string error;
    EXPECT_EQ(ProjectFile::Read(bytes, false, back, error), ProjectFile::EReadResult::Loaded)
        << error;
    return bytes;
}
} // namespace

TEST(ProjectFile, SavingAReadOnlyProjectWritesTheSameBytesAndLeavesItAlone) {
    CDocFixture f;
    Furnish(f);
    EditSettings(f.doc)->loadedFromFile = 1; // as a project read from a file writes it
    const CDAXDoc& project = f.doc;
    const std::vector<std::uint8_t> written = ProjectFile::Write(f.doc);
    const CTestDir dir;
    const std::string path = dir.Path("read-only.tdax");
    std::string error;
    CProjectFileStorage storage;
    ASSERT_TRUE(storage.Save(project, path, error)) << error;
    const std::string saved = ReadFileBytes(path);
    EXPECT_EQ(std::vector<std::uint8_t>(saved.begin(), saved.end()), written);
    // A second save writes the same again, and so does the project read from the file.
    EXPECT_EQ(ProjectFile::Write(project), written);
    CDAXDoc back;
    std::string readError;
    ASSERT_EQ(ProjectFile::Read(written, false, back, readError), ProjectFile::EReadResult::Loaded)
        << readError;
    EXPECT_EQ(ProjectFile::Write(back), written);

    // A model copied from a read-only model keeps a record equal byte for byte, in every family.
    // The record carries the name suffix for readers of the file, after the name.
    int suffixes = 0;
    for (int m = 0; m < project.Models().Count(); ++m) {
        const CSpeakerModel& model = project.Models().At(m);
        const std::unique_ptr<CSpeakerModel> copy = CSpeakerModelContainer::CloneModel(model);
        ASSERT_TRUE(copy) << m;
        CArchiveOut original, copied;
        model.Store(original, kVersion200);
        copy->Store(copied, kVersion200);
        EXPECT_EQ(copied.Buffer(), original.Buffer()) << m;
        const std::string suffix = model.NameSuffix();
        if (suffix.empty())
            continue;
        ++suffixes;
        std::vector<std::uint8_t> named(1, static_cast<std::uint8_t>(model.Name().size()));
        named.insert(named.end(), model.Name().begin(), model.Name().end());
        named.push_back(static_cast<std::uint8_t>(suffix.size()));
        named.insert(named.end(), suffix.begin(), suffix.end());
        const auto& record = original.Buffer();
        EXPECT_NE(std::search(record.begin(), record.end(), named.begin(), named.end()),
                  record.end())
            << model.DisplayName();
    }
    EXPECT_GT(suffixes, 0);
}

TEST(ProjectFile, AWrittenFileStartsWithTheTagAndTheCurrentVersion) {
    CDocFixture f;
    const std::vector<std::uint8_t> bytes = ProjectFile::Write(f.doc);
    ASSERT_GE(bytes.size(), 13u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 9), "VELDAXDoc");
    EXPECT_EQ((std::vector<std::uint8_t>(bytes.begin() + 9, bytes.begin() + 13)),
              (std::vector<std::uint8_t>{0, 0, 0, 2}));
    EXPECT_TRUE(ProjectFile::HasTag(bytes));
}

TEST(ProjectFile, AFullProjectReadsBackBitForBit) {
    CDocFixture f;
    Furnish(f);
    EditSettings(f.doc)->loadedFromFile = 1; // a loaded project says so when written again
    CDAXDoc back;
    const std::vector<std::uint8_t> bytes = RoundTrip(f.doc, back);
    // Writing the read project again gives the same bytes: every stored value survived.
    EXPECT_EQ(ProjectFile::Write(back), bytes);

    EXPECT_EQ(back.Settings().loadedFromFile, 1);
    EXPECT_EQ(back.Settings().projectName, f.doc.Settings().projectName);
    EXPECT_EQ(back.Settings().lengthUnit, 1);
    EXPECT_EQ(back.Settings().autoRowPitch, 1.0 / 3.0);
    EXPECT_EQ(back.Settings().installAngles, f.doc.Settings().installAngles);
    ASSERT_EQ(back.Models().Count(), 8);
    EXPECT_EQ(back.Models().CurrentIndex(), 3);
    for (int m = 0; m < 8; ++m) {
        const CSpeakerModel& a = f.doc.Models().At(m);
        const CSpeakerModel& b = back.Models().At(m);
        EXPECT_EQ(b.Kind(), a.Kind());
        EXPECT_EQ(b.DisplayName(), a.DisplayName());
        EXPECT_EQ(b.Settings().lengthUnit, 1);
        ASSERT_EQ(b.Balloons().size(), a.Balloons().size());
        for (std::size_t i = 0; i < a.Balloons().size(); ++i)
            EXPECT_EQ(b.Balloons()[i].data, a.Balloons()[i].data);
        ASSERT_EQ(b.Elements().size(), a.Elements().size());
        for (std::size_t i = 0; i < a.Elements().size(); ++i) {
            EXPECT_EQ(b.Elements()[i].Position(), a.Elements()[i].Position());
            EXPECT_EQ(b.Elements()[i].Orientation(), a.Elements()[i].Orientation());
            EXPECT_EQ(b.Elements()[i].Weight(), a.Elements()[i].Weight());
        }
    }
    EXPECT_EQ(back.Models().At(0).DefaultTap(), 2);
    EXPECT_EQ(back.Room().Count(), 8);
    EXPECT_EQ(back.Room().CurrentIndex(), 4);
    EXPECT_FALSE(back.Room().At(1)->polarityNormal);
    EXPECT_EQ(*back.Room().At(7), *f.doc.Room().At(7));
    ASSERT_EQ(back.Conditions().Count(), 3);
    for (int i = 0; i < 3; ++i) {
        const CListeningPlane& a = f.doc.Conditions().At(i)->plane;
        const CListeningPlane& b = back.Conditions().At(i)->plane;
        EXPECT_EQ(b.points, a.points);
        EXPECT_EQ(b.colors, a.colors);
        EXPECT_EQ(b.pinkNoiseAverage, a.pinkNoiseAverage);
        EXPECT_EQ(back.Conditions().At(i)->viewAngles, f.doc.Conditions().At(i)->viewAngles);
    }
    EXPECT_GT(back.Conditions().At(0)->plane.maximumLevel, 0.0);
    ASSERT_EQ(back.Graphs().Count(), 2);
    EXPECT_EQ(back.Graphs().At(1)->data, f.doc.Graphs().At(1)->data);
    EXPECT_EQ(back.Graphs().At(1)->left, 31);
}

TEST(ProjectFile, LongNamesUseTheWordLengthForm) {
    CDocFixture f;
    EditSettings(f.doc)->projectName = std::string(300, 'n');
    const std::vector<std::uint8_t> bytes = ProjectFile::Write(f.doc);
    // tag, version, five WORDs, then the name
    const std::size_t at = 9 + 4 + 5 * 2;
    EXPECT_EQ(bytes[at], 0xFF);
    EXPECT_EQ(bytes[at + 1] | bytes[at + 2] << 8, 300);
    CDAXDoc back;
    RoundTrip(f.doc, back);
    EXPECT_EQ(back.Settings().projectName, f.doc.Settings().projectName);
}

TEST(ProjectFile, ADuplicatedPlaneWithoutPointsStillReadsBack) {
    CDocFixture f;
    f.AddModel(OmniSpeaker());
    CColorMapCondition c;
    c.plane.Build(0, 0, 1, 2, 2, 0, 0.5, 100, 2);
    Build(f.doc).Conditions().Append(c);
    Build(f.doc).Conditions().Duplicate(0);
    ASSERT_TRUE(f.doc.Conditions().At(0)->plane.points.empty());
    CDAXDoc back;
    RoundTrip(f.doc, back);
    EXPECT_EQ(back.Conditions().At(0)->plane.points.size(), 16u);
    EXPECT_EQ(back.Conditions().At(1)->plane.points.size(), 16u);
}

TEST(ProjectFile, UnknownVersionsOpenWithDefaultsAndBadTagsFail) {
    CByteWriter w;
    w.Raw("VELDAXDoc", 9).Dword(0x01020000).Word(2).Word(1);
    CDAXDoc doc;
    std::string error;
    EXPECT_EQ(ProjectFile::Read(w.bytes, false, doc, error),
              ProjectFile::EReadResult::UnknownVersion);
    EXPECT_EQ(doc.Settings().advancedMode, 0);
    EXPECT_EQ(doc.Settings().loadedFromFile, 0);

    CByteWriter bad;
    bad.Raw("VELDAXDOC", 9).Dword(kVersion200);
    EXPECT_EQ(ProjectFile::Read(bad.bytes, false, doc, error), ProjectFile::EReadResult::Failed);
    EXPECT_NE(error.find("tag"), std::string::npos);
    EXPECT_FALSE(ProjectFile::HasTag(bad.bytes));
}

// A file is judged from its first bytes before the rest is read or memory taken for it; that
// judgment must be the one the whole file gets.
TEST(ProjectFile, TheFirstBytesJudgeAFileAsTheWholeFileWould) {
    CDocFixture f;
    Furnish(f);
    const std::vector<std::uint8_t> current = ProjectFile::Write(f.doc);
    ASSERT_GT(current.size(), 4 * FileSafety::kHeadBytes);
    const std::vector<std::uint8_t> body(current.begin() + 13, current.end());
    const auto legacy = [&](const std::function<void(CByteWriter&)>& version) {
        CByteWriter w;
        version(w);
        return w.Raw(body.data(), body.size()).bytes;
    };
    std::vector<std::uint8_t> badTag = current, unknown = current, newer = current;
    badTag[3] = 'x';
    const std::uint32_t v102 = 0x01020000, v300 = 0x03000000;
    std::memcpy(unknown.data() + 9, &v102, 4);
    std::memcpy(newer.data() + 9, &v300, 4);
    using R = ProjectFile::EReadResult;
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        bool legacy;
        R head;
    };
    const std::vector<Case> cases = {
        {"current", current, false, R::Loaded},
        {"bad tag", badTag, false, R::Failed},
        {"unknown version", unknown, false, R::UnknownVersion},
        {"newer version", newer, false, R::NewerVersion},
        {"legacy", legacy([](CByteWriter& w) { w.String("Version 2.0.0"); }), true, R::Loaded},
        {"legacy, older", legacy([](CByteWriter& w) { w.String("Version 1.4.1"); }), true,
         R::Loaded},
        {"legacy, unknown", legacy([](CByteWriter& w) { w.String("Version 1.2.0"); }), true,
         R::UnknownVersion},
        {"legacy, lower case", legacy([](CByteWriter& w) { w.String("version 1.4.2"); }), true,
         R::UnknownVersion},
        {"legacy, empty text", legacy([](CByteWriter& w) { w.String(""); }), true,
         R::UnknownVersion},
        {"legacy, text past the end",
         legacy([](CByteWriter& w) { w.Raw("\xFF\xFF\xFF\xFF\xFF\x7F", 7); }), true, R::Failed},
        {"legacy, long text", legacy([](CByteWriter& w) { w.String(std::string(5000, 'V')); }),
         true, R::UnknownVersion},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<std::uint8_t> head(c.bytes.begin(),
                                             c.bytes.begin() + FileSafety::kHeadBytes);
        std::string headError, readError;
        const R byHead = ProjectFile::ReadHead(head, c.bytes.size(), c.legacy, headError);
        EXPECT_EQ(byHead, c.head);
        CDAXDoc doc;
        const R whole = ProjectFile::Read(c.bytes, c.legacy, doc, readError);
        if (byHead != R::Loaded) {
            EXPECT_EQ(byHead, whole);
            EXPECT_EQ(headError, readError);
        } else if (c.head == R::Loaded && std::string(c.name).find("legacy") == std::string::npos) {
            EXPECT_EQ(whole, R::Loaded) << readError;
        }
        // A head that is the whole file is always left to the full read.
        EXPECT_EQ(ProjectFile::ReadHead(head, head.size(), c.legacy, headError), R::Loaded);
    }
}

TEST(ProjectFile, AnUnknownModelTypeYieldsNoModelAndAClearError) {
    CByteWriter record;
    record.Word(9).Word(0).Word(0);
    CArchiveIn ar(record.bytes);
    EXPECT_EQ(CSpeakerModelContainer::LoadModelRecord(ar, kVersion200), nullptr);
    EXPECT_EQ(ar.Offset(), 2u); // nothing read after the type code

    CDocFixture f;
    f.AddModel(OmniSpeaker());
    std::vector<std::uint8_t> bytes = ProjectFile::Write(f.doc);
    // The model type WORD follows the body's settings and the container's two WORDs.
    CByteWriter prefix;
    prefix.Raw("VELDAXDoc", 9).Dword(kVersion200).Word(0).Word(0).Word(2).Word(1).Word(0);
    const std::size_t typeAt =
        prefix.bytes.size() + 1 + 1 + 2 + 2 + 8 + 8 + 24 + 8 + 32 + 2 + 2 + 2 + 2;
    ASSERT_EQ(bytes[typeAt], 0);
    bytes[typeAt] = 9;
    CDAXDoc doc;
    std::string error;
    EXPECT_EQ(ProjectFile::Read(bytes, false, doc, error), ProjectFile::EReadResult::Failed);
    EXPECT_NE(error.find("type"), std::string::npos) << error;
    EXPECT_NE(error.find("byte offset"), std::string::npos) << error;
}

TEST(ProjectFile, TruncatedAtEveryOffsetFailsCleanly) {
    CDocFixture f;
    f.AddModel(OmniSpeaker(90, 1));
    Build(f.doc).Room().AddInstallation(0, 0, {1, 1, 3}, {}, 1, true);
    CColorMapCondition c;
    c.plane.Build(0, 0, 1, 1, 1, 0, 0.5, 100, 2);
    Build(f.doc).Conditions().Append(c);
    CSoundGraphDataList data;
    Build(f.doc).Graphs().AddGraphCondition(-1, 30, 20, 20, 36, 0, 0, data);
    const std::vector<std::uint8_t> bytes = ProjectFile::Write(f.doc);
    for (std::size_t n = 0; n < bytes.size(); ++n) {
        CDAXDoc doc;
        std::string error;
        const auto result = ProjectFile::Read(
            std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + n), false, doc, error);
        ASSERT_EQ(result, ProjectFile::EReadResult::Failed) << n;
        ASSERT_FALSE(error.empty()) << n;
    }
}

TEST(ProjectFile, AbsurdCountsAreRefusedBeforeAllocating) {
    CDocFixture f;
    f.AddModel(OmniSpeaker(90, 1));
    std::vector<std::uint8_t> bytes = ProjectFile::Write(f.doc);
    // Claim 65535 frequencies in a 100-odd byte remainder: the header WORDs follow the element
    // data.
    CDAXDoc probe;
    std::string error;
    bytes.resize(bytes.size() - 40);
    EXPECT_EQ(ProjectFile::Read(bytes, false, probe, error), ProjectFile::EReadResult::Failed);
    EXPECT_NE(error.find("byte offset"), std::string::npos);

    CByteWriter huge;
    huge.Raw("VELDAXDoc", 9).Dword(kVersion200).Word(0).Word(0).Word(2).Word(1).Word(0);
    huge.String("")
        .String("")
        .Word(0)
        .Word(2)
        .Doubles({0, 0, 0, 0, 0, 0, 0, 0, 0, 0})
        .Word(1)
        .Word(0);
    huge.Word(0).Word(0xFFFF); // 65535 models in no bytes at all
    EXPECT_EQ(ProjectFile::Read(huge.bytes, false, probe, error), ProjectFile::EReadResult::Failed);
    EXPECT_NE(error.find("65535"), std::string::npos) << error;
}

TEST(ProjectFile, CountsAWordCannotHoldAreRefusedOnSaving) {
    CDocFixture f;
    for (int i = 0; i < 65536; ++i)
        Build(f.doc).Room().AddInstallation(0, 0, {}, {}, 1, true);
    CProjectFileStorage storage;
    const CTestDir dir;
    const std::string path = dir.Path("too-many.tdax");
    std::string error;
    EXPECT_FALSE(storage.Save(f.doc, path, error));
    EXPECT_NE(error.find("65535"), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(path));
}

TEST(ProjectFile, AFailedSaveKeepsThePreviousFile) {
    CDocFixture f;
    const CTestDir dir;
    const std::string path = dir.Path("keep.tdax");
    {
        std::ofstream old(path, std::ios::binary);
        old << "previous";
    }
    std::string error;
    // A target whose directory does not exist cannot be written; nothing is created.
    EXPECT_FALSE(
        ProjectFile::WriteFileAtomically(dir.Path("missing-dir") + "/x.tdax", {1, 2, 3}, error));
    EXPECT_FALSE(error.empty());
    // A directory in the target's place cannot be replaced; the temporary file is cleaned up.
    const std::string dirPath = dir.Path("a-directory.tdax");
    fs::create_directory(dirPath);
    EXPECT_FALSE(ProjectFile::WriteFileAtomically(dirPath, {1, 2, 3}, error));
    EXPECT_TRUE(fs::is_directory(dirPath));
    for (const auto& entry : fs::directory_iterator(dir.Root()))
        EXPECT_EQ(entry.path().string().find(dirPath + "."), std::string::npos);
    fs::remove(dirPath);

    // A project its owner made read-only is not saved over, though its folder would allow it,
    // also through a link to it.
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    fs::create_symlink(path, dir.Path("link.tdax"));
    CProjectFileStorage storage;
    for (const std::string& name : {path, dir.Path("link.tdax")}) {
        EXPECT_FALSE(storage.Save(f.doc, name, error));
        EXPECT_NE(error.find("read-only"), std::string::npos) << error;
        EXPECT_EQ(ReadFileBytes(path), "previous");
    }
    ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
    EXPECT_TRUE(storage.Save(f.doc, dir.Path("link.tdax"), error)) << error;

    ASSERT_TRUE(ProjectFile::WriteFileAtomically(path, ProjectFile::Write(f.doc), error)) << error;
    CDAXDoc back;
    EXPECT_TRUE(ProjectFile::Open(path, back, error)) << error;
    EXPECT_EQ(back.PathName(), path);
    fs::remove(path);
}

TEST(ProjectFile, OpeningALegacyFileClearsTheLegacyFlagAndTheSaveMigrates) {
    CDocFixture f;
    const CTestDir dir;
    const std::string legacy = dir.Path("room.dax");
    // A legacy container holding the current body.
    CByteWriter w;
    w.String("Version 2.0.0");
    const std::vector<std::uint8_t> current = ProjectFile::Write(f.doc);
    w.Raw(current.data() + 13, current.size() - 13);
    {
        std::ofstream out(legacy, std::ios::binary);
        out.write(reinterpret_cast<const char*>(w.bytes.data()),
                  static_cast<std::streamsize>(w.bytes.size()));
    }
    CDocFixture opened;
    std::string error, notice;
    ASSERT_TRUE(ProjectFile::Open(legacy, opened.doc, error, &notice)) << error;
    EXPECT_TRUE(notice.empty());
    CProjectFileStorage storage;
    CDocumentPorts ports = opened.doc.Ports();
    ports.storage = &storage;
    opened.doc.SetPorts(ports);
    ASSERT_TRUE(opened.doc.SaveProject());
    const std::string migrated = legacy.substr(0, legacy.size() - 4) + ".tdax";
    EXPECT_TRUE(fs::exists(migrated));
    EXPECT_TRUE(fs::exists(legacy)); // the legacy file stays untouched
    EXPECT_EQ(fs::file_size(legacy), w.bytes.size());
    EXPECT_EQ(opened.messages.informed,
              (std::vector<std::string>{Strings::kSavedWithNewExtension}));
    fs::remove(legacy);
    fs::remove(migrated);
}

namespace {
// The bytes of a version 2.1.0 file: the project's 2.0.0 bytes with the later version word and
// the given records after them.
std::vector<std::uint8_t> WithRecords(std::vector<std::uint8_t> bytes,
                                      const std::vector<std::pair<std::string, CByteWriter>>& records) {
    const std::uint32_t version = kVersion210;
    std::memcpy(bytes.data() + 9, &version, 4);
    CByteWriter tail;
    tail.Dword(static_cast<std::uint32_t>(records.size()));
    for (const auto& [id, payload] : records)
        tail.Raw(id.data(), 4).Dword(static_cast<std::uint32_t>(payload.bytes.size()))
            .Raw(payload.bytes.data(), payload.bytes.size());
    bytes.insert(bytes.end(), tail.bytes.begin(), tail.bytes.end());
    return bytes;
}

std::string ReadError(const std::vector<std::uint8_t>& bytes) {
    CDAXDoc doc;
    std::string error;
    EXPECT_EQ(ProjectFile::Read(bytes, false, doc, error), ProjectFile::EReadResult::Failed);
    return error;
}
} // namespace

TEST(ProjectFile, DataAddedSince200TravelsInRecordsAndOnlyWhenUsed) {
    CDocFixture f;
    Furnish(f);
    EditSettings(f.doc)->loadedFromFile = 1; // as a project read from a file writes it
    const std::vector<std::uint8_t> plain = ProjectFile::Write(f.doc);
    EXPECT_EQ(plain[12], 0x02); // a project without the new data stays a 2.0.0 file
    EXPECT_EQ(plain[11], 0x00);

    Build(f.doc).Room().SetDelay(1, 12.5);
    Build(f.doc).Room().SetDelay(3, 1000);
    EditSettings(f.doc)->listeningPoints = {{"FOH", {1, 2, 1.2}}, {"Row \xE9 20", {-3, 40, 0}}};
    const std::vector<std::uint8_t> extended = ProjectFile::Write(f.doc);
    CByteWriter delays, points;
    delays.Dword(8).Doubles({0, 12.5, 0, 1000, 0, 0, 0, 0});
    points.Dword(2).String("FOH").Doubles({1, 2, 1.2}).String("Row \xE9 20").Doubles({-3, 40, 0});
    EXPECT_EQ(extended, WithRecords(plain, {{"DLAY", delays}, {"MARK", points}}));

    CDAXDoc back;
    RoundTrip(f.doc, back);
    EXPECT_EQ(back.Room().At(1)->delay, 12.5);
    EXPECT_EQ(back.Room().At(3)->delay, 1000);
    EXPECT_EQ(back.Settings().listeningPoints, f.doc.Settings().listeningPoints);
    EXPECT_EQ(back.Room().TotalPower(), f.doc.Room().TotalPower());
    EXPECT_EQ(ProjectFile::Write(back), extended);

    // Room acoustics and speech settings, each in a record of its own after the others.
    CRoomAcoustics acoustics;
    acoustics.faces[0] = {"Carpet \xE9", {0.02, 0.06, 0.14, 0.37, 0.6, 0.65, 0.65}};
    acoustics.faces[5].alpha = {0.1, 0.1, 0.1, 0.1, 0.1, 0.1, 1.0};
    acoustics.extraAbsorption = {0, 1, 2, 3, 4, 5, 6.5};
    acoustics.temperature = -5.5;
    acoustics.humidity = 80;
    acoustics.airOnDirect = true;
    acoustics.formula = EReverbFormula::Sabine;
    CSpeechSettings speech;
    speech.noiseOn = true;
    speech.noise = *NoiseCurve("NR35");
    speech.curve = "NR35";
    speech.stiTarget = 0.6;
    EditSettings(f.doc)->roomAcoustics = acoustics;
    EditSettings(f.doc)->speech = speech;
    CByteWriter room, noise;
    for (const CRoomMaterial& face : acoustics.faces) {
        room.String(face.name);
        for (double a : face.alpha)
            room.Double(a);
    }
    for (double a : acoustics.extraAbsorption)
        room.Double(a);
    room.Doubles({-5.5, 80}).Word(1).Word(1);
    noise.Word(1);
    for (double n : speech.noise)
        noise.Double(n);
    noise.String("NR35").Double(0.6);
    const std::vector<std::uint8_t> acousticBytes = ProjectFile::Write(f.doc);
    EXPECT_EQ(acousticBytes, WithRecords(plain, {{"DLAY", delays}, {"MARK", points},
                                                 {"ROOM", room}, {"NOIS", noise}}));
    CDAXDoc withAcoustics;
    RoundTrip(f.doc, withAcoustics);
    EXPECT_EQ(withAcoustics.Settings().roomAcoustics, acoustics);
    EXPECT_EQ(withAcoustics.Settings().speech, speech);
    EXPECT_EQ(ProjectFile::Write(withAcoustics), acousticBytes);
    EditSettings(f.doc)->roomAcoustics = {};
    EditSettings(f.doc)->speech = {};

    // Each record is written only while its data is in use.
    Build(f.doc).Room().SetDelay(1, -0.0);
    Build(f.doc).Room().SetDelay(3, 0);
    EXPECT_EQ(ProjectFile::Write(f.doc), WithRecords(plain, {{"MARK", points}}));
    EditSettings(f.doc)->listeningPoints.clear();
    EXPECT_EQ(ProjectFile::Write(f.doc), plain);
    EditSettings(f.doc)->speech.stiTarget = 0.5; // the default again
    EXPECT_EQ(ProjectFile::Write(f.doc), plain);

    // A map shown on the automatic colour scale keeps that choice, its stored Max untouched.
    Build(f.doc).Conditions().At(0)->automaticScale = true;
    CByteWriter scales;
    scales.Dword(static_cast<std::uint32_t>(f.doc.Conditions().Count())).Word(1);
    for (int i = 1; i < f.doc.Conditions().Count(); ++i)
        scales.Word(0);
    EXPECT_EQ(ProjectFile::Write(f.doc), WithRecords(plain, {{"CSCL", scales}}));
    CDAXDoc scaled;
    RoundTrip(f.doc, scaled);
    EXPECT_TRUE(scaled.Conditions().At(0)->automaticScale);
    EXPECT_EQ(scaled.Conditions().At(0)->plane.colorMaximum,
              f.doc.Conditions().At(0)->plane.colorMaximum);
    Build(f.doc).Conditions().At(0)->automaticScale = false;
    EXPECT_EQ(ProjectFile::Write(f.doc), plain);
}

TEST(ProjectFile, RecordsThatCannotBeHeldWhollyAreRefused) {
    CDocFixture f;
    f.AddModel(OmniSpeaker());
    Build(f.doc).Room().AddInstallation(0, 0, {1, 1, 2}, {0, 0, 90}, 10, true);
    Build(f.doc).Room().AddInstallation(0, 0, {2, 1, 2}, {0, 0, 90}, 10, true);
    CColorMapCondition c;
    c.plane.Build(0, 0, 1, 2, 2, 0, 0.5, 100, 2);
    Build(f.doc).Conditions().Append(c);
    const std::vector<std::uint8_t> plain = ProjectFile::Write(f.doc);
    CByteWriter delays;
    delays.Dword(2).Doubles({0, 4});

    // A record of a later version is named, never dropped.
    EXPECT_NE(ReadError(WithRecords(plain, {{"DLAY", delays}, {"NEWR", CByteWriter{}}}))
                  .find("record 'NEWR'"),
              std::string::npos);
    EXPECT_NE(ReadError(WithRecords(plain, {{"DLAY", delays}, {"DLAY", delays}})).find("twice"),
              std::string::npos);
    CByteWriter longer = delays;
    longer.Double(0);
    EXPECT_NE(ReadError(WithRecords(plain, {{"DLAY", longer}})).find("left unread"),
              std::string::npos);
    CByteWriter wrongCount, late, negative;
    wrongCount.Dword(3).Doubles({0, 4, 4});
    late.Dword(2).Doubles({0, 1000.5});
    negative.Dword(2).Doubles({-1, 0});
    EXPECT_NE(ReadError(WithRecords(plain, {{"DLAY", wrongCount}})).find("the project has 2"),
              std::string::npos);
    EXPECT_NE(ReadError(WithRecords(plain, {{"DLAY", late}})).find("installation 2 (1000.5 ms)"),
              std::string::npos);
    EXPECT_NE(ReadError(WithRecords(plain, {{"DLAY", negative}})).find("installation 1 (-1 ms)"),
              std::string::npos);
    CByteWriter unknownQuantity, quantityCount;
    unknownQuantity.Dword(1).Word(77);
    quantityCount.Dword(2).Word(0).Word(0);
    EXPECT_NE(ReadError(WithRecords(plain, {{"QNTY", unknownQuantity}})).find("quantity 77"),
              std::string::npos);
    EXPECT_NE(ReadError(WithRecords(plain, {{"QNTY", quantityCount}})).find("the project has 1"),
              std::string::npos);
    // Room acoustics and speech settings out of range, or not what the writer writes.
    auto room = [](double alpha, double extra, double humidity, std::uint16_t air,
                   std::uint16_t formula) {
        CByteWriter w;
        for (int face = 0; face < 6; ++face)
            w.String("").Doubles({0.1, 0.1, alpha, 0.1, 0.1, 0.1, 0.1});
        return w.Doubles({0, extra, 0, 0, 0, 0, 0}).Doubles({20, humidity}).Word(air).Word(formula);
    };
    EXPECT_NE(ReadError(WithRecords(plain, {{"ROOM", room(1.5, 0, 50, 0, 0)}}))
                  .find("surface floor alpha at 500 Hz is 1.5"),
              std::string::npos);
    EXPECT_NE(ReadError(WithRecords(plain, {{"ROOM", room(0.1, -2, 50, 0, 0)}}))
                  .find("extra absorption at 250 Hz is -2"),
              std::string::npos);
    EXPECT_NE(ReadError(WithRecords(plain, {{"ROOM", room(0.1, 0, 120, 0, 0)}}))
                  .find("relative humidity is 120"),
              std::string::npos);
    EXPECT_NE(ReadError(WithRecords(plain, {{"ROOM", room(0.1, 0, 50, 2, 0)}}))
                  .find("air absorption on the direct sound is 2"),
              std::string::npos);
    EXPECT_NE(ReadError(WithRecords(plain, {{"ROOM", room(0.1, 0, 50, 0, 3)}}))
                  .find("reverberation formula 3"),
              std::string::npos);
    EXPECT_NE(ReadError(WithRecords(plain, {{"ROOM", room(std::nan(""), 0, 50, 0, 0)}}))
                  .find("an absorption coefficient is not a finite number"),
              std::string::npos);
    CByteWriter loudNoise, unknownCurve, target;
    loudNoise.Word(1).Doubles({40, 40, 40, 141, 40, 40, 40}).String("").Double(0.5);
    unknownCurve.Word(1).Doubles({40, 40, 40, 40, 40, 40, 40}).String("NR-x").Double(0.5);
    target.Word(0).Doubles({0, 0, 0, 0, 0, 0, 0}).String("").Double(1.5);
    EXPECT_NE(ReadError(WithRecords(plain, {{"NOIS", loudNoise}})).find("noise level at 1 kHz is 141"),
              std::string::npos);
    EXPECT_NE(ReadError(WithRecords(plain, {{"NOIS", unknownCurve}})).find("noise curve \"NR-x\""),
              std::string::npos);
    EXPECT_NE(ReadError(WithRecords(plain, {{"NOIS", target}})).find("STI target is 1.5"),
              std::string::npos);
    CByteWriter badScale;
    badScale.Dword(1).Word(2);
    EXPECT_NE(ReadError(WithRecords(plain, {{"CSCL", badScale}})).find("plane 1 is 2"),
              std::string::npos);
    CByteWriter manyPoints;
    manyPoints.Dword(kMaxListeningPoints + 1);
    EXPECT_NE(ReadError(WithRecords(plain, {{"MARK", manyPoints}})).find("1001 listening points"),
              std::string::npos);
    std::vector<std::uint8_t> trailing = WithRecords(plain, {{"DLAY", delays}});
    trailing.push_back(0);
    EXPECT_NE(ReadError(trailing).find("1 bytes follow"), std::string::npos);
    std::vector<std::uint8_t> cut = WithRecords(plain, {{"DLAY", delays}});
    cut.resize(cut.size() - 3);
    EXPECT_NE(ReadError(cut).find("runs past the end"), std::string::npos);

    // A file of a later version is not opened at all: a save could only lose what it holds.
    std::vector<std::uint8_t> later = plain;
    later[11] = 0x02; // 2.2.0
    CDAXDoc doc;
    std::string error;
    EXPECT_EQ(ProjectFile::Read(later, false, doc, error), ProjectFile::EReadResult::NewerVersion);
    const CTestDir dir;
    const std::string path = dir.Path("later.tdax");
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(later.data()),
                                                static_cast<std::streamsize>(later.size()));
    CDAXDoc opened;
    EXPECT_FALSE(ProjectFile::Open(path, opened, error));
    EXPECT_NE(error.find("later version"), std::string::npos) << error;
}
