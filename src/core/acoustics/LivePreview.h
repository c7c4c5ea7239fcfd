#pragma once

#include "acoustics/AcousticScene.h"
#include "acoustics/MapEngine.h"
#include "acoustics/WorkerPool.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class CColorMapCondition;

// A map that follows one installation while it is dragged or edited. It keeps, per plane point,
// the summed contribution of every other installation (per band frequency for Interference, the
// energy for Energy), so each step computes only the moving installation. The sums run in a
// different order than the exact map, which stays a few ulps away; the exact map is computed as
// usual on the drop.
//
// The cache takes BytesFor(points, band frequencies, mode); above the memory bound, with an empty
// band or when a response fails, the preview is not Active and the caller recalculates exactly.
// The scene's installation list must keep its size and order while the preview lives; the moving
// installation itself may change in any way, also its model. Building the cache and every step
// run on the workers given (they must not be busy with a job that waits for the preview), or on
// workers of the preview's own, started once for its lifetime.
//
// Building the cache costs about one exact map, so a window builds it in the background: the
// constructor only starts the workers, Building() tells when they are done, and destroying the
// preview (or Cancel) stops them and waits for them to leave. Meanwhile the scene is read by the
// workers and must not change, the moving installation excepted.
class CLivePreview {
public:
    static constexpr std::size_t kDefaultMemoryBound = std::size_t{256} << 20;
    enum class EBuild { Now, InBackground };

    // With `subset`, only those points of the plane (indices, in the order given) are kept and
    // updated: a coarser picture that follows the mouse on a very large plane.
    CLivePreview(const CAcousticScene& scene, const CColorMapCondition& condition, int moving,
                 int threads = 0, std::size_t memoryBound = kDefaultMemoryBound,
                 CWorkerPool* pool = nullptr, EBuild build = EBuild::Now,
                 const std::vector<std::size_t>* subset = nullptr);
    // A preview of several bands at once over `band`: segment s holds the band frequencies
    // [segments[s].first, segments[s].second), summed as a map of exactly that band sums them
    // (the seven octaves of a speech map). The cache keeps per point the others' energy of every
    // segment (Energy) or their pressure at every frequency (Interference).
    CLivePreview(const CAcousticScene& scene, int mode, const CBandIndexRange& band,
                 std::vector<std::pair<int, int>> segments, const CColorMapCondition& condition,
                 int moving, int threads = 0, std::size_t memoryBound = kDefaultMemoryBound,
                 CWorkerPool* pool = nullptr, EBuild build = EBuild::Now,
                 const std::vector<std::size_t>* subset = nullptr);
    ~CLivePreview();
    CLivePreview(const CLivePreview&) = delete;
    CLivePreview& operator=(const CLivePreview&) = delete;

    // Whole and usable; false while the cache builds.
    bool Active() const { return m_active; }
    // True while background workers still fill the cache. The call that sees them done takes
    // their result, so Active() says from then on whether the cache is whole; what a worker threw
    // is thrown here once (the preview is then not Active).
    bool Building();
    // The share of the plane's points whose cache is filled, 0 to 1.
    double BuildProgress() const;
    // Stops a background build and waits until no worker touches the preview; it is then not
    // Active. Nothing to do when none runs.
    void Cancel();
    std::size_t CacheBytes() const;
    static std::size_t BytesFor(long long points, int bandCount, int mode, int segments = 1);

    // The level (dB SPL) of every point of the plane (of the subset), in its order, with the moving
    // installation
    // as the scene holds it now. False (levels untouched) when not Active or a response fails.
    bool Update(std::vector<double>& levels, int threads = 0);
    // The same with every segment's level of a point turned into its value by `value` (given the
    // segments' levels in dB, in order), on the workers.
    using CValueOf = std::function<double(const double* segmentLevels)>;
    bool Update(std::vector<double>& values, const CValueOf& value, int threads = 0);
    int SegmentCount() const { return static_cast<int>(m_segments.size()); }

private:
    // Adds the moving installation to the cache over points [first, last), writing the levels;
    // re and im hold four padded points each.
    bool AddMoving(std::size_t first, std::size_t last, double* re, double* im, double* levels,
                   const CValueOf* value) const;
    // Energy: one sum per segment; Interference: re then im of every band frequency.
    std::size_t Stride() const;
    CWorkerPool& Workers(int threads); // the given ones, or our own started on first use
    // The others' sums of points [first, last), four points at a time; re and im are a worker's
    // padded scratch for four points.
    bool FillCache(std::size_t first, std::size_t last, double* re, double* im);
    // One worker of the build: takes chunks until none is left, one fails or it is stopped.
    void BuildChunks(const std::stop_token& stop);
    void EndBuild(bool whole);

    CMapEngine m_engine;
    std::vector<std::pair<int, int>> m_segments;
    int m_mode;
    int m_moving;
    std::unique_ptr<CWorkerPool> m_ownPool;
    CWorkerPool* m_pool;
    bool m_active = false;
    std::vector<CVec3> m_points;
    std::vector<double> m_others; // per point: 1 energy, or 2 x band count re then im
    std::atomic<std::size_t> m_nextChunk{0};
    std::atomic<std::size_t> m_filled{0}; // points
    std::atomic<bool> m_failed{false};
    // Last, so it stops and waits for its workers before anything they use goes.
    std::optional<CWorkerPool::CBatch> m_build;
};
