#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QPen>

#include <functional>
#include <initializer_list>

class QPainter;
class QRectF;

// What the program's painted pictures share: the map's icons and cursors and the toolbar's
// drawings.

// The outline pen of every drawing: round caps and joins, so short strokes stay clean when small.
QPen RoundPen(const QColor& color, qreal width);
// A transparent square image of `logicalSize` pixels at a device pixel ratio; it carries the ratio.
QImage IconCanvas(int logicalSize, qreal devicePixelRatio = 1.0);
// One drawing painted (antialiased) at each size into one icon; `paint` is told the size.
QIcon IconFromDrawing(std::initializer_list<int> sizes,
                      const std::function<void(QPainter&, int size)>& paint);
// A loudspeaker seen from the front: a rounded cabinet with its cone, and a tweeter above when
// the box is tall enough for one. `edge` colours the cabinet's outline, of width `edgeWidth`
// (0: a fourteenth of the box width).
void PaintLoudspeaker(QPainter& p, const QRectF& box, const QColor& body, const QColor& edge,
                      qreal edgeWidth = 0);
