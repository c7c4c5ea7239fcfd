#pragma once

#include "common/Units.h"
#include "speaker/BalloonElement.h"
#include "speaker/ModelSettings.h"
#include "speaker/SPVariableParam.h"
#include "speaker/SpeakerDataHeader.h"

#include <vector>

class CSpeakerModel;

// One radiating element of a model: its model and the indices of its element state and balloon.
// Indices, not pointers, so that a model whose state or balloon tables grow or shrink never
// leaves an element pointing into freed memory; an index that no longer fits throws.
class CSpeakerElement {
public:
    CSpeakerElement(const CSpeakerModel& model, int stateIndex, int balloonIndex)
        : m_model(&model), m_state(stateIndex), m_balloon(balloonIndex) {}

    // The element state's position in the project's unit (stored in metres).
    CVec3 Position() const;
    const COrientation& Orientation() const { return State().orientation; }
    double Weight() const { return State().module.weight; }
    const CSPComplex& Value(std::size_t index) const { return Balloon().At(index); }

    const CSpeakerDataHeader& Header() const;
    const CBalloonElement& Balloon() const;
    const CSPVariableParam& State() const;
    int StateIndex() const { return m_state; }
    int BalloonIndex() const { return m_balloon; }

private:
    const CSpeakerModel* m_model; // a model is neither copied nor moved
    int m_state;
    int m_balloon;
};

using CSpeakerElementArray = std::vector<CSpeakerElement>;
