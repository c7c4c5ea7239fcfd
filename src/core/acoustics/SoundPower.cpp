#include "acoustics/SoundPower.h"

#include "acoustics/PointResponse.h"
#include "common/Errors.h"
#include "common/MathUtil.h"
#include "speaker/FrequencyList.h"
#include "speaker/SpeakerModel.h"

#include <cmath>
#include <map>
#include <vector>

namespace {
constexpr double kCellDegrees = 2.5;
constexpr int kThetaCells = 72;  // 180 / 2.5
constexpr int kPhiCells = 144;   // 360 / 2.5

// How LookupDirectivity builds the level of one direction from the balloon's cells: one cell, or
// four with inverse-distance weights (their sum divides).
struct CDirectionPlan {
    int cells[4] = {0, 0, 0, 0};
    double weights[4] = {1.0, 0.0, 0.0, 0.0};
    double weightSum = 1.0;
    double solidAngle = 0.0;
};

CDirectionPlan PlanDirection(const CSpeakerElement& element, double phi, double theta) {
    const CSpeakerDataHeader& header = element.Header();
    const CBalloonElement& balloon = element.Balloon();
    const int T = header.thetaCount;
    const CBracket th = BracketSearch(header.thetaGrid.data(), T, theta);
    const CBracket ph = BracketSearch(balloon.phiGrid.data(), balloon.phiCount, phi);
    auto cell = [&](int p, int t) { return p * T + t; };
    CDirectionPlan plan;
    auto single = [&](int c) {
        plan.cells[0] = c;
        return plan;
    };
    if (th.exact && ph.exact)
        return single(cell(ph.loIndex, th.loIndex));
    const CVec3 target = BalloonDirection(theta, phi);
    auto distance = [&](double t, double p) {
        return CornerDistance(BalloonDirection(t, p), target);
    };
    const double dA = distance(th.lo, ph.lo), dB = distance(th.lo, ph.hi);
    const double dC = distance(th.hi, ph.lo), dD = distance(th.hi, ph.hi);
    if (dA == 0.0)
        return single(cell(ph.loIndex, th.loIndex));
    if (dC == 0.0)
        return single(cell(ph.loIndex, th.hiIndex));
    if (dB == 0.0)
        return single(cell(ph.hiIndex, th.loIndex));
    if (dD == 0.0)
        return single(cell(ph.hiIndex, th.hiIndex));
    plan.cells[0] = cell(ph.loIndex, th.loIndex);
    plan.cells[1] = cell(ph.hiIndex, th.loIndex);
    plan.cells[2] = cell(ph.loIndex, th.hiIndex);
    plan.cells[3] = cell(ph.hiIndex, th.hiIndex);
    plan.weights[0] = 1.0 / dA, plan.weights[1] = 1.0 / dB;
    plan.weights[2] = 1.0 / dC, plan.weights[3] = 1.0 / dD;
    plan.weightSum = plan.weights[0] + plan.weights[1] + plan.weights[2] + plan.weights[3];
    return plan;
}

// Every cell of the sphere for one balloon, and its axis.
struct CSpherePlan {
    std::vector<CDirectionPlan> cells;
    CDirectionPlan axis;
};

CSpherePlan PlanSphere(const CSpeakerElement& element) {
    CSpherePlan plan;
    plan.cells.reserve(kThetaCells * kPhiCells);
    const double dPhi = DegToRad(kCellDegrees);
    for (int t = 0; t < kThetaCells; ++t) {
        const double solid = dPhi * (std::cos(DegToRad(t * kCellDegrees)) -
                                     std::cos(DegToRad((t + 1) * kCellDegrees)));
        const double theta = (t + 0.5) * kCellDegrees;
        for (int p = 0; p < kPhiCells; ++p) {
            // The balloon angles of the cell's centre direction, as the point response finds them.
            const CBalloonAngles angles = BalloonAngles(BalloonDirection(theta, (p + 0.5) * kCellDegrees), 1.0);
            CDirectionPlan cell = PlanDirection(element, angles.phi, angles.theta);
            cell.solidAngle = solid;
            plan.cells.push_back(cell);
        }
    }
    const CBalloonAngles axis = BalloonAngles({1.0, 0.0, 0.0}, 1.0);
    plan.axis = PlanDirection(element, axis.phi, axis.theta);
    return plan;
}

double PlanLevel(const CDirectionPlan& plan, const std::vector<double>& levels) {
    const double* w = plan.weights;
    const int* c = plan.cells;
    const auto L = [&](int i) { return levels[static_cast<std::size_t>(c[i])]; };
    return (w[0] * L(0) + w[1] * L(1) + w[2] * L(2) + w[3] * L(3)) / plan.weightSum;
}
} // namespace

