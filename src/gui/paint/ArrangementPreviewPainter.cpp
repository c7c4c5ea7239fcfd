#include "paint/ArrangementPreviewPainter.h"

#include "project/arrangement/ModuleArrangementForm.h"

#include <QColor>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cmath>

namespace {
QColor PenColour() {
    const std::uint32_t c = CPreviewPicture::kPenColour; // 0x00BBGGRR
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                  static_cast<int>((c >> 16) & 0xFF));
}

QPoint At(const CPixel& p) {
    return {p.x, p.y};
}

int DeviceLength(int logical, double ratio) {
    return static_cast<int>(std::lround(logical * ratio));
}
} // namespace

namespace ArrangementPreviewPainter {

CPreviewPicture DevicePicture(const CModuleArrangementForm& form, int width, int height,
                              double devicePixelRatio) {
    CPreviewPicture picture = form.SitePreview(width, height);
    if (devicePixelRatio == 1.0 || !(devicePixelRatio > 0.0))
        return picture;
    // Same fit as on a standard screen, finer pixels: the scale, the area and the mark sizes
    // grow by the ratio, the drawing extents stay.
    const double r = devicePixelRatio;
    picture.fit.scale *= r;
    picture.fit.width = DeviceLength(width, r);
    picture.fit.height = DeviceLength(height, r);
    picture.reference = picture.fit.Map({});
    picture.markRadius = DeviceLength(CPreviewPicture::kMarkSize, r);
    const CPixel& o = picture.reference;
    const CPixel tip{o.x + DeviceLength(CPreviewPicture::kArrowLength, r), o.y};
    const int mark = picture.markRadius;
    picture.arrow = {
        {o, tip}, {tip, {tip.x - mark, tip.y - mark}}, {tip, {tip.x - mark, tip.y + mark}}};
    picture.outline.clear();
    for (const CPreviewSegment& s : form.Outline())
        picture.outline.push_back({picture.fit.Map(s.from), picture.fit.Map(s.to)});
    return picture;
}

void Paint(QPainter& painter, const CPreviewPicture& picture, double devicePixelRatio) {
    const double r = devicePixelRatio > 0.0 ? devicePixelRatio : 1.0;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    // Device pixels from here on: whole-pixel lines stay sharp at any ratio.
    painter.scale(1.0 / r, 1.0 / r);
    painter.fillRect(0, 0, picture.fit.width, picture.fit.height, Qt::white);
    QPen pen(PenColour());
    pen.setWidth(std::max(1, static_cast<int>(std::lround(r))));
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(At(picture.reference), picture.markRadius, picture.markRadius);
    for (const CPixelLine& line : picture.arrow)
        painter.drawLine(At(line.from), At(line.to));
    for (const CPixelLine& line : picture.outline)
        painter.drawLine(At(line.from), At(line.to));
    painter.restore();
}

void Paint(QPainter& painter, const CModuleArrangementForm& form, int width, int height,
           double devicePixelRatio) {
    Paint(painter, DevicePicture(form, width, height, devicePixelRatio), devicePixelRatio);
    // The aims, the plane, the scale and the total angle belong to an array that hangs in the
    // room: a model without an installation above a plane shows its column alone.
    if (form.Site().known)
        PaintAnnotations(painter, form.Annotations(width, height));
}

void PaintAnnotations(QPainter& painter, const CPreviewAnnotations& a) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    if (a.planeShown) {
        QPen plane(QColor(120, 120, 120), 1, Qt::DashLine);
        painter.setPen(plane);
        painter.drawLine(At(a.plane.from), At(a.plane.to));
    }
    painter.setPen(QPen(QColor(200, 60, 0, 160), 1));
    for (const CPixelLine& line : a.aims)
        painter.drawLine(At(line.from), At(line.to));
    painter.setPen(QPen(Qt::black, 1));
    const QPoint s0 = At(a.scaleBar.from), s1 = At(a.scaleBar.to);
    painter.drawLine(s0, s1);
    painter.drawLine(s0 - QPoint(0, 3), s0 + QPoint(0, 3));
    painter.drawLine(s1 - QPoint(0, 3), s1 + QPoint(0, 3));
    const int line = painter.fontMetrics().height();
    painter.drawText(QPoint(s0.x(), s0.y() - 5), QString::fromStdString(a.scaleText));
    painter.drawText(QPoint(s0.x(), line), QString::fromStdString(a.totalAngleText));
    painter.restore();
}

} // namespace ArrangementPreviewPainter
