#include "paint/ReportPainter.h"

#include "acoustics/ColorMapCondition.h"
#include "common/FormatSignificant.h"
#include "paint/GuiText.h"
#include "paint/MapPainter.h"
#include "project/ColorMapViewModel.h"
#include "project/DAXDoc.h"
#include "project/DocumentLoader.h"
#include "project/Strings.h"

#include <QFontMetrics>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QSaveFile>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <utility>

namespace {
// The window picture the map figures are drawn as, in its own pixels, scaled to the page.
constexpr int kFigureWidth = 1000;
constexpr int kFigureHeight = 640;
constexpr std::array<int, 4> kFigureMargins{110, 16, 24, 24};

constexpr int kTextFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;

int TextHeight(const CReportComposer& c, const QFont& font, const std::string& text) {
    const QFontMetrics metrics(font, c.Device());
    return std::max(metrics.height(),
                    metrics.boundingRect(QRect(0, 0, c.Width(), 0), kTextFlags, ToQString(text))
                        .height());
}

// A line of text, broken at blanks where it is wider than the page.
void Text(CReportComposer& c, const QFont& font, const std::string& text) {
    const QString line = ToQString(text);
    const int flags = kTextFlags;
    const int height = TextHeight(c, font, text);
    c.Reserve(height);
    if (QPainter* p = c.Painter()) {
        p->setFont(font);
        p->setPen(Qt::black);
        p->drawText(QRect(c.Left(), c.Y(), c.Width(), height), flags, line);
    }
    c.Advance(height);
}

int TextNeeds(const CReportComposer& c, const CReportBlock& block) {
    int height = c.LineHeight() / 2;
    for (const std::string& line : std::get<CReportText>(block).lines)
        height += TextHeight(c, c.BodyFont(), line);
    return height;
}

void BuildText(CReportComposer& c, const CReportBlock& block) {
    for (const std::string& line : std::get<CReportText>(block).lines)
        Text(c, c.BodyFont(), line);
    c.Advance(c.LineHeight() / 2);
}

// Column edges of a table across the width, from the columns' shares.
std::vector<int> ColumnEdges(const CReportTable& table, int left, int width) {
    double total = 0;
    for (double w : table.widths)
        total += w;
    std::vector<int> edges{left};
    double at = 0;
    for (std::size_t i = 0; i < table.header.size(); ++i) {
        const double share = i < table.widths.size() && total > 0
                                 ? table.widths[i] / total
                                 : 1.0 / static_cast<double>(table.header.size());
        at += share;
        edges.push_back(left + static_cast<int>(std::lround(at * width)));
    }
    return edges;
}

// Where a cell's text goes: on one line when it fits, reaching into the padding on its right if
// need be (the next cell's text starts a padding further on); else broken at blanks, or
// anywhere when one word is wider than the cell.
struct CCellLayout {
    int flags = Qt::AlignLeft | Qt::AlignVCenter;
    int width = 0;
};
CCellLayout CellLayout(const QFontMetrics& metrics, int width, int pad, const QString& text) {
    if (metrics.horizontalAdvance(text) <= width + pad)
        return {Qt::AlignLeft | Qt::AlignVCenter, width + pad};
    const int words = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap;
    if (metrics.boundingRect(QRect(0, 0, width, 0), words, text).width() <= width + pad)
        return {words, width};
    return {Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWrapAnywhere, width};
}

// A row is a line and a quarter high, or as high as its longest cell wraps to.
int RowHeight(const CReportComposer& c, const std::vector<int>& edges,
              const std::vector<std::string>& cells, bool header) {
    const QFontMetrics metrics(header ? c.BoldFont() : c.BodyFont(), c.Device());
    const int pad = c.LineHeight() / 4;
    int height = c.LineHeight() * 5 / 4;
    for (std::size_t i = 0; i < cells.size() && i + 1 < edges.size(); ++i) {
        const QString text = ToQString(cells[i]);
        const CCellLayout cell =
            CellLayout(metrics, std::max(1, edges[i + 1] - edges[i] - 2 * pad), pad, text);
        const QRect r = metrics.boundingRect(QRect(0, 0, cell.width, 0), cell.flags, text);
        height = std::max(height, r.height() + c.LineHeight() / 4);
    }
    return height;
}

void TableRow(CReportComposer& c, const std::vector<int>& edges,
              const std::vector<std::string>& cells, bool header) {
    const int h = RowHeight(c, edges, cells, header);
    if (QPainter* p = c.Painter()) {
        const QFont font = header ? c.BoldFont() : c.BodyFont();
        const QFontMetrics metrics(font, c.Device());
        p->setFont(font);
        if (header)
            p->fillRect(QRect(edges.front(), c.Y(), edges.back() - edges.front(), h),
                        QColor(230, 230, 230));
        p->setPen(QColor(160, 160, 160));
        p->drawLine(edges.front(), c.Y() + h, edges.back(), c.Y() + h);
        p->setPen(Qt::black);
        const int pad = c.LineHeight() / 4;
        for (std::size_t i = 0; i < cells.size() && i + 1 < edges.size(); ++i) {
            const QString text = ToQString(cells[i]);
            const CCellLayout cell =
                CellLayout(metrics, std::max(1, edges[i + 1] - edges[i] - 2 * pad), pad, text);
            p->drawText(QRect(edges[i] + pad, c.Y(), cell.width, h), cell.flags, text);
        }
    }
    c.Advance(h);
}

// A short table stays on one page with its title; a long one starts with its header and at
// least one row, and a page break repeats the header.
constexpr std::size_t kShortTable = 12;

int TableNeeds(const CReportComposer& c, const CReportBlock& block) {
    const CReportTable& table = std::get<CReportTable>(block);
    const std::vector<int> edges = ColumnEdges(table, c.Left(), c.Width());
    int height = RowHeight(c, edges, table.header, true);
    for (std::size_t i = 0; i < table.rows.size() && (i == 0 || table.rows.size() <= kShortTable);
         ++i)
        height += RowHeight(c, edges, table.rows[i], false);
    if (!table.title.empty())
        height += TextHeight(c, c.BoldFont(), table.title);
    return height;
}

void BuildTable(CReportComposer& c, const CReportBlock& block) {
    const CReportTable& table = std::get<CReportTable>(block);
    const std::vector<int> edges = ColumnEdges(table, c.Left(), c.Width());
    c.Reserve(TableNeeds(c, block));
    if (!table.title.empty())
        Text(c, c.BoldFont(), table.title);
    TableRow(c, edges, table.header, true);
    for (const std::vector<std::string>& row : table.rows) {
        if (c.Remaining() < RowHeight(c, edges, row, false)) {
            c.NewPage();
            TableRow(c, edges, table.header, true);
        }
        TableRow(c, edges, row, false);
    }
    c.Advance(c.LineHeight() / 2);
}

// The curves' colours in order, and their lines: solid, then dashed, so that a copy printed
// in grey still tells them apart.
QPen CurvePen(std::size_t i, int width) {
    static const std::array<QColor, 4> colors{QColor(0, 70, 160), QColor(190, 40, 30),
                                              QColor(0, 130, 60), QColor(200, 120, 0)};
    QPen pen(colors[i % colors.size()], width);
    pen.setStyle(i % 2 == 0 ? Qt::SolidLine : Qt::DashLine);
    return pen;
}

// The value axis: whole steps from 0 or around the curves with a step to spare above.
std::pair<double, double> ValueRange(const CReportChart& chart) {
    const double step = chart.yStep > 0 ? chart.yStep : 10.0;
    double low = INFINITY, high = -INFINITY;
    for (const CReportCurve& curve : chart.curves)
        for (double y : curve.y)
            if (std::isfinite(y)) {
                low = std::min(low, y);
                high = std::max(high, y);
            }
    if (!std::isfinite(low))
        return {0.0, 4 * step};
    if (chart.yFromZero)
        return {0.0, std::max(step, std::ceil(high / step) * step)};
    const double top = std::ceil(high / step) * step + step;
    return {std::min(top - 4 * step, std::floor(low / step) * step), top};
}

// A line chart over a logarithmic frequency axis with its grid, labels and, for more than one
// curve, a legend above the plot's right end.
int ChartHeight(const CReportComposer& c) {
    return c.Width() * 2 / 5;
}

int ChartNeeds(const CReportComposer& c, const CReportBlock&) {
    return c.LineHeight() * 3 / 2 + ChartHeight(c) + c.LineHeight();
}

void BuildChart(CReportComposer& c, const CReportBlock& block) {
    const CReportChart& chart = std::get<CReportChart>(block);
    const int height = ChartHeight(c);
    c.Reserve(ChartNeeds(c, block));
    Text(c, c.BoldFont(), chart.title);
    QPainter* p = c.Painter();
    const bool empty = std::all_of(chart.curves.begin(), chart.curves.end(),
                                   [](const CReportCurve& curve) { return curve.x.empty(); });
    if (!p || empty || !(chart.xHigh > chart.xLow) || !(chart.xLow > 0)) {
        c.Advance(height + c.LineHeight());
        return;
    }
    const double step = chart.yStep > 0 ? chart.yStep : 10.0;
    // Plain names, not a structured binding: clang 14 lambdas cannot capture one.
    const auto range = ValueRange(chart);
    const double bottom = range.first, top = range.second;
    const int lh = c.LineHeight();
    const QRect plot(c.Left() + 4 * lh, c.Y() + 3 * lh / 2, c.Width() - 6 * lh, height - 3 * lh);
    const double fLow = std::log10(chart.xLow), fHigh = std::log10(chart.xHigh);
    auto xOf = [&](double f) {
        return plot.left() + (std::log10(f) - fLow) / (fHigh - fLow) * plot.width();
    };
    auto yOf = [&](double value) {
        return plot.bottom() - (value - bottom) / (top - bottom) * plot.height();
    };
    p->setFont(c.BodyFont());
    for (int i = 0; bottom + i * step <= top + step * 1e-9; ++i) {
        const double value = bottom + i * step;
        const int y = static_cast<int>(std::lround(yOf(value)));
        p->setPen(QColor(200, 200, 200));
        p->drawLine(plot.left(), y, plot.right(), y);
        p->setPen(Qt::black);
        p->drawText(QRect(c.Left(), y - lh / 2, 4 * lh - lh / 3, lh),
                    Qt::AlignRight | Qt::AlignVCenter,
                    ToQString(FormatSignificant(std::abs(value) < step * 1e-9 ? 0.0 : value, 4)));
    }
    for (double f : chart.xTicks) {
        if (f < chart.xLow || f > chart.xHigh)
            continue;
        const int x = static_cast<int>(std::lround(xOf(f)));
        p->setPen(QColor(200, 200, 200));
        p->drawLine(x, plot.top(), x, plot.bottom());
        p->setPen(Qt::black);
        const QString label = f >= 1000 ? ToQString(FormatSignificant(f / 1000, 3)) + "k"
                                        : ToQString(FormatSignificant(f, 3));
        p->drawText(QRect(x - 2 * lh, plot.bottom() + lh / 4, 4 * lh, lh), Qt::AlignCenter,
                    label);
    }
    p->drawText(QRect(plot.right() - 3 * lh, plot.bottom() + lh / 4 + lh, 3 * lh + 2 * lh, lh),
                Qt::AlignRight | Qt::AlignVCenter, ToQString(chart.xUnit));
    p->drawText(QRect(c.Left(), c.Y(), 4 * lh, lh), Qt::AlignLeft | Qt::AlignVCenter,
                ToQString(chart.yUnit));
    p->setPen(QPen(Qt::black, std::max(1, lh / 8)));
    p->drawRect(plot);
    const int width = std::max(1, lh / 6);
    for (std::size_t k = 0; k < chart.curves.size(); ++k) {
        const CReportCurve& curve = chart.curves[k];
        QPainterPath path;
        const std::size_t n = std::min(curve.x.size(), curve.y.size());
        for (std::size_t i = 0; i < n; ++i) {
            const QPointF at(xOf(curve.x[i]), yOf(std::clamp(curve.y[i], bottom, top)));
            if (i == 0)
                path.moveTo(at);
            else
                path.lineTo(at);
        }
        p->setPen(CurvePen(k, width));
        p->drawPath(path);
        // A curve of a few values (octaves) marks where they are.
        if (n <= 16) {
            p->setPen(QPen(CurvePen(k, width).color(), width));
            p->setBrush(CurvePen(k, width).color());
            for (std::size_t i = 0; i < n; ++i)
                p->drawEllipse(QPointF(xOf(curve.x[i]), yOf(std::clamp(curve.y[i], bottom, top))),
                               lh / 6.0, lh / 6.0);
            p->setBrush(Qt::NoBrush);
        }
    }
    if (chart.curves.size() > 1) {
        // The legend, right to left from the plot's right edge, on the line of the value unit.
        const QFontMetrics metrics(c.BodyFont(), c.Device());
        int right = plot.right();
        for (std::size_t k = chart.curves.size(); k-- > 0;) {
            const QString name = ToQString(chart.curves[k].name);
            const int textWidth = metrics.horizontalAdvance(name);
            p->setPen(Qt::black);
            p->drawText(QRect(right - textWidth, c.Y(), textWidth, lh),
                        Qt::AlignRight | Qt::AlignVCenter, name);
            const int lineRight = right - textWidth - lh / 3;
            p->setPen(CurvePen(k, width));
            p->drawLine(lineRight - 2 * lh, c.Y() + lh / 2, lineRight, c.Y() + lh / 2);
            right = lineRight - 2 * lh - lh;
        }
    }
    c.Advance(height + lh / 2);
}

// A document that holds the project's settings, speakers and room and, as its only plane, a map
// the report calculated itself, so that it is drawn as the project's maps are without touching
// them. The models are shared, not copied; nothing here changes them.
std::unique_ptr<CDAXDoc> FigureDocument(const CDAXDoc& doc, const CColorMapCondition& condition) {
    auto figure = std::make_unique<CDAXDoc>(doc.Settings().lengthUnit);
    CDocumentLoader load(*figure);
    // The settings before the models: they follow the settings' length unit, already theirs.
    load.ReplaceSettings(doc.Settings());
    load.Models().Adopt(doc.Models().Shared(), doc.Models().CurrentIndex());
    load.Room() = doc.Room();
    load.Conditions().Append(condition);
    return figure;
}

// The map as the window draws it, at the content's full width: picture, legend and the axis
// ticks of the plane, without the window's annotation lines (the figures follow as a table).
int MapNeeds(const CReportComposer& c, const CReportBlock&) {
    return c.Width() * kFigureHeight / kFigureWidth;
}

void BuildMap(CReportComposer& c, const CReportBlock& block) {
    const CReportMap& map = std::get<CReportMap>(block);
    const int height = MapNeeds(c, block);
    c.Reserve(height);
    QPainter* p = c.Painter();
    std::unique_ptr<CDAXDoc> own;
    if (p && map.own)
        own = FigureDocument(c.Document(), *map.own);
    CDAXDoc& doc = own ? *own : c.Document();
    const int index = own ? 0 : map.condition;
    if (p && doc.Conditions().At(index)) {
        CColorMapViewModel view(doc);
        view.SetConditionIndex(index);
        view.BeginFigure(kFigureWidth, kFigureHeight, kFigureMargins);
        p->save();
        p->translate(c.Left(), c.Y());
        const double k = static_cast<double>(c.Width()) / kFigureWidth;
        p->scale(k, k);
        p->setClipRect(QRect(0, 0, kFigureWidth, kFigureHeight));
        CMapPaintOptions options;
        options.annotations = false;
        // The legend starts at the figure's top.
        options.comboHeight = -view.FontHeight();
        PaintColorMap(*p, doc, view, options);
        p->restore();
        view.EndFigure();
    }
    c.Advance(height + c.LineHeight() / 2);
}

const CReportBlockBuilder* BuilderOf(const CReportBlock& block) {
    for (const CReportBlockBuilder& builder : ReportBlockBuilders())
        if (builder.takes(block))
            return &builder;
    return nullptr;
}

void BuildSection(CReportComposer& c, const CReportSection& section) {
    // A title is never left alone at the foot of a page: it starts where its first block fits.
    const int title =
        c.LineHeight() / 2 + TextHeight(c, c.HeadingFont(), section.title) + c.LineHeight() / 3;
    int first = 4 * c.LineHeight() - title;
    if (!section.blocks.empty())
        if (const CReportBlockBuilder* builder = BuilderOf(section.blocks.front()))
            first = std::max(first, builder->needs(c, section.blocks.front()));
    c.Reserve(title + first);
    c.Advance(c.LineHeight() / 2);
    Text(c, c.HeadingFont(), section.title);
    c.Advance(c.LineHeight() / 3);
    for (const CReportBlock& block : section.blocks)
        if (const CReportBlockBuilder* builder = BuilderOf(block))
            builder->build(c, block);
}

template <class T> bool Holds(const CReportBlock& block) {
    return std::holds_alternative<T>(block);
}

int Compose(QPainter* painter, QPagedPaintDevice& device, CDAXDoc& doc, const CReport& report,
            int pageCount) {
    CReportComposer composer(painter, &device, doc, report, pageCount);
    for (const CReportSection& section : report.sections)
        BuildSection(composer, section);
    composer.Finish();
    return composer.Pages();
}
} // namespace

