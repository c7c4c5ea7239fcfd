#pragma once

#include "project/Ports.h"

#include <QPointer>
#include <QString>
#include <QWidget>

// File names for the document's flows, from the desktop's own file dialogs.
class CQtFilePort : public CFilePort {
public:
    explicit CQtFilePort(QWidget* parent) : m_parent(parent) {}

    std::optional<std::string> ChooseSpeakerFile() override;
    // Save As: proposes .tdax only.
    std::optional<std::string> ChooseProjectName(const std::string& suggestion) override;
    // Export as SOFA: proposes the model's name with .sofa; the dialog asks before replacing.
    std::optional<std::string> ChooseSofaExportName(const std::string& suggestion) override;

private:
    QPointer<QWidget> m_parent;
};

// File dialog filters: opening offers both project extensions, saving the current one only.
inline constexpr char kOpenProjectFilter[] = "DAX Files (*.tdax *.dax)";
inline constexpr char kSaveProjectFilter[] = "DAX Files (*.tdax)";
inline constexpr char kSpeakerDataFilter[] =
    "Speaker Data (*.vsa *.sofa);;Speaker Data Text (*.vsa);;AES69 Directivity (*.sofa)";
inline constexpr char kSofaFilter[] = "AES69 Directivity (*.sofa)";
