#pragma once

#include "project/IniSettings.h"

#include <QString>
#include <QStringList>

#include <memory>

class CDAXMainFrame;

// The application: its settings file, the length unit of new projects, the two feature flags,
// and the main window.
class CDAXApp {
public:
    explicit CDAXApp(const QString& settingsPath);
    ~CDAXApp();
    CDAXApp(const CDAXApp&) = delete;
    CDAXApp& operator=(const CDAXApp&) = delete;

    // Start-up: reads the settings, shows the main window, asks for the unit on the first start,
    // then opens the project files named in `files`. False when the program must end (Initial
    // Settings cancelled): nothing was written then.
    bool InitInstance(const QStringList& files = {});

    CDAXMainFrame* MainFrame() const { return m_mainFrame.get(); }
    CIniSettings& Settings() { return m_settings; }
    QString SettingsPath() const { return m_settingsPath; }

    // The unit of new projects; Room Parameters may have changed it in the settings file.
    int LengthUnit();
    int DeveloperId() const { return m_developerId; }
    int SpecialUserLevel() const { return m_specialUserLevel; }
    bool IsFirstTime() const { return m_firstTime == 1; }

    // The running application, for the panes and dialogs that follow its flags.
    static CDAXApp* Instance() { return s_instance; }

private:
    QString m_settingsPath;
    CIniSettings m_settings;
    int m_specialUserLevel = 0;
    int m_developerId = 0;
    int m_firstTime = 1;
    int m_lengthUnit = 0;
    std::unique_ptr<CDAXMainFrame> m_mainFrame;
    static CDAXApp* s_instance;
};

// The application title, also the main window's title.
inline constexpr char kAppTitle[] = "VEL Daxara";
// Organisation and application names of the per-user store (recent files).
inline constexpr char kMakerName[] = "VEL";
inline constexpr char kStoreName[] = "Daxara";
