#include "paint/DaxIcons.h"

#include "paint/IconDrawing.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {
// All shapes are drawn on a 32 x 32 grid and scaled to the requested size.
constexpr qreal kGrid = 32.0;

void PaintIcon(QPainter& p, EDaxIcon icon) {
    switch (icon) {
    case EDaxIcon::Speaker:
        PaintLoudspeaker(p, QRectF(9, 4, 14, 24), QColor(90, 110, 140), QColor(20, 30, 60));
        break;
    case EDaxIcon::CurrentSpeaker:
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 200, 0, 200));
        p.drawEllipse(QPointF(16, 16), 15.5, 15.5);
        PaintLoudspeaker(p, QRectF(9, 4, 14, 24), QColor(200, 40, 40), QColor(90, 0, 0));
        break;
    case EDaxIcon::Application: {
        // Colour-map bands behind a speaker: what the program is about, at a glance.
        const QColor bands[] = {QColor(230, 30, 30), QColor(250, 160, 0), QColor(240, 230, 40),
                                QColor(60, 200, 60), QColor(40, 120, 230)};
        for (int i = 0; i < 5; ++i) {
            p.setPen(Qt::NoPen);
            p.setBrush(bands[i]);
            const qreal r = 15.5 - i * 2.6;
            p.drawEllipse(QPointF(21, 21), r, r);
        }
        PaintLoudspeaker(p, QRectF(3, 2, 13, 22), QColor(60, 60, 70), QColor(10, 10, 20));
        break;
    }
    }
}

// The standard arrow shape with its tip at the origin.
void PaintArrow(QPainter& p) {
    QPainterPath arrow;
    arrow.moveTo(1, 1);
    arrow.lineTo(1, 19);
    arrow.lineTo(5.5, 14.5);
    arrow.lineTo(9, 22);
    arrow.lineTo(12, 20.5);
    arrow.lineTo(8.5, 13.5);
    arrow.lineTo(14.5, 13.5);
    arrow.closeSubpath();
    p.setPen(QPen(Qt::white, 1.5));
    p.setBrush(Qt::black);
    p.drawPath(arrow);
}

void PaintMoveArrows(QPainter& p) {
    QPainterPath path;
    const qreal c = 16;
    // Four arrow heads around the centre, joined by a cross.
    const QPointF tips[] = {{c, 1}, {31, c}, {c, 31}, {1, c}};
    for (int i = 0; i < 4; ++i) {
        const QPointF tip = tips[i];
        const QPointF inward = (QPointF(c, c) - tip) / 5.0;
        const QPointF side(inward.y(), -inward.x());
        path.moveTo(tip);
        path.lineTo(tip + inward + side);
        path.lineTo(tip + inward - side);
        path.closeSubpath();
    }
    p.setPen(QPen(Qt::white, 1.5));
    p.setBrush(Qt::black);
    p.drawPath(path);
    p.setPen(QPen(Qt::black, 2));
    p.drawLine(QPointF(c, 5), QPointF(c, 27));
    p.drawLine(QPointF(5, c), QPointF(27, c));
}

QPoint PaintCursor(QPainter& p, EDaxCursor cursor) {
    switch (cursor) {
    case EDaxCursor::OverSpeaker:
        PaintArrow(p);
        PaintLoudspeaker(p, QRectF(17, 14, 10, 16), QColor(90, 110, 140), QColor(20, 30, 60));
        return {1, 1};
    case EDaxCursor::PressSpeaker:
        PaintArrow(p);
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(16.5, 14.5, 14, 16));
        for (int i = 0; i < 3; ++i)
            p.drawLine(QPointF(19, 19 + i * 4), QPointF(28, 19 + i * 4));
        return {1, 1};
    case EDaxCursor::DragSpeaker:
        PaintMoveArrows(p);
        PaintLoudspeaker(p, QRectF(11.5, 8.5, 9, 15), QColor(200, 40, 40), QColor(90, 0, 0));
        return {16, 16};
    }
    return {0, 0};
}

void Prepare(QPainter& p, int logicalSize) {
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(logicalSize / kGrid, logicalSize / kGrid);
}
} // namespace

QImage DaxIconImage(EDaxIcon icon, int logicalSize, qreal devicePixelRatio) {
    QImage image = IconCanvas(logicalSize, devicePixelRatio);
    QPainter p(&image);
    Prepare(p, logicalSize);
    PaintIcon(p, icon);
    return image;
}

QIcon DaxIcon(EDaxIcon icon) {
    return IconFromDrawing({16, 24, 32, 48, 64, 128, 256}, [icon](QPainter& p, int size) {
        Prepare(p, size);
        PaintIcon(p, icon);
    });
}

QCursor DaxCursor(EDaxCursor cursor, qreal devicePixelRatio) {
    QImage image = IconCanvas(32, devicePixelRatio);
    QPoint hotSpot;
    {
        QPainter p(&image);
        Prepare(p, 32);
        hotSpot = PaintCursor(p, cursor);
    }
    return QCursor(QPixmap::fromImage(image), hotSpot.x(), hotSpot.y());
}
