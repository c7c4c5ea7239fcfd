#pragma once

#include "project/ColorMapViewModel.h"

#include <QAbstractScrollArea>
#include <QPointer>

#include <array>
#include <functional>
#include <memory>

class QComboBox;
class QMimeData;
class QTimer;
class QMenu;
class QPrinter;
class CDAXDoc;

// The colour map pane: the room in a wire projection with the coloured calculation plane, its
// legend and annotations, the band, frequency and mode choice, navigation, hover, speaker drag
// and drops from the speaker list, printing. Its view model is the document's view; this widget
// paints what the model says through the map painter and forwards the user's input.
class CColorMapView : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit CColorMapView(CDAXDoc& document, QWidget* parent = nullptr);
    ~CColorMapView() override;

    CColorMapViewModel& Model() { return m_model; }
    // The first update after the view opens (a new project runs Room Parameters here). Runs once;
    // the view runs it itself when first shown if the frame has not.
    void InitialUpdate();
    // Speaker drags from the speaker data list carry this type with the model index as text.
    static const char* SpeakerMimeType() { return "application/x-daxara-speaker"; }
    // The context menu the view opens over a speaker or elsewhere; its actions carry their
    // command ids as data.
    QMenu* CreateContextMenu(EMapMenu which, QWidget* parent);
    // Every page of the print job on this printer; false when nothing could be drawn.
    bool PrintTo(QPrinter& printer);

public slots:
    // The document's view commands: Fit, Zoom In/Out, the four directions, Print, Print Preview.
    bool HandleCommand(int id);
    void Fit();
    void ZoomIn();
    void ZoomOut();
    void ViewMinusX();
    void ViewPlusY();
    void ViewMinusZ();
    void ViewDiagonal();
    void Print();
    void PrintPreview();

signals:
    // A command for the main window (from the context menus). Unconnected, the view runs it on
    // the document itself.
    void commandRequested(int id);
    // A text for the status bar (empty: the status bar's own text again).
    void statusMessage(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;
    // Tooltips: the installation under the pointer, or the level and position of the cell.
    bool viewportEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Runs a step of the core; a failure is reported and leaves the view as it was.
    // The program's one guard (RunGuarded) with this view as the messages' parent.
    bool Guarded(const std::function<void()>& step);
    CPixel PictureAt(const QPoint& viewportPosition) const;
    // A speaker dragged from this project's speaker list.
    bool OwnSpeakerDrag(const QMimeData* mime) const;
    void SetMapCursor(EMapCursor cursor);
    void UpdateScrollBars();
    // The model fits the picture to the viewport less the vertical scroll bar.
    void SyncClientSize();
    void SyncCombos();
    // Marks the frequency list's centres whose band the speaker data do not cover.
    void MarkCoverage(QComboBox* combo);
    void ModelChanged();
    void RunCommand(int id);
    void PrintWithDialog(bool askFirst);
    // While a speaker is dragged: the next map of the live preview, after the model's delay, so
    // pointer events and painting keep their share of the time.
    void SchedulePreview();
    void UpdatePreview();
    // Tells the status bar while the live map is prepared, and once when that ends.
    void ShowPreviewStatus();

    CDAXDoc& m_doc;
    CColorMapViewModel m_model;
    // Hears every change after the model has: the combo boxes and the speaker icons follow.
    std::unique_ptr<CDocumentView> m_listener;
    std::array<QComboBox*, 4> m_combos{}; // frequency, band, mode, quantity
    std::array<CComboModel, 4> m_shownCombos;
    std::vector<EBandCoverage> m_shownCoverage;
    bool m_initialised = false;
    bool m_rotating = false;
    QTimer* m_previewTimer = nullptr;
    QString m_previewStatus;
    QPoint m_rotateFrom;
};
