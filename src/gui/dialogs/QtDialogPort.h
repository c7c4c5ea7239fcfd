#pragma once

#include "project/Ports.h"

#include <QPointer>
#include <QWidget>

// The document's dialogs as Qt dialogs, each modal over the parent window.
class CQtDialogPort : public CDialogPort {
public:
    explicit CQtDialogPort(QWidget* parent) : m_parent(parent) {}

    bool RunInstallation(CInstallationForm& form) override;
    bool RunPreferences(CPreferencesForm& form) override;
    ERoomParametersAnswer RunRoomParameters(CRoomParametersForm& form) override;
    bool RunAutoInstallation(CAutoInstallationForm& form) override;
    bool RunVd1Export(CVd1ExportForm& form) override;
    bool RunInitialSettings(CInitialSettingsForm& form) override;
    bool RunSurfacesAndAir(CSurfacesAndAirForm& form) override;
    bool RunAlignDelays(CAlignDelaysForm& form) override;

private:
    QPointer<QWidget> m_parent;
};
