// Writes the fuzzers' seed corpus with our own writers: small projects, speaker data texts and
// open directivity files.
#include "VsaImport.h"
#include "VsaPresets.h"
#include "project/DAXDoc.h"
#include "project/DocumentLoader.h"
#include "project/ProjectFile.h"
#include "speaker/SofaExport.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

namespace {
CVsaGenOptions Small(CVsaGenOptions o) {
    o.pointsPerOctave = 1;
    o.lowestFrequency = 500;
    o.highestFrequency = 2000;
    o.phiBlocks = 4;
    o.thetaCount = 3;
    o.decimals = 1;
    return o;
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ProjectBytes(CDAXDoc& doc) {
    const std::vector<std::uint8_t> b = ProjectFile::Write(doc);
    return std::string(b.begin(), b.end());
}

void Import(CDAXDoc& doc, const CVsaGenOptions& options) {
    ImportGenerated(CDocumentLoader(doc).Models(), options, doc.Settings().lengthUnit);
}
} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make_corpus DIR\n";
        return 2;
    }
    const std::filesystem::path root = argv[1];
    std::filesystem::create_directories(root / "speaker_reader");
    std::filesystem::create_directories(root / "project_reader");

    const std::pair<const char*, CVsaGenOptions> speakers[] = {
        {"omni", OmniOptions(1, 500, 2000)}, {"ceiling", CeilingSpeakerOptions()},
        {"ql9", QL9ArrayOptions()},          {"kvk", KVKArrayOptions()},
        {"kvp10", KVP10ArrayOptions()},      {"typen", TypeNArrayOptions()}};
    for (const auto& [name, options] : speakers) {
        const std::string text = GenerateVsa(Small(options));
        WriteFile(root / "speaker_reader" / (std::string(name) + ".txt"),
                  text.substr(text.find('\n') + 1));
    }

    // Open directivity files: a single speaker and a line array (one measurement per element).
    std::filesystem::create_directories(root / "sofa_reader");
    for (const auto& [name, options] : speakers) {
        CSpeakerModelContainer models;
        if (ImportGenerated(models, Small(options)) >= 0)
            ExportSofa(models.At(0),
                       (root / "sofa_reader" / (std::string(name) + ".sofa")).string());
    }

    CDAXDoc empty;
    WriteFile(root / "project_reader" / "empty.tdax", ProjectBytes(empty));

    CDAXDoc room(0);
    CProjectSettings settings = room.Settings();
    settings.lengthUnit = 0;
    settings.projectName = "seed";
    room.ReplaceSettings(settings);
    Import(room, Small(OmniOptions(1, 500, 2000)));
    Import(room, Small(TypeNArrayOptions()));
    CDocumentLoader(room).Room().AddInstallation(0, 0, {1, 1, 3}, {0, 0, 90}, 3, true);
    CDocumentLoader(room).Room().AddInstallation(1, 0, {0, 1, 2}, {0, 0, 5}, 30, false);
    CColorMapCondition c;
    c.band = 1;
    c.centreFrequency = 1000;
    c.plane.Build(0, 0, 1.2, 1, 1, 0, 0.5, 100, 2);
    CalculateMap(room.Scene(), c, nullptr);
    CDocumentLoader(room).Conditions().Append(c);
    CSoundGraphDataList data;
    CDocumentLoader(room).Graphs().AddGraphCondition(-1, 30, 20, 20, 36, 0, 0, data);
    const std::string bytes = ProjectBytes(room);
    WriteFile(root / "project_reader" / "room.tdax", bytes);
    // The legacy container: a version text instead of the tag and the version word.
    std::string legacy = std::string(1, '\x0D') + "Version 2.0.0" + bytes.substr(13);
    WriteFile(root / "project_reader" / "room-legacy.dax", legacy);
    return 0;
}
