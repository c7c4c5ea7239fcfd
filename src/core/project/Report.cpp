#include "project/Report.h"

#include "acoustics/ColorMapCondition.h"
#include "acoustics/LevelStatistics.h"
#include "acoustics/MapCalculation.h"
#include "acoustics/RoomField.h"
#include "acoustics/RoomQuantities.h"
#include "acoustics/SpectrumEngine.h"
#include "common/FormatSignificant.h"
#include "common/Units.h"
#include "project/BandChoice.h"
#include "project/ColorMapLayout.h"
#include "project/DAXDoc.h"
#include "project/Ports.h"
#include "project/QuantityDisplay.h"
#include "project/Strings.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

namespace {
std::string Num(double value) {
    return FormatSignificant(value, 4);
}

// A number with a fixed count of decimals, for columns of like values.
std::string Fixed(double value, int decimals) {
    if (!std::isfinite(value))
        return "-";
    char text[48];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

// Absorption coefficients as the tables print them: two decimals, three where they have them.
std::string AlphaText(double alpha) {
    const bool hundredths = std::abs(alpha * 100 - std::round(alpha * 100)) < 1e-9;
    return Fixed(alpha, hundredths ? 2 : 3);
}

std::string Replace(std::string text, const char* mark, const std::string& value) {
    const std::size_t at = text.find(mark);
    return at == std::string::npos ? text : text.replace(at, std::string(mark).size(), value);
}

std::string ModeText(int mode) {
    return mode == kModeInterference ? Strings::kModeInterference : Strings::kModeEnergy;
}

// The octaves as a client reads them: their nominal centres.
constexpr const char* kNominalOctaves[kOctaveCount] = {"125",  "250",  "500", "1000",
                                                       "2000", "4000", "8000"};
constexpr double kNominalCentres[kOctaveCount] = {125, 250, 500, 1000, 2000, 4000, 8000};

bool HasRoomAcoustics(const CDAXDoc& doc) {
    return doc.Settings().roomAcoustics != CRoomAcoustics{};
}

std::string Triple(const CVec3& v, const std::string& unit) {
    return Num(v.x) + ", " + Num(v.y) + ", " + Num(v.z) + " " + unit;
}

std::string ModelName(const CDAXDoc& doc, int index) {
    return index >= 0 && index < doc.Models().Count() ? doc.Models().At(index).DisplayName()
                                                    : Strings::kReportUnknownModel;
}

std::string TapText(const CDAXDoc& doc, const CInstallationElement& e) {
    if (e.modelIndex < 0 || e.modelIndex >= doc.Models().Count())
        return {};
    const CSpeakerModel& model = doc.Models().At(e.modelIndex);
    if (e.tapIndex < 0 || e.tapIndex >= static_cast<int>(model.Settings().taps.size()))
        return {};
    const CTapElement& tap = model.Tap(e.tapIndex);
    return Num(tap.tapRating) + (tap.lowImpedance ? Strings::kTapOhms : Strings::kTapLine) +
           Num(tap.tapPower) + Strings::kTapWatt;
}

CReportText Lines(std::vector<std::string> lines) {
    CReportText text;
    text.lines = std::move(lines);
    return text;
}

std::string PlaneKind(const CListeningPlane& plane) {
    switch (plane.Orientation()) {
    case EPlaneOrientation::XY:
        return Strings::kParallelToXY;
    case EPlaneOrientation::YZ:
        return Strings::kParallelToYZ;
    case EPlaneOrientation::XZ:
        return Strings::kParallelToXZ;
    case EPlaneOrientation::Invalid:
        break;
    }
    return {};
}

const char* FaceLabel(ERoomFace face) {
    switch (face) {
    case ERoomFace::Floor:
        return Strings::kFaceFloor;
    case ERoomFace::Ceiling:
        return Strings::kFaceCeiling;
    case ERoomFace::WallX0:
        return Strings::kFaceWallX0;
    case ERoomFace::WallXL:
        return Strings::kFaceWallXL;
    case ERoomFace::WallY0:
        return Strings::kFaceWallY0;
    case ERoomFace::WallYW:
        return Strings::kFaceWallYW;
    }
    return "";
}

// The grid step of a value axis from 0 to `top`: 1, 2 or 5 times a power of ten, at most eight
// steps.
double AxisStep(double top) {
    if (!(top > 0.0) || !std::isfinite(top))
        return 1.0;
    const double decade = std::pow(10.0, std::floor(std::log10(top / 8.0)));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (top / (m * decade) <= 8.0)
            return m * decade;
    return 10.0 * decade;
}

// The STI map the report shows: the first plane that shows the index, as calculated; else the
// first plane calculated for it on a copy. Null with the reason when there is none.
const CColorMapCondition* SpeechMap(const CDAXDoc& doc, CReportMap& block, std::string& reason) {
    for (int i = 0; i < doc.Conditions().Count(); ++i) {
        const CColorMapCondition& c = *doc.Conditions().At(i);
        if (c.quantity == EMapQuantity::Sti && c.plane.maximumLevel != 0.0) {
            block.condition = i;
            return &c;
        }
    }
    const CColorMapCondition* first = doc.Conditions().At(0);
    if (!first) {
        reason = Strings::kReportNoPlane;
        return nullptr;
    }
    auto own = std::make_shared<CColorMapCondition>(*first);
    own->quantity = EMapQuantity::Sti;
    own->plane.ClearLevels();
    const CMapResult result = CalculateMap(doc.Scene(), *own, nullptr);
    if (result.status != ECalcStatus::Completed) {
        reason = result.status == ECalcStatus::NoInstallations ? Strings::kReportNoInstallations
                                                               : result.reason;
        return nullptr;
    }
    block.condition = 0;
    block.own = own;
    return own.get();
}

CReportTable SpeechTable(const CPointSpeech& speech) {
    const CStiInput& in = speech.input;
    const CStiResult& r = speech.result;
    CReportTable table;
    table.header = {Strings::kReportOctave, Strings::kReportLd, Strings::kReportLr,
                    Strings::kReportLs,     Strings::kReportLn, Strings::kReportT,
                    Strings::kReportMti};
    table.widths = {1.2, 1, 1, 1, 1, 1, 1};
    for (std::size_t k = 0; k < kOctaveCount; ++k)
        table.rows.push_back({kNominalOctaves[k], Fixed(in.direct[k], 1),
                              Fixed(in.reverberant[k], 1), Fixed(r.signal[k], 1),
                              in.noiseOn ? Fixed(in.noise[k], 1) : "-", Fixed(in.rt[k], 2),
                              Fixed(r.mti[k], 3)});
    return table;
}
} // namespace

CReportIdentity ReadReportIdentity(CSettingsPort* settings) {
    if (!settings)
        return {};
    return {settings->ReadText(SettingsKeys::kPlannerSection, SettingsKeys::kPlanner, ""),
            settings->ReadText(SettingsKeys::kCompanySection, SettingsKeys::kCompany, "")};
}

void WriteReportIdentity(CSettingsPort& settings, const CReportIdentity& identity) {
    settings.WriteText(SettingsKeys::kPlannerSection, SettingsKeys::kPlanner, identity.planner);
    settings.WriteText(SettingsKeys::kCompanySection, SettingsKeys::kCompany, identity.company);
}

std::vector<CReportPoint> ReportPoints(const CDAXDoc& doc) {
    std::vector<CReportPoint> points;
    for (const CListeningPoint& p : doc.Settings().listeningPoints)
        points.push_back({p.name, p.position});
    if (!points.empty())
        return points;
    if (const CColorMapCondition* c = doc.Conditions().At(0)) {
        const CListeningPlane& p = c->plane;
        points.push_back({Strings::kReportPlaneCentre,
                          {p.originX + p.extentX / 2, p.originY + p.extentY / 2,
                           p.originZ + p.extentZ / 2}});
    }
    return points;
}

void AppendRoomSection(const CDAXDoc& doc, std::vector<CReportSection>& sections) {
    const CInstallationContainer& room = doc.Room();
    const std::string unit = UnitText(doc.Settings().lengthUnit);
    CReportText text;
    text.lines.push_back(Strings::kReportRoomSize + Num(room.roomLength) + " x " +
                         Num(room.roomWidth) + " x " + Num(room.roomHeight) + " " + unit);
    text.lines.push_back(Strings::kReportRoomZero + Num(room.roomZeroX) + ", " +
                         Num(room.roomZeroY) + " " + unit);
    text.lines.push_back(std::string(room.ceilingType != 0 ? Strings::kHalfSpace
                                                           : Strings::kFullSpace));
    for (int i = 0; i < doc.Conditions().Count(); ++i) {
        const CListeningPlane& p = doc.Conditions().At(i)->plane;
        text.lines.push_back(Strings::kReportPlane + std::to_string(i + 1) + ": " + PlaneKind(p) +
                             ", " + Strings::kReportFrom +
                             Triple({p.originX, p.originY, p.originZ}, unit) + ", " +
                             Strings::kReportExtent +
                             Triple({p.extentX, p.extentY, p.extentZ}, unit) + ", " +
                             std::to_string(p.pointCount) + Strings::kReportPointsAt +
                             Num(p.dotPitch) + " " + unit);
    }
    CReportSection section;
    section.title = Strings::kReportRoomTitle;
    section.blocks.emplace_back(std::move(text));
    sections.push_back(std::move(section));
}

void AppendEquipmentSection(const CDAXDoc& doc, std::vector<CReportSection>& sections) {
    const std::string unit = UnitText(doc.Settings().lengthUnit);
    CReportTable installations;
    installations.header = {Strings::kTableNo,        Strings::kTableSpeakerName,
                            Strings::kColumnTap,      Strings::kReportPosition + unit,
                            Strings::kReportAim,      Strings::kTablePower,
                            Strings::kTablePolarity};
    installations.widths = {0.5, 3.2, 2.2, 2.4, 1.8, 1.0, 1.2};
    std::map<std::string, int> counts;
    std::vector<std::string> order;
    int number = 0;
    for (const CInstallationElement& e : doc.Room().List()) {
        const std::string name = ModelName(doc, e.modelIndex);
        if (counts[name]++ == 0)
            order.push_back(name);
        installations.rows.push_back(
            {std::to_string(++number), name, TapText(doc, e),
             Num(e.position.x) + ", " + Num(e.position.y) + ", " + Num(e.position.z),
             Num(e.orientation.azimuth) + " / " + Num(e.orientation.elevation) + " / " +
                 Num(e.orientation.rotation),
             Num(e.power) + Strings::kUnitWatt,
             e.polarityNormal ? Strings::kTableNormal : Strings::kTableReverse});
    }
    CReportTable models;
    models.header = {Strings::kTableSpeakerName, Strings::kReportCount};
    models.widths = {3.0, 1.0};
    for (const std::string& name : order)
        models.rows.push_back({name, std::to_string(counts[name])});
    CReportText totals;
    totals.lines.push_back(Strings::kNumberOfSpeakers + std::to_string(doc.Room().Count()));
    totals.lines.push_back(Strings::kReportTotalPower + Num(doc.Room().TotalPower()) +
                           Strings::kUnitWatt);
    totals.lines.push_back(Strings::kAmplifierPower + AmplifierEstimate(doc));
    CReportSection section;
    section.title = Strings::kReportEquipmentTitle;
    if (!installations.rows.empty()) {
        section.blocks.emplace_back(std::move(installations));
        section.blocks.emplace_back(std::move(models));
    }
    section.blocks.emplace_back(std::move(totals));
    sections.push_back(std::move(section));
}

void AppendMapSections(const CDAXDoc& doc, std::vector<CReportSection>& sections) {
    for (int i = 0; i < doc.Conditions().Count(); ++i) {
        const CColorMapCondition& c = *doc.Conditions().At(i);
        const CListeningPlane& plane = c.plane;
        CReportSection section;
        section.title = Strings::kReportMapTitle + std::to_string(i + 1) + ": " +
                        FrequencyLabel(c.centreFrequency, c.band) + ", " + BandLabel(c.band) +
                        ", " + (c.mode == kModeInterference ? Strings::kModeInterference
                                                            : Strings::kModeEnergy);
        section.blocks.emplace_back(CReportMap{i, nullptr});
        if (!doc.HasInstallations() || plane.maximumLevel == 0.0) {
            section.blocks.emplace_back(Lines({Strings::kReportNotCalculated}));
            sections.push_back(std::move(section));
            continue;
        }
        const CLevelStatistics s = PlaneStatistics(plane, 3.0);
        const auto dB = [](double v) { return Num(v) + " dB"; };
        CReportTable figures;
        figures.header = {Strings::kReportFigure, Strings::kReportValue};
        figures.widths = {3.0, 1.0};
        figures.rows = {
            {Strings::kReportMaximum, dB(plane.maximumLevel)},
            {Strings::kReportMinimum, dB(plane.minimumLevel)},
            {Strings::kReportPinkAverage, dB(plane.pinkNoiseAverage)},
            {Strings::kReportMusicAverage, dB(plane.musicSpeechAverage)},
            {Strings::kReportDeviation, dB(s.standardDeviation)},
            {Strings::kReportWithin, Num(100.0 * s.withinShare) + " %"},
            {Strings::kReportPercentiles, Num(s.p10) + ", " + Num(s.p50) + ", " + dB(s.p90)}};
        section.blocks.emplace_back(std::move(figures));
        sections.push_back(std::move(section));
    }
}

void AppendResponseSection(const CDAXDoc& doc, std::vector<CReportSection>& sections) {
    const CColorMapCondition* c = doc.Conditions().At(0);
    if (!c)
        return;
    CReportSection section;
    section.title = Strings::kReportResponseTitle;
    const std::string unit = UnitText(doc.Settings().lengthUnit);
    section.blocks.emplace_back(
        Lines({Strings::kReportResponseNote + BandLabel(c->band) + ", " +
               (c->mode == kModeInterference ? Strings::kModeInterference
                                             : Strings::kModeEnergy)}));
    for (const CReportPoint& point : ReportPoints(doc)) {
        CReportChart chart;
        chart.title = point.name + " (" + Triple(point.position, unit) + ")";
        CReportCurve& curve = chart.curves.emplace_back();
        std::string reason;
        if (!doc.HasInstallations() ||
            !EnginePointSpectrum(doc.Scene(), *c, point.position, curve.x, curve.y, &reason)) {
            section.blocks.emplace_back(Lines(
                {chart.title + ": " + (reason.empty() ? Strings::kReportNoResponse : reason)}));
            continue;
        }
        section.blocks.emplace_back(std::move(chart));
    }
    sections.push_back(std::move(section));
}

void AppendRoomAcousticsSection(const CDAXDoc& doc, std::vector<CReportSection>& sections) {
    if (!HasRoomAcoustics(doc))
        return;
    const CRoomAcoustics& a = doc.Settings().roomAcoustics;
    const CRoomSize size = RoomSizeOf(doc.Scene());
    const CRoomOctaves room = AnalyseRoom(a, size);
    const bool eyring = a.formula == EReverbFormula::Eyring;
    const std::string formula = eyring ? Strings::kFormulaEyring : Strings::kFormulaSabine;
    CReportSection section;
    section.title = Strings::kReportAcousticsTitle;
    section.blocks.emplace_back(Lines(
        {Strings::kReportVolume + Num(room.volume) + " " + Strings::kUnitCubicMetre,
         Strings::kReportSurface + Num(room.surface) + " " + Strings::kUnitSquareMetre,
         Replace(Replace(Strings::kReportAir, "%1", Num(a.temperature)), "%2", Num(a.humidity)),
         Strings::kReportAirOnDirect + std::string(a.airOnDirect ? Strings::kReportOn
                                                                 : Strings::kReportOff),
         Strings::kReportFormula + formula + Strings::kReportFormulaDrives}));

    CReportTable faces;
    faces.title = Strings::kReportSurfaces;
    faces.header = {Strings::kReportFace, Strings::kReportMaterial, Strings::kReportArea};
    faces.widths = {1.7, 2.6, 0.9};
    for (const char* octave : kNominalOctaves) {
        faces.header.emplace_back(octave);
        faces.widths.push_back(0.75);
    }
    for (int f = 0; f < kRoomFaceCount; ++f) {
        const auto face = static_cast<ERoomFace>(f);
        const CRoomMaterial& m = a.faces[static_cast<std::size_t>(f)];
        std::vector<std::string> row = {FaceLabel(face),
                                        m.name.empty() ? Strings::kTypedMaterial : m.name,
                                        Num(size.FaceArea(face))};
        for (double alpha : m.alpha)
            row.push_back(AlphaText(alpha));
        faces.rows.push_back(std::move(row));
    }
    std::vector<std::string> extra = {Strings::kExtraAbsorption, "", ""};
    for (double area : a.extraAbsorption)
        extra.push_back(Num(area));
    faces.rows.push_back(std::move(extra));
    section.blocks.emplace_back(std::move(faces));

    CReportTable octaves;
    octaves.title = Strings::kReportOctaves;
    octaves.header = {Strings::kReportOctave,
                      Strings::kReportAbsorptionArea,
                      Strings::kMeanAlpha,
                      Strings::kReportAirAttenuation,
                      Strings::kRtSabine + std::string(eyring ? "" : Strings::kReportDrivingMark),
                      Strings::kRtEyring + std::string(eyring ? Strings::kReportDrivingMark : "")};
    octaves.widths = {1, 1.4, 1, 1, 1, 1};
    CReportChart chart;
    chart.title = Strings::kReportRtChart;
    chart.yUnit = Strings::kUnitSecond;
    chart.xLow = kNominalCentres[0] / std::sqrt(2.0);
    chart.xHigh = kNominalCentres[kOctaveCount - 1] * std::sqrt(2.0);
    chart.xTicks.assign(std::begin(kNominalCentres), std::end(kNominalCentres));
    chart.yFromZero = true;
    CReportCurve sabine, eyringCurve;
    sabine.name =
        std::string(Strings::kFormulaSabine) + (eyring ? "" : Strings::kReportDrivingMark);
    eyringCurve.name =
        std::string(Strings::kFormulaEyring) + (eyring ? Strings::kReportDrivingMark : "");
    double longest = 0.0;
    for (std::size_t k = 0; k < kOctaveCount; ++k) {
        const CRoomBand& b = room.octaves[k];
        octaves.rows.push_back({kNominalOctaves[k], Fixed(b.absorption, 1), Fixed(b.meanAlpha, 3),
                                FormatSignificant(b.airDbPerMetre * 1000.0, 3),
                                Fixed(b.rtSabine, 2), Fixed(b.rtEyring, 2)});
        sabine.x.push_back(b.frequency);
        sabine.y.push_back(b.rtSabine);
        eyringCurve.x.push_back(b.frequency);
        eyringCurve.y.push_back(b.rtEyring);
        longest = std::max({longest, b.rtSabine, b.rtEyring});
    }
    chart.yStep = AxisStep(longest);
    chart.curves = {std::move(sabine), std::move(eyringCurve)};
    section.blocks.emplace_back(std::move(octaves));
    section.blocks.emplace_back(std::move(chart));
    sections.push_back(std::move(section));
}

void AppendSpeechSection(const CDAXDoc& doc, std::vector<CReportSection>& sections) {
    if (!HasRoomAcoustics(doc))
        return;
    const CSpeechSettings& speech = doc.Settings().speech;
    CReportSection section;
    section.title = Strings::kReportSpeechTitle;
    CReportMap block;
    std::string reason;
    const CColorMapCondition* map = SpeechMap(doc, block, reason);
    if (!map) {
        section.blocks.emplace_back(Lines({Strings::kReportNoSpeech + reason}));
        sections.push_back(std::move(section));
        return;
    }
    const std::string noise = !speech.noiseOn         ? Strings::kReportNoNoise
                              : speech.curve.empty() ? Strings::kNoiseTyped
                                                     : speech.curve;
    section.blocks.emplace_back(block);
    section.blocks.emplace_back(
        Lines({Strings::kReportSpeechPlane + std::to_string(block.condition + 1) + ", " +
                   ModeText(map->mode),
               Strings::kReportNoise + noise}));
    const auto index = [](double v) { return QuantityValueText(EMapQuantity::Sti, v); };
    CReportTable figures;
    figures.header = {Strings::kReportFigure, Strings::kReportValue};
    figures.widths = {3.0, 1.0};
    figures.rows = {{Strings::kReportStiMinimum, index(map->plane.minimumLevel)},
                    {Strings::kReportStiMean, index(map->plane.pinkNoiseAverage)},
                    {Strings::kStiTarget, index(speech.stiTarget)},
                    {Strings::kReportStiShare,
                     Num(100.0 * map->plane.musicSpeechAverage) + " %"}};
    section.blocks.emplace_back(std::move(figures));

    const std::vector<CListeningPoint>& points = doc.Settings().listeningPoints;
    if (points.empty()) {
        section.blocks.emplace_back(Lines({Strings::kReportNoMarkedPoints}));
        sections.push_back(std::move(section));
        return;
    }
    section.blocks.emplace_back(Lines({Strings::kReportSpeechColumns}));
    const std::string unit = UnitText(doc.Settings().lengthUnit);
    const CAcousticScene scene = doc.Scene();
    CSoundPowerCache cache;
    for (const CListeningPoint& point : points) {
        const std::string name = point.name + " (" + Triple(point.position, unit) + ")";
        CPointSpeech at;
        std::string why;
        if (!SpeechAt(scene, map->mode, point.position, at, &why, &cache)) {
            section.blocks.emplace_back(Lines({name + ": " + why}));
            continue;
        }
        CReportTable table = SpeechTable(at);
        table.title = name + Strings::kReportStiAt + index(at.result.sti) +
                      Strings::kReportCisAt + index(at.result.cis);
        section.blocks.emplace_back(std::move(table));
    }
    sections.push_back(std::move(section));
}

const std::vector<CReportSectionBuilder>& ReportSectionBuilders() {
    static const std::vector<CReportSectionBuilder> builders = {
        AppendRoomSection,     AppendRoomAcousticsSection, AppendEquipmentSection,
        AppendMapSections,     AppendSpeechSection,        AppendResponseSection};
    return builders;
}

CReport BuildReport(const CDAXDoc& doc, const CReportIdentity& identity,
                     const std::string& generatedBy) {
    CReport report;
    report.title = doc.Settings().projectName;
    if (report.title.empty()) {
        const std::string& path = doc.PathName();
        report.title = path.substr(path.find_last_of("/\\") + 1);
    }
    report.date = doc.Settings().projectDate;
    report.planner = identity.planner;
    report.company = identity.company;
    report.generatedBy = generatedBy;
    for (const CReportSectionBuilder& builder : ReportSectionBuilders())
        builder(doc, report.sections);
    return report;
}
