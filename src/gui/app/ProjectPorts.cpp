#include "app/ProjectPorts.h"

#include "app/InterimDialogs.h"
#include "speaker/ModuleArrangementPort.h"

std::unique_ptr<CDialogPort> CreateDialogPort(QWidget* parent) {
    return std::make_unique<CInterimDialogPort>(parent);
}

CProjectPorts::CProjectPorts(QWidget* window, CSettingsPort* settings)
    : m_messages(window), m_files(window), m_dialogs(CreateDialogPort(window)),
      m_settings(settings) {}

CProjectPorts::~CProjectPorts() = default;

CDocumentPorts CProjectPorts::Ports() {
    CDocumentPorts ports;
    ports.messages = &m_messages;
    ports.files = &m_files;
    ports.storage = &m_storage;
    ports.dialogs = m_dialogs.get();
    ports.progress = m_progress.get();
    ports.arrangement = m_arrangement.get();
    ports.settings = m_settings;
    return ports;
}
