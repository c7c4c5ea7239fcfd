#include "acoustics/MapEngine.h"

#include "acoustics/ColorMapCondition.h"
#include "acoustics/InstallationElement.h"
#include "acoustics/PointResponse.h"
#include "acoustics/WorkerPool.h"
#include "common/MathUtil.h"
#include "common/Units.h"
#include "speaker/FrequencyList.h"
#include "speaker/SpeakerModelContainer.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <functional>
#include <map>

namespace {
constexpr double kGridTolerance = 0.00001;

// The spacing of a grid whose values lie within 1e-9 of g[0] + i * step, else 0.
double EvenStep(const double* grid, int count) {
    if (count < 3)
        return 0.0;
    const double step = (grid[count - 1] - grid[0]) / (count - 1);
    if (!(step > 0.0))
        return 0.0;
    for (int i = 0; i < count; ++i)
        if (std::fabs(grid[i] - (grid[0] + i * step)) > 1e-9)
            return 0.0;
    return step;
}

// 1 / spacing of an ascending grid EvenBracket can take (its values more than four tolerances
// apart), else 0.
double PerStep(const double* grid, int count, bool ascending) {
    const double step = ascending ? EvenStep(grid, count) : 0.0;
    return step > 4.0 * kGridTolerance ? 1.0 / step : 0.0;
}
} // namespace

CMapEngine::CMapEngine(const CAcousticScene& scene, int mode, const CBandIndexRange& band,
                       ETables tables, std::vector<unsigned char> needed, CWorkerPool* pool,
                       int threads)
    : m_scene(scene), m_mode(mode), m_band(band), m_tables(tables), m_needed(std::move(needed)) {
    for (int i = m_band.start; i < m_band.end; ++i)
        m_frequencies.push_back(ModelFrequency(i, m_band.pitch));
    m_frequencies.resize(static_cast<std::size_t>(Padded()), 0.0);
    if (m_scene.AirOnDirect())
        for (double f : m_frequencies)
            m_air.push_back(f > 0.0 ? m_scene.AirNepers(f) : 0.0);
    m_sentinel = CSPComplex::FromLevelPhase(kZeroDistanceLevel, 0.0);
    if (!m_scene.HasInstallations())
        return;
    m_models.resize(static_cast<std::size_t>(m_scene.models->Count()));
    // The planning only lays the complete tables out; converting their cells is most of the
    // preparation, and it runs on the workers below.
    m_deferFill = tables == ETables::All;
    for (const CInstallationElement& inst : *m_scene.installations) {
        m_installations.push_back(Plan(inst));
        m_passTotal += PassCount(m_installations.back());
    }
    m_deferFill = false;
    FillCompleteTables(pool, threads);
}

namespace {
// Runs work(i) for i in [0, count) on `threads` workers of the pool (0: one per core) in
// chunks, or on the calling thread when there is no pool or one thread is asked for.
void ForEachCell(CWorkerPool* pool, int threads, std::size_t count,
                 const std::function<void(std::size_t)>& work) {
    const int workers =
        std::clamp(threads > 0 ? threads : CWorkerPool::CoreCount(), 1, CWorkerPool::kMaxThreads);
    if (!pool || workers == 1 || count < 64) {
        for (std::size_t i = 0; i < count; ++i)
            work(i);
        return;
    }
    constexpr std::size_t kChunk = 32;
    std::atomic<std::size_t> next{0};
    CWorkerPool::CBatch batch = pool->Start(workers, [&](const std::stop_token& stop) {
        while (!stop.stop_requested()) {
            const std::size_t first = next.fetch_add(kChunk);
            if (first >= count)
                return;
            for (std::size_t i = first; i < std::min(count, first + kChunk); ++i)
                work(i);
        }
    });
    batch.Wait(); // rethrows what a worker threw
}
} // namespace

