#include "paint/MapPainter.h"

#include "acoustics/ColorMapCondition.h"
#include "paint/DaxIcons.h"
#include "paint/GuiText.h"
#include "project/ColorMapViewModel.h"
#include "project/DAXDoc.h"
#include "project/Strings.h"

#include <QFontMetrics>
#include <QPaintDevice>
#include <QPainter>
#include <QPolygon>

#include <algorithm>
#include <cmath>
#include <exception>
#include <map>

namespace {
const QColor kGridGrey(200, 200, 200);
const QColor kAxisGrey(127, 127, 127);
// A point without a level (not calculated, not reached by a stopped map, at a speaker) has no
// colour class: it is drawn in a grey no class uses.
const QColor kNoLevel(228, 228, 228);
const QColor kCalculatingMark(170, 0, 0);

QColor FromColorRef(std::uint32_t c) {
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                  static_cast<int>((c >> 16) & 0xFF));
}

QPoint ToQt(const CPixel& p) {
    return {p.x, p.y};
}

// Texts are placed by their top-left corner, as the picture's layout counts lines from the top.
void TextAt(QPainter& p, int x, int y, const QString& text) {
    p.drawText(QPoint(x, y + p.fontMetrics().ascent()), text);
}

void TextAt(QPainter& p, int x, int y, const std::string& text) {
    TextAt(p, x, y, ToQString(text));
}

// Speaker icons at the ratio of the device, painted once per ratio.
const QImage& SpeakerImage(bool current, qreal ratio) {
    static std::map<std::pair<bool, qreal>, QImage> cache;
    auto& image = cache[{current, ratio}];
    if (image.isNull())
        image = DaxIconImage(current ? EDaxIcon::CurrentSpeaker : EDaxIcon::Speaker, 32, ratio);
    return image;
}

void FillQuad(QPainter& p, const CQuad& q, const QColor& color) {
    // The plan view gives axis-parallel rectangles: filled as such they are several times
    // cheaper than polygons and cover the same pixels.
    const bool rectangle =
        (q[0].y == q[1].y && q[1].x == q[2].x && q[2].y == q[3].y && q[3].x == q[0].x) ||
        (q[0].x == q[1].x && q[1].y == q[2].y && q[2].x == q[3].x && q[3].y == q[0].y);
    if (rectangle) {
        const int left = std::min(q[0].x, q[2].x), right = std::max(q[0].x, q[2].x);
        const int top = std::min(q[0].y, q[2].y), bottom = std::max(q[0].y, q[2].y);
        // A plane seen edge-on still shows as a line of its colours.
        p.fillRect(left, top, std::max(1, right - left), std::max(1, bottom - top), color);
        return;
    }
    const auto [minX, maxX] = std::minmax({q[0].x, q[1].x, q[2].x, q[3].x});
    const auto [minY, maxY] = std::minmax({q[0].y, q[1].y, q[2].y, q[3].y});
    if (minX == maxX || minY == maxY) {
        p.fillRect(minX, minY, std::max(1, maxX - minX), std::max(1, maxY - minY), color);
        return;
    }
    const QPoint points[4] = {ToQt(q[0]), ToQt(q[1]), ToQt(q[2]), ToQt(q[3])};
    p.setBrush(color);
    p.drawConvexPolygon(points, 4);
}

void PaintCells(QPainter& p, const CDAXDoc& doc, const CColorMapViewModel& view,
                const CListeningPlane& plane) {
    p.save();
    p.setPen(Qt::NoPen);
    // While a speaker is dragged the cells show where the drop would take the map.
    const std::vector<double>* preview = view.PreviewLevels();
    const bool levels =
        preview || plane.state == EMapState::Complete || plane.state == EMapState::Incomplete;
    if (!doc.HasInstallations() || !levels) {
        FillQuad(p, view.CalculationPlaneQuad(), kNoLevel);
        p.restore();
        return;
    }
    const EPlaneOrientation orientation = plane.Orientation();
    const CMapProjector projector = view.Projector();
    for (std::size_t i = 0; i < plane.points.size(); ++i) {
        const CPlaceElement& cell = plane.points[i];
        const double level = preview ? (*preview)[i] : cell.level;
        FillQuad(p, projector.Quad(CellCorners(cell, orientation)),
                 std::isnan(level) ? kNoLevel : FromColorRef(plane.ColorOf(level)));
    }
    p.restore();
}

