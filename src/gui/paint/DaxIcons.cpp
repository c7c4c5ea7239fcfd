#include "paint/DaxIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {
// All shapes are drawn on a 32 x 32 grid and scaled to the requested size.
constexpr qreal kGrid = 32.0;

// A loudspeaker seen from the front: a cabinet with a cone. `accent` colours the cabinet edge.
void PaintSpeaker(QPainter& p, const QRectF& box, const QColor& body, const QColor& accent) {
    p.setPen(QPen(accent, box.width() / 14.0));
    p.setBrush(body);
    p.drawRoundedRect(box, box.width() / 6.0, box.width() / 6.0);
    const QPointF centre(box.center().x(), box.top() + box.height() * 0.6);
    const qreal cone = box.width() * 0.36;
    p.setPen(QPen(QColor(30, 30, 30), box.width() / 20.0));
    p.setBrush(QColor(200, 200, 200));
    p.drawEllipse(centre, cone, cone);
    p.setBrush(QColor(60, 60, 60));
    p.drawEllipse(centre, cone * 0.4, cone * 0.4);
    const QPointF tweeter(box.center().x(), box.top() + box.height() * 0.18);
    p.setBrush(QColor(200, 200, 200));
    p.drawEllipse(tweeter, box.width() * 0.1, box.width() * 0.1);
}

void PaintIcon(QPainter& p, EDaxIcon icon) {
    switch (icon) {
    case EDaxIcon::Speaker:
        PaintSpeaker(p, QRectF(9, 4, 14, 24), QColor(90, 110, 140), QColor(20, 30, 60));
        break;
    case EDaxIcon::CurrentSpeaker:
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 200, 0, 200));
        p.drawEllipse(QPointF(16, 16), 15.5, 15.5);
        PaintSpeaker(p, QRectF(9, 4, 14, 24), QColor(200, 40, 40), QColor(90, 0, 0));
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
        PaintSpeaker(p, QRectF(3, 2, 13, 22), QColor(60, 60, 70), QColor(10, 10, 20));
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
        PaintSpeaker(p, QRectF(17, 14, 10, 16), QColor(90, 110, 140), QColor(20, 30, 60));
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
        PaintSpeaker(p, QRectF(11.5, 8.5, 9, 15), QColor(200, 40, 40), QColor(90, 0, 0));
        return {16, 16};
    }
    return {0, 0};
}

QImage Canvas(int logicalSize, qreal ratio) {
    const int pixels = qMax(1, qRound(logicalSize * ratio));
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    image.setDevicePixelRatio(ratio);
    return image;
}

void Prepare(QPainter& p, int logicalSize) {
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(logicalSize / kGrid, logicalSize / kGrid);
}
} // namespace

QImage DaxIconImage(EDaxIcon icon, int logicalSize, qreal devicePixelRatio) {
    QImage image = Canvas(logicalSize, devicePixelRatio);
    QPainter p(&image);
    Prepare(p, logicalSize);
    PaintIcon(p, icon);
    return image;
}

QIcon DaxIcon(EDaxIcon icon) {
    QIcon result;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        result.addPixmap(QPixmap::fromImage(DaxIconImage(icon, size)));
    return result;
}

QCursor DaxCursor(EDaxCursor cursor, qreal devicePixelRatio) {
    QImage image = Canvas(32, devicePixelRatio);
    QPoint hotSpot;
    {
        QPainter p(&image);
        Prepare(p, 32);
        hotSpot = PaintCursor(p, cursor);
    }
    return QCursor(QPixmap::fromImage(image), hotSpot.x(), hotSpot.y());
}