void CMapEngine::FillCompleteTables(CWorkerPool* pool, int threads) {
    // Every cell of every laid-out table, in one list so the workers share them evenly.
    struct Cell {
        BalloonTable* table;
        const ModelPlan* model;
        int cell;
    };
    std::vector<Cell> cells;
    for (ModelPlan& model : m_models)
        for (BalloonTable& table : model.balloons)
            if (table.complete && table.unfilled) {
                for (int cell = 0; cell < table.phiCount * table.thetaCount; ++cell)
                    cells.push_back({&table, &model, cell});
                table.unfilled = false;
            }
    if (cells.empty())
        return;
    const std::size_t padded = static_cast<std::size_t>(Padded());
    // Each cell writes only its own rows, so the cells need no order; the neighbours' phases
    // are read once every row is converted.
    ForEachCell(pool, threads, cells.size(), [&](std::size_t i) {
        const Cell& c = cells[i];
        const std::size_t row = static_cast<std::size_t>(c.cell) * padded;
        ConvertCell(*c.table, *c.model, c.cell, c.table->level.data() + row,
                    c.table->phase.data() + row);
    });
    ForEachCell(pool, threads, cells.size(), [&](std::size_t i) {
        const Cell& c = cells[i];
        UnwrapNeighbours(*c.table, c.cell, static_cast<std::size_t>(c.cell), c.cell,
                         kAllNeighbours);
    });
}

void CMapEngine::FillCell(BalloonTable& table, const ModelPlan& model, int cell) {
    const std::size_t padded = static_cast<std::size_t>(Padded());
    const int row = static_cast<int>(table.level.size() / std::max<std::size_t>(padded, 1));
    table.rowOf[static_cast<std::size_t>(cell)] = row;
    table.level.resize(table.level.size() + padded, 0.0);
    table.phase.resize(table.phase.size() + padded, 0.0);
    ConvertCell(table, model, cell, table.level.data() + static_cast<std::size_t>(row) * padded,
                table.phase.data() + static_cast<std::size_t>(row) * padded);
}

void CMapEngine::ConvertCell(const BalloonTable& table, const ModelPlan& model, int cell,
                             double* level, double* phase) {
    const CBalloonElement& balloon = table.element->Balloon();
    const int p = cell / table.thetaCount, t = cell % table.thetaCount;
    // Frequencies outside the model's range keep level and phase 0, as the point response
    // propagates its zero value. Runs of consecutive model frequencies lie side by side.
    const std::size_t n = model.ks.size();
    for (std::size_t j = 0; j < n;) {
        if (model.ks[j] < 0) {
            ++j;
            continue;
        }
        std::size_t end = j + 1;
        while (end < n && model.ks[end] == model.ks[end - 1] + 1)
            ++end;
        const CSPComplex& first = balloon.Value(p, t, model.ks[j]);
        balloon.Value(p, t, model.ks[end - 1]); // checks the run's end
        LevelsAndPhases(&first, static_cast<int>(end - j), level + j, phase + j);
        j = end;
    }
}

void CMapEngine::FillQuad(BalloonTable& table, const ModelPlan& model, int cell, unsigned rows) {
    const std::size_t padded = static_cast<std::size_t>(Padded());
    const std::size_t at = static_cast<std::size_t>(cell);
    if (table.rowOf[at] < 0)
        FillCell(table, model, cell);
    if (table.quadOf[at] < 0) {
        table.quadOf[at] =
            static_cast<int>(table.unwrapped.size() / std::max<std::size_t>(3 * padded, 1));
        table.unwrapped.resize(table.unwrapped.size() + 3 * padded, 0.0);
    }
    const unsigned missing = rows & ~static_cast<unsigned>(table.quadRows[at]);
    const std::array<int, 3> neighbours = Neighbours(table, cell);
    for (unsigned n = 0; n < 3; ++n)
        if ((missing & (1u << n)) && table.rowOf[static_cast<std::size_t>(neighbours[n])] < 0)
            FillCell(table, model, neighbours[n]);
    // After any conversion: the rows may have moved.
    UnwrapNeighbours(table, cell, static_cast<std::size_t>(table.quadOf[at]),
                     table.rowOf[at], missing);
    table.quadRows[at] = static_cast<unsigned char>(table.quadRows[at] | missing);
}

std::array<int, 3> CMapEngine::Neighbours(const BalloonTable& table, int cell) {
    const int T = table.thetaCount;
    const int p = cell / T, t = cell % T;
    const bool phiNext = p + 1 < table.phiCount, thetaNext = t + 1 < T;
    // A neighbour beyond the grid is never a corner; its row repeats the cell's phases.
    return {phiNext ? cell + T : cell, thetaNext ? cell + 1 : cell,
            phiNext && thetaNext ? cell + T + 1 : cell};
}

