#pragma once

#include "acoustics/ListeningPlane.h"
#include "acoustics/MapQuantity.h"
#include "common/Pixel.h"
#include "common/Vec3.h"

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class CDAXDoc;
class CColorMapCondition;

// A projected rectangle as the screen polygon takes it: corners 1, 4, 3, 2.
using CQuad = std::array<CPixel, 4>;

// World to pixel with the view's rotation, bounding box, scale and margins taken once, for
// walks over many points; gives exactly the pixels of projecting and converting one by one.
struct CMapProjector {
    double xu = 0, yu = 0, zu = 0; // u = xu x + yu y + zu z
    double xw = 0, yw = 0, zw = 0; // w likewise
    double minU = 0, minW = 0, scale = 0;
    int left = 0;   // left margin
    int bottom = 0; // total scroll height minus the bottom margin

    CPixel operator()(const CVec3& v) const;
    CQuad Quad(const std::array<CVec3, 4>& corners) const;
};

// Which side a quadrilateral may be seen from and still contain points. Horizontal planes keep
// the one-sided test (seen from below they contain nothing); vertical planes are usually seen
// from their back in the side and diagonal views, so they take either side.
enum class EFacing { FrontOnly, EitherSide };

// True when p lies inside the quadrilateral or on one of its edges.
bool PointInQuad(const CQuad& quad, const CPixel& p, EFacing facing);

// Corners 1 to 4 of a rectangle from its start corner and extents (exactly one extent 0), in the
// order of its orientation. Nothing sensible for other extents: the XY order is used.
std::array<CVec3, 4> RectangleCorners(const CVec3& start, const CVec3& extent);
// Corners 1 to 4 of the cell a grid point stands for.
std::array<CVec3, 4> CellCorners(const CPlaceElement& cell, EPlaneOrientation orientation);
// Vertical planes are hit from either side, horizontal ones from the front only.
EFacing FacingOf(EPlaneOrientation orientation);

// --- Fitting the picture into its pane or page ---
// The annotation block under the picture: lines 0 to 15 belong to every map, lines 17 to 26
// report a valid automatic layout.
inline constexpr int kMapAnnotationLines = 16;
inline constexpr int kAllAnnotationLines = 27;

// The scale (pixels per 1/1000 length unit) at which a projected box of widthMM x heightMM
// fits an area with these margins (left, top, right, bottom): as large as the width allows and
// as the height allows once the map's own annotation lines have their room below the picture,
// whichever is smaller, so a fitted picture needs no scroll bar. The room kept for the lines is
// 0.6 x bottom, or the lines at this font height when they need more. Nothing when the area
// has no room or the box is empty.
std::optional<double> FitScale(double widthMM, double heightMM, int areaWidth, int areaHeight,
                               const std::array<int, 4>& margins, int fontHeight);

// The margins (left, top, right, bottom) of a printed map on a W x H page: the legend's column
// on the left, a twentieth of the width on the right, a tenth of the height above and the
// annotation block below. The picture is fitted to the page's width and 85 % of its height.
std::array<int, 4> PrintMargins(int pageWidth, int pageHeight);
inline constexpr int kPrintFitHeightPercent = 85;

// How far a view scrolls down: the scroll height less the part of the bottom margin that no
// written annotation line reaches.
int ContentHeight(int scrollHeight, int bottomMargin, int fontHeight, bool automaticLayout);

// --- Texts around the picture ---
std::string UnitText(int lengthUnit);
// "1/24 Oct. Band" ... "4 Oct. Band" for 24 ... 0.25 bands per octave; empty for other values.
std::string OctaveBandName(double bandsPerOctave);
// "Recommended Amplifier Power" value with its unit.
std::string AmplifierEstimate(const CDAXDoc& doc);

// What a plane without a finished map says instead of its averages: being calculated, stopped
// (with the points done), failed (with the reason) or not calculated; empty for a finished map.
std::string MapStateText(const CListeningPlane& plane);

struct CAnnotationLine {
    int line = 0; // line k of the block is drawn at y = k * h + T - bottom
    std::string text;
};
// Lines 2, 3, 11, 12, 6 to 9 (10 when points were left out), 14, 15 and (for a valid automatic
// layout) 17 to 26, in drawing order. A plane without a finished map has its state on line 6
// instead of the averages, and no amplifier estimate.
std::vector<CAnnotationLine> AnnotationLines(const CDAXDoc& doc, const CColorMapCondition& c);
// Swatch labels of the 25 colour classes, class 0 first; the classes moved up by `shift` dB.
std::array<std::string, kColorClasses> LegendLabels(const CListeningPlane& plane,
                                                     double shift = 0.0);
