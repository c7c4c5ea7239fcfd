// The current project layout pinned byte for byte: a test-side writer lays the file out field by
// field, independently of the program's serialisation, and the program must write exactly that.
// A field swapped the same way in writing and reading survives a round trip; it cannot survive
// this.
#include "ByteWriter.h"
#include "ProjectBuilder.h"
#include "SpeakerFixtures.h"
#include "common/FileVersion.h"
#include "project/DAXDoc.h"
#include "project/ProjectFile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

namespace {
// A ceiling speaker with two taps: one element, a small balloon, two data frequencies.
std::unique_ptr<CSpeakerModel> SmallModel() {
    CVsaGenOptions o = DirectionalSpeaker(1, 1);
    o.lowestFrequency = 1000;
    o.highestFrequency = 2000;
    o.phiBlocks = 2;
    o.thetaCount = 3;
    o.taps = {{false, 100, 3, {}}, {true, 8, 60, 2.5}};
    auto model = ImportSpeakerText(GenerateVsa(o));
    if (!model)
        return model;
    model->Settings().arrangementWords = {7, 8, 9};
    model->SetDefaultTap(1);
    CSPVariableParam& state = model->States().at(0);
    state.orientation = {1.5, 2.5, 3.5}; // azimuth, rotation, elevation
    state.position = {0.125, 0.25, 0.375};
    state.module.weight = 0.75;
    return model;
}

// Every saved field holds a value of its own, and a few WORD fields sit at the edges of 16 bits.
void Furnish(CDAXDoc& doc, std::unique_ptr<CSpeakerModel> model) {
    CProjectSettings s;
    s.advancedMode = 2;
    s.loadedFromFile = 1;
    s.installState = 0;
    s.freshProjectFlag = 0;
    s.autoLayoutValid = 1;
    s.projectName = "Pinned";
    s.projectDate = "2026-12-07";
    s.lengthUnit = 0;
    s.autoLayoutPattern = 3;
    s.autoJudgeBand = 0.5;
    s.autoJudgeFrequency = 1000;
    s.installAngles = {11, 22, 33};
    s.installHeight = 3.25;
    s.autoBottomOffset = 0.5;
    s.autoLeftOffset = 0.625;
    s.autoRowPitch = 1.5;
    s.autoColumnPitch = 2.5;
    s.planeSameAsRoom = 0;
    s.manualRecalc = 1;
    doc.ReplaceSettings(s);

    Build(doc).Models().Append(std::move(model));
    Build(doc).Models().SetCurrentIndex(0);

    CInstallationContainer& room = Build(doc).Room();
    room.gridPitchX = 1.25, room.gridPitchY = 0.875;
    room.reserved1 = -1.0, room.reserved2 = -2.0;
    room.roomLength = 12, room.roomWidth = 9, room.roomHeight = 4;
    room.roomZeroX = -1, room.roomZeroY = 2;
    room.ceilingType = 0;
    room.AddInstallation(0, 1, {2, 3, 3.5}, {10, 20, 30}, 7.5, false);
    room.SetCurrentIndex(0);

    CColorMapCondition c;
    c.mode = kModeEnergy;
    c.band = 3;
    c.centreFrequency = 1258.925;
    c.scrollSize = {0x7FFF, 0x8000};
    c.margins = {0xFFFF, 1, 2, 3};
    c.scale = 0.0625;
    c.viewAngles = {40, 70, 5};
    c.plane.Build(0.5, 0.25, 1.2, 1, 1, 0, 0.5, 100, 2);
    for (std::size_t i = 0; i < c.plane.points.size(); ++i)
        c.plane.points[i].level = 70.0 + static_cast<double>(i);
    for (int i = 0; i < kColorClasses; ++i) {
        c.plane.colors[static_cast<std::size_t>(i)] = 0x00010203u * static_cast<unsigned>(i);
        c.plane.thresholds[static_cast<std::size_t>(i)] = 100 - 2.5 * i;
    }
    c.plane.maximumLevel = 73, c.plane.minimumLevel = 70;
    c.plane.pinkNoiseAverage = 71.75, c.plane.musicSpeechAverage = 67.75;
    c.plane.state = EMapState::Complete; // a finished map: its statistics are written
    Build(doc).Conditions().Append(std::move(c));
    Build(doc).Conditions().currentIndex = 0;

    CSoundGraphDataList data;
    data.reservedWord = 0x8000;
    data.frequencyMin = 20, data.frequencyMax = 20000;
    data.levelMin = 40, data.levelMax = 110;
    data.frequencyStep = 100, data.levelStep = 5;
    data.frequencyAxisType = 1, data.levelAxisType = 0;
    data.curves.assign(2, CSoundGraphData{});
    data.curves[0].name = "at 1, 2";
    const double f[] = {125, 250}, l[] = {80.5, 79.25};
    data.curves[0].SetPoints(2, f, l);
    Build(doc).Graphs().AddGraphCondition(-1, 0x8000, 0xFFFF, 0x7FFF, 36, 0.5, 0.25, data);
    Build(doc).Graphs().currentIndex = 0;
}

// The file as the layout describes it, written from literal values; only the model's generated
// tables are taken from the model.
std::vector<std::uint8_t> ExpectedFile(const CSpeakerModel& m) {
    CByteWriter w;
    w.Raw("VELDAXDoc", 9).Dword(0x02000000);
    // Document settings.
    w.Word(2).Word(1).Word(0).Word(0).Word(1); // advanced, loaded, install state, fresh, valid
    w.String("Pinned").String("2026-12-07");
    w.Word(0).Word(3);                     // unit, pattern
    w.Doubles({0.5, 1000});                // judgment band and frequency
    w.Doubles({11, 22, 33});               // install angles: azimuth, rotation, elevation
    w.Double(3.25);                        // install height
    w.Doubles({0.5, 0.625});               // bottom offset, left offset
    w.Doubles({1.5, 2.5});                 // row pitch, column pitch
    w.Word(0).Word(1);                     // plane same as room, manual recalculation
    w.Word(0).Word(1);                     // models: current, count
    w.Word(1);                             // ceiling kind
    w.Word(7).Word(8).Word(9);             // arrangement words
    w.Doubles({1.5, 2.5, 3.5});            // element orientation
    w.String(m.Name()).String("");         // name, suffix
    w.Doubles({0.75, 0.125, 0.25, 0.375}); // element weight, position
    const CSpeakerDataHeader& h = m.Header();
    w.Double(h.referenceDistance).Word(h.thetaCount).Word(h.phiCount).Word(h.frequencyCount);
    w.Doubles({1, 1000, 2000}); // points per octave, lowest, highest
    w.Word(2).Word(1);          // tap count, default tap
    w.Word(0).Doubles({100, 3, 1});
    w.Word(1).Doubles({8, 60, 2.5});
    for (double theta : h.thetaGrid)
        w.Double(theta);
    for (double phi : m.Balloon(0).phiGrid)
        w.Double(phi);
    for (const CSPComplex& v : m.Balloon(0).data)
        w.Doubles({v.re, v.im});
    for (double frequency : h.frequencyList)
        w.Double(frequency);
    // Room and installations.
    w.Word(0).Word(1);
    w.Doubles({1.25, 0.875, -1.0, 12, 9, -2.0, -1, 2, 4}); // pitches, reserved, room, zero
    w.Double(7.5).Word(0);                                 // total power, ceiling type
    w.Doubles({10, 20, 30}).Double(7.5).Word(0);           // aim, power, reversed
    w.Doubles({2, 3, 3.5}).Word(0).Word(1);                // position, model, tap
    // Calculation planes.
    w.Word(0).Word(1);
    w.Word(1).Doubles({3, 1258.925});                   // energy, band, centre
    w.Word(0x7FFF).Word(0x8000);                        // scroll size
    w.Word(0xFFFF).Word(1).Word(2).Word(3);             // margins
    w.Double(0.0625);                                   // scale
    w.Word(4).Word(25).Doubles({0.5, 2, 1, 1, 0, 100}); // points, colours, pitches, extents, max
    w.Doubles({0.5, 0.25, 1.2});                        // origin
    const double xs[] = {0.75, 1.25, 0.75, 1.25}, ys[] = {0.5, 0.5, 1.0, 1.0};
    for (int i = 0; i < 4; ++i)
        w.Doubles({xs[i], ys[i], 1.2, 0.5, 0.5, 0, 70.0 + i});
    for (int i = 0; i < 25; ++i)
        w.Dword(0x00010203u * static_cast<unsigned>(i)).Double(100 - 2.5 * i);
    w.Doubles({73, 70, 71.75, 67.75});
    w.Doubles({40, 70, 5}); // view angles
    // Frequency response entries.
    w.Word(0).Word(1);
    w.Word(0x8000).Word(0xFFFF).Word(0x7FFF).Word(36).Doubles({0.5, 0.25});
    w.Word(0x8000).Word(2).Doubles({20, 20000, 40, 110, 100, 5}).Dword(1).Dword(0);
    w.Dword(2).String("at 1, 2").Word(2).Doubles({125, 80.5, 250, 79.25});
    w.Dword(0).String("").Word(0);
    return w.bytes;
}

std::size_t FirstDifference(const std::vector<std::uint8_t>& a,
                            const std::vector<std::uint8_t>& b) {
    std::size_t i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i])
        ++i;
    return i;
}
} // namespace

