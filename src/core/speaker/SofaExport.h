#pragma once

#include <string>

class CSpeakerModel;

// Writes a model's balloons as FreeFieldDirectivityTF: complex pressure in pascal at the
// reference distance for 1 W, one measurement per element, each with the element's position and
// aim. Writes a temporary file beside `path` and renames it, so a failure leaves any existing file
// as it was. Throws CSofaError on failure.
void ExportSofa(const CSpeakerModel& model, const std::string& path);
