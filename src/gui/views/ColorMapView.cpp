#include "views/ColorMapView.h"

#include "acoustics/ColorMapCondition.h"
#include "app/Guard.h"
#include "app/PrinterChoice.h"
#include "dialogs/ListeningPointsDialog.h"
#include "paint/DaxIcons.h"
#include "paint/GuiText.h"
#include "paint/MapPainter.h"
#include "project/CommandTable.h"
#include "project/DAXDoc.h"
#include "project/PrintJob.h"
#include "project/Strings.h"
#include "views/SpeakerDrag.h"

#include <QComboBox>
#include <QIcon>
#include <QPixmap>
#include <QDragEnterEvent>
#include <QHelpEvent>
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
#include <QToolTip>

#include <algorithm>
#include <cmath>
#include <exception>

namespace {
// The context menu's own entries (not menu commands): mark the cell under the pointer, and the
// list of marked points.
constexpr int kMarkPoint = -1;
constexpr int kShowPoints = -2;
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
    // Moving the picture with the scroll bars keeps it where the user put it: no more fitting.
    for (QScrollBar* bar : {horizontalScrollBar(), verticalScrollBar()})
        connect(bar, &QAbstractSlider::actionTriggered, this, [this] { m_model.StopAutoFit(); });
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
    return RunGuarded(this, step);
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
    // The marks change with the installations, the entries with the band.
    if (m_model.FrequencyCoverage() != m_shownCoverage ||
        m_model.FrequencyCombo().items != m_shownCombos[0].items) {
        m_shownCombos[0] = {}; // refilled below, then marked
        m_shownCoverage = m_model.FrequencyCoverage();
    }
    for (std::size_t i = 0; i < m_combos.size(); ++i) {
        const CComboModel& wanted = *models[i];
        CComboModel& shown = m_shownCombos[i];
        if (wanted.items == shown.items && wanted.selection == shown.selection)
            continue;
        const bool mark = i == 0 && wanted.items != shown.items;
        QComboBox* combo = m_combos[i];
        const QSignalBlocker block(combo);
        if (wanted.items != shown.items || wanted.values != shown.values) {
            combo->clear();
            for (int entry = 0; entry < wanted.Count(); ++entry) {
                const CChoice<double> choice = wanted.Choice(entry);
                combo->addItem(ToQString(choice.label), choice.value);
            }
        }

        if (mark)
            MarkCoverage(combo);
        combo->setCurrentIndex(wanted.selection);
        shown = wanted;
    }
}

namespace {
// A small mark for a band centre the speaker data cover partly (half filled) or not (hollow).
QIcon CoverageIcon(EBandCoverage coverage) {
    QPixmap pixmap(12, 12);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(180, 90, 0), 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(1.5, 1.5, 9, 9));
    if (coverage == EBandCoverage::Partly) {
        p.setBrush(QColor(180, 90, 0));
        p.drawPie(QRectF(1.5, 1.5, 9, 9), 90 * 16, 180 * 16);
    }
    return QIcon(pixmap);
}
} // namespace

void CColorMapView::MarkCoverage(QComboBox* combo) {
    const std::vector<EBandCoverage>& coverage = m_model.FrequencyCoverage();
    for (int i = 0; i < combo->count(); ++i) {
        const EBandCoverage c = i < static_cast<int>(coverage.size())
                                    ? coverage[static_cast<std::size_t>(i)]
                                    : EBandCoverage::Inside;
        combo->setItemIcon(i, c == EBandCoverage::Inside ? QIcon() : CoverageIcon(c));
        combo->setItemData(
            i, c == EBandCoverage::Inside ? QVariant() : QVariant(QString::fromUtf8(CoverageText(c))),
            Qt::ToolTipRole);
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

bool CColorMapView::viewportEvent(QEvent* event) {
    if (event->type() != QEvent::ToolTip)
        return QAbstractScrollArea::viewportEvent(event);
    auto* help = static_cast<QHelpEvent*>(event);
    std::string text;
    Guarded([&] {
        const CPixel at = PictureAt(help->pos());
        const int speaker = m_model.Dragging() ? -1 : m_model.InstallationAt(at);
        const CCursorReadout& readout = m_model.Readout();
        if (speaker >= 0)
            text = SpeakerTooltip(m_doc, speaker);
        else if (readout.valid && m_doc.HasInstallations() && m_model.InsideCalculationPlane(at))
            text = CursorTooltip(m_model.Condition()->quantity, readout.level, readout.point,
                                 m_doc.Settings().lengthUnit);
    });
    if (text.empty())
        QToolTip::hideText();
    else
        QToolTip::showText(help->globalPos(), ToQString(text), viewport());
    return true;
}

void CColorMapView::paintEvent(QPaintEvent*) {
    // Only draws: the combo boxes follow the model where it changes (ModelChanged).
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), Qt::white);
    painter.translate(-horizontalScrollBar()->value(), -verticalScrollBar()->value());
    CMapPaintOptions options;
    options.comboHeight = kComboStripHeight;
    PaintColorMap(painter, m_doc, m_model, options);
}

