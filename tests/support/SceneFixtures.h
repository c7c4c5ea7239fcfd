#pragma once

#include "SpeakerFixtures.h"
#include "acoustics/AcousticScene.h"
#include "acoustics/InstallationContainer.h"
#include "acoustics/RoomAcoustics.h"
#include "acoustics/SpeechTransmission.h"
#include "speaker/SpeakerModelContainer.h"

// A room with models and installations, built in code for calculation tests.
struct CTestScene {
    CSpeakerModelContainer models;
    CInstallationContainer room;
    int lengthUnit = 0;

    // Imports generated speaker data; returns its model index.
    int AddModel(const CVsaGenOptions& options);
    void Install(int model, const CVec3& position, const COrientation& aim = {}, double power = 1.0,
                 bool normal = true, double delayMs = 0.0);
    // What the room quantities read besides: the room's surfaces and air, noise and target.
    CRoomAcoustics acoustics;
    CSpeechSettings speech;

    CAcousticScene Scene() const { return CAcousticScene::Of(models, room, lengthUnit); }
    // The scene with the room acoustics and speech settings above, as a project gives it.
    CAcousticScene RoomScene() const {
        CAcousticScene scene = Scene();
        scene.acoustics = &acoustics;
        scene.speech = &speech;
        return scene;
    }
};

// One line array of every family (N, W, K, QL-9, P with three cabinets, R with two) hung around
// a 10 x 8 room, 3 points per octave, every element with its own weight (not summing to 1), each
// installation with its own power, some reversed, and signal delays of 0 to 20 ms. Positions in
// the unit given; the ceiling height is 6.
void FurnishLineArrays(CTestScene& t, int unit);

// A furnished hall as a planner describes it: a named carpet on the floor, a named ceiling of
// acoustic tiles, plaster walls but one of typed coefficients, and an audience as extra
// absorption; the Eyring time drives the field. Its speech settings: an NR 35 background noise
// and an STI target of 0.55.
CRoomAcoustics FurnishedHall();
CSpeechSettings HallSpeech();

// Changes installation `index` of a room through its container, as an edit does.
template <class Change> void EditInstalled(CInstallationContainer& room, int index, Change change) {
    CInstallationElement element = *room.At(index);
    change(element);
    room.ReplaceInstallation(index, element);
}
