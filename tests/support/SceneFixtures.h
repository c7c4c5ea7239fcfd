#pragma once

#include "SpeakerFixtures.h"
#include "acoustics/AcousticScene.h"
#include "acoustics/InstallationContainer.h"
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
    CAcousticScene Scene() const { return CAcousticScene::Of(models, room, lengthUnit); }
};

// Changes installation `index` of a room through its container, as an edit does.
template <class Change>
void EditInstalled(CInstallationContainer& room, int index, Change change) {
    CInstallationElement element = *room.At(index);
    change(element);
    room.ReplaceInstallation(index, element);
}
