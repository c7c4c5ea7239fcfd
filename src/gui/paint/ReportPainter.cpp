#include "paint/ReportPainter.h"

#include "acoustics/ColorMapCondition.h"
#include "common/FormatSignificant.h"
#include "paint/GuiText.h"
#include "paint/MapPainter.h"
#include "project/ColorMapViewModel.h"
#include "project/DAXDoc.h"
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

namespace {
// The window picture the map figures are drawn as, in its own pixels, scaled to the page.
constexpr int kFigureWidth = 1000;
constexpr int kFigureHeight = 640;
constexpr std::array<int, 4> kFigureMargins{110, 16, 24, 24};

// A line of text, broken at blanks where it is wider than the page.
void Text(CReportComposer& c, const QFont& font, const std::string& text) {
    const QString line = ToQString(text);
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
    const int height = std::max(
        QFontMetrics(font, c.Device()).height(),
        QFontMetrics(font, c.Device()).boundingRect(QRect(0, 0, c.Width(), 0), flags, line).height());
    c.Reserve(height);
    if (QPainter* p = c.Painter()) {
        p->setFont(font);
        p->setPen(Qt::black);
        p->drawText(QRect(c.Left(), c.Y(), c.Width(), height), flags, line);
    }
    c.Advance(height);
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

void TableRow(CReportComposer& c, const std::vector<int>& edges,
              const std::vector<std::string>& cells, bool header) {
    const int h = c.LineHeight() * 5 / 4;
    if (QPainter* p = c.Painter()) {
        p->setFont(header ? c.BoldFont() : c.BodyFont());
        if (header)
            p->fillRect(QRect(edges.front(), c.Y(), edges.back() - edges.front(), h),
                        QColor(230, 230, 230));
        p->setPen(QColor(160, 160, 160));
        p->drawLine(edges.front(), c.Y() + h, edges.back(), c.Y() + h);
        p->setPen(Qt::black);
        const int pad = c.LineHeight() / 4;
        for (std::size_t i = 0; i < cells.size() && i + 1 < edges.size(); ++i)
            p->drawText(QRect(edges[i] + pad, c.Y(), edges[i + 1] - edges[i] - 2 * pad, h),
                        Qt::AlignLeft | Qt::AlignVCenter, ToQString(cells[i]));
    }
    c.Advance(h);
}

void BuildTable(CReportComposer& c, const CReportBlock& block) {
    const CReportTable& table = std::get<CReportTable>(block);
    const std::vector<int> edges = ColumnEdges(table, c.Left(), c.Width());
    const int h = c.LineHeight() * 5 / 4;
    // A short table stays on one page; a long one starts with its header and at least one row,
    // and a page break repeats the header.
    constexpr std::size_t kShort = 12;
    c.Reserve(table.rows.size() <= kShort ? static_cast<int>(table.rows.size() + 1) * h : 2 * h);
    TableRow(c, edges, table.header, true);
    for (const std::vector<std::string>& row : table.rows) {
        if (c.Remaining() < h) {
            c.NewPage();
            TableRow(c, edges, table.header, true);
        }
        TableRow(c, edges, row, false);
    }
    c.Advance(c.LineHeight() / 2);
}

// A frequency response over 20 Hz to 20 kHz on a logarithmic axis, levels on a 10 dB grid.
void BuildChart(CReportComposer& c, const CReportBlock& block) {
    const CReportChart& chart = std::get<CReportChart>(block);
    const int titleHeight = c.LineHeight() * 3 / 2;
    const int height = c.Width() * 2 / 5;
    c.Reserve(titleHeight + height + c.LineHeight());
    Text(c, c.BoldFont(), chart.title);
    QPainter* p = c.Painter();
    if (!p || chart.x.empty()) {
        c.Advance(height + c.LineHeight());
        return;
    }
    const auto [lowIt, highIt] = std::minmax_element(chart.y.begin(), chart.y.end());
    const double top = std::ceil(*highIt / 10.0) * 10.0 + 10.0;
    const double bottom = std::min(top - 40.0, std::floor(*lowIt / 10.0) * 10.0);
    const int lh = c.LineHeight();
    const QRect plot(c.Left() + 4 * lh, c.Y() + 3 * lh / 2, c.Width() - 6 * lh, height - 3 * lh);
    const double fLow = std::log10(20.0), fHigh = std::log10(20000.0);
    auto xOf = [&](double f) {
        return plot.left() + (std::log10(f) - fLow) / (fHigh - fLow) * plot.width();
    };
    auto yOf = [&](double level) {
        return plot.bottom() - (level - bottom) / (top - bottom) * plot.height();
    };
    p->setFont(c.BodyFont());
    for (double level = bottom; level <= top + 1e-9; level += 10.0) {
        const int y = static_cast<int>(std::lround(yOf(level)));
        p->setPen(QColor(200, 200, 200));
        p->drawLine(plot.left(), y, plot.right(), y);
        p->setPen(Qt::black);
        p->drawText(QRect(c.Left(), y - lh / 2, 4 * lh - lh / 3, lh),
                    Qt::AlignRight | Qt::AlignVCenter, ToQString(FormatSignificant(level, 4)));
    }
    for (double f : {20.0, 50.0, 100.0, 200.0, 500.0, 1000.0, 2000.0, 5000.0, 10000.0, 20000.0}) {
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
    QPainterPath curve;
    for (std::size_t i = 0; i < chart.x.size() && i < chart.y.size(); ++i) {
        const QPointF at(xOf(chart.x[i]), yOf(std::clamp(chart.y[i], bottom, top)));
        if (i == 0)
            curve.moveTo(at);
        else
            curve.lineTo(at);
    }
    p->setPen(QPen(QColor(0, 70, 160), std::max(1, lh / 6)));
    p->drawPath(curve);
    c.Advance(height + lh / 2);
}

// The map as the window draws it, at the content's full width: picture, legend and the axis
// ticks of the plane, without the window's annotation lines (the figures follow as a table).
void BuildMap(CReportComposer& c, const CReportBlock& block) {
    const int index = std::get<CReportMap>(block).condition;
    const int height = c.Width() * kFigureHeight / kFigureWidth;
    c.Reserve(height);
    QPainter* p = c.Painter();
    if (p && c.Document().Conditions().At(index)) {
        CColorMapViewModel view(c.Document());
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
        PaintColorMap(*p, c.Document(), view, options);
        p->restore();
        view.EndFigure();
    }
    c.Advance(height + c.LineHeight() / 2);
}

void BuildSection(CReportComposer& c, const CReportSection& section) {
    // A title is never left alone at the foot of a page.
    c.Reserve(4 * c.LineHeight());
    c.Advance(c.LineHeight() / 2);
    Text(c, c.HeadingFont(), section.title);
    c.Advance(c.LineHeight() / 3);
    for (const CReportBlock& block : section.blocks)
        for (const CReportBlockBuilder& builder : ReportBlockBuilders())
            if (builder.takes(block)) {
                builder.build(c, block);
                break;
            }
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
        {Holds<CReportText>, BuildText},
        {Holds<CReportTable>, BuildTable},
        {Holds<CReportChart>, BuildChart},
        {Holds<CReportMap>, BuildMap},
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
