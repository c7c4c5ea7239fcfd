#include "SceneFixtures.h"

#include "common/LineReader.h"

#include <sstream>
#include <stdexcept>

int CTestScene::AddModel(const CVsaGenOptions& options) {
    std::istringstream in(WithoutVersionLine(GenerateVsa(options)));
    CLineReader reader(in);
    std::string reason;
    if (!models.ImportModel(reader, lengthUnit, nullptr, &reason))
        throw std::runtime_error("generated speaker data did not import: " + reason);
    return models.Count() - 1;
}

void CTestScene::Install(int model, const CVec3& position, const COrientation& aim, double power,
                         bool normal) {
    room.AddInstallation(model, 0, position, aim, power, normal);
}
