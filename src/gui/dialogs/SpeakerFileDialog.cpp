#include "dialogs/SpeakerFileDialog.h"

#include "paint/GuiText.h"
#include "project/Strings.h"

#include <QFileDialog>

QString SpeakerFileFilter() {
    return QString::fromUtf8(Strings::kSpeakerFileFilter);
}

std::optional<std::string> ChooseSpeakerDataFile(QWidget* parent) {
    QFileDialog dialog(parent);
    dialog.setObjectName("speakerFileDialog");
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(SpeakerFileFilter());
    dialog.setDefaultSuffix("vsa");
    dialog.setOption(QFileDialog::ReadOnly, true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return ToCorePath(dialog.selectedFiles().constFirst());
}
