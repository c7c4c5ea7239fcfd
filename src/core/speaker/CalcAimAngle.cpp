#include "speaker/CalcAimAngle.h"

#include "common/MathUtil.h"

#include <cmath>

void CCalcAimAngleUpperZX::Step(double pitch, double offset, double& x, double& z) {
    const double theta = DegToRad(m_angle);
    const double s = std::sin(theta);
    const double c = std::cos(theta);
    x = m_x + s * pitch / 2 + c * offset;
    z = m_z + c * pitch / 2 - s * offset;
    m_x += s * pitch;
    m_z += c * pitch;
}

void CCalcAimAngleLowerZX::Step(double pitch, double offset, double& x, double& z) {
    const double theta = DegToRad(m_angle);
    const double s = std::sin(theta);
    const double c = std::cos(theta);
    x = m_x - s * pitch / 2 + c * offset;
    z = m_z - c * pitch / 2 - s * offset;
    m_x -= s * pitch;
    m_z -= c * pitch;
}
