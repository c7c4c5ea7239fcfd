#include "acoustics/MapEngine.h"

#include "acoustics/ColorMapCondition.h"
#include "acoustics/InstallationElement.h"
#include "acoustics/PointResponse.h"
#include "common/MathUtil.h"
#include "common/Units.h"
#include "speaker/FrequencyList.h"
#include "speaker/SpeakerModelContainer.h"

#include <algorithm>
#include <cmath>
#include <map>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {
// CornerDistance of two corners at once; SSE2 is part of every x86-64 and rounds the same.
inline void Distances(const CVec3& a, const CVec3& b, const CVec3& target, double& da, double& db) {
#if defined(__SSE2__)
    const __m128d x = _mm_sub_pd(_mm_set_pd(b.x, a.x), _mm_set1_pd(target.x));
    const __m128d y = _mm_sub_pd(_mm_set_pd(b.y, a.y), _mm_set1_pd(target.y));
    const __m128d z = _mm_sub_pd(_mm_set_pd(b.z, a.z), _mm_set1_pd(target.z));
    __m128d d =
        _mm_sqrt_pd(_mm_add_pd(_mm_add_pd(_mm_mul_pd(x, x), _mm_mul_pd(y, y)), _mm_mul_pd(z, z)));
    d = _mm_and_pd(d, _mm_cmpge_pd(d, _mm_set1_pd(1e-6))); // below: the same direction
    da = _mm_cvtsd_f64(d);
    db = _mm_cvtsd_f64(_mm_unpackhi_pd(d, d));
#else
    da = CornerDistance(a, target);
    db = CornerDistance(b, target);
#endif
}
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

// BracketSearch for an ascending grid with the spacing `step` (0: uneven): the walk starts at the
// last cell whose upper value lies at least the tolerance below x, as the sorted search does, but
// finds that cell by division.
inline CBracket Bracket(const double* grid, int count, double x, bool ascending, double step,
                        double perStep) {
    if (step == 0.0 || !(x == x))
        return BracketSearch(grid, count, x, ascending);
    // Truncation is the floor here, since negative estimates start at 0. The estimate only
    // chooses where the walk starts, so the reciprocal of the step serves as well as a division.
    const double estimate = (x - kGridTolerance - grid[0]) * perStep;
    int start = !(estimate >= 0.0)      ? 0
                : estimate >= count - 1 ? count - 1
                                        : static_cast<int>(estimate);
    // Rounding may put the estimate one cell too far; a start too low only walks a step more.
    while (start > 0 && !(grid[start] + kGridTolerance <= x))
        --start;
    auto near = [&](double g) { return g - kGridTolerance < x && x < g + kGridTolerance; };
    for (int i = start; i + 1 < count; ++i) {
        if (near(grid[i]))
            return {grid[i], grid[i], i, i, true};
        if (near(grid[i + 1]))
            return {grid[i + 1], grid[i + 1], i + 1, i + 1, true};
        if (grid[i] < x && x < grid[i + 1])
            return {grid[i], grid[i + 1], i, i + 1, false};
    }
    return {grid[0], grid[0], 0, 0, false};
}
} // namespace

CMapEngine::CMapEngine(const CAcousticScene& scene, int mode, const CBandIndexRange& band,
                       ETables tables, std::vector<unsigned char> needed)
    : m_scene(scene), m_mode(mode), m_band(band), m_tables(tables), m_needed(std::move(needed)) {
    for (int i = m_band.start; i < m_band.end; ++i)
        m_frequencies.push_back(ModelFrequency(i, m_band.pitch));
    m_frequencies.resize(static_cast<std::size_t>(Padded()), 0.0);
    if (!m_scene.HasInstallations())
        return;
    m_models.resize(static_cast<std::size_t>(m_scene.models->Count()));
    for (const CInstallationElement& inst : *m_scene.installations) {
        m_installations.push_back(Plan(inst));
        m_passTotal += PassCount(m_installations.back());
    }
}

