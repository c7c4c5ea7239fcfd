#include "SpeakerFixtures.h"
#include "common/LineReader.h"
#include "speaker/SpeakerModelContainer.h"
#include "speaker/StdSPModel.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {
// A tiny model written line by line: 4 phi blocks, theta 0/90/180, 1000 and 1995 Hz. Every cell
// gets a distinct level (60 + 10p + t + f/2) and phase (5p + t), so misplaced data shows.
std::string TinyText(const std::string& thetaLine = "0,90,180", int pairsPerLine = 3) {
    std::ostringstream s;
    s << "0\nTiny\n2\n4\n3\n1\n1000\n2000\nl,8,60\nh,100,30,1.5\n" << thetaLine << "\n";
    for (int p = 0; p < 4; ++p) {
        s << p * 90 << "\n";
        for (int f = 0; f < 2; ++f) {
            for (int t = 0; t < pairsPerLine; ++t)
                s << (t ? "," : "") << 60 + 10 * p + t + f * 0.5 << "," << 5 * p + t;
            s << "\n";
        }
    }
    return s.str();
}

double LevelAt(const CSpeakerModel& m, int p, int t, int f) {
    return m.Balloon(0).Value(p, t, f).Level();
}
} // namespace

TEST(SpeakerImport, ReadsHeaderTapsAndGrid) {
    std::string reason;
    auto model = ImportSpeakerText(TinyText(), 0, &reason);
    ASSERT_TRUE(model) << reason;
    const CSpeakerDataHeader& h = model->Header();
    EXPECT_EQ(h.name, "Tiny");
    EXPECT_EQ(h.phiCount, 5);
    EXPECT_EQ(h.thetaCount, 3);
    EXPECT_EQ(h.frequencyCount, 2);
    EXPECT_EQ(h.referenceDistance, 1.0);
    EXPECT_EQ(h.thetaGrid, (std::vector<double>{0, 90, 180}));

    const CTapElement& low = model->Tap(0);
    EXPECT_TRUE(low.lowImpedance);
    EXPECT_EQ(low.tapRating, 8.0);
    EXPECT_EQ(low.tapPower, 60.0);
    EXPECT_EQ(low.ampFactor, 2.0);
    const CTapElement& line = model->Tap(1);
    EXPECT_FALSE(line.lowImpedance);
    EXPECT_EQ(line.tapRating, 100.0);
    EXPECT_EQ(line.tapPower, 30.0);
    EXPECT_EQ(line.ampFactor, 1.5);
    EXPECT_THROW(model->Tap(2), CInvalidArgument);
}

TEST(SpeakerImport, ClosesTheSphereAtThe360ColumnAndThePoles) {
    auto model = ImportSpeakerText(TinyText());
    ASSERT_TRUE(model);
    const CBalloonElement& b = model->Balloon(0);
    EXPECT_EQ(b.phiGrid, (std::vector<double>{0, 90, 180, 270, 360}));
    for (int f = 0; f < 2; ++f) {
        // The middle theta keeps what each phi block said ...
        for (int p = 0; p < 4; ++p)
            EXPECT_NEAR(LevelAt(*model, p, 1, f), 60 + 10 * p + 1 + f * 0.5, 1e-9);
        // ... the 360 column repeats the 0 column ...
        for (int t = 0; t < 3; ++t)
            EXPECT_EQ(b.Value(4, t, f), b.Value(0, t, f));
        // ... and each pole holds the value of phi 0 whatever the other blocks said.
        for (int p = 0; p < 5; ++p) {
            EXPECT_EQ(b.Value(p, 0, f), b.Value(0, 0, f));
            EXPECT_EQ(b.Value(p, 2, f), b.Value(0, 2, f));
        }
    }
    EXPECT_NEAR(b.Value(0, 1, 1).Phase(), 1.0, 1e-9);
}

