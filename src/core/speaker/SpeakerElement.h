#pragma once

#include "common/Units.h"
#include "speaker/BalloonElement.h"
#include "speaker/ModelSettings.h"
#include "speaker/SPVariableParam.h"
#include "speaker/SpeakerDataHeader.h"

#include <vector>

// One radiating element of a model: non-owning links into its model's header, settings, element
// state and balloon. The model rebuilds its elements whenever states or balloons move.
class CSpeakerElement {
public:
    CSpeakerElement(const CSpeakerDataHeader& header, const CModelSettings& settings,
                    const CSPVariableParam& state, const CBalloonElement& balloon)
        : m_header(&header), m_settings(&settings), m_state(&state), m_balloon(&balloon) {}

    // The element state's position in the project's unit (stored in metres).
    CVec3 Position() const {
        const CVec3& p = m_state->position;
        if (m_settings->lengthUnit == kUnitImperial)
            return {p.x * kMetresToFeet, p.y * kMetresToFeet, p.z * kMetresToFeet};
        return p;
    }
    const COrientation& Orientation() const { return m_state->orientation; }
    double Weight() const { return m_state->module.weight; }
    const CSPComplex& Value(std::size_t index) const { return m_balloon->At(index); }

    const CSpeakerDataHeader& Header() const { return *m_header; }
    const CBalloonElement& Balloon() const { return *m_balloon; }
    const CSPVariableParam& State() const { return *m_state; }

private:
    const CSpeakerDataHeader* m_header;
    const CModelSettings* m_settings;
    const CSPVariableParam* m_state;
    const CBalloonElement* m_balloon;
};

using CSpeakerElementArray = std::vector<CSpeakerElement>;
