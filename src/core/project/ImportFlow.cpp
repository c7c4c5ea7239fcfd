// Importing speaker data (text or open directivity files) into the project; the vd1 dialog and
// the open directivity export.
#include "common/LineReader.h"
#include "common/ProgressDialog1.h"
#include "project/ColorMapViewModel.h"
#include "project/DAXDoc.h"
#include "project/Strings.h"
#include "project/forms/Vd1ExportForm.h"
#include "speaker/SofaExport.h"
#include "speaker/SofaFile.h"
#include "speaker/SofaReaderProcess.h"

#include <filesystem>
#include <fstream>

CFlowResult CDAXDoc::ImportSpeakerData() {
    CEditStep step(*this, Strings::kStepImportSpeakerData);
    m_settings.freshProjectFlag = 0;
    const std::optional<std::string> path = Files().ChooseSpeakerFile();
    if (!path)
        return CFlowResult::Cancelled(EFlowReason::DialogClosed);
    return ImportSpeakerFile(*path);
}

CFlowResult CDAXDoc::ImportSpeakerFile(const std::string& path) {
    CEditStep step(*this, Strings::kStepImportSpeakerData);
    m_settings.freshProjectFlag = 0;
    auto fail = [&](const std::string& why) {
        std::string text = Strings::kImportFailed;
        text.replace(text.find("%2"), 2, why);
        text.replace(text.find("%1"), 2, path);
        Messages().ReportError(text);
        return CFlowResult::Failed(text);
    };
    // A directory or a device would be read as text (or never end); refuse it first.
    std::error_code code;
    const std::filesystem::file_status status = std::filesystem::status(path, code);
    if (!code && std::filesystem::is_directory(status)) {
        return fail(Strings::kImportDirectory);
    }
    if (!code && !std::filesystem::is_regular_file(status)) {
        return fail(Strings::kImportNotRegular);
    }
    // Open directivity files are netCDF, whatever their name; everything else is speaker text.
    if (FileHasNetCdfSignature(path)) {
        std::unique_ptr<CProgressDialog1> progress =
            m_ports.progress ? m_ports.progress->CreateProgress() : nullptr;
        if (progress) {
            progress->SetText(Strings::kImporting);
            progress->SetPos(0);
        }
        // Read by a separate program: the netCDF library must not take the project down with it.
        CSofaImportResult result =
            ImportSofaIsolated(path, m_sofaImportOptions, m_settings.lengthUnit,
                               SofaReaderLimitsFromEnvironment());
        progress.reset();
        if (!result.model)
            return fail(result.error);
        const std::string name = result.model->DisplayName();
        AdoptImportedModel(std::move(result.model));
        std::string text = Strings::kImportSofaReport;
        text.replace(text.find("%2"), 2, result.report);
        text.replace(text.find("%1"), 2, name);
        Messages().Inform(text);
        return CFlowResult::Done();
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return fail(Strings::kImportCannotOpen);
    }
    CLineReader reader(in);
    std::string line;
    if (!reader.ReadLine(line)) {
        return fail(reader.Failed() ? reader.Error() : Strings::kImportEmpty);
    }
    if (line != "Version 1.0.0") {
        return fail(Strings::kImportNotVersion);
    }
    std::unique_ptr<CProgressDialog1> progress =
        m_ports.progress ? m_ports.progress->CreateProgress() : nullptr;
    if (progress) {
        progress->SetText(Strings::kImporting);
        progress->SetPos(0);
    }
    std::string reason;
    std::unique_ptr<CSpeakerModel> model =
        CSpeakerModelContainer::ReadModel(reader, m_settings.lengthUnit, progress.get(), &reason);
    progress.reset();
    if (!model)
        return fail(reason);
    AdoptImportedModel(std::move(model));
    return CFlowResult::Done();
}

void CDAXDoc::AdoptImportedModel(std::unique_ptr<CSpeakerModel> model) {
    const CSpeakerModel* before = CurrentModel();
    const double previousPitch = before ? before->Header().pointsPerOctave : 0.0;
    m_models.Append(std::move(model));
    const double remembered = m_models.Count() < 2 ? 0.0 : previousPitch;
    m_models.SetCurrentIndex(m_models.Count() - 1);
    const double pitch = CurrentModel()->Header().pointsPerOctave;
    if (pitch != remembered)
        ForEachColorMap(&CColorMapViewModel::ResetSpeakerDependentDisplay);
    Notify(CDocumentChange::SpeakerImported());
    UpdateInstallState();
    SetModified();
}

CFlowResult CDAXDoc::ExportSpeakerSofa() {
    const CSpeakerModel* model = CurrentModel();
    if (!model)
        return CFlowResult::Refused(EFlowReason::NothingCurrent);
    std::string suggestion = model->Name() + ".sofa";
    for (char& c : suggestion) // a name, not a path
        if (c == '/' || c == '\\')
            c = '-';
    const std::optional<std::string> path = Files().ChooseSofaExportName(suggestion);
    if (!path)
        return CFlowResult::Cancelled(EFlowReason::DialogClosed);
    try {
        ExportSofa(*model, *path);
    } catch (const CSofaError& e) {
        std::string text = Strings::kExportSofaFailed;
        text.replace(text.find("%2"), 2, e.what());
        text.replace(text.find("%1"), 2, model->DisplayName());
        Messages().ReportError(text);
        return CFlowResult::Failed(text);
    }
    return CFlowResult::Done();
}

CFlowResult CDAXDoc::ExportSpeakerData() {
    if (m_models.Count() == 0)
        return CFlowResult::Refused(EFlowReason::NothingCurrent);
    // No vd1 file format is defined: the dialog collects its values and nothing is written.
    CVd1ExportForm form;
    if (!Dialogs().RunVd1Export(form))
        return CFlowResult::Cancelled(EFlowReason::DialogClosed);
    return CFlowResult::Done();
}
