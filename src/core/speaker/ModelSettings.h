#pragma once

#include "common/Errors.h"

#include <array>
#include <cstdint>
#include <vector>

// One row of a model's tap table: a constant-voltage line tap (rating in volts) or a
// low-impedance tap (rating in ohms).
struct CTapElement {
    bool lowImpedance = false;
    double tapRating = 0.0;
    double tapPower = 0.0;
    double ampFactor = 1.0;
    friend bool operator==(const CTapElement&, const CTapElement&) = default;
};

struct CModelSettings {
    int centre = 0;
    int upper = 0;
    int lower = 0;
    std::vector<CTapElement> taps;
    // Stored and written back unchanged; no code gives them a meaning.
    std::array<std::uint16_t, 3> arrangementWords{0, 0, 0};
    int defaultTap = 0;
    int lengthUnit = 0;

    int Total() const { return centre + upper + lower; }
    const CTapElement& Tap(int row) const {
        CheckIndex(row, taps.size(), "tap");
        return taps[static_cast<std::size_t>(row)];
    }
    CTapElement& Tap(int row) {
        CheckIndex(row, taps.size(), "tap");
        return taps[static_cast<std::size_t>(row)];
    }
};
