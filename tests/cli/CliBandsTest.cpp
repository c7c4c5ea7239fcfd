// Uniformity figures, band labels and band choices of daxara-cli, checked against the CSV it
// writes and against the lists the window shows.
#include "CliFixture.h"
#include "SpeakerFixtures.h"
#include "acoustics/MapCalculation.h"
#include "project/ColorMapViewModel.h"
#include "speaker/FrequencyList.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <sstream>

namespace {
using nlohmann::json;

class CliBands : public CliFixture {
protected:
    std::string project, speaker;

    // Three directional ceiling speakers (data from 100 Hz to 10 kHz, 3 points per octave) over
    // a 12 x 9 m floor.
    void SetUp() override {
        project = P("bands.tdax");
        speaker = Write("c.vsa", GenerateVsa(DirectionalSpeaker(1, 3)));
        Run("new " + project + " --room 12,9,4");
        Run("import " + project + " " + speaker);
        for (const char* at : {"3,3,4", "9,3,4", "6,7,4"})
            Run("install " + project + " --at " + at);
        Run("plane " + project + " --origin 0,0,1.2 --extent 12,9,0 --pitch 0.5");
    }
};

std::vector<double> CsvLevels(const std::string& text) {
    std::istringstream in(text);
    std::string line;
    std::getline(in, line);
    std::vector<double> levels;
    while (std::getline(in, line))
        levels.push_back(std::stod(line.substr(line.rfind(',') + 1)));
    return levels;
}

// The number after `label` on its line of the text output.
double Figure(const std::string& out, const std::string& label) {
    const std::size_t at = out.find(label);
    EXPECT_NE(at, std::string::npos) << label << " missing in\n" << out;
    return at == std::string::npos ? NAN : std::stod(out.substr(at + label.size()));
}

// What 4 significant digits leave of a value.
double Digits4(double v) {
    return 0.5 * std::pow(10.0, std::floor(std::log10(std::fabs(v))) - 3) + 1e-12;
}

double Quantile(std::vector<double> sorted, double p) {
    const double rank = p * static_cast<double>(sorted.size() - 1);
    const std::size_t k = static_cast<std::size_t>(rank);
    return k + 1 < sorted.size()
               ? sorted[k] + (rank - static_cast<double>(k)) * (sorted[k + 1] - sorted[k])
               : sorted[k];
}

// Which of a band's data frequencies (3 per octave) the speaker has measured.
std::string ExpectedCoverage(double perOctave, double centre, const CSpeakerDataHeader& data) {
    const CBandIndexRange r = BandIndices(perOctave, centre, 3);
    int measured = 0;
    for (int k = r.start; k < r.end; ++k)
        measured += !data.IsOutsideRange(ModelFrequency(k, 3));
    return measured == 0 ? "outside" : (measured == r.Count() ? "inside" : "partly outside");
}

struct Expected {
    double mean = 0, sd = 0, spread = 0, p10 = 0, p50 = 0, p90 = 0, energyAverage = 0;
    double Within(const std::vector<double>& levels, double db) const {
        return static_cast<double>(
                   std::count_if(levels.begin(), levels.end(),
                                 [&](double l) { return std::fabs(l - energyAverage) <= db; })) /
               static_cast<double>(levels.size());
    }
};

Expected FromLevels(std::vector<double> levels) {
    Expected e;
    const double n = static_cast<double>(levels.size());
    double energy = 0;
    for (double l : levels) {
        e.mean += l / n;
        energy += std::pow(10.0, l / 10.0) / n;
    }
    for (double l : levels)
        e.sd += (l - e.mean) * (l - e.mean) / n;
    e.sd = std::sqrt(e.sd);
    e.energyAverage = 10.0 * std::log10(energy);
    std::sort(levels.begin(), levels.end());
    e.spread = levels.back() - levels.front();
    e.p10 = Quantile(levels, 0.1);
    e.p50 = Quantile(levels, 0.5);
    e.p90 = Quantile(levels, 0.9);
    return e;
}
} // namespace