void CColorMapView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    // A view that fits itself fits the new size (the model decides).
    Guarded([&] { SyncClientSize(); });
    UpdateScrollBars();
    viewport()->update();
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
        if (const CColorMapCondition* condition = m_model.Condition()) {
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
        // Elsewhere on the plane the cell under the pointer can be marked as a listening point.
        const int cell = which == EMapMenu::Room ? m_model.CellAt(PictureAt(position)) : -1;
        if (QAction* mark = menu->findChild<QAction*>("markPoint"))
            mark->setEnabled(cell >= 0);
        QAction* chosen = menu->exec(event->globalPosition().toPoint());
        const int id = chosen ? chosen->data().toInt() : 0;
        delete menu;
        SetMapCursor(EMapCursor::Arrow);
        if (id == kMarkPoint && cell >= 0) {
            const CPlaceElement& c =
                m_model.Condition()->plane.points[static_cast<std::size_t>(cell)];
            Guarded([&] { MarkListeningPoint(this, m_doc, c.x, c.y, c.z); });
            ModelChanged();
        } else if (id == kShowPoints) {
            CListeningPointsDialog dialog(m_doc, this);
            dialog.exec();
            ModelChanged();
        } else if (id != 0) {
            RunCommand(id);
        }
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
    const CColorMapCondition* condition = m_model.Condition();
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

bool CColorMapView::OwnSpeakerDrag(const QMimeData* mime) const {
    // The index names a model of the project the drag came from; another project's (or a drag
    // from outside the program) means nothing here.
    return SpeakerDragDocument(mime) == &m_doc && SpeakerDragIndex(mime) >= 0;
}

void CColorMapView::dragEnterEvent(QDragEnterEvent* event) {
    if (OwnSpeakerDrag(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void CColorMapView::dragMoveEvent(QDragMoveEvent* event) {
    if (OwnSpeakerDrag(event->mimeData()) &&
        m_model.InsideInstallationPlane(PictureAt(event->position().toPoint())))
        event->acceptProposedAction();
    else
        event->ignore();
}

void CColorMapView::dropEvent(QDropEvent* event) {
    if (!OwnSpeakerDrag(event->mimeData())) {
        event->ignore();
        return;
    }
    const int model = SpeakerDragIndex(event->mimeData());
    const CPixel at = PictureAt(event->position().toPoint());
    event->acceptProposedAction();
    // The installation dialog must not open inside the platform's drag loop.
    QTimer::singleShot(0, this, [this, at, model] {
        Guarded([&] {
            if (model < m_doc.Models().Count() && model != m_doc.Models().CurrentIndex())
                m_doc.SetCurrentModel(model, CDAXDoc::ETell::Views);
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
        menu->addSeparator();
        QAction* automatic = menu->addAction("Automatic Colour Scale");
        automatic->setData(static_cast<int>(kCmdAutomaticScale));
        automatic->setCheckable(true);
        automatic->setChecked(m_model.Condition() && m_model.Condition()->automaticScale);
        menu->addSeparator();
        QAction* mark = menu->addAction(ToQString(Strings::kMenuMarkPoint));
        mark->setObjectName("markPoint");
        mark->setData(kMarkPoint);
        QAction* points = menu->addAction(ToQString(Strings::kMenuListeningPoints));
        points->setObjectName("listeningPoints");
        points->setData(kShowPoints);
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
    const bool ranged = printer.printRange() == QPrinter::PageRange;
    bool ok = false;
    Guarded([&] {
        ok = PrintColorMap(printer, m_doc, m_model, ranged ? printer.fromPage() : 0,
                           ranged ? printer.toPage() : 0);
    });
    ModelChanged();
    return ok;
}

void CColorMapView::PrintWithDialog(bool askFirst) {
    QPrinter& printer = ChosenPrinter();
    if (askFirst) {
        // The dialog offers the pages the job will have.
        int pages = 1;
        Guarded([&] {
            pages = CPrintJob(m_model, printer.width(), printer.height(), MapTextWidth).PageCount();
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
    QPrintPreviewDialog preview(&ChosenPrinter(), this);
    // Qt's default is a small window; a page is read at a size that shows its texts.
    if (const QScreen* screen = this->screen())
        preview.resize(screen->availableGeometry().size() * 4 / 5);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* target) { PrintTo(*target); });
    preview.exec();
}
