#pragma once

#include <optional>
#include <string>

class QString;
class QWidget;

// The file chooser of the Import command: VSA speaker data files, read only, the platform's own
// dialog. Nothing when the user cancels.
std::optional<std::string> ChooseSpeakerDataFile(QWidget* parent);
// The chooser's filter.
QString SpeakerFileFilter();