TEST_F(CliBands, UniformityFiguresAgreeWithTheLevelsOfTheCsv) {
    const CliRun j =
        Run("map " + project + " --band 1/3 --freq 2000 --json --within 1.5 --csv " + P("m.csv"));
    const std::vector<double> levels = CsvLevels(Read(P("m.csv")));
    ASSERT_EQ(levels.size(), 24u * 18u);
    const Expected e = FromLevels(levels);
    ASSERT_GT(e.spread, 3.0); // a plane uneven enough for the figures to mean something
    const json m = json::parse(j.out);
    EXPECT_NEAR(m["pinkNoiseAverage"], e.energyAverage, 1e-9);
    EXPECT_NEAR(m["mean"], e.mean, 1e-9);
    EXPECT_NEAR(m["standardDeviation"], e.sd, 1e-9);
    EXPECT_NEAR(m["spread"], e.spread, 1e-12);
    EXPECT_NEAR(m["percentiles"]["10"], e.p10, 1e-9);
    EXPECT_NEAR(m["percentiles"]["50"], e.p50, 1e-9);
    EXPECT_NEAR(m["percentiles"]["90"], e.p90, 1e-9);
    EXPECT_EQ(m["within"]["dB"], 1.5);
    EXPECT_DOUBLE_EQ(m["within"]["share"], e.Within(levels, 1.5));
    EXPECT_EQ(m["maximum"], *std::max_element(levels.begin(), levels.end()));
    EXPECT_EQ(m["minimum"], *std::min_element(levels.begin(), levels.end()));
    EXPECT_EQ(m["centreLabel"], "2000[Hz]");

    // The text shows the same figures to four digits, the share within the default 3 dB.
    const std::string out = Run("map " + project + " --band 1/3 --freq 2000").out;
    EXPECT_NEAR(Figure(out, "standard deviation: "), e.sd, Digits4(e.sd));
    EXPECT_NEAR(Figure(out, "spread (max - min): "), e.spread, Digits4(e.spread));
    EXPECT_NEAR(Figure(out, "percentiles (10th, 50th, 90th): "), e.p10, Digits4(e.p10));
    const std::string share = "within +/-3 dB of the pink-noise average: ";
    EXPECT_NEAR(Figure(out, share), 100 * e.Within(levels, 3), Digits4(100 * e.Within(levels, 3)));
    EXPECT_NE(e.Within(levels, 3), e.Within(levels, 1.5));
}

TEST_F(CliBands, TheFiguresAreNotStoredAndBadWindowsAreRefused) {
    Run("map " + project + " --save --within 1");
    const std::string saved = Read(project);
    Run("map " + project + " --save --within 6");
    EXPECT_EQ(Read(project), saved); // the window changes no byte of the project
    const auto doc = Reopen(project);
    const json m = json::parse(Run("map " + project + " --json").out);
    const CListeningPlane& plane = doc->Conditions().At(0)->plane;
    EXPECT_EQ(m["maximum"], plane.maximumLevel);
    EXPECT_EQ(m["minimum"], plane.minimumLevel);
    EXPECT_EQ(m["pinkNoiseAverage"], plane.pinkNoiseAverage);
    EXPECT_EQ(m["musicSpeechAverage"], plane.musicSpeechAverage);

    for (const char* bad : {"--within -1", "--within nan", "--within 101", "--json --csv -"}) {
        const CliRun r = Cli("map " + project + " --save " + bad);
        EXPECT_NE(r.status, 0) << bad;
        EXPECT_NE(r.err.find(std::string(bad).substr(0, 6)), std::string::npos) << r.err;
        EXPECT_EQ(Read(project), saved) << bad;
    }
}

