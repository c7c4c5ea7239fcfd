#pragma once

// The report a planner hands to a client: what it says is decided here, from the project; the
// paint layer only lays it out on pages (paint/ReportPainter.h). A report is a title block and a
// list of sections; a section is a title and blocks of text, tables, charts and colour maps.
// Every section comes from one section builder, so a later part of the report (reverberation,
// speech intelligibility) is one more builder in ReportSectionBuilders().

#include "common/Vec3.h"

#include <functional>
#include <memory>
#include <string>
#include <variant>
#include <vector>

class CColorMapCondition;
class CDAXDoc;
class CSettingsPort;

// Who made the report: the planner's own identity, kept in the application's settings (not in
// the project, which another planner may open and report on).
struct CReportIdentity {
    std::string planner;
    std::string company;
};

// The identity the settings hold; empty names without settings.
CReportIdentity ReadReportIdentity(CSettingsPort* settings);
void WriteReportIdentity(CSettingsPort& settings, const CReportIdentity& identity);

// Lines of running text.
struct CReportText {
    std::vector<std::string> lines;
};

// A table: an optional title over it, a header row and rows of the same number of cells; each
// column takes its share of the width and a cell too long for it wraps. Long tables continue
// on the next page under a repeated header.
struct CReportTable {
    std::string title;
    std::vector<std::string> header;
    std::vector<double> widths; // relative, one per column
    std::vector<std::vector<std::string>> rows;
};

// One curve of a chart: (x, y) points and the name its legend gives it.
struct CReportCurve {
    std::string name;
    std::vector<double> x, y;
};

// A line chart over a logarithmic frequency axis from xLow to xHigh, labelled at xTicks. The
// value axis has grid lines every yStep and spans whole steps: from 0 when yFromZero, else
// around the curves with a step to spare above. A chart of more than one curve has a legend.
struct CReportChart {
    std::string title;
    std::string xUnit = "[Hz]";
    std::string yUnit = "[dB]";
    double xLow = 20.0, xHigh = 20000.0;
    std::vector<double> xTicks{20, 50, 100, 200, 500, 1000, 2000, 5000, 10000, 20000};
    double yStep = 10.0;
    bool yFromZero = false;
    std::vector<CReportCurve> curves;
};

// The colour map of calculation plane `condition`, drawn at the page's full width with its
// legend and axis ticks. A map the report calculated itself over that plane (another quantity
// than the one the planner's window shows) carries its own condition, which is drawn instead:
// the project's plane stays as the planner left it.
struct CReportMap {
    int condition = 0;
    std::shared_ptr<const CColorMapCondition> own;
};

using CReportBlock = std::variant<CReportText, CReportTable, CReportChart, CReportMap>;

struct CReportSection {
    std::string title;
    std::vector<CReportBlock> blocks;
};

struct CReport {
    std::string title;       // the project's name, or the file's when it has none
    std::string date;        // the project's date text
    std::string planner;     // from the identity
    std::string company;     // from the identity
    std::string generatedBy; // the program and its version
    std::vector<CReportSection> sections;
};

// A named point the report shows the frequency response at.
struct CReportPoint {
    std::string name;
    CVec3 position;
};

// One part of the report: appends its sections for the project.
using CReportSectionBuilder = std::function<void(const CDAXDoc&, std::vector<CReportSection>&)>;
// The parts in their order: room and plane, room acoustics, equipment, the maps, speech
// intelligibility, the responses at the marked points. The room acoustics and speech
// intelligibility come only with a project that has room acoustics.
const std::vector<CReportSectionBuilder>& ReportSectionBuilders();

// The whole report of the project as it is now (its maps as last calculated).
CReport BuildReport(const CDAXDoc& doc, const CReportIdentity& identity,
                     const std::string& generatedBy = {});

// The points the responses are shown at: the planner's marked listening points, or the centre
// of the first calculation plane when none are marked.
std::vector<CReportPoint> ReportPoints(const CDAXDoc& doc);

// The sections one by one, for builders that are assembled differently.
void AppendRoomSection(const CDAXDoc& doc, std::vector<CReportSection>& sections);
void AppendEquipmentSection(const CDAXDoc& doc, std::vector<CReportSection>& sections);
void AppendMapSections(const CDAXDoc& doc, std::vector<CReportSection>& sections);
void AppendResponseSection(const CDAXDoc& doc, std::vector<CReportSection>& sections);
// The room's volume and surface, its faces and air, the reverberation per octave as a table and
// a chart; nothing for a project without room acoustics.
void AppendRoomAcousticsSection(const CDAXDoc& doc, std::vector<CReportSection>& sections);
// The STI map over the first calculation plane (the plane's own when it shows the index, else
// one calculated for the report), its statistics against the project's target and the octave
// table at every marked point; nothing for a project without room acoustics.
void AppendSpeechSection(const CDAXDoc& doc, std::vector<CReportSection>& sections);
