#include "SceneFixtures.h"

#include "VsaImport.h"

int CTestScene::AddModel(const CVsaGenOptions& options) {
    return ImportGenerated(models, options, lengthUnit);
}

void CTestScene::Install(int model, const CVec3& position, const COrientation& aim, double power,
                         bool normal) {
    room.AddInstallation(model, 0, position, aim, power, normal);
}
