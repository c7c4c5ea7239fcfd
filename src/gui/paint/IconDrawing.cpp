#include "paint/IconDrawing.h"

#include <QPainter>
#include <QPixmap>
#include <QRectF>

QPen RoundPen(const QColor& color, qreal width) {
    return QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

QImage IconCanvas(int logicalSize, qreal devicePixelRatio) {
    const int pixels = qMax(1, qRound(logicalSize * devicePixelRatio));
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    image.setDevicePixelRatio(devicePixelRatio);
    return image;
}

QIcon IconFromDrawing(std::initializer_list<int> sizes,
                      const std::function<void(QPainter&, int)>& paint) {
    QIcon icon;
    for (int size : sizes) {
        QImage image = IconCanvas(size);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setRenderHint(QPainter::TextAntialiasing);
            paint(painter, size);
        }
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

void PaintLoudspeaker(QPainter& p, const QRectF& box, const QColor& body, const QColor& edge,
                      qreal edgeWidth) {
    const qreal w = box.width();
    p.setPen(RoundPen(edge, edgeWidth > 0 ? edgeWidth : w / 14.0));
    p.setBrush(body);
    p.drawRoundedRect(box, w / 6.0, w / 6.0);
    const bool tweeter = box.height() >= 1.5 * w;
    const QPointF centre(box.center().x(), box.top() + box.height() * (tweeter ? 0.6 : 0.5));
    const qreal cone = w * 0.36;
    p.setPen(RoundPen(QColor(30, 30, 30), w / 20.0));
    p.setBrush(QColor(200, 200, 200));
    p.drawEllipse(centre, cone, cone);
    p.setBrush(QColor(60, 60, 60));
    p.drawEllipse(centre, cone * 0.4, cone * 0.4);
    if (tweeter) {
        p.setBrush(QColor(200, 200, 200));
        p.drawEllipse(QPointF(box.center().x(), box.top() + box.height() * 0.18), w * 0.1, w * 0.1);
    }
}
