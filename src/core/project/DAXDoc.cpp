#include "project/DAXDoc.h"

#include "common/Units.h"
#include "project/ColorMapViewModel.h"
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
    : m_room(applicationUnit), m_ports(ports) {
    m_settings.lengthUnit = applicationUnit == kUnitImperial ? kUnitImperial : kUnitMetric;
}

CDAXDoc::~CDAXDoc() {
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
    for (const EUpdateHint hint : change.Hints()) {
        if (hint == kHintResponse && change.ClearsCurves())
            ClearCurves();
        m_views.ForEach([&](CDocumentView& view) { view.OnUpdate(hint, change); });
    }
    StateChanged();
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
    m_models.SetLengthUnit(m_settings.lengthUnit);
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
    m_models.SetLengthUnit(m_settings.lengthUnit);
}

void CDAXDoc::RebuildAllPlanes() {
    if (m_calculating)
        return;
    for (int i = 0; i < m_conditions.Count(); ++i)
        m_conditions.At(i)->plane.Rebuild();
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
    if (m_calculating)
        return false;
    m_settings.autoLayoutValid = 0;
    m_models.RemoveAll();
    return true;
}
