#pragma once

#include "acoustics/AcousticScene.h"
#include "acoustics/ColorMapCondition.h"
#include "acoustics/InstallationContainer.h"
#include "acoustics/MapCalculation.h"
#include "acoustics/SoundGraphData.h"
#include "common/Vec3.h"
#include "project/DocumentView.h"
#include "project/FlowResult.h"
#include "project/Ports.h"
#include "project/ProjectSettings.h"
#include "project/UndoHistory.h"
#include "project/ViewList.h"
#include "speaker/SofaImport.h"
#include "speaker/SpeakerModelContainer.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

inline constexpr std::uint32_t kCurrentFileVersion = 0x02000000;

class CColorMapViewModel;
class CInstallationForm;
class CMapJobs;
struct CRoomParameters;

// The project: everything a project file holds, the flows of the project commands, and the
// update hints that keep its views current. It computes nothing itself; its views ask the
// calculation service (MapService.h).
class CDAXDoc {
public:
    // The room defaults follow the application's length unit at creation.
    explicit CDAXDoc(int applicationUnit = 0, CDocumentPorts ports = {});
    CDAXDoc(const CDAXDoc&) = delete;
    CDAXDoc& operator=(const CDAXDoc&) = delete;
    // Views that outlive the document are told so; their own destruction then leaves it alone.
    ~CDAXDoc();

    // --- Project data (saved unless noted) ---
    int printRowsPerPage = 0;  // not saved
    int printPageCount = 0;    // not saved
    bool legacyFormat = false; // not saved
    std::uint32_t fileVersion = kCurrentFileVersion;
    CSpeakerModelContainer models;
    CInstallationContainer room;
    CColorMapConditionList conditions;
    CSoundGraphConditionList graphs;

    // --- Settings ---
    const CProjectSettings& Settings() const { return m_settings; }
    // The settings as a whole, as a file holds them or an undone step brings them back; the
    // models follow their length unit. No view is told: the caller notifies.
    void ReplaceSettings(CProjectSettings settings);
    // Advanced Mode on (2) or off (0) without the resets of the Preferences; the installation
    // list changes its columns. Any other value than 0, 1 or 2 is refused (CInvalidArgument).
    void SetAdvancedMode(int mode);
    // A new project takes the application's unit before its first Room Parameters dialog;
    // nothing has been placed in it yet, so nothing is converted.
    void SetNewProjectUnit(int unit);
    // What a confirmed Room Parameters dialog changes: the texts, the room, every plane and the
    // unit, with every position and automatic-layout result converted to it. The caller
    // notifies. Returns whether the unit changed.
    bool ApplyRoomParameters(const CRoomParameters& values);

    // --- Views and ports ---
    // Sends the hints `change` implies to every view, in order, clearing the response curves
    // where the change asks for it. Views may close others meanwhile.
    void Notify(const CDocumentChange& change);
    // The standard refresh after an edit of the installations: Notify, then the modified flag.
    void StandardRefresh();
    std::size_t ViewCount() const { return m_views.Count(); }
    // The colour map views, which some commands address by kind; they register themselves.
    CViewList<CColorMapViewModel>& MapViews() { return m_mapViews; }
    CDocumentPorts& Ports() { return m_ports; }
    void SetPorts(const CDocumentPorts& ports) { m_ports = ports; }
    // The ports a flow cannot do without; CMissingPort when the project was not given one.
    CMessagePort& Messages() const { return RequirePort(m_ports.messages, "message port"); }
    CDialogPort& Dialogs() const { return RequirePort(m_ports.dialogs, "dialog port"); }
    CFilePort& Files() const { return RequirePort(m_ports.files, "file port"); }
    CProjectStorage& Storage() const { return RequirePort(m_ports.storage, "project storage"); }

    bool IsModified() const { return m_modified; }
    // Setting the flag outside an undoable step means the file and the history's saved position
    // no longer match; clearing it marks the saved position.
    void SetModified(bool modified = true);
    const std::string& PathName() const { return m_path; }
    void SetPathName(const std::string& path);
    // The file the project was read from or last saved to, as it was then; a save compares it
    // with the file on disk now.
    void SetDiskStamp(const std::string& path, std::optional<CFileStamp> stamp) {
        m_stampPath = path;
        m_stamp = stamp;
    }

