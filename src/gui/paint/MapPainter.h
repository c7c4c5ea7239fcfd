#pragma once

#include "project/ColorMapLayout.h"

#include <QFont>
#include <QString>

#include <array>

class QPagedPaintDevice;
class QPainter;
class CDAXDoc;
class CColorMapViewModel;

// The strip along the top of the colour map window that holds its combo boxes (centre
// frequency, band, mode, quantity), in logical pixels.
inline constexpr int kComboStripHeight = 22;
inline constexpr std::array<int, 4> kComboLeft{170, 290, 410, 530};
inline constexpr int kComboWidth = 120;

struct CMapPaintOptions {
    // Height of the combo box strip: the legend starts two lines below it.
    int comboHeight = kComboStripHeight;
    // Texts written into the strip where the window has its combo boxes (frequency, band, mode,
    // quantity); empty where real combo boxes stand over the picture.
    std::array<QString, 4> comboTexts;
    // The annotation lines under the picture and the title; a figure in a report leaves them to
    // its own tables.
    bool annotations = true;
};

// The font of the map texts: the application's face with a line height of at most `height`.
QFont MapFont(int height);

// One painter for the colour map on any QPainter, in logical coordinates of the scrolled picture:
// the coloured plane, installation plane and grid, axes, speakers, plane labels, annotation lines,
// title and legend. The view model decides every position; the document gives the data.
// On paper (the view model is printing) speakers are crosses and the texts take their paper
// places. Never throws.
void PaintColorMap(QPainter& painter, const CDAXDoc& doc, const CColorMapViewModel& view,
                   const CMapPaintOptions& options = {});

// The width of a text in the map's font of that height, for fitting the printed table's header.
double MapTextWidth(const std::string& text, int fontHeight);

// Prints a colour map view on a paged device (a printer, a print preview's printer or a PDF
// writer) through one CPrintJob: pages from..to (1-based, 0 for all), the table's header fitted
// with MapTextWidth, the plane's margins and scale put back afterwards whatever happens. False
// when the device could not be painted on or the view shows no plane.
bool PrintColorMap(QPagedPaintDevice& device, const CDAXDoc& doc, CColorMapViewModel& view,
                   int from = 0, int to = 0);

// One printed page (1-based) of a print job (CPrintJob): page 1
// is the map with its speaker table, later pages continue the table under a repeated header.
void PaintPrintedPage(QPainter& painter, const CDAXDoc& doc, const CColorMapViewModel& view,
                      const CTablePaging& paging, int page);
