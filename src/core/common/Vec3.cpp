#include "common/Vec3.h"

#include "common/MathUtil.h"

CMatrix3 operator*(const CMatrix3& a, const CMatrix3& b) {
    CMatrix3 r;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j];
    return r;
}

CVec3 operator*(const CMatrix3& a, const CVec3& v) {
    return {a.m[0][0] * v.x + a.m[0][1] * v.y + a.m[0][2] * v.z,
            a.m[1][0] * v.x + a.m[1][1] * v.y + a.m[1][2] * v.z,
            a.m[2][0] * v.x + a.m[2][1] * v.y + a.m[2][2] * v.z};
}

CVec3 CMatrix3::TransposeTimes(const CVec3& v) const {
    return {m[0][0] * v.x + m[1][0] * v.y + m[2][0] * v.z,
            m[0][1] * v.x + m[1][1] * v.y + m[2][1] * v.z,
            m[0][2] * v.x + m[1][2] * v.y + m[2][2] * v.z};
}

CMatrix3 RotationZ(double degrees) {
    const double a = DegToRad(degrees);
    const double c = std::cos(a), s = std::sin(a);
    CMatrix3 r;
    r.m[0][0] = c, r.m[0][1] = -s, r.m[0][2] = 0;
    r.m[1][0] = s, r.m[1][1] = c, r.m[1][2] = 0;
    r.m[2][0] = 0, r.m[2][1] = 0, r.m[2][2] = 1;
    return r;
}

CMatrix3 RotationY(double degrees) {
    const double a = DegToRad(degrees);
    const double c = std::cos(a), s = std::sin(a);
    CMatrix3 r;
    r.m[0][0] = c, r.m[0][1] = 0, r.m[0][2] = s;
    r.m[1][0] = 0, r.m[1][1] = 1, r.m[1][2] = 0;
    r.m[2][0] = -s, r.m[2][1] = 0, r.m[2][2] = c;
    return r;
}

CMatrix3 RotationX(double degrees) {
    const double a = DegToRad(degrees);
    const double c = std::cos(a), s = std::sin(a);
    CMatrix3 r;
    r.m[0][0] = 1, r.m[0][1] = 0, r.m[0][2] = 0;
    r.m[1][0] = 0, r.m[1][1] = c, r.m[1][2] = -s;
    r.m[2][0] = 0, r.m[2][1] = s, r.m[2][2] = c;
    return r;
}

CMatrix3 RotationMatrix(double azimuth, double rotation, double elevation) {
    return RotationZ(azimuth) * RotationY(elevation) * RotationX(rotation);
}
