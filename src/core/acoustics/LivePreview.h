#pragma once

#include "acoustics/AcousticScene.h"
#include "acoustics/MapEngine.h"
#include "acoustics/WorkerPool.h"

#include <cstddef>
#include <memory>
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
class CLivePreview {
public:
    static constexpr std::size_t kDefaultMemoryBound = std::size_t{256} << 20;

    CLivePreview(const CAcousticScene& scene, const CColorMapCondition& condition, int moving,
                 int threads = 0, std::size_t memoryBound = kDefaultMemoryBound,
                 CWorkerPool* pool = nullptr);

    bool Active() const { return m_active; }
    std::size_t CacheBytes() const;
    static std::size_t BytesFor(long long points, int bandCount, int mode);

    // The level (dB SPL) of every point of the plane, in its order, with the moving installation
    // as the scene holds it now. False (levels untouched) when not Active or a response fails.
    bool Update(std::vector<double>& levels, int threads = 0);

private:
    // Sums the other installations over points [first, last) into the cache, and adds the
    // moving one to it, writing the levels; re and im hold four padded points each.
    bool AddOthers(std::size_t first, std::size_t last, double* re, double* im);
    bool AddMoving(std::size_t first, std::size_t last, double* re, double* im,
                   double* levels) const;
    CWorkerPool& Workers(int threads); // the given ones, or our own started on first use

    CMapEngine m_engine;
    int m_mode;
    int m_moving;
    std::unique_ptr<CWorkerPool> m_ownPool;
    CWorkerPool* m_pool;
    bool m_active = false;
    std::vector<CVec3> m_points;
    std::vector<double> m_others; // per point: 1 energy, or 2 x band count re then im
};
