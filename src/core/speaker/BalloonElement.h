#pragma once

#include "common/Errors.h"
#include "speaker/SPComplex.h"

#include <cstddef>
#include <vector>

class CLineReader;
class CProgressDialog1;

using CSPComplexArray = std::vector<CSPComplex>;

// The directivity of one element type: complex pressure over phi, theta and frequency. Phi is
// the outermost index and frequency the innermost.
class CBalloonElement {
public:
    std::vector<double> phiGrid;
    CSPComplexArray data;
    int phiCount = 0;
    int thetaCount = 0;
    int frequencyCount = 0;

    // Sizes the grid and the data; every value becomes zero.
    void SetDimensions(int phiCount, int thetaCount, int frequencyCount);

    std::size_t IndexOf(int phi, int theta, int frequency) const {
        return (static_cast<std::size_t>(theta) + static_cast<std::size_t>(phi) * thetaCount) *
                   static_cast<std::size_t>(frequencyCount) +
               static_cast<std::size_t>(frequency);
    }
    // Checked access; an index outside the data is an invalid-argument error.
    const CSPComplex& Value(int phi, int theta, int frequency) const;
    CSPComplex& Value(int phi, int theta, int frequency);
    const CSPComplex& At(std::size_t index) const {
        CheckIndex(static_cast<long long>(index), data.size(), "balloon value");
        return data[index];
    }

    // Reads the phi blocks of speaker data text, then closes the sphere: the 360-degree column
    // repeats the 0-degree one and each pole holds one value. progressPosition counts frequency
    // lines over the whole import. Returns why the text is incomplete or holds a value that is
    // not a finite number (with the line), or nothing when the balloon was read whole.
    std::string ReadBalloon(CLineReader& reader, CProgressDialog1* progress,
                            long long& progressPosition);

private:
    void CheckCell(int phi, int theta, int frequency) const;
};

using CBalloonElementArray = std::vector<CBalloonElement>;