TEST_F(CliBands, BandLabelsAreTheWindowsLists) {
    const json listed = json::parse(Run("bands " + project + " --json").out);
    const auto doc = Reopen(project);
    CColorMapViewModel view(*doc);
    view.OnInitialUpdate();
    const std::vector<std::string> bandItems = view.BandCombo().items;
    ASSERT_EQ(listed["bands"].size(), bandItems.size());
    for (std::size_t i = 0; i < bandItems.size(); ++i) {
        SCOPED_TRACE(bandItems[i]);
        view.OnBandSelected(static_cast<int>(i));
        const json& band = listed["bands"][i];
        EXPECT_EQ(band["label"], bandItems[i]);
        EXPECT_EQ(band["band"], view.Condition()->band);
        ASSERT_EQ(band["centres"].size(), view.FrequencyCombo().items.size());
        for (std::size_t k = 0; k < band["centres"].size(); ++k) {
            EXPECT_EQ(band["centres"][k]["label"], view.FrequencyCombo().items[k]);
            EXPECT_EQ(band["centres"][k]["frequency"], view.FrequencyChoiceList()[k].value);
        }
    }
    // The speaker data file itself lists the same.
    EXPECT_EQ(json::parse(Run("bands " + speaker + " --json").out)["bands"], listed["bands"]);

    // As text: every label of each list in order, marked as far as its band lies outside the
    // measured 100 Hz to 10 kHz.
    const CSpeakerDataHeader& data = doc->Models().At(0).Header();
    std::size_t partly = 0, outside = 0;
    for (const json& band : listed["bands"]) {
        const std::string name = band["label"].get<std::string>();
        const std::string option = name.substr(0, name.find(' '));
        const std::string text = Run("bands " + project + " --band " + option).out;
        std::size_t at = 0;
        for (const json& centre : band["centres"]) {
            SCOPED_TRACE(name + " " + centre["label"].get<std::string>());
            const std::string expected = ExpectedCoverage(band["band"], centre["frequency"], data);
            EXPECT_EQ(centre["data"], expected);
            at = text.find("  " + centre["label"].get<std::string>() + " ", at);
            ASSERT_NE(at, std::string::npos);
            const std::string line = text.substr(at, text.find('\n', at) - at);
            EXPECT_EQ(line.find("outside the speaker data") != std::string::npos,
                      expected != "inside")
                << line;
            EXPECT_EQ(line.find("partly") != std::string::npos, expected == "partly outside")
                << line;
            partly += expected == "partly outside";
            outside += expected == "outside";
        }
    }
    EXPECT_GT(partly, 0u);
    EXPECT_GT(outside, 0u);
}

TEST_F(CliBands, BandsRefusesWhatItCannotList) {
    const std::string before = Read(project);
    for (const std::string& args :
         {"bands " + project + " --model 1", "bands " + project + " --band 1/24",
          "bands " + speaker + " --model 1", "bands " + P("none.vsa"), "bands " + P("none.tdax")}) {
        const CliRun r = Cli(args);
        EXPECT_NE(r.status, 0) << args;
        EXPECT_FALSE(r.err.empty()) << args;
        EXPECT_EQ(r.out, "") << args;
    }
    EXPECT_EQ(Read(project), before);
}

