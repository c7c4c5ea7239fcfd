#pragma once

// The texts the user sees, in one place so views, forms, printing and tests share them.
namespace Strings {
inline constexpr const char* kMessageTitle = "Message from Daxara";
inline constexpr const char* kConfirmRemoveSpeaker =
    "Are you sure you want to remove this speaker?";
inline constexpr const char* kImpedanceMix =
    "High and low impedance speakers can not be mixed in one room.";
inline constexpr const char* kSameSpot = "Are you sure that you want to install this speaker at "
                                         "the same position where you already installed? ";
inline constexpr const char* kSavedWithNewExtension =
    "File was saved with new extention(\"tdax\").";
inline constexpr const char* kAskNewExtension =
    "Do you save this file with the new extention that is \"tdax\"?";
inline constexpr const char* kNotAvailableFile = "Not available file.";
inline constexpr const char* kFailedToOpen = "Failed to open document.";
inline constexpr const char* kSaveChanges = "Save changes to %1?";
inline constexpr const char* kEnterNumberBetween = "Enter a number between %1 and %2.";
inline constexpr const char* kEnterNumber = "Enter a number.";
inline constexpr const char* kCalculating = "Calculating...";
inline constexpr const char* kImporting = "Importing Speaker Data...";
inline constexpr const char* kProgressCaption = "DAX";
inline constexpr const char* kStop = "Stop";

inline constexpr const char* kInstallationTitle = "Properties for Installation";
inline constexpr const char* kPreferencesTitle = "Preferences";
inline constexpr const char* kAdvancedMode = "Advanced Mode";
inline constexpr const char* kManualRecalculation = "Manual Recalculation";
inline constexpr const char* kPolarityNormal = "normal";
inline constexpr const char* kPolarityReverse = "reverse";
inline constexpr const char* kUnitMetre = "[m]";
inline constexpr const char* kUnitFeet = "[ft]";
inline constexpr const char* kUnitDegree = "[deg]";
inline constexpr const char* kUnitWatt = "[W]";

inline constexpr const char* kModeInterference = "Interference";
inline constexpr const char* kModeEnergy = "Energy";
inline constexpr const char* kHz = "[Hz]";
} // namespace Strings
