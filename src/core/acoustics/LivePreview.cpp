#include "acoustics/LivePreview.h"

#include "acoustics/ColorMapCondition.h"
#include "acoustics/EngineKernel.h"
#include "acoustics/MapCalculation.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <functional>

namespace {
using CChunkWork = std::function<bool(std::size_t, std::size_t, double*, double*)>;

constexpr std::size_t kChunk = 256; // a stop is heard within one chunk

// One worker: takes chunks of [0, count) from `next` and runs work(first, last, re, im) on them,
// with its own padded sums for four points, until none is left, one fails or it is stopped.
// `filled` counts the points done.
void TakeChunks(std::atomic<std::size_t>& next, std::atomic<bool>& failed,
                std::atomic<std::size_t>& filled, std::size_t count, int padded,
                const std::stop_token& stop, const CChunkWork& work) {
    std::vector<double> re(static_cast<std::size_t>(padded) * kKernelLanes), im(re.size());
    while (!failed.load(std::memory_order_relaxed) && !stop.stop_requested()) {
        const std::size_t first = next.fetch_add(kChunk);
        if (first >= count)
            return;
        const std::size_t last = std::min(count, first + kChunk);
        if (!work(first, last, re.data(), im.data()))
            failed = true;
        else
            filled += last - first;
    }
}

// Runs work over [0, count) on `threads` workers of the pool (0: one per core; 1: the calling
// thread); false when any chunk returns false.
bool ForChunks(const std::function<CWorkerPool&()>& pool, std::size_t count, int threads,
               int padded, const CChunkWork& work) {
    std::atomic<std::size_t> next{0}, filled{0};
    std::atomic<bool> failed{false};
    auto run = [&](const std::stop_token& stop) {
        TakeChunks(next, failed, filled, count, padded, stop, work);
    };
    const int workers = threads > 0 ? threads : CWorkerPool::CoreCount();
    if (workers == 1)
        run({});
    else
        pool().Start(workers, run).Wait();
    return !failed && next.load() >= count;
}
} // namespace

std::size_t CLivePreview::BytesFor(long long points, int bandCount, int mode, int segments) {
    const std::size_t perPoint =
        sizeof(CVec3) +
        sizeof(double) * static_cast<std::size_t>(mode == kModeInterference ? 2 * bandCount : segments);
    return static_cast<std::size_t>(std::max(points, 0LL)) * perPoint;
}

CWorkerPool& CLivePreview::Workers(int threads) {
    if (!m_pool)
        m_pool = (m_ownPool = std::make_unique<CWorkerPool>(threads)).get();
    return *m_pool;
}

std::size_t CLivePreview::CacheBytes() const {
    return m_points.capacity() * sizeof(CVec3) + m_others.capacity() * sizeof(double);
}

std::size_t CLivePreview::Stride() const {
    return m_mode == kModeInterference ? 2 * static_cast<std::size_t>(m_engine.BandCount())
                                       : m_segments.size();
}

CLivePreview::CLivePreview(const CAcousticScene& scene, const CColorMapCondition& condition,
                           int moving, int threads, std::size_t memoryBound, CWorkerPool* pool,
                           EBuild build, const std::vector<std::size_t>* subset)
    : CLivePreview(scene, condition.mode, ConditionBand(scene, condition), {}, condition, moving,
                   threads, memoryBound, pool, build, subset) {}

