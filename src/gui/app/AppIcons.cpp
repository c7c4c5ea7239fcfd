#include "app/AppIcons.h"

#include "paint/DaxIcons.h"
#include "paint/IconDrawing.h"
#include "project/MenuLayout.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>

namespace {

const QColor kInk(40, 48, 64);
const QColor kPaper(250, 250, 246);
const QColor kAccent(32, 112, 200);
const QColor kWarm(224, 120, 32);

const char* ThemeName(int id) {
    switch (id) {
    case kCmdNew:
        return "document-new";
    case kCmdUndo:
        return "edit-undo";
    case kCmdRedo:
        return "edit-redo";
    case kCmdOpen:
        return "document-open";
    case kCmdSave:
        return "document-save";
    case kCmdPrint:
        return "document-print";
    case kCmdZoomIn:
        return "zoom-in";
    case kCmdZoomOut:
        return "zoom-out";
    case kCmdFit:
        return "zoom-fit-best";
    case kCmdAbout:
        return "help-about";
    case kCmdRecalculate:
        return "view-refresh";
    case kCmdPreference:
        return "preferences-system";
    default:
        return nullptr;
    }
}

QPen Pen(const QColor& color, double width = 1.2) {
    return RoundPen(color, width);
}

void Page(QPainter& p) {
    QPainterPath page;
    page.moveTo(3, 1.5);
    page.lineTo(10, 1.5);
    page.lineTo(13, 4.5);
    page.lineTo(13, 14.5);
    page.lineTo(3, 14.5);
    page.closeSubpath();
    p.setPen(Pen(kInk));
    p.setBrush(kPaper);
    p.drawPath(page);
    p.drawPolyline(QPolygonF({QPointF(10, 1.5), QPointF(10, 4.5), QPointF(13, 4.5)}));
}

void Folder(QPainter& p) {
    p.setPen(Pen(kInk));
    p.setBrush(QColor(240, 200, 96));
    p.drawPolygon(QPolygonF({QPointF(1.5, 3.5), QPointF(6, 3.5), QPointF(7.5, 5), QPointF(14.5, 5),
                             QPointF(14.5, 13.5), QPointF(1.5, 13.5)}));
    p.setBrush(QColor(250, 222, 140));
    p.drawPolygon(
        QPolygonF({QPointF(1.5, 13.5), QPointF(3.5, 7.5), QPointF(15, 7.5), QPointF(14.5, 13.5)}));
}

void Disk(QPainter& p) {
    p.setPen(Pen(kInk));
    p.setBrush(kAccent);
    p.drawRoundedRect(QRectF(2, 2, 12, 12), 1, 1);
    p.setBrush(kPaper);
    p.drawRect(QRectF(4.5, 2, 7, 4.5));
    p.setBrush(QColor(200, 208, 220));
    p.drawRect(QRectF(4, 9, 8, 5));
}

void Printer(QPainter& p) {
    p.setPen(Pen(kInk));
    p.setBrush(kPaper);
    p.drawRect(QRectF(4.5, 1.5, 7, 5));
    p.setBrush(QColor(160, 168, 180));
    p.drawRoundedRect(QRectF(1.5, 6, 13, 6), 1, 1);
    p.setBrush(kPaper);
    p.drawRect(QRectF(4.5, 10, 7, 4.5));
    p.setPen(Pen(QColor(60, 180, 80), 1.5));
    p.drawPoint(QPointF(12.5, 8));
}

// A room box seen from the diagonal, with the look direction as an arrow and its label.
void Direction(QPainter& p, const QString& label, const QPointF& from, const QPointF& to) {
    p.setPen(Pen(QColor(120, 128, 140), 1));
    p.setBrush(Qt::NoBrush);
    p.drawPolygon(QPolygonF({QPointF(2, 7), QPointF(8, 4), QPointF(14, 7), QPointF(8, 10)}));
    p.drawLine(QPointF(2, 7), QPointF(2, 12));
    p.drawLine(QPointF(8, 10), QPointF(8, 15));
    p.drawLine(QPointF(14, 7), QPointF(14, 12));
    p.drawLine(QPointF(2, 12), QPointF(8, 15));
    p.drawLine(QPointF(8, 15), QPointF(14, 12));
    p.setPen(Pen(kWarm, 1.6));
    p.drawLine(from, to);
    const QLineF line(to, from);
    QLineF wing1 = line, wing2 = line;
    wing1.setLength(3);
    wing2.setLength(3);
    wing1.setAngle(line.angle() + 35);
    wing2.setAngle(line.angle() - 35);
    p.drawLine(wing1);
    p.drawLine(wing2);
    if (!label.isEmpty()) {
        QFont font;
        font.setPixelSize(7);
        font.setBold(true);
        p.setFont(font);
        p.setPen(kInk);
        p.drawText(QRectF(0, 0, 16, 6), Qt::AlignLeft | Qt::AlignTop, label);
    }
}

void Room(QPainter& p) {
    p.setPen(Pen(kInk));
    p.setBrush(QColor(220, 228, 240));
    p.drawPolygon(QPolygonF({QPointF(1.5, 6), QPointF(8, 3), QPointF(14.5, 6), QPointF(8, 9)}));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({QPointF(1.5, 6), QPointF(1.5, 11), QPointF(8, 14.5),
                              QPointF(14.5, 11), QPointF(14.5, 6)}));
    p.drawLine(QPointF(8, 9), QPointF(8, 14.5));
    p.setPen(Pen(kWarm, 1));
    p.drawLine(QPointF(3, 12.5), QPointF(7, 14.5)); // a dimension line along the floor
}

