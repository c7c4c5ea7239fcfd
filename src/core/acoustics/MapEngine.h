#pragma once

#include "acoustics/AcousticScene.h"
#include "acoustics/EngineKernel.h"
#include "common/Vec3.h"
#include "speaker/SPComplex.h"

#include <array>
#include <utility>
#include <span>
#include <vector>

class CSpeakerModel;
class CWorkerPool;
class CSpeakerElement;
struct CInstallationElement;

// The program's band evaluation. It prepares once what does not depend on the receiver (element
// frames, the band's frequency indices, level and phase of the stored balloon values in the band,
// grid directions), finds each element pass's direction, corners and weights once per point and
// then runs one loop over the band's frequencies (EngineKernel), summing every point in the same
// order as BandPressure. Its levels stay well within 1e-9 dB of BandPressure: it builds each value
// from level and phase once instead of twice, takes the target direction as d/r rather than from
// the angles, and may use vector maths. PointPressure and AddInstallation are const and
// thread-safe; each thread passes its own scratch.
class CMapEngine {
public:
    // Every balloon cell of the band is converted up front (maps), or only the cells a point
    // needs, on PrepareFor (one point over many frequencies, the spectrum).
    enum class ETables { All, OnDemand };

    struct Scratch {
        std::vector<double> re, im;       // one installation, four lanes of Padded() each
        std::vector<double> sumRe, sumIm; // every installation, four lanes
        std::vector<CPassLanes> located;  // every pass of every installation
    };

    // `needed` (one flag per band frequency, or empty for all) marks the frequencies a caller
    // sums; a model that lacks another one does not fail, and its values there are meaningless.
    // With a pool, the complete tables are converted on `threads` of its workers (0: one per
    // core), which must not be busy with a job that waits for this engine.
    CMapEngine(const CAcousticScene& scene, int mode, const CBandIndexRange& band,
               ETables tables = ETables::All, std::vector<unsigned char> needed = {},
               CWorkerPool* pool = nullptr, int threads = 0);

    // Same contract as BandPressure.
    int PointPressure(const CVec3& point, double& pressure, Scratch& scratch) const;
    // PointPressure of `count` (1 to kKernelLanes; more are left out) points at once, their
    // passes located together.
    void PointPressures(const CVec3* points, int count, double* pressures, int* statuses,
                        Scratch& scratch) const;
    // The pressures of several bands at once from the engine's band frequencies: segment s holds
    // the band frequencies [segments[s].first, segments[s].second) and its pressure is what
    // PointPressure gives for a band of exactly those frequencies, summed in the same order.
    // pressures[lane * segmentCount + s]; a lane fails as PointPressures' does. Each point's
    // geometry is found once for all segments.
    void PointSegmentPressures(const CVec3* points, int count,
                               std::span<const std::pair<int, int>> segments, double* pressures,
                               int* statuses, Scratch& scratch) const;
    Scratch MakeScratch() const;
    int BandCount() const { return m_band.Count(); }
    int Padded() const { return PaddedCount(m_band.Count()); }
    int InstallationCount() const { return static_cast<int>(m_installations.size()); }

    // Adds installation k's pressure at every band frequency (Padded() entries) to re[] and im[];
    // false when its response fails, as the point response does.
    bool AddInstallation(int k, const CVec3& point, double* re, double* im) const;
    // The same for `count` (1 to kKernelLanes) points at once: point i's to re + i * stride and
    // im + i * stride; false when the response fails at any of them.
    bool AddInstallation(int k, const CVec3* points, int count, double* re, double* im,
                         std::size_t stride) const;

    // Whether installation k's response at the point looks up its balloon: some pass of it is not
    // at zero distance. Only then does a frequency its model lacks fail the response.
    bool ReadsBalloon(int k, const CVec3& point) const;

