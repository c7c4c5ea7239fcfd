#pragma once

#include "common/Errors.h"
#include "common/FileSafety.h"

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

class CProgressDialog1;
class CInstallationForm;
class CPreferencesForm;
class CRoomParametersForm;
class CAutoInstallationForm;
class CVd1ExportForm;
class CInitialSettingsForm;
class CAlignDelaysForm;
class CSurfacesAndAirForm;
class CModuleArrangementPort;
class CDAXDoc;

// The small dialogs and notices of the document's flows. The desktop program shows real dialogs,
// the command-line tool answers from its arguments, the tests script the answers.
class CMessagePort {
public:
    virtual ~CMessagePort() = default;
    // The OK/Cancel message dialog; true for OK.
    virtual bool Confirm(const std::string& text) = 0;
    // A notice with an OK button.
    virtual void Inform(const std::string& text) = 0;
    // A warning with OK and Cancel (exclamation icon); true for OK.
    virtual bool AskWarning(const std::string& text) = 0;
    // Something failed; the text says what and why.
    virtual void ReportError(const std::string& text) = 0;
    // A save would replace `file`: one that is not the file the project was read from, or the
    // project's own file changed on disk since it was read. `text` is the question; true for OK.
    enum class EReplace { OtherFile, ChangedOnDisk };
    virtual bool ConfirmReplace(EReplace why, const std::string& file, const std::string& text) {
        (void)why;
        (void)file;
        return Confirm(text);
    }
    virtual void Beep() {}
    virtual void ErrorBeep() {}
};

// A dialog the port closed with OK: its form checks the entries again, since a port (a script, a
// test) may confirm what the desktop dialog would have refused. The refusal is reported and the
// caller changes nothing; true when the form accepted.
template <class Form> bool AcceptAnswer(Form& form, CMessagePort& messages) {
    std::string message;
    if (form.Accept(&message))
        return true;
    messages.ReportError(message);
    return false;
}

// How the Room Parameters dialog ended. Again: it is to be shown once more at once (the user
// asked for it to be redrawn with other rows).
enum class ERoomParametersAnswer { Ok, Cancel, Again };

// Runs a dialog over its form; true when the user confirmed it (the form then holds the result).
// Every dialog is the port's to answer: a port that forgot one does not compile, rather than
// quietly answering Cancel.
class CDialogPort {
public:
    virtual ~CDialogPort() = default;
    virtual bool RunInstallation(CInstallationForm& form) = 0;
    virtual bool RunPreferences(CPreferencesForm& form) = 0;
    // Closing the window is Cancel.
    virtual ERoomParametersAnswer RunRoomParameters(CRoomParametersForm& form) = 0;
    virtual bool RunAutoInstallation(CAutoInstallationForm& form) = 0;
    virtual bool RunVd1Export(CVd1ExportForm& form) = 0;
    virtual bool RunInitialSettings(CInitialSettingsForm& form) = 0;
    virtual bool RunAlignDelays(CAlignDelaysForm& form) = 0;
    // Room > Surfaces and Air: the room acoustics and the background noise.
    virtual bool RunSurfacesAndAir(CSurfacesAndAirForm& form) = 0;
};

class CFilePort {
public:
    virtual ~CFilePort() = default;
    // A speaker data file to import, or nothing when the user cancels.
    virtual std::optional<std::string> ChooseSpeakerFile() = 0;
    // A file name to save the project under, or nothing when the user cancels.
    virtual std::optional<std::string> ChooseProjectName(const std::string& suggestion) = 0;
    // A file name for a model's open directivity file (.sofa), or nothing when cancelled.
    virtual std::optional<std::string> ChooseSofaExportName(const std::string& suggestion) {
        (void)suggestion;
        return std::nullopt;
    }
};

class CProgressFactory {
public:
    virtual ~CProgressFactory() = default;
    // A progress dialog for one long operation; nullptr runs without one.
    virtual std::unique_ptr<CProgressDialog1> CreateProgress() = 0;
};

