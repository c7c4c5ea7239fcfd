#include "acoustics/SpeechTransmission.h"
#include "common/MathUtil.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
constexpr COctaveValues kAlpha = {0.085, 0.127, 0.230, 0.233, 0.309, 0.224, 0.173};
constexpr double kBeta[] = {0.085, 0.078, 0.065, 0.011, 0.047, 0.095};

// Direct sound at `level` in every octave (before the speech spectrum), nothing else.
CStiInput Direct(double level) {
    CStiInput in;
    in.direct.fill(level);
    in.reverberant.fill(-200.0);
    in.rt.fill(1.0);
    return in;
}
} // namespace

// The index from MTIs: uniform m = 0.5 gives SNR 0 dB and STI 0.50 (the weights less the
// redundancies sum to 1), neighbouring pairs give alpha_k + alpha_k+1 - beta_k, and m' >= 1 is
// clipped to 15 dB.
TEST(SpeechTransmission, IndexOfTransmissionIndices) {
    EXPECT_DOUBLE_EQ(TransmissionIndex(0.5), 0.5);
    COctaveValues uniform;
    uniform.fill(TransmissionIndex(0.5));
    EXPECT_NEAR(StiOfMti(uniform), 0.50, 1e-12);
    for (double x : {0.2, 0.75}) {
        uniform.fill(x);
        EXPECT_NEAR(StiOfMti(uniform), x, 1e-12);
    }
    for (int k = 0; k + 1 < kOctaveCount; ++k) {
        COctaveValues pair{};
        pair[static_cast<std::size_t>(k)] = pair[static_cast<std::size_t>(k + 1)] = 1.0;
        EXPECT_NEAR(StiOfMti(pair),
                    kAlpha[static_cast<std::size_t>(k)] + kAlpha[static_cast<std::size_t>(k + 1)] -
                        kBeta[k],
                    1e-12);
        COctaveValues single{};
        single[static_cast<std::size_t>(k)] = 1.0;
        EXPECT_NEAR(StiOfMti(single), kAlpha[static_cast<std::size_t>(k)], 1e-12);
    }
    EXPECT_EQ(TransmissionIndex(1.0), 1.0);
    EXPECT_EQ(TransmissionIndex(1.7), 1.0);
    EXPECT_EQ(TransmissionIndex(0.97), 1.0); // 15.1 dB clipped
    EXPECT_EQ(TransmissionIndex(0.0), 0.0);
    EXPECT_EQ(TransmissionIndex(0.03), 0.0);
    EXPECT_NEAR(TransmissionIndex(0.9), (10 * std::log10(9.0) + 15) / 30, 1e-12);
    // STI 0.50, the common voice-alarm requirement, is CIS 0.70.
    EXPECT_NEAR(CisOfSti(0.5), 0.70, 0.0015);
    EXPECT_EQ(CisOfSti(1.0), 1.0);
    EXPECT_EQ(CisOfSti(0.05), 0.0);
}

TEST(SpeechTransmission, MaskingSlopeByLevel) {
    EXPECT_DOUBLE_EQ(MaskingSlope(50), -40.0);
    EXPECT_DOUBLE_EQ(MaskingSlope(63), 1.8 * 63 - 146.9);
    EXPECT_DOUBLE_EQ(MaskingSlope(66.9), 1.8 * 66.9 - 146.9);
    EXPECT_DOUBLE_EQ(MaskingSlope(67), 0.5 * 67 - 59.8);
    EXPECT_DOUBLE_EQ(MaskingSlope(99.9), 0.5 * 99.9 - 59.8);
    EXPECT_DOUBLE_EQ(MaskingSlope(100), -10.0);
    EXPECT_DOUBLE_EQ(MaskingSlope(130), -10.0);
}

