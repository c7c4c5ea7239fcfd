#pragma once

#include <QString>

#include <string>

// The core keeps texts as bytes: the program's own texts are UTF-8, names read from old project
// and speaker files may be Latin-1. Valid UTF-8 is shown as such, anything else as Latin-1, so no
// name is ever shown as replacement characters.
QString ToQString(const std::string& text);
// A text typed by the user, for the core (UTF-8).
std::string ToCoreText(const QString& text);

// File names cross between Qt and the core's std::filesystem-style paths in the local 8-bit
// encoding, so a name the file system holds opens again.
std::string ToCorePath(const QString& path);
QString FromCorePath(const std::string& path);
