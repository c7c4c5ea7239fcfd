#pragma once

#include <cstddef>
#include <vector>

// Model frequencies are 10^(k * 0.3 / N). A model only accepts frequencies that are bit-identical
// to its list, so every caller that needs one must compute it through ModelFrequency.
double ModelFrequency(int k, double pointsPerOctave);

// Counts k upward from 0 while the frequency stays at or below fmax and keeps those at or above
// fmin. Returns false (and an empty list) when the list would exceed maxCount entries or the
// resolution is not a positive finite number, so hostile input cannot loop or exhaust memory.
bool BuildFrequencyList(double fmin, double fmax, double pointsPerOctave, std::size_t maxCount,
                        std::vector<double>& out);
