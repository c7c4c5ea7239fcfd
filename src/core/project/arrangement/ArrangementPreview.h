#pragma once

#include "common/Pixel.h"
#include "speaker/ModuleArrangementPort.h"

#include <cstdint>
#include <string>
#include <vector>

// The side view of an arranged column that every arrangement dialog draws beside its controls.
// Everything is computed here; a painter only fills the area white and draws the picture's
// circle and lines with its pen.

struct CPreviewPoint {
    double x = 0.0; // metres forward of the column line
    double z = 0.0; // metres above the reference point
};

// The four corners of one element's outline, in metres. The front edge lies on the column line
// (the offset is not drawn) and the outline narrows toward the rear by the wedge angle.
struct CPreviewCorners {
    CPreviewPoint bottomFront;
    CPreviewPoint topFront;
    CPreviewPoint bottomRear;
    CPreviewPoint topRear;
};

struct CPreviewSegment {
    CPreviewPoint from;
    CPreviewPoint to;
};

struct CPixelLine {
    CPixel from;
    CPixel to;
    friend bool operator==(const CPixelLine&, const CPixelLine&) = default;
};

// The view record: how metres map to pixels for one paint.
struct CPreviewFit {
    double scale = 1.0;
    double xRear = 0.0;
    double zTop = 0.0;
    double zBottom = 0.0;
    int width = 0;
    int height = 0;
    // Forward is to the right, up is up, and the column is centred vertically.
    CPixel Map(const CPreviewPoint& p) const;
};

// One paint of a preview: the reference mark (a circle and an arrow pointing forward) and the
// outline of every element, in pixels, all in one pen colour.
struct CPreviewPicture {
    static constexpr std::uint32_t kPenColour = 0x00007F00; // RGB(0, 127, 0) as 0x00BBGGRR
    static constexpr int kArrowLength = 40;
    static constexpr int kMarkSize = 10;

    CPreviewFit fit;
    CPixel reference;
    int markRadius = kMarkSize;
    std::vector<CPixelLine> arrow;
    std::vector<CPixelLine> outline;
};

// Beside the column: where each element aims, the calculation plane, a scale and the array's
// total angle (between its highest and its lowest aim).
struct CPreviewAnnotations {
    std::vector<CPixelLine> aims;    // from each element's front middle along its axis
    bool planeShown = false;         // the plane lies within the picture
    CPixelLine plane;                // a horizontal line across the picture
    CPixelLine scaleBar;             // a round length at the foot of the picture
    std::string scaleText;           // "1 m"
    double totalAngle = 0.0;         // degrees
    std::string totalAngleText;      // "Total angle: 52.5 deg"
    std::vector<double> aimAngles;   // per element, degrees below horizontal, tilt included
};

// The preview's fit widened to show the plane under a known site and the aims reaching it (at
// most four drops forward); the fit as it was without a site.
CPreviewFit SiteFit(const CPreviewFit& base, const std::vector<CPreviewCorners>& corners,
                    const CArraySite& site);
// The annotations of a laid-out column on a fit: every element aims perpendicular to its front
// edge, turned down by the site's tilt; with a known site a line ends on the plane `drop` metres
// below the reference point (an aim that does not reach it runs out of the picture).
CPreviewAnnotations AnnotatePreview(const std::vector<CPreviewCorners>& corners,
                                    const CPreviewFit& fit, const CArraySite& site);

// Lays out the corners of every element in element order: the upper stack (elements 0 ..
// upper-1) upward and the lower stack downward from the reference point, each with its own
// running angle. A centre module (the element after both stacks) straddles the reference point
// and the stacks start at its ends, as the model places them. wedges (degrees) and depths
// (metres) hold one value per element; fewer than the vectors is an invalid-argument error.
std::vector<CPreviewCorners> LayOutPreview(const CModuleCounts& counts,
                                           const CAxisEntityArray& vectors,
                                           const std::vector<double>& wedges,
                                           const std::vector<double>& depths);

// Fits the laid-out column into a client area of width x height pixels. When the column has no
// height or no depth that dimension does not limit the scale; with neither, the scale stays 1.
CPreviewFit FitPreview(const CModuleCounts& counts, const std::vector<CPreviewCorners>& corners,
                       int width, int height);

// The outlines the families draw.
namespace PreviewOutline {
// Every element closed: top front, bottom front, bottom rear, top rear, back to top front.
std::vector<CPreviewSegment> ClosedElements(const std::vector<CPreviewCorners>& corners);
// Cabinets drawn as bodies: every front and rear edge, the top edge of each cabinet's first
// element and the bottom edge of its last. firstOfCabinet lists the first element of every
// cabinet in order.
std::vector<CPreviewSegment> Cabinets(const std::vector<CPreviewCorners>& corners,
                                      const std::vector<int>& firstOfCabinet);
// One KV-K cabinet: front edges, the top and bottom edges, and the back drawn as a line from
// the bottom rear corner to the reference point's height and on to the reference point.
std::vector<CPreviewSegment> SingleKCabinet(const std::vector<CPreviewCorners>& corners);
} // namespace PreviewOutline

// The whole picture for a client area of width x height pixels.
CPreviewPicture PaintPreview(const CModuleCounts& counts,
                             const std::vector<CPreviewCorners>& corners,
                             const std::vector<CPreviewSegment>& outline, int width, int height);
// The picture on a given fit.
CPreviewPicture PaintPreview(const CPreviewFit& fit, const std::vector<CPreviewSegment>& outline);
