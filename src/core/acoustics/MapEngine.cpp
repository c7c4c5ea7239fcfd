#include "acoustics/MapEngine.h"

#include "acoustics/PolarSum.h"

#include "acoustics/ColorMapCondition.h"
#include "acoustics/InstallationElement.h"
#include "acoustics/PointResponse.h"
#include "common/MathUtil.h"
#include "common/Units.h"
#include "speaker/FrequencyList.h"
#include "speaker/SpeakerModelContainer.h"

#include <cmath>
#include <map>

namespace {
const double kLn10Over20 = std::log(10.0) / 20.0;
} // namespace

CMapEngine::CMapEngine(const CAcousticScene& scene, int mode, const CBandIndexRange& band)
    : m_scene(scene), m_mode(mode), m_band(band) {
    const int n = m_band.Count();
    for (int i = m_band.start; i < m_band.end; ++i)
        m_frequencies.push_back(ModelFrequency(i, m_band.pitch));
    if (!m_scene.HasInstallations())
        return;

    m_models.resize(static_cast<std::size_t>(m_scene.models->Count()));
    auto prepareModel = [&](int index) -> const ModelPlan* {
        if (index < 0 || index >= m_scene.models->Count())
            return nullptr;
        ModelPlan& plan = m_models[static_cast<std::size_t>(index)];
        if (plan.model)
            return &plan;
        const CSpeakerModel& model = m_scene.models->At(index);
        plan.model = &model;
        plan.referenceDistance = model.Header().referenceDistance;
        std::vector<int> ks;
        for (double f : m_frequencies) {
            FrequencyState state = FrequencyState::Inside;
            int k = -1;
            if (model.Header().IsOutsideRange(f))
                state = FrequencyState::Outside;
            else if ((k = model.Header().FindFrequencyIndex(f)) == -1)
                state = FrequencyState::Missing;
            plan.states.push_back(state);
            plan.anyMissing = plan.anyMissing || state == FrequencyState::Missing;
            ks.push_back(k);
        }
        // One table per distinct balloon; elements of a line array share their module type's.
        std::map<const CBalloonElement*, std::size_t> tableOf;
        for (const CSpeakerElement& element : model.Elements())
            if (tableOf.emplace(&element.Balloon(), tableOf.size()).second) {
                const CBalloonElement& balloon = element.Balloon();
                const CSpeakerDataHeader& header = element.Header();
                BalloonTable table;
                table.element = &element;
                table.phiCount = balloon.phiCount;
                table.thetaCount = header.thetaCount;
                table.thetaAscending = IsAscending(header.thetaGrid.data(), header.thetaCount);
                table.phiAscending = IsAscending(balloon.phiGrid.data(), balloon.phiCount);
                const std::size_t cells =
                    static_cast<std::size_t>(table.phiCount) * table.thetaCount;
                table.level.assign(cells * static_cast<std::size_t>(n), 0.0);
                table.phase.assign(cells * static_cast<std::size_t>(n), 0.0);
                table.directions.resize(cells);
                for (int p = 0; p < table.phiCount; ++p)
                    for (int t = 0; t < table.thetaCount; ++t) {
                        const std::size_t cell = static_cast<std::size_t>(p) * table.thetaCount + t;
                        table.directions[cell] =
                            BalloonDirection(header.thetaGrid[static_cast<std::size_t>(t)],
                                             balloon.phiGrid[static_cast<std::size_t>(p)]);
                        for (int j = 0; j < n; ++j)
                            if (ks[static_cast<std::size_t>(j)] >= 0) {
                                const CSPComplex& v =
                                    balloon.Value(p, t, ks[static_cast<std::size_t>(j)]);
                                table.level[cell * n + j] = v.Level();
                                table.phase[cell * n + j] = v.Phase();
                            }
                    }
                plan.balloons.push_back(std::move(table));
            }
        return &plan;
    };

    for (const CInstallationElement& inst : *m_scene.installations) {
        InstallationPlan ip;
        ip.model = prepareModel(inst.modelIndex);
        ip.reverse = !inst.polarityNormal;
        if (ip.model) {
            const ModelPlan& mp = *ip.model;
            std::map<const CBalloonElement*, const BalloonTable*> tables;
            for (const BalloonTable& table : mp.balloons)
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
        }
        m_installations.push_back(std::move(ip));
    }
}

CMapEngine::Scratch CMapEngine::MakeScratch() const {
    Scratch s;
    s.installation.resize(static_cast<std::size_t>(m_band.Count()));
    s.sum.resize(static_cast<std::size_t>(m_band.Count()));
    s.exponents.resize(static_cast<std::size_t>(m_band.Count()));
    s.angles.resize(static_cast<std::size_t>(m_band.Count()));
    return s;
}

