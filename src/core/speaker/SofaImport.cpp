// Reading FreeFieldDirectivityTF (AES69) into a standard speaker model.
#include "speaker/SofaImport.h"

#include "common/FileSafety.h"
#include "common/FormatSignificant.h"
#include "speaker/FrequencyList.h"
#include "speaker/SofaFile.h"
#include "speaker/SofaNeighbourSearch.h"
#include "speaker/SpeakerModelContainer.h"
#include "speaker/StdSPModel.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <new>
#include <tuple>
#include <vector>

namespace {
using Complex = std::complex<double>;

const double kPi = 4.0 * std::atan(1.0);
const double kDegree = kPi / 180.0;
// Directions are read to this many degrees, so that the rounding of a spherical-to-cartesian
// round trip (or of a turned frame) does not split one grid angle into two.
constexpr double kAnglesPerDegree = 1e9;
// A direction farther than this from every receiver is not measured.
constexpr double kMaxGapDegrees = 30.0;
// Receivers at distances differing by more than this share are not one measurement sphere.
constexpr double kRadiusTolerance = 1e-3;
// A 0.5-degree grid has 259,202 receivers.
constexpr std::size_t kMaxReceivers = std::size_t(1) << 18;
// Values of one measurement: a 1-degree grid at 1/48 octave over the audible range.
constexpr std::size_t kMaxMeasurementValues = std::size_t(1) << 25;
// Pressures (pascal) a map can square and sum without leaving the range of doubles; 0 is a
// null of the pattern.
constexpr double kSmallestPressure = 1e-30;
constexpr double kLargestPressure = 1e30;
constexpr int kMaxPointsPerOctave = 96;
constexpr int kNeighbours = 4;
const std::array<double, 15> kAngleSteps = {1,  2,  2.5, 3,  5,    6,  7.5, 9,
                                            10, 15, 18,  20, 22.5, 30, 45};

std::string Number(double v) {
    return FormatValue(v, 6); // messages show any value, 1e25 and nan included
}

double SnapAngle(double degrees) {
    return std::round(degrees * kAnglesPerDegree) / kAnglesPerDegree;
}

double Dot(const CVec3& a, const CVec3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
CVec3 Cross(const CVec3& a, const CVec3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
bool Finite(const CVec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// An orthonormal frame in its parent's coordinates: x the view, z the up direction.
struct CFrame {
    CVec3 x{1, 0, 0}, y{0, 1, 0}, z{0, 0, 1};
    CVec3 ToParent(const CVec3& v) const { return x * v.x + y * v.y + z * v.z; }
    CVec3 ToLocal(const CVec3& v) const { return {Dot(v, x), Dot(v, y), Dot(v, z)}; }
};

CFrame MakeFrame(const CVec3& view, const CVec3& up, const std::string& viewName,
                 const std::string& upName) {
    const double viewLength = view.Length();
    if (!(viewLength > 0.0))
        throw CSofaError("variable " + viewName + " is a zero vector");
    CFrame f;
    f.x = view * (1.0 / viewLength);
    CVec3 z = up - f.x * Dot(up, f.x);
    const double zLength = z.Length();
    if (!(zLength > 1e-9 * std::max(1.0, up.Length())))
        throw CSofaError("variables " + viewName + " and " + upName + " are parallel");
    f.z = z * (1.0 / zLength);
    f.y = Cross(f.z, f.x);
    return f;
}

std::string Lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}
std::string Trim(const std::string& s) {
    const auto b = s.find_first_not_of(" \t");
    const auto e = s.find_last_not_of(" \t");
    return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}
bool IsMetre(const std::string& unit) {
    const std::string u = Lower(Trim(unit));
    return u == "metre" || u == "meter" || u == "metres" || u == "meters" || u == "m";
}
bool IsDegree(const std::string& unit) {
    const std::string u = Lower(Trim(unit));
    return u == "degree" || u == "degrees";
}

// The coordinate system of a position or direction variable, checked against its units.
struct CCoordinates {
    bool spherical = false;
};

CCoordinates ReadCoordinates(const CNetCdfFile& file, const std::string& variable, bool direction) {
    CCoordinates c;
    const std::string type = Lower(file.TextAttribute(variable, "Type").value_or("cartesian"));
    if (type == "spherical")
        c.spherical = true;
    else if (type != "cartesian")
        throw CSofaError("attribute " + variable + ":Type is \"" + type +
                         "\"; only cartesian and spherical can be read");
    const std::optional<std::string> units = file.TextAttribute(variable, "Units");
    if (!units)
        return c;
    std::vector<std::string> parts;
    std::string rest = *units;
    for (std::size_t at; (at = rest.find_first_of(", ")) != std::string::npos;) {
        if (at > 0)
            parts.push_back(rest.substr(0, at));
        rest.erase(0, at + 1);
    }
    if (!rest.empty())
        parts.push_back(rest);
    bool ok;
    if (c.spherical)
        ok = parts.size() == 3 && IsDegree(parts[0]) && IsDegree(parts[1]) &&
             (IsMetre(parts[2]) || direction);
    else
        ok = (parts.size() == 1 || parts.size() == 3) &&
             std::all_of(parts.begin(), parts.end(), IsMetre);
    if (!ok)
        throw CSofaError("attribute " + variable + ":Units is \"" + *units + "\"; expected " +
                         (c.spherical ? "\"degree, degree, metre\"" : "\"metre\""));
    return c;
}

CVec3 ToCartesian(const CCoordinates& c, double a, double b, double r) {
    if (!c.spherical)
        return {a, b, r};
    const double az = a * kDegree, el = b * kDegree;
    return {r * std::cos(el) * std::cos(az), r * std::cos(el) * std::sin(az), r * std::sin(el)};
}

// A vector given once ([I, C]) or once per measurement ([M, C]); the one of measurement m.
CVec3 ReadPerMeasurement(const CNetCdfFile& file, const std::string& variable, std::size_t M,
                         std::size_t m, bool direction, std::optional<CVec3> fallback) {
    if (fallback && !file.HasVariable(variable))
        return *fallback;
    const std::vector<CNetCdfFile::CDim> dims = file.Dimensions(variable);
    if (dims.size() != 2 || dims[1].length != 3 || (dims[0].length != 1 && dims[0].length != M))
        throw CSofaError("variable " + variable + " has dimensions other than [I C] or [M C]");
    const CCoordinates c = ReadCoordinates(file, variable, direction);
    const std::size_t row = dims[0].length == 1 ? 0 : m;
    const std::vector<double> v = file.ReadDoubles(variable, {row, 0}, {1, 3});
    const CVec3 p = ToCartesian(c, v[0], v[1], v[2]);
    if (!Finite(p))
        throw CSofaError("variable " + variable + " holds a value that is not a finite number");
    return p;
}

double LevelOf(const Complex& c) {
    return 20.0 * std::log10(std::max(std::abs(c), 1e-300));
}
double PhaseOf(const Complex& c) {
    return std::arg(c) / kDegree;
}
// The phase moved by whole turns to lie nearest the reference.
double Unwrap(double phase, double reference) {
    return phase - 360.0 * std::round((phase - reference) / 360.0);
}
Complex FromLevelPhase(double level, double phase) {
    return std::polar(std::pow(10.0, level / 20.0), phase * kDegree);
}

// Interpolation of level and unwrapped phase with the given weights; the first value is the
// phase reference.
Complex Blend(const std::vector<std::pair<double, Complex>>& parts) {
    double sum = 0.0, level = 0.0, phase = 0.0;
    const double reference = PhaseOf(parts.front().second);
    for (const auto& [w, c] : parts) {
        sum += w;
        level += w * LevelOf(c);
        phase += w * Unwrap(PhaseOf(c), reference);
    }
    return FromLevelPhase(level / sum, phase / sum);
}

class CImporter {
public:
    CImporter(const CNetCdfFile& file, const CSofaImportOptions& options)
        : m_file(file), m_options(options) {}

    std::unique_ptr<CSpeakerModel> Run(int lengthUnit, const std::string& fallbackName) {
        CheckConvention();
        ReadShape();
        ReadFrequencies();
        ReadReceivers();
        ReadData();
        std::unique_ptr<CSpeakerModel> model = CSpeakerModelContainer::CreateModel(kKindStandard);
        static_cast<CStdSPModel&>(*model).MakeSingleElement();
        model->SetLengthUnit(lengthUnit);
        CSpeakerDataHeader& h = model->Header();
        const std::string title = m_file.TextAttribute("", "Title").value_or("");
        h.name = Trim(title).empty() ? fallbackName : Trim(title).substr(0, 255);
        h.referenceDistance = m_radius;
        BuildFrequencyAxis(h);
        CTapElement tap;
        tap.lowImpedance = true;
        tap.tapRating = m_options.nominalImpedance;
        tap.tapPower = m_options.ratedPower;
        tap.ampFactor = 2.0;
        model->Settings().taps = {tap};
        h.tapCount = 1;
        model->Settings().defaultTap = 0;
        model->ResetWeights();
        model->ApplyModules(1);
        model->ComputeAim();
        BuildBalloon(*model);
        model->BuildElements();
        return model;
    }

    const std::string& Report() const { return m_report; }

private:
    void Note(const std::string& line) { m_report += line + "\n"; }

    void CheckConvention() {
        const std::optional<std::string> conventions = m_file.TextAttribute("", "Conventions");
        if (conventions != "SOFA")
            throw CSofaError("the attribute GLOBAL:Conventions is " +
                             (conventions ? "\"" + *conventions + "\"" : std::string("missing")) +
                             ": a netCDF file that is not SOFA");
        const std::string version = m_file.TextAttribute("", "Version").value_or("");
        if (version.size() < 2 || (version[0] != '1' && version[0] != '2') || version[1] != '.')
            throw CSofaError("the attribute GLOBAL:Version is \"" + version +
                             "\"; SOFA 1.x and 2.x can be read");
        const std::optional<std::string> convention = m_file.TextAttribute("", "SOFAConventions");
        if (convention != "FreeFieldDirectivityTF")
            throw CSofaError(
                "the attribute GLOBAL:SOFAConventions is " +
                (convention ? "\"" + *convention + "\"" : std::string("missing")) +
                ": only the convention FreeFieldDirectivityTF holds a speaker's directivity");
        const std::optional<std::string> dataType = m_file.TextAttribute("", "DataType");
        if (dataType && *dataType != "TF")
            throw CSofaError("the attribute GLOBAL:DataType is \"" + *dataType +
                             "\"; FreeFieldDirectivityTF holds \"TF\"");
    }

    void ReadShape() {
        const auto real = m_file.Dimensions("Data.Real");
        const auto imag = m_file.Dimensions("Data.Imag");
        if (real.size() != 3)
            throw CSofaError("variable Data.Real has " + std::to_string(real.size()) +
                             " dimensions instead of [M R N]");
        if (imag.size() != 3 || imag[0].length != real[0].length ||
            imag[1].length != real[1].length || imag[2].length != real[2].length)
            throw CSofaError("variable Data.Imag does not have the dimensions of Data.Real");
        m_M = real[0].length;
        m_R = real[1].length;
        m_N = real[2].length;
        if (m_M == 0 || m_R == 0 || m_N == 0)
            throw CSofaError("variable Data.Real is empty");
        if (m_R > kMaxReceivers)
            throw CSofaError("dimension R holds " + std::to_string(m_R) + " receivers, more than " +
                             std::to_string(kMaxReceivers));
        if (m_N > kMaxMeasurementValues || m_R * m_N > kMaxMeasurementValues ||
            m_R * m_N > MaxModelBalloonValues())
            throw CSofaError("variable Data.Real holds " + std::to_string(m_R) + " x " +
                             std::to_string(m_N) + " values per measurement, more than " +
                             std::to_string(std::min(kMaxMeasurementValues,
                                                     MaxModelBalloonValues())));
        if (m_options.measurement < 0 || static_cast<std::size_t>(m_options.measurement) >= m_M)
            throw CSofaError("measurement " + std::to_string(m_options.measurement) +
                             " does not exist: dimension M holds " + std::to_string(m_M) +
                             " (0 to " + std::to_string(m_M - 1) + ")");
        m_m = static_cast<std::size_t>(m_options.measurement);
        if (m_M > 1) {
            std::string others;
            for (std::size_t i = 0; i < m_M && i < 50; ++i)
                if (i != m_m) {
                    const CVec3 p =
                        ReadPerMeasurement(m_file, "SourcePosition", m_M, i, false, std::nullopt);
                    others += (others.empty() ? "" : ", ") + std::to_string(i) + " at (" +
                              Number(p.x) + ", " + Number(p.y) + ", " + Number(p.z) + ")";
                }
            Note("measurement " + std::to_string(m_m) + " of " + std::to_string(m_M) +
                 " imported; the others: " + others + (m_M > 50 ? ", ..." : ""));
        }
    }

    void ReadFrequencies() {
        const auto dims = m_file.Dimensions("N");
        if (dims.size() != 1 || dims[0].length != m_N)
            throw CSofaError("variable N does not have the frequency dimension of Data.Real");
        const std::optional<std::string> units = m_file.TextAttribute("N", "Units");
        if (units && Lower(Trim(*units)) != "hertz" && Lower(Trim(*units)) != "hz")
            throw CSofaError("attribute N:Units is \"" + *units + "\"; expected \"hertz\"");
        m_frequencies = m_file.ReadAllDoubles("N");
        for (std::size_t i = 0; i < m_frequencies.size(); ++i) {
            const double f = m_frequencies[i];
            if (!std::isfinite(f) || !(f > 0.0))
                throw CSofaError("variable N: frequency " + std::to_string(i) + " (" + Number(f) +
                                 ") is not a positive finite number of hertz");
            if (f < kSofaLowestFrequency || f > kSofaHighestFrequency)
                throw CSofaError("variable N: frequency " + std::to_string(i) + " (" + Number(f) +
                                 " Hz) lies outside 1 Hz to 100 kHz, the range a speaker model "
                                 "holds");
            if (i > 0 && !(f > m_frequencies[i - 1]))
                throw CSofaError("variable N: frequency " + std::to_string(i) + " (" + Number(f) +
                                 " Hz) is not above the one before it");
        }
    }

    void ReadReceivers() {
        const auto dims = m_file.Dimensions("ReceiverPosition");
        // [R C], [R C I] or [R C M]; a single receiver may also be [I C].
        const bool shapeOk = dims.size() >= 2 && dims.size() <= 3 && dims[0].length == m_R &&
                             dims[1].length == 3 &&
                             (dims.size() == 2 || dims[2].length == 1 || dims[2].length == m_M);
        if (!shapeOk)
            throw CSofaError("variable ReceiverPosition has dimensions other than [R C I] or "
                             "[R C M] with R the receivers of Data.Real");
        const CCoordinates coordinates = ReadCoordinates(m_file, "ReceiverPosition", false);
        std::vector<double> values;
        if (dims.size() == 2)
            values = m_file.ReadDoubles("ReceiverPosition", {0, 0}, {m_R, 3});
        else
            values = m_file.ReadDoubles("ReceiverPosition", {0, 0, dims[2].length == 1 ? 0 : m_m},
                                        {m_R, 3, 1});

        const CVec3 listener =
            ReadPerMeasurement(m_file, "ListenerPosition", m_M, m_m, false, std::nullopt);
        const CFrame listenerFrame =
            MakeFrame(ReadPerMeasurement(m_file, "ListenerView", m_M, m_m, true, CVec3{1, 0, 0}),
                      ReadPerMeasurement(m_file, "ListenerUp", m_M, m_m, true, CVec3{0, 0, 1}),
                      "ListenerView", "ListenerUp");
        const CVec3 source =
            ReadPerMeasurement(m_file, "SourcePosition", m_M, m_m, false, std::nullopt);
        const CFrame sourceFrame =
            MakeFrame(ReadPerMeasurement(m_file, "SourceView", m_M, m_m, true, CVec3{1, 0, 0}),
                      ReadPerMeasurement(m_file, "SourceUp", m_M, m_m, true, CVec3{0, 0, 1}),
                      "SourceView", "SourceUp");

        m_receivers.resize(m_R);
        double smallest = 0.0, largest = 0.0;
        for (std::size_t r = 0; r < m_R; ++r) {
            const double* v = &values[3 * r];
            const CVec3 local = ToCartesian(coordinates, v[0], v[1], v[2]);
            if (!Finite(local))
                throw CSofaError("variable ReceiverPosition: receiver " + std::to_string(r) +
                                 " is not given in finite numbers");
            const CVec3 d = sourceFrame.ToLocal(listener + listenerFrame.ToParent(local) - source);
            double radius = d.Length();
            if (!(radius > 0.0) || !std::isfinite(radius))
                throw CSofaError("variable ReceiverPosition: receiver " + std::to_string(r) +
                                 " lies on the source");
            // The stated radius of a spherical position is exact; the computed one carries the
            // rounding of the conversion.
            if (coordinates.spherical && std::abs(radius - v[2]) <= 1e-9 * radius)
                radius = v[2];
            CSofaReceiver& rec = m_receivers[r];
            rec.index = r;
            rec.radius = radius;
            rec.theta = SnapAngle(std::atan2(std::hypot(d.y, d.z), d.x) / kDegree);
            double phi = std::atan2(d.z, d.y) / kDegree;
            if (phi < 0.0)
                phi += 360.0;
            phi = SnapAngle(phi);
            if (phi >= 360.0)
                phi -= 360.0;
            rec.phi = IsPole(rec) ? 0.0 : phi;
            rec.unit = BalloonUnit(rec.theta, rec.phi);
            smallest = r == 0 ? radius : std::min(smallest, radius);
            largest = r == 0 ? radius : std::max(largest, radius);
        }
        TakeStatedAngles();
        if (largest > smallest * (1.0 + kRadiusTolerance))
            throw CSofaError("variable ReceiverPosition: the receivers lie " + Number(smallest) +
                             " to " + Number(largest) +
                             " m from the source; a model needs them on one sphere");
        m_radius = m_receivers[0].radius;
        if (largest != smallest) {
            double sum = 0.0;
            for (const CSofaReceiver& r : m_receivers)
                sum += r.radius;
            m_radius = sum / static_cast<double>(m_R);
        }
        m_search = std::make_unique<CSofaNeighbourSearch>(m_receivers);
        // A whole theta/phi grid is a model's own grid however coarse (one phi column is an
        // axisymmetric speaker); any other set must leave no direction far from a receiver.
        if (!FindRegularGrid())
            CheckCoverage();
    }

    // Whether the receivers are each (theta, phi) of a product grid once, phi from 0, each pole
    // once; if so m_thetas, m_phis and m_cell describe it.
    bool FindRegularGrid() {
        std::vector<double> thetas, phis;
        bool frontPole = false, backPole = false;
        for (const CSofaReceiver& r : m_receivers) {
            if (r.theta == 0.0)
                frontPole = true;
            else if (r.theta == 180.0)
                backPole = true;
            else {
                thetas.push_back(r.theta);
                phis.push_back(r.phi);
            }
        }
        auto unique = [](std::vector<double>& v) {
            std::sort(v.begin(), v.end());
            v.erase(std::unique(v.begin(), v.end()), v.end());
        };
        unique(thetas);
        unique(phis);
        if (phis.empty() || phis.front() != 0.0 || !frontPole || !backPole ||
            thetas.size() + 2 > 0xFFFF || phis.size() + 1 > 0xFFFE ||
            thetas.size() * phis.size() + 2 != m_R)
            return false;
        std::vector<long long> cell((thetas.size() + 2) * phis.size(), -1);
        for (const CSofaReceiver& r : m_receivers) {
            const std::size_t t =
                r.theta == 0.0     ? 0
                : r.theta == 180.0 ? thetas.size() + 1
                                   : static_cast<std::size_t>(
                                         std::lower_bound(thetas.begin(), thetas.end(), r.theta) -
                                         thetas.begin()) +
                                         1;
            const bool pole = t == 0 || t == thetas.size() + 1;
            const std::size_t p =
                pole ? 0
                     : static_cast<std::size_t>(
                           std::lower_bound(phis.begin(), phis.end(), r.phi) - phis.begin());
            long long& slot = cell[t * phis.size() + p];
            if (slot >= 0)
                return false;
            slot = static_cast<long long>(r.index);
        }
        for (std::size_t t = 1; t <= thetas.size(); ++t)
            for (std::size_t p = 0; p < phis.size(); ++p)
                if (cell[t * phis.size() + p] < 0)
                    return false;
        thetas.insert(thetas.begin(), 0.0);
        thetas.push_back(180.0);
        m_thetas = std::move(thetas);
        m_phis = std::move(phis);
        m_cell = std::move(cell);
        m_regular = true;
        return true;
    }

    // Daxara writes each receiver's balloon angles as well (BalloonTheta, BalloonPhi): where they
    // agree with the positions they are the exact grid angles, which the trigonometry of the
    // positions can only approach.
    void TakeStatedAngles() {
        if (!m_file.HasVariable("BalloonTheta") || !m_file.HasVariable("BalloonPhi"))
            return;
        for (const char* name : {"BalloonTheta", "BalloonPhi"}) {
            const auto dims = m_file.Dimensions(name);
            if (dims.size() != 1 || dims[0].length != m_R)
                return;
        }
        const std::vector<double> thetas = m_file.ReadAllDoubles("BalloonTheta");
        const std::vector<double> phis = m_file.ReadAllDoubles("BalloonPhi");
        for (std::size_t r = 0; r < m_R; ++r) {
            const double t = thetas[r], p = phis[r];
            if (!(t >= 0.0 && t <= 180.0 && p >= 0.0 && p < 360.0) ||
                AngleBetween(BalloonUnit(t, p), m_receivers[r].unit) > 1e-6) {
                Note("BalloonTheta and BalloonPhi do not agree with ReceiverPosition and were "
                     "not used");
                return;
            }
        }
        for (std::size_t r = 0; r < m_R; ++r) {
            CSofaReceiver& rec = m_receivers[r];
            rec.theta = thetas[r];
            rec.phi = IsPole(rec) ? 0.0 : phis[r];
            rec.unit = BalloonUnit(rec.theta, rec.phi);
        }
    }

    static bool IsPole(const CSofaReceiver& r) { return r.theta == 0.0 || r.theta == 180.0; }

    void CheckCoverage() const {
        const CSofaNeighbourSearch& search = *m_search;
        double worst = -1.0, worstTheta = 0.0, worstPhi = 0.0;
        for (int t = 0; t <= 36; ++t)
            for (int p = 0; p < ((t == 0 || t == 36) ? 1 : 72); ++p) {
                const double theta = 5.0 * t, phi = 5.0 * p;
                // Only a direction farther from every receiver than the worst so far matters.
                if (search.Within(BalloonUnit(theta, phi), std::max(worst, kMaxGapDegrees)))
                    continue;
                const auto near = search.Nearest(BalloonUnit(theta, phi), 1);
                if (near.front().first > worst) {
                    worst = near.front().first;
                    worstTheta = theta;
                    worstPhi = phi;
                }
            }
        if (worst > kMaxGapDegrees)
            throw CSofaError("variable ReceiverPosition: the receivers do not cover the sphere; "
                             "no receiver lies within " +
                             Number(kMaxGapDegrees) + " degrees of theta " + Number(worstTheta) +
                             ", phi " + Number(worstPhi) + " (the nearest is " + Number(worst) +
                             " degrees away), and the model needs directions all round the "
                             "speaker");
    }

    void ReadData() {
        double scale = 1.0;
        if (m_options.input == CSofaImportOptions::EInput::Voltage) {
            const double watts = m_options.voltage * m_options.voltage / m_options.nominalImpedance;
            scale = 1.0 / std::sqrt(watts);
            Note("levels: pressure at " + Number(m_radius) + " m for " + Number(m_options.voltage) +
                 " V into " + Number(m_options.nominalImpedance) + " ohms (" + Number(watts) +
                 " W), scaled to 1 W");
        } else {
            Note("levels: pressure at " + Number(m_radius) + " m for 1 W, taken as they are");
        }
        m_data.resize(m_R * m_N);
        bool sound = false;
        // A few receivers at a time, so the file's doubles are not held beside the whole data.
        const std::size_t rows = std::max<std::size_t>(1, (std::size_t(1) << 20) / m_N);
        for (std::size_t first = 0; first < m_R; first += rows) {
            const std::size_t count = std::min(rows, m_R - first);
            const std::vector<double> re =
                m_file.ReadDoubles("Data.Real", {m_m, first, 0}, {1, count, m_N});
            const std::vector<double> im =
                m_file.ReadDoubles("Data.Imag", {m_m, first, 0}, {1, count, m_N});
            for (std::size_t j = 0; j < re.size(); ++j) {
                const std::size_t i = first * m_N + j;
                CheckPressure(re[j], im[j], i);
                sound = sound || re[j] != 0.0 || im[j] != 0.0;
                m_data[i] = scale == 1.0 ? Complex(re[j], im[j])
                                         : Complex(re[j] * scale, im[j] * scale);
            }
        }
        if (!sound)
            throw CSofaError("variables Data.Real and Data.Imag hold only zeros for measurement " +
                             std::to_string(m_m) + ": there is no sound to map");
    }

    // A value a map cannot use is refused with where it is.
    void CheckPressure(double re, double im, std::size_t i) const {
        auto where = [&] {
            return " (measurement " + std::to_string(m_m) + ", receiver " +
                   std::to_string(i / m_N) + ", frequency " + std::to_string(i % m_N) + ")";
        };
        if (!std::isfinite(re) || !std::isfinite(im))
            throw CSofaError(std::string("variable ") +
                             (std::isfinite(re) ? "Data.Imag" : "Data.Real") +
                             " holds a value that is not a finite number" + where());
        const double magnitude = std::hypot(re, im);
        if (magnitude == 0.0 || (magnitude >= kSmallestPressure && magnitude <= kLargestPressure))
            return;
        const bool denormal = std::fpclassify(magnitude) == FP_SUBNORMAL;
        throw CSofaError("variables Data.Real and Data.Imag hold the pressure " + Number(magnitude) +
                         " Pa" + where() + (denormal ? ", a denormal number" : "") +
                         "; a map needs 0 or " + Number(kSmallestPressure) + " to " +
                         Number(kLargestPressure) + " Pa");
    }

    // The model's grid is the data's own when it is one; else the nearest the data supports.
    void BuildFrequencyAxis(CSpeakerDataHeader& h) {
        const std::vector<double>& f = m_frequencies;
        auto kOf = [](double frequency, int n) {
            return static_cast<long long>(std::llround(std::log10(frequency) * n / 0.3));
        };
        auto exactWith = [&](int n) {
            const long long k0 = kOf(f[0], n);
            if (k0 < 0 || k0 + static_cast<long long>(f.size()) > INT32_MAX)
                return false;
            for (std::size_t i = 0; i < f.size(); ++i)
                if (ModelFrequency(static_cast<int>(k0) + static_cast<int>(i), n) != f[i])
                    return false;
            return true;
        };
        std::optional<int> exact;
        if (m_options.pointsPerOctave) {
            if (exactWith(*m_options.pointsPerOctave))
                exact = m_options.pointsPerOctave;
        } else if (f.size() >= 2) {
            const double guess = std::round(0.3 / std::log10(f[1] / f[0]));
            if (guess >= 1.0 && guess <= kMaxPointsPerOctave && exactWith(static_cast<int>(guess)))
                exact = static_cast<int>(guess);
        } else {
            for (int n = 1; n <= kMaxPointsPerOctave && !exact; ++n)
                if (exactWith(n))
                    exact = n;
        }
        int n = 0;
        if (exact) {
            n = *exact;
        } else if (m_options.pointsPerOctave) {
            n = *m_options.pointsPerOctave;
        } else {
            if (f.size() < 2)
                throw CSofaError("variable N: the one frequency " + Number(f[0]) +
                                 " Hz lies on no model grid; choose a points-per-octave grid");
            std::vector<double> density;
            for (std::size_t i = 0; i + 1 < f.size(); ++i)
                density.push_back(0.3 / std::log10(f[i + 1] / f[i]));
            std::nth_element(density.begin(), density.begin() + density.size() / 2, density.end());
            n = static_cast<int>(std::clamp(std::round(density[density.size() / 2]), 1.0, 48.0));
        }
        // The model frequencies within the data's range.
        long long kLow = std::max(0LL, kOf(f.front(), n) - 1);
        while (ModelFrequency(static_cast<int>(kLow), n) < f.front())
            ++kLow;
        long long kHigh = kOf(f.back(), n) + 1;
        while (kHigh >= 0 && ModelFrequency(static_cast<int>(kHigh), n) > f.back())
            --kHigh;
        if (kHigh < kLow)
            throw CSofaError("variable N: no frequency of a " + std::to_string(n) +
                             "-per-octave grid lies between " + Number(f.front()) + " and " +
                             Number(f.back()) + " Hz");
        if (kHigh - kLow + 1 > 0xFFFF)
            throw CSofaError("variable N: the " + std::to_string(n) +
                             "-per-octave grid would hold more than 65535 frequencies");
        h.pointsPerOctave = n;
        h.lowestFrequency = ModelFrequency(static_cast<int>(kLow), n);
        h.highestFrequency = ModelFrequency(static_cast<int>(kHigh), n);
        if (!h.GenerateFrequencyList() || h.frequencyCount == 0)
            throw CSofaError("variable N: the frequency grid cannot be built");
        if (exact) {
            Note("frequencies: the data's own 1/" + std::to_string(n) + "-octave grid, " +
                 Number(h.lowestFrequency) + " to " + Number(h.highestFrequency) + " Hz (" +
                 std::to_string(h.frequencyCount) + " values)");
            return;
        }
        Note("frequencies resampled from " + std::to_string(f.size()) + " values (" +
             Number(f.front()) + " to " + Number(f.back()) + " Hz) onto the 1/" +
             std::to_string(n) + "-octave grid, " + Number(h.lowestFrequency) + " to " +
             Number(h.highestFrequency) + " Hz (" + std::to_string(h.frequencyCount) +
             " values), by interpolating level and phase over log frequency");
        std::vector<Complex> resampled(m_R * h.frequencyList.size());
        for (std::size_t k = 0; k < h.frequencyList.size(); ++k) {
            const double target = h.frequencyList[k];
            std::size_t hi =
                static_cast<std::size_t>(std::lower_bound(f.begin(), f.end(), target) - f.begin());
            for (std::size_t r = 0; r < m_R; ++r) {
                const Complex* row = &m_data[r * m_N];
                Complex value;
                if (f[hi] == target) {
                    value = row[hi];
                } else {
                    const std::size_t lo = hi - 1;
                    const double t = std::log(target / f[lo]) / std::log(f[hi] / f[lo]);
                    value = Blend({{1.0 - t, row[lo]}, {t, row[hi]}});
                }
                resampled[r * h.frequencyList.size() + k] = value;
            }
        }
        m_data.swap(resampled);
        m_N = h.frequencyList.size();
    }

    void BuildBalloon(CSpeakerModel& model) {
        CSpeakerDataHeader& h = model.Header();
        const bool regular = m_regular;
        std::vector<double> thetas = m_thetas, phis = m_phis;
        if (regular) {
            Note("directions: the data's own grid, " + std::to_string(thetas.size()) + " theta x " +
                 std::to_string(phis.size()) + " phi" +
                 (phis.size() == 1 ? " (one phi column: the same all round the main axis)" : ""));
        } else {
            const double step = m_options.angleStep ? *m_options.angleStep : DefaultStep(*m_search);
            thetas.clear();
            phis.clear();
            for (int t = 0; t * step <= 180.0 + 1e-9; ++t)
                thetas.push_back(SnapAngle(t * step));
            for (int p = 0; p * step < 360.0 - 1e-9; ++p)
                phis.push_back(SnapAngle(p * step));
            Note("directions resampled from " + std::to_string(m_R) + " receivers onto a regular " +
                 Number(step) +
                 "-degree theta/phi grid, by inverse-distance interpolation of level and phase "
                 "over the " +
                 std::to_string(kNeighbours) + " nearest receivers");
        }
        const std::size_t T = thetas.size(), P = phis.size() + 1, F = m_N;
        if (P * T * F > MaxModelBalloonValues())
            throw CSofaError("the balloon would hold " + std::to_string(P * T * F) +
                             " values, more than " + std::to_string(MaxModelBalloonValues()));
        h.thetaCount = static_cast<std::uint16_t>(T);
        h.phiCount = static_cast<std::uint16_t>(P);
        h.thetaGrid = thetas;
        CBalloonElement& balloon = model.Balloons().at(0);
        balloon.SetDimensions(static_cast<int>(P), static_cast<int>(T), static_cast<int>(F));
        for (std::size_t p = 0; p + 1 < P; ++p)
            balloon.phiGrid[p] = phis[p];
        balloon.phiGrid[P - 1] = 360.0;

        const CSofaNeighbourSearch& search = *m_search;
        std::vector<Complex> values(F);
        for (std::size_t t = 0; t < T; ++t)
            for (std::size_t p = 0; p + 1 < P; ++p) {
                const bool pole = t == 0 || t + 1 == T;
                if (pole && p > 0) { // the pole holds one value
                    for (std::size_t k = 0; k < F; ++k)
                        balloon.Value(static_cast<int>(p), static_cast<int>(t),
                                      static_cast<int>(k)) =
                            balloon.Value(0, static_cast<int>(t), static_cast<int>(k));
                    continue;
                }
                if (regular) {
                    const std::size_t r =
                        static_cast<std::size_t>(m_cell[t * phis.size() + (pole ? 0 : p)]);
                    std::copy_n(&m_data[r * F], F, values.begin());
                } else {
                    Interpolate(search, thetas[t], pole ? 0.0 : phis[p], values);
                }
                for (std::size_t k = 0; k < F; ++k)
                    balloon.Value(static_cast<int>(p), static_cast<int>(t),
                                  static_cast<int>(k)) = {values[k].real(), values[k].imag()};
            }
        for (std::size_t t = 0; t < T; ++t) // the closing 360-degree column
            for (std::size_t k = 0; k < F; ++k)
                balloon.Value(static_cast<int>(P - 1), static_cast<int>(t), static_cast<int>(k)) =
                    balloon.Value(0, static_cast<int>(t), static_cast<int>(k));
    }

    void Interpolate(const CSofaNeighbourSearch& search, double theta, double phi,
                     std::vector<Complex>& out) const {
        const auto near = search.Nearest(BalloonUnit(theta, phi), kNeighbours);
        const std::size_t F = out.size();
        if (near.front().first < 1e-7) {
            std::copy_n(&m_data[near.front().second * F], F, out.begin());
            return;
        }
        std::vector<std::pair<double, Complex>> parts(near.size());
        for (std::size_t k = 0; k < F; ++k) {
            for (std::size_t i = 0; i < near.size(); ++i) {
                const double w = 1.0 / (near[i].first * near[i].first);
                parts[i] = {w, m_data[near[i].second * F + k]};
            }
            out[k] = Blend(parts);
        }
    }

    // The listed step nearest the receivers' median spacing.
    double DefaultStep(const CSofaNeighbourSearch& search) const {
        std::vector<double> spacing;
        for (std::size_t i : search.Directions()) {
            // The nearest is the direction itself.
            const auto near = search.Nearest(m_receivers[i].unit, 2);
            if (near.size() == 2 && near[1].first > 1e-7)
                spacing.push_back(near[1].first);
        }
        if (spacing.empty())
            return 10.0;
        std::nth_element(spacing.begin(), spacing.begin() + spacing.size() / 2, spacing.end());
        const double median = spacing[spacing.size() / 2];
        double best = kAngleSteps.front();
        for (double s : kAngleSteps)
            if (std::abs(std::log(s / median)) < std::abs(std::log(best / median)))
                best = s;
        return best;
    }

    const CNetCdfFile& m_file;
    const CSofaImportOptions& m_options;
    std::size_t m_M = 0, m_R = 0, m_N = 0, m_m = 0;
    std::vector<double> m_frequencies;
    std::vector<CSofaReceiver> m_receivers;
    std::unique_ptr<CSofaNeighbourSearch> m_search;
    // The receivers' own grid, when they form one: thetas with both poles, phis from 0, and the
    // receiver of each (theta, phi) cell, theta-major.
    bool m_regular = false;
    std::vector<double> m_thetas, m_phis;
    std::vector<long long> m_cell;
    double m_radius = 1.0;
    std::vector<Complex> m_data; // receiver-major, then frequency
    std::string m_report;
};

CSofaImportResult Import(const std::function<CNetCdfFile()>& open,
                         const CSofaImportOptions& options, int lengthUnit,
                         const std::string& fallbackName) {
    CSofaImportResult result;
    result.error = CheckSofaImportOptions(options);
    if (!result.error.empty())
        return result;
    try {
        const CNetCdfFile file = open();
        CImporter importer(file, options);
        result.model = importer.Run(lengthUnit, fallbackName);
        result.report = importer.Report();
    } catch (const CSofaError& e) {
        result.error = e.what();
    } catch (const CInvalidArgument& e) {
        result.error = std::string("invalid directivity data: ") + e.what();
    } catch (const std::bad_alloc&) {
        result.error = "not enough memory for the directivity data";
        result.outOfMemory = true;
    }
    if (!result.error.empty())
        result.model.reset();
    return result;
}
} // namespace

std::string CheckSofaImportOptions(const CSofaImportOptions& o) {
    auto positive = [](double v) { return std::isfinite(v) && v > 0.0; };
    if (!positive(o.nominalImpedance))
        return "the nominal impedance must be a positive number of ohms";
    if (!positive(o.ratedPower))
        return "the rated power must be a positive number of watts";
    if (o.input == CSofaImportOptions::EInput::Voltage && !positive(o.voltage))
        return "the input voltage must be a positive number of volts";
    if (o.measurement < 0)
        return "the measurement index must not be negative";
    if (o.pointsPerOctave && (*o.pointsPerOctave < 1 || *o.pointsPerOctave > kMaxPointsPerOctave))
        return "the points per octave must lie between 1 and " +
               std::to_string(kMaxPointsPerOctave);
    if (o.angleStep &&
        std::find(kAngleSteps.begin(), kAngleSteps.end(), *o.angleStep) == kAngleSteps.end())
        return "the angle step must divide 180 degrees evenly: 1, 2, 2.5, 3, 5, 6, 7.5, 9, 10, 15, "
               "18, 20, 22.5, 30 or 45";
    return {};
}

CSofaImportResult ImportSofaMemory(const void* data, std::size_t size,
                                   const CSofaImportOptions& options, int lengthUnit,
                                   const std::string& fallbackName) {
    return Import([&] { return CNetCdfFile::OpenMemory(data, size); }, options, lengthUnit,
                  fallbackName);
}

CSofaImportResult ImportSofaFile(const std::string& path, const CSofaImportOptions& options,
                                 int lengthUnit) {
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!FileSafety::ReadRegularFile(path, bytes, error)) {
        CSofaImportResult result;
        result.error = error;
        return result;
    }
    if (!HasNetCdfSignature(bytes.data(), bytes.size())) {
        CSofaImportResult result;
        result.error = "the file is not a netCDF file";
        return result;
    }
    return ImportSofaMemory(bytes.data(), bytes.size(), options, lengthUnit,
                            std::filesystem::path(path).stem().string());
}
