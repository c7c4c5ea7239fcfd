#pragma once

#include "app/QtFilePort.h"
#include "app/QtMessagePort.h"
#include "project/ProjectFile.h"

#include <memory>

class QWidget;

// The ports of one project window: its dialogs, questions and files open over that window.
class CProjectPorts {
public:
    CProjectPorts(QWidget* window, CSettingsPort* settings);
    ~CProjectPorts();
    CDocumentPorts Ports();

private:
    CQtMessagePort m_messages;
    CQtFilePort m_files;
    CProjectFileStorage m_storage;
    std::unique_ptr<CDialogPort> m_dialogs;
    std::unique_ptr<CProgressFactory> m_progress;
    std::unique_ptr<CModuleArrangementPort> m_arrangement;
    CSettingsPort* m_settings;
};

// The dialogs of the application itself (Initial Settings) over the main window.
std::unique_ptr<CDialogPort> CreateDialogPort(QWidget* parent);