void PaintRoom(QPainter& p, const CDAXDoc& doc, const CColorMapViewModel& view) {
    const CInstallationContainer& room = doc.room;
    p.setPen(QPen(kGridGrey, 1));
    p.setBrush(Qt::NoBrush);
    const CQuad plane = view.InstallationPlaneQuad();
    const QPoint outline[5] = {ToQt(plane[0]), ToQt(plane[1]), ToQt(plane[2]), ToQt(plane[3]),
                               ToQt(plane[0])};
    p.drawPolyline(outline, 5);

    const double z = room.roomHeight;
    const double x0 = room.roomZeroX, x1 = room.roomZeroX + room.roomLength;
    const double y0 = room.roomZeroY, y1 = room.roomZeroY + room.roomWidth;
    // A pitch that would draw more lines than pixels draws none: the outline says enough.
    constexpr double kMaxLines = 10000;
    if (room.gridPitchY > 0 && room.roomWidth / room.gridPitchY < kMaxLines)
        for (int k = 1; k < room.roomWidth / room.gridPitchY; ++k) {
            const double y = y0 + k * room.gridPitchY;
            p.drawLine(ToQt(view.PixelOf({x0, y, z})), ToQt(view.PixelOf({x1, y, z})));
        }
    if (room.gridPitchX > 0 && room.roomLength / room.gridPitchX < kMaxLines)
        for (int k = 1; k < room.roomLength / room.gridPitchX; ++k) {
            const double x = x0 + k * room.gridPitchX;
            p.drawLine(ToQt(view.PixelOf({x, y0, z})), ToQt(view.PixelOf({x, y1, z})));
        }
}

void PaintAxes(QPainter& p, const CDAXDoc& doc, const CColorMapViewModel& view) {
    const double length = doc.room.roomLength / 10;
    const QPoint origin = ToQt(view.PixelOf({0, 0, 0}));
    const CVec3 ends[3] = {{length, 0, 0}, {0, length, 0}, {0, 0, length}};
    const char* letters[3] = {Strings::kAxisX, Strings::kAxisY, Strings::kAxisZ};
    p.setPen(QPen(kAxisGrey, 2));
    p.setBackgroundMode(Qt::TransparentMode);
    for (int i = 0; i < 3; ++i) {
        const QPoint end = ToQt(view.PixelOf(ends[i]));
        p.drawLine(origin, end);
        TextAt(p, end.x(), end.y(), std::string(letters[i]));
    }
}

void PaintSpeakers(QPainter& p, const CColorMapViewModel& view) {
    const CInstallationElementList& installations = view.ShownInstallations();
    const int current = installations.CurrentIndex();
    if (view.Printing()) {
        const int b = view.PageWidth() / 80;
        p.setPen(QPen(Qt::black, std::max(1, view.FontHeight() / 8)));
        for (const CInstallationElement& e : installations) {
            const QPoint c = ToQt(view.PixelOf(e.position));
            p.drawLine(c.x() - b, c.y() - b, c.x() + b, c.y() + b);
            p.drawLine(c.x() - b, c.y() + b, c.x() + b, c.y() - b);
        }
        return;
    }
    const qreal ratio = p.device() ? p.device()->devicePixelRatioF() : 1.0;
    // A speaker dragged out of the room is left out: the drop there removes it.
    const int hidden = view.HiddenInstallation();
    for (int i = 0; i < installations.Count(); ++i) {
        if (i == hidden)
            continue;
        const QPoint c = ToQt(view.PixelOf(installations.At(i)->position));
        p.drawImage(QRect(c.x() - 16, c.y() - 16, 32, 32), SpeakerImage(i == current, ratio));
    }
}

