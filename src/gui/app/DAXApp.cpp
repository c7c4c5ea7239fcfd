#include "app/DAXApp.h"

#include "app/DAXMainFrame.h"
#include "app/Guard.h"
#include "app/ProjectPorts.h"
#include "paint/GuiText.h"
#include "project/forms/InitialSettingsForm.h"

#include <QApplication>
#include <QMessageBox>

CDAXApp* CDAXApp::s_instance = nullptr;

CDAXApp::CDAXApp(const QString& settingsPath)
    : m_settingsPath(settingsPath), m_settings(ToCorePath(settingsPath)) {
    s_instance = this;
}

CDAXApp::~CDAXApp() {
    m_mainFrame.reset();
    if (s_instance == this)
        s_instance = nullptr;
}

int CDAXApp::LengthUnit() {
    m_lengthUnit = m_settings.ReadInt(SettingsKeys::kLengthUnitSection, SettingsKeys::kLengthUnit,
                                      m_lengthUnit);
    return m_lengthUnit;
}

bool CDAXApp::InitInstance(const QStringList& files) {
    using namespace SettingsKeys;
    m_specialUserLevel = m_settings.ReadInt(kSpecialUserSection, kSpecialUser, 0);
    m_developerId = m_settings.ReadInt(kDeveloperSection, kDeveloper, 0);
    m_firstTime = m_settings.ReadInt(kFirstTimeSection, kFirstTime, 1);
    m_lengthUnit = m_settings.ReadInt(kLengthUnitSection, kLengthUnit, 0);

    m_mainFrame = std::make_unique<CDAXMainFrame>(*this);
    m_mainFrame->show();

    if (m_firstTime == 1) {
        bool confirmed = false;
        const std::unique_ptr<CDialogPort> dialogs = CreateDialogPort(m_mainFrame.get());
        // A settings file that cannot be written is reported; the chosen unit still holds for
        // this run.
        const bool completed = RunGuarded(m_mainFrame.get(), [&] {
            confirmed = RunFirstStartSettings(m_settings, dialogs.get(), m_lengthUnit);
        });
        if (completed && !confirmed) {
            m_mainFrame.reset();
            return false;
        }
        m_firstTime = 0;
    }
    for (const QString& file : files)
        m_mainFrame->OpenProject(file);
    return true;
}