void CMapEngine::UnwrapNeighbours(BalloonTable& table, int cell, std::size_t quad, int ownRow,
                                  unsigned rows) const {
    const std::size_t padded = static_cast<std::size_t>(Padded());
    const std::array<int, 3> neighbours = Neighbours(table, cell);
    for (unsigned n = 0; n < 3; ++n) {
        if (!(rows & (1u << n)))
            continue;
        const int otherRow = table.rowOf[static_cast<std::size_t>(neighbours[n])];
        // Separate vectors, so the compiler may take the row two values at a time.
        const double* __restrict own = table.phase.data() + static_cast<std::size_t>(ownRow) * padded;
        const double* __restrict other =
            table.phase.data() + static_cast<std::size_t>(otherRow) * padded;
        double* __restrict out = table.unwrapped.data() + (quad * 3 + n) * padded;
        for (std::size_t j = 0; j < padded; ++j)
            out[j] = UnwrapAgainst(other[j], own[j]);
    }
}

CMapEngine::ModelPlan* CMapEngine::PrepareModel(int index) {
    if (index < 0 || index >= m_scene.models->Count())
        return nullptr;
    ModelPlan& plan = m_models[static_cast<std::size_t>(index)];
    if (plan.model)
        return &plan;
    const CSpeakerModel& model = m_scene.models->At(index);
    plan.model = &model;
    plan.referenceDistance = model.Header().referenceDistance;
    for (int j = 0; j < m_band.Count(); ++j) {
        const double f = m_frequencies[static_cast<std::size_t>(j)];
        int k = -1;
        const bool needed = m_needed.empty() || m_needed[static_cast<std::size_t>(j)];
        if (needed && !model.Header().IsOutsideRange(f) &&
            (k = model.Header().FindFrequencyIndex(f)) == -1)
            plan.anyMissing = true;
        plan.ks.push_back(k);
    }
    // One table per distinct balloon; elements of a line array share their module type's.
    std::map<const CBalloonElement*, bool> seen;
    for (const CSpeakerElement& element : model.Elements())
        if (seen.emplace(&element.Balloon(), true).second) {
            const CBalloonElement& balloon = element.Balloon();
            const CSpeakerDataHeader& header = element.Header();
            BalloonTable table;
            table.element = &element;
            table.phiCount = balloon.phiCount;
            table.thetaCount = header.thetaCount;
            table.thetaGrid = header.thetaGrid.data();
            table.phiGrid = balloon.phiGrid.data();
            table.thetaAscending = IsAscending(table.thetaGrid, header.thetaCount);
            table.phiAscending = IsAscending(table.phiGrid, balloon.phiCount);
            const int cells = table.phiCount * table.thetaCount;
            table.rowOf.assign(static_cast<std::size_t>(std::max(cells, 0)), -1);
            table.quadOf.assign(table.rowOf.size(), -1);
            table.quadRows.assign(table.rowOf.size(), 0);
            CBalloonGrid& grid = table.grid;
            grid.theta = table.thetaGrid;
            grid.thetaCount = table.thetaCount;
            grid.thetaAscending = table.thetaAscending;
            grid.thetaPerStep = PerStep(table.thetaGrid, table.thetaCount, table.thetaAscending);
            grid.phi = table.phiGrid;
            grid.phiCount = table.phiCount;
            grid.phiAscending = table.phiAscending;
            grid.phiPerStep = PerStep(table.phiGrid, table.phiCount, table.phiAscending);
            FillGridTables(grid, table.directions, table.trig);
            if (m_tables == ETables::All && !plan.anyMissing) {
                // Cell i in row i and quad i, every neighbour row built; the values are
                // converted by FillCompleteTables.
                const std::size_t padded = static_cast<std::size_t>(Padded());
                table.level.assign(table.rowOf.size() * padded, 0.0);
                table.phase.assign(table.level.size(), 0.0);
                table.unwrapped.assign(table.level.size() * 3, 0.0);
                for (int cell = 0; cell < cells; ++cell) {
                    table.rowOf[static_cast<std::size_t>(cell)] = cell;
                    table.quadOf[static_cast<std::size_t>(cell)] = cell;
                    table.quadRows[static_cast<std::size_t>(cell)] = kAllNeighbours;
                }
                table.complete = true;
                table.unfilled = true;
            }
            plan.balloons.push_back(std::move(table));
        }
    // A model planned after construction (a replanned installation took another) is filled at
    // once, on this thread.
    if (!m_deferFill)
        FillCompleteTables(nullptr, 1);
    return &plan;
}