// The top of the colour scale with the automatic choice: the map's maximum rounded up to a whole
// number of colour pitches; the stored maximum for a map without levels or without a pitch.
double AutomaticColorMaximum(const CListeningPlane& plane);
// How far the condition's colour classes lie above the stored ones: 0 unless automatic. A level
// L takes the class the stored thresholds give L - shift.
double ColorShift(const CColorMapCondition& condition);
// The print title: centre frequency, band and mode of the condition.
std::string PrintTitle(const CColorMapCondition& condition);
// The two texts of the cursor read-out of line 5.
std::string CursorLevelText(double level);
std::string CursorPointText(const CVec3& point, int lengthUnit);

// The tooltip of installation `index` on the map: its number in the list, model, tap and power.
std::string SpeakerTooltip(const CDAXDoc& doc, int index);
// The tooltip at the cursor over the plane: the read-out's value of the map's quantity and
// its position.
std::string CursorTooltip(EMapQuantity quantity, double value, const CVec3& point,
                          int lengthUnit);

struct CPlaneLabel {
    CVec3 at;
    std::string text;
    bool raised = false; // drawn one font height above its point
};
// Start and end coordinates of the plane's two in-plane axes and their unit texts.
std::vector<CPlaneLabel> PlaneDimensionLabels(const CListeningPlane& plane, int lengthUnit);

// The round step (1, 2 or 5 times a power of ten) that puts ticks along `span` length units
// drawn `pixels` long at least `minSpacing` pixels apart; 0 when there is no room for one.
double TickStep(double span, double pixels, double minSpacing);
// A tick on one of the two labelled edges of the plane, between the start and end labels.
struct CPlaneTick {
    CVec3 at;
    CVec3 edgeStart, edgeEnd; // the edge it stands on, for the tick mark's direction
    std::string text;
    bool firstEdge = true; // the edge whose labels are raised by a font height
};
// Ticks at the round multiples of the steps along the edges that carry the dimension labels
// (first edge `firstPixels` long on screen, the second `secondPixels`), leaving out those
// closer than half a step to the start, the end or the unit text in the middle.
std::vector<CPlaneTick> PlaneTicks(const CListeningPlane& plane, double firstPixels,
                                   double secondPixels, double minSpacing = 60.0);

// --- The speaker table of the printed map ---
// Rows count the header. Page 1 holds what fits below its first row; every later page starts at
// the top margin with the header and holds rowsPerPage rows. pageCount prints every installation.
struct CTablePaging {
    int firstPageRows = 1;
    int rowsPerPage = 2;
    int pageCount = 1;
};
// A header of `headerLines` lines takes that many rows' height.
CTablePaging TablePaging(int installations, int fontHeight, int pageHeight, int firstRowY,
                         int headerLines = 1);

struct CTableCell {
    int offset = 0; // device pixels right of the table's left edge
    std::string text;
};
using CTableRow = std::vector<CTableCell>;
CTableRow TableHeader(const CDAXDoc& doc);
// A header cell as printed: its lines top to bottom, drawn at fontScale times the table's font.
struct CHeaderCell {
    int offset = 0;
    std::vector<std::string> lines;
    double fontScale = 1.0;
};
struct CTableHeaderLayout {
    std::vector<CHeaderCell> cells;
    int lineCount = 1;
};
// The width in device pixels of a text in the table's font, at this font height.
using CTextWidth = std::function<double(const std::string& text, int fontHeight)>;
// Fits every header text into its column, which ends half a font height before the next
// column (the last at rightEdge): a text too wide breaks into two lines before its "(" or at a
// blank, and a line that still does not fit is drawn smaller until it does (at least at half
// size). Without a measure every header keeps one line at full size.
CTableHeaderLayout FitTableHeader(const CTableRow& header, int rightEdge, int fontHeight,
                                  const CTextWidth& width);
// The installation rows of page `page` (1-based), without the header.
std::vector<CTableRow> TableRows(const CDAXDoc& doc, const CTablePaging& paging, int page);