void CMapEngine::FillCell(BalloonTable& table, const ModelPlan& model, int cell) {
    const std::size_t padded = static_cast<std::size_t>(Padded());
    const int row = static_cast<int>(table.level.size() / std::max<std::size_t>(padded, 1));
    table.rowOf[static_cast<std::size_t>(cell)] = row;
    table.level.resize(table.level.size() + padded, 0.0);
    table.phase.resize(table.phase.size() + padded, 0.0);
    const CBalloonElement& balloon = table.element->Balloon();
    const int p = cell / table.thetaCount, t = cell % table.thetaCount;
    // Frequencies outside the model's range keep level and phase 0, as the point response
    // propagates its zero value. Runs of consecutive model frequencies lie side by side.
    double* level = table.level.data() + static_cast<std::size_t>(row) * padded;
    double* phase = table.phase.data() + static_cast<std::size_t>(row) * padded;
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
            if (table.thetaAscending)
                table.thetaStep = EvenStep(table.thetaGrid, table.thetaCount);
            if (table.phiAscending)
                table.phiStep = EvenStep(table.phiGrid, table.phiCount);
            table.thetaPerStep = table.thetaStep > 0.0 ? 1.0 / table.thetaStep : 0.0;
            table.phiPerStep = table.phiStep > 0.0 ? 1.0 / table.phiStep : 0.0;
            const int cells = table.phiCount * table.thetaCount;
            table.rowOf.assign(static_cast<std::size_t>(std::max(cells, 0)), -1);
            table.directions.resize(table.rowOf.size());
            for (int p = 0; p < table.phiCount; ++p)
                for (int t = 0; t < table.thetaCount; ++t)
                    table.directions[static_cast<std::size_t>(p * table.thetaCount + t)] =
                        BalloonDirection(header.thetaGrid[static_cast<std::size_t>(t)],
                                         balloon.phiGrid[static_cast<std::size_t>(p)]);
            if (m_tables == ETables::All && !plan.anyMissing) {
                table.level.reserve(table.rowOf.size() * static_cast<std::size_t>(Padded()));
                table.phase.reserve(table.level.capacity());
                for (int cell = 0; cell < cells; ++cell)
                    FillCell(table, plan, cell);
            }
            plan.balloons.push_back(std::move(table));
        }
    return &plan;
}

