#pragma once

#include <string>

// The texts of the module arrangement dialogs, shared by the forms, the dialogs and the tests.
namespace ArrangementStrings {
inline constexpr const char* kQL9Caption = "Properties for QL-9";
// The four KV dialogs are titled after their family too: "Properties for KV-P10".
inline constexpr const char* kCaptionPrefix = "Properties for ";
inline constexpr const char* kTypePFamily = "KV-P10";
inline constexpr const char* kTypeRFamily = "KV-R6";
inline constexpr const char* kTypeKFamily = "KV-K";
inline constexpr const char* kTypeWFamily = "KV-W5";
inline constexpr const char* kQL9BoxCount = "Box count";
inline constexpr const char* kBoxCount = "Box-Count";
inline constexpr const char* kCabinet = "Cabinet";
inline constexpr const char* kAngle = "Angle";
inline constexpr const char* kQL9Joint = "MR-JT1";
inline constexpr const char* kTypePGroup = "KV-P10";
inline constexpr const char* kTypeRGroup = "KV-R6";
inline constexpr const char* kTypeKGroup = "KV- K2 / K3";
inline constexpr const char* kTypeWGroup = "Bottom of KV-W5";
inline constexpr const char* kTypeWBottom = "KV-W5S";

// QL-9 junction modes, in mode order.
inline constexpr const char* kQL9Modes[7] = {"60deg-mode",  "45deg-mode",    "30deg-mode",
                                             "15deg-mode",  "10deg-mode(*)", "5deg-mode(*)",
                                             "0deg-mode(*)"};
// A QL-9 junction whose stored splay no offered mode stands for, named like the modes by one
// box's coverage (four junctions): "2deg (custom)".
std::string QL9CustomJunction(double splayPerJunction);
// Cabinet names of KV-P10 and KV-R6 (both list the KV-P10 names), by cabinet type.
inline constexpr const char* kTypePCabinets[2] = {"KV-P10L ", "KV-P10S"};
inline constexpr const char* kTypeKCabinets[4] = {"KV-K2L", "KV-K3L", "KV-K2S", "KV-K3S"};
// A KV-P10 or KV-R6 junction entry: the angle between the two cabinets it joins ("5deg").
std::string JunctionAngle(double splay);
// A junction whose stored splay no entry gives: "2.5deg (custom)".
std::string CustomJunctionAngle(double splay);

// "QL-9 x 3", "KV-R6 x 12": count combo entries.
inline std::string CountText(const char* family, int count) {
    return std::string(family) + " x " + std::to_string(count);
}
// The answer to a typed count the editable KV-W5 count combo does not offer.
inline std::string CountNotOffered(const std::string& typed) {
    return "\"" + typed + "\" is not one of the offered box counts. Choose one from the list.";
}
// Why a cabinet dialog offers fewer cabinet types than the family has.
inline std::string MissingCabinetTypes(const std::string& missing) {
    return "The module table of this model lacks " + missing +
           ", so only the cabinet types it holds can be chosen.";
}
// "1:" ... "12:": the labels in front of the cabinet combos.
inline std::string CabinetLabel(int index) {
    return std::to_string(index + 1) + ":";
}
// "1st Module" ... "4th Module": the QL-9 module group boxes, four per box.
inline std::string QL9ModuleLabel(int row) {
    static const char* const ordinals[4] = {"1st", "2nd", "3rd", "4th"};
    return std::string(ordinals[row % 4]) + " Module";
}
// "QL-9 (1)" ... "QL-9 (4)": the QL-9 box group boxes.
inline std::string QL9BoxLabel(int box) {
    return "QL-9 (" + std::to_string(box + 1) + ")";
}
} // namespace ArrangementStrings