void Import(QPainter& p) {
    PaintLoudspeaker(p, QRectF(8.5, 4, 6, 10), QColor(70, 76, 90), kInk, 1);
    p.setPen(Pen(kAccent, 1.8));
    p.drawLine(QPointF(1.5, 9), QPointF(7, 9));
    p.drawLine(QPointF(4.5, 6.5), QPointF(7, 9));
    p.drawLine(QPointF(4.5, 11.5), QPointF(7, 9));
}

void AutoInstall(QPainter& p) {
    p.setPen(Pen(QColor(120, 128, 140), 1));
    p.setBrush(QColor(236, 240, 246));
    p.drawRect(QRectF(1.5, 1.5, 13, 13));
    p.setPen(Qt::NoPen);
    p.setBrush(kAccent);
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            p.drawEllipse(QPointF(4 + column * 4, 4 + row * 4), 1.4, 1.4);
}

void Recalculate(QPainter& p) {
    p.setPen(Pen(QColor(40, 150, 70), 1.8));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(2.5, 2.5, 11, 11), 30 * 16, 280 * 16);
    p.setBrush(QColor(40, 150, 70));
    p.setPen(Qt::NoPen);
    p.drawPolygon(QPolygonF({QPointF(14.5, 1.5), QPointF(14.5, 7), QPointF(9, 7)}));
}

// A hooked arrow turning back (undo) or forward (redo).
void EditArrow(QPainter& p, bool forward) {
    if (forward) {
        p.translate(16, 0);
        p.scale(-1, 1);
    }
    const QColor blue(40, 90, 170);
    p.setPen(Pen(blue, 1.8));
    p.setBrush(Qt::NoBrush);
    QPainterPath hook(QPointF(5, 6));
    hook.cubicTo(QPointF(11, 4), QPointF(15, 8), QPointF(12, 13));
    p.drawPath(hook);
    p.setPen(Qt::NoPen);
    p.setBrush(blue);
    p.drawPolygon(QPolygonF({QPointF(1.5, 6.5), QPointF(6.5, 2), QPointF(6.5, 10)}));
}

void Preference(QPainter& p) {
    p.setPen(Pen(kInk, 1.2));
    for (int i = 0; i < 3; ++i) {
        const double y = 3.5 + i * 4.5;
        p.drawLine(QPointF(2, y), QPointF(14, y));
    }
    p.setBrush(kAccent);
    p.drawEllipse(QPointF(5, 3.5), 1.8, 1.8);
    p.drawEllipse(QPointF(11, 8), 1.8, 1.8);
    p.drawEllipse(QPointF(7, 12.5), 1.8, 1.8);
}

