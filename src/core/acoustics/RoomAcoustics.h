#pragma once

#include "acoustics/AirAbsorption.h"
#include "acoustics/Octaves.h"

#include <array>
#include <string>

// The six faces of the box room in its own coordinates.
enum class ERoomFace : int { Floor, Ceiling, WallX0, WallXL, WallY0, WallYW };
inline constexpr int kRoomFaceCount = 6;
// "floor", "ceiling", "wall-x0", "wall-xL", "wall-y0", "wall-yW".
const char* RoomFaceName(ERoomFace face);

// Which reverberation formula drives the reverberant field.
enum class EReverbFormula : int { Eyring = 0, Sabine = 1 };

// A surface material: its name and its random-incidence absorption coefficient per octave.
struct CRoomMaterial {
    std::string name;
    COctaveValues alpha{};
    friend bool operator==(const CRoomMaterial&, const CRoomMaterial&) = default;
};

// The room acoustics of a project. The default is a project without them: no material chosen,
// no extra absorption, air at 20 deg C and 50 %, air absorption on the direct sound off.
struct CRoomAcoustics {
    std::array<CRoomMaterial, kRoomFaceCount> faces{};
    COctaveValues extraAbsorption{}; // m^2 per octave: audience, furnishing
    double temperature = 20.0;       // deg C
    double humidity = 50.0;          // percent
    bool airOnDirect = false;
    EReverbFormula formula = EReverbFormula::Eyring;

    CAirCondition Air() const { return {temperature, humidity, 101.325}; }
    // Whether any face or the extra absorption absorbs anything at all.
    bool HasAbsorption() const;
    friend bool operator==(const CRoomAcoustics&, const CRoomAcoustics&) = default;
};

// The limits every entry is held to.
inline constexpr double kMinAirTemperature = -20.0;
inline constexpr double kMaxAirTemperature = 50.0;
inline constexpr double kMaxExtraAbsorption = 1e6; // m^2
inline constexpr std::size_t kMaxMaterialName = 200;
// abar is held below 1 (a room of perfect absorbers has no reverberant field to speak of, and
// Eyring's logarithm and the room constant need 1 - abar > 0).
inline constexpr double kMaxMeanAlpha = 0.999;

// The first entry out of range or not a finite number, worded with its field ("surface floor
// alpha at 500 Hz is 1.2; it must be from 0 to 1"), or empty when everything is valid.
std::string RoomAcousticsError(const CRoomAcoustics& acoustics);

// The room's extents in metres.
struct CRoomSize {
    double length = 0.0, width = 0.0, height = 0.0;
    double Volume() const { return length * width * height; }
    double FaceArea(ERoomFace face) const;
    double Surface() const;
};

// The diffuse-field room at one frequency: with c = 344 m/s,
//   A = sum S_i alpha_i + A_extra, abar = A / S (held below 1), m from ISO 9613-1,
//   Sabine T = (24 ln 10 / c) V / (A + 4 m V), Eyring T = (24 ln 10 / c) V / (-S ln(1 - abar) + 4 m V),
//   room constant R = (A + 4 m V) / (1 - abar).
// Between octave centres the coefficients are interpolated (InterpolateOctaves).
struct CRoomBand {
    double frequency = 0.0;
    double absorption = 0.0;    // A, m^2
    double meanAlpha = 0.0;     // abar
    double airDbPerMetre = 0.0; // alpha_air
    double airM = 0.0;          // m, 1/m
    double rtSabine = 0.0;      // s
    double rtEyring = 0.0;      // s
    double roomConstant = 0.0;  // R, m^2
    double Rt(EReverbFormula formula) const {
        return formula == EReverbFormula::Sabine ? rtSabine : rtEyring;
    }
};
CRoomBand RoomAtFrequency(const CRoomAcoustics& acoustics, const CRoomSize& size, double frequency);

// The seven octaves.
struct CRoomOctaves {
    double volume = 0.0;
    double surface = 0.0;
    std::array<CRoomBand, kOctaveCount> octaves{};
};
CRoomOctaves AnalyseRoom(const CRoomAcoustics& acoustics, const CRoomSize& size);

// The reverberant level of a diffuse field fed with the total sound power `powerSum`
// (sum of 10^(Lw/10) over the sources) in a room of constant R: 10 lg(powerSum) + 10 lg(4 / R).
double ReverberantLevel(double powerSum, double roomConstant);
// The distance from a source of directivity factor Q at which its direct sound equals the
// reverberant field: sqrt(Q R / (16 pi)).
double CriticalDistance(double q, double roomConstant);
// 10 lg(10^(a/10) + 10^(b/10)).
double EnergySum(double a, double b);
