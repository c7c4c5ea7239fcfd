#include "SceneFixtures.h"
#include "acoustics/AirAbsorption.h"
#include "acoustics/MapCalculation.h"
#include "acoustics/MaterialLibrary.h"
#include "acoustics/NoiseCurves.h"
#include "acoustics/Octaves.h"
#include "acoustics/PointResponse.h"
#include "acoustics/RoomAcoustics.h"
#include "acoustics/SoundPower.h"
#include "common/MathUtil.h"
#include "speaker/FrequencyList.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cmath>
#include <limits>

namespace {
// Every face of the same material.
CRoomAcoustics Uniform(double alpha) {
    CRoomAcoustics room;
    for (CRoomMaterial& face : room.faces)
        face.alpha.fill(alpha);
    return room;
}
} // namespace

// ISO 9613-1 at 20 deg C and 50 %, and ISO 9613-2 Table 2 (computed from part 1 at the exact
// octave mid-band frequencies, printed to 0.1 dB/km or three figures).
TEST(AirAbsorption, MatchesThePublishedTables) {
    const CAirCondition standard{20.0, 50.0};
    EXPECT_NEAR(AirAttenuation(1000.0, standard) * 1000.0, 4.66, 0.01 * 4.66);
    EXPECT_NEAR(AirAttenuation(OctaveCentre(5), standard) * 1000.0, 29.4, 0.01 * 29.4);

    struct Row {
        double temperature, humidity;
        double dbPerKm[8]; // 63 Hz ... 8 kHz
        double lastDigit[8];
    };
    const double d = 0.1;
    const Row rows[] = {
        {10, 70, {0.1, 0.4, 1.0, 1.9, 3.7, 9.7, 32.8, 117}, {d, d, d, d, d, d, d, 1}},
        {20, 70, {0.1, 0.3, 1.1, 2.8, 5.0, 9.0, 22.9, 76.6}, {d, d, d, d, d, d, d, d}},
        {30, 70, {0.1, 0.3, 1.0, 3.1, 7.4, 12.7, 23.1, 59.3}, {d, d, d, d, d, d, d, d}},
        {15, 20, {0.3, 0.6, 1.2, 2.7, 8.2, 28.2, 88.8, 202}, {d, d, d, d, d, d, d, 1}},
        {15, 50, {0.1, 0.5, 1.2, 2.2, 4.2, 10.8, 36.2, 129}, {d, d, d, d, d, d, d, 1}},
    };
    for (const Row& row : rows)
        for (int k = 0; k < 8; ++k) {
            const double f = std::pow(10.0, 0.3 * (k + 6));
            EXPECT_NEAR(AirAttenuation(f, {row.temperature, row.humidity}) * 1000.0, row.dbPerKm[k],
                        row.lastDigit[k] / 2 + 1e-9)
                << row.temperature << " deg C, " << row.humidity << " %, " << f << " Hz";
        }
    // m is the same attenuation for intensity in nepers: 10 lg(e^(m r)) = alpha r.
    EXPECT_NEAR(10.0 * std::log10(std::exp(AirIntensityCoefficient(0.01) * 100.0)), 1.0, 1e-12);
}

TEST(RoomAcoustics, OctavesInterpolateOverLogFrequencyAndHoldBeyondTheEnds) {
    const COctaveValues v = {0.1, 0.2, 0.4, 0.8, 0.6, 0.3, 0.5};
    for (int k = 0; k < kOctaveCount; ++k)
        EXPECT_EQ(InterpolateOctaves(v, OctaveCentre(k)), v[static_cast<std::size_t>(k)]);
    // Halfway in log frequency between 1 kHz and 2 kHz.
    EXPECT_NEAR(InterpolateOctaves(v, std::sqrt(OctaveCentre(3) * OctaveCentre(4))), 0.7, 1e-12);
    EXPECT_EQ(InterpolateOctaves(v, 63.0), 0.1);
    EXPECT_EQ(InterpolateOctaves(v, 16000.0), 0.5);
    // A-weighting as IEC 61672-1 tables it at the nominal octave frequencies.
    const double table[] = {-16.1, -8.6, -3.2, 0.0, 1.2, 1.0, -1.1};
    for (int k = 0; k < kOctaveCount; ++k)
        EXPECT_NEAR(AWeighting(OctaveCentre(k)), table[k], 0.1) << OctaveCentre(k);
    EXPECT_NEAR(AWeighting(1000.0), 0.0, 0.005);
}