// Direct sound at a normal level, no reverberation and no noise; the speech spectrum sets the
// octaves' signal levels relative to the 500 Hz octave.
TEST(SpeechTransmission, DirectSoundAloneIsNearlyPerfect) {
    const CStiResult r = SpeechTransmissionIndex(Direct(70.0));
    EXPECT_GT(r.sti, 0.97);
    const double shift[] = {-2.5, 0.5, 0.0, -6.0, -12.0, -18.0, -24.0};
    for (int k = 0; k < kOctaveCount; ++k) {
        EXPECT_NEAR(r.signal[static_cast<std::size_t>(k)], 70.0 + shift[k], 1e-9);
        for (double m : r.m[static_cast<std::size_t>(k)])
            EXPECT_NEAR(m, 1.0, 1e-12);
    }
    EXPECT_NEAR(r.cis, 1.0 + std::log10(r.sti), 1e-12);
    // Far below the threshold of hearing nothing is understood.
    EXPECT_LT(SpeechTransmissionIndex(Direct(-20.0)).sti, 0.05);
}

// Reverberation alone: m = 1 / sqrt(1 + (2 pi F T / 13.8)^2), whatever the level.
TEST(SpeechTransmission, ReverberationAloneFollowsTheLowPass) {
    CStiInput in;
    in.direct.fill(-300.0);
    in.reverberant.fill(75.0);
    in.rt = {2.2, 1.9, 1.6, 1.4, 1.2, 1.0, 0.8};
    const CStiResult r = SpeechTransmissionIndex(in);
    for (int k = 0; k < kOctaveCount; ++k)
        for (int f = 0; f < kModulationCount; ++f) {
            const double x = 2 * kPi * ModulationFrequencies()[static_cast<std::size_t>(f)] *
                             in.rt[static_cast<std::size_t>(k)] / 13.8;
            EXPECT_NEAR(r.m[static_cast<std::size_t>(k)][static_cast<std::size_t>(f)],
                        1 / std::sqrt(1 + x * x), 1e-12);
        }
    EXPECT_GT(r.sti, 0.3);
    EXPECT_LT(r.sti, 0.7);
}

TEST(SpeechTransmission, FallsWithReverberationAndNoise) {
    CStiInput in = Direct(65.0);
    in.reverberant.fill(62.0);
    double previous = 2.0;
    for (double t : {0.3, 0.6, 1.0, 1.5, 2.5, 4.0}) {
        in.rt.fill(t);
        const double sti = SpeechTransmissionIndex(in).sti;
        EXPECT_LT(sti, previous) << t;
        previous = sti;
    }
    in.rt.fill(1.0);
    in.noiseOn = true;
    previous = 2.0;
    for (double n : {20.0, 35.0, 45.0, 55.0, 65.0}) {
        in.noise.fill(n);
        const double sti = SpeechTransmissionIndex(in).sti;
        EXPECT_LT(sti, previous) << n;
        previous = sti;
    }
    // Noise equal to the speech in every octave: m = 1/2 before masking.
    CStiInput equal = Direct(70.0);
    equal.noiseOn = true;
    for (std::size_t k = 0; k < kOctaveCount; ++k)
        equal.noise[k] = 70.0 + SpeechSpectrum()[k];
    const CStiResult half = SpeechTransmissionIndex(equal);
    for (const CModulationValues& row : half.m)
        for (double m : row)
            EXPECT_NEAR(m, 0.5, 1e-12);
    EXPECT_LT(half.sti, 0.5);
    EXPECT_GT(half.sti, 0.45);
}

// Noise in one octave masks that octave and the one above it, no other.
TEST(SpeechTransmission, MaskingReachesOnlyTheNextOctaveUp) {
    CStiInput quiet = Direct(75.0);
    quiet.reverberant.fill(70.0);
    quiet.rt.fill(0.8);
    quiet.noiseOn = true;
    quiet.noise.fill(30.0);
    CStiInput loud = quiet;
    loud.noise[2] = 95.0; // 500 Hz
    const CStiResult a = SpeechTransmissionIndex(quiet), b = SpeechTransmissionIndex(loud);
    for (std::size_t k : {0u, 1u, 4u, 5u, 6u})
        EXPECT_EQ(a.mti[k], b.mti[k]) << k;
    EXPECT_LT(b.mti[2], a.mti[2] - 0.3);
    EXPECT_LT(b.mti[3], a.mti[3] - 0.01); // masked from below
    // The 1 kHz octave's own modulation is untouched; only the correction lowers it.
    EXPECT_EQ(a.m[3], b.m[3]);
}