CLivePreview::CLivePreview(const CAcousticScene& scene, int mode, const CBandIndexRange& band,
                           std::vector<std::pair<int, int>> segments,
                           const CColorMapCondition& condition, int moving, int threads,
                           std::size_t memoryBound, CWorkerPool* pool, EBuild build,
                           const std::vector<std::size_t>* subset)
    // The engine's tables are converted here, on the calling thread: a preview built in the
    // background must not wait for workers that may be busy.
    : m_engine(scene, mode, band), m_segments(std::move(segments)), m_mode(mode), m_moving(moving),
      m_pool(pool) {
    const int n = m_engine.BandCount();
    if (m_segments.empty())
        m_segments.emplace_back(0, n);
    for (const auto& [first, last] : m_segments)
        if (first < 0 || last > n || last <= first)
            return;
    const CListeningPlane& plane = condition.plane;
    const std::size_t planeCount =
        std::min(plane.points.size(), static_cast<std::size_t>(std::max(plane.pointCount, 0)));
    const std::size_t count = subset ? subset->size() : planeCount;
    if (!scene.HasInstallations() || moving < 0 || moving >= m_engine.InstallationCount() ||
        n == 0 || (m_mode != kModeInterference && m_mode != kModeEnergy) ||
        BytesFor(static_cast<long long>(count), n, m_mode, static_cast<int>(m_segments.size())) >
            memoryBound)
        return;
    m_points.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t index = subset ? (*subset)[i] : i;
        if (index >= planeCount) { // not a point of this plane: not Active
            m_points = std::vector<CVec3>();
            return;
        }
        const CPlaceElement& p = plane.points[index];
        m_points.push_back({p.x, p.y, p.z});
    }
    m_others.assign(count * Stride(), 0.0);
    if (build == EBuild::InBackground) {
        const int workers = threads > 0 ? threads : CWorkerPool::CoreCount();
        m_build.emplace(Workers(threads).Start(
            workers, [this](const std::stop_token& stop) { BuildChunks(stop); }));
        return;
    }
    EndBuild(ForChunks([&]() -> CWorkerPool& { return Workers(threads); }, count, threads,
                       m_engine.Padded(),
                       [&](std::size_t first, std::size_t last, double* re, double* im) {
                           return FillCache(first, last, re, im);
                       }));
}

CLivePreview::~CLivePreview() {
    Cancel();
}

bool CLivePreview::FillCache(std::size_t first, std::size_t last, double* re, double* im) {
    const int n = m_engine.BandCount();
    const std::size_t padded = static_cast<std::size_t>(m_engine.Padded());
    const std::size_t stride = Stride();
    const std::size_t sums = padded * kKernelLanes;
    // Four points at a time, as the engine locates passes.
    for (std::size_t i = first; i < last; i += kKernelLanes) {
        const int lanes = static_cast<int>(std::min<std::size_t>(kKernelLanes, last - i));
        if (m_mode == kModeInterference) {
            std::fill(re, re + sums, 0.0);
            std::fill(im, im + sums, 0.0);
        }
        for (int k = 0; k < m_engine.InstallationCount(); ++k) {
            if (k == m_moving)
                continue;
            if (m_mode == kModeEnergy) {
                std::fill(re, re + sums, 0.0);
                std::fill(im, im + sums, 0.0);
            }
            if (!m_engine.AddInstallation(k, &m_points[i], lanes, re, im, padded))
                return false;
            if (m_mode == kModeEnergy)
                for (int lane = 0; lane < lanes; ++lane) {
                    const double* laneRe = re + static_cast<std::size_t>(lane) * padded;
                    const double* laneIm = im + static_cast<std::size_t>(lane) * padded;
                    double* out = m_others.data() + (i + static_cast<std::size_t>(lane)) * stride;
                    for (std::size_t s = 0; s < m_segments.size(); ++s) {
                        const auto [from, to] = m_segments[s];
                        double e = 0.0;
                        for (int j = from; j < to; ++j)
                            e += laneRe[j] * laneRe[j] + laneIm[j] * laneIm[j];
                        out[s] += e / (to - from);
                    }
                }
        }
        if (m_mode == kModeInterference)
            for (int lane = 0; lane < lanes; ++lane) {
                const std::size_t at = static_cast<std::size_t>(lane) * padded;
                double* out = m_others.data() + (i + static_cast<std::size_t>(lane)) * stride;
                std::copy(re + at, re + at + static_cast<std::size_t>(n), out);
                std::copy(im + at, im + at + static_cast<std::size_t>(n), out + n);
            }
    }
    return true;
}

void CLivePreview::BuildChunks(const std::stop_token& stop) {
    TakeChunks(m_nextChunk, m_failed, m_filled, m_points.size(), m_engine.Padded(), stop,
               [this](std::size_t first, std::size_t last, double* re, double* im) {
                   return FillCache(first, last, re, im);
               });
}