CMapEngine::InstallationPlan CMapEngine::Plan(const CInstallationElement& inst) {
    InstallationPlan ip;
    ModelPlan* model = PrepareModel(inst.modelIndex);
    ip.model = model;
    ip.reverse = !inst.polarityNormal;
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
        Pass direct{inst.position + frame.offset, RotationMatrix(frame.world), false};
        ep.passes[0] = direct;
        if (m_scene.ceilingReflection) {
            Pass image = direct;
            image.source.z = 2.0 * m_scene.ceilingHeight - direct.source.z;
            frame.world.rotation = -frame.world.rotation;
            frame.world.elevation = -frame.world.elevation;
            image.rotation = RotationMatrix(frame.world);
            image.image = true;
            ep.passes[1] = image;
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

CMapEngine::EPass CMapEngine::Locate(const InstallationPlan& inst, const ElementPlan& element,
                                     const Pass& pass, const Direction& direction,
                                     Located& out) const {
    double r = direction.r;
    if (r == 0.0)
        return EPass::Sentinel;
    const ModelPlan& model = *inst.model;
    if (model.anyMissing)
        return EPass::Failed;
    const CVec3& d = direction.d;
    // The target as d / r (within an ulp) is the unit vector BalloonDirection would rebuild from
    // the angles; the image's mirrored phi mirrors z.
    const double perR = 1.0 / r;
    const CVec3 target{d.x * perR, d.y * perR, pass.image ? -(d.z * perR) : d.z * perR};
    const double theta = direction.theta;
    const double phi = pass.image ? 360.0 - direction.phi : direction.phi;
    if (m_scene.lengthUnit == kUnitImperial)
        r *= kFeetToMetres;

    const BalloonTable& table = *element.table;
    const CBracket th = Bracket(table.thetaGrid, table.thetaCount, theta, table.thetaAscending,
                                table.thetaStep, table.thetaPerStep);
    const CBracket ph = Bracket(table.phiGrid, table.phiCount, phi, table.phiAscending,
                                table.phiStep, table.phiPerStep);
    const int T = table.thetaCount;
    const int cA = ph.loIndex * T + th.loIndex, cB = ph.hiIndex * T + th.loIndex;
    const int cC = ph.loIndex * T + th.hiIndex, cD = ph.hiIndex * T + th.hiIndex;

    CPassKernel& k = out.kernel;
    // Either one stored cell is taken as it is, or the four corners are weighted.
    k.exact = true;
    out.cells[0] = cA;
    if (!(th.exact && ph.exact)) {
        const CVec3* dir = table.directions.data();
        double dA, dB, dC, dD;
        Distances(dir[cA], dir[cB], target, dA, dB);
        Distances(dir[cC], dir[cD], target, dC, dD);
        if (dA == 0.0)
            out.cells[0] = cA;
        else if (dC == 0.0)
            out.cells[0] = cC;
        else if (dB == 0.0)
            out.cells[0] = cB;
        else if (dD == 0.0)
            out.cells[0] = cD;
        else {
            k.exact = false;
            out.cells[1] = cB, out.cells[2] = cC, out.cells[3] = cD;
#if defined(__SSE2__)
            const __m128d one = _mm_set1_pd(1.0);
            _mm_storeu_pd(k.weight, _mm_div_pd(one, _mm_set_pd(dB, dA)));
            _mm_storeu_pd(k.weight + 2, _mm_div_pd(one, _mm_set_pd(dD, dC)));
#else
            k.weight[0] = 1.0 / dA, k.weight[1] = 1.0 / dB, k.weight[2] = 1.0 / dC,
            k.weight[3] = 1.0 / dD;
#endif
            k.weightSum = k.weight[0] + k.weight[1] + k.weight[2] + k.weight[3];
        }
    }
    k.ref = model.referenceDistance;
    k.r = r;
    k.delay = (r - k.ref) / kSpeedOfSound;
    k.scale = element.scale;
    k.reverse = inst.reverse;
    return EPass::Value;
}

inline CVec3 CMapEngine::Local(const Pass& pass, const CVec3& point) {
    const CMatrix3& m = pass.rotation;
    const CVec3 v = point - pass.source;
    // The rotation's transpose times v, as CMatrix3::TransposeTimes computes it.
    return {m.m[0][0] * v.x + m.m[1][0] * v.y + m.m[2][0] * v.z,
            m.m[0][1] * v.x + m.m[1][1] * v.y + m.m[2][1] * v.z,
            m.m[0][2] * v.x + m.m[1][2] * v.y + m.m[2][2] * v.z};
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

void CMapEngine::Directions(const InstallationPlan* first, const InstallationPlan* last,
                            const CVec3& point, Direction* out) const {
    double dx[kKernelLanes], dy[kKernelLanes], dz[kKernelLanes], r[kKernelLanes];
    double theta[kKernelLanes], phi[kKernelLanes];
    Direction* pending = out; // the first direction still without angles
    int filled = 0;
    auto flush = [&]() {
        for (int i = filled; i < kKernelLanes; ++i)
            dx[i] = 1.0, dy[i] = dz[i] = 0.0, r[i] = 1.0; // idle lanes
        BalloonAnglesOf(kKernelLanes, dx, dy, dz, r, theta, phi);
        for (int i = 0; i < filled; ++i)
            pending[i].theta = theta[i], pending[i].phi = phi[i];
        pending += filled;
        filled = 0;
    };
    for (const InstallationPlan* inst = first; inst != last; ++inst)
        for (const ElementPlan& element : inst->elements)
            for (int p = 0; p < element.passCount; ++p) {
                Direction& direction = *out++;
                direction.d = Local(element.passes[p], point);
                direction.r = direction.d.Length();
                dx[filled] = direction.d.x, dy[filled] = direction.d.y, dz[filled] = direction.d.z;
                r[filled] = direction.r;
                if (direction.r == 0.0)
                    dx[filled] = 1.0, r[filled] = 1.0; // the sentinel needs no angles
                if (++filled == kKernelLanes)
                    flush();
            }
    if (filled > 0)
        flush();
}

template <class Visit>
bool CMapEngine::VisitPasses(const InstallationPlan& inst, const Direction* directions,
                             Visit&& visit) const {
    Located located;
    for (const ElementPlan& element : inst.elements)
        for (int p = 0; p < element.passCount; ++p) {
            const EPass result = Locate(inst, element, element.passes[p], *directions++, located);
            if (!visit(element, result, located))
                return false;
        }
    return true;
}

bool CMapEngine::AddInstallation(int index, const CVec3& point, double* re, double* im) const {
    const InstallationPlan& inst = m_installations[static_cast<std::size_t>(index)];
    if (!inst.model)
        return true; // no model: contributes nothing
    constexpr int kOnStack = 64;
    Direction onStack[kOnStack];
    std::vector<Direction> onHeap;
    const int count = PassCount(inst);
    Direction* directions = onStack;
    if (count > kOnStack) {
        onHeap.resize(static_cast<std::size_t>(count));
        directions = onHeap.data();
    }
    Directions(&inst, &inst + 1, point, directions);
    return AddInstallationAt(inst, directions, re, im);
}

bool CMapEngine::AddInstallationAt(const InstallationPlan& inst, const Direction* directions,
                                   double* re, double* im) const {
    const int padded = Padded();
    const std::size_t stride = static_cast<std::size_t>(padded);
    return VisitPasses(
        inst, directions, [&](const ElementPlan& element, EPass result, Located& located) {
            switch (result) {
            case EPass::Failed:
                return false;
            case EPass::Sentinel: {
                const CSPComplex s = CSPComplex::FromLevelPhase(kZeroDistanceLevel, 0.0);
                for (int j = 0; j < padded; ++j)
                    re[j] += s.re, im[j] += s.im;
                return true;
            }
            case EPass::Value:
                break;
            }
            const BalloonTable& table = *element.table;
            CPassKernel& k = located.kernel;
            for (int c = 0; c < (k.exact ? 1 : 4); ++c) {
                const int row = table.rowOf[static_cast<std::size_t>(located.cells[c])];
                if (row < 0)
                    return false; // PrepareFor was not called for this point
                k.level[c] = table.level.data() + row * stride;
                k.phase[c] = table.phase.data() + row * stride;
            }
            AddPassResponse(k, m_frequencies.data(), padded, re, im);
            return true;
        });
}

void CMapEngine::PrepareFor(const CVec3& point) {
    for (const InstallationPlan& inst : m_installations) {
        if (!inst.model)
            continue;
        std::vector<Direction> directions(static_cast<std::size_t>(PassCount(inst)));
        Directions(&inst, &inst + 1, point, directions.data());
        VisitPasses(inst, directions.data(),
                    [&](const ElementPlan& element, EPass result, Located& located) {
                        if (result != EPass::Value)
                            return true;
                        BalloonTable& table = *element.table;
                        for (int c = 0; c < (located.kernel.exact ? 1 : 4); ++c)
                            if (table.rowOf[static_cast<std::size_t>(located.cells[c])] < 0)
                                FillCell(table, *inst.model, located.cells[c]);
                        return true;
                    });
    }
}

CMapEngine::Scratch CMapEngine::MakeScratch() const {
    Scratch s;
    const std::size_t padded = static_cast<std::size_t>(Padded());
    s.re.resize(padded);
    s.im.resize(padded);
    s.sumRe.resize(padded);
    s.sumIm.resize(padded);
    s.directions.resize(static_cast<std::size_t>(m_passTotal));
    return s;
}

int CMapEngine::PointPressure(const CVec3& point, double& pressure, Scratch& scratch) const {
    pressure = 0.0;
    const int n = m_band.Count();
    if (m_mode != kModeInterference && m_mode != kModeEnergy)
        return kBandOk;
    if (n == 0)
        return kBandFailed;
    double* re = scratch.re.data();
    double* im = scratch.im.data();
    std::fill(scratch.sumRe.begin(), scratch.sumRe.end(), 0.0);
    std::fill(scratch.sumIm.begin(), scratch.sumIm.end(), 0.0);
    if (scratch.directions.size() < static_cast<std::size_t>(m_passTotal))
        scratch.directions.resize(static_cast<std::size_t>(m_passTotal)); // a replanned model
    // An installation without a model has no passes and contributes nothing.
    Directions(m_installations.data(), m_installations.data() + m_installations.size(), point,
               scratch.directions.data());
    const Direction* directions = scratch.directions.data();
    double acc = 0.0;
    for (const InstallationPlan& inst : m_installations) {
        std::fill(scratch.re.begin(), scratch.re.end(), 0.0);
        std::fill(scratch.im.begin(), scratch.im.end(), 0.0);
        if (inst.model) {
            if (!AddInstallationAt(inst, directions, re, im))
                return kBandFailed;
            directions += PassCount(inst);
        }
        if (m_mode == kModeInterference) {
            for (int j = 0; j < n; ++j)
                scratch.sumRe[j] += re[j], scratch.sumIm[j] += im[j];
        } else {
            double e = 0.0;
            for (int j = 0; j < n; ++j)
                e += re[j] * re[j] + im[j] * im[j];
            acc += e / n;
        }
    }
    if (m_mode == kModeInterference) {
        for (int j = 0; j < n; ++j)
            acc += scratch.sumRe[j] * scratch.sumRe[j] + scratch.sumIm[j] * scratch.sumIm[j];
        pressure = std::sqrt(acc / n);
    } else {
        pressure = std::sqrt(acc);
    }
    return kBandOk;
}
