#include "paint/MapPainter.h"

#include "acoustics/CoarseGrid.h"
#include "acoustics/ColorMapCondition.h"
#include "paint/DaxIcons.h"
#include "paint/GuiText.h"
#include "project/ColorMapViewModel.h"
#include "project/DAXDoc.h"
#include "project/PrintJob.h"
#include "project/QuantityDisplay.h"
#include "project/Strings.h"

#include <QFontMetrics>
#include <QPagedPaintDevice>
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
                const CListeningPlane& plane, const CColorScale& scale) {
    p.save();
    p.setPen(Qt::NoPen);
    // While a speaker is dragged the cells show where the drop would take the map.
    const std::vector<double>* preview = view.PreviewLevels();
    const bool levels =
        preview || plane.state == EMapState::Complete || plane.state == EMapState::Incomplete;
    // A room without speakers shows the plane in the scale's last colour; a plane whose map is
    // not calculated (or failed) shows that it has no levels.
    if (!doc.HasInstallations() || !levels) {
        FillQuad(p, view.CalculationPlaneQuad(),
                 doc.HasInstallations()
                     ? kNoLevel
                     : FromColorRef(scale.colors[static_cast<std::size_t>(scale.count - 1)]));
        p.restore();
        return;
    }
    const EPlaneOrientation orientation = plane.Orientation();
    const CMapProjector projector = view.Projector();
    // A very large plane follows the drag in blocks: the preview's levels once it has them, the
    // stored ones at the blocks' points before.
    if (const CCoarseGrid* coarse = view.PreviewGrid()) {
        for (std::size_t k = 0; k < coarse->blocks.size(); ++k) {
            const double level = preview ? (*preview)[k] : plane.points[coarse->points[k]].level;
            FillQuad(p, projector.Quad(CellCorners(coarse->blocks[k], orientation)),
                     std::isnan(level) ? kNoLevel : FromColorRef(ScaleColor(scale, level)));
        }
        p.restore();
        return;
    }
    for (std::size_t i = 0; i < plane.points.size(); ++i) {
        const CPlaceElement& cell = plane.points[i];
        const double level = preview ? (*preview)[i] : cell.level;
        FillQuad(p, projector.Quad(CellCorners(cell, orientation)),
                 std::isnan(level) ? kNoLevel : FromColorRef(ScaleColor(scale, level)));
    }
    p.restore();
}

void PaintRoom(QPainter& p, const CDAXDoc& doc, const CColorMapViewModel& view) {
    const CInstallationContainer& room = doc.Room();
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
    const double length = doc.Room().roomLength / 10;
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

// The planner's listening points: a ring with a cross and the name beside it.
void PaintListeningPoints(QPainter& p, const CDAXDoc& doc, const CColorMapViewModel& view) {
    const int h = view.FontHeight();
    const int r = std::max(3, h / 2);
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setBackgroundMode(Qt::TransparentMode);
    for (const CListeningPoint& point : doc.Settings().listeningPoints) {
        const QPoint c = ToQt(view.PixelOf(point.position));
        p.setPen(QPen(QColor(0, 0, 160), std::max(1, h / 8)));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(c, r, r);
        p.drawLine(c.x() - r, c.y(), c.x() + r, c.y());
        p.drawLine(c.x(), c.y() - r, c.x(), c.y() + r);
        p.setPen(Qt::black);
        TextAt(p, c.x() + r + 2, c.y() - h / 2, point.name);
    }
    p.restore();
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
    // Round values between the ends, each with a short mark across its edge.
    const int mark = std::max(2, h / 3);
    for (const CPlaneTick& tick : view.AxisTicks()) {
        const CPixel at = view.PixelOf(tick.at);
        const CPixel a = view.PixelOf(tick.edgeStart), b = view.PixelOf(tick.edgeEnd);
        const double dx = b.x - a.x, dy = b.y - a.y, length = std::hypot(dx, dy);
        if (length > 0) {
            const int nx = static_cast<int>(std::lround(-dy / length * mark));
            const int ny = static_cast<int>(std::lround(dx / length * mark));
            p.setPen(QPen(kAxisGrey, 1));
            p.drawLine(at.x - nx, at.y - ny, at.x + nx, at.y + ny);
            p.setPen(Qt::black);
        }
        TextAt(p, at.x, at.y - (tick.firstEdge ? h : 0), tick.text);
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
        TextAt(p, left, y, CursorValueText(condition.quantity, readout.level));
        TextAt(p, left + 20 * view.FontHeight(), y,
               CursorPointText(readout.point, doc.Settings().lengthUnit));
    }
    if (!view.Printing())
        TextAt(p, 0, 0, std::string(Strings::kMapShownAt));
    else if (doc.HasInstallations())
        TextAt(p, view.PageWidth() * 35 / 100, view.LineY(28), PrintTitle(condition));
}

void PaintLegend(QPainter& p, const CColorMapViewModel& view, const CColorScale& scale,
                 int comboHeight) {
    const int h = view.FontHeight();
    const auto& labels = scale.labels;
    int x = 5, top = 0;
    p.setPen(Qt::black);
    p.setBackground(Qt::white);
    p.setBackgroundMode(Qt::OpaqueMode);
    for (int i = 0; i < scale.count; ++i) {
        if (view.Printing()) {
            x = view.PageWidth() / 40; // in the left margin, beside the picture
            top = i * h + view.PageHeight() / 10;
        } else {
            top = h * (i + 2) + comboHeight;
        }
        p.fillRect(x, top, h, h, FromColorRef(scale.colors[static_cast<std::size_t>(i)]));
        TextAt(p, x + h + h / 2, top, labels[static_cast<std::size_t>(i)]);
    }
    TextAt(p, x + h + h / 2, top + h, scale.unit);
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
        const CColorScale scale = ColorScaleOf(*condition);
        PaintCells(painter, doc, view, plane, scale);
        PaintRoom(painter, doc, view);
        PaintAxes(painter, doc, view);
        PaintSpeakers(painter, view);
        PaintListeningPoints(painter, doc, view);
        PaintPlaneLabels(painter, doc, view, plane);
        if (options.annotations)
            PaintAnnotations(painter, doc, view, *condition);
        PaintLegend(painter, view, scale, options.comboHeight);
        if (!view.Printing() && options.annotations) {
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

bool PrintColorMap(QPagedPaintDevice& device, const CDAXDoc& doc, CColorMapViewModel& view,
                   int from, int to) {
    // The page is the printable area; the table's column offsets assume device pixels.
    const int width = device.width(), height = device.height();
    if (width <= 0 || height <= 0 || !view.Condition())
        return false;
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    try {
        // The job ends first: the plane has its screen margins and scale back whatever happens.
        const CPrintJob job(view, width, height, MapTextWidth);
        job.Run(
            job.Pages(from, to),
            [&](int page) { PaintPrintedPage(painter, doc, view, job.Paging(), page); },
            [&] { device.newPage(); });
    } catch (...) {
        painter.end();
        throw;
    }
    return painter.end();
}
