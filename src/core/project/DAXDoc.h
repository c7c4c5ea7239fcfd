#pragma once

#include "acoustics/AcousticScene.h"
#include "acoustics/ColorMapCondition.h"
#include "acoustics/InstallationContainer.h"
#include "acoustics/MapCalculation.h"
#include "acoustics/SoundGraphData.h"
#include "common/Vec3.h"
#include "project/DelayAlignment.h"
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
class CMapJobs;
struct CSpectrumAtPoint;
class CInstallationForm;
class CSoundGraphViewModel;
struct CBandOutcome;
struct CBandRequest;
struct CMapOptions;
struct CInstallationTapOffer;
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
    // Read here; changed only through the document's operations below. The file reader fills a
    // fresh document through CDocumentLoader (DocumentLoader.h), undo through CDocumentState.
    const CSpeakerModelContainer& Models() const { return m_models; }
    const CInstallationContainer& Room() const { return m_room; }
    const CColorMapConditionList& Conditions() const { return m_conditions; }
    const CSoundGraphConditionList& Graphs() const { return m_graphs; }
    int PrintRowsPerPage() const { return m_printRowsPerPage; } // not saved
    int PrintPageCount() const { return m_printPageCount; }     // not saved
    bool LegacyFormat() const { return m_legacyFormat; }        // not saved
    std::uint32_t FileVersion() const { return m_fileVersion; }

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
    // The room acoustics and speech settings as a whole (Room > Surfaces and Air, the command
    // line's acoustics command). Every entry is checked first: a refusal (Refused, EntryRefused,
    // the message naming the field) changes nothing. Done changes them and the maps recalculate.
    CFlowResult SetRoomAcoustics(const CRoomAcoustics& acoustics, const CSpeechSettings& speech);

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

    // Called after anything that may change which commands are enabled or what the Edit menu
    // says: every change told to the views, the modified flag, a recorded step, the end of a
    // calculation. A front end brings its menus and toolbar up to date from here (later, not
    // inside the flow that called it).
    void SetStateListener(std::function<void()> listener) { m_stateListener = std::move(listener); }

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
    CSpeakerModel* CurrentModel() const { return m_models.CurrentModel(); }
    // The room acoustics and speech settings ride along: the direct sound uses the air when
    // asked to, the other map quantities the rest.
    CAcousticScene Scene() const {
        CAcousticScene scene = CAcousticScene::Of(m_models, m_room, m_settings.lengthUnit);
        scene.acoustics = &m_settings.roomAcoustics;
        scene.speech = &m_settings.speech;
        return scene;
    }
    bool HasInstallations() const { return !m_room.Empty(); }
    // Every calculation plane lies parallel to the XY plane.
    bool AllPlanesHorizontal() const;
    // Recomputes installState against the first installation's model, when there is one.
    void UpdateInstallState();

    // --- Current entries ---
    // Who hears of a new current model: the views (the tap list refills) or nobody (the speaker
    // list's context menu, which refreshes nothing).
    enum class ETell { Views, Nobody };
    // The model at `index` becomes current. Told to the views, the install state follows it
    // (see UpdateInstallState). False for an index outside the list.
    bool SetCurrentModel(int index, ETell tell = ETell::Views);
    // Whether a new current installation brings its model along (a speaker under the map's
    // pointer) or leaves the current model alone (a row of the installation list).
    enum class EWithModel { No, Yes };
    // The installation at `index` becomes current; the views hear of it when it changed. False
    // for an index outside the list.
    bool SetCurrentInstallation(int index, EWithModel withModel = EWithModel::No);

    // --- The views' own entries ---
    // A colour map view owns one condition (its plane and how it shows it), a frequency response
    // view one entry; the view models change their view settings (CColorMapViewModel and
    // CSoundGraphViewModel are friends) and the map service stores the levels. Adding an entry
    // or making it current tells nobody; removing one tells the views, later entries move down.
    int AppendCondition(CColorMapCondition condition);
    // A copy of condition `index` that takes over its points (see CColorMapConditionList); -1
    // when there is none.
    int DuplicateCondition(int index);
    void SetCurrentCondition(int index);
    void RemoveCondition(int index);
    // A response entry with these axes, placed as the current one says; returns its index.
    int AppendGraph(const CSoundGraphDataList& data);
    void SetCurrentGraph(int index);
    void RemoveGraph(int index);
    // The spectrum under the pointer becomes curve 0 of every response entry; the response view
    // redraws. No point at all (n = 0) leaves a single silent point. The room's curves
    // (reverberant, total) and a speech map's octave table at the point go with it; empty ones
    // clear what an earlier point showed.
    void ShowSpectrum(const std::vector<double>& frequencies, const std::vector<double>& levels,
                      const std::vector<CSoundGraphData>& roomCurves = {},
                      const std::vector<std::string>& speechTable = {});

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
    // The same for the spectrum under the mouse: shown as ShowSpectrum shows it when the project
    // is as the spectrum's snapshot. True when stored.
    bool StoreSpectrum(std::uint64_t generation, const CSpectrumAtPoint& spectrum);
    // The spectrum at a point as the response view shows it: the direct curve, the room's
    // curves and a speech map's octave table.
    void ShowSpectrum(const CSpectrumAtPoint& spectrum);

    // --- Commands ---
    bool IsCommandEnabled(int id) const;
    // Runs a project command. Returns false when the command is unknown or disabled.
    bool OnCommand(int id);
    // Runs an entry point the user interface calls: a command, a choice in a view, a view opening
    // or closing, a pointer action. Bad data it meets (CBadData) or memory running out ends it
    // with a message through the project's messages, the program goes on: false. Anything else
    // (a programming error such as a missing port, an exception from a port) reaches the caller,
    // where the front end's own guard (the desktop's RunGuarded) reports it as a fault.
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
    // Each installation flow is one undoable step of its own (part of the caller's when the
    // caller opened one) and ends with the standard refresh when it changed the project.
    CFlowResult InstallSpeaker(double x, double y);
    // Whether an edit leaves the planes' levels for the maps to recalculate, or makes every
    // plane drop them first (the Change Installation command).
    enum class EPlanes { Keep, Rebuild };
    CFlowResult EditInstallation(const CInstallationElement& values,
                                 EPlanes planes = EPlanes::Keep);
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
    // The installations at these rows (a multiple selection), after one question: the command's
    // for one speaker, one naming the count for several. CInvalidArgument for a row that is
    // none, before anything is asked.
    CFlowResult RemoveInstallationsAt(std::vector<int> rows);
    // Asks once per installation (other than `skip`) at exactly this position and aim.
    bool SameSpotCheck(const CVec3& position, const COrientation& orientation, int skip);
    // Why the room refuses tap `tap` of `model` for the installation at `index` (which need not
    // exist yet): the first other installation has another frequency resolution or impedance
    // kind. Nothing when the room takes it.
    std::optional<EFlowReason> RoomRefusesTap(int index, const CSpeakerModel& model, int tap) const;
    // Sets each installation of request.fills to the delay that brings its sound to the point
    // request.offsetMs after the main installation's (AlignedDelay, from the delays as they
    // were), limited to 0 .. kMaxDelayMs, and refreshes when a delay changed. The answer lists
    // what each asked for and got. A request without installations to align, with one outside
    // the list or twice, the main among them, or a point or offset that is no finite number is
    // bad data (CInvalidArgument) and changes nothing; front ends check their own entries first.
    CAlignOutcome AlignDelays(const CAlignRequest& request);
    // "Align Delays" from the installation list: its dialog with `chosen` ticked, AlignDelays,
    // then the user is told of every delay the geometry could not have.
    CFlowResult AlignDelaysFlow(const std::vector<int>& chosen);

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
    // Arrange Modules on the current model. Each box keeps its power on a low-impedance tap (the
    // installations' power follows the box count); an installation whose boxes would then carry
    // more than their tap (fewer boxes on a line tap) takes the most the tap allows.
    CFlowResult ArrangeModules();
    CFlowResult DeleteSpeakerData();
    void Recalculate();
    CFlowResult Preferences();
    CFlowResult RoomParameters();
    // Room > Surfaces and Air: the dialog over the room acoustics and the speech settings.
    CFlowResult SurfacesAndAir();
    CFlowResult AutoInstallation();
    CFlowResult ExportSpeakerData();
    // Writes the current model as an open directivity file chosen through the file port.
    CFlowResult ExportSpeakerSofa();
    // A model read by an import becomes the last and current one; the views hear of it.
    void AdoptImportedModel(std::unique_ptr<CSpeakerModel> model);

    // Every calculation plane back to an uncalculated grid: levels, statistics and colours reset.
    void RebuildAllPlanes();
    // A colour map's band, centre frequency or mode chosen in its lists: `choose` writes the
    // choice into the map's condition and says what changed; a new band or centre rebuilds every
    // plane. One undoable step named `stepName` that marks the project modified; every view
    // hears it. The same choice again changes nothing; refused while a calculation runs.
    enum class EMapChoice { Unchanged, Mode, Band };
    CFlowResult ChooseMapSetting(const char* stepName, const std::function<EMapChoice()>& choose);

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
    void StateChanged() const {
        if (m_stateListener)
            m_stateListener();
    }
    friend class CDocumentView;
    friend class CDocumentLoader;
    friend struct CDocumentState;
    friend class CColorMapViewModel;
    friend class CMapJobs;
    friend class CSoundGraphViewModel;
    friend CMapResult CalculateConditionMap(CDAXDoc& doc, int conditionIndex,
                                            const CMapOptions& options);
    friend CBandOutcome ApplyBandRequest(CDAXDoc& doc, int index, const CBandRequest& request);
    // A view's own entries, for its friends above.
    CColorMapCondition* MapCondition(int index) { return m_conditions.At(index); }
    CSoundGraphCondition* GraphEntry(int index) { return m_graphs.At(index); }
    // Curve 0 of every response entry, nobody told.
    void SetSpectrumCurves(const std::vector<double>& frequencies,
                           const std::vector<double>& levels,
                           const std::vector<CSoundGraphData>& roomCurves = {},
                           const std::vector<std::string>& speechTable = {});
    bool RunCommand(int id);
    // Asks before a save replaces another file or a changed one; false when the user declines.
    bool MayReplace(const std::string& path);
    CFlowResult RunInstallationForm(CInstallationForm& form);
    // After installations went: the automatic layout no longer holds, planes are rebuilt.
    void AfterRemoval();
    // Every installation of the model whose boxes carry more than their tap is brought down to it.
    void LimitArrangedPower(int modelIndex);
    // The taps of a model for the installation dialog's "Tap" row, as the tap list shows them,
    // with the impedance refusal of each the room cannot take for the installation at `index`
    // (-1 for a new one).
    std::vector<CInstallationTapOffer> TapOffers(int modelIndex, int index) const;
    // Every model takes the unit; the calculations that read them end first when one changes.
    void SetModelsUnit(int unit);
    // Tells the views a plane's calculation ended; while they hear another change (a view that
    // calculates as it hears one), after that change.
    void NotifyMapResult(int condition);
    void ClearCurves();
    void ForEachColorMap(void (CColorMapViewModel::*operation)());

    int m_printRowsPerPage = 0;
    int m_printPageCount = 0;
    bool m_legacyFormat = false;
    std::uint32_t m_fileVersion = kCurrentFileVersion;
    CSpeakerModelContainer m_models;
    CInstallationContainer m_room;
    CColorMapConditionList m_conditions;
    CSoundGraphConditionList m_graphs;
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
    std::function<void()> m_stateListener;
    // Created with the project and stopped first when it goes.
    std::unique_ptr<CMapJobs> m_jobs;
};

// True when the path ends in ".dax", ignoring case.
bool IsLegacyPath(const std::string& path);
// The file a project saved under `path` is written to: a legacy ".dax" name becomes ".tdax".
std::string SavedPath(const std::string& path);
