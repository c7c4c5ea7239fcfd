#include "ByteWriter.h"
#include "common/FileVersion.h"
#include "project/DAXDoc.h"
#include "project/ProjectFile.h"

#include <gtest/gtest.h>

namespace {
// An older project built from the layout: one standard model (one tap, a 2 x 3 balloon at two
// frequencies), one installation, one XY plane of four points and one response entry.
struct OldProject {
    std::uint32_t version;
    bool legacy;

    bool HasSuffix() const { return version != kVersion100 && version != kVersion130; }
    bool Has3d() const { return version >= kVersion140; }

    void ModelRecord(CByteWriter& w) const {
        w.Word(1);                 // ceiling kind
        w.Word(7).Word(8).Word(9); // arrangement words
        w.Doubles({0, 0, 90});     // element orientation
        w.String("Old ceiling");
        if (HasSuffix())
            w.String("");
        w.Doubles({1.0, 0.0, 0.0, 0.0});       // weight, position
        w.Double(1.0).Word(3).Word(2).Word(2); // reference distance, theta, phi, frequencies
        w.Doubles({3, 1000, 1300});            // points per octave, lowest, highest
        w.Word(1);                             // tap count
        w.Word(0).Word(1).Doubles({8, 60});    // default tap; a low-impedance tap
        if (HasSuffix())
            w.Double(2.5);
        w.Doubles({0, 90, 180});               // theta grid
        w.Doubles({0, 360});                   // phi grid
        w.Doubles({1000, 1258.9254117941662}); // frequencies
        for (int i = 0; i < 2 * 3 * 2; ++i)    // the element's balloon values
            w.Doubles({0.01 * (i + 1), -0.001 * i});
    }

    std::vector<std::uint8_t> Bytes() const {
        CByteWriter w;
        if (legacy) {
            const std::string v = std::to_string(version >> 24) + "." +
                                  std::to_string((version >> 16) & 0xFF) + "." +
                                  std::to_string((version >> 8) & 0xFF);
            w.String("Version " + v);
        } else {
            w.Raw("VELDAXDoc", 9).Dword(version);
        }
        w.Word(2).Word(0).Word(2).Word(0).Word(1); // advanced, loaded, install state, fresh, valid
        w.String("Old project").String("1999-01-01");
        w.Word(0).Word(3).Doubles({3, 1000, 1, 2, 3, 2.5, 0.5, 0.75, 1.25, 1.5});
        w.Word(1); // plane same as room
        if (version != kVersion100)
            w.Word(1);     // manual recalculation
        w.Word(0).Word(1); // models: current, count
        CByteWriter obsolete;
        obsolete.Word(0).Word(0).Doubles({0, 0, 0}).Word(0);
        w.Raw(obsolete.bytes.data(), obsolete.bytes.size());
        ModelRecord(w);
        ModelRecord(w);                    // the discarded copy
        w.Word(0).Word(1).Doubles({1, 1}); // installations: current, count, grid
        if (Has3d())
            w.Double(0);
        w.Doubles({12, 8});
        if (Has3d())
            w.Double(0);
        w.Doubles({0, 0, 4.5, 60}).Word(1); // zero, height (or reserved), power, ceiling
        w.Doubles({0, 0, 90}).Double(60).Word(0).Doubles({6, 4, 4.5}).Word(0).Word(0);
        w.Word(0).Word(1); // planes
        w.Word(1)
            .Doubles({3, 1000})
            .Word(600)
            .Word(400)
            .Word(110)
            .Word(44)
            .Word(40)
            .Word(324)
            .Double(0.05);
        w.Word(4).Word(25).Doubles({1, 2, 2, 2}); // points, colours, pitch, colour pitch, extents
        if (Has3d())
            w.Double(0);
        w.Doubles({100, 0, 0, 1.2}); // colour maximum, origin
        for (int p = 0; p < 4; ++p) {
            w.Doubles({0.5 + p % 2, 0.5 + p / 2, 1.2, 1, 1});
            if (Has3d())
                w.Double(0);
            w.Double(70.0 + p);
        }
        for (int i = 0; i < 25; ++i)
            w.Dword(0x010203 * i).Double(100 - 2 * i);
        w.Doubles({73, 70, 71.6, 67.6});
        if (Has3d())
            w.Doubles({45, 75, 0});
        w.Word(0).Word(1).Word(30).Word(20).Word(20).Word(36).Doubles({0.5, 0.25});
        w.Word(0).Word(1).Doubles({20, 20000, 50, 120, 1000, 10}).Dword(1).Dword(0);
        w.Dword(2).String("").Word(2).Doubles({100, 80, 200, 81});
        return w.bytes;
    }
};
} // namespace