void CLivePreview::EndBuild(bool whole) {
    m_active = whole;
    if (!whole) { // the memory goes too (assigning {} would keep it)
        m_points = std::vector<CVec3>();
        m_others = std::vector<double>();
    }
}

bool CLivePreview::Building() {
    if (!m_build)
        return false;
    if (!m_build->WaitFor(std::chrono::milliseconds(0)))
        return true;
    // Every worker has left: the cache is whole unless one failed or they were stopped.
    try {
        m_build->Wait();
    } catch (...) {
        m_build.reset();
        EndBuild(false);
        throw;
    }
    m_build.reset();
    EndBuild(!m_failed && m_filled.load() == m_points.size());
    return false;
}

double CLivePreview::BuildProgress() const {
    if (m_active)
        return 1.0;
    const std::size_t count = m_points.size();
    return count == 0 ? 0.0 : static_cast<double>(m_filled.load()) / static_cast<double>(count);
}

void CLivePreview::Cancel() {
    if (!m_build)
        return;
    m_build.reset(); // stops the workers and waits for them
    EndBuild(false);
}

bool CLivePreview::AddMoving(std::size_t first, std::size_t last, double* re, double* im,
                             double* levels, const CValueOf* value) const {
    const int n = m_engine.BandCount();
    const std::size_t padded = static_cast<std::size_t>(m_engine.Padded());
    const std::size_t stride = Stride();
    const std::size_t segments = m_segments.size();
    std::vector<double> segmentLevels(segments);
    for (std::size_t i = first; i < last; i += kKernelLanes) {
        const int lanes = static_cast<int>(std::min<std::size_t>(kKernelLanes, last - i));
        for (int lane = 0; lane < lanes; ++lane) {
            const double* others = m_others.data() + (i + static_cast<std::size_t>(lane)) * stride;
            double* laneRe = re + static_cast<std::size_t>(lane) * padded;
            double* laneIm = im + static_cast<std::size_t>(lane) * padded;
            if (m_mode == kModeInterference) {
                std::copy(others, others + n, laneRe);
                std::copy(others + n, others + 2 * n, laneIm);
                std::fill(laneRe + n, laneRe + padded, 0.0);
                std::fill(laneIm + n, laneIm + padded, 0.0);
            } else {
                std::fill(laneRe, laneRe + padded, 0.0);
                std::fill(laneIm, laneIm + padded, 0.0);
            }
        }
        if (!m_engine.AddInstallation(m_moving, &m_points[i], lanes, re, im, padded))
            return false;
        for (int lane = 0; lane < lanes; ++lane) {
            const std::size_t at = i + static_cast<std::size_t>(lane);
            const double* laneRe = re + static_cast<std::size_t>(lane) * padded;
            const double* laneIm = im + static_cast<std::size_t>(lane) * padded;
            for (std::size_t s = 0; s < segments; ++s) {
                const auto [from, to] = m_segments[s];
                double acc = 0.0;
                for (int j = from; j < to; ++j)
                    acc += laneRe[j] * laneRe[j] + laneIm[j] * laneIm[j];
                const int count = to - from;
                segmentLevels[s] = PressureLevel(m_mode == kModeInterference
                                                     ? std::sqrt(acc / count)
                                                     : std::sqrt(m_others[at * stride + s] + acc / count));
            }
            levels[at] = value ? (*value)(segmentLevels.data()) : segmentLevels[0];
        }
    }
    return true;
}

bool CLivePreview::Update(std::vector<double>& levels, int threads) {
    return Update(levels, CValueOf(), threads);
}

bool CLivePreview::Update(std::vector<double>& levels, const CValueOf& value, int threads) {
    if (!m_active)
        return false;
    m_engine.ReplanInstallation(m_moving);
    const int padded = m_engine.Padded();
    std::vector<double> result(m_points.size());
    const bool ok = ForChunks([&]() -> CWorkerPool& { return Workers(threads); }, m_points.size(),
                              threads, padded,
                              [&](std::size_t first, std::size_t last, double* re, double* im) {
                                  return AddMoving(first, last, re, im, result.data(),
                                                   value ? &value : nullptr);
                              });
    if (ok)
        levels = std::move(result);
    return ok;
}
