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
                 bool normal = true);
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

// Changes installation `index` of a room through its container, as an edit does.
template <class Change>
void EditInstalled(CInstallationContainer& room, int index, Change change) {
    CInstallationElement element = *room.At(index);
    change(element);
    room.ReplaceInstallation(index, element);
}
