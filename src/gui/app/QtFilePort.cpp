#include "app/QtFilePort.h"

#include "paint/GuiText.h"

#include <QFileDialog>
#include <QFileInfo>

std::optional<std::string> CQtFilePort::ChooseSpeakerFile() {
    const QString path =
        QFileDialog::getOpenFileName(m_parent, "Import", QString(), kSpeakerDataFilter);
    if (path.isEmpty())
        return std::nullopt;
    return ToCorePath(path);
}

std::optional<std::string> CQtFilePort::ChooseProjectName(const std::string& suggestion) {
    QFileDialog dialog(m_parent, "Save As");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(kSaveProjectFilter);
    dialog.setDefaultSuffix("tdax");
    // Whether an existing file may be replaced is the project's question, asked once by it.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (!suggestion.empty()) {
        const QFileInfo info(FromCorePath(suggestion));
        if (info.isAbsolute())
            dialog.setDirectory(info.absolutePath());
        dialog.selectFile(info.completeBaseName() + ".tdax");
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return ToCorePath(dialog.selectedFiles().constFirst());
}

std::optional<std::string> CQtFilePort::ChooseSofaExportName(const std::string& suggestion) {
    QFileDialog dialog(m_parent, "Export as SOFA");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(kSofaFilter);
    dialog.setDefaultSuffix("sofa");
    dialog.selectFile(FromCorePath(suggestion));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return ToCorePath(dialog.selectedFiles().constFirst());
}