const std::vector<CReportBlockBuilder>& ReportBlockBuilders() {
    static const std::vector<CReportBlockBuilder> builders = {
        {Holds<CReportText>, TextNeeds, BuildText},
        {Holds<CReportTable>, TableNeeds, BuildTable},
        {Holds<CReportChart>, ChartNeeds, BuildChart},
        {Holds<CReportMap>, MapNeeds, BuildMap},
    };
    return builders;
}

CReportComposer::CReportComposer(QPainter* painter, QPagedPaintDevice* device, CDAXDoc& doc,
                                 const CReport& report, int pageCount)
    : m_painter(painter), m_device(device), m_doc(doc), m_report(report),
      m_pageCount(pageCount) {
    const int dpi = device->logicalDpiY();
    m_paper = QRect(0, 0, device->width(), device->height());
    // 15 mm all round, and room for the running header and the page number.
    const int margin = dpi * 150 / 254;
    m_body = QFont();
    m_body.setPixelSize(std::max(8, dpi * 10 / 72)); // 10 pt
    const int line = LineHeight();
    m_content = m_paper.adjusted(margin, margin + 2 * line, -margin, -margin - 2 * line);
    NewPage();
}

QFont CReportComposer::BoldFont() const {
    QFont font = m_body;
    font.setBold(true);
    return font;
}

