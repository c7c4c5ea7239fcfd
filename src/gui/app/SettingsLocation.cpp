#include "app/SettingsLocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString ChooseSettingsPath(const QString& executableDir, const QString& userConfigDir,
                           const std::function<bool(const QString&)>& mayWrite) {
    const QString beside = QDir(executableDir).filePath(kSettingsFileName);
    const bool usable = QFileInfo::exists(beside) ? mayWrite(beside) : mayWrite(executableDir);
    if (usable)
        return beside;
    QDir().mkpath(userConfigDir);
    return QDir(userConfigDir).filePath(kSettingsFileName);
}

QString SettingsFilePath() {
    return ChooseSettingsPath(QCoreApplication::applicationDirPath(),
                              QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation),
                              [](const QString& path) { return QFileInfo(path).isWritable(); });
}
