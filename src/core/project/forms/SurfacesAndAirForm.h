#pragma once

#include "acoustics/MaterialLibrary.h"
#include "acoustics/RoomAcoustics.h"
#include "acoustics/SpeechTransmission.h"
#include "project/forms/NumberField.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

// Room > Surfaces and Air: each face's material (from the library or typed coefficients), the
// extra absorption, the air, the air-absorption switch, the reverberation formula, and the
// background noise with the STI target. What the room makes of the values as they are typed
// (V, S, abar, Sabine and Eyring times per octave) is there for the dialog to show at once.
class CSurfacesAndAirForm {
public:
    struct CFace {
        std::string material; // the library's name, or a name of the user's for typed values
        std::array<CNumberField, kOctaveCount> alpha;
    };

    // `size` in metres; `library` what the material lists offer.
    CSurfacesAndAirForm(const CRoomAcoustics& acoustics, const CSpeechSettings& speech,
                        const CRoomSize& size, CMaterialLibrary library);

    std::string Title() const;
    static std::string FaceLabel(int face);
    static std::string OctaveLabel(int octave); // "125" ... "8k"

    std::array<CFace, kRoomFaceCount> faces;
    std::array<CNumberField, kOctaveCount> extra;
    CNumberField temperature, humidity;
    bool airOnDirect = false;
    EReverbFormula formula = EReverbFormula::Eyring;
    bool noiseOn = false;
    std::string noiseCurve; // empty: typed levels
    std::array<CNumberField, kOctaveCount> noise;
    CNumberField stiTarget;

    // The library's names, for the material lists.
    std::vector<std::string> MaterialNames() const;
    const CMaterialLibrary& Library() const { return m_library; }
    // The library material of that name fills the face's coefficients; false (nothing changed)
    // for a name the library does not have.
    bool ChooseMaterial(int face, const std::string& name);
    // The curves the noise list offers ("NR25" ... "NC-70"), and choosing one fills the levels;
    // an empty name keeps the typed levels.
    static std::vector<std::string> NoiseCurveNames();
    bool ChooseNoiseCurve(const std::string& name);

    // The room as the fields stand; nothing (and the message) while one does not read.
    std::optional<CRoomOctaves> Preview(std::string* message = nullptr) const;
    // Checks every field in order (faces, extra, air, noise, target); the first refusal names the
    // field. True: Acoustics() and Speech() hold the result.
    bool Accept(std::string* message = nullptr);
    const CRoomAcoustics& Acoustics() const { return m_acoustics; }
    const CSpeechSettings& Speech() const { return m_speech; }

private:
    // Every field read; false with the message of the first that does not read or is refused.
    bool Read(CRoomAcoustics& acoustics, CSpeechSettings& speech, std::string* message) const;

    CRoomSize m_size;
    CMaterialLibrary m_library;
    CRoomAcoustics m_acoustics;
    CSpeechSettings m_speech;
};