bool CMapEngine::AddPass(const InstallationPlan& inst, const ElementPlan& element, const Pass& pass,
                         const CVec3& point, CSPComplex* acc, Scratch& scratch) const {
    double* exponents = scratch.exponents.data();
    double* phases = scratch.angles.data();
    const int n = m_band.Count();
    const CVec3 d = pass.rotation.TransposeTimes(point - pass.source);
    double r = d.Length();
    if (r == 0.0) {
        const CSPComplex sentinel = CSPComplex::FromLevelPhase(kZeroDistanceLevel, 0.0);
        for (int j = 0; j < n; ++j)
            acc[j].Add(sentinel);
        return true;
    }
    const ModelPlan& model = *inst.model;
    if (model.anyMissing)
        return false;
    CBalloonAngles angles = BalloonAngles(d, r);
    if (pass.image)
        angles.phi = 360.0 - angles.phi;
    if (m_scene.lengthUnit == kUnitImperial)
        r *= kFeetToMetres;

    const BalloonTable& table = *element.table;
    const CSpeakerDataHeader& header = table.element->Header();
    const CBalloonElement& balloon = table.element->Balloon();
    const CBracket th = BracketSearch(header.thetaGrid.data(), header.thetaCount, angles.theta,
                                      table.thetaAscending);
    const CBracket ph =
        BracketSearch(balloon.phiGrid.data(), balloon.phiCount, angles.phi, table.phiAscending);
    const int T = table.thetaCount;
    const std::size_t cA = static_cast<std::size_t>(ph.loIndex * T + th.loIndex);
    const std::size_t cB = static_cast<std::size_t>(ph.hiIndex * T + th.loIndex);
    const std::size_t cC = static_cast<std::size_t>(ph.loIndex * T + th.hiIndex);
    const std::size_t cD = static_cast<std::size_t>(ph.hiIndex * T + th.hiIndex);

    // Either one stored cell is taken as it is, or the four corners are weighted.
    std::size_t exactCell = cA;
    bool exact = th.exact && ph.exact;
    double wA = 0, wB = 0, wC = 0, wD = 0, weightSum = 0;
    if (!exact) {
        const CVec3 target = BalloonDirection(angles.theta, angles.phi);
        const double dA = CornerDistance(table.directions[cA], target);
        const double dB = CornerDistance(table.directions[cB], target);
        const double dC = CornerDistance(table.directions[cC], target);
        const double dD = CornerDistance(table.directions[cD], target);
        exact = true;
        if (dA == 0.0)
            exactCell = cA;
        else if (dC == 0.0)
            exactCell = cC;
        else if (dB == 0.0)
            exactCell = cB;
        else if (dD == 0.0)
            exactCell = cD;
        else {
            exact = false;
            wA = 1.0 / dA, wB = 1.0 / dB, wC = 1.0 / dC, wD = 1.0 / dD;
            weightSum = wA + wB + wC + wD;
        }
    }

    const double ref = model.referenceDistance;
    const double delay = (r - ref) / kSpeedOfSound;
    const double scale = element.scale;
    const double* level = table.level.data();
    const double* phase = table.phase.data();
    for (int j = 0; j < n; ++j) {
        double L = 0.0, P0 = 0.0;
        if (model.states[static_cast<std::size_t>(j)] == FrequencyState::Inside) {
            if (exact) {
                L = level[exactCell * n + j];
                P0 = phase[exactCell * n + j];
            } else {
                const std::size_t a = cA * n + j, b = cB * n + j, c = cC * n + j, dd = cD * n + j;
                L = (wA * level[a] + wB * level[b] + wC * level[c] + wD * level[dd]) / weightSum;
                const double pA = phase[a];
                P0 = (wA * pA + wB * UnwrapAgainst(phase[b], pA) +
                      wC * UnwrapAgainst(phase[c], pA) + wD * UnwrapAgainst(phase[dd], pA)) /
                     weightSum;
            }
        }
        const double cycles = delay * m_frequencies[static_cast<std::size_t>(j)];
        double P = P0 - (cycles - std::floor(cycles)) * 360.0;
        if (inst.reverse)
            P += 180.0;
        // exp with ln(10)/20 instead of pow(10, L/20): a few ulps apart, at a fraction of the cost.
        exponents[j] = L * kLn10Over20;
        phases[j] = DegToRad(P);
    }
    AddPolar(exponents, phases, n, ref, r, scale, acc);
    return true;
}

int CMapEngine::PointPressure(const CVec3& point, double& pressure, Scratch& scratch) const {
    pressure = 0.0;
    const int n = m_band.Count();
    if (m_mode != kModeInterference && m_mode != kModeEnergy)
        return kBandOk;
    if (n == 0)
        return kBandFailed;
    CSPComplex* instAcc = scratch.installation.data();
    CSPComplex* sum = scratch.sum.data();
    for (int j = 0; j < n; ++j)
        sum[j].Clear();
    double acc = 0.0;
    for (const InstallationPlan& inst : m_installations) {
        for (int j = 0; j < n; ++j)
            instAcc[j].Clear();
        if (inst.model)
            for (const ElementPlan& element : inst.elements)
                for (int pass = 0; pass < element.passCount; ++pass)
                    if (!AddPass(inst, element, element.passes[pass], point, instAcc, scratch))
                        return kBandFailed;
        if (m_mode == kModeInterference) {
            for (int j = 0; j < n; ++j)
                sum[j].Add(instAcc[j]);
        } else {
            double e = 0.0;
            for (int j = 0; j < n; ++j)
                e += instAcc[j].re * instAcc[j].re + instAcc[j].im * instAcc[j].im;
            acc += e / n;
        }
    }
    if (m_mode == kModeInterference) {
        for (int j = 0; j < n; ++j)
            acc += sum[j].re * sum[j].re + sum[j].im * sum[j].im;
        pressure = std::sqrt(acc / n);
    } else {
        pressure = std::sqrt(acc);
    }
    return kBandOk;
}