CMapEngine::InstallationPlan CMapEngine::Plan(const CInstallationElement& inst) {
    InstallationPlan ip;
    ModelPlan* model = PrepareModel(inst.modelIndex);
    ip.model = model;
    ip.reverse = !inst.polarityNormal;
    // As the point response takes it: only Interference lets phases meet.
    ip.delayPath = m_mode == kModeInterference ? DelayPath(inst.delay) : 0.0;
    if (!model)
        return ip;
    ModelPlan& mp = *model;
    std::map<const CBalloonElement*, BalloonTable*> tables;
    for (BalloonTable& table : mp.balloons)
        tables[&table.element->Balloon()] = &table;
    for (const CSpeakerElement& element : mp.model->Elements()) {
        ElementPlan ep;
        ep.table = tables.at(&element.Balloon());
        ep.scale = std::sqrt(element.Weight() * inst.power);
        CElementFrame frame = ElementFrame(element, inst.orientation);
        CVec3 source = inst.position + frame.offset;
        auto set = [](CPassFrame& pass, const CVec3& at, const COrientation& aim, bool image) {
            pass.source[0] = at.x, pass.source[1] = at.y, pass.source[2] = at.z;
            const CMatrix3 rotation = RotationMatrix(aim);
            for (int i = 0; i < 3; ++i)
                for (int j = 0; j < 3; ++j)
                    pass.rotation[i][j] = rotation.m[i][j];
            pass.image = image;
        };
        set(ep.passes[0], source, frame.world, false);
        if (m_scene.ceilingReflection) {
            source.z = 2.0 * m_scene.ceilingHeight - source.z;
            frame.world.rotation = -frame.world.rotation;
            frame.world.elevation = -frame.world.elevation;
            set(ep.passes[1], source, frame.world, true);
            ep.passCount = 2;
        }
        ip.elements.push_back(ep);
    }
    return ip;
}

void CMapEngine::ReplanInstallation(int k) {
    InstallationPlan& inst = m_installations.at(static_cast<std::size_t>(k));
    m_passTotal -= PassCount(inst);
    inst = Plan(*m_scene.installations->At(k));
    m_passTotal += PassCount(inst);
}

CVec3 CMapEngine::Local(const CPassFrame& pass, const CVec3& point) {
    const double(&m)[3][3] = pass.rotation;
    const CVec3 v = point - CVec3{pass.source[0], pass.source[1], pass.source[2]};
    // The rotation's transpose times v, as CMatrix3::TransposeTimes computes it.
    return {m[0][0] * v.x + m[1][0] * v.y + m[2][0] * v.z,
            m[0][1] * v.x + m[1][1] * v.y + m[2][1] * v.z,
            m[0][2] * v.x + m[1][2] * v.y + m[2][2] * v.z};
}

bool CMapEngine::ReadsBalloon(int k, const CVec3& point) const {
    const InstallationPlan& inst = m_installations.at(static_cast<std::size_t>(k));
    for (const ElementPlan& element : inst.elements)
        for (int p = 0; p < element.passCount; ++p)
            if (Local(element.passes[p], point).Length() != 0.0)
                return true;
    return false;
}

int CMapEngine::PassCount(const InstallationPlan& inst) {
    int count = 0;
    for (const ElementPlan& element : inst.elements)
        count += element.passCount;
    return count;
}

unsigned CMapEngine::NeighbourRows(const CPassLanes& lanes, int lane) {
    const bool nextPhi = lanes.nextPhi[lane], nextTheta = lanes.nextTheta[lane];
    return (nextPhi ? 1u : 0u) | (nextTheta ? 2u : 0u) | (nextPhi && nextTheta ? 4u : 0u);
}

