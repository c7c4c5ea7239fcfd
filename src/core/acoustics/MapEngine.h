#pragma once

#include "acoustics/AcousticScene.h"
#include "common/Vec3.h"
#include "speaker/SPComplex.h"

#include <vector>

class CSpeakerModel;
class CSpeakerElement;

// The program's band evaluation. It prepares once what does not depend on the receiver (element
// frames, the band's frequency indices, level and phase of every stored balloon value in the
// band, grid directions), does the direction work once per element rather than per frequency,
// and sums every point in the same order as BandPressure. Its levels stay well within 1e-9 dB of
// BandPressure: it builds each value from level and phase once instead of twice and may use
// vector maths. PointPressure is const and thread-safe; each thread passes its own scratch.
class CMapEngine {
public:
    struct Scratch {
        std::vector<CSPComplex> installation;
        std::vector<CSPComplex> sum;
        std::vector<double> exponents; // natural log of each frequency's 10^(L/20)
        std::vector<double> angles;    // each frequency's phase in radians
    };

    CMapEngine(const CAcousticScene& scene, int mode, const CBandIndexRange& band);

    // Same contract as BandPressure.
    int PointPressure(const CVec3& point, double& pressure, Scratch& scratch) const;
    Scratch MakeScratch() const;
    int BandCount() const { return m_band.Count(); }

private:
    // Level and phase of one balloon at the band's frequencies, cell-major so the four corners
    // of an interpolation read contiguous runs.
    struct BalloonTable {
        const CSpeakerElement* element = nullptr; // for the header's grids
        int phiCount = 0;
        int thetaCount = 0;
        bool thetaAscending = false;
        bool phiAscending = false;
        std::vector<double> level; // [(phi * thetaCount + theta) * bandCount + j]
        std::vector<double> phase;
        std::vector<CVec3>
            directions; // unit vector of each grid direction, [phi * thetaCount + theta]
    };
    enum class FrequencyState : unsigned char { Inside, Outside, Missing };
    struct ModelPlan {
        const CSpeakerModel* model = nullptr;
        std::vector<FrequencyState> states; // per band frequency
        bool anyMissing = false;
        double referenceDistance = 1.0;
        std::vector<BalloonTable> balloons; // per element of the model
    };
    struct Pass {
        CVec3 source;
        CMatrix3 rotation;
        bool image = false;
    };
    struct ElementPlan {
        const BalloonTable* table = nullptr;
        Pass passes[2];
        int passCount = 1;
        double scale = 1.0; // sqrt(weight * power)
    };
    struct InstallationPlan {
        const ModelPlan* model = nullptr; // nullptr: the installation's model does not exist
        std::vector<ElementPlan> elements;
        bool reverse = false;
    };

    // Adds one element pass at every band frequency; false when the response fails.
    bool AddPass(const InstallationPlan& inst, const ElementPlan& element, const Pass& pass,
                 const CVec3& point, CSPComplex* acc, Scratch& scratch) const;

    CAcousticScene m_scene;
    int m_mode;
    CBandIndexRange m_band;
    std::vector<double> m_frequencies;
    std::vector<ModelPlan> m_models; // one per model of the container
    std::vector<InstallationPlan> m_installations;
};