TEST(SpeakerImport, AStandardModelHasOneElementAtTheReferencePoint) {
    auto model = ImportSpeakerText(TinyText());
    ASSERT_TRUE(model);
    ASSERT_EQ(model->Elements().size(), 1u);
    EXPECT_EQ(model->Element(0).Position(), (CVec3{0, 0, 0}));
    EXPECT_EQ(model->Element(0).Weight(), 1.0);
    EXPECT_EQ(model->ElementTotal(), 1);
}

TEST(SpeakerImport, CrLfTextReadsLikeLfText) {
    std::string crlf;
    for (char c : TinyText()) {
        if (c == '\n')
            crlf += '\r';
        crlf += c;
    }
    auto a = ImportSpeakerText(TinyText());
    auto b = ImportSpeakerText(crlf);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->Header().name, b->Header().name);
    EXPECT_EQ(a->Balloon(0).data, b->Balloon(0).data);
}

TEST(SpeakerImport, MissingAndSurplusDirectivityDataNeverOverflow) {
    // Only two pairs per line on a three-value grid: refused, naming the first short line.
    std::string reason;
    EXPECT_FALSE(ImportSpeakerText(TinyText("0,90,180", 2), 0, &reason));
    EXPECT_NE(reason.find("holds 2 of the 3 level and phase pairs"), std::string::npos) << reason;
    EXPECT_NE(reason.find("line "), std::string::npos) << reason;
    // Five pairs per line on a three-value grid: the surplus is ignored.
    auto longLines = ImportSpeakerText(TinyText("0,90,180", 5));
    ASSERT_TRUE(longLines);
    EXPECT_NEAR(LevelAt(*longLines, 1, 1, 0), 71.0, 1e-9);
    // Text cut inside the balloon: refused, where zeros would have stood for the missing values.
    const std::string text = TinyText();
    EXPECT_FALSE(ImportSpeakerText(text.substr(0, text.size() - 40), 0, &reason));
    EXPECT_NE(reason.find("incomplete"), std::string::npos) << reason;
}

TEST(SpeakerImport, EveryMissingHeaderLineFailsWithAReason) {
    const std::string text = TinyText();
    // Cut the text after each line before the theta line: kind, header and taps.
    std::size_t pos = 0;
    for (int line = 0; line < 10; ++line) {
        pos = text.find('\n', pos) + 1;
        std::string reason;
        EXPECT_FALSE(ImportSpeakerText(text.substr(0, pos), 0, &reason)) << line;
        EXPECT_FALSE(reason.empty()) << line;
    }
    std::string reason;
    EXPECT_FALSE(ImportSpeakerText("", 0, &reason));
    EXPECT_NE(reason.find("model type"), std::string::npos);
}

TEST(SpeakerImport, UnknownKindsAndTooManyThetaValuesFail) {
    std::string reason;
    std::string text = TinyText();
    EXPECT_FALSE(ImportSpeakerText("8" + text.substr(1), 0, &reason));
    EXPECT_NE(reason.find("8"), std::string::npos);
    EXPECT_FALSE(CSpeakerModelContainer::CreateModel(8));
    EXPECT_FALSE(CSpeakerModelContainer::CreateModel(-1));

    EXPECT_FALSE(ImportSpeakerText(TinyText("0,45,90,180"), 0, &reason));
    EXPECT_NE(reason.find("theta"), std::string::npos);

    // The model's own reading raises the invalid-argument error for the surplus angle.
    std::istringstream in(TinyText("0,45,90,180").substr(2));
    CLineReader reader(in);
    CStdSPModel model(0);
    EXPECT_THROW(model.LoadFromText(reader, nullptr), CInvalidArgument);
}

TEST(SpeakerImport, GridsTooLargeForMemoryAreRefusedBeforeAllocation) {
    std::string reason;
    // 65535 x 65535 x 241 values would need terabytes.
    EXPECT_FALSE(
        ImportSpeakerText("0\nHuge\n1\n65534\n65535\n24\n20\n20000\nh,100,10\n0\n", 0, &reason));
    EXPECT_NE(reason.find("limit"), std::string::npos) << reason;
    // Counts that do not fit the data model at all.
    EXPECT_FALSE(ImportSpeakerText("0\nBad\n0\n70000\n3\n3\n100\n1000\n0\n", 0, &reason));
    EXPECT_FALSE(ImportSpeakerText("0\nBad\n0\n4\n0\n3\n100\n1000\n0\n", 0, &reason));
    EXPECT_FALSE(ImportSpeakerText("0\nBad\n0\n4\n3\n-3\n100\n1000\n0\n", 0, &reason));
    EXPECT_FALSE(ImportSpeakerText("0\nBad\n1\n4\n3\n3\n5000\n100\nh,100,10\n0\n", 0, &reason));
    EXPECT_NE(reason.find("no model frequency"), std::string::npos) << reason;
}

