#include "project/DAXDoc.h"

#include "common/Units.h"
#include "project/ColorMapViewModel.h"
#include "project/MapJobs.h"
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
    : room(applicationUnit), m_ports(ports), m_jobs(std::make_unique<CMapJobs>(*this)) {
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
    if (Acoustics() || curves)
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

void CDAXDoc::ClearCurves() {
    for (int i = 0; i < graphs.Count(); ++i)
        graphs.At(i)->data.ClearCurve(0);
}

void CDAXDoc::StandardRefresh() {
    Notify(CDocumentChange::Installations());
    SetModified();
}

void CDAXDoc::SetPathName(const std::string& path) {
    m_path = path;
    legacyFormat = IsLegacyPath(path);
}

bool CDAXDoc::AllPlanesHorizontal() const {
    for (int i = 0; i < conditions.Count(); ++i)
        if (!conditions.At(i)->plane.IsParallelToXY())
            return false;
    return true;
}

void CDAXDoc::UpdateInstallState() {
    if (!HasInstallations())
        return;
    const CSpeakerModel* current = CurrentModel();
    const int firstModel = room.At(0)->modelIndex;
    if (!current || firstModel < 0 || firstModel >= models.Count())
        return;
    m_settings.installState =
        models.At(firstModel).Header().pointsPerOctave == current->Header().pointsPerOctave ? 2 : 0;
}

void CDAXDoc::ReplaceSettings(CProjectSettings settings) {
    m_settings = std::move(settings);
    SetModelsUnit(m_settings.lengthUnit);
}

void CDAXDoc::SetModelsUnit(int unit) {
    // The models are shared with the running jobs, which read their unit.
    for (int i = 0; i < models.Count(); ++i)
        if (models.At(i).Settings().lengthUnit != unit) {
            m_jobs->Cancel();
            models.SetLengthUnit(unit);
            return;
        }
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

void CDAXDoc::RebuildAllPlanes() {
    ++m_mapGeneration; // what is being calculated for the old grids is of no use
    for (int i = 0; i < conditions.Count(); ++i)
        conditions.At(i)->plane.Rebuild();
}

bool CDAXDoc::StoreSpectrum(std::uint64_t generation, const std::vector<double>& centres,
                            const std::vector<double>& levels) {
    if (generation != m_mapGeneration || centres.size() != levels.size())
        return false;
    for (int i = 0; i < graphs.Count(); ++i)
        graphs.At(i)->data.SetCurve(0, static_cast<int>(centres.size()), centres.data(),
                                    levels.data());
    Notify(CDocumentChange::Curves());
    return true;
}

bool CDAXDoc::IsCalculating() const {
    return m_jobs->Running();
}

bool CDAXDoc::StoreMapResult(int index, std::uint64_t generation, const CMapJobResult& result) {
    CColorMapCondition* condition = conditions.At(index);
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
    legacyFormat = IsLegacyPath(m_path);
    const bool wasLegacy = legacyFormat;
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
    legacyFormat = false;
    SetDiskStamp(path, storage.Stamp(path));
    fileVersion = kCurrentFileVersion;
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
    const bool previousLegacy = legacyFormat;
    m_path = path;
    if (SaveProject())
        return true;
    m_path = previousPath;
    legacyFormat = previousLegacy;
    return false;
}

bool CDAXDoc::OnCloseDocument() {
    m_jobs->Cancel();
    m_settings.autoLayoutValid = 0;
    models.RemoveAll();
    return true;
}
