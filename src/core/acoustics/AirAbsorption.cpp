#include "acoustics/AirAbsorption.h"

#include <cmath>

double AirAttenuation(double frequency, const CAirCondition& air) {
    constexpr double kReferencePressure = 101.325; // kPa
    constexpr double kReferenceTemperature = 293.15; // K
    constexpr double kTriplePoint = 273.16;          // K
    const double T = air.temperature + 273.15;
    const double pa = air.pressure / kReferencePressure;
    const double tr = T / kReferenceTemperature;
    // Molar concentration of water vapour (%), from the saturation vapour pressure.
    const double C = -6.8346 * std::pow(kTriplePoint / T, 1.261) + 4.6151;
    const double h = air.humidity * std::pow(10.0, C) / pa;
    // Relaxation frequencies of oxygen and nitrogen.
    const double frO = pa * (24.0 + 4.04e4 * h * (0.02 + h) / (0.391 + h));
    const double frN =
        pa * std::pow(tr, -0.5) * (9.0 + 280.0 * h * std::exp(-4.170 * (std::pow(tr, -1.0 / 3.0) - 1.0)));
    const double f2 = frequency * frequency;
    return 8.686 * f2 *
           (1.84e-11 / pa * std::sqrt(tr) +
            std::pow(tr, -2.5) * (0.01275 * std::exp(-2239.1 / T) / (frO + f2 / frO) +
                                  0.1068 * std::exp(-3352.0 / T) / (frN + f2 / frN)));
}

double AirIntensityCoefficient(double dbPerMetre) {
    return dbPerMetre / (10.0 * std::log10(std::exp(1.0)));
}
