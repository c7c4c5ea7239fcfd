#include "project/PrintJob.h"

#include "project/ColorMapViewModel.h"

#include <algorithm>

CPrintJob::CPrintJob(CColorMapViewModel& view, int pageWidth, int pageHeight,
                     const CTextWidth& width)
    : m_view(view) {
    try {
        m_paging = view.BeginPrinting(pageWidth, pageHeight, width);
    } catch (...) {
        // No destructor runs for a job that never began: put the view back here.
        view.EndPrinting();
        throw;
    }
}

CPrintJob::~CPrintJob() {
    m_view.EndPrinting();
}

CPrintJob::CRange CPrintJob::Pages(int from, int to) const {
    CRange range{1, std::max(1, m_paging.pageCount)};
    if (from > 0) {
        range.first = std::min(from, range.last);
        range.last = std::clamp(to, range.first, range.last);
    }
    return range;
}

void CPrintJob::Run(const CRange& range, const std::function<void(int page)>& paint,
                    const std::function<void()>& newPage) const {
    for (int page = range.first; page <= range.last; ++page) {
        if (page > range.first && newPage)
            newPage();
        paint(page);
    }
}
