#include "views/ColorMapView.h"

#include "acoustics/ColorMapCondition.h"
#include "paint/DaxIcons.h"
#include "paint/GuiText.h"
#include "paint/MapPainter.h"
#include "project/CommandTable.h"
#include "project/DAXDoc.h"
#include "project/Strings.h"

#include <QComboBox>
#include <QDragEnterEvent>
#include <QMenu>
#include <QMetaMethod>
#include <QMimeData>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <exception>

namespace {
// Degrees of view rotation per pixel of a middle-button drag.
constexpr double kDegreesPerPixel = 0.5;

class CChangeListener : public CDocumentView {
public:
    CChangeListener(CDAXDoc& document, std::function<void()> changed)
        : CDocumentView(document), m_changed(std::move(changed)) {}
    void OnUpdate(EUpdateHint, const CDocumentChange&) override { m_changed(); }

private:
    std::function<void()> m_changed;
};
} // namespace

CColorMapView::CColorMapView(CDAXDoc& document, QWidget* parent)
    : QAbstractScrollArea(parent), m_doc(document), m_model(document) {
    setFrameShape(QFrame::NoFrame);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    viewport()->setMouseTracking(true);
    viewport()->setAutoFillBackground(false);
    setFocusPolicy(Qt::StrongFocus);
    setFont(MapFont(12));
    for (std::size_t i = 0; i < m_combos.size(); ++i) {
        auto* combo = new QComboBox(this);
        combo->setGeometry(kComboLeft[i], 0, kComboWidth, kComboStripHeight);
        combo->setMaxVisibleItems(20);
        combo->raise();
        m_combos[i] = combo;
        connect(combo, qOverload<int>(&QComboBox::activated), this, [this, i](int index) {
            Guarded([&] {
                if (i == 0)
                    m_model.OnFrequencySelected(index);
                else if (i == 1)
                    m_model.OnBandSelected(index);
                else if (i == 2)
                    m_model.OnModeSelected(index);
                else
                    m_model.OnQuantitySelected(index);
            });
            ModelChanged();
        });
    }
    m_previewTimer = new QTimer(this);
    m_previewTimer->setSingleShot(true);
    connect(m_previewTimer, &QTimer::timeout, this, &CColorMapView::UpdatePreview);
    m_model.onRepaint = [this] { ModelChanged(); };
    m_listener = std::make_unique<CChangeListener>(document, [this] {
        SyncCombos();
        viewport()->update();
    });
    m_model.onViewCommand = [this](int id) {
        if (id == kCmdPrint || id == kCmdPrintDirect) {
            PrintWithDialog(id == kCmdPrint);
            return true;
        }
        if (id == kCmdPrintPreview) {
            PrintPreview();
            return true;
        }
        return false;
    };
}

CColorMapView::~CColorMapView() {
    m_listener.reset();
    m_model.onRepaint = nullptr;
    m_model.onViewCommand = nullptr;
    // A second window of the project takes its colour map with it; the last one leaves the
    // condition to the document, which may still be saved after its windows are gone.
    if (m_model.Document() && m_doc.MapViews().Count() > 1)
        Guarded([&] { m_model.Close(); });
}

bool CColorMapView::Guarded(const std::function<void()>& step) {
    try {
        step();
        return true;
    } catch (const std::exception& e) {
        const std::string text = std::string("The colour map could not be updated: ") + e.what();
        if (m_doc.Ports().messages)
            m_doc.Ports().messages->ReportError(text);
        else
            qWarning("%s", text.c_str());
        return false;
    }
}

void CColorMapView::InitialUpdate() {
    if (m_initialised)
        return;
    m_initialised = true;
    SyncClientSize();
    Guarded([&] { m_model.OnInitialUpdate(); });
    ModelChanged();
}

void CColorMapView::SyncClientSize() {
    // The report of an automatic layout under the picture may make it taller than the pane, so
    // a fit leaves room for the vertical scroll bar.
    const int bar = verticalScrollBar()->isVisible()
                        ? 0
                        : style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    m_model.SetClientSize(std::max(1, viewport()->width() - bar), viewport()->height());
}

void CColorMapView::ModelChanged() {
    UpdateScrollBars();
    SyncCombos();
    ShowPreviewStatus(); // a drag that ended under a change of the project takes its text along
    viewport()->update();
}