bool CMapEngine::SetRows(const BalloonTable& table, std::size_t stride, const CPassLanes& lanes,
                         int lane, CPassKernel& k) {
    const bool exact = lanes.exact[lane];
    k.exact = exact;
    // A complete table holds cell i in row i and its neighbours' phases in quad i.
    auto row = [&](int cell) {
        return table.complete ? cell : table.rowOf[static_cast<std::size_t>(cell)];
    };
    const int cellA = lanes.cells[0][lane];
    for (int c = 0; c < (exact ? 1 : 4); ++c) {
        const int r = row(lanes.cells[c][lane]);
        if (r < 0)
            return false;
        k.level[c] = table.level.data() + static_cast<std::size_t>(r) * stride;
    }
    k.phase[0] = table.phase.data() + static_cast<std::size_t>(row(cellA)) * stride;
    if (exact)
        return true;
    const int quad = table.complete ? cellA : table.quadOf[static_cast<std::size_t>(cellA)];
    const unsigned needed = NeighbourRows(lanes, lane);
    const unsigned built =
        table.complete ? needed : table.quadRows[static_cast<std::size_t>(cellA)];
    if (quad < 0 || (built & needed) != needed)
        return false;
    for (int c = 0; c < 4; ++c)
        k.weight[c] = lanes.weight[c][lane];
    // B, C and D are A itself where the angle sits on A's phi or theta.
    const bool nextPhi = lanes.nextPhi[lane], nextTheta = lanes.nextTheta[lane];
    const double* rows = table.unwrapped.data() + static_cast<std::size_t>(quad) * 3 * stride;
    k.phase[1] = nextPhi ? rows : k.phase[0];
    k.phase[2] = nextTheta ? rows + stride : k.phase[0];
    k.phase[3] = nextPhi && nextTheta ? rows + 2 * stride : nextPhi ? k.phase[1] : k.phase[2];
    return true;
}

void CMapEngine::Locate(const InstallationPlan* first, const InstallationPlan* last,
                        const double* x, const double* y, const double* z, CPassLanes* out) const {
    for (const InstallationPlan* inst = first; inst != last; ++inst)
        if (inst->model)
            for (const ElementPlan& element : inst->elements)
                for (int p = 0; p < element.passCount; ++p)
                    LocatePass(element.passes[p], element.table->grid, x, y, z, *out++);
}

void CMapEngine::AddLanes(const InstallationPlan& inst, const CPassLanes* located, int count,
                          double* re, double* im, std::size_t stride, bool* failed) const {
    const int padded = Padded();
    const ModelPlan& model = *inst.model;
    const bool imperial = m_scene.lengthUnit == kUnitImperial;
    const PassFunction addPass = PassResponseFunction();
    CPassKernel k;
    k.ref = model.referenceDistance;
    k.reverse = inst.reverse;
    for (const ElementPlan& element : inst.elements) {
        k.scale = element.scale;
        for (int p = 0; p < element.passCount; ++p) {
            const CPassLanes& lanes = *located++;
            for (int lane = 0; lane < count; ++lane) {
                if (failed[lane])
                    continue;
                double* laneRe = re + static_cast<std::size_t>(lane) * stride;
                double* laneIm = im + static_cast<std::size_t>(lane) * stride;
                double r = lanes.r[lane];
                if (r == 0.0) {
                    for (int j = 0; j < padded; ++j)
                        laneRe[j] += m_sentinel.re, laneIm[j] += m_sentinel.im;
                    continue;
                }
                // A lacking frequency, or a point PrepareFor was not called for.
                if (model.anyMissing ||
                    !SetRows(*element.table, static_cast<std::size_t>(padded), lanes, lane, k)) {
                    failed[lane] = true;
                    continue;
                }
                if (imperial)
                    r *= kFeetToMetres;
                k.r = r;
                k.delay = (r + inst.delayPath - k.ref) / kSpeedOfSound;
                if (m_air.empty()) {
                    addPass(k, m_frequencies.data(), padded, laneRe, laneIm);
                    continue;
                }
                // The pass on its own, then the air's loss over its geometric length (a signal
                // delay turns the phase only).
                thread_local std::vector<double> passRe, passIm;
                passRe.assign(static_cast<std::size_t>(padded), 0.0);
                passIm.assign(static_cast<std::size_t>(padded), 0.0);
                addPass(k, m_frequencies.data(), padded, passRe.data(), passIm.data());
                for (int j = 0; j < padded; ++j) {
                    const double loss = std::exp(-m_air[static_cast<std::size_t>(j)] * r);
                    laneRe[j] += passRe[static_cast<std::size_t>(j)] * loss;
                    laneIm[j] += passIm[static_cast<std::size_t>(j)] * loss;
                }
            }
        }
    }
}

