// Writing a model's balloons as FreeFieldDirectivityTF (AES69).
#include "speaker/SofaExport.h"

#include "common/FileSafety.h"
#include "speaker/SofaFile.h"
#include "speaker/SofaImport.h"
#include "speaker/SpeakerModel.h"

#include <cmath>
#include <ctime>
#include <vector>

namespace {
const double kDegree = 4.0 * std::atan(1.0) / 180.0;

std::string NowUtc() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &utc);
    return text;
}

// A receiver of the exported grid: the balloon cell it carries and its spherical position.
struct CGridReceiver {
    int phi = 0, theta = 0;
    double azimuth = 0.0, elevation = 0.0;
};

// Each pole once (its value is the same for every phi), every other theta at every phi but the
// closing 360-degree column, which repeats the first.
std::vector<CGridReceiver> GridReceivers(const CSpeakerModel& model) {
    const CSpeakerDataHeader& h = model.Header();
    const CBalloonElement& balloon = model.Balloon(0);
    std::vector<CGridReceiver> out;
    for (int t = 0; t < h.thetaCount; ++t) {
        const double theta = h.thetaGrid.at(static_cast<std::size_t>(t));
        if (theta == 0.0 || theta == 180.0) {
            out.push_back({0, t, theta == 0.0 ? 0.0 : 180.0, 0.0});
            continue;
        }
        for (int p = 0; p + 1 < balloon.phiCount; ++p) {
            const double phi = balloon.phiGrid.at(static_cast<std::size_t>(p));
            // The balloon direction (cos t, sin t cos p, sin t sin p) in AES69's azimuth and
            // elevation: the same axes, azimuth from +x toward +y, elevation toward +z.
            const double x = std::cos(theta * kDegree);
            const double y = std::sin(theta * kDegree) * std::cos(phi * kDegree);
            const double z = std::sin(theta * kDegree) * std::sin(phi * kDegree);
            double azimuth = std::atan2(y, x) / kDegree;
            if (azimuth < 0.0)
                azimuth += 360.0;
            out.push_back({p, t, azimuth, std::atan2(z, std::hypot(x, y)) / kDegree});
        }
    }
    return out;
}

void PutVector(std::vector<double>& out, const CVec3& v) {
    out.push_back(v.x);
    out.push_back(v.y);
    out.push_back(v.z);
}
} // namespace