// A textbook example computed with the textbook's constant 0.161 s/m: a classroom 10 x 5 x 4 m,
// walls alpha 0.35, ceiling 0.60, floor 0.15; A = 79.5 m^2 and T = 0.161 V / A = 0.405 s. The
// program's constant 24 ln 10 / 344 = 0.1607 differs by 0.2 %, and the air adds 0.1 % at 125 Hz.
TEST(RoomAcoustics, ReverberationOfATextbookClassroom) {
    CRoomAcoustics room;
    for (ERoomFace f : {ERoomFace::WallX0, ERoomFace::WallXL, ERoomFace::WallY0, ERoomFace::WallYW})
        room.faces[static_cast<std::size_t>(f)].alpha.fill(0.35);
    room.faces[static_cast<std::size_t>(ERoomFace::Ceiling)].alpha.fill(0.60);
    room.faces[static_cast<std::size_t>(ERoomFace::Floor)].alpha.fill(0.15);
    const CRoomSize size{10, 5, 4};
    const CRoomOctaves r = AnalyseRoom(room, size);
    EXPECT_DOUBLE_EQ(r.volume, 200.0);
    EXPECT_DOUBLE_EQ(r.surface, 220.0);
    const CRoomBand& low = r.octaves[0];
    EXPECT_NEAR(low.absorption, 79.5, 1e-9);
    EXPECT_NEAR(low.rtSabine, 0.161 * 200 / 79.5, 0.004 * 0.405);
    // Eyring with the same constant: -S ln(1 - abar).
    EXPECT_NEAR(low.rtEyring, 0.161 * 200 / (-220 * std::log(1 - 79.5 / 220)), 0.004 * 0.36);
    EXPECT_LT(low.rtEyring, low.rtSabine);
    // The room constant and the critical distance of an omnidirectional source.
    EXPECT_NEAR(low.roomConstant, (79.5 + 4 * low.airM * 200) / (1 - 79.5 / 220), 1e-9);
    EXPECT_NEAR(CriticalDistance(1.0, low.roomConstant), std::sqrt(low.roomConstant / (16 * kPi)),
                1e-12);
    // Air absorption shortens the high octaves by 4 m V.
    EXPECT_LT(r.octaves[6].rtSabine, 0.161 * 200 / 79.5 * 0.99);
    EXPECT_NEAR(r.octaves[6].rtSabine,
                24 * std::log(10.0) / 344 * 200 / (79.5 + 4 * r.octaves[6].airM * 200), 1e-12);
}

TEST(RoomAcoustics, EyringApproachesSabineAsAbsorptionVanishesAndAbsorbersEndTheField) {
    const CRoomSize size{20, 15, 6};
    double previous = 0.0;
    for (double alpha : {0.3, 0.1, 0.01, 0.001}) {
        const CRoomBand band = RoomAtFrequency(Uniform(alpha), size, 1000.0);
        const double ratio = band.rtEyring / band.rtSabine;
        EXPECT_LT(ratio, 1.0);
        EXPECT_GT(ratio, previous) << alpha;
        previous = ratio;
    }
    EXPECT_GT(previous, 0.9995);
    // Near-perfect absorbers: abar is held below 1, the field is finite and very weak.
    const CRoomBand dead = RoomAtFrequency(Uniform(1.0), size, 1000.0);
    EXPECT_EQ(dead.meanAlpha, kMaxMeanAlpha);
    EXPECT_TRUE(std::isfinite(dead.roomConstant) && std::isfinite(dead.rtEyring));
    EXPECT_LT(ReverberantLevel(1.0, dead.roomConstant), ReverberantLevel(1.0, 1e4) - 20.0);
    // An equal power from two sources raises the field by 3 dB.
    EXPECT_NEAR(ReverberantLevel(2.0, 100.0) - ReverberantLevel(1.0, 100.0), 10 * std::log10(2.0),
                1e-12);
    EXPECT_NEAR(ReverberantLevel(std::pow(10.0, 10.0), 4.0), 100.0, 1e-12);
}