namespace {
// The lanes' coordinates; lanes beyond `count` repeat the last point.
void Spread(const CVec3* points, int count, double* x, double* y, double* z) {
    for (int lane = 0; lane < kKernelLanes; ++lane) {
        const CVec3& p = points[std::min(lane, count - 1)];
        x[lane] = p.x, y[lane] = p.y, z[lane] = p.z;
    }
}
} // namespace

bool CMapEngine::AddInstallation(int index, const CVec3& point, double* re, double* im) const {
    return AddInstallation(index, &point, 1, re, im, 0);
}

bool CMapEngine::AddInstallation(int index, const CVec3* points, int count, double* re, double* im,
                                 std::size_t stride) const {
    const InstallationPlan& inst = m_installations[static_cast<std::size_t>(index)];
    count = std::clamp(count, 0, kKernelLanes);
    if (!inst.model || count == 0)
        return true; // no model: contributes nothing
    double x[kKernelLanes], y[kKernelLanes], z[kKernelLanes];
    Spread(points, count, x, y, z);
    constexpr int kOnStack = 32; // a 16-element line array under a ceiling
    CPassLanes onStack[kOnStack];
    std::vector<CPassLanes> onHeap;
    const int passes = PassCount(inst);
    CPassLanes* located = onStack;
    if (passes > kOnStack) {
        onHeap.resize(static_cast<std::size_t>(passes));
        located = onHeap.data();
    }
    Locate(&inst, &inst + 1, x, y, z, located);
    bool failed[kKernelLanes] = {};
    AddLanes(inst, located, count, re, im, stride, failed);
    return std::find(failed, failed + count, true) == failed + count;
}

void CMapEngine::PrepareFor(const CVec3& point) {
    double x[kKernelLanes], y[kKernelLanes], z[kKernelLanes];
    Spread(&point, 1, x, y, z);
    CPassLanes lanes;
    // Room for four corners and one set of neighbour rows per pass, so the tables grow once.
    const std::size_t padded = static_cast<std::size_t>(Padded());
    std::map<BalloonTable*, std::size_t> passes;
    for (const InstallationPlan& inst : m_installations)
        for (const ElementPlan& element : inst.elements)
            passes[element.table] += static_cast<std::size_t>(element.passCount);
    for (const auto& [view, count] : passes) {
        BalloonTable& table = *view;
        table.level.reserve(table.level.size() + 4 * count * padded);
        table.phase.reserve(table.phase.size() + 4 * count * padded);
        table.unwrapped.reserve(table.unwrapped.size() + 3 * count * padded);
    }
    for (const InstallationPlan& inst : m_installations) {
        if (!inst.model || inst.model->anyMissing)
            continue;
        for (const ElementPlan& element : inst.elements)
            for (int p = 0; p < element.passCount; ++p) {
                LocatePass(element.passes[p], element.table->grid, x, y, z, lanes);
                if (lanes.r[0] == 0.0)
                    continue;
                BalloonTable& table = *element.table;
                const bool exact = lanes.exact[0];
                for (int c = 0; c < (exact ? 1 : 4); ++c)
                    if (table.rowOf[static_cast<std::size_t>(lanes.cells[c][0])] < 0)
                        FillCell(table, *inst.model, lanes.cells[c][0]);
                if (!exact)
                    FillQuad(table, *inst.model, lanes.cells[0][0], NeighbourRows(lanes, 0));
            }
    }
}

CMapEngine::Scratch CMapEngine::MakeScratch() const {
    Scratch s;
    const std::size_t size = static_cast<std::size_t>(Padded()) * kKernelLanes;
    s.re.resize(size);
    s.im.resize(size);
    s.sumRe.resize(size);
    s.sumIm.resize(size);
    s.located.resize(static_cast<std::size_t>(m_passTotal));
    return s;
}

int CMapEngine::PointPressure(const CVec3& point, double& pressure, Scratch& scratch) const {
    int status = kBandOk;
    PointPressures(&point, 1, &pressure, &status, scratch);
    return status;
}

