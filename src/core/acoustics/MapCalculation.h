#pragma once

#include "acoustics/AcousticScene.h"

#include <string>
#include <vector>

class CColorMapCondition;
class CProgressDialog1;
class CWorkerPool;

enum class EMapEngineKind { Engine, Reference };

struct CMapOptions {
    EMapEngineKind engine = EMapEngineKind::Engine;
    int threads = 0; // 0: every core
    // The workers to run on (they must not be busy with a job that waits for this map); without
    // them, a map on more than one thread starts and joins its own.
    CWorkerPool* pool = nullptr;
};

// Busy: another calculation of the same project is running; nothing was computed.
enum class ECalcStatus { Completed, Stopped, Failed, NoInstallations, Busy };

struct CMapResult {
    ECalcStatus status = ECalcStatus::Completed;
    std::string reason; // why a calculation failed, for whoever wants to tell the user
    long long computed = 0;
};

// Computes the level of every point of the condition's plane in its band, frequency and mode,
// then the maximum, minimum and averages (for another quantity than the direct sound, its values
// and statistics). Stop (through the progress port) or a failed point
// response ends it before the next point: the levels computed so far stay, the rest keep their
// previous values and the statistics stay 0.
CMapResult CalculateMap(const CAcousticScene& scene, CColorMapCondition& condition,
                        CProgressDialog1* progress, const CMapOptions& options = {});

// The band range a condition asks for on the grid of the first installation's model.
CBandIndexRange ConditionBand(const CAcousticScene& scene, const CColorMapCondition& condition);

// Band centres 10^(0.3 k / band) from 20 Hz to 20 kHz.
std::vector<double> BandCentres(double band);

// The band spectrum at a point: one level per band centre. False (and nothing filled) when a
// band fails or a level comes out not finite; `reason` then says which. An empty scene gives no
// centres.
bool PointSpectrum(const CAcousticScene& scene, const CColorMapCondition& condition,
                   const CVec3& point, std::vector<double>& centres, std::vector<double>& levels,
                   std::string* reason = nullptr);

// Why a map in this band failed: the band holds no data frequency, or one of its frequencies is
// not a data frequency of every installed model.
std::string BandFailureReason(const CBandIndexRange& band);

// Why a scene cannot be calculated because an installation names a model the project lacks;
// empty when every installation's model exists.
std::string DanglingModelReason(const CAcousticScene& scene);
// Why the spectrum failed at the band around `centre` Hz: it holds no data frequency, or its
// level is not a finite number.
std::string SpectrumBandReason(double centre);
std::string SpectrumLevelReason(double centre);

// dB SPL of a pressure magnitude in Pa.
double PressureLevel(double pressure);