TEST(RoomAcoustics, ErrorsNameTheField) {
    CRoomAcoustics room = Uniform(0.2);
    EXPECT_EQ(RoomAcousticsError(room), "");
    room.faces[2].alpha[2] = 1.2;
    EXPECT_EQ(RoomAcousticsError(room), "surface wall-x0 alpha at 500 Hz is 1.2; it must be from 0 to 1");
    room = Uniform(0.2);
    room.faces[0].alpha[6] = std::numeric_limits<double>::quiet_NaN();
    EXPECT_NE(RoomAcousticsError(room).find("surface floor alpha at 8 kHz is nan"), std::string::npos);
    room = Uniform(0.2);
    room.extraAbsorption[1] = -3;
    EXPECT_NE(RoomAcousticsError(room).find("extra absorption at 250 Hz is -3 m2"), std::string::npos);
    room = Uniform(0.2);
    room.humidity = 101;
    EXPECT_NE(RoomAcousticsError(room).find("relative humidity is 101"), std::string::npos);
    room = Uniform(0.2);
    room.temperature = std::numeric_limits<double>::infinity();
    EXPECT_NE(RoomAcousticsError(room).find("air temperature is inf"), std::string::npos);
    room = Uniform(0.2);
    room.formula = static_cast<EReverbFormula>(5);
    EXPECT_NE(RoomAcousticsError(room).find("reverberation formula 5"), std::string::npos);
    room = Uniform(0.2);
    room.faces[1].name.assign(201, 'x');
    EXPECT_NE(RoomAcousticsError(room).find("surface ceiling material name"), std::string::npos);
    EXPECT_FALSE(CRoomAcoustics{}.HasAbsorption());
    EXPECT_TRUE(Uniform(0.01).HasAbsorption());
}

namespace {
CModelPower PowerOf(const CVsaGenOptions& options, double centre, int pitch) {
    const auto model = ImportSpeakerText(WithoutVersionLine(GenerateVsa(options)));
    EXPECT_TRUE(model);
    CModelPower power;
    std::string reason;
    EXPECT_TRUE(ModelPower(*model, BandIndices(1, centre, pitch), power, &reason)) << reason;
    return power;
}
} // namespace

TEST(SoundPower, OmnidirectionalSourceAndCardioid) {
    // L at 1 m for 1 W everywhere: Lw = L + 10 lg 4 pi, Q = 1.
    const CModelPower omni = PowerOf(OmniSpeaker(90.0, 3), 1000.0, 3);
    const CInstallationPower one = InstallationPower(omni, 1.0);
    EXPECT_NEAR(one.lw, 90.0 + 10 * std::log10(4 * kPi), 0.01);
    EXPECT_NEAR(one.q, 1.0, 1e-9);
    EXPECT_NEAR(one.di, 0.0, 1e-8);
    EXPECT_NEAR(InstallationPower(omni, 10.0).lw - one.lw, 10.0, 1e-9);
    // (1 + cos theta) / 2 radiates 4 pi / 3 of the on-axis intensity: Q = 3, DI = 4.77 dB.
    const CModelPower cardioid = PowerOf(CardioidSpeaker(90.0, 3), 1000.0, 3);
    const CInstallationPower c = InstallationPower(cardioid, 1.0);
    EXPECT_NEAR(c.q, 3.0, 0.03);
    EXPECT_NEAR(c.lw, 90.0 + 10 * std::log10(4 * kPi / 3), 0.05);
}

