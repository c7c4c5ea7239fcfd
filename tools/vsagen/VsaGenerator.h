#pragma once

#include "VsaModel.h"

#include <array>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

// One row of the tap table: "h,<volts>,<watts>" for a line tap, "l,<ohms>,<watts>" for a
// low-impedance tap, with ",<factor>" appended when the amplifier factor is set explicitly.
struct CVsaTap {
    bool lowImpedance = false;
    double rating = 100.0;
    double power = 30.0;
    std::optional<double> ampFactor;
};

// One entry of the module table of a line array, written as five lines in this order.
struct CVsaModule {
    std::string name;
    double pitch = 0.0;  // length along the column, m
    double offset = 0.0; // acoustic centre ahead of the column line, m
    double splay = 0.0;  // degrees to the previous module of its stack
    double weight = 1.0; // share of the installation's power
};

struct CVsaGenOptions {
    int kind = 0; // 0 or 1 standard speaker (1 = ceiling), 2..7 line-array families
    std::string name;
    int pointsPerOctave = 3; // 24, 12, 6, 3 or 1
    double lowestFrequency = 63.0;
    double highestFrequency = 16000.0;
    int phiBlocks = 12;  // P: phi angles 0, 360/P, ..., 360(P-1)/P
    int thetaCount = 13; // T: theta angles spread evenly over 0..180 inclusive
    std::vector<CVsaTap> taps;
    std::array<int, 3> counts{0, 0, 0}; // centre, upper, lower; line-array kinds only
    std::vector<CVsaModule> modules;    // line-array kinds only, see ExpectedModuleCount
    std::vector<CVsaDriver> drivers;    // one per balloon, see ExpectedBalloonCount
    int decimals = 2;                   // digits after the point for level and phase, 0..6
};

// How many balloons and module-table entries the reader expects after the count lines; the
// counts the reader keeps are not always the ones written (kinds 2, 4, 6 and 7 replace some).
// Both throw std::invalid_argument for a kind outside 0..7.
int ExpectedBalloonCount(int kind, const std::array<int, 3>& counts);
int ExpectedModuleCount(int kind, const std::array<int, 3>& counts);

// Throws std::invalid_argument naming the first problem found; nothing is written for options
// that a reader would misread.
void ValidateVsaOptions(const CVsaGenOptions& options);

// The whole file: LF line ends, locale-independent numbers, identical output for identical input.
std::string GenerateVsa(const CVsaGenOptions& options);
// Validates before writing, so an invalid request leaves the stream untouched.
void WriteVsa(const CVsaGenOptions& options, std::ostream& out);

// Theta angle t of a grid of thetaCount values over 0..180 and phi angle p of phiBlocks blocks,
// as written to the file.
double VsaThetaAngle(int t, int thetaCount);
double VsaPhiAngle(int p, int phiBlocks);