    // With ETables::OnDemand: converts the balloon cells the point needs. Not thread-safe.
    void PrepareFor(const CVec3& point);
    // Reads installation k again from the scene (it moved or changed); the list keeps its size.
    void ReplanInstallation(int k);

private:
    // Level and phase of one balloon at the band's frequencies, one padded row per converted
    // cell, so the four corners of an interpolation read contiguous runs.
    struct BalloonTable {
        const CSpeakerElement* element = nullptr; // for the header's grids
        int phiCount = 0;
        int thetaCount = 0;
        const double* thetaGrid = nullptr;
        const double* phiGrid = nullptr;
        // Evenly spaced ascending grids find their cell by division instead of a search.
        double thetaStep = 0.0; // 0: not evenly spaced
        double phiStep = 0.0;
        double thetaPerStep = 0.0; // 1 / step
        double phiPerStep = 0.0;
        bool thetaAscending = false;
        bool phiAscending = false;
        std::vector<int> rowOf;    // per cell [phi * thetaCount + theta]; -1: not converted yet
        std::vector<double> level; // [row * padded + j]
        std::vector<double> phase;
        // The phases of a cell's neighbours at the next phi, the next theta and both, unwrapped
        // against the cell's own: three rows per cell, [(quad * 3 + neighbour) * padded + j].
        std::vector<int> quadOf;             // per cell; -1: not built yet
        std::vector<unsigned char> quadRows; // per cell: which of its three rows are built
        std::vector<double> unwrapped;
        bool complete = false; // every cell converted in order: row and quad i belong to cell i
        bool unfilled = false; // complete, laid out, its values not converted yet
        std::vector<double> directions; // unit vector x, y, z of each grid direction, per cell
        std::vector<double> trig;       // cosines and sines of the grid values
        CBalloonGrid grid;              // views of the grids and directions
    };
    struct ModelPlan {
        const CSpeakerModel* model = nullptr;
        std::vector<int> ks; // model frequency index per band frequency; -1 outside or missing
        bool anyMissing = false;
        double referenceDistance = 1.0;
        std::vector<BalloonTable> balloons; // per distinct balloon of the model
    };
    struct ElementPlan {
        // The engine's own table, whose cells PrepareFor fills on demand.
        BalloonTable* table = nullptr;
        CPassFrame passes[2]; // direct, ceiling image
        int passCount = 1;
        double scale = 1.0; // sqrt(weight * power)
    };
    struct InstallationPlan {
        const ModelPlan* model = nullptr; // nullptr: the installation's model does not exist
        std::vector<ElementPlan> elements;
        bool reverse = false;
        double delayPath = 0.0; // metres the signal delay stands for; 0 in Energy mode
    };
    ModelPlan* PrepareModel(int index);
    InstallationPlan Plan(const CInstallationElement& inst);
    static CVec3 Local(const CPassFrame& pass, const CVec3& point); // in the pass's axes
    static int PassCount(const InstallationPlan& inst);
    // Every pass of installations [first, last) in order, for the lanes at x, y, z.
    void Locate(const InstallationPlan* first, const InstallationPlan* last, const double* x,
                const double* y, const double* z, CPassLanes* out) const;
    // Adds the installation's pressure at the first `count` lanes, its passes as Locate found
    // them, to re and im, lane i at i * stride; a lane whose response fails sets failed[i] and
    // is left alone from then on.
    void AddLanes(const InstallationPlan& inst, const CPassLanes* located, int count, double* re,
                  double* im, std::size_t stride, bool* failed) const;
    void FillCell(BalloonTable& table, const ModelPlan& model, int cell);
    // Level and phase of a cell at the band's frequencies into a row of Padded() values.
    static void ConvertCell(const BalloonTable& table, const ModelPlan& model, int cell,
                            double* level, double* phase);
    // The cells at the next phi, next theta and both (the cell itself beyond the grid).
    static std::array<int, 3> Neighbours(const BalloonTable& table, int cell);
    // The neighbours' phases (bits of `rows`) unwrapped against row `ownRow` into quad `quad`;
    // the neighbours' rows must be converted.
    void UnwrapNeighbours(BalloonTable& table, int cell, std::size_t quad, int ownRow,
                          unsigned rows) const;
    // Converts every complete table laid out but not yet filled, on the pool's workers.
    void FillCompleteTables(CWorkerPool* pool, int threads);
    // Converts the cell's neighbours where needed and unwraps their phases against the cell's:
    // `rows` has bit 0 for the next phi, 1 for the next theta, 2 for both.
    void FillQuad(BalloonTable& table, const ModelPlan& model, int cell, unsigned rows);
    static constexpr unsigned kAllNeighbours = 7;
    // The rows a lane's corners read.
    static unsigned NeighbourRows(const CPassLanes& lanes, int lane);
    // Points the kernel's rows and weights at the lane's corners; false when a cell is not
    // converted.
    static bool SetRows(const BalloonTable& table, std::size_t stride, const CPassLanes& lanes,
                        int lane, CPassKernel& kernel);

    CAcousticScene m_scene;
    int m_mode;
    CBandIndexRange m_band;
    ETables m_tables;
    std::vector<unsigned char> m_needed;
    std::vector<double> m_frequencies; // padded with zeros
    std::vector<double> m_air;         // nepers per metre per frequency; empty: no air on the direct sound
    std::vector<ModelPlan> m_models;   // one per model of the container
    std::vector<InstallationPlan> m_installations;
    CSPComplex m_sentinel; // a pass at zero distance
    int m_passTotal = 0;   // of every installation
    bool m_deferFill = false; // while constructing: complete tables are filled at the end
};
