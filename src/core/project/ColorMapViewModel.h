#pragma once

#include "acoustics/MapCalculation.h"
#include "common/Vec3.h"
#include "project/BandChoice.h"
#include "project/ColorMapLayout.h"
#include "project/DocumentView.h"
#include "project/Ports.h"

#include "acoustics/ColorMapCondition.h"

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CDAXDoc;
class CInstallationElementList;
class CWorkerPool;
class CSoundPowerCache;
struct CCoarseGrid;

// The most points a dragged speaker's live map computes per step: larger planes follow the mouse
// on coarser blocks (about 20 steps a second on two cores), and the drop calculates them whole.
inline constexpr std::size_t kPreviewPointBudget = 65536;

// A drop-down list: the texts a widget shows (items), the value of each entry and the selected
// entry (-1 for none). Front ends that choose without a widget choose by value, never by text.
struct CComboModel {
    std::vector<std::string> items;
    std::vector<double> values; // one per item
    int selection = -1;

    // Replaces the entries; the selection is cleared.
    void Assign(const std::vector<CChoice<double>>& choices);
    int Count() const { return static_cast<int>(items.size()); }
    // Entry i; CInvalidArgument for an index outside the list.
    CChoice<double> Choice(int i) const;
    // The first entry of that value, or -1.
    int IndexOf(double value) const;
    // The selected entry's value; nothing when none is selected.
    std::optional<double> SelectedValue() const;
};

// The pointer images of the map: arrow, over a speaker (131), right button down over a speaker
// (132) and dragging a speaker (133).
enum class EMapCursor { Arrow, Hot, Pressed, Drag };
// The context menu a right click opens: over a speaker (136) or anywhere else (137).
enum class EMapMenu { Speaker, Room };

// The cursor read-out of annotation line 5.
struct CCursorReadout {
    bool valid = false;
    CVec3 point;
    double level = 0.0;
};

// The colour map pane of a new project window (785 x 500 pixels: 573 x 400) less its 14-pixel
// vertical scroll bar, which the report of an automatic layout under the picture may need.
// A project made without a window (the command-line tool) is fitted to it, so the desktop
// program opens it as it would have drawn it, without a horizontal scroll bar.
inline constexpr int kDefaultMapClientWidth = 559;
inline constexpr int kDefaultMapClientHeight = 400;

// State and logic of one colour map view: which condition it shows, when its map is calculated,
// the contents of its band, frequency and mode lists, and its projection of the room.
class CColorMapViewModel : public CDocumentView {
public:
    explicit CColorMapViewModel(CDAXDoc& document);
    ~CColorMapViewModel() override;

    // First update after the view opens: a loaded project shows condition 0; a new one appends a
    // condition, runs the Room Parameters dialog, fits and calculates.
    void OnInitialUpdate();
    void OnUpdate(EUpdateHint hint, const CDocumentChange& change) override;
    bool OnViewCommand(int id) override;
    // The view became active: its condition becomes the document's current one.
    void Activate();
    // The view closes: its condition goes, later views move down by one (told by the document).
    // False when it could not be done (a message said why).
    bool Close();

    int ConditionIndex() const { return m_conditionIndex; }
    void SetConditionIndex(int index) { m_conditionIndex = index; }
    const CColorMapCondition* Condition() const;

    // --- Calculation ---
    // Asks the project for this view's map (see CalculateConditionMap): Running while it goes on
    // in the background.
    CMapResult CalculateMap();
    // After undo or redo: a plane kept while its map was being calculated came back without that
    // map. It is calculated again where a change would calculate it; with manual recalculation
    // it shows the state it had.
    void SettleRestoredMap();
    // How the last calculation of this view's map ended, once its result was stored.
    const CMapResult& LastResult() const { return m_lastResult; }
    // Band level (dB) at a point for this view's condition, or nothing when the band fails.
    bool LevelAt(const CVec3& point, double& level) const;
    // The band spectrum at a point into curve 0 of every frequency response entry.
    bool PointSpectrum(const CVec3& point);
    CMapOptions mapOptions;

    // --- Band, frequency and mode lists ---
    // Fill: the lists are made for the project's resolution and show the condition, whose band
    // and centre are settled by the one band rule (SettleBand). FillResettingBand: the same, but
    // a project without installations starts again at a third octave (an octave for a model of
    // one point per octave). Take: the lists' selections go into the condition.
    enum class EListSync { Fill, FillResettingBand, Take };
    void SyncConditionControls(EListSync sync);
    // The speaker data changed: the lists start again from the model's resolution.
    void ResetSpeakerDependentDisplay() { SyncConditionControls(EListSync::FillResettingBand); }
    // Points per octave the lists are made for: the first installation's model, else the current.
    double ListPitch() const;
    const CComboModel& BandCombo() const { return m_band; }
    const CComboModel& FrequencyCombo() const { return m_frequency; }
    const CComboModel& ModeCombo() const { return m_mode; }
    // Per entry of the frequency list: how much of that centre's band the speaker data cover
    // (the installed models, or the current model before anything is installed).
    const std::vector<EBandCoverage>& FrequencyCoverage() const { return m_frequencyCoverage; }
    // What the map shows: the direct sound's level, the room and speech quantities or an arrival
    // time, valued by their EMapQuantity number.
    const CComboModel& QuantityCombo() const { return m_quantity; }
    // The entries of the band and frequency lists with the values they stand for.
    const std::vector<CBandChoice>& BandChoiceList() const { return m_bandChoices; }
    const std::vector<CFrequencyChoice>& FrequencyChoiceList() const { return m_frequencyChoices; }
    void OnBandSelected(int index);
    void OnFrequencySelected(int index);
    void OnModeSelected(int index);
    // Another quantity: the plane's values go (they were of the other quantity) and the map
    // calculates as after a mode choice.
    void OnQuantitySelected(int index);

