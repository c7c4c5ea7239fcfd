#include "paint/SoundGraphPainter.h"

#include "acoustics/SoundGraphData.h"
#include "paint/GuiText.h"
#include "project/SoundGraphLayout.h"
#include "project/Strings.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QPolygon>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {
const QColor kLightGrid(200, 200, 200);
const QColor kLabelledGrid(127, 127, 127);

// Text placed by its top-left corner on a white background.
void Text(QPainter& painter, int x, int y, const QString& text) {
    const QRect box = painter.fontMetrics().boundingRect(text);
    painter.drawText(QRect(x, y, box.width() + 2, box.height()), Qt::AlignLeft | Qt::AlignTop,
                     text);
}

// A speech map's octave table at the hovered point, over the curves on a light ground, in a
// fixed-width face. Where the plot is too narrow for its lines at a readable size, each row is
// written in two halves, the octave repeated: the levels first, then noise, time and index.
void PaintSpeechTable(QPainter& painter, const std::vector<std::string>& table, const QRect& plot,
                      int h) {
    constexpr std::size_t kOctaveWidth = 6, kSplitAt = 27; // "Octave" and the three levels
    constexpr int kSmallest = 8;
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    const auto widest = [&](const std::vector<std::string>& lines, int size) {
        fixed.setPixelSize(size);
        int w = 0;
        for (const std::string& line : lines)
            w = std::max(w, QFontMetrics(fixed).horizontalAdvance(ToQString(line)));
        return w;
    };
    const int room = plot.width() - 3 * h / 2;
    std::vector<std::string> lines = table;
    int size = h;
    if (widest(lines, size) > room) {
        size = std::max(kSmallest, h * room / std::max(1, widest(lines, h)));
        if (widest(lines, size) > room) {
            std::vector<std::string> first, second;
            for (const std::string& line : table) {
                if (line.size() <= kSplitAt) {
                    second.push_back(line);
                    continue;
                }
                first.push_back(line.substr(0, kSplitAt));
                second.push_back(line.substr(0, kOctaveWidth) + line.substr(kSplitAt));
            }
            lines = first;
            lines.insert(lines.end(), second.begin(), second.end());
            size = std::max(kSmallest, std::min(h, h * room / std::max(1, widest(lines, h))));
        }
    }
    fixed.setPixelSize(size);
    painter.save();
    painter.setFont(fixed);
    const int left = plot.left() + h / 2, top = plot.top() + h / 2;
    painter.fillRect(QRect(left - 2, top - 2, widest(lines, size) + 4,
                           static_cast<int>(lines.size()) * (size + 1) + 4),
                     QColor(255, 255, 255, 200));
    painter.setFont(fixed);
    painter.setPen(Qt::black);
    int y = top;
    for (const std::string& line : lines) {
        Text(painter, left, y, ToQString(line));
        y += size + 1;
    }
    painter.restore();
}

QPen Pen(const QColor& colour) {
    QPen pen(colour);
    pen.setWidth(1);
    pen.setCosmetic(true);
    return pen;
}
} // namespace

