#pragma once

#include "ProjectBuilder.h"
#include "SceneFixtures.h"
#include "SpeakerFixtures.h"
#include "common/ProgressDialog1.h"
#include "project/DAXDoc.h"
#include "project/Ports.h"
#include "project/forms/AlignDelaysForm.h"
#include "project/forms/AutoInstallationForm.h"
#include "project/forms/InitialSettingsForm.h"
#include "project/forms/InstallationForm.h"
#include "project/forms/PreferencesForm.h"
#include "project/forms/RoomParametersForm.h"
#include "project/forms/SurfacesAndAirForm.h"
#include "project/forms/Vd1ExportForm.h"

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

// Messages answered from a script: each question takes the next answer (OK when none is left).
class CScriptedMessages : public CMessagePort {
public:
    std::deque<bool> answers;
    std::vector<std::string> asked, informed, errors;
    int beeps = 0;

    bool Confirm(const std::string& text) override { return Next(text); }
    void Inform(const std::string& text) override { informed.push_back(text); }
    bool AskWarning(const std::string& text) override { return Next(text); }
    void ReportError(const std::string& text) override { errors.push_back(text); }
    void Beep() override { ++beeps; }
    void ErrorBeep() override { ++beeps; }

private:
    bool Next(const std::string& text) {
        asked.push_back(text);
        if (answers.empty())
            return true;
        const bool a = answers.front();
        answers.pop_front();
        return a;
    }
};

// Dialogs played by a test: each runs a function on the form and returns its answer.
class CScriptedDialogs : public CDialogPort {
public:
    std::function<bool(CInstallationForm&)> installation = [](CInstallationForm&) { return true; };
    std::function<bool(CPreferencesForm&)> preferences = [](CPreferencesForm&) { return true; };
    // The desktop dialogs only close on OK once their form accepts; these do the same.
    std::function<ERoomParametersAnswer(CRoomParametersForm&)> roomParameters =
        [](CRoomParametersForm& form) {
            return form.Accept() ? ERoomParametersAnswer::Ok : ERoomParametersAnswer::Cancel;
        };
    std::function<bool(CAutoInstallationForm&)> autoInstallation = [](CAutoInstallationForm&) {
        return true;
    };
    std::function<bool(CVd1ExportForm&)> vd1Export = [](CVd1ExportForm&) { return true; };
    std::function<bool(CInitialSettingsForm&)> initialSettings = [](CInitialSettingsForm&) {
        return true;
    };
    std::function<bool(CSurfacesAndAirForm&)> surfacesAndAir = [](CSurfacesAndAirForm&) {
        return true;
    };
    std::function<bool(CAlignDelaysForm&)> alignDelays = [](CAlignDelaysForm& form) {
        return form.Accept();
    };
    int installationRuns = 0;
    int roomParametersRuns = 0;
    int autoInstallationRuns = 0;
    int vd1ExportRuns = 0;

    bool RunInstallation(CInstallationForm& form) override {
        ++installationRuns;
        return installation(form);
    }
    bool RunPreferences(CPreferencesForm& form) override { return preferences(form); }
    bool RunAlignDelays(CAlignDelaysForm& form) override { return alignDelays(form); }
    ERoomParametersAnswer RunRoomParameters(CRoomParametersForm& form) override {
        ++roomParametersRuns;
        return roomParameters(form);
    }
    bool RunAutoInstallation(CAutoInstallationForm& form) override {
        ++autoInstallationRuns;
        return autoInstallation(form);
    }
    bool RunVd1Export(CVd1ExportForm& form) override {
        ++vd1ExportRuns;
        return vd1Export(form);
    }
    bool RunInitialSettings(CInitialSettingsForm& form) override { return initialSettings(form); }
    bool RunSurfacesAndAir(CSurfacesAndAirForm& form) override { return surfacesAndAir(form); }
};

// A settings file in memory; `writes` records every write in order as "SECTION/Key=value".
class CMemorySettings : public CSettingsPort {
public:
    std::map<std::string, int> values; // "SECTION/Key"
    std::vector<std::string> writes;

    int ReadInt(const std::string& section, const std::string& key, int fallback) override {
        const auto it = values.find(section + "/" + key);
        return it == values.end() ? fallback : it->second;
    }
    void WriteInt(const std::string& section, const std::string& key, int value) override {
        values[section + "/" + key] = value;
        writes.push_back(section + "/" + key + "=" + std::to_string(value));
    }
    std::map<std::string, std::string> texts;
    std::string ReadText(const std::string& section, const std::string& key,
                         const std::string& fallback) override {
        const auto it = texts.find(section + "/" + key);
        return it == texts.end() ? fallback : it->second;
    }
    void WriteText(const std::string& section, const std::string& key,
                   const std::string& value) override {
        texts[section + "/" + key] = value;
        writes.push_back(section + "/" + key + "=" + value);
    }
};

// Keeps saved projects in memory; can be told to fail.
class CMemoryStorage : public CProjectStorage {
public:
    std::map<std::string, int> saves;
    bool fail = false;
    bool Save(const CDAXDoc&, const std::string& path, std::string& error) override {
        if (fail) {
            error = "disk full";
            return false;
        }
        ++saves[path];
        return true;
    }
};

// Calculations in the background, as the desktop program runs them: the document starts jobs and
// the test polls them with PollUntilDone, as the window's timer would.
class CBackgroundCalculations : public CCalculationHost {
public:
    int started = 0;
    void CalculationStarted() override { ++started; }
    // Attaches itself to the document's ports.
    void Attach(CDAXDoc& doc) {
        CDocumentPorts ports = doc.Ports();
        ports.calculations = this;
        doc.SetPorts(ports);
    }
};
// Polls the document's jobs until none runs.
void PollUntilDone(CDAXDoc& doc);

class CCountingProgress : public CProgressDialog1 {
public:
    void SetRange(long long, long long) override {}
    void SetPos(long long) override {}
    bool PumpAndCheck() override { return true; }
};

// A document wired to scripted ports, with a generated model or two.
// Changes a project's settings as a file would hold them, for setting a test up:
// `EditSettings(doc)->advancedMode = 2;` takes effect at the end of the statement.
class CSettingsEdit {
public:
    explicit CSettingsEdit(CDAXDoc& doc) : m_doc(doc), m_settings(doc.Settings()) {}
    ~CSettingsEdit() { m_doc.ReplaceSettings(m_settings); }
    CSettingsEdit(const CSettingsEdit&) = delete;
    CSettingsEdit& operator=(const CSettingsEdit&) = delete;
    CProjectSettings* operator->() { return &m_settings; }

private:
    CDAXDoc& m_doc;
    CProjectSettings m_settings;
};
inline CSettingsEdit EditSettings(CDAXDoc& doc) {
    return CSettingsEdit(doc);
}

struct CDocFixture {
    CScriptedMessages messages;
    CScriptedDialogs dialogs;
    CMemoryStorage storage;
    CMemorySettings settings;
    CDAXDoc doc;

    explicit CDocFixture(int unit = 0);
    // Imports generated speaker data and makes it current; returns its index.
    int AddModel(const CVsaGenOptions& options);
    // Installs the current model through the document's own flow at (x, y); 0 on success.
    int Install(double x, double y);
};
