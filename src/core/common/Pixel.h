#pragma once

// A device pixel of a picture: x grows to the right, y downward.
struct CPixel {
    int x = 0;
    int y = 0;
    friend bool operator==(const CPixel&, const CPixel&) = default;
};