void ExportSofa(const CSpeakerModel& model, const std::string& path) {
    const CSpeakerDataHeader& h = model.Header();
    const std::size_t M = model.Elements().size();
    if (M == 0 || model.Balloons().empty() || h.frequencyList.empty() || h.thetaCount == 0)
        throw CSofaError("the model " + model.Name() + " holds no directivity data");
    // What is written must read back.
    if (h.frequencyList.front() < kSofaLowestFrequency ||
        h.frequencyList.back() > kSofaHighestFrequency)
        throw CSofaError("the model's frequencies reach beyond 1 Hz to 100 kHz, the range an open "
                         "directivity file is read in");
    const std::vector<CGridReceiver> receivers = GridReceivers(model);
    const std::size_t R = receivers.size();
    const std::size_t N = h.frequencyList.size();

    CNetCdfFile file = CNetCdfFile::CreateInMemory();
    const std::string now = NowUtc();
    const std::pair<const char*, std::string> globals[] = {
        {"Conventions", "SOFA"},
        {"Version", "2.1"},
        {"SOFAConventions", "FreeFieldDirectivityTF"},
        {"SOFAConventionsVersion", "1.1"},
        {"DataType", "TF"},
        {"RoomType", "free field"},
        {"Title", model.Name()},
        {"DateCreated", now},
        {"DateModified", now},
        {"APIName", "Daxara"},
        {"APIVersion", "1.0"},
        {"ApplicationName", "Daxara"},
        {"ApplicationVersion", "1.0"},
        {"AuthorContact", ""},
        {"Organization", ""},
        {"License", "No license provided, ask the author for permission"},
        {"DatabaseName", "Daxara"},
        {"SourceType", "Loudspeaker"},
        {"Comment", "Complex sound pressure in pascal at the receiver radius for 1 W into each "
                    "element; one measurement per element, placed and aimed in the speaker's "
                    "own axes by SourcePosition, SourceView and SourceUp"},
    };
    for (const auto& [name, value] : globals)
        file.PutTextAttribute("", name, value);

    file.DefineDimension("I", 1);
    file.DefineDimension("C", 3);
    file.DefineDimension("M", M);
    file.DefineDimension("R", R);
    file.DefineDimension("E", 1);
    file.DefineDimension("N", N);
    auto cartesian = [&](const std::string& name, const std::vector<std::string>& dims) {
        file.DefineVariable(name, dims);
        file.PutTextAttribute(name, "Type", "cartesian");
        file.PutTextAttribute(name, "Units", "metre");
    };
    // The receivers surround each element in its own axes: the listener is put where the
    // element is and aimed as it is, so one set of receiver positions serves every measurement.
    cartesian("ListenerPosition", {"M", "C"});
    cartesian("ListenerView", {"M", "C"});
    cartesian("ListenerUp", {"M", "C"});
    cartesian("SourcePosition", {"M", "C"});
    cartesian("SourceView", {"M", "C"});
    cartesian("SourceUp", {"M", "C"});
    cartesian("EmitterPosition", {"E", "C", "I"});
    file.DefineVariable("ReceiverPosition", {"R", "C", "I"});
    file.PutTextAttribute("ReceiverPosition", "Type", "spherical");
    file.PutTextAttribute("ReceiverPosition", "Units", "degree, degree, metre");
    // The balloon angles of each receiver as the model holds them: an importer reading them back
    // through the trigonometry of ReceiverPosition would round angles such as 360/7 degrees.
    for (const char* name : {"BalloonTheta", "BalloonPhi"}) {
        file.DefineVariable(name, {"R"});
        file.PutTextAttribute(name, "Units", "degree");
    }
    file.PutTextAttribute("BalloonTheta", "LongName",
                          "angle of the receiver from the source's main axis (+x)");
    file.PutTextAttribute("BalloonPhi", "LongName",
                          "angle of the receiver around the main axis, from +y toward +z");
    file.DefineVariable("N", {"N"});
    file.PutTextAttribute("N", "LongName", "frequency");
    file.PutTextAttribute("N", "Units", "hertz");
    file.DefineVariable("Data.Real", {"M", "R", "N"});
    file.DefineVariable("Data.Imag", {"M", "R", "N"});
    file.EndDefinitions();

    std::vector<double> positions, views, ups;
    for (std::size_t m = 0; m < M; ++m) {
        const CSPVariableParam& state = model.Element(static_cast<int>(m)).State();
        const CMatrix3 aim = RotationMatrix(state.orientation);
        PutVector(positions, state.position);
        PutVector(views, aim * CVec3{1, 0, 0});
        PutVector(ups, aim * CVec3{0, 0, 1});
    }
    file.WriteDoubles("ListenerPosition", positions);
    file.WriteDoubles("ListenerView", views);
    file.WriteDoubles("ListenerUp", ups);
    file.WriteDoubles("SourcePosition", positions);
    file.WriteDoubles("SourceView", views);
    file.WriteDoubles("SourceUp", ups);
    file.WriteDoubles("EmitterPosition", {0.0, 0.0, 0.0});

    std::vector<double> spherical;
    for (const CGridReceiver& r : receivers) {
        spherical.push_back(r.azimuth);
        spherical.push_back(r.elevation);
        spherical.push_back(h.referenceDistance);
    }
    file.WriteDoubles("ReceiverPosition", spherical);
    std::vector<double> thetas, phis;
    for (const CGridReceiver& r : receivers) {
        thetas.push_back(h.thetaGrid.at(static_cast<std::size_t>(r.theta)));
        phis.push_back(model.Balloon(0).phiGrid.at(static_cast<std::size_t>(r.phi)));
    }
    file.WriteDoubles("BalloonTheta", thetas);
    file.WriteDoubles("BalloonPhi", phis);
    file.WriteDoubles("N", h.frequencyList);

    std::vector<double> re, im;
    re.reserve(M * R * N);
    im.reserve(M * R * N);
    for (std::size_t m = 0; m < M; ++m) {
        const CBalloonElement& balloon = model.Element(static_cast<int>(m)).Balloon();
        for (const CGridReceiver& r : receivers)
            for (std::size_t k = 0; k < N; ++k) {
                const CSPComplex& v = balloon.Value(r.phi, r.theta, static_cast<int>(k));
                re.push_back(v.re);
                im.push_back(v.im);
            }
    }
    file.WriteDoubles("Data.Real", re);
    file.WriteDoubles("Data.Imag", im);

    const std::vector<unsigned char> bytes = file.CloseToBytes();
    std::string error;
    if (!FileSafety::WriteFileAtomically(
            path, std::vector<std::uint8_t>(bytes.begin(), bytes.end()), error))
        throw CSofaError(error);
}