    // --- Forms ---
    // The dialogs of the flows show every row, whatever the project's advanced mode: for a front
    // end that fills rows its user did not open (the command line's options). Not saved.
    void ShowAllFormRows(bool all) { m_allFormRows = all; }
    // The advanced level the flows make their forms with.
    int FormRowsLevel() const { return m_allFormRows ? 2 : m_settings.advancedMode; }

    // --- Queries ---
    CSpeakerModel* CurrentModel() const { return models.CurrentModel(); }
    CAcousticScene Scene() const { return CAcousticScene::Of(models, room, m_settings.lengthUnit); }
    bool HasInstallations() const { return !room.Empty(); }
    // Every calculation plane lies parallel to the XY plane.
    bool AllPlanesHorizontal() const;
    // Recomputes installState against the first installation's model, when there is one.
    void UpdateInstallState();

    // --- Calculation ---
    // A map calculation of this project runs (as a job on a snapshot: the project stays free to
    // change meanwhile).
    bool IsCalculating() const;
    // The project's map calculations.
    CMapJobs& MapJobs() { return *m_jobs; }
    // Counts the changes of what the maps are calculated from (the installations, the models,
    // the room and the planes, a whole state put back by undo). A job's snapshot carries the
    // count it was taken at; a result from another count is outdated.
    std::uint64_t MapGeneration() const { return m_mapGeneration; }
    // The one way a calculation's result enters the project: stored in plane `condition` when
    // its snapshot is of the project as it is (same generation), dropped otherwise; either way
    // the views hear kHintMapResult. A stored failure is reported through the messages. True when
    // stored.
    bool StoreMapResult(int condition, std::uint64_t generation, const CMapJobResult& result);
    // The same for the spectrum under the mouse: curve 0 of every response entry, when the
    // project is as the spectrum's snapshot; the views hear of new curves. True when stored.
    bool StoreSpectrum(std::uint64_t generation, const std::vector<double>& centres,
                       const std::vector<double>& levels);

    // --- Commands ---
    bool IsCommandEnabled(int id) const;
    // Runs a project command. Returns false when the command is unknown or disabled.
    bool OnCommand(int id);
    // Runs an entry point the user interface calls: a command, a choice in a view, a view opening
    // or closing, a pointer action. Bad data it meets (CInvalidArgument) or memory running out
    // ends it with a message, the program goes on: false. Anything else (a missing port, an
    // exception from a port) is not the user's data and reaches the caller.
    bool Guarded(const std::function<void()>& entry);
    // The same for an entry point with an answer; `fallback` when it ended with a message.
    template <class T, class Entry> T Guarded(T fallback, Entry&& entry) {
        T answer = fallback;
        Guarded([&] { answer = entry(); });
        return answer;
    }

    // Save with extension migration; false when the save failed or was cancelled.
    bool SaveProject();
    // The framework's save under a name: legacy names are only saved after the user agrees.
    bool DoSave(const std::string& path);
    // Before the document closes: its calculations end (their results are not wanted).
    bool OnCloseDocument();

    // --- Installation flows ---
    CFlowResult InstallSpeaker(double x, double y);
    CFlowResult EditInstallation(const CInstallationElement& values);
    // "Change property for installation" on the current installation, planes and views refreshed
    // when it changed; the command and the command line's edits both run it.
    CFlowResult ChangeCurrentInstallation();
    // The installation at `index` takes model `model` and tap `tap`; without a tap it keeps its
    // own, or takes the default tap of another model, as installing it would. The room keeps one
    // frequency resolution and one impedance kind, asked of the first other installation as
    // installing asks it. Every rule is checked before anything changes; a new model or tap
    // brings the tap's power. Nobody is told of a refusal: the caller words its reason.
    CFlowResult ChangeInstallationModel(int index, int model, std::optional<int> tap = {});
    // The tap ChangeInstallationModel would give the installation at `index` (which must exist).
    int TapForModel(int index, int model, std::optional<int> tap) const;
    CFlowResult RemoveInstallations(bool all);
    // Asks once per installation (other than `skip`) at exactly this position and aim.
    bool SameSpotCheck(const CVec3& position, const COrientation& orientation, int skip);

