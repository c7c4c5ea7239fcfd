#include "FakePorts.h"

#include "VsaImport.h"
#include "project/MapJobs.h"

#include <chrono>
#include <thread>

void PollUntilDone(CDAXDoc& doc) {
    while (doc.MapJobs().Poll())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

CDocFixture::CDocFixture(int unit) : doc(unit) {
    CDocumentPorts ports;
    ports.messages = &messages;
    ports.dialogs = &dialogs;
    ports.storage = &storage;
    ports.settings = &settings;
    doc.SetPorts(ports);
    EditSettings(doc)->lengthUnit = unit;
}

int CDocFixture::AddModel(const CVsaGenOptions& options) {
    const int index = ImportGenerated(Build(doc).Models(), options, doc.Settings().lengthUnit);
    Build(doc).Models().SetCurrentIndex(index);
    return index;
}

int CDocFixture::Install(double x, double y) {
    return doc.InstallSpeaker(x, y).IsDone() ? 0 : 1;
}
