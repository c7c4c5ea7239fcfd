// What a project holds, as text or JSON.
#include "CliCommands.h"
#include "CliEdit.h"
#include "CliSession.h"
#include "common/FormatSignificant.h"
#include "common/Units.h"

#include <nlohmann/json.hpp>

#include <iostream>

namespace {
using nlohmann::json;

bool IsUtf8(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        std::size_t extra = 0;
        unsigned int code = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            extra = 1, code = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2, code = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3, code = c & 0x07;
        } else {
            return false;
        }
        if (i + extra >= text.size())
            return false;
        for (std::size_t k = 1; k <= extra; ++k) {
            const unsigned char d = static_cast<unsigned char>(text[i + k]);
            if ((d & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (d & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        if ((extra == 2 && code < 0x800) || (extra == 3 && (code < 0x10000 || code > 0x10FFFF)) ||
            (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

} // namespace

std::string JsonText(const std::string& text) {
    if (IsUtf8(text))
        return text;
    std::string out;
    for (const char ch : text) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out += ch;
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

namespace {

json ModelJson(const CSpeakerModel& m) {
    json taps = json::array();
    for (const CTapElement& t : m.Settings().taps)
        taps.push_back({{"lowImpedance", t.lowImpedance},
                        {"rating", t.tapRating},
                        {"power", t.tapPower},
                        {"ampFactor", t.ampFactor}});
    const CSpeakerDataHeader& h = m.Header();
    json model = {{"name", JsonText(m.DisplayName())},      {"kind", m.Kind()},
                  {"pointsPerOctave", h.pointsPerOctave},   {"lowestFrequency", h.lowestFrequency},
                  {"highestFrequency", h.highestFrequency}, {"elements", m.ElementTotal()},
                  {"defaultTap", m.DefaultTap()},           {"taps", taps}};
    if (const CArrangementSummary a = SummariseArrangement(m); a.lineArray)
        model["arrangement"] = {
            {"elements", a.elements},
            {"counts", {{"centre", a.centre}, {"upper", a.upper}, {"lower", a.lower}}},
            {"splays", a.splays},
            {"junctions", a.junctions},
            {"cabinets", a.cabinets}};
    return model;
}

json ProjectJson(const CDAXDoc& doc) {
    json models = json::array();
    for (int i = 0; i < doc.Models().Count(); ++i)
        models.push_back(ModelJson(doc.Models().At(i)));
    json installations = json::array();
    for (const CInstallationElement& e : doc.Room().List())
        installations.push_back({{"model", e.modelIndex},
                                 {"tap", e.tapIndex},
                                 {"position", {e.position.x, e.position.y, e.position.z}},
                                 {"azimuth", e.orientation.azimuth},
                                 {"elevation", e.orientation.elevation},
                                 {"rotation", e.orientation.rotation},
                                 {"power", e.power},
                                 {"polarity", e.polarityNormal ? "normal" : "reverse"},
                                 {"delay", e.delay}});
    json planes = json::array();
    for (int i = 0; i < doc.Conditions().Count(); ++i) {
        const CColorMapCondition& c = *doc.Conditions().At(i);
        const CListeningPlane& p = c.plane;
        // A plane without a finished map has no statistics: null, never 0 dB.
        const bool calculated = p.HasResult();
        const auto level = [calculated](double value) { return calculated ? json(value) : json(); };
        planes.push_back({{"origin", {p.originX, p.originY, p.originZ}},
                          {"extent", {p.extentX, p.extentY, p.extentZ}},
                          {"pitch", p.dotPitch},
                          {"points", p.pointCount},
                          {"band", c.band},
                          {"centreFrequency", c.centreFrequency},
                          {"mode", c.mode == 0 ? "interference" : "energy"},
                          {"calculated", calculated},
                          {"pointsLeftOut", calculated ? p.leftOut : 0},
                          {"maximum", level(p.maximumLevel)},
                          {"minimum", level(p.minimumLevel)},
                          {"pinkNoiseAverage", level(p.pinkNoiseAverage)},
                          {"musicSpeechAverage", level(p.musicSpeechAverage)}});
    }
    json responses = json::array();
    for (int i = 0; i < doc.Graphs().Count(); ++i) {
        const CSoundGraphCondition& g = *doc.Graphs().At(i);
        json curves = json::array();
        for (const CSoundGraphData& curve : g.data.curves)
            curves.push_back({{"points", curve.PointCount()}});
        responses.push_back(
            {{"frequencyAxis", g.data.frequencyAxisType == 1 ? "logarithmic" : "linear"},
             {"frequencyRange", {g.data.frequencyMin, g.data.frequencyMax}},
             {"levelRange", {g.data.levelMin, g.data.levelMax}},
             {"curves", curves}});
    }
    const CInstallationContainer& r = doc.Room();
    return {{"name", JsonText(doc.Settings().projectName)},
            {"date", JsonText(doc.Settings().projectDate)},
            {"unit", doc.Settings().lengthUnit == kUnitImperial ? "imperial" : "metric"},
            {"room",
             {{"zero", {r.roomZeroX, r.roomZeroY}},
              {"length", r.roomLength},
              {"width", r.roomWidth},
              {"height", r.roomHeight},
              {"ceiling", r.ceilingType == 1 ? "half" : "full"}}},
            {"totalPower", r.TotalPower()},
            {"currentModel", doc.Models().CurrentIndex()},
            {"models", models},
            {"installations", installations},
            {"planes", planes},
            {"responses", responses}};
}

std::string F(double v) {
    return FormatValue(v, 4);
}
} // namespace

int RunInfo(const CInfoOptions& o) {
    CCliSession s;
    s.Open(o.project);
    const CDAXDoc& doc = *s.doc;
    if (o.json) {
        std::cout << ProjectJson(doc).dump(2) << "\n";
        FlushOutput();
        return 0;
    }
    const std::string unit = doc.Settings().lengthUnit == kUnitImperial ? "ft" : "m";
    const CInstallationContainer& r = doc.Room();
    std::cout << "project: "
              << (doc.Settings().projectName.empty() ? "(no name)" : doc.Settings().projectName)
              << "\n"
              << "unit: "
              << (doc.Settings().lengthUnit == kUnitImperial ? "imperial (feet)"
                                                             : "metric (metres)")
              << "\n"
              << "room: " << F(r.roomLength) << " x " << F(r.roomWidth) << " x " << F(r.roomHeight)
              << " " << unit << " from (" << F(r.roomZeroX) << ", " << F(r.roomZeroY)
              << "), ceiling "
              << (r.ceilingType == 1 ? "solid (half space)" : "absorbent (full space)") << "\n";
    std::cout << "speaker models: " << doc.Models().Count() << "\n";
    for (int i = 0; i < doc.Models().Count(); ++i) {
        const CSpeakerModel& m = doc.Models().At(i);
        const CSpeakerDataHeader& h = m.Header();
        std::cout << "  " << i << (i == doc.Models().CurrentIndex() ? "* " : "  ")
                  << m.DisplayName() << " (kind " << m.Kind() << ", " << F(h.pointsPerOctave)
                  << " per octave, " << F(h.lowestFrequency) << " to " << F(h.highestFrequency)
                  << " Hz, " << m.ElementTotal() << " element" << (m.ElementTotal() == 1 ? "" : "s")
                  << ")\n";
        if (const CArrangementSummary a = SummariseArrangement(m); a.lineArray) {
            std::cout << "      arranged: " << a.elements << " elements (centre " << a.centre
                      << ", upper " << a.upper << ", lower " << a.lower << ")\n";
            if (!a.cabinets.empty())
                std::cout << "      cabinets: " << CabinetRuns(a.cabinets) << "\n";
            std::cout << "      splay per element [deg]:";
            for (double splay : a.splays)
                std::cout << " " << F(splay);
            std::cout << "\n";
            if (!a.junctions.empty()) {
                std::cout << "      junction angles top to bottom [deg]:";
                for (double angle : a.junctions)
                    std::cout << " " << F(angle);
                std::cout << "\n";
            }
        }
        for (std::size_t t = 0; t < m.Settings().taps.size(); ++t) {
            const CTapElement& tap = m.Settings().taps[t];
            std::cout << "      tap " << t + 1
                      << (static_cast<int>(t) == m.DefaultTap() ? "*" : " ") << ": "
                      << F(tap.tapRating) << (tap.lowImpedance ? " ohms  " : "V Line  ")
                      << F(tap.tapPower) << "W\n";
        }
    }
    std::cout << "installations: " << r.Count() << ", total power " << F(r.TotalPower()) << " W\n";
    int n = 0;
    for (const CInstallationElement& e : r.List())
        std::cout << "  " << n++ << ": model " << e.modelIndex << " tap " << e.tapIndex + 1
                  << " at (" << F(e.position.x) << ", " << F(e.position.y) << ", "
                  << F(e.position.z) << ") aim " << F(e.orientation.azimuth) << "/"
                  << F(e.orientation.elevation) << "/" << F(e.orientation.rotation) << " "
                  << F(e.power) << " W " << (e.polarityNormal ? "normal" : "reverse")
                  << (e.delay != 0.0 ? " delay " + F(e.delay) + " ms" : std::string()) << "\n";
    std::cout << "calculation planes: " << doc.Conditions().Count() << "\n";
    for (int i = 0; i < doc.Conditions().Count(); ++i) {
        const CListeningPlane& p = doc.Conditions().At(i)->plane;
        std::cout << "  " << i << ": origin (" << F(p.originX) << ", " << F(p.originY) << ", "
                  << F(p.originZ) << "), extent " << F(p.extentX) << " x " << F(p.extentY) << " x "
                  << F(p.extentZ) << ", " << p.pointCount << " points; ";
        if (!p.HasResult()) {
            std::cout << "not calculated\n";
            continue;
        }
        std::cout << "maximum " << F(p.maximumLevel) << " dB, minimum " << F(p.minimumLevel)
                  << " dB, pink noise " << F(p.pinkNoiseAverage) << " dB, music/speech "
                  << F(p.musicSpeechAverage) << " dB";
        if (p.leftOut > 0)
            std::cout << "; " << p.leftOut << " point(s) at a speaker left out";
        std::cout << "\n";
    }
    std::cout << "frequency response entries: " << doc.Graphs().Count() << "\n";
    return 0;
}
