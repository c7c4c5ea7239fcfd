#include "views/SoundGraphView.h"

#include "acoustics/SoundGraphData.h"
#include "paint/SoundGraphPainter.h"
#include "project/DAXDoc.h"
#include "project/SoundGraphLayout.h"

#include <QPainter>

void CSoundGraphView::CModel::OnUpdate(EUpdateHint hint, const CDocumentChange& change) {
    CSoundGraphViewModel::OnUpdate(hint, change);
    if (TakeRedrawRequest())
        m_view.update();
}

CSoundGraphView::CSoundGraphView(CDAXDoc& document, QWidget* parent)
    : QWidget(parent), m_model(document, *this) {
    setObjectName("soundGraphView");
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::ClickFocus);
    setBackgroundRole(QPalette::Base);
    m_model.OnInitialUpdate();
    m_model.Fit(false, width(), height());
}

CSoundGraphView::~CSoundGraphView() {
    // A project closing takes its views with it; only a view closed on its own gives back its
    // entry.
    if (!m_model.Document())
        return;
    try {
        m_model.Close();
    } catch (...) {
        // The window goes anyway; an entry left behind is harmless and saved as it is.
    }
}

void CSoundGraphView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (const CSoundGraphCondition* entry = m_model.Entry())
        PaintSoundGraph(painter, *entry, kFontHeight);
}

void CSoundGraphView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_model.Fit(true, width(), height());
    update();
}

void CSoundGraphView::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    m_model.Activate();
}
