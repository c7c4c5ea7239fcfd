#pragma once

#include "acoustics/AcousticScene.h"
#include "acoustics/MapJob.h"

#include <string>
#include <vector>

class CColorMapCondition;
class CListeningPlane;
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

struct CMapResult {
    ECalcStatus status = ECalcStatus::Completed;
    std::string reason; // why a calculation failed, for whoever wants to tell the user
    long long computed = 0;
    long long leftOut = 0; // points at a speaker's position, without a level
};

// The sound level (dB SPL) of the snapshot's band, centre and mode at each point, as a job
// computes it: on the program's engine or on the literal reference path. A point exactly at a
// speaker's source is left out (NaN) rather than given the response's sentinel level; a level
// that comes out not a number fails the map, naming the point. The summary is the plane's
// maximum, minimum, pink-noise and music/speech averages over the points with a level.
CPointQuantity SoundLevelQuantity(EMapEngineKind engine = EMapEngineKind::Engine);
// The calculation of the snapshot's own quantity: the sound level, a room quantity
// (RoomQuantities.h) or an arrival time (ArrivalMap.h). Each summary keeps what the plane's
// statistics fields hold for that quantity.
CPointQuantity SnapshotQuantity(EMapEngineKind engine = EMapEngineKind::Engine);

// A job's result into the plane it was taken from (the grid must not have changed since):
// completed, the levels and statistics with the points left out as NaN; stopped, the levels
// computed so far and NaN for the others, incomplete with statistics 0; failed, the reason with
// the levels as they were and statistics 0; no installations, not calculated. The plane is no
// longer calculating.
void StoreMapResult(CListeningPlane& plane, const CMapJobResult& result);

// A plane as a project file gives it: not calculated when its four statistics are all 0, else
// complete, with the points at a speaker's source left out (NaN) where the calculation of its
// quantity leaves them out.
void SettleReadPlane(CColorMapCondition& condition, const CAcousticScene& scene);

// Waits for a job, keeping the progress port informed; Stop there stops the job, which then ends
// before its next chunk of points. What the port throws stops the job and reaches the caller.
CMapJobResult WaitForJob(CMapJob& job, CProgressDialog1* progress);

// Computes the level of every point of the condition's plane in its band, frequency and mode,
// then the maximum, minimum and averages (for another quantity than the direct sound, its values
// and statistics), as one job waited for. Stop (through the progress port)
// or a failure ends it before the next chunk of points: the plane keeps what StoreMapResult says.
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
// Why a level came out not a number at a point.
std::string NotFiniteReason(const CVec3& point);

// Why a scene cannot be calculated because an installation names a model the project lacks;
// empty when every installation's model exists.
std::string DanglingModelReason(const CAcousticScene& scene);
// Why the spectrum failed at the band around `centre` Hz: it holds no data frequency, or its
// level is not a finite number.
std::string SpectrumBandReason(double centre);
std::string SpectrumLevelReason(double centre);

// dB SPL of a pressure magnitude in Pa.
double PressureLevel(double pressure);
