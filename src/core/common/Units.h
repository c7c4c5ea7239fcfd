#pragma once

// Lengths are held in the project's unit; the acoustic evaluation works in metres.
inline constexpr double kFeetToMetres = 0.3048;
inline constexpr double kMetresToFeet = 3.2808398950131235;

// Length unit codes as stored in projects and models: 1 means feet, anything else metres.
inline constexpr int kUnitMetric = 0;
inline constexpr int kUnitImperial = 1;
