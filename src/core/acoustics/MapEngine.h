#pragma once

#include "acoustics/AcousticScene.h"
#include "acoustics/EngineKernel.h"
#include "common/Vec3.h"
#include "speaker/SPComplex.h"

#include <vector>

class CSpeakerModel;
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

    // One pass's direction d in its element's axes, |d| and the balloon angles of d.
    struct Direction {
        CVec3 d;
        double r = 0.0;
        double theta = 0.0;
        double phi = 0.0;
    };
    struct Scratch {
        std::vector<double> re, im;        // one installation, padded
        std::vector<double> sumRe, sumIm;  // every installation, padded
        std::vector<Direction> directions; // every pass of every installation
    };

    // `needed` (one flag per band frequency, or empty for all) marks the frequencies a caller
    // sums; a model that lacks another one does not fail, and its values there are meaningless.
    CMapEngine(const CAcousticScene& scene, int mode, const CBandIndexRange& band,
               ETables tables = ETables::All, std::vector<unsigned char> needed = {});

    // Same contract as BandPressure.
    int PointPressure(const CVec3& point, double& pressure, Scratch& scratch) const;
    Scratch MakeScratch() const;
    int BandCount() const { return m_band.Count(); }
    int Padded() const { return PaddedCount(m_band.Count()); }
    int InstallationCount() const { return static_cast<int>(m_installations.size()); }

    // Adds installation k's pressure at every band frequency (Padded() entries) to re[] and im[];
    // false when its response fails, as the point response does.
    bool AddInstallation(int k, const CVec3& point, double* re, double* im) const;

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
        std::vector<CVec3> directions; // unit vector of each grid direction, per cell
    };
    struct ModelPlan {
        const CSpeakerModel* model = nullptr;
        std::vector<int> ks; // model frequency index per band frequency; -1 outside or missing
        bool anyMissing = false;
        double referenceDistance = 1.0;
        std::vector<BalloonTable> balloons; // per distinct balloon of the model
    };
    struct Pass {
        CVec3 source;
        CMatrix3 rotation;
        bool image = false;
    };
    struct ElementPlan {
        // The engine's own table, whose cells PrepareFor fills on demand.
        BalloonTable* table = nullptr;
        Pass passes[2];
        int passCount = 1;
        double scale = 1.0; // sqrt(weight * power)
    };
    struct InstallationPlan {
        const ModelPlan* model = nullptr; // nullptr: the installation's model does not exist
        std::vector<ElementPlan> elements;
        bool reverse = false;
    };
    // Where one pass meets the balloon.
    enum class EPass { Sentinel, Value, Failed };
    struct Located {
        int cells[4] = {}; // A, B, C, D; only A when exact
        CPassKernel kernel;
    };

    ModelPlan* PrepareModel(int index);
    InstallationPlan Plan(const CInstallationElement& inst);
    static CVec3 Local(const Pass& pass, const CVec3& point); // in the pass's element axes
    EPass Locate(const InstallationPlan& inst, const ElementPlan& element, const Pass& pass,
                 const Direction& direction, Located& out) const;
    // The directions of every pass of installations [first, last) in order, the angles found
    // four at a time across installations, so no lane idles between them.
    void Directions(const InstallationPlan* first, const InstallationPlan* last, const CVec3& point,
                    Direction* out) const;
    static int PassCount(const InstallationPlan& inst);
    // Calls visit(element, result, located) for every pass of the installation in order, with
    // the directions Directions found, until visit returns false; returns what the last did.
    template <class Visit>
    bool VisitPasses(const InstallationPlan& inst, const Direction* directions,
                     Visit&& visit) const;
    bool AddInstallationAt(const InstallationPlan& inst, const Direction* directions, double* re,
                           double* im) const;
    void FillCell(BalloonTable& table, const ModelPlan& model, int cell);

    CAcousticScene m_scene;
    int m_mode;
    CBandIndexRange m_band;
    ETables m_tables;
    std::vector<unsigned char> m_needed;
    std::vector<double> m_frequencies; // padded with zeros
    std::vector<ModelPlan> m_models;   // one per model of the container
    std::vector<InstallationPlan> m_installations;
    int m_passTotal = 0; // of every installation
};