void PaintSoundGraph(QPainter& painter, const CSoundGraphCondition& entry, int fontHeight) {
    const CSoundGraphDataList& d = entry.data;
    const int h = fontHeight;
    painter.save();
    QFont font = painter.font();
    font.setPixelSize(h);
    painter.setFont(font);
    painter.setBackgroundMode(Qt::OpaqueMode);
    painter.setBackground(Qt::white);
    painter.setPen(Pen(kLightGrid));

    const int xMin = FrequencyToX(entry, d.frequencyMin);
    const int xMax = FrequencyToX(entry, d.frequencyMax);
    const int yMin = LevelToY(entry, d.levelMin);
    const int yMax = LevelToY(entry, d.levelMax);
    auto withPen = [&](const QColor& colour, auto draw) {
        painter.setPen(Pen(colour));
        draw();
    };

    withPen(Qt::black, [&] {
        Text(painter, xMax - 3 * h / 2, yMin + 3 * h / 2, QString::fromLatin1(Strings::kHz));
        Text(painter, xMin - 2 * h, yMax - 3 * h / 2, QString::fromLatin1(Strings::kUnitDecibel));
    });

    const bool logLevels = d.levelAxisType != 0;
    for (const CGraphTick& tick : LevelTicks(d)) {
        const int y = LevelToY(entry, tick.value);
        if (tick.Labelled())
            withPen(Qt::black,
                    [&] { Text(painter, xMin - 2 * h, y - h / 2, ToQString(tick.label)); });
        withPen(tick.Labelled() || !logLevels ? kLabelledGrid : kLightGrid,
                [&] { painter.drawLine(xMin, y, xMax, y); });
    }

    const bool logFrequencies = d.frequencyAxisType != 0;
    const std::vector<CGraphTick> ticks = FrequencyTicks(d);
    const auto labelX = [&](const CGraphTick& tick) {
        const int x = FrequencyToX(entry, tick.value);
        return logFrequencies ? x - h / 2 : x - 2 * h;
    };
    // In a narrow pane neighbouring labels would run into each other: some give way.
    std::vector<CLabelSpan> spans;
    for (const CGraphTick& tick : ticks)
        if (tick.Labelled())
            spans.push_back(
                {labelX(tick), painter.fontMetrics().horizontalAdvance(ToQString(tick.label))});
    const std::vector<bool> shown = LabelsThatFit(spans, std::max(2, h / 4));
    std::size_t labelIndex = 0;
    for (const CGraphTick& tick : ticks) {
        const int x = FrequencyToX(entry, tick.value);
        if (tick.Labelled() && shown[labelIndex++])
            withPen(Qt::black,
                    [&] { Text(painter, labelX(tick), yMin + h / 2, ToQString(tick.label)); });
        withPen(tick.Labelled() ? kLabelledGrid : kLightGrid,
                [&] { painter.drawLine(x, yMin, x, yMax); });
    }

    // With room acoustics the direct sound (black) is joined by the reverberant field (blue,
    // dashed) and the total (red), named in a key at the top right.
    const QColor kRoomColours[] = {QColor(0, 0, 200), QColor(200, 0, 0)};
    if (!entry.roomCurves.empty()) {
        const int keyX = std::max(xMin, xMax) - 9 * h;
        int keyY = std::min(yMin, yMax) + h / 2;
        const char* names[] = {Strings::kCurveDirect, Strings::kCurveReverberant,
                               Strings::kCurveTotal};
        for (int i = 0; i < 3; ++i, keyY += h + h / 4) {
            QPen pen = Pen(i == 0 ? QColor(Qt::black) : kRoomColours[i - 1]);
            if (i == 1)
                pen.setStyle(Qt::DashLine);
            painter.setPen(pen);
            painter.drawLine(keyX, keyY + h / 2, keyX + 2 * h, keyY + h / 2);
            painter.setPen(Pen(Qt::black));
            Text(painter, keyX + 2 * h + h / 2, keyY, QString::fromLatin1(names[i]));
        }
    }
    painter.setPen(Pen(Qt::black));
    // Levels beyond the axes (a band without data reads 0 dB) stay inside the frame.
    painter.setClipRect(QRect(QPoint(std::min(xMin, xMax), std::min(yMin, yMax)),
                              QPoint(std::max(xMin, xMax), std::max(yMin, yMax))),
                        Qt::IntersectClip);
    std::vector<const CSoundGraphData*> curves;
    for (const CSoundGraphData& curve : d.curves)
        curves.push_back(&curve);
    const std::size_t ownCurves = curves.size();
    for (const CSoundGraphData& curve : entry.roomCurves)
        curves.push_back(&curve);
    for (std::size_t c = 0; c < curves.size(); ++c) {
        const CSoundGraphData& curve = *curves[c];
        if (c >= ownCurves) {
            QPen pen = Pen(kRoomColours[std::min<std::size_t>(c - ownCurves, 1)]);
            if (c == ownCurves)
                pen.setStyle(Qt::DashLine);
            painter.setPen(pen);
        }
        QPolygon line;
        for (int i = 0; i < curve.PointCount(); ++i) {
            const double f = curve.frequencies[i];
            const double level = curve.levels[i];
            // A cleared curve's zero frequencies have no place on a logarithmic axis.
            if ((logFrequencies && !(f > 0.0)) || (logLevels && !(level > 0.0)) ||
                !std::isfinite(f) || !std::isfinite(level))
                continue;
            line << QPoint(FrequencyToX(entry, f), LevelToY(entry, level));
        }
        if (line.size() > 1)
            painter.drawPolyline(line);
    }
    painter.restore();
    if (!entry.speechTable.empty())
        PaintSpeechTable(painter, entry.speechTable,
                         QRect(QPoint(std::min(xMin, xMax), std::min(yMin, yMax)),
                               QPoint(std::max(xMin, xMax), std::max(yMin, yMax))),
                         h);
}
