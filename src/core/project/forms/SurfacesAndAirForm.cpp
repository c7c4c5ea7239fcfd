#include "project/forms/SurfacesAndAirForm.h"

#include "acoustics/NoiseCurves.h"
#include "project/Strings.h"

namespace {
void Init(CNumberField& field, const std::string& label, const std::string& unit, double lo,
          double hi, double value) {
    field.label = label;
    field.unit = unit;
    field.minimum = lo;
    field.maximum = hi;
    field.SetValue(value);
}

// Reads a field; on a refusal the message names the field.
bool ReadField(const CNumberField& field, const std::string& name, double& value,
               std::string* message) {
    std::string why;
    const std::optional<double> v = field.Parse(&why);
    if (!v) {
        if (message)
            *message = name + ": " + why;
        return false;
    }
    value = *v;
    return true;
}
} // namespace

CSurfacesAndAirForm::CSurfacesAndAirForm(const CRoomAcoustics& acoustics,
                                         const CSpeechSettings& speech, const CRoomSize& size,
                                         CMaterialLibrary library)
    : m_size(size), m_library(std::move(library)), m_acoustics(acoustics), m_speech(speech) {
    for (int f = 0; f < kRoomFaceCount; ++f) {
        CFace& face = faces[static_cast<std::size_t>(f)];
        const CRoomMaterial& material = acoustics.faces[static_cast<std::size_t>(f)];
        face.material = material.name;
        for (int k = 0; k < kOctaveCount; ++k)
            Init(face.alpha[static_cast<std::size_t>(k)], OctaveLabel(k), "", 0.0, 1.0,
                 material.alpha[static_cast<std::size_t>(k)]);
    }
    for (int k = 0; k < kOctaveCount; ++k) {
        Init(extra[static_cast<std::size_t>(k)], OctaveLabel(k), "m2", 0.0, kMaxExtraAbsorption,
             acoustics.extraAbsorption[static_cast<std::size_t>(k)]);
        Init(noise[static_cast<std::size_t>(k)], OctaveLabel(k), "dB", kMinNoiseLevel,
             kMaxNoiseLevel, speech.noise[static_cast<std::size_t>(k)]);
    }
    Init(temperature, Strings::kAirTemperature, "deg C", kMinAirTemperature, kMaxAirTemperature,
         acoustics.temperature);
    Init(humidity, Strings::kAirHumidity, "%", 0.0, 100.0, acoustics.humidity);
    Init(stiTarget, Strings::kStiTarget, "", 0.0, 1.0, speech.stiTarget);
    airOnDirect = acoustics.airOnDirect;
    formula = acoustics.formula;
    noiseOn = speech.noiseOn;
    noiseCurve = speech.curve;
}

std::string CSurfacesAndAirForm::Title() const {
    return Strings::kSurfacesAndAirTitle;
}

std::string CSurfacesAndAirForm::FaceLabel(int face) {
    static const char* labels[kRoomFaceCount] = {Strings::kFaceFloor,  Strings::kFaceCeiling,
                                                 Strings::kFaceWallX0, Strings::kFaceWallXL,
                                                 Strings::kFaceWallY0, Strings::kFaceWallYW};
    return face >= 0 && face < kRoomFaceCount ? labels[face] : "";
}

std::string CSurfacesAndAirForm::OctaveLabel(int octave) {
    static const char* labels[kOctaveCount] = {"125", "250", "500", "1k", "2k", "4k", "8k"};
    return octave >= 0 && octave < kOctaveCount ? labels[octave] : "";
}

std::vector<std::string> CSurfacesAndAirForm::MaterialNames() const {
    std::vector<std::string> names;
    for (const CLibraryMaterial& m : m_library.Materials())
        names.push_back(m.material.name);
    return names;
}

