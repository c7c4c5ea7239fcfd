#pragma once

// The air the sound travels through: temperature in deg C, relative humidity in percent and
// ambient pressure in kPa.
struct CAirCondition {
    double temperature = 20.0;
    double humidity = 50.0;
    double pressure = 101.325;
};

// The pure-tone attenuation coefficient of ISO 9613-1 (equations 3 to 5 and B.1) in dB per
// metre at `frequency` Hz.
double AirAttenuation(double frequency, const CAirCondition& air);

// The energy attenuation coefficient m in 1/m of an attenuation in dB/m: intensity falls as
// e^(-m r), m = alpha / (10 lg e).
double AirIntensityCoefficient(double dbPerMetre);
