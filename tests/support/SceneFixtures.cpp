#include "SceneFixtures.h"

#include "VsaImport.h"

#include "acoustics/NoiseCurves.h"
#include "common/Archive.h"
#include "common/Units.h"
#include "speaker/CabinetArrayModel.h"

#include <cstdint>

int CTestScene::AddModel(const CVsaGenOptions& options) {
    return ImportGenerated(models, options, lengthUnit);
}

void CTestScene::Install(int model, const CVec3& position, const COrientation& aim, double power,
                         bool normal, double delayMs) {
    room.AddInstallation(model, 0, position, aim, power, normal);
    if (delayMs != 0.0)
        EditInstalled(room, room.Count() - 1, [&](CInstallationElement& e) { e.delay = delayMs; });
}

namespace {
CVsaGenOptions Small(CVsaGenOptions o) {
    o.phiBlocks = 8;
    o.thetaCount = 7;
    o.lowestFrequency = 200.0;
    o.highestFrequency = 4000.0;
    return o;
}

// A cabinet array rebuilt with the cabinets given ({type, splay} each).
void Recabinet(CSpeakerModel& model, const CTypePandRParamArray& cabinets) {
    auto& array = dynamic_cast<CCabinetArrayModel&>(model);
    CArchiveOut storing;
    for (std::uint16_t count :
         {std::uint16_t{0}, std::uint16_t{0}, static_cast<std::uint16_t>(cabinets.size())})
        storing.Word(count);
    CArchiveIn loading(storing.TakeBuffer());
    array.LoadCounts(loading);
    array.ResetWeights();
    array.Cabinets() = cabinets;
    array.ApplyModules(1);
    array.BuildElements();
}
} // namespace

void FurnishLineArrays(CTestScene& t, int unit) {
    t.lengthUnit = unit;
    const double u = unit == kUnitImperial ? kMetresToFeet : 1.0;
    struct Hung {
        CVsaGenOptions options;
        CVec3 position;
        COrientation aim;
        double power;
        bool normal;
        double delay;
    };
    const Hung arrays[] = {
        {TypeNArrayOptions(), {0.5, 4.0, 5.0}, {0, 0, 8}, 400.0, true, 0.0},
        {KVW5ArrayOptions(), {9.5, 1.0, 4.5}, {160, 0, 5}, 150.0, true, 3.7},
        {KVKArrayOptions(), {5.0, 0.2, 5.5}, {90, 5, 12}, 600.0, false, 12.5},
        {QL9ArrayOptions(), {9.0, 7.5, 4.0}, {-135, 0, 0}, 250.0, true, 0.0},
        {KVP10ArrayOptions(), {0.5, 0.5, 5.8}, {40, -3, 20}, 800.0, true, 0.45},
        {KVR6ArrayOptions(), {5.0, 7.8, 3.5}, {-90, 0, 3}, 300.0, false, 20.0},
    };
    for (const Hung& hung : arrays) {
        const int model = t.AddModel(Small(hung.options));
        CSpeakerModel& m = t.models.At(model);
        if (hung.options.kind == 6)
            Recabinet(m, {{0, 0.0}, {1, 8.0}, {0, 6.0}});
        else if (hung.options.kind == 7)
            Recabinet(m, {{0, 0.0}, {1, 4.0}});
        // Unequal shares: element i carries (i + 2) / (2 * count).
        const std::size_t count = m.States().size();
        for (std::size_t i = 0; i < count; ++i)
            m.States()[i].module.weight =
                static_cast<double>(i + 2) / (2.0 * static_cast<double>(count));
        t.Install(model, hung.position * u, hung.aim, hung.power, hung.normal, hung.delay);
    }
    t.room.roomHeight = 6.0 * u;
}

CRoomAcoustics FurnishedHall() {
    CRoomAcoustics hall;
    for (CRoomMaterial& wall : hall.faces)
        wall = {"Plaster on masonry", {0.01, 0.02, 0.02, 0.03, 0.04, 0.05, 0.05}};
    hall.faces[static_cast<std::size_t>(ERoomFace::Floor)] = {
        "Carpet on concrete", {0.02, 0.06, 0.14, 0.37, 0.60, 0.65, 0.65}};
    hall.faces[static_cast<std::size_t>(ERoomFace::Ceiling)] = {
        "Acoustic ceiling tiles", {0.30, 0.50, 0.80, 0.90, 0.90, 0.85, 0.85}};
    hall.faces[static_cast<std::size_t>(ERoomFace::WallYW)] = {
        "", {0.10, 0.15, 0.20, 0.25, 0.30, 0.30, 0.30}};
    hall.extraAbsorption = {2, 4, 6, 8, 9, 9, 9};
    return hall;
}

CSpeechSettings HallSpeech() {
    CSpeechSettings speech;
    speech.noiseOn = true;
    speech.noise = *NoiseCurve("NR35");
    speech.curve = "NR35";
    speech.stiTarget = 0.55;
    return speech;
}
