#include "acoustics/SpeakerSources.h"

#include "acoustics/InstallationElement.h"
#include "acoustics/PointResponse.h"
#include "common/FormatSignificant.h"
#include "speaker/SpeakerModelContainer.h"

#include <algorithm>
#include <tuple>

CSpeakerSources::CSpeakerSources(const CAcousticScene& scene) {
    if (!scene.HasInstallations())
        return;
    int index = 0;
    for (const CInstallationElement& inst : *scene.installations) {
        const int model = inst.modelIndex;
        if (model >= 0 && model < scene.models->Count()) {
            for (const CSpeakerElement& element : scene.models->At(model).Elements()) {
                // The same sums as the point response and the engine, so equality is exact.
                CVec3 source = inst.position + ElementFrame(element, inst.orientation).offset;
                m_sources.push_back({source.x, source.y, source.z, index});
                if (scene.ceilingReflection) {
                    source.z = 2.0 * scene.ceilingHeight - source.z;
                    m_sources.push_back({source.x, source.y, source.z, index});
                }
            }
        }
        ++index;
    }
    std::sort(m_sources.begin(), m_sources.end(), [](const CSource& a, const CSource& b) {
        return std::tie(a.x, a.y, a.z, a.installation) < std::tie(b.x, b.y, b.z, b.installation);
    });
}

int CSpeakerSources::InstallationAt(const CVec3& p) const {
    const auto at = std::lower_bound(
        m_sources.begin(), m_sources.end(), p, [](const CSource& s, const CVec3& q) {
            return std::tie(s.x, s.y, s.z) < std::tie(q.x, q.y, q.z);
        });
    if (at == m_sources.end() || at->x != p.x || at->y != p.y || at->z != p.z)
        return -1;
    return at->installation;
}

std::string PointAtSpeakerText(const CVec3& p, int installation) {
    return "point (" + FormatSignificant(p.x, 6) + ", " + FormatSignificant(p.y, 6) + ", " +
           FormatSignificant(p.z, 6) + ") lies at installation " + std::to_string(installation);
}