void CMapEngine::PointPressures(const CVec3* points, int count, double* pressures, int* statuses,
                                Scratch& scratch) const {
    // The whole band is the one segment; the sums run in the same order either way.
    const std::pair<int, int> whole{0, m_band.Count()};
    PointSegmentPressures(points, count, {&whole, 1}, pressures, statuses, scratch);
}

void CMapEngine::PointSegmentPressures(const CVec3* points, int count,
                                       std::span<const std::pair<int, int>> segments,
                                       double* pressures, int* statuses, Scratch& scratch) const {
    count = std::clamp(count, 0, kKernelLanes);
    if (count == 0)
        return;
    const std::size_t segmentCount = segments.size();
    const int n = m_band.Count();
    std::fill(pressures, pressures + segmentCount * static_cast<std::size_t>(count), 0.0);
    bool anyEmpty = n == 0;
    for (const auto& [first, last] : segments)
        if (last <= first || first < 0 || last > n)
            anyEmpty = true;
    std::fill(statuses, statuses + count, anyEmpty ? kBandFailed : kBandOk);
    if (m_mode != kModeInterference && m_mode != kModeEnergy) {
        std::fill(statuses, statuses + count, kBandOk);
        return;
    }
    if (anyEmpty)
        return;
    const std::size_t stride = static_cast<std::size_t>(Padded());
    const std::size_t used = stride * static_cast<std::size_t>(count);
    if (scratch.re.size() < stride * kKernelLanes)
        scratch = MakeScratch();
    double* re = scratch.re.data();
    double* im = scratch.im.data();
    double* sumRe = scratch.sumRe.data();
    double* sumIm = scratch.sumIm.data();
    std::fill(sumRe, sumRe + used, 0.0);
    std::fill(sumIm, sumIm + used, 0.0);
    double x[kKernelLanes], y[kKernelLanes], z[kKernelLanes];
    Spread(points, count, x, y, z);
    if (scratch.located.size() < static_cast<std::size_t>(m_passTotal))
        scratch.located.resize(static_cast<std::size_t>(m_passTotal));
    Locate(m_installations.data(), m_installations.data() + m_installations.size(), x, y, z,
           scratch.located.data());
    const CPassLanes* located = scratch.located.data();
    bool failed[kKernelLanes] = {};
    for (const InstallationPlan& inst : m_installations) {
        std::fill(re, re + used, 0.0);
        std::fill(im, im + used, 0.0);
        if (inst.model) {
            AddLanes(inst, located, count, re, im, stride, failed);
            located += PassCount(inst);
        }
        for (int lane = 0; lane < count; ++lane) {
            const std::size_t at = static_cast<std::size_t>(lane) * stride;
            const double* laneRe = re + at;
            const double* laneIm = im + at;
            if (m_mode == kModeInterference) {
                for (int j = 0; j < n; ++j)
                    sumRe[at + j] += laneRe[j], sumIm[at + j] += laneIm[j];
                continue;
            }
            double* acc = pressures + static_cast<std::size_t>(lane) * segmentCount;
            for (std::size_t s = 0; s < segmentCount; ++s) {
                const auto [first, last] = segments[s];
                double e = 0.0;
                for (int j = first; j < last; ++j)
                    e += laneRe[j] * laneRe[j] + laneIm[j] * laneIm[j];
                acc[s] += e / (last - first);
            }
        }
    }
    for (int lane = 0; lane < count; ++lane) {
        double* out = pressures + static_cast<std::size_t>(lane) * segmentCount;
        if (failed[lane]) {
            statuses[lane] = kBandFailed;
            std::fill(out, out + segmentCount, 0.0);
            continue;
        }
        const std::size_t at = static_cast<std::size_t>(lane) * stride;
        for (std::size_t s = 0; s < segmentCount; ++s) {
            const auto [first, last] = segments[s];
            if (m_mode == kModeInterference) {
                double acc = 0.0;
                for (int j = first; j < last; ++j)
                    acc += sumRe[at + j] * sumRe[at + j] + sumIm[at + j] * sumIm[at + j];
                out[s] = std::sqrt(acc / (last - first));
            } else {
                out[s] = std::sqrt(out[s]);
            }
        }
    }
}
