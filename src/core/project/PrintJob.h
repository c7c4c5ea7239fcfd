#pragma once

#include "project/ColorMapLayout.h"

#include <functional>

class CColorMapViewModel;

// One print job of a colour map view. Printing, the print preview and the command line's PDF all
// lay their pages out through it: it sets the view up for a page of W x H device pixels (print
// margins, a fit to the page, the table's paging with its header fitted by `width`) and puts
// the plane's margins and scale back when it ends, also when a page throws.
class CPrintJob {
public:
    CPrintJob(CColorMapViewModel& view, int pageWidth, int pageHeight, const CTextWidth& width);
    ~CPrintJob();
    CPrintJob(const CPrintJob&) = delete;
    CPrintJob& operator=(const CPrintJob&) = delete;

    const CTablePaging& Paging() const { return m_paging; }
    int PageCount() const { return m_paging.pageCount; }
    // The pages from..to (1-based, 0 for all) within the job's pages; first <= last.
    struct CRange {
        int first = 1;
        int last = 1;
    };
    CRange Pages(int from = 0, int to = 0) const;
    // Paints the pages of `range` in order; `newPage` runs between two pages.
    void Run(const CRange& range, const std::function<void(int page)>& paint,
             const std::function<void()>& newPage) const;

private:
    CColorMapViewModel& m_view;
    CTablePaging m_paging;
};
