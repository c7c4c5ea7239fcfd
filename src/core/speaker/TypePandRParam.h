#pragma once

#include <vector>

// One cabinet (or cabinet section) of a KV-P10, KV-R6 or KV-K column: which module type it is
// (an index into the model's module table and balloons) and its splay to the cabinet above.
// The first cabinet's splay is never used.
struct CTypePandRParam {
    int type = 0;
    double splay = 0.0;
    friend bool operator==(const CTypePandRParam&, const CTypePandRParam&) = default;
};

using CTypePandRParamArray = std::vector<CTypePandRParam>;