QFont CReportComposer::HeadingFont() const {
    QFont font = BoldFont();
    font.setPixelSize(m_body.pixelSize() * 14 / 10);
    return font;
}

QPaintDevice* CReportComposer::Device() const {
    return m_device;
}

int CReportComposer::LineHeight() const {
    return QFontMetrics(m_body, m_device).height();
}

void CReportComposer::Reserve(int height) {
    if (m_y > m_content.top() && Remaining() < height)
        NewPage();
}

void CReportComposer::NewPage() {
    if (m_page > 0 && m_painter)
        m_device->newPage();
    ++m_page;
    m_y = m_content.top();
    PageFrame();
    if (m_page != 1)
        return;
    // The title block: what the report is about and who made it.
    Text(*this, HeadingFont(), Strings::kReportHeading);
    QFont title = HeadingFont();
    title.setPixelSize(m_body.pixelSize() * 2);
    Text(*this, title, m_report.title);
    Text(*this, m_body, Strings::kDateLabel + m_report.date);
    Text(*this, m_body, Strings::kReportPlanner + m_report.planner);
    Text(*this, m_body, Strings::kReportCompany + m_report.company);
    Advance(LineHeight());
}

void CReportComposer::PageFrame() {
    if (!m_painter)
        return;
    const int line = LineHeight();
    m_painter->setFont(m_body);
    m_painter->setPen(Qt::black);
    const QRect header(m_content.left(), m_content.top() - 2 * line, m_content.width(), line);
    m_painter->drawText(header, Qt::AlignLeft | Qt::AlignVCenter, ToQString(m_report.title));
    m_painter->drawText(header, Qt::AlignRight | Qt::AlignVCenter, ToQString(m_report.date));
    m_painter->setPen(QColor(160, 160, 160));
    m_painter->drawLine(m_content.left(), header.bottom() + line / 3, m_content.right(),
                        header.bottom() + line / 3);
    m_painter->setPen(Qt::black);
    const QRect footer(m_content.left(), m_content.bottom() + line, m_content.width(), line);
    QString left = ToQString(m_report.company);
    if (!m_report.generatedBy.empty())
        left += (left.isEmpty() ? "" : " - ") + ToQString(m_report.generatedBy);
    m_painter->drawText(footer, Qt::AlignLeft | Qt::AlignVCenter, left);
    m_painter->drawText(footer, Qt::AlignRight | Qt::AlignVCenter,
                        QString::fromUtf8(Strings::kReportPage).arg(m_page).arg(m_pageCount));
}

void CReportComposer::Finish() {}

int PaintReport(QPagedPaintDevice& device, CDAXDoc& doc, const CReport& report) {
    // Counted first, so every page can say how many there are.
    const int pages = Compose(nullptr, device, doc, report, 0);
    QPainter painter;
    if (!painter.begin(&device))
        return 0;
    painter.setRenderHint(QPainter::Antialiasing, true);
    Compose(&painter, device, doc, report, pages);
    painter.end();
    return pages;
}

bool WriteReportPdf(const QString& path, CDAXDoc& doc, const CReport& report, QString& error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        error = file.errorString();
        return false;
    }
    {
        QPdfWriter pdf(&file);
        pdf.setResolution(300);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setTitle(ToQString(report.title));
        pdf.setCreator(ToQString(report.generatedBy));
        if (PaintReport(pdf, doc, report) == 0) {
            file.cancelWriting();
            error = "the pages could not be drawn";
            return false;
        }
    }
    if (!file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}