bool CSurfacesAndAirForm::ChooseMaterial(int face, const std::string& name) {
    const CLibraryMaterial* m = m_library.Find(name);
    if (!m || face < 0 || face >= kRoomFaceCount)
        return false;
    CFace& f = faces[static_cast<std::size_t>(face)];
    f.material = m->material.name;
    for (std::size_t k = 0; k < kOctaveCount; ++k)
        f.alpha[k].SetValue(m->material.alpha[k]);
    return true;
}

std::vector<std::string> CSurfacesAndAirForm::NoiseCurveNames() {
    std::vector<std::string> names;
    for (int nr = 20; nr <= 70; nr += 5)
        names.push_back("NR" + std::to_string(nr));
    for (int nc = 15; nc <= 70; nc += 5)
        names.push_back("NC-" + std::to_string(nc));
    return names;
}

bool CSurfacesAndAirForm::ChooseNoiseCurve(const std::string& name) {
    if (name.empty()) {
        noiseCurve.clear();
        return true;
    }
    const std::optional<COctaveValues> levels = NoiseCurve(name);
    if (!levels)
        return false;
    noiseCurve = NoiseCurveName(name);
    for (std::size_t k = 0; k < kOctaveCount; ++k)
        noise[k].SetValue((*levels)[k]);
    return true;
}

bool CSurfacesAndAirForm::Read(CRoomAcoustics& a, CSpeechSettings& s, std::string* message) const {
    for (int f = 0; f < kRoomFaceCount; ++f) {
        const CFace& face = faces[static_cast<std::size_t>(f)];
        CRoomMaterial& m = a.faces[static_cast<std::size_t>(f)];
        m.name = face.material;
        for (int k = 0; k < kOctaveCount; ++k)
            if (!ReadField(face.alpha[static_cast<std::size_t>(k)],
                           FaceLabel(f) + ", alpha at " + OctaveLabel(k) + " Hz",
                           m.alpha[static_cast<std::size_t>(k)], message))
                return false;
    }
    for (int k = 0; k < kOctaveCount; ++k)
        if (!ReadField(extra[static_cast<std::size_t>(k)],
                       std::string(Strings::kExtraAbsorption) + " at " + OctaveLabel(k) + " Hz",
                       a.extraAbsorption[static_cast<std::size_t>(k)], message))
            return false;
    if (!ReadField(temperature, Strings::kAirTemperature, a.temperature, message) ||
        !ReadField(humidity, Strings::kAirHumidity, a.humidity, message))
        return false;
    a.airOnDirect = airOnDirect;
    a.formula = formula;
    s.noiseOn = noiseOn;
    s.curve = noiseCurve;
    for (int k = 0; k < kOctaveCount; ++k)
        if (!ReadField(noise[static_cast<std::size_t>(k)],
                       std::string(Strings::kNoiseOn) + " at " + OctaveLabel(k) + " Hz",
                       s.noise[static_cast<std::size_t>(k)], message))
            return false;
    // Levels typed over a curve's are no longer that curve.
    if (!s.curve.empty() && NoiseCurve(s.curve) != s.noise)
        s.curve.clear();
    if (!ReadField(stiTarget, Strings::kStiTarget, s.stiTarget, message))
        return false;
    std::string error = RoomAcousticsError(a);
    if (error.empty())
        error = SpeechSettingsError(s);
    if (!error.empty()) {
        if (message)
            *message = error;
        return false;
    }
    return true;
}

std::optional<CRoomOctaves> CSurfacesAndAirForm::Preview(std::string* message) const {
    CRoomAcoustics a = m_acoustics;
    CSpeechSettings s = m_speech;
    if (!Read(a, s, message))
        return std::nullopt;
    return AnalyseRoom(a, m_size);
}

bool CSurfacesAndAirForm::Accept(std::string* message) {
    CRoomAcoustics a = m_acoustics;
    CSpeechSettings s = m_speech;
    if (!Read(a, s, message))
        return false;
    m_acoustics = a;
    m_speech = s;
    return true;
}
