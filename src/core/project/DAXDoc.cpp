#include "project/DAXDoc.h"

#include "common/Units.h"
#include "project/ColorMapViewModel.h"
#include "acoustics/SpectrumJob.h"
#include "project/MapJobs.h"
#include "project/QuantityDisplay.h"
#include "project/Strings.h"

#include <algorithm>
#include <cctype>

bool IsLegacyPath(const std::string& path) {
    if (path.size() < 4)
        return false;
    std::string tail = path.substr(path.size() - 4);
    std::transform(tail.begin(), tail.end(), tail.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    return tail == ".dax";
}

std::string SavedPath(const std::string& path) {
    return IsLegacyPath(path) ? path.substr(0, path.size() - 4) + ".tdax" : path;
}

// A new project starts in the application's unit, like its room, so that its first plane is
// built in that unit too rather than in feet above a metric room.
CDAXDoc::CDAXDoc(int applicationUnit, CDocumentPorts ports)
    : m_room(applicationUnit), m_ports(ports), m_jobs(std::make_unique<CMapJobs>(*this)) {
    m_settings.lengthUnit = applicationUnit == kUnitImperial ? kUnitImperial : kUnitMetric;
}

CDAXDoc::~CDAXDoc() {
    m_jobs.reset(); // the workers leave before anything of the project goes
    m_views.ForEach([](CDocumentView& view) { view.m_document = nullptr; });
}

CDocumentView::CDocumentView(CDAXDoc& document) : m_document(&document) {
    document.m_views.Add(this);
}

CDocumentView::~CDocumentView() {
    if (m_document)
        m_document->m_views.Remove(this);
}

std::vector<EUpdateHint> CDocumentChange::Hints() const {
    std::vector<EUpdateHint> hints;
    if (calculatedCondition >= 0)
        hints.push_back(kHintMapResult);
    if (RemovesEntries())
        hints.push_back(kHintNone);
    if (Acoustics())
        hints.push_back(kHintAcoustics);
    if (Acoustics() || listSettings || currentInstallation)
        hints.push_back(kHintInstallations);
    if (speakerList || arrangement)
        hints.push_back(kHintSpeakers);
    if (speakerList || (currentModel && !arrangement))
        hints.push_back(kHintTaps);
    // Marked points change nothing the maps compute; the hint that repaints without
    // recalculating tells them.
    if (Acoustics() || curves || listeningPoints)
        hints.push_back(kHintResponse);
    // A new arrangement changes the model's taps, refilled after its sound is redrawn.
    if (arrangement && !speakerList)
        hints.push_back(kHintTaps);
    return hints;
}

void CDAXDoc::Notify(const CDocumentChange& change) {
    if (m_step && !change.restored)
        m_step->Heard(change);
    // Before any view hears of it: a view that calculates takes its snapshot at the new count.
    if (change.Acoustics() || change.restored)
        ++m_mapGeneration;
    if (const int removed = change.removedCondition; removed >= 0) {
        m_jobs->ConditionRemoved(removed);
        std::erase(m_pendingResults, removed);
        for (int& pending : m_pendingResults)
            pending -= pending > removed;
    }
    {
        struct CNotifying {
            int& depth;
            explicit CNotifying(int& d) : depth(d) { ++depth; }
            ~CNotifying() { --depth; }
        } notifying(m_notifying);
        for (const EUpdateHint hint : change.Hints()) {
            if (hint == kHintResponse && change.ClearsCurves())
                ClearCurves();
            m_views.ForEach([&](CDocumentView& view) { view.OnUpdate(hint, change); });
        }
    }
    StateChanged();
    while (m_notifying == 0 && !m_pendingResults.empty()) {
        const int condition = m_pendingResults.front();
        m_pendingResults.erase(m_pendingResults.begin());
        Notify(CDocumentChange::MapCalculated(condition));
    }
}

void CDAXDoc::NotifyMapResult(int condition) {
    if (m_notifying == 0) {
        Notify(CDocumentChange::MapCalculated(condition));
        return;
    }
    if (std::find(m_pendingResults.begin(), m_pendingResults.end(), condition) ==
        m_pendingResults.end())
        m_pendingResults.push_back(condition);
}

bool CDAXDoc::SetCurrentModel(int index, ETell tell) {
    if (index < 0 || index >= m_models.Count())
        return false;
    m_models.SetCurrentIndex(index);
    if (tell == ETell::Nobody)
        return true;
    UpdateInstallState();
    Notify(CDocumentChange::CurrentModel());
    return true;
}

bool CDAXDoc::SetCurrentInstallation(int index, EWithModel withModel) {
    if (index < 0 || index >= m_room.Count())
        return false;
    if (!m_room.SetCurrentIndex(index))
        return true;
    if (withModel == EWithModel::Yes) {
        const int model = m_room.At(index)->modelIndex;
        if (model >= 0 && model < m_models.Count())
            m_models.SetCurrentIndex(model);
    }
    Notify(CDocumentChange::CurrentInstallation());
    return true;
}

int CDAXDoc::AppendCondition(CColorMapCondition condition) {
    m_conditions.Append(std::move(condition));
    return m_conditions.Count() - 1;
}

int CDAXDoc::DuplicateCondition(int index) {
    return m_conditions.Duplicate(index) ? m_conditions.Count() - 1 : -1;
}

void CDAXDoc::SetCurrentCondition(int index) {
    if (m_conditions.At(index))
        m_conditions.currentIndex = index;
}

void CDAXDoc::RemoveCondition(int index) {
    m_conditions.Remove(index);
    Notify(CDocumentChange::ConditionRemoved(index));
}

int CDAXDoc::AppendGraph(const CSoundGraphDataList& data) {
    m_graphs.AddGraphCondition(m_graphs.currentIndex, 30, 20, 20, 36, 0, 0, data);
    return m_graphs.Count() - 1;
}

void CDAXDoc::SetCurrentGraph(int index) {
    if (m_graphs.At(index))
        m_graphs.currentIndex = index;
}

void CDAXDoc::RemoveGraph(int index) {
    m_graphs.RemoveGraphCondition(index);
    Notify(CDocumentChange::GraphRemoved(index));
}

void CDAXDoc::SetSpectrumCurves(const std::vector<double>& frequencies,
                                const std::vector<double>& levels,
                                const std::vector<CSoundGraphData>& roomCurves,
                                const std::vector<std::string>& speechTable) {
    const int n = static_cast<int>(std::min(frequencies.size(), levels.size()));
    for (int i = 0; i < m_graphs.Count(); ++i) {
        CSoundGraphCondition& graph = *m_graphs.At(i);
        graph.data.SetCurve(0, n > 0 ? n : 1, n > 0 ? frequencies.data() : nullptr,
                            n > 0 ? levels.data() : nullptr);
        graph.roomCurves = roomCurves;
        graph.speechTable = speechTable;
    }
}

void CDAXDoc::ShowSpectrum(const std::vector<double>& frequencies,
                           const std::vector<double>& levels,
                           const std::vector<CSoundGraphData>& roomCurves,
                           const std::vector<std::string>& speechTable) {
    SetSpectrumCurves(frequencies, levels, roomCurves, speechTable);
    Notify(CDocumentChange::Curves());
}

void CDAXDoc::ShowSpectrum(const CSpectrumAtPoint& spectrum) {
    const std::vector<double>& centres = spectrum.centres;
    // With room acoustics the reverberant field and the total join the direct sound.
    std::vector<CSoundGraphData> room;
    if (!spectrum.reverberant.empty() && spectrum.reverberant.size() == centres.size()) {
        std::vector<double> total(centres.size());
        for (std::size_t i = 0; i < centres.size(); ++i)
            total[i] = EnergySum(spectrum.levels[i], spectrum.reverberant[i]);
        room.resize(2);
        room[0].name = Strings::kCurveReverberant;
        room[0].SetPoints(static_cast<int>(centres.size()), centres.data(),
                          spectrum.reverberant.data());
        room[1].name = Strings::kCurveTotal;
        room[1].SetPoints(static_cast<int>(centres.size()), centres.data(), total.data());
    }
    // On a speech map, the octave table at the point.
    std::vector<std::string> table;
    if (spectrum.speech)
        table = SpeechTableLines(*spectrum.speech);
    ShowSpectrum(centres, spectrum.levels, room, table);
}

void CDAXDoc::ClearCurves() {
    for (int i = 0; i < m_graphs.Count(); ++i) {
        m_graphs.At(i)->data.ClearCurve(0);
        m_graphs.At(i)->roomCurves.clear();
        m_graphs.At(i)->speechTable.clear();
    }
}

void CDAXDoc::StandardRefresh() {
    Notify(CDocumentChange::Installations());
    SetModified();
}

void CDAXDoc::SetPathName(const std::string& path) {
    m_path = path;
    m_legacyFormat = IsLegacyPath(path);
}

bool CDAXDoc::AllPlanesHorizontal() const {
    for (int i = 0; i < m_conditions.Count(); ++i)
        if (!m_conditions.At(i)->plane.IsParallelToXY())
            return false;
    return true;
}

void CDAXDoc::UpdateInstallState() {
    if (!HasInstallations())
        return;
    const CSpeakerModel* current = CurrentModel();
    const int firstModel = m_room.At(0)->modelIndex;
    if (!current || firstModel < 0 || firstModel >= m_models.Count())
        return;
    m_settings.installState =
        m_models.At(firstModel).Header().pointsPerOctave == current->Header().pointsPerOctave ? 2
                                                                                              : 0;
}

void CDAXDoc::ReplaceSettings(CProjectSettings settings) {
    m_settings = std::move(settings);
    SetModelsUnit(m_settings.lengthUnit);
}

void CDAXDoc::SetAdvancedMode(int mode) {
    if (mode < 0 || mode > 2)
        throw CInvalidArgument("advanced mode " + std::to_string(mode) + " is neither 0 nor 2");
    if (mode == m_settings.advancedMode)
        return;
    m_settings.advancedMode = mode;
    Notify(CDocumentChange::ListSettings());
}

void CDAXDoc::SetNewProjectUnit(int unit) {
    m_settings.lengthUnit = unit == kUnitImperial ? kUnitImperial : kUnitMetric;
    SetModelsUnit(m_settings.lengthUnit);
}

void CDAXDoc::SetModelsUnit(int unit) {
    // The models are shared with the running jobs, which read their unit.
    for (int i = 0; i < m_models.Count(); ++i)
        if (m_models.At(i).Settings().lengthUnit != unit) {
            m_jobs->Cancel();
            m_models.SetLengthUnit(unit);
            return;
        }
}

void CDAXDoc::RebuildAllPlanes() {
    ++m_mapGeneration; // what is being calculated for the old grids is of no use
    for (int i = 0; i < m_conditions.Count(); ++i)
        m_conditions.At(i)->plane.Rebuild();
}

bool CDAXDoc::StoreSpectrum(std::uint64_t generation, const CSpectrumAtPoint& spectrum) {
    if (generation != m_mapGeneration)
        return false;
    ShowSpectrum(spectrum);
    return true;
}

bool CDAXDoc::IsCalculating() const {
    return m_jobs->Running();
}

bool CDAXDoc::StoreMapResult(int index, std::uint64_t generation, const CMapJobResult& result) {
    CColorMapCondition* condition = m_conditions.At(index);
    if (!condition)
        return false;
    if (generation != m_mapGeneration) {
        // Computed from a project that has changed since. Unless a newer job computes the plane
        // already, it shows the state it had before.
        if (!m_jobs->Running(index))
            condition->plane.calculating = false;
        NotifyMapResult(index);
        return false;
    }
    ::StoreMapResult(condition->plane, result);
    NotifyMapResult(index);
    if (result.status == ECalcStatus::Failed)
        Messages().ReportError("The map could not be calculated: " + result.reason + ".");
    return true;
}

void CDAXDoc::ForEachColorMap(void (CColorMapViewModel::*operation)()) {
    m_mapViews.ForEach([&](CColorMapViewModel& view) { (view.*operation)(); });
}

bool CDAXDoc::MayReplace(const std::string& path) {
    const std::optional<CFileStamp> now = Storage().Stamp(path);
    if (!now || !now->exists)
        return true;
    const bool ownFile = path == m_stampPath && m_stamp;
    if (ownFile && *now == *m_stamp)
        return true;
    const CMessagePort::EReplace why =
        ownFile ? CMessagePort::EReplace::ChangedOnDisk : CMessagePort::EReplace::OtherFile;
    std::string text = ownFile ? Strings::kReplaceChangedFile : Strings::kReplaceOtherFile;
    text.replace(text.find("%1"), 2, path);
    return Messages().ConfirmReplace(why, path, text);
}

bool CDAXDoc::SaveProject() {
    m_legacyFormat = IsLegacyPath(m_path);
    const bool wasLegacy = m_legacyFormat;
    std::string path = SavedPath(m_path);
    // Every port the save may need is there before anything is asked or written.
    CProjectStorage& storage = Storage();
    CMessagePort& messages = Messages();
    if (path.empty()) {
        const std::optional<std::string> chosen = Files().ChooseProjectName(m_settings.projectName);
        if (!chosen)
            return false;
        path = *chosen;
    }
    // The new extension must not silently replace an unrelated project of that name, nor a save
    // undo what someone else wrote since this project was read.
    if (!MayReplace(path))
        return false;
    std::string error;
    if (!storage.Save(*this, path, error)) {
        messages.ReportError("The project could not be saved to " + path + ": " + error);
        return false;
    }
    m_path = path;
    m_legacyFormat = false;
    SetDiskStamp(path, storage.Stamp(path));
    m_fileVersion = kCurrentFileVersion;
    SetModified(false);
    m_jobs->Saved();
    if (wasLegacy) {
        messages.Beep();
        messages.Inform(Strings::kSavedWithNewExtension);
    }
    return true;
}

bool CDAXDoc::DoSave(const std::string& path) {
    if (IsLegacyPath(path)) {
        Messages().ErrorBeep();
        if (!Messages().AskWarning(Strings::kAskNewExtension))
            return false;
    }
    // A save that is declined or fails leaves the project under the name it had, so the next
    // Save does not go to a file the user chose not to replace.
    const std::string previousPath = m_path;
    const bool previousLegacy = m_legacyFormat;
    m_path = path;
    if (SaveProject())
        return true;
    m_path = previousPath;
    m_legacyFormat = previousLegacy;
    return false;
}

bool CDAXDoc::OnCloseDocument() {
    m_jobs->Cancel();
    m_settings.autoLayoutValid = 0;
    m_models.RemoveAll();
    return true;
}