void CColorMapView::UpdateScrollBars() {
    const CColorMapCondition* condition = m_model.Condition();
    const int width = condition ? condition->scrollSize[0] : 0;
    const int height = m_model.ContentHeight();
    // Which bars the picture needs is decided on the whole area: a bar left over from an earlier
    // size must not narrow the page and so keep itself and the other one.
    const QSize full = maximumViewportSize();
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    bool across = width > full.width();
    bool down = height > full.height();
    across = across || (down && width > full.width() - bar);
    down = down || (across && height > full.height() - bar);
    const QSize page(full.width() - (down ? bar : 0), full.height() - (across ? bar : 0));
    horizontalScrollBar()->setRange(0, std::max(0, width - page.width()));
    verticalScrollBar()->setRange(0, std::max(0, height - page.height()));
    horizontalScrollBar()->setPageStep(std::max(1, page.width()));
    verticalScrollBar()->setPageStep(std::max(1, page.height()));
    horizontalScrollBar()->setSingleStep(std::max(1, page.width() / 10));
    verticalScrollBar()->setSingleStep(std::max(1, page.height() / 10));
}

void CColorMapView::SyncCombos() {
    const std::array<const CComboModel*, 4> models{&m_model.FrequencyCombo(), &m_model.BandCombo(),
                                                   &m_model.ModeCombo(), &m_model.QuantityCombo()};
    for (std::size_t i = 0; i < m_combos.size(); ++i) {
        const CComboModel& wanted = *models[i];
        CComboModel& shown = m_shownCombos[i];
        if (wanted.items == shown.items && wanted.selection == shown.selection)
            continue;
        QComboBox* combo = m_combos[i];
        const QSignalBlocker block(combo);
        if (wanted.items != shown.items) {
            combo->clear();
            for (const std::string& item : wanted.items)
                combo->addItem(ToQString(item));
        }
        combo->setCurrentIndex(wanted.selection);
        shown = wanted;
    }
}

CPixel CColorMapView::PictureAt(const QPoint& position) const {
    return {position.x() + horizontalScrollBar()->value(),
            position.y() + verticalScrollBar()->value()};
}

void CColorMapView::SetMapCursor(EMapCursor cursor) {
    const qreal ratio = devicePixelRatioF();
    switch (cursor) {
    case EMapCursor::Hot:
        viewport()->setCursor(DaxCursor(EDaxCursor::OverSpeaker, ratio));
        break;
    case EMapCursor::Pressed:
        viewport()->setCursor(DaxCursor(EDaxCursor::PressSpeaker, ratio));
        break;
    case EMapCursor::Drag:
        viewport()->setCursor(DaxCursor(EDaxCursor::DragSpeaker, ratio));
        break;
    case EMapCursor::Arrow:
        viewport()->unsetCursor();
        break;
    }
}

void CColorMapView::paintEvent(QPaintEvent*) {
    SyncCombos();
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), Qt::white);
    painter.translate(-horizontalScrollBar()->value(), -verticalScrollBar()->value());
    CMapPaintOptions options;
    options.comboHeight = kComboStripHeight;
    PaintColorMap(painter, m_doc, m_model, options);
}

void CColorMapView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    SyncClientSize();
    UpdateScrollBars();
}

void CColorMapView::showEvent(QShowEvent* event) {
    QAbstractScrollArea::showEvent(event);
    if (!m_initialised)
        QTimer::singleShot(0, this, [this] { InitialUpdate(); });
}

void CColorMapView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    Guarded([&] { m_model.Activate(); });
}

void CColorMapView::scrollContentsBy(int, int) {
    viewport()->update();
}

void CColorMapView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint position = event->position().toPoint();
    if (m_rotating) {
        const QPoint delta = position - m_rotateFrom;
        m_rotateFrom = position;
        if (CColorMapCondition* condition = m_model.Condition()) {
            const auto a = condition->viewAngles;
            const double azimuth = std::fmod(a[0] - delta.x() * kDegreesPerPixel, 360.0);
            const double tilt = std::clamp(a[1] + delta.y() * kDegreesPerPixel, 0.0, 180.0);
            Guarded([&] { m_model.SetViewDirection(azimuth, tilt, a[2]); });
            ModelChanged();
        }
        return;
    }
    EMapCursor cursor = EMapCursor::Arrow;
    const bool hadReadout = m_model.Readout().valid;
    const CVec3 before = m_model.Readout().point;
    if (!Guarded([&] { cursor = m_model.MouseMove(PictureAt(position)); }))
        return;
    if (m_model.Dragging()) {
        SchedulePreview();
        return;
    }
    SetMapCursor(cursor);
    const CCursorReadout& now = m_model.Readout();
    if (now.valid && (!hadReadout || !(now.point == before)))
        viewport()->update();
}