TEST(ProjectFileVersions, EveryOlderLayoutReadsInBothContainers) {
    for (std::uint32_t version :
         {kVersion100, kVersion130, kVersion140, kVersion141, kVersion142}) {
        for (bool legacy : {false, true}) {
            SCOPED_TRACE(testing::Message()
                         << std::hex << version << (legacy ? " legacy" : " current"));
            const OldProject fixture{version, legacy};
            CDAXDoc doc;
            std::string error;
            ASSERT_EQ(ProjectFile::Read(fixture.Bytes(), legacy, doc, error),
                      ProjectFile::EReadResult::Loaded)
                << error;
            EXPECT_EQ(doc.FileVersion(), kVersion200);
            EXPECT_EQ(doc.Settings().loadedFromFile, 1);
            EXPECT_EQ(doc.Settings().projectName, "Old project");
            EXPECT_EQ(doc.Settings().manualRecalc, version == kVersion100 ? 0 : 1);
            ASSERT_EQ(doc.Models().Count(), 1);
            const CSpeakerModel& m = doc.Models().At(0);
            EXPECT_EQ(m.Name(), "Old ceiling");
            EXPECT_EQ(m.Settings().arrangementWords, (std::array<std::uint16_t, 3>{7, 8, 9}));
            EXPECT_EQ(m.Tap(0).ampFactor, fixture.HasSuffix() ? 2.5 : 2.0);
            EXPECT_EQ(m.Balloon(0).Value(1, 2, 1).re, 0.01 * 12); // read through the element list
            EXPECT_EQ(m.Balloon(0).phiGrid, (std::vector<double>{0, 360}));
            EXPECT_EQ(m.State(0).orientation.elevation, 90.0);
            EXPECT_EQ(doc.Room().roomHeight, fixture.Has3d() ? 4.5 : 0.0);
            EXPECT_EQ(doc.Room().reserved2, fixture.Has3d() ? 0.0 : 4.5);
            ASSERT_EQ(doc.Room().Count(), 1);
            EXPECT_FALSE(doc.Room().At(0)->polarityNormal);
            EXPECT_EQ(doc.Room().At(0)->position, (CVec3{6, 4, 4.5}));
            ASSERT_EQ(doc.Conditions().Count(), 1);
            const CColorMapCondition& c = *doc.Conditions().At(0);
            EXPECT_EQ(c.plane.pointCount, 4);
            EXPECT_EQ(c.plane.points[3].level, 73.0);
            EXPECT_EQ(c.plane.extentZ, 0.0);
            EXPECT_EQ(c.plane.colors[2], 0x020406u);
            EXPECT_EQ(c.viewAngles, fixture.Has3d() ? (std::array<double, 3>{45, 75, 0})
                                                    : (std::array<double, 3>{0, 0, 0}));
            EXPECT_EQ(c.plane.musicSpeechAverage, 67.6);
            ASSERT_EQ(doc.Graphs().Count(), 1);
            EXPECT_EQ(doc.Graphs().At(0)->data.Curve(0)->levels, (std::vector<double>{80, 81}));
        }
    }
}

TEST(ProjectFileVersions, TheLegacyVersionTextDecidesTheLayout) {
    OldProject fixture{kVersion142, true};
    std::vector<std::uint8_t> bytes = fixture.Bytes();
    bytes[1] = 'v'; // "version 1.4.2": not the marker, so the version is 0
    CDAXDoc doc;
    std::string error;
    EXPECT_EQ(ProjectFile::Read(bytes, true, doc, error), ProjectFile::EReadResult::UnknownVersion);
}
