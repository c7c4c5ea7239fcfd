#include "project/forms/Vd1ExportForm.h"

#include "project/Strings.h"

CVd1ExportForm::CVd1ExportForm() {
    CNumberField& angle = m_fields[kAngle];
    angle.label = Strings::kVd1AngleLabel;
    angle.unit = Strings::kVd1AngleUnit;
    angle.minimum = 0.0;
    angle.maximum = 360.0;
    angle.SetValue(m_angle);
    CNumberField& distance = m_fields[kMicDistance];
    distance.label = Strings::kVd1DistanceLabel;
    distance.unit = Strings::kVd1DistanceUnit;
    distance.minimum = 0.0001;
    distance.maximum = 9999999.0;
    distance.SetValue(m_distance);
}

std::string CVd1ExportForm::Title() const {
    return Strings::kVd1ExportTitle;
}

bool CVd1ExportForm::Accept(std::string* message) {
    const std::optional<double> angle = m_fields[kAngle].ParseNamed(message);
    if (!angle)
        return false;
    const std::optional<double> distance = m_fields[kMicDistance].ParseNamed(message);
    if (!distance)
        return false;
    m_angle = *angle;
    m_distance = *distance;
    return true;
}