    // --- Command flows ---
    CFlowResult ImportSpeakerData();
    // A speaker data text or an open directivity file (netCDF), told apart by the content.
    CFlowResult ImportSpeakerFile(const std::string& path);
    // How open directivity files are read: input, nominal impedance, rated power, measurement,
    // grids. The command-line tool sets them; the desktop program imports with the defaults.
    const CSofaImportOptions& SofaImportOptions() const { return m_sofaImportOptions; }
    void SetSofaImportOptions(CSofaImportOptions options) {
        m_sofaImportOptions = std::move(options);
    }
    CFlowResult ArrangeModules();
    CFlowResult DeleteSpeakerData();
    void Recalculate();
    CFlowResult Preferences();
    CFlowResult RoomParameters();
    CFlowResult AutoInstallation();
    CFlowResult ExportSpeakerData();
    // Writes the current model as an open directivity file chosen through the file port.
    CFlowResult ExportSpeakerSofa();
    // A model read by an import becomes the last and current one; the views hear of it.
    void AdoptImportedModel(std::unique_ptr<CSpeakerModel> model);

    // Every calculation plane back to an uncalculated grid: levels, statistics and colours reset.
    void RebuildAllPlanes();

    // --- Undo ---
    // One undoable step around a command that may change the project. It is recorded, under
    // its name and with the change record the command sent, when the command told the views of
    // an edit while the step was open; a command that declines, is cancelled or fails records
    // nothing. When the command throws, the project goes back to its state at the start. A step
    // opened inside another is part of the outer one.
    class CEditStep {
    public:
        CEditStep(CDAXDoc& doc, std::string name);
        ~CEditStep();
        CEditStep(const CEditStep&) = delete;
        CEditStep& operator=(const CEditStep&) = delete;
        // The command changes the current model in place: the project takes a copy first, so
        // the state before keeps the original.
        void DetachCurrentModel();
        // The command changed the project without telling the views (the list that was clicked
        // already shows it): recorded all the same, and undo and redo send `change`.
        void Changed(const CDocumentChange& change);

    private:
        friend class CDAXDoc;
        void Heard(const CDocumentChange& change);

        CDAXDoc& m_doc;
        std::string m_name;
        bool m_outer;
        int m_exceptions;
        std::shared_ptr<CDocumentState> m_before;
        bool m_modifiedBefore = false;
        CDocumentChange m_change;
        bool m_heard = false;
        bool m_modifiedDuring = false;
        int m_detachedIndex = -1;
        std::shared_ptr<CSpeakerModel> m_original;
    };
    bool CanUndo() const;
    bool CanRedo() const;
    // "&Undo <step>" and "&Redo <step>"; only "&Undo" and "&Redo" when there is no step.
    std::string UndoMenuText() const;
    std::string RedoMenuText() const;
    // Puts the project back before the last step, or does the last undone step again, and
    // refreshes the views with that step's change record. False when there is nothing to do.
    bool Undo();
    bool Redo();
    CUndoHistory& History() { return m_history; }
    const CUndoHistory& History() const { return m_history; }

private:
    // Undo and redo alike: the step's state goes back into the document and the state now takes
    // its place, so the same step can be walked the other way.
    void SwapWithStep(CUndoHistory::CStep& step);
    friend class CDocumentView;
    bool RunCommand(int id);
    // Asks before a save replaces another file or a changed one; false when the user declines.
    bool MayReplace(const std::string& path);
    CFlowResult RunInstallationForm(CInstallationForm& form);
    // Every model takes the unit; the calculations that read them end first when one changes.
    void SetModelsUnit(int unit);
    // Tells the views a plane's calculation ended; while they hear another change (a view that
    // calculates as it hears one), after that change.
    void NotifyMapResult(int condition);
    void ClearCurves();
    void ForEachColorMap(void (CColorMapViewModel::*operation)());

    CProjectSettings m_settings;
    CSofaImportOptions m_sofaImportOptions;
    CDocumentPorts m_ports;
    CViewList<CDocumentView> m_views;
    CViewList<CColorMapViewModel> m_mapViews;
    bool m_modified = false;
    std::uint64_t m_mapGeneration = 0;
    int m_notifying = 0;
    std::vector<int> m_pendingResults; // planes whose views hear of a result once Notify ends
    bool m_allFormRows = false;
    std::string m_path;
    std::string m_stampPath;
    std::optional<CFileStamp> m_stamp;
    CUndoHistory m_history;
    CEditStep* m_step = nullptr;
    // Created with the project and stopped first when it goes.
    std::unique_ptr<CMapJobs> m_jobs;
};

// True when the path ends in ".dax", ignoring case.
bool IsLegacyPath(const std::string& path);
// The file a project saved under `path` is written to: a legacy ".dax" name becomes ".tdax".
std::string SavedPath(const std::string& path);