TEST(ProjectFileLayout, TheProgramWritesTheLayoutFieldByField) {
    auto model = SmallModel();
    ASSERT_NE(model, nullptr);
    // The generated tables the writer copies are the sizes the header states.
    const CSpeakerDataHeader& h = model->Header();
    ASSERT_EQ(h.thetaGrid.size(), h.thetaCount);
    ASSERT_EQ(h.frequencyList.size(), 2u);
    ASSERT_EQ(h.frequencyCount, 2);
    ASSERT_EQ(model->Balloons().size(), 1u);
    ASSERT_EQ(model->Balloon(0).phiGrid.size(), h.phiCount);
    ASSERT_EQ(model->Balloon(0).data.size(),
              std::size_t(h.phiCount) * h.thetaCount * h.frequencyCount);
    ASSERT_NE(model->Balloon(0).data.at(1).im, 0.0);

    CDAXDoc doc;
    Furnish(doc, std::move(model));
    const std::vector<std::uint8_t> expected = ExpectedFile(doc.Models().At(0));
    const std::vector<std::uint8_t> written = ProjectFile::Write(doc);
    EXPECT_EQ(written.size(), expected.size());
    EXPECT_EQ(FirstDifference(written, expected), expected.size()) << "first differing byte";
}

TEST(ProjectFileLayout, ReadingTheLayoutGivesEveryFieldAndWordsAreUnsigned) {
    auto model = SmallModel();
    ASSERT_NE(model, nullptr);
    CDAXDoc source;
    Furnish(source, std::move(model));
    const std::vector<std::uint8_t> bytes = ExpectedFile(source.Models().At(0));

    CDAXDoc doc;
    std::string error;
    ASSERT_EQ(ProjectFile::Read(bytes, false, doc, error), ProjectFile::EReadResult::Loaded)
        << error;
    EXPECT_EQ(doc.Settings().advancedMode, 2);
    EXPECT_EQ(doc.Settings().installState, 0);
    EXPECT_EQ(doc.Settings().autoLayoutValid, 1);
    EXPECT_EQ(doc.Settings().autoLayoutPattern, 3);
    EXPECT_EQ(doc.Settings().installAngles, (COrientation{11, 22, 33}));
    EXPECT_EQ(doc.Settings().autoLeftOffset, 0.625);
    EXPECT_EQ(doc.Settings().autoColumnPitch, 2.5);
    EXPECT_EQ(doc.Settings().manualRecalc, 1);
    const CSpeakerModel& m = doc.Models().At(0);
    EXPECT_EQ(m.DefaultTap(), 1);
    EXPECT_EQ(m.Tap(1).ampFactor, 2.5);
    EXPECT_TRUE(m.Tap(1).lowImpedance);
    EXPECT_EQ(m.State(0).orientation, (COrientation{1.5, 2.5, 3.5}));
    EXPECT_EQ(m.State(0).position, (CVec3{0.125, 0.25, 0.375}));
    EXPECT_EQ(m.State(0).module.weight, 0.75);
    EXPECT_EQ(doc.Room().gridPitchY, 0.875);
    EXPECT_EQ(doc.Room().reserved1, -1.0);
    EXPECT_EQ(doc.Room().roomZeroX, -1);
    EXPECT_EQ(doc.Room().TotalPower(), 7.5);
    const CInstallationElement& e = *doc.Room().At(0);
    EXPECT_EQ(e.orientation, (COrientation{10, 20, 30}));
    EXPECT_FALSE(e.polarityNormal);
    EXPECT_EQ(e.tapIndex, 1);
    const CColorMapCondition& c = *doc.Conditions().At(0);
    EXPECT_EQ(c.mode, kModeEnergy);
    EXPECT_EQ(c.band, 3);
    // WORDs read back zero-extended: 0x8000 and 0xFFFF are not negative.
    EXPECT_EQ(c.scrollSize, (std::array<int, 2>{32767, 32768}));
    EXPECT_EQ(c.margins, (std::array<int, 4>{65535, 1, 2, 3}));
    const CSoundGraphCondition& g = *doc.Graphs().At(0);
    EXPECT_EQ(g.left, 32768);
    EXPECT_EQ(g.top, 65535);
    EXPECT_EQ(g.right, 32767);
    EXPECT_EQ(g.data.reservedWord, 32768);
    EXPECT_EQ(c.plane.points[2].y, 1.0);
    EXPECT_EQ(c.plane.points[3].level, 73.0);
    EXPECT_EQ(c.plane.musicSpeechAverage, 67.75);
    EXPECT_EQ(c.plane.state, EMapState::Complete); // statistics that are not all 0: a finished map
    EXPECT_EQ(c.viewAngles, (std::array<double, 3>{40, 70, 5}));
    ASSERT_EQ(g.data.curves.size(), 2u);
    EXPECT_EQ(g.data.curves[0].levels, (std::vector<double>{80.5, 79.25}));
    // Written again, byte for byte.
    EXPECT_EQ(ProjectFile::Write(doc), bytes);
}
