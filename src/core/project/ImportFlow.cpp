// Importing speaker data into the project, and the vd1 export dialog.
#include "common/LineReader.h"
#include "common/ProgressDialog1.h"
#include "project/ColorMapViewModel.h"
#include "project/DAXDoc.h"
#include "project/Strings.h"
#include "project/forms/Vd1ExportForm.h"

#include <filesystem>
#include <fstream>

void CDAXDoc::ImportSpeakerData() {
    if (m_calculating)
        return;
    m_settings.freshProjectFlag = 0;
    const std::optional<std::string> path =
        m_ports.files ? m_ports.files->ChooseSpeakerFile() : std::nullopt;
    if (!path)
        return;
    ImportSpeakerFile(*path);
}

void CDAXDoc::ImportSpeakerFile(const std::string& path) {
    if (m_calculating)
        return;
    m_settings.freshProjectFlag = 0;
    auto fail = [&](const std::string& why) {
        if (!m_ports.messages)
            return;
        std::string text = Strings::kImportFailed;
        text.replace(text.find("%2"), 2, why);
        text.replace(text.find("%1"), 2, path);
        m_ports.messages->ReportError(text);
    };
    // A directory or a device would be read as text (or never end); refuse it first.
    std::error_code code;
    const std::filesystem::file_status status = std::filesystem::status(path, code);
    if (!code && std::filesystem::is_directory(status)) {
        fail(Strings::kImportDirectory);
        return;
    }
    if (!code && !std::filesystem::is_regular_file(status)) {
        fail(Strings::kImportNotRegular);
        return;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        fail(Strings::kImportCannotOpen);
        return;
    }
    CLineReader reader(in);
    std::string line;
    if (!reader.ReadLine(line)) {
        fail(reader.Failed() ? reader.Error() : Strings::kImportEmpty);
        return;
    }
    if (line != "Version 1.0.0") {
        fail(Strings::kImportNotVersion);
        return;
    }
    std::unique_ptr<CProgressDialog1> progress =
        m_ports.progress ? m_ports.progress->CreateProgress() : nullptr;
    if (progress) {
        progress->SetText(Strings::kImporting);
        progress->SetPos(0);
    }
    const CSpeakerModel* before = CurrentModel();
    const double previousPitch = before ? before->Header().pointsPerOctave : 0.0;
    std::string reason;
    const bool imported = models.ImportModel(reader, m_settings.lengthUnit, progress.get(), &reason);
    progress.reset();
    if (!imported) {
        fail(reason);
        return;
    }
    const double remembered = models.Count() < 2 ? 0.0 : previousPitch;
    models.SetCurrentIndex(models.Count() - 1);
    const double pitch = CurrentModel()->Header().pointsPerOctave;
    if (pitch != remembered)
        ForEachColorMap(&CColorMapViewModel::ResetSpeakerDependentDisplay);
    Notify(CDocumentChange::SpeakerImported());
    UpdateInstallState();
    SetModified();
}

void CDAXDoc::ExportSpeakerData() {
    if (models.Count() == 0 || !m_ports.dialogs)
        return;
    // No vd1 file format is defined: the dialog collects its values and nothing is written.
    CVd1ExportForm form;
    m_ports.dialogs->RunVd1Export(form);
}