void PaintPlaneLabels(QPainter& p, const CDAXDoc& doc, const CColorMapViewModel& view,
                      const CListeningPlane& plane) {
    p.setPen(Qt::black);
    p.setBackgroundMode(Qt::TransparentMode);
    const int h = view.FontHeight();
    for (const CPlaneLabel& label : PlaneDimensionLabels(plane, doc.Settings().lengthUnit)) {
        const CPixel at = view.PixelOf(label.at);
        TextAt(p, at.x, at.y - (label.raised ? h : 0), label.text);
    }
}

void PaintAnnotations(QPainter& p, const CDAXDoc& doc, const CColorMapViewModel& view,
                      const CColorMapCondition& condition) {
    p.setPen(Qt::black);
    p.setBackground(Qt::white);
    p.setBackgroundMode(Qt::OpaqueMode);
    const int left = condition.margins[0];
    for (const CAnnotationLine& line : AnnotationLines(doc, condition))
        TextAt(p, left, view.LineY(line.line), line.text);
    const CCursorReadout& readout = view.Readout();
    if (!view.Printing() && readout.valid && doc.HasInstallations()) {
        const int y = view.LineY(5);
        TextAt(p, left, y, CursorLevelText(readout.level));
        TextAt(p, left + 20 * view.FontHeight(), y,
               CursorPointText(readout.point, doc.Settings().lengthUnit));
    }
    if (!view.Printing())
        TextAt(p, 0, 0, std::string(Strings::kMapShownAt));
    else if (doc.HasInstallations())
        TextAt(p, view.PageWidth() * 35 / 100, view.LineY(28), PrintTitle(condition));
}

void PaintLegend(QPainter& p, const CColorMapViewModel& view, const CListeningPlane& plane,
                 int comboHeight) {
    const int h = view.FontHeight();
    const auto labels = LegendLabels(plane);
    int x = 5, top = 0;
    p.setPen(Qt::black);
    p.setBackground(Qt::white);
    p.setBackgroundMode(Qt::OpaqueMode);
    for (int i = 0; i < kColorClasses; ++i) {
        if (view.Printing()) {
            x = view.PageWidth() / 5;
            top = i * h + view.PageHeight() / 10;
        } else {
            top = h * (i + 2) + comboHeight;
        }
        p.fillRect(x, top, h, h, FromColorRef(plane.colors[static_cast<std::size_t>(i)]));
        TextAt(p, x + h + h / 2, top, labels[static_cast<std::size_t>(i)]);
    }
    TextAt(p, x + h + h / 2, top + h, std::string(Strings::kUnitDecibel));
}

void PaintComboTexts(QPainter& p, const CMapPaintOptions& options) {
    p.save();
    p.setBackgroundMode(Qt::TransparentMode);
    for (std::size_t i = 0; i < options.comboTexts.size(); ++i) {
        if (options.comboTexts[i].isEmpty())
            continue;
        const QRect box(kComboLeft[i], 0, kComboWidth - 2, options.comboHeight - 1);
        p.setPen(kGridGrey);
        p.setBrush(Qt::white);
        p.drawRect(box);
        p.setPen(Qt::black);
        p.drawText(box.adjusted(4, 0, -4, 0), Qt::AlignLeft | Qt::AlignVCenter,
                   options.comboTexts[i]);
    }
    p.restore();
}

