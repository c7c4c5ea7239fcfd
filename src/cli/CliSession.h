#pragma once

#include "common/ProgressDialog1.h"
#include "project/DAXDoc.h"
#include "project/Ports.h"
#include "project/ProjectFile.h"

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// An error the user must see; the command ends with a non-zero status and saves nothing.
class CCliError : public std::runtime_error {
public:
    explicit CCliError(const std::string& what) : std::runtime_error(what) {}
};

// Messages answered from the command line: confirmations take a fixed answer, notices and
// errors go to standard error, errors are also kept so the command can fail.
class CCliMessages : public CMessagePort {
public:
    bool confirmAnswer = true;
    // Whether a save may replace a file that is not the project it read (--force).
    bool replaceOtherFile = false;
    std::vector<std::string> errors;
    std::vector<std::string> asked;
    // Why a save was declined, in the command line's words.
    std::string refusal;

    bool Confirm(const std::string& text) override;
    void Inform(const std::string& text) override;
    bool AskWarning(const std::string& text) override;
    void ReportError(const std::string& text) override;
    bool ConfirmReplace(EReplace why, const std::string& file, const std::string& text) override;
};

// Dialogs answered by the running command: each fills its form from the arguments.
class CCliDialogs : public CDialogPort {
public:
    std::function<bool(CInstallationForm&)> installation;
    std::function<ERoomParametersAnswer(CRoomParametersForm&)> roomParameters;
    std::function<bool(CAutoInstallationForm&)> autoInstallation;

    bool RunInstallation(CInstallationForm& form) override;
    bool RunPreferences(CPreferencesForm& form) override;
    ERoomParametersAnswer RunRoomParameters(CRoomParametersForm& form) override;
    bool RunAutoInstallation(CAutoInstallationForm& form) override;
    // Not reachable from the command line; declined.
    bool RunVd1Export(CVd1ExportForm& form) override;
    bool RunInitialSettings(CInitialSettingsForm& form) override;
    // The acoustics command sets the room acoustics itself.
    bool RunSurfacesAndAir(CSurfacesAndAirForm& form) override;
    bool RunAlignDelays(CAlignDelaysForm& form) override;
};

// A progress bar on standard error when it is a terminal; Ctrl-C stops a calculation.
class CCliProgress : public CProgressDialog1 {
public:
    CCliProgress();
    ~CCliProgress() override;
    void SetText(const std::string& text) override { m_text = text; }
    void SetRange(long long lower, long long upper) override;
    void SetPos(long long position) override;
    bool PumpAndCheck() override;

private:
    void Draw(bool force);
    std::string m_text;
    long long m_lower = 0, m_upper = 0, m_position = 0;
    int m_lastPercent = -1;
    bool m_terminal;
    void (*m_previousHandler)(int) = nullptr;
};

class CCliProgressFactory : public CProgressFactory {
public:
    std::unique_ptr<CProgressDialog1> CreateProgress() override {
        return std::make_unique<CCliProgress>();
    }
};

// The application settings the command line provides: the unit of new projects.
class CCliSettings : public CSettingsPort {
public:
    int lengthUnit = 0;
    int ReadInt(const std::string& section, const std::string& key, int fallback) override;
    void WriteInt(const std::string&, const std::string&, int) override {}
};

// Shows a dialog's advanced rows for one command when its options need them; the project keeps
// its own setting.
class CAdvancedRows {
public:
    CAdvancedRows(CDAXDoc& doc, bool needed) : m_doc(doc) { doc.ShowAllFormRows(needed); }
    ~CAdvancedRows() { Restore(); }
    void Restore() const { m_doc.ShowAllFormRows(false); }
    CAdvancedRows(const CAdvancedRows&) = delete;
    CAdvancedRows& operator=(const CAdvancedRows&) = delete;

private:
    CDAXDoc& m_doc;
};

// Makes the chosen model current, as selecting it in the speaker list does; fails without
// speaker data or for a model the project does not hold, naming the option that chose it.
void SelectModel(CDAXDoc& doc, std::optional<int> model, const char* option = "--model");

// One project opened or created by a command, wired to the command-line ports.
class CCliSession {
public:
    CCliMessages messages;
    CCliDialogs dialogs;
    CCliProgressFactory progress;
    CCliSettings settings;
    CProjectFileStorage storage;
    // How line arrays are arranged, for the commands that arrange them.
    CModuleArrangementPort* arrangement = nullptr;
    std::unique_ptr<CDAXDoc> doc;

    // Takes the project's lock (and that of the .tdax a .dax project is saved as) for the rest of
    // the command; waits briefly for another command, then fails with CCliError, as it does for
    // a file the save would replace that its owner made read-only.
    void Lock(const std::string& path);
    // Opens an existing project; throws CCliError when it cannot be read.
    void Open(const std::string& path);
    // Lock, then Open: for commands that save.
    void OpenForWriting(const std::string& path) {
        Lock(path);
        Open(path);
    }
    // A new, empty project in the given unit.
    void Create(int unit);
    // Saves to the project's path (atomically); throws CCliError on failure.
    void Save(const std::string& path);
    // Fails with the first error a document flow reported.
    void ThrowIfErrors(const std::string& context);
    // A flow through a form that did not do its work, said in the command line's words: the
    // form's refusal, else the first error reported, else `sameSpot` when the same-spot question
    // stopped it, else the last question asked, else `nothing`.
    [[noreturn]] void ThrowNotDone(const std::string& refusal, bool atSameSpot,
                                   const std::string& sameSpot, const std::string& nothing);

private:
    CDocumentPorts Ports();
    CProjectLock m_lock, m_newNameLock;
};

// "X,Y,Z" style lists of numbers (the parsing is done by CLI11; this checks the count).
CVec3 ToVec3(const std::vector<double>& values, const char* what);
