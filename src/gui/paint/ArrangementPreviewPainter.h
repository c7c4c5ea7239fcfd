#pragma once

#include "project/arrangement/ArrangementPreview.h"

class QPainter;
class CModuleArrangementForm;

// Draws the side view of an arranged column that the arrangement forms compute. The picture is
// laid out for the logical size the user sees and then mapped onto device pixels, so on a
// high-DPI screen the column keeps its proportions and every line lands on whole device pixels.
namespace ArrangementPreviewPainter {
// The form's picture for a logical area of width x height with devicePixelRatio device pixels
// per logical pixel, in device pixels. At a ratio of 1 it is exactly the form's own picture.
CPreviewPicture DevicePicture(const CModuleArrangementForm& form, int width, int height,
                              double devicePixelRatio);

// Fills the area white and draws the reference mark and the outline. The painter's coordinates
// are logical; `picture` is in device pixels of the given ratio.
void Paint(QPainter& painter, const CPreviewPicture& picture, double devicePixelRatio);

// The aiming lines, the plane, the scale bar and the total angle, in logical coordinates.
void PaintAnnotations(QPainter& painter, const CPreviewAnnotations& annotations);

// The picture and its annotations.
void Paint(QPainter& painter, const CModuleArrangementForm& form, int width, int height,
           double devicePixelRatio);
} // namespace ArrangementPreviewPainter