// The map shown is the previous one while a new one is calculated: said beside the lists.
void PaintCalculatingMark(QPainter& p, const CMapPaintOptions& options) {
    p.save();
    QFont font = p.font();
    font.setBold(true);
    p.setFont(font);
    p.setPen(kCalculatingMark);
    p.setBackgroundMode(Qt::TransparentMode);
    const int left = kComboLeft[kComboLeft.size() - 1] + kComboWidth + 10;
    p.drawText(QRect(left, 0, 400, std::max(options.comboHeight, p.fontMetrics().height())),
               Qt::AlignLeft | Qt::AlignVCenter, QString::fromUtf8(Strings::kCalculating));
    p.restore();
}

void PaintTableRow(QPainter& p, int left, int y, const CTableRow& row) {
    for (const CTableCell& cell : row)
        TextAt(p, left + cell.offset, y, cell.text);
}

// The header as the print job fitted it: each cell's lines one font height apart, in its size.
void PaintTableHeader(QPainter& p, int left, int y, int h, const CTableHeaderLayout& header) {
    const QFont full = MapFont(h);
    for (const CHeaderCell& cell : header.cells) {
        QFont font = full;
        if (cell.fontScale < 1.0)
            font.setPixelSize(
                std::max(1, static_cast<int>(std::floor(full.pixelSize() * cell.fontScale))));
        p.setFont(font);
        for (std::size_t line = 0; line < cell.lines.size(); ++line)
            TextAt(p, left + cell.offset, y + static_cast<int>(line) * h, cell.lines[line]);
    }
    p.setFont(full);
}
} // namespace

double MapTextWidth(const std::string& text, int fontHeight) {
    return QFontMetricsF(MapFont(fontHeight)).horizontalAdvance(ToQString(text));
}

QFont MapFont(int height) {
    QFont font;
    const int target = std::max(1, height);
    int size = target;
    font.setPixelSize(size);
    while (size > 1 && QFontMetrics(font).height() > target)
        font.setPixelSize(--size);
    return font;
}

void PaintColorMap(QPainter& painter, const CDAXDoc& doc, const CColorMapViewModel& view,
                   const CMapPaintOptions& options) {
    const CColorMapCondition* condition = view.Condition();
    if (!condition)
        return;
    try {
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setFont(MapFont(view.FontHeight()));
        const CListeningPlane& plane = condition->plane;
        PaintCells(painter, doc, view, plane);
        PaintRoom(painter, doc, view);
        PaintAxes(painter, doc, view);
        PaintSpeakers(painter, view);
        PaintPlaneLabels(painter, doc, view, plane);
        PaintAnnotations(painter, doc, view, *condition);
        PaintLegend(painter, view, plane, options.comboHeight);
        if (!view.Printing()) {
            PaintComboTexts(painter, options);
            if (plane.calculating)
                PaintCalculatingMark(painter, options);
        }
        painter.restore();
    } catch (const std::exception&) {
        // A record the document could not resolve leaves the rest of the picture out; the
        // document stays as it was and the next paint tries again.
        painter.restore();
    }
}

void PaintPrintedPage(QPainter& painter, const CDAXDoc& doc, const CColorMapViewModel& view,
                      const CTablePaging& paging, int page) {
    try {
        const int h = view.FontHeight();
        const int tableLeft = view.PageWidth() * 10 / 100;
        int y = view.PageHeight() / 10;
        if (page == 1) {
            PaintColorMap(painter, doc, view);
            y = view.LineY(32);
        }
        painter.save();
        painter.setFont(MapFont(h));
        painter.setPen(Qt::black);
        painter.setBackgroundMode(Qt::TransparentMode);
        CTableHeaderLayout header = view.PrintedTableHeader();
        if (header.cells.empty()) // a job begun without a measure of the font
            header = FitTableHeader(TableHeader(doc), 0, h, {});
        PaintTableHeader(painter, tableLeft, y, h, header);
        y += (header.lineCount - 1) * h;
        for (const CTableRow& row : TableRows(doc, paging, page)) {
            y += h;
            PaintTableRow(painter, tableLeft, y, row);
        }
        painter.restore();
    } catch (const std::exception&) {
        painter.restore();
    }
}