TEST_F(CliBands, AFrequencyMovedByHalfABandOrMoreIsReported) {
    struct Case {
        std::string options, centre;
        bool warned;
    };
    for (const Case& c : {Case{"--band 4 --freq 1000", "250[Hz]", true},
                          Case{"--band 1 --freq 1400", "1000[Hz]", false},
                          Case{"--band 1 --freq 1450", "1000[Hz]", true},
                          Case{"--band 1/3 --freq 1000", "1000[Hz]", false},
                          Case{"--band 1/3 --freq 3981", "4000[Hz]", false}}) {
        SCOPED_TRACE(c.options);
        const CliRun map = Run("map " + project + " " + c.options);
        EXPECT_NE(map.out.find("centre " + c.centre + " ("), std::string::npos) << map.out;
        EXPECT_EQ(map.err.find("daxara-cli: warning: --freq") != std::string::npos, c.warned)
            << map.err;
        EXPECT_EQ(map.err.find("warning") != std::string::npos, c.warned) << map.err; // no other
        const CliRun spectrum = Run("spectrum " + project + " --at 6,4.5,1.2 " + c.options);
        EXPECT_EQ(spectrum.err.find("warning") != std::string::npos, c.warned) << spectrum.err;
        EXPECT_NE(spectrum.out.find(c.centre + " "), std::string::npos);
    }
    // Only a frequency given on the command line is reported: the stored 1259 Hz moving onto
    // the four-octave grid is the window's doing, as when its band list is changed.
    Run("map " + project + " --band 1/3 --freq 1259 --save");
    const CliRun coarser = Run("map " + project + " --band 4");
    EXPECT_EQ(coarser.err, "");
    EXPECT_NE(coarser.out.find("centre 250[Hz] ("), std::string::npos) << coarser.out;

    const CliRun far = Run("map " + project + " --band 4 --freq 1000 --json");
    EXPECT_NE(far.err.find("250[Hz]"), std::string::npos) << far.err;
    EXPECT_EQ(json::parse(far.out)["centreFrequency"], ModelFrequency(2, 0.25));
}

TEST_F(CliBands, TheSpectrumTableRoundsTheExactLevelsAndMarksBandsWithoutData) {
    const auto doc = Reopen(project);
    const CSpeakerDataHeader& data = doc->Models().At(0).Header();
    std::size_t partly = 0, outside = 0;
    for (const auto& [name, perOctave] :
         {std::pair<std::string, double>{"1", 1.0}, std::pair<std::string, double>{"2", 0.5}}) {
        SCOPED_TRACE("--band " + name);
        const std::string at = " --at 6,4.5,1.2 --freq 1000 --band " + name;
        const std::string csv = Run("spectrum " + project + at + " --csv -").out;
        const json exact = json::parse(Run("spectrum " + project + at + " --json").out);
        const std::string table = Run("spectrum " + project + at).out;
        std::istringstream csvLines(csv), tableLines(table);
        std::string header, columns, line, row;
        std::getline(tableLines, header);
        std::getline(tableLines, columns);
        EXPECT_EQ(header, "spectrum at (6, 4.5, 1.2) [m], " + name + " Oct. Band, energy");
        EXPECT_NE(columns.find("level [dB]"), std::string::npos);

        std::size_t i = 0;
        while (std::getline(csvLines, line)) {
            ASSERT_TRUE(std::getline(tableLines, row)) << line;
            ASSERT_LT(i, exact["bands"].size());
            const json& band = exact["bands"][i++];
            double f = 0, level = 0;
            ASSERT_EQ(std::sscanf(line.c_str(), "%lf,%lf", &f, &level), 2);
            EXPECT_EQ(band["frequency"], f);
            EXPECT_EQ(band["level"], level);
            char rounded[32];
            std::snprintf(rounded, sizeof rounded, " %.2f", level);
            EXPECT_EQ(row.rfind(band["label"].get<std::string>(), 0), 0u) << row;
            const std::size_t shown = row.find(rounded);
            ASSERT_NE(shown, std::string::npos) << row;
            // Two decimals and no more: what follows the number is not a digit.
            EXPECT_FALSE(
                std::isdigit(static_cast<unsigned char>(row[shown + std::strlen(rounded)])))
                << row;
            const std::string expected = ExpectedCoverage(perOctave, f, data);
            EXPECT_EQ(band["data"], expected) << f;
            partly += expected == "partly outside";
            outside += expected == "outside";
            EXPECT_EQ(row.find("outside the speaker data") != std::string::npos,
                      expected != "inside")
                << row;
            EXPECT_EQ(row.find("the map's centre") != std::string::npos, f == 1000.0) << row;
        }
        EXPECT_EQ(i, BandCentres(perOctave).size());
        EXPECT_FALSE(std::getline(tableLines, row)) << row;
    }
    EXPECT_GT(partly, 0u);
    EXPECT_GT(outside, 0u);
}
