#include "project/Report.h"

#include "acoustics/ColorMapCondition.h"
#include "acoustics/LevelStatistics.h"
#include "acoustics/SpectrumEngine.h"
#include "common/FormatSignificant.h"
#include "common/Units.h"
#include "project/BandChoice.h"
#include "project/ColorMapLayout.h"
#include "project/DAXDoc.h"
#include "project/Ports.h"
#include "project/Strings.h"

#include <map>

namespace {
std::string Num(double value) {
    return FormatSignificant(value, 4);
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
        section.blocks.emplace_back(CReportMap{i});
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
        std::string reason;
        if (!doc.HasInstallations() ||
            !EnginePointSpectrum(doc.Scene(), *c, point.position, chart.x, chart.y, &reason)) {
            section.blocks.emplace_back(Lines(
                {chart.title + ": " + (reason.empty() ? Strings::kReportNoResponse : reason)}));
            continue;
        }
        section.blocks.emplace_back(std::move(chart));
    }
    sections.push_back(std::move(section));
}

const std::vector<CReportSectionBuilder>& ReportSectionBuilders() {
    static const std::vector<CReportSectionBuilder> builders = {
        AppendRoomSection, AppendEquipmentSection, AppendMapSections, AppendResponseSection};
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