void Magnifier(QPainter& p, int sign) {
    p.setPen(Pen(kInk, 1.4));
    p.setBrush(kPaper);
    p.drawEllipse(QPointF(6.5, 6.5), 4.5, 4.5);
    p.setPen(Pen(kInk, 2.4));
    p.drawLine(QPointF(10, 10), QPointF(14.5, 14.5));
    p.setPen(Pen(kAccent, 1.4));
    if (sign == 0) { // fit: corner marks inside the lens
        p.drawPolyline(QPolygonF({QPointF(4, 5.5), QPointF(4, 4), QPointF(5.5, 4)}));
        p.drawPolyline(QPolygonF({QPointF(9, 7.5), QPointF(9, 9), QPointF(7.5, 9)}));
        return;
    }
    p.drawLine(QPointF(4.5, 6.5), QPointF(8.5, 6.5));
    if (sign > 0)
        p.drawLine(QPointF(6.5, 4.5), QPointF(6.5, 8.5));
}

void About(QPainter& p) {
    p.setPen(Pen(kAccent, 1.2));
    p.setBrush(QColor(226, 236, 250));
    p.drawEllipse(QPointF(8, 8), 6.5, 6.5);
    QFont font;
    font.setPixelSize(10);
    font.setBold(true);
    p.setFont(font);
    p.setPen(kAccent);
    p.drawText(QRectF(0, 0, 16, 16.5), Qt::AlignCenter, "?");
}

} // namespace

bool PaintCommandGlyph(QPainter& p, int id, int size) {
    p.save();
    p.scale(size / 16.0, size / 16.0);
    bool drawn = true;
    switch (id) {
    case kCmdNew:
        Page(p);
        p.setPen(Pen(kWarm, 1.4));
        p.drawLine(QPointF(6, 10), QPointF(10, 10));
        p.drawLine(QPointF(8, 8), QPointF(8, 12));
        break;
    case kCmdOpen:
        Folder(p);
        break;
    case kCmdUndo:
        EditArrow(p, false);
        break;
    case kCmdRedo:
        EditArrow(p, true);
        break;
    case kCmdSave:
        Disk(p);
        break;
    case kCmdPrint:
        Printer(p);
        break;
    case kCmdViewMinusX:
        Direction(p, "-X", QPointF(15, 10), QPointF(9.5, 7.5));
        break;
    case kCmdViewPlusY:
        Direction(p, "+Y", QPointF(1, 10), QPointF(6.5, 7.5));
        break;
    case kCmdViewMinusZ:
        Direction(p, "-Z", QPointF(8, 1), QPointF(8, 6.5));
        break;
    case kCmdViewDiagonal:
        Direction(p, "", QPointF(1.5, 1.5), QPointF(6.5, 5.5));
        break;
    case kCmdRoomParameters:
        Room(p);
        break;
    case kCmdImport:
        Import(p);
        break;
    case kCmdAutoInstall:
        AutoInstall(p);
        break;
    case kCmdRecalculate:
        Recalculate(p);
        break;
    case kCmdPreference:
        Preference(p);
        break;
    case kCmdFit:
        Magnifier(p, 0);
        break;
    case kCmdZoomIn:
        Magnifier(p, 1);
        break;
    case kCmdZoomOut:
        Magnifier(p, -1);
        break;
    case kCmdAbout:
        About(p);
        break;
    default:
        drawn = false;
    }
    p.restore();
    return drawn;
}

QIcon DrawnCommandIcon(int id) {
    QPixmap probe(1, 1);
    probe.fill(Qt::transparent);
    QPainter test(&probe);
    const bool known = PaintCommandGlyph(test, id, 1);
    test.end();
    if (!known)
        return {};
    return IconFromDrawing({16, 22, 24, 32, 48, 64, 128},
                           [id](QPainter& p, int size) { PaintCommandGlyph(p, id, size); });
}

QIcon CommandIcon(int id) {
    if (const char* name = ThemeName(id); name && QIcon::hasThemeIcon(name))
        return QIcon::fromTheme(name);
    return DrawnCommandIcon(id);
}

QImage PaintApplicationImage(int size) {
    return DaxIconImage(EDaxIcon::Application, size);
}

QIcon ApplicationIcon() {
    return DaxIcon(EDaxIcon::Application);
}
