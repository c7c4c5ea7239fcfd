#pragma once

#include "project/Strings.h"

// The texts around the colour map: annotation lines, legend, print title and speaker table.
namespace Strings {
inline constexpr const char* kMapShownAt = "This color mapping is shown @";
inline constexpr const char* kMapProjectName = "Project Name : ";
inline constexpr const char* kMapDate = "Date : ";
inline constexpr const char* kCursorLevel = "Average SPL @Cursor Point : ";
inline constexpr const char* kAverageMax =
    "Average SPL @This Color Mapping (Pink Noise, Max Value in Audience Plane) : ";
inline constexpr const char* kAverageMin =
    "Average SPL @This Color Mapping (Pink Noise, Min Value in Audience Plane) : ";
inline constexpr const char* kAveragePink =
    "Average SPL @This Color Mapping (Pink Noise, Average Value in Audience Plane) : ";
inline constexpr const char* kAverageMusic =
    "Average SPL @This Color Mapping (Music/Speech, Average Value in Audience Plane) : ";
inline constexpr const char* kCeilingSolid = "Ceiling Height (Solid Material) : ";
inline constexpr const char* kCeilingAbsorbent =
    "Ceiling Height (Absorbent Material / No Ceiling) : ";
inline constexpr const char* kAudienceHeight = "Audience Plane Height : ";
inline constexpr const char* kNumberOfSpeakers = "Number of Speakers : ";
inline constexpr const char* kAmplifierPower = "Recommended Amplifier Power : ";
inline constexpr const char* kAmplifierTo = " to ";
inline constexpr const char* kAutoDensity = "Speaker Density :  ";
inline constexpr const char* kAutoSpeaker = "Speaker : ";
inline constexpr const char* kAutoTap = "Tap : ";
inline constexpr const char* kTapVoltLine = "V Line  ";
inline constexpr const char* kColumnPitch = "Distance between Successive Columns : ";
inline constexpr const char* kRowPitch = "Distance between Successive Rows : ";
inline constexpr const char* kLeftOffset = "Distance from Left Wall to First Column : ";
inline constexpr const char* kBottomOffset = "Distance from Bottom Wall to First Row : ";
inline constexpr const char* kTitleSeparator = " , ";
inline constexpr const char* kLegendSeparator = " - ";
inline constexpr const char* kTableNo = "No";
inline constexpr const char* kTableSpeakerName = "Speaker Name";
inline constexpr const char* kTableX = "X";
inline constexpr const char* kTableY = "Y";
inline constexpr const char* kTableZ = "Z";
inline constexpr const char* kTablePower = "Power";
inline constexpr const char* kTablePolarity = "Polarity";
inline constexpr const char* kTableNormal = "Normal";
inline constexpr const char* kTableReverse = "Reverse";
inline constexpr const char* kRemoveMenu = "Remove...";
inline constexpr const char* kPropertiesMenu = "Properties...";
inline constexpr const char* kRoomParametersMenu = "Room Parameters...";
inline constexpr const char* kAxisX = "X";
inline constexpr const char* kAxisY = "Y";
inline constexpr const char* kAxisZ = "Z";
} // namespace Strings
