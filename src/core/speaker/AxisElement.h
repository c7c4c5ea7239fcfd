#pragma once

#include <string>
#include <vector>

// Where a line-array module sits in its column: offset ahead of the column line (m), length
// along the column (m), and the angle to the previous module (degrees).
struct CModuleVector {
    double offset = 0.0;
    double pitch = 0.0;
    double splay = 0.0;
    friend bool operator==(const CModuleVector&, const CModuleVector&) = default;
};

// One entry of a model's module table.
struct CAxisElement {
    std::string name;
    CModuleVector vector;
    double weight = 1.0;
    friend bool operator==(const CAxisElement&, const CAxisElement&) = default;
};

using CAxisElementArray = std::vector<CAxisElement>;

// The module vectors of an arrangement, one per element, as the arrangement dialogs edit them.
using CAxisEntityArray = std::vector<CModuleVector>;