// The integrand is the element's own point response at 1 m: summing |p|^2 of the model's
// Evaluate over the same cells gives the same power, for a directional speaker whose balloon
// is read between its grid points.
TEST(SoundPower, IntegratesThePointResponseAtOneMetre) {
    const auto model = ImportSpeakerText(WithoutVersionLine(GenerateVsa(DirectionalSpeaker(0, 3))));
    ASSERT_TRUE(model);
    const CBandIndexRange band = BandIndices(1, 2000, 3);
    CModelPower power;
    ASSERT_TRUE(ModelPower(*model, band, power));
    double brute = 0.0;
    for (int i = band.start; i < band.end; ++i) {
        const double f = ModelFrequency(i, band.pitch);
        for (int t = 0; t < 72; ++t) {
            const double solid = DegToRad(2.5) * (std::cos(DegToRad(t * 2.5)) -
                                                  std::cos(DegToRad((t + 1) * 2.5)));
            for (int p = 0; p < 144; ++p) {
                const CVec3 d = BalloonDirection((t + 0.5) * 2.5, (p + 0.5) * 2.5);
                CSPComplex v;
                EXPECT_EQ(model->Evaluate(v, d, {0, 0, 0}, {}, f, 10.0, false, 1.0, false, 0), 0);
                brute += solid * (v.re * v.re + v.im * v.im);
            }
        }
    }
    brute /= band.Count();
    EXPECT_NEAR(power.integral / brute, 1.0, 1e-9);
    CSPComplex axis;
    double onAxis = 0.0;
    for (int i = band.start; i < band.end; ++i) {
        axis.Clear();
        model->Evaluate(axis, {1, 0, 0}, {0, 0, 0}, {}, ModelFrequency(i, band.pitch), 10.0, false,
                        1.0, false, 0);
        onAxis += axis.re * axis.re + axis.im * axis.im;
    }
    EXPECT_NEAR(power.onAxis / (onAxis / band.Count()), 1.0, 1e-9);
    // A speaker this directional has Q well above 1.
    EXPECT_GT(InstallationPower(power, 1.0).q, 2.0);
}

TEST(SoundPower, RefusesABandWithoutDataAndCachesPerModelAndBand) {
    const auto model = ImportSpeakerText(WithoutVersionLine(GenerateVsa(OmniSpeaker(90.0, 3))));
    ASSERT_TRUE(model);
    CModelPower power;
    std::string reason;
    EXPECT_FALSE(ModelPower(*model, BandIndices(3, 1000, 24), power, &reason));
    EXPECT_NE(reason.find("has no data at"), std::string::npos) << reason;
    EXPECT_FALSE(ModelPower(*model, CBandIndexRange{}, power, &reason));
    CSoundPowerCache cache;
    const CModelPower& a = cache.Get(*model, BandIndices(1, 1000, 3));
    EXPECT_EQ(&a, &cache.Get(*model, BandIndices(1, 1000, 3)));
    EXPECT_NE(&a, &cache.Get(*model, BandIndices(1, 2000, 3)));
    EXPECT_THROW(cache.Get(*model, BandIndices(3, 1000, 24)), CInvalidArgument);
}

