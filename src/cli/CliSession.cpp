#include "CliSession.h"

#include "project/ListViewModels.h"

#include "common/FileSafety.h"
#include "project/Strings.h"
#include "project/forms/AutoInstallationForm.h"
#include "project/forms/InstallationForm.h"
#include "project/forms/RoomParametersForm.h"

#include <csignal>
#include <cstdio>
#include <iostream>
#include <unistd.h>

namespace {
volatile std::sig_atomic_t g_interrupted = 0;
void OnInterrupt(int) {
    g_interrupted = 1;
}
} // namespace

bool CCliMessages::Confirm(const std::string& text) {
    asked.push_back(text);
    return confirmAnswer;
}

void CCliMessages::Inform(const std::string& text) {
    std::cerr << text << "\n";
}

bool CCliMessages::AskWarning(const std::string& text) {
    asked.push_back(text);
    return true;
}

void CCliMessages::ReportError(const std::string& text) {
    errors.push_back(text);
}

bool CCliMessages::ConfirmReplace(EReplace why, const std::string& file, const std::string& text) {
    asked.push_back(text);
    if (why == EReplace::OtherFile) {
        if (replaceOtherFile)
            return true;
        refusal = file + " already exists and is not the project this command read; nothing was "
                         "saved (use --force to replace it)";
        return false;
    }
    refusal = file + " was changed by another program since this command read it; nothing was "
                     "saved (run the command again on the new contents)";
    return false;
}

bool CCliDialogs::RunInstallation(CInstallationForm& form) {
    return installation && installation(form);
}
bool CCliDialogs::RunPreferences(CPreferencesForm&) {
    return false;
}
ERoomParametersAnswer CCliDialogs::RunRoomParameters(CRoomParametersForm& form) {
    return roomParameters ? roomParameters(form) : ERoomParametersAnswer::Cancel;
}
bool CCliDialogs::RunVd1Export(CVd1ExportForm&) {
    return false;
}
bool CCliDialogs::RunInitialSettings(CInitialSettingsForm&) {
    return false;
}
bool CCliDialogs::RunSurfacesAndAir(CSurfacesAndAirForm&) {
    return false;
}
// The command line aligns through the document's operation, with its own options.
bool CCliDialogs::RunAlignDelays(CAlignDelaysForm&) {
    return false;
}
bool CCliDialogs::RunAutoInstallation(CAutoInstallationForm& form) {
    return autoInstallation && autoInstallation(form);
}

CCliProgress::CCliProgress() : m_terminal(::isatty(2) != 0) {
    g_interrupted = 0;
    m_previousHandler = std::signal(SIGINT, OnInterrupt);
}

CCliProgress::~CCliProgress() {
    std::signal(SIGINT, m_previousHandler == SIG_ERR ? SIG_DFL : m_previousHandler);
    if (m_terminal && m_lastPercent >= 0)
        std::fprintf(stderr, "\r%*s\r", 72, "");
}

void CCliProgress::SetRange(long long lower, long long upper) {
    m_lower = lower;
    m_upper = upper;
}

void CCliProgress::SetPos(long long position) {
    m_position = position;
    Draw(false);
}

bool CCliProgress::PumpAndCheck() {
    return g_interrupted == 0;
}

void CCliProgress::Draw(bool force) {
    if (!m_terminal || m_upper <= m_lower)
        return;
    const int percent = static_cast<int>(100 * (m_position - m_lower) / (m_upper - m_lower));
    if (!force && percent == m_lastPercent)
        return;
    m_lastPercent = percent;
    const int width = 40, filled = width * std::clamp(percent, 0, 100) / 100;
    std::fprintf(stderr, "\r%s [%s%s] %3d%%", m_text.c_str(),
                 std::string(static_cast<std::size_t>(filled), '#').c_str(),
                 std::string(static_cast<std::size_t>(width - filled), ' ').c_str(), percent);
    std::fflush(stderr);
}

int CCliSettings::ReadInt(const std::string& section, const std::string& key, int fallback) {
    if (section == SettingsKeys::kLengthUnitSection && key == SettingsKeys::kLengthUnit)
        return lengthUnit;
    return fallback;
}

CDocumentPorts CCliSession::Ports() {
    CDocumentPorts ports;
    ports.messages = &messages;
    ports.dialogs = &dialogs;
    ports.progress = &progress;
    ports.storage = &storage;
    ports.settings = &settings;
    ports.arrangement = arrangement;
    return ports;
}

namespace {
void RequireName(const std::string& path) {
    if (path.empty())
        throw CCliError("the project file name is empty");
}
} // namespace

void CCliSession::Lock(const std::string& path) {
    RequireName(path);
    constexpr std::chrono::seconds kWait(5);
    std::string error;
    if (!m_lock.Acquire(path, kWait, error))
        throw CCliError(error);
    if (IsLegacyPath(path) && !m_newNameLock.Acquire(SavedPath(path), kWait, error))
        throw CCliError(error);
    // The folder would let the save replace it; the file's owner said it is not to change.
    if (const std::string written = SavedPath(path); FileSafety::IsReadOnly(written))
        throw CCliError(written + " is read-only; nothing was changed (make it writable to let "
                                  "daxara-cli save it)");
}

void CCliSession::Open(const std::string& path) {
    RequireName(path);
    doc = std::make_unique<CDAXDoc>(0, Ports());
    std::string error, notice;
    if (!ProjectFile::Open(path, *doc, error, &notice))
        throw CCliError(path + ": " + error);
    // A file of an unknown version opens empty; writing it back would destroy it.
    if (!notice.empty())
        throw CCliError(path + ": " + notice);
    settings.lengthUnit = doc->Settings().lengthUnit;
}

void CCliSession::Create(int unit) {
    settings.lengthUnit = unit;
    doc = std::make_unique<CDAXDoc>(unit, Ports());
}

void CCliSession::Save(const std::string& path) {
    const std::size_t before = messages.errors.size();
    if (!doc->DoSave(path)) {
        if (!messages.refusal.empty())
            throw CCliError(messages.refusal);
        throw CCliError(messages.errors.size() > before ? messages.errors.back()
                                                        : "the project was not saved");
    }
}

void CCliSession::ThrowIfErrors(const std::string& context) {
    if (!messages.errors.empty())
        throw CCliError(context + messages.errors.front());
}

void CCliSession::ThrowNotDone(const std::string& refusal, bool atSameSpot,
                               const std::string& sameSpot, const std::string& nothing) {
    if (!refusal.empty())
        throw CCliError(refusal);
    ThrowIfErrors("");
    if (atSameSpot)
        throw CCliError(sameSpot);
    throw CCliError(messages.asked.empty() ? nothing : messages.asked.back());
}

CVec3 ToVec3(const std::vector<double>& values, const char* what) {
    if (values.size() != 3)
        throw CCliError(std::string(what) + " needs three comma-separated numbers");
    return {values[0], values[1], values[2]};
}

void SelectModel(CDAXDoc& doc, std::optional<int> model, const char* option) {
    if (doc.Models().Count() == 0)
        throw CCliError("the project has no speaker data; import some first");
    if (!model)
        return;
    if (*model < 0 || *model >= doc.Models().Count())
        throw CCliError(std::string(option) + " must lie between 0 and " +
                        std::to_string(doc.Models().Count() - 1) +
                        " (the project's models); model " + std::to_string(*model) +
                        " does not exist");
    // As a click on the speaker list makes it current.
    SelectSpeaker(doc, *model);
}