void CColorMapView::mousePressEvent(QMouseEvent* event) {
    const QPoint position = event->position().toPoint();
    if (event->button() == Qt::MiddleButton) {
        m_rotating = true;
        m_rotateFrom = position;
        viewport()->setCursor(Qt::SizeAllCursor);
        return;
    }
    if (event->button() == Qt::LeftButton) {
        EMapCursor cursor = EMapCursor::Arrow;
        Guarded([&] { cursor = m_model.LeftDown(PictureAt(position)); });
        if (cursor == EMapCursor::Drag)
            SetMapCursor(cursor);
        return;
    }
    if (event->button() == Qt::RightButton) {
        EMapCursor cursor = EMapCursor::Arrow;
        EMapMenu which = EMapMenu::Room;
        Guarded([&] { which = m_model.RightDown(PictureAt(position), cursor); });
        SetMapCursor(cursor);
        QMenu* menu = CreateContextMenu(which, this);
        QAction* chosen = menu->exec(event->globalPosition().toPoint());
        const int id = chosen ? chosen->data().toInt() : 0;
        delete menu;
        SetMapCursor(EMapCursor::Arrow);
        if (id != 0)
            RunCommand(id);
    }
}

void CColorMapView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::MiddleButton && m_rotating) {
        m_rotating = false;
        viewport()->unsetCursor();
        return;
    }
    if (event->button() == Qt::LeftButton && m_model.Dragging()) {
        m_previewTimer->stop();
        const CPixel at = PictureAt(event->position().toPoint());
        SetMapCursor(EMapCursor::Arrow);
        Guarded([&] { m_model.LeftUp(at); });
        ModelChanged();
    }
}

void CColorMapView::SchedulePreview() {
    if (m_model.PreviewPending() && !m_previewTimer->isActive())
        m_previewTimer->start(m_model.PreviewDelayMs());
}

void CColorMapView::UpdatePreview() {
    if (Guarded([&] { m_model.UpdatePreview(); }))
        viewport()->update();
    ShowPreviewStatus();
    // A move that came while this map was computed waits for the next turn; while the preview is
    // prepared, this polls for it.
    SchedulePreview();
}

void CColorMapView::ShowPreviewStatus() {
    const QString text = QString::fromStdString(m_model.PreviewStatus());
    if (text == m_previewStatus)
        return;
    m_previewStatus = text;
    emit statusMessage(text);
}

void CColorMapView::wheelEvent(QWheelEvent* event) {
    const int steps = event->angleDelta().y() / 120;
    CColorMapCondition* condition = m_model.Condition();
    if (steps == 0 || !condition)
        return;
    // Zoom about the pointer: the picture point under it stays under it. Pixels scale about the
    // picture's left margin and its bottom line, which the bounding box keeps in place.
    const QPoint position = event->position().toPoint();
    const CPixel at = PictureAt(position);
    const double left = condition->margins[0] + 1;
    const double baseBefore = condition->scrollSize[1] - condition->margins[3] + 1;
    const double before = condition->scale;
    Guarded([&] {
        for (int i = 0; i < std::abs(steps); ++i)
            steps > 0 ? m_model.ZoomIn() : m_model.ZoomOut();
    });
    const double k = before > 0 ? condition->scale / before : 1.0;
    const double baseAfter = condition->scrollSize[1] - condition->margins[3] + 1;
    UpdateScrollBars();
    horizontalScrollBar()->setValue(
        static_cast<int>(std::lround(left + (at.x - left) * k - position.x())));
    verticalScrollBar()->setValue(
        static_cast<int>(std::lround(baseAfter - (baseBefore - at.y) * k - position.y())));
    ModelChanged();
    event->accept();
}

void CColorMapView::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasFormat(SpeakerMimeType()))
        event->acceptProposedAction();
}

void CColorMapView::dragMoveEvent(QDragMoveEvent* event) {
    if (!event->mimeData()->hasFormat(SpeakerMimeType()))
        return;
    if (m_model.InsideInstallationPlane(PictureAt(event->position().toPoint())))
        event->acceptProposedAction();
    else
        event->ignore();
}

