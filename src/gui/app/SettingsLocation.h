#pragma once

#include <QString>

inline constexpr char kSettingsFileName[] = "VEL_DAX.ini";

// Where the settings file lives: beside the executable when the program may write there (a
// portable or self-built program), otherwise in the user's configuration folder (an installed
// program in a system folder). The folder is created when needed.
QString ChooseSettingsPath(const QString& executableDir, const QString& userConfigDir);
// The settings file of this run.
QString SettingsFilePath();
