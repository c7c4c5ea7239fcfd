#include "app/ProjectPorts.h"

#include "dialogs/QtArrangementPort.h"
#include "dialogs/QtDialogPort.h"
#include "dialogs/QtProgress.h"

std::unique_ptr<CDialogPort> CreateDialogPort(QWidget* parent) {
    return std::make_unique<CQtDialogPort>(parent);
}

CProjectPorts::CProjectPorts(QWidget* window, CSettingsPort* settings)
    : m_messages(window), m_files(window), m_dialogs(CreateDialogPort(window)),
      m_progress(std::make_unique<CQtProgressFactory>(window)),
      m_arrangement(std::make_unique<CQtArrangementPort>(window, settings)), m_settings(settings) {}

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
