#pragma once

#include "acoustics/MapCalculation.h"
#include "common/Vec3.h"
#include "project/DocumentView.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

class CDAXDoc;
#include "acoustics/ColorMapCondition.h"

// A drop-down list as the view shows it: its texts and the selected entry (-1 for none).
struct CComboModel {
    std::vector<std::string> items;
    int selection = -1;
};

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
    void Close();

    int ConditionIndex() const { return m_conditionIndex; }
    void SetConditionIndex(int index) { m_conditionIndex = index; }
    CColorMapCondition* Condition() const;

    // --- Calculation ---
    CMapResult CalculateMap();
    const CMapResult& LastResult() const { return m_lastResult; }
    // Band level (dB) at a point for this view's condition, or nothing when the band fails.
    bool LevelAt(const CVec3& point, double& level) const;
    // The band spectrum at a point into curve 0 of every frequency response entry.
    bool PointSpectrum(const CVec3& point);
    CMapOptions mapOptions;

    // --- Band, frequency and mode lists ---
    void SyncConditionControls(int direction, int resetBand);
    // The speaker data changed: the lists start again from the model's resolution.
    void ResetSpeakerDependentDisplay() { SyncConditionControls(0, 1); }
    // Points per octave the lists are made for: the first installation's model, else the current.
    double ListPitch() const;
    const CComboModel& BandCombo() const { return m_band; }
    const CComboModel& FrequencyCombo() const { return m_frequency; }
    const CComboModel& ModeCombo() const { return m_mode; }
    void OnBandSelected(int index);
    void OnFrequencySelected(int index);
    void OnModeSelected(int index);

    // --- Projection and navigation ---
    void ProjectView(bool fit);
    void ZoomIn();
    void ZoomOut();
    void Fit() { ProjectView(true); }
    void SetViewDirection(double a1, double a2, double a3);
    // Projected (u, w) of a world point with the condition's view angles.
    void Project(const CVec3& v, double& u, double& w) const;
    // Pixel of a projected point in the scrolled picture.
    void WorldToPixel(double u, double w, int& px, int& py) const;
    void SetClientSize(int width, int height) { m_clientWidth = width, m_clientHeight = height; }
    void SetPrinting(bool printing, int pageWidth = 0, int pageHeight = 0);
    std::array<double, 4> BoundingBox() const { return {m_maxW, m_minW, m_maxU, m_minU}; }

    // The Room Parameters dialog of this view: 0 confirmed, 1 cancelled, 2 show again.
    int RunRoomParameters(bool commandMode);

    // Called when the view should repaint; the desktop view connects its update here.
    std::function<void()> onRepaint;
    // Called when a view command (printing) reaches this view.
    std::function<bool(int)> onViewCommand;

private:
    void Repaint() {
        if (onRepaint)
            onRepaint();
    }

    CDAXDoc& m_doc;
    int m_conditionIndex = -1;
    CMapResult m_lastResult;
    CComboModel m_band, m_frequency, m_mode;
    std::vector<double> m_frequencyValues; // exact grid frequency of each frequency entry
    double m_maxW = 0, m_minW = 0, m_maxU = 0, m_minU = 0;
    int m_clientWidth = 800, m_clientHeight = 600;
    bool m_printing = false;
    int m_pageWidth = 0, m_pageHeight = 0;
};

// The condition of a new project's first view: default settings and a plane for the unit.
CColorMapCondition DefaultCondition(int lengthUnit);

// Names of the bands a model of resolution N offers, with their values (bands per octave).
std::vector<std::pair<std::string, double>> BandChoices(double pitch);
