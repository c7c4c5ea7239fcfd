#include "acoustics/RoomAcoustics.h"

#include "common/MathUtil.h"
#include "speaker/SPComplex.h"

#include <algorithm>
#include <cmath>
#include <sstream>

const char* RoomFaceName(ERoomFace face) {
    switch (face) {
    case ERoomFace::Floor:
        return "floor";
    case ERoomFace::Ceiling:
        return "ceiling";
    case ERoomFace::WallX0:
        return "wall-x0";
    case ERoomFace::WallXL:
        return "wall-xL";
    case ERoomFace::WallY0:
        return "wall-y0";
    case ERoomFace::WallYW:
        return "wall-yW";
    }
    return "?";
}

bool CRoomAcoustics::HasAbsorption() const {
    for (const CRoomMaterial& face : faces)
        for (double a : face.alpha)
            if (a > 0.0)
                return true;
    return std::any_of(extraAbsorption.begin(), extraAbsorption.end(),
                       [](double a) { return a > 0.0; });
}

namespace {
std::string Number(double x) {
    std::ostringstream s;
    s.imbue(std::locale::classic());
    s << x;
    return s.str();
}

std::string OctaveName(int k) {
    static const char* names[kOctaveCount] = {"125 Hz", "250 Hz", "500 Hz", "1 kHz",
                                              "2 kHz",  "4 kHz",  "8 kHz"};
    return names[k];
}
} // namespace

std::string RoomAcousticsError(const CRoomAcoustics& a) {
    for (int f = 0; f < kRoomFaceCount; ++f) {
        const CRoomMaterial& face = a.faces[static_cast<std::size_t>(f)];
        const std::string what = std::string("surface ") + RoomFaceName(static_cast<ERoomFace>(f));
        if (face.name.size() > kMaxMaterialName)
            return what + " material name is longer than " + std::to_string(kMaxMaterialName) +
                   " bytes";
        for (int k = 0; k < kOctaveCount; ++k) {
            const double x = face.alpha[static_cast<std::size_t>(k)];
            if (!(x >= 0.0 && x <= 1.0))
                return what + " alpha at " + OctaveName(k) + " is " + Number(x) +
                       "; it must be from 0 to 1";
        }
    }
    for (int k = 0; k < kOctaveCount; ++k) {
        const double x = a.extraAbsorption[static_cast<std::size_t>(k)];
        if (!(x >= 0.0 && x <= kMaxExtraAbsorption))
            return "extra absorption at " + OctaveName(k) + " is " + Number(x) +
                   " m2; it must be from 0 to " + Number(kMaxExtraAbsorption) + " m2";
    }
    if (!(a.temperature >= kMinAirTemperature && a.temperature <= kMaxAirTemperature))
        return "air temperature is " + Number(a.temperature) + " deg C; it must be from " +
               Number(kMinAirTemperature) + " to " + Number(kMaxAirTemperature) + " deg C";
    if (!(a.humidity >= 0.0 && a.humidity <= 100.0))
        return "relative humidity is " + Number(a.humidity) + " %; it must be from 0 to 100 %";
    if (a.formula != EReverbFormula::Eyring && a.formula != EReverbFormula::Sabine)
        return "reverberation formula " + std::to_string(static_cast<int>(a.formula)) +
               " is not known";
    return {};
}

double CRoomSize::FaceArea(ERoomFace face) const {
    switch (face) {
    case ERoomFace::Floor:
    case ERoomFace::Ceiling:
        return length * width;
    case ERoomFace::WallX0:
    case ERoomFace::WallXL:
        return width * height;
    case ERoomFace::WallY0:
    case ERoomFace::WallYW:
        return length * height;
    }
    return 0.0;
}

double CRoomSize::Surface() const {
    return 2.0 * (length * width + width * height + length * height);
}

CRoomBand RoomAtFrequency(const CRoomAcoustics& acoustics, const CRoomSize& size,
                          double frequency) {
    CRoomBand band;
    band.frequency = frequency;
    const double V = size.Volume(), S = size.Surface();
    double A = InterpolateOctaves(acoustics.extraAbsorption, frequency);
    for (int f = 0; f < kRoomFaceCount; ++f)
        A += size.FaceArea(static_cast<ERoomFace>(f)) *
             InterpolateOctaves(acoustics.faces[static_cast<std::size_t>(f)].alpha, frequency);
    band.absorption = A;
    band.meanAlpha = S > 0.0 ? std::min(A / S, kMaxMeanAlpha) : 0.0;
    band.airDbPerMetre = AirAttenuation(frequency, acoustics.Air());
    band.airM = AirIntensityCoefficient(band.airDbPerMetre);
    const double constant = 24.0 * std::log(10.0) / kSpeedOfSound;
    const double air = 4.0 * band.airM * V;
    band.rtSabine = constant * V / (A + air);
    band.rtEyring = constant * V / (-S * std::log(1.0 - band.meanAlpha) + air);
    band.roomConstant = (A + air) / (1.0 - band.meanAlpha);
    return band;
}

CRoomOctaves AnalyseRoom(const CRoomAcoustics& acoustics, const CRoomSize& size) {
    CRoomOctaves room;
    room.volume = size.Volume();
    room.surface = size.Surface();
    for (int k = 0; k < kOctaveCount; ++k)
        room.octaves[static_cast<std::size_t>(k)] =
            RoomAtFrequency(acoustics, size, OctaveCentre(k));
    return room;
}

double ReverberantLevel(double powerSum, double roomConstant) {
    return 10.0 * std::log10(powerSum) + 10.0 * std::log10(4.0 / roomConstant);
}

double CriticalDistance(double q, double roomConstant) {
    return std::sqrt(q * roomConstant / (16.0 * kPi));
}

double EnergySum(double a, double b) {
    return 10.0 * std::log10(std::pow(10.0, a / 10.0) + std::pow(10.0, b / 10.0));
}
