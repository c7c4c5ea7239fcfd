#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// One grid point of a calculation plane: its level and the cell it stands for.
struct CPlaceElement {
    double level = 0.0;
    double x = 0.0, y = 0.0, z = 0.0;
    double sizeX = 0.0, sizeY = 0.0, sizeZ = 0.0;
    friend bool operator==(const CPlaceElement&, const CPlaceElement&) = default;
};

using CPlaceElementList = std::vector<CPlaceElement>;

enum class EPlaneOrientation { XY, YZ, XZ, Invalid };

inline constexpr int kColorClasses = 25;

// What a plane's levels are. A level that is not a number (NaN) is a point without one: not
// reached by a stopped calculation, or left out because it lies at a speaker's position.
enum class EMapState {
    NotCalculated, // no levels: a new or rebuilt grid, a room without speakers, a map not yet asked
    Incomplete,    // the calculation was stopped: the points it did not reach have no level
    Complete,      // every point has its level, but those left out at a speaker
    Failed,        // the calculation failed; `failure` says why
};

// The most grid points a plane may have: 56 bytes a point in memory and again in the project
// file, so a plane at the limit takes 56 MB each way and dozens of them still fit in the largest
// file the reader takes (FileSafety::kMaxFileBytes). Builder, file writer and reader all keep it.
inline constexpr long long kMaxPlanePoints = 1'000'000;

// The calculation ("audience") plane: a grid of cells over a rectangle parallel to one of the
// room's coordinate planes, their levels and the colour classification of those levels.
class CListeningPlane {
public:
    CListeningPlane() = default;
    // Moved, not copied, when a plane changes hands (loading, appending): the virtual
    // destructor alone would turn every move of its points into a copy.
    CListeningPlane(const CListeningPlane&) = default;
    CListeningPlane(CListeningPlane&&) noexcept = default;
    CListeningPlane& operator=(const CListeningPlane&) = default;
    CListeningPlane& operator=(CListeningPlane&&) noexcept = default;
    virtual ~CListeningPlane() = default;

    // Regenerates the grid. Leaves the plane entirely unchanged unless exactly one extent is 0
    // (after snapping to the pitch) and the grid has points.
    void Build(double originX, double originY, double originZ, double extentX, double extentY,
               double extentZ, double dotPitch, double colorMaximum, double colorPitch);
    // The number of points Build would generate for these extents, or 0 when it would refuse.
    static long long GridCount(double extentX, double extentY, double extentZ, double dotPitch);
    // The number of points of the grid regardless of kMaxPlanePoints (saturating at a huge
    // value), or 0 when no grid can be laid; says how far beyond the limit a request is.
    static long long RequestedGridCount(double extentX, double extentY, double extentZ,
                                        double dotPitch);
    // Build with the plane's own values: levels, statistics and colours back to their defaults.
    void Rebuild();
    // Colour (0x00BBGGRR) of the level class of L; black for a level that is not a number.
    std::uint32_t ColorOf(double level) const;

    static const std::array<std::uint32_t, kColorClasses>& DefaultColors();
    // Orientation from the extents, tested Z first, then X, then Y.
    EPlaneOrientation Orientation() const;
    bool IsParallelToXY() const { return extentZ == 0.0; }
    // Levels and statistics back to 0, grid kept; not calculated.
    void ClearLevels();
    // The levels are a finished map's (not a stopped, failed or outdated one): the statistics
    // are its own and may be reported.
    bool HasResult() const { return state == EMapState::Complete && !calculating; }

    double musicSpeechAverage = 0.0;
    double pinkNoiseAverage = 0.0;
    double dotPitch = 0.0;
    double extentX = 0.0, extentY = 0.0, extentZ = 0.0;
    double originX = 0.0, originY = 0.0, originZ = 0.0;
    int pointCount = 0;
    CPlaceElementList points;
    std::array<std::uint32_t, kColorClasses> colors{};
    std::array<double, kColorClasses> thresholds{};
    double colorMaximum = 0.0;
    double colorPitch = 0.0;
    double maximumLevel = 0.0;
    double minimumLevel = 0.0;

    // None of these is saved. A project file keeps the levels and the statistics; a plane whose
    // four statistics are all 0 reads back as not calculated (no finished map has them: its
    // music/speech average is 4 dB below its pink-noise average), any other as complete.
    EMapState state = EMapState::NotCalculated;
    // A calculation of new levels runs; the plane shows its previous state meanwhile.
    bool calculating = false;
    std::string failure;   // why the last calculation failed
    long long leftOut = 0; // points of a complete map left out at a speaker's position
};
