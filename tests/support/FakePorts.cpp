#include "FakePorts.h"

#include "SpeakerFixtures.h"
#include "common/LineReader.h"

#include <sstream>
#include <stdexcept>

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
    std::istringstream in(WithoutVersionLine(GenerateVsa(options)));
    CLineReader reader(in);
    std::string reason;
    if (!doc.models.ImportModel(reader, doc.Settings().lengthUnit, nullptr, &reason))
        throw std::runtime_error(reason);
    doc.models.SetCurrentIndex(doc.models.Count() - 1);
    return doc.models.Count() - 1;
}

int CDocFixture::Install(double x, double y) {
    return doc.InstallSpeaker(x, y);
}