// Where a front end that keeps its window responsive runs the calculations: in the background.
// The document starts a job and tells this port, which then calls CMapJobs::Poll on the window's
// own thread (a timer) until it answers that nothing runs; Poll stores the results through the
// document. Without this port a calculation is waited for where it is asked (the command-line
// tool, tests), with the progress factory's dialog informed.
class CCalculationHost {
public:
    virtual ~CCalculationHost() = default;
    virtual void CalculationStarted() = 0;
};

// Writes and reads the project file; the file format lives behind this port.
class CProjectStorage {
public:
    virtual ~CProjectStorage() = default;
    virtual bool Save(const CDAXDoc& document, const std::string& path, std::string& error) = 0;
    // The file at path as it is now, for telling whether a save would replace something it
    // should not; nullopt when this storage cannot tell (nothing is then asked).
    virtual std::optional<CFileStamp> Stamp(const std::string& path) {
        (void)path;
        return std::nullopt;
    }
};

// The settings file: one integer key per section. Reading a missing key gives the fallback.
class CSettingsPort {
public:
    virtual ~CSettingsPort() = default;
    virtual int ReadInt(const std::string& section, const std::string& key, int fallback) = 0;
    virtual void WriteInt(const std::string& section, const std::string& key, int value) = 0;
    // A line of text (UTF-8); a store that keeps numbers only gives the fallback and keeps
    // nothing.
    virtual std::string ReadText(const std::string& section, const std::string& key,
                                 const std::string& fallback) {
        (void)section, (void)key;
        return fallback;
    }
    virtual void WriteText(const std::string& section, const std::string& key,
                           const std::string& value) {
        (void)section, (void)key, (void)value;
    }
};

// Sections and keys of the settings file.
namespace SettingsKeys {
inline constexpr const char* kLengthUnitSection = "LENGTH_UNIT";
inline constexpr const char* kLengthUnit = "LengthUnit";
inline constexpr const char* kFirstTimeSection = "IS_APP_FIRST_TIME";
inline constexpr const char* kFirstTime = "IsAppFirstTime";
inline constexpr const char* kDeveloperSection = "DEVELOPER_ID";
inline constexpr const char* kDeveloper = "DeveloperID";
inline constexpr const char* kSpecialUserSection = "SPECIALUSERLEVEL";
inline constexpr const char* kSpecialUser = "SpecialUserLevel";
// Who makes the reports: the person's identity, the same for every project they report on.
inline constexpr const char* kPlannerSection = "REPORT_PLANNER";
inline constexpr const char* kPlanner = "Planner";
inline constexpr const char* kCompanySection = "REPORT_COMPANY";
inline constexpr const char* kCompany = "Company";
} // namespace SettingsKeys

// A flow needed a port its document was not given. That is a fault of whoever set the document
// up, so it is not taken for the user's Cancel: the flow ends with this error, before it changed
// anything.
class CMissingPort : public CProgrammingError {
public:
    explicit CMissingPort(const std::string& port)
        : CProgrammingError("the project has no " + port + " to ask") {}
};

// The port, or CMissingPort naming it.
template <class Port> Port& RequirePort(Port* port, const char* name) {
    if (!port)
        throw CMissingPort(name);
    return *port;
}

// Everything a document needs from the outside. The messages, dialogs, files and storage are
// required by the flows that use them (CMissingPort otherwise); without a progress factory long
// operations run without a progress dialog, without settings the defaults stand, and the module
// arrangement is required by the one command that arranges; without a calculation host the
// calculations are waited for.
struct CDocumentPorts {
    CMessagePort* messages = nullptr;
    CDialogPort* dialogs = nullptr;
    CFilePort* files = nullptr;
    CProgressFactory* progress = nullptr;
    CProjectStorage* storage = nullptr;
    CModuleArrangementPort* arrangement = nullptr;
    CSettingsPort* settings = nullptr;
    CCalculationHost* calculations = nullptr;
};