TEST(SpeakerImport, GeneratedSpeakersImportWithTheirGrids) {
    for (const CVsaGenOptions& options :
         {DirectionalSpeaker(0, 24), DirectionalSpeaker(1, 1), OmniSpeaker()}) {
        std::string reason;
        auto model = ImportSpeakerText(GenerateVsa(options), 0, &reason);
        ASSERT_TRUE(model) << reason;
        EXPECT_EQ(model->Kind(), options.kind);
        EXPECT_EQ(model->Header().phiCount, options.phiBlocks + 1);
        EXPECT_EQ(model->Header().thetaCount, options.thetaCount);
        EXPECT_EQ(model->Header().tapCount, options.taps.size());
        EXPECT_EQ(model->Header().thetaGrid.back(), 180.0);
    }
}

// Each refusal of the text reader is one typed error thrown from where the text went wrong; the
// import entry reports its message unchanged.
TEST(SpeakerImport, ARefusalIsOneTypedErrorWhoseTextTheEntryReports) {
    const std::string tiny = TinyText();
    std::string array = GenerateVsa(TypeNArrayOptions());
    array.erase(0, array.rfind("Version ", 0) == 0 ? array.find('\n') + 1 : 0);
    const std::vector<std::string> refused = {
        tiny.substr(0, tiny.find("\n4\n") + 1),       // ends before the phi count
        "0\nTiny\n0\n4\n3\n1\n1000\n2000\n",          // no tap
        "0\nTiny\n1\n4\n3\n1\n1000\n2000\nh,100,x\n", // a tap power that is no number
        TinyText("0,45,90,180"),                      // more theta angles than the count
        tiny.substr(0, tiny.size() - 40),             // directivity cut short
        array.substr(0, array.find('\n', array.find('\n') + 1) + 1), // one count line of three
        array.substr(0, array.size() / 2), // a line array cut in its balloon
    };
    for (const std::string& text : refused) {
        std::string reason;
        EXPECT_FALSE(ImportSpeakerText(text, 0, &reason)) << text.substr(0, 40);
        ASSERT_FALSE(reason.empty());

        std::istringstream in(text);
        CLineReader reader(in);
        std::string kindLine;
        ASSERT_TRUE(reader.ReadLine(kindLine));
        auto model = CSpeakerModelContainer::CreateModel(std::stoi(kindLine));
        ASSERT_TRUE(model);
        try {
            model->LoadFromText(reader, nullptr);
            ADD_FAILURE() << "no refusal for: " << reason;
        } catch (const CSpeakerTextError& e) {
            EXPECT_EQ(e.what(), reason);
        } catch (const CInvalidArgument& e) { // data the model cannot hold, named as such
            EXPECT_EQ("invalid speaker data: " + std::string(e.what()), reason);
        }
    }
    std::string reason;
    EXPECT_FALSE(ImportSpeakerText(refused[0], 0, &reason));
    EXPECT_EQ(reason, "the speaker data ends before its phi count line");

    // A line over the length cap ends the reading: the entry names that, not the missing rest.
    std::istringstream in("0\n" + std::string(200, 'N') + "\n" + tiny.substr(tiny.find('\n', 2)));
    CLineReader reader(in, 64);
    EXPECT_FALSE(CSpeakerModelContainer::ReadModel(reader, 0, nullptr, &reason));
    ASSERT_TRUE(reader.Failed());
    EXPECT_EQ(reason, "the speaker data is damaged: " + reader.Error());
}
