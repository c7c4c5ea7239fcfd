#pragma once

#include <QString>

#include <functional>

inline constexpr char kSettingsFileName[] = "VEL_DAX.ini";

// Where the settings file lives: beside the executable when the program may write there (a
// portable or self-built program), otherwise in the user's configuration folder (an installed
// program in a system folder). The folder is created when needed.
// `mayWrite` tells whether this process may write a path (a file or a folder).
QString ChooseSettingsPath(const QString& executableDir, const QString& userConfigDir,
                           const std::function<bool(const QString&)>& mayWrite);
// The settings file of this run.
QString SettingsFilePath();
