#pragma once

#include <optional>
#include <string>

// One numeric edit of a dialog: what it shows, the range OK accepts and whether it is shown.
struct CNumberField {
    std::string label;
    std::string unit;
    double minimum = 0.0;
    double maximum = 0.0;
    std::string text;
    bool visible = true;

    void SetValue(double value);
    // The value, or the message that refuses the text: "Enter a number." for text that is not a
    // number as a whole, "Enter a number between %1 and %2." outside the range.
    std::optional<double> Parse(std::string* message) const;
    // The same with the refusal naming the field: "Height(Z): enter a number between 0 and 10."
    // What a dialog shows, where the user may not see which of its rows was meant.
    std::optional<double> ParseNamed(std::string* message) const;
};

// A refusal of a dialog row, naming it: the label without its trailing " : ", then the message
// with its first letter lowered ("Height(Z): enter a number."). A row without a label gets the
// message alone.
std::string FieldMessage(const std::string& label, const std::string& message);
// A row's label as a message names it: without its trailing " : ".
std::string FieldName(const std::string& label);

// Text of a number as dialogs show it: the shortest text that reads back to the same value.
std::string FormatFieldNumber(double value);
// A whole-text number in C locale notation (blanks around it allowed), or nothing.
std::optional<double> ParseWholeNumber(const std::string& text);
// "Enter a number between %1 and %2." with the bounds filled in.
std::string RangeMessage(double minimum, double maximum);
// "--height must lie between 0.001 and 3.2 m (the room's height); 5 was given": the refusal of a
// value the field's own range would take but the project cannot use, naming the option or row.
// Empty when the value lies within the bounds.
std::string OutsideRange(const std::string& name, double value, double lo, double hi,
                         const std::string& unit, const std::string& why = {});
