// The bands and band centres a speaker model offers, labelled as the colour map's lists are.
#include "CliCommands.h"
#include "CliSession.h"
#include "common/FormatSignificant.h"
#include "project/BandChoice.h"
#include "speaker/SofaFile.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <iostream>

namespace {
bool IsSpeakerData(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos)
        return false;
    std::string extension = path.substr(dot + 1);
    for (char& ch : extension)
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return extension == "vsa";
}

// The model the listing is for: the one a speaker data file holds, or model N (default: the
// current one) of a project.
const CSpeakerModel& ModelToList(CCliSession& s, const CBandsOptions& o) {
    if (IsSpeakerData(o.source)) {
        if (o.model && *o.model != 0)
            throw CCliError("--model " + std::to_string(*o.model) +
                            " does not exist; a speaker data file holds one model (0)");
        s.Create(0);
        s.doc->ImportSpeakerFile(o.source);
        s.ThrowIfErrors("");
        if (s.doc->Models().Count() != 1)
            throw CCliError(o.source + " was not read");
        return s.doc->Models().At(0);
    }
    // Open directivity files are speaker data too, but need the import's choices first.
    if (FileHasNetCdfSignature(o.source))
        throw CCliError(o.source +
                        " is an open directivity (SOFA) file; bands expects a project or a .vsa "
                        "speaker data file: import it into a project, then list that project's "
                        "bands");
    try {
        s.Open(o.source);
    } catch (const CCliError& e) {
        throw CCliError(std::string(e.what()) +
                        " (bands expects a project or a .vsa speaker data file)");
    }
    const CDAXDoc& doc = *s.doc;
    if (doc.Models().Count() == 0)
        throw CCliError("the project has no speaker data; import some first");
    const int index = o.model.value_or(doc.Models().CurrentIndex());
    if (index < 0 || index >= doc.Models().Count())
        throw CCliError("model " + std::to_string(index) + " does not exist; the project has " +
                        std::to_string(doc.Models().Count()) + " (0 to " +
                        std::to_string(doc.Models().Count() - 1) + ")");
    return doc.Models().At(index);
}
} // namespace

const char* CoverageName(EBandCoverage coverage) {
    switch (coverage) {
    case EBandCoverage::Inside:
        return "inside";
    case EBandCoverage::Partly:
        return "partly outside";
    case EBandCoverage::Outside:
        break;
    }
    return "outside";
}

int RunBands(const CBandsOptions& o) {
    CCliSession s;
    const CSpeakerModel& model = ModelToList(s, o);
    const CSpeakerDataHeader& h = model.Header();
    std::vector<CBandChoice> bands = BandChoices(h.pointsPerOctave);
    if (!o.band.empty()) {
        const double wanted = ParseBand(o.band);
        std::erase_if(bands, [&](const CBandChoice& b) { return b.value != wanted; });
        if (bands.empty())
            throw CCliError("band " + o.band + " is not offered for speaker data of " +
                            FormatValue(h.pointsPerOctave, 4) + " points per octave");
    }
    auto coverage = [&](double band, double centre) {
        return BandCoverage(band, centre, h.pointsPerOctave, h.lowestFrequency, h.highestFrequency);
    };
    if (o.json) {
        nlohmann::json list = nlohmann::json::array();
        for (const CBandChoice& band : bands) {
            nlohmann::json centres = nlohmann::json::array();
            for (const CFrequencyChoice& centre : FrequencyChoices(band.value)) {
                const EBandCoverage c = coverage(band.value, centre.value);
                centres.push_back({{"label", centre.label},
                                   {"frequency", centre.value},
                                   {"data", CoverageName(c)}});
            }
            list.push_back({{"label", band.label}, {"band", band.value}, {"centres", centres}});
        }
        const nlohmann::json j = {{"model", JsonText(model.DisplayName())},
                                  {"pointsPerOctave", h.pointsPerOctave},
                                  {"lowestFrequency", h.lowestFrequency},
                                  {"highestFrequency", h.highestFrequency},
                                  {"bands", list}};
        std::cout << j.dump(2) << "\n";
        FlushOutput();
        return 0;
    }
    std::cout << model.DisplayName() << ": " << FormatValue(h.pointsPerOctave, 4)
              << " points per octave, data from " << FormatValue(h.lowestFrequency, 6) << " to "
              << FormatValue(h.highestFrequency, 6) << " Hz\n";
    for (const CBandChoice& band : bands) {
        const std::vector<CFrequencyChoice> centres = FrequencyChoices(band.value);
        std::cout << band.label << ": " << centres.size() << " centres\n";
        for (const CFrequencyChoice& centre : centres) {
            std::string line = "  " + centre.label;
            line.resize(std::max<std::size_t>(line.size(), 13), ' ');
            line += FormatValue(centre.value, 8) + " Hz";
            const EBandCoverage c = coverage(band.value, centre.value);
            if (c != EBandCoverage::Inside) {
                line.resize(std::max<std::size_t>(line.size(), 30), ' ');
                line += CoverageText(c);
            }
            std::cout << line << "\n";
        }
    }
    FlushOutput();
    return 0;
}
