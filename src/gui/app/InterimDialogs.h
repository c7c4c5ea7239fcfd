#pragma once

#include "project/Ports.h"

#include <QPointer>
#include <QWidget>

// The dialogs the program shows until the full dialog set is in: Initial Settings as a choice
// of the form's units; every other dialog answers Cancel.
class CInterimDialogPort : public CDialogPort {
public:
    explicit CInterimDialogPort(QWidget* parent) : m_parent(parent) {}
    bool RunInstallation(CInstallationForm&) override { return false; }
    bool RunPreferences(CPreferencesForm&) override { return false; }
    bool RunInitialSettings(CInitialSettingsForm& form) override;

private:
    QPointer<QWidget> m_parent;
};
