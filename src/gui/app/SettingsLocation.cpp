#include "app/SettingsLocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString ChooseSettingsPath(const QString& executableDir, const QString& userConfigDir) {
    const QString beside = QDir(executableDir).filePath(kSettingsFileName);
    const QFileInfo file(beside);
    const bool usable = file.exists() ? file.isWritable() : QFileInfo(executableDir).isWritable();
    if (usable)
        return beside;
    QDir().mkpath(userConfigDir);
    return QDir(userConfigDir).filePath(kSettingsFileName);
}

QString SettingsFilePath() {
    return ChooseSettingsPath(QCoreApplication::applicationDirPath(),
                              QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation));
}