// NR curves by their formula (NR 35 rounds to the tabled 52 45 39 35 32 30 28) and the NC table.
TEST(NoiseCurves, RatingAndCriterionCurves) {
    const auto nr35 = NoiseCurve("NR35");
    ASSERT_TRUE(nr35);
    const double tabled[] = {52, 45, 39, 35, 32, 30, 28};
    for (int k = 0; k < kOctaveCount; ++k)
        EXPECT_NEAR((*nr35)[static_cast<std::size_t>(k)], tabled[k], 0.5);
    EXPECT_EQ((*nr35)[3], 35.0);
    const auto nc40 = NoiseCurve("nc-40");
    ASSERT_TRUE(nc40);
    EXPECT_EQ((*nc40)[0], 56.0);
    EXPECT_EQ((*nc40)[3], 41.0);
    EXPECT_EQ(NoiseCurveName("nc40"), "NC-40");
    EXPECT_EQ(NoiseCurveName("nr 35"), "NR35");
    for (const char* bad : {"NR", "NR1000", "NR131", "NC37", "XX35", "NR3.5", "NC-", "NR-x"})
        EXPECT_FALSE(NoiseCurve(bad)) << bad;
    EXPECT_EQ(NoiseCurveName("NC37"), "");
}

// The library installed with the program, and the user's file that extends it.
TEST(MaterialLibrary, ShippedLibraryAndUserMaterials) {
    const char* source = DAXARA_SOURCE_TREE;
    CMaterialLibrary library;
    EXPECT_EQ(library.AddFile(std::string(source) + "/resources/materials.txt"), "");
    EXPECT_GE(library.Materials().size(), 25u);
    for (const char* name :
         {"Concrete, poured, unpainted", "Plaster on masonry", "Plasterboard on studs",
          "Glass, window", "Wood panelling", "Carpet on concrete", "Acoustic ceiling tiles, 25 mm glass fibre",
          "Heavy curtains, velour draped to half area", "Upholstered seats, empty",
          "Audience in upholstered seats"}) {
        const CLibraryMaterial* m = library.Find(name);
        ASSERT_NE(m, nullptr) << name;
        EXPECT_FALSE(m->source.empty()) << name;
    }
    for (const CLibraryMaterial& m : library.Materials()) {
        CRoomAcoustics room;
        room.faces[0] = m.material;
        EXPECT_EQ(RoomAcousticsError(room), "") << m.material.name;
    }
    // As published for carpet on concrete (Cox & D'Antonio), 8 kHz held at the 4 kHz value.
    EXPECT_EQ(library.Find("carpet ON concrete")->material.alpha,
              (COctaveValues{0.02, 0.06, 0.14, 0.37, 0.60, 0.65, 0.65}));

    // The user's own material, and one that corrects the library's.
    EXPECT_EQ(library.Add("# mine\nStage floor | 0.1 0.1 0.1 0.1 0.1 0.1 0.1 | measured\n"
                          "carpet on concrete | 0.05 0.1 0.2 0.4 0.6 0.7 0.7\n",
                          "user.txt"),
              "");
    EXPECT_EQ(library.Find("Stage floor")->source, "measured");
    EXPECT_EQ(library.Find("Carpet on concrete")->material.alpha[0], 0.05);
    EXPECT_EQ(library.Find("Carpet on concrete")->origin, "user.txt");
    const std::size_t count = library.Materials().size();
    // A bad line names itself and adds nothing of its text.
    EXPECT_EQ(library.Add("Good | 0 0 0 0 0 0 0\nBad | 0.1 0.2 1.3 0 0 0 0\n", "u.txt"),
              "u.txt, line 2: the coefficient '1.3' is not from 0 to 1");
    EXPECT_EQ(library.Add("Short | 0.1 0.2\n", "u.txt"),
              "u.txt, line 1: seven coefficients are needed (125 Hz to 8 kHz), 2 are given");
    EXPECT_EQ(library.Add("NoBar 0.1\n", "u.txt"),
              "u.txt, line 1: expected 'name | seven coefficients | source'");
    EXPECT_EQ(library.Add("X | 0,1 0 0 0 0 0 0\n", "u.txt"), "u.txt, line 1: '0,1' is not a number");
    EXPECT_EQ(library.Materials().size(), count);
    EXPECT_EQ(library.Find("Good"), nullptr);
}
