#pragma once

#include "project/forms/NumberField.h"

#include <array>
#include <string>

// "Export vd1": the angle and microphone distance of a vd1 export. No file format is defined for
// it, so the values are collected and checked but not written anywhere.
class CVd1ExportForm {
public:
    enum Edit { kAngle, kMicDistance, kEditCount };

    CVd1ExportForm();

    std::string Title() const;
    CNumberField& Field(Edit edit) { return m_fields[edit]; }
    const CNumberField& Field(Edit edit) const { return m_fields[edit]; }

    // Checks the angle, then the distance; on the first refusal returns false with its message.
    bool Accept(std::string* message = nullptr);
    double Angle() const { return m_angle; }
    double MicDistance() const { return m_distance; }

private:
    std::array<CNumberField, kEditCount> m_fields;
    double m_angle = 0.0;
    double m_distance = 20.0;
};
