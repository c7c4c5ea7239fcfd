#include "VsaImport.h"

#include "common/LineReader.h"
#include "speaker/SpeakerModelContainer.h"

#include <sstream>
#include <stdexcept>

std::unique_ptr<CSpeakerModel> ReadSpeakerText(const std::string& text, int lengthUnit,
                                               std::string* reason) {
    const bool versioned = text.rfind("Version ", 0) == 0;
    const std::size_t lineEnd = text.find('\n');
    std::istringstream in(!versioned                     ? text
                          : lineEnd == std::string::npos ? std::string()
                                                         : text.substr(lineEnd + 1));
    CLineReader reader(in);
    return CSpeakerModelContainer::ReadModel(reader, lengthUnit, nullptr, reason);
}

int ImportGenerated(CSpeakerModelContainer& models, const CVsaGenOptions& options, int lengthUnit) {
    std::string reason;
    std::unique_ptr<CSpeakerModel> model =
        ReadSpeakerText(GenerateVsa(options), lengthUnit, &reason);
    if (!model)
        throw std::runtime_error("generated speaker data did not import: " + reason);
    models.Append(std::move(model));
    return models.Count() - 1;
}
