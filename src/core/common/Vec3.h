#pragma once

#include <cmath>

struct CVec3 {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;

    friend CVec3 operator+(const CVec3& a, const CVec3& b) {
        return {a.x + b.x, a.y + b.y, a.z + b.z};
    }
    friend CVec3 operator-(const CVec3& a, const CVec3& b) {
        return {a.x - b.x, a.y - b.y, a.z - b.z};
    }
    friend CVec3 operator*(const CVec3& a, double s) { return {a.x * s, a.y * s, a.z * s}; }
    friend bool operator==(const CVec3&, const CVec3&) = default;
    double Length() const { return std::sqrt(x * x + y * y + z * z); }
};

// An aim in degrees, in its stored order: azimuth (Left+), rotation (Right+), elevation (Down+).
struct COrientation {
    double azimuth = 0.0;
    double rotation = 0.0;
    double elevation = 0.0;
    friend bool operator==(const COrientation&, const COrientation&) = default;
};

// A 3x3 matrix, row-major: m[row][column].
struct CMatrix3 {
    double m[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};

    friend CMatrix3 operator*(const CMatrix3& a, const CMatrix3& b);
    friend CVec3 operator*(const CMatrix3& a, const CVec3& v);
    // Transpose(a) * v without building the transpose; turns a room vector into the local axes.
    CVec3 TransposeTimes(const CVec3& v) const;
};

CMatrix3 RotationZ(double degrees);
CMatrix3 RotationY(double degrees);
CMatrix3 RotationX(double degrees);

// Turns a speaker's own axes into the room: Rz(azimuth) * Ry(elevation) * Rx(rotation).
CMatrix3 RotationMatrix(double azimuth, double rotation, double elevation);
inline CMatrix3 RotationMatrix(const COrientation& o) {
    return RotationMatrix(o.azimuth, o.rotation, o.elevation);
}
