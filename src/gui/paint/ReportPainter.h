#pragma once

#include "project/Report.h"

#include <QFont>
#include <QRect>
#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class CDAXDoc;
class QPagedPaintDevice;
class QPaintDevice;
class QPainter;

// Lays a report out on pages: the title block on the first page, a running header and "Page n
// of N" on every page, then each section's blocks one after the other; a block that does not
// fit on what is left of a page starts the next one, and a table continues there under its
// header. Positions are device pixels of the page's content rectangle.
class CReportComposer {
public:
    CReportComposer(QPainter* painter, QPagedPaintDevice* device, CDAXDoc& doc,
                    const CReport& report, int pageCount);

    // The width blocks are laid out in, and how much is left on this page.
    int Width() const { return m_content.width(); }
    int Left() const { return m_content.left(); }
    int Remaining() const { return m_content.bottom() - m_y; }
    int Y() const { return m_y; }
    void Advance(int height) { m_y += height; }
    // Starts a page unless `height` still fits on this one.
    void Reserve(int height);
    void NewPage();
    int Pages() const { return m_page; }
    // Nothing is drawn while pages are only counted.
    QPainter* Painter() const { return m_painter; }
    CDAXDoc& Document() const { return m_doc; }
    QPaintDevice* Device() const;
    // The fonts of the report in this device's pixels.
    QFont BodyFont() const { return m_body; }
    QFont BoldFont() const;
    QFont HeadingFont() const;
    int LineHeight() const;

    void Finish();

private:
    void PageFrame();

    QPainter* m_painter;
    QPagedPaintDevice* m_device;
    CDAXDoc& m_doc;
    const CReport& m_report;
    int m_pageCount;
    QRect m_paper;
    QRect m_content;
    QFont m_body;
    int m_page = 0;
    int m_y = 0;
};

// Lays one kind of block out: a page builder. A later kind of figure in the report is one more
// builder in ReportBlockBuilders().
struct CReportBlockBuilder {
    // Whether this builder lays the block out.
    std::function<bool(const CReportBlock&)> takes;
    // The height the block needs on a page to start there (a section's title stays with it).
    std::function<int(const CReportComposer&, const CReportBlock&)> needs;
    std::function<void(CReportComposer&, const CReportBlock&)> build;
};
const std::vector<CReportBlockBuilder>& ReportBlockBuilders();

// Draws the whole report on a paged device (a PDF writer, a printer); returns the page count.
// The maps are drawn from the project's levels with the colour map painter, as the window shows
// them.
int PaintReport(QPagedPaintDevice& device, CDAXDoc& doc, const CReport& report);

// Writes the report as a PDF file (A4, through a temporary file beside it); false with the
// reason when it cannot.
bool WriteReportPdf(const QString& path, CDAXDoc& doc, const CReport& report, QString& error);