void CColorMapView::dropEvent(QDropEvent* event) {
    if (!event->mimeData()->hasFormat(SpeakerMimeType()))
        return;
    bool ok = false;
    const int model = QString::fromLatin1(event->mimeData()->data(SpeakerMimeType())).toInt(&ok);
    const CPixel at = PictureAt(event->position().toPoint());
    event->acceptProposedAction();
    // The installation dialog must not open inside the platform's drag loop.
    QTimer::singleShot(0, this, [this, at, ok, model] {
        Guarded([&] {
            if (ok && model >= 0 && model < m_doc.models.Count() &&
                model != m_doc.models.CurrentIndex())
                m_doc.models.SetCurrentIndex(model);
            m_model.DropSpeaker(at);
        });
        ModelChanged();
    });
}

QMenu* CColorMapView::CreateContextMenu(EMapMenu which, QWidget* parent) {
    auto* menu = new QMenu(parent);
    auto add = [menu](const char* text, int id) {
        QAction* action = menu->addAction(ToQString(text));
        action->setData(id);
    };
    if (which == EMapMenu::Speaker) {
        add(Strings::kMenuRemove, kCmdRemoveInstallation);
        add(Strings::kMenuProperties, kCmdChangeInstallation);
    } else {
        add(Strings::kRoomParametersMenu, kCmdRoomParameters);
    }
    return menu;
}

void CColorMapView::RunCommand(int id) {
    if (isSignalConnected(QMetaMethod::fromSignal(&CColorMapView::commandRequested))) {
        emit commandRequested(id);
        return;
    }
    Guarded([&] { m_doc.OnCommand(id); });
    ModelChanged();
}

bool CColorMapView::HandleCommand(int id) {
    bool handled = false;
    Guarded([&] { handled = m_model.OnViewCommand(id); });
    ModelChanged();
    return handled;
}

void CColorMapView::Fit() {
    HandleCommand(kCmdFit);
}
void CColorMapView::ZoomIn() {
    HandleCommand(kCmdZoomIn);
}
void CColorMapView::ZoomOut() {
    HandleCommand(kCmdZoomOut);
}
void CColorMapView::ViewMinusX() {
    HandleCommand(kCmdViewMinusX);
}
void CColorMapView::ViewPlusY() {
    HandleCommand(kCmdViewPlusY);
}
void CColorMapView::ViewMinusZ() {
    HandleCommand(kCmdViewMinusZ);
}
void CColorMapView::ViewDiagonal() {
    HandleCommand(kCmdViewDiagonal);
}

bool CColorMapView::PrintTo(QPrinter& printer) {
    // The page is the printable area; the table's column offsets assume printer pixels.
    const int width = printer.width(), height = printer.height();
    if (width <= 0 || height <= 0 || !m_model.Condition())
        return false;
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    bool ok = true;
    CTablePaging paging;
    ok = Guarded([&] { paging = m_model.BeginPrinting(width, height, MapTextWidth); });
    if (ok) {
        int first = 1, last = paging.pageCount;
        if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
            first = std::min(printer.fromPage(), paging.pageCount);
            last = std::clamp(printer.toPage(), first, paging.pageCount);
        }
        for (int page = first; page <= last; ++page) {
            if (page > first)
                printer.newPage();
            PaintPrintedPage(painter, m_doc, m_model, paging, page);
        }
    }
    Guarded([&] { m_model.EndPrinting(); });
    painter.end();
    ModelChanged();
    return ok;
}

void CColorMapView::PrintWithDialog(bool askFirst) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setResolution(600);
    if (askFirst) {
        // The dialog offers the pages the job will have.
        int pages = 1;
        Guarded([&] {
            pages =
                m_model.BeginPrinting(printer.width(), printer.height(), MapTextWidth).pageCount;
            m_model.EndPrinting();
        });
        QPrintDialog dialog(&printer, this);
        dialog.setMinMax(1, std::max(1, pages));
        if (dialog.exec() != QDialog::Accepted)
            return;
    }
    PrintTo(printer);
}

void CColorMapView::Print() {
    PrintWithDialog(true);
}

void CColorMapView::PrintPreview() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setResolution(600);
    QPrintPreviewDialog preview(&printer, this);
    // Qt's default is a small window; a page is read at a size that shows its texts.
    if (const QScreen* screen = this->screen())
        preview.resize(screen->availableGeometry().size() * 4 / 5);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* target) { PrintTo(*target); });
    preview.exec();
}