    // --- Projection and navigation ---
    void ProjectView(bool fit);
    void ZoomIn();
    void ZoomOut();
    void Fit() {
        m_autoFit = true;
        ProjectView(true);
    }
    void SetViewDirection(double a1, double a2, double a3);
    // Projected (u, w) of a world point with the condition's view angles.
    void Project(const CVec3& v, double& u, double& w) const;
    // Pixel of a projected point in the scrolled picture.
    void WorldToPixel(double u, double w, int& px, int& py) const;
    // The pane's size; while the view fits itself, a new size fits the picture to it again.
    void SetClientSize(int width, int height);
    // The view fits itself to its pane (on a new size, a room change, reopening) until the user
    // zooms or pans; Fit starts it again.
    bool AutoFit() const { return m_autoFit; }
    // The user moved the picture (scrolled it): it stays where it is from now on.
    void StopAutoFit() { m_autoFit = false; }
    void SetPrinting(bool printing, int pageWidth = 0, int pageHeight = 0);
    std::array<double, 4> BoundingBox() const { return {m_maxW, m_minW, m_maxU, m_minU}; }

    // --- Picture geometry (ColorMapInteraction.cpp) ---
    // Height of the current font in pixels: 12 on screen, page height * 12 / 1200 on paper.
    int FontHeight() const;
    bool Printing() const { return m_printing; }
    int PageWidth() const { return m_pageWidth; }
    int PageHeight() const { return m_pageHeight; }
    CPixel PixelOf(const CVec3& world) const;
    CQuad QuadOf(const std::array<CVec3, 4>& corners) const;
    // The same mapping with the trigonometry done once, for walks over the plane's cells.
    CMapProjector Projector() const;
    CQuad CalculationPlaneQuad() const;
    CQuad InstallationPlaneQuad() const;
    // The ticks along the plane's labelled edges, at least five font heights apart on screen.
    std::vector<CPlaneTick> AxisTicks() const;
    // y of annotation line k: k * h + T - bottom.
    int LineY(int line) const;
    // How far the view scrolls down: the picture and the annotation lines written under it
    // (the scroll height less the bottom margin's empty rest).
    int ContentHeight() const;

    // --- Printing ---
    // A print job starts on a page of W x H device pixels: print margins, a fit to 80 % of the
    // page, and the table's paging; the screen margins and scale are kept for EndPrinting.
    // With a measure of the print font, the table's header is fitted to its columns (see
    // FitTableHeader) and the paging makes room for its lines.
    CTablePaging BeginPrinting(int pageWidth, int pageHeight, const CTextWidth& width = {});
    // The table's header as the current print job lays it out.
    const CTableHeaderLayout& PrintedTableHeader() const { return m_tableHeader; }
    void EndPrinting();
    // A figure of the map alone (a report's): the picture fitted to width x height pixels with
    // these margins (left, top, right, bottom; the legend lives in the left one). The window's
    // margins, scale and scroll size come back with EndFigure, untouched for its own view.
    void BeginFigure(int width, int height, const std::array<int, 4>& margins);
    void EndFigure();

    // --- Pointer ---
    bool InsideCalculationPlane(const CPixel& p) const;
    bool InsideInstallationPlane(const CPixel& p) const;
    // The first installation whose pixel is less than 4 pixels away in x and in y, or -1.
    int InstallationAt(const CPixel& p) const;
    // The first cell of the plane (list order) containing p, or -1.
    int CellAt(const CPixel& p) const;
    // The centre of the installation-grid cell under p, at the room height; false when none.
    bool GridCellAt(const CPixel& p, CVec3& centre) const;
    // A mouse move: the hot speaker becomes current, the cell under the pointer gets the
    // read-out and its spectrum goes to the frequency response entries. Returns the cursor.
    EMapCursor MouseMove(const CPixel& p);
    EMapCursor LeftDown(const CPixel& p);
    // Ends a drag: the current installation moves to p, or is removed after the question when p
    // is outside both planes.
    void LeftUp(const CPixel& p);
    EMapMenu RightDown(const CPixel& p, EMapCursor& cursor);
    // Installs the current speaker model at the installation-grid cell under p. 1 when
    // installed, 2 when not (outside the installation plane, no cell, or refused).
    int DropSpeaker(const CPixel& p);
    // Moves the current installation to the grid cell (or plane cell) under p, keeping its height
    // unless p is on a vertical plane's cell: 1 done, 2 not.
    int MoveCurrentInstallation(const CPixel& p);
    // Where a speaker dropped at p goes: the installation-grid cell under p, else the first
    // calculation-plane cell under it; false when neither is under p.
    bool DropTarget(const CPixel& p, CVec3& target) const;
    bool Hot() const { return m_hot; }
    bool Dragging() const { return m_dragging; }
    const CCursorReadout& Readout() const { return m_readout; }