bool ModelPower(const CSpeakerModel& model, const CBandIndexRange& band, CModelPower& power,
                std::string* reason) {
    auto fail = [&](const std::string& why) {
        if (reason)
            *reason = why;
        return false;
    };
    power = {};
    if (band.Count() == 0)
        return fail("the band holds no data frequency of speaker model \"" +
                    model.DisplayName() + "\"");
    // |p|^2 at 1 m of a level L at the reference distance: p0^2 10^(L/10) ref^2.
    const double ref = model.Header().referenceDistance;
    const double scale = kReferencePressure * kReferencePressure * ref * ref;
    const double toPower = std::log(10.0) / 10.0;
    // One plan and one weight sum per distinct balloon; elements of a module type share theirs.
    struct CBalloonUse {
        const CSpeakerElement* element;
        double weight = 0.0;
        CSpherePlan plan;
    };
    std::vector<CBalloonUse> uses;
    std::map<const CBalloonElement*, std::size_t> index;
    for (const CSpeakerElement& element : model.Elements()) {
        auto [at, added] = index.emplace(&element.Balloon(), uses.size());
        if (added)
            uses.push_back({&element, 0.0, PlanSphere(element)});
        uses[at->second].weight += element.Weight();
    }
    std::vector<double> levels;
    double integral = 0.0, onAxis = 0.0;
    for (int i = band.start; i < band.end; ++i) {
        const double f = ModelFrequency(i, band.pitch);
        for (const CBalloonUse& use : uses) {
            const CSpeakerDataHeader& header = use.element->Header();
            const CBalloonElement& balloon = use.element->Balloon();
            const std::size_t cells =
                static_cast<std::size_t>(balloon.phiCount) * static_cast<std::size_t>(header.thetaCount);
            levels.assign(cells, 0.0);
            // Outside the model's range the response is its zero value, 0 dB at the reference
            // distance, as the point response has it.
            if (!header.IsOutsideRange(f)) {
                const int k = header.FindFrequencyIndex(f);
                if (k == -1)
                    return fail("speaker model \"" + model.DisplayName() +
                                "\" has no data at " + std::to_string(f) + " Hz");
                for (int p = 0; p < balloon.phiCount; ++p)
                    for (int t = 0; t < header.thetaCount; ++t)
                        levels[static_cast<std::size_t>(p * header.thetaCount + t)] =
                            balloon.Value(p, t, k).Level();
            }
            double sphere = 0.0;
            for (const CDirectionPlan& cell : use.plan.cells)
                sphere += cell.solidAngle * std::exp(toPower * PlanLevel(cell, levels));
            integral += use.weight * scale * sphere;
            onAxis += use.weight * scale * std::exp(toPower * PlanLevel(use.plan.axis, levels));
        }
    }
    power.integral = integral / band.Count();
    power.onAxis = onAxis / band.Count();
    if (!std::isfinite(power.integral) || !(power.integral > 0.0))
        return fail("the radiated power of speaker model \"" + model.DisplayName() +
                    "\" is not a positive finite number");
    return true;
}

CInstallationPower InstallationPower(const CModelPower& model, double watts) {
    CInstallationPower p;
    p.lw = 10.0 * std::log10(watts * model.integral / (kReferencePressure * kReferencePressure));
    p.q = 4.0 * kPi * model.onAxis / model.integral;
    p.di = 10.0 * std::log10(p.q);
    return p;
}

const CModelPower& CSoundPowerCache::Get(const CSpeakerModel& model, const CBandIndexRange& band) {
    const auto key = std::make_pair(&model, std::make_pair(band.start, band.end));
    std::lock_guard lock(m_mutex);
    if (auto it = m_values.find(key); it != m_values.end())
        return it->second;
    CModelPower power;
    std::string reason;
    if (!ModelPower(model, band, power, &reason))
        throw CInvalidArgument(reason);
    return m_values.emplace(key, power).first->second;
}
