#include "common/Vec3.h"

#include <gtest/gtest.h>

namespace {
void ExpectNear(const CVec3& a, const CVec3& b) {
    EXPECT_NEAR(a.x, b.x, 1e-12);
    EXPECT_NEAR(a.y, b.y, 1e-12);
    EXPECT_NEAR(a.z, b.z, 1e-12);
}
} // namespace

TEST(Rotation, AnglesFollowTheRoomConventions) {
    // Azimuth turns the main axis from +x toward +y.
    ExpectNear(RotationMatrix(90, 0, 0) * CVec3{1, 0, 0}, {0, 1, 0});
    // Elevation tilts it down.
    ExpectNear(RotationMatrix(0, 0, 90) * CVec3{1, 0, 0}, {0, 0, -1});
    // Rotation turns the speaker's +y toward its +z.
    ExpectNear(RotationMatrix(0, 90, 0) * CVec3{0, 1, 0}, {0, 0, 1});
}

TEST(Rotation, RotationIsAppliedFirstThenTiltThenTurn) {
    // Rotation about the own axis leaves the main axis alone, whatever follows.
    ExpectNear(RotationMatrix(30, 50, 20) * CVec3{1, 0, 0},
               RotationMatrix(30, 0, 20) * CVec3{1, 0, 0});
    const CMatrix3 m = RotationMatrix(30, 50, 20);
    const CVec3 v{0.3, -1.2, 2.0};
    ExpectNear(m.TransposeTimes(m * v), v);
}