    // --- Live map while a speaker is dragged (ColorMapPreview.cpp) ---
    // A drag moves a copy of the installations, so the document changes only on the drop, where
    // the exact map is calculated as before. Any change of the document ends the drag.
    // The installations as the picture shows them: the drag's copy while a speaker is dragged.
    const CInstallationElementList& ShownInstallations() const;
    // The dragged installation while the pointer is outside both planes, where a drop asks to
    // remove it: the picture leaves it out. -1 otherwise.
    int HiddenInstallation() const;
    // While a speaker is dragged over a plane of more than kPreviewPointBudget points, the
    // picture shows these blocks (PreviewLevels then holds one level per block, when it holds
    // any); null on smaller planes and when no speaker is dragged.
    const CCoarseGrid* PreviewGrid() const;
    // The levels of the plane's points with the dragged speaker where it is now, or null while
    // the stored levels show (no drag step yet, manual recalculation, or a plane too large for
    // the preview's memory bound).
    const std::vector<double>* PreviewLevels() const;
    // A drag step waits for its map (or for the preview to be ready).
    bool PreviewPending() const;
    // The map for the latest drag position; false when none was waiting or it could not be had.
    // The first step only starts building the preview, which costs about one exact map, on the
    // workers, which read the drag's own copy of the installations and handles of the models,
    // never the project: meanwhile the step stays pending and the picture shows the stored map
    // with the speaker where the pointer is. A later call that finds the preview ready computes
    // the map.
    bool UpdatePreview();
    // The preview is being built.
    bool PreviewPreparing() const;
    // The status line while it is: "Preparing the live map... 40 %"; empty otherwise.
    std::string PreviewStatus() const;
    // How long the view waits before the next step's map: as long as the last one took, so the
    // window keeps at least half of the time for itself (15 to 500 ms); while the preview is
    // built, a short poll.
    int PreviewDelayMs() const;
    // The workers that build and step the preview; null: the program's calculation workers.
    CWorkerPool* previewWorkers = nullptr;

    // The Room Parameters dialog of this view; Ok when the project took its values.
    ERoomParametersAnswer RunRoomParameters(bool commandMode);

    // Called when the view should repaint; the desktop view connects its update here.
    std::function<void()> onRepaint;
    // Called when a view command (printing) reaches this view.
    std::function<bool(int)> onViewCommand;

private:
    // The view's own condition, whose view settings it changes (see CDAXDoc's views' entries).
    CColorMapCondition* EditCondition();
    // A band or frequency choice: the planes are rebuilt for it, unless a map is being calculated.
    void SelectConditionList(CComboModel& list, int index, const char* stepName);
    void Repaint() {
        if (onRepaint)
            onRepaint();
    }

    struct CDragState;
    void BeginDrag();
    void DragTo(const CPixel& p);

    CDAXDoc& m_doc;
    int m_conditionIndex = -1;
    CMapResult m_lastResult;
    CComboModel m_band, m_frequency, m_mode, m_quantity;
    std::vector<CBandChoice> m_bandChoices;
    std::vector<CFrequencyChoice> m_frequencyChoices;
    std::vector<EBandCoverage> m_frequencyCoverage;
    double m_maxW = 0, m_minW = 0, m_maxU = 0, m_minU = 0;
    int m_clientWidth = kDefaultMapClientWidth, m_clientHeight = kDefaultMapClientHeight;
    bool m_printing = false;
    bool m_autoFit = true;
    int m_pageWidth = 0, m_pageHeight = 0;
    bool m_hot = false, m_dragging = false;
    CTableHeaderLayout m_tableHeader;
    std::array<int, 4> m_savedMargins{};
    double m_savedScale = 0.0;
    std::array<int, 2> m_savedClient{};
    std::array<int, 2> m_savedScroll{};
    bool m_figure = false;
    CCursorReadout m_readout;
    // The models' power for the speech table under the pointer; emptied whenever the project
    // tells of a change.
    std::shared_ptr<CSoundPowerCache> m_powerCache;
    // Only while a speaker is dragged (shared_ptr: the type is complete in one file only).
    std::shared_ptr<CDragState> m_drag;
};

// What a plane's state says of its last calculation, as CalculateMap would have answered;
// `previous` stands for a plane that has none.
CMapResult ResultOf(const CListeningPlane& plane, const CMapResult& previous);
// The condition of a new project's first view: default settings and a plane for the unit.
CColorMapCondition DefaultCondition(int lengthUnit);
