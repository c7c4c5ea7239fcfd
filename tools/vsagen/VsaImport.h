#pragma once

#include "VsaGenerator.h"

#include <memory>
#include <string>

class CSpeakerModel;
class CSpeakerModelContainer;

// Speaker data text read as the Import command reads a file after its version line (a leading
// version line is skipped). nullptr, and the reason when asked, when the reader refuses it.
std::unique_ptr<CSpeakerModel> ReadSpeakerText(const std::string& text, int lengthUnit = 0,
                                               std::string* reason = nullptr);

// Generates the speaker's data and appends it to the container as the Import command does;
// returns its index. Generated data that does not import is a fault: std::runtime_error.
int ImportGenerated(CSpeakerModelContainer& models, const CVsaGenOptions& options,
                    int lengthUnit = 0);
