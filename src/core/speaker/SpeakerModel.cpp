#include "speaker/SpeakerModel.h"

#include "common/LineReader.h"
#include "common/ProgressDialog1.h"
#include "common/TextParse.h"

#include <atomic>
#include <cmath>
#include <string>

namespace {
std::atomic<std::size_t> g_maxBalloonValues{kMaxModelBalloonValues};
} // namespace

std::size_t MaxModelBalloonValues() {
    return g_maxBalloonValues.load(std::memory_order_relaxed);
}
void SetMaxModelBalloonValues(std::size_t limit) {
    g_maxBalloonValues.store(limit, std::memory_order_relaxed);
}

void CSpeakerModel::Fail(const std::string& reason) {
    throw CSpeakerTextError(reason);
}

const CBalloonElement& CSpeakerModel::Balloon(int index) const {
    CheckIndex(index, m_balloons.size(), "balloon");
    return m_balloons[static_cast<std::size_t>(index)];
}

const CAxisElement& CSpeakerModel::Module(int index) const {
    CheckIndex(index, m_modules.size(), "module");
    return m_modules[static_cast<std::size_t>(index)];
}

const CSPVariableParam& CSpeakerModel::State(int index) const {
    CheckIndex(index, m_states.size(), "element state");
    return m_states[static_cast<std::size_t>(index)];
}

const CSpeakerElement& CSpeakerModel::Element(int index) const {
    CheckIndex(index, m_elements.size(), "element");
    return m_elements[static_cast<std::size_t>(index)];
}

void CSpeakerModel::AddElement(int stateIndex, int balloonIndex) {
    CheckIndex(stateIndex, m_states.size(), "element state");
    CheckIndex(balloonIndex, m_balloons.size(), "balloon");
    m_elements.emplace_back(*this, stateIndex, balloonIndex);
}

void CSpeakerModel::ApplyModules(int flag) {
    for (std::size_t i = 0; i < m_states.size(); ++i) {
        const CAxisElement& entry = Module(static_cast<int>(i));
        if (flag == 1)
            m_states[i].module = entry;
        else
            m_states[i].module.vector = entry.vector;
    }
}

void CSpeakerModel::ResetWeights() {
    const int total = ElementTotal();
    if (total < 0 || total > kMaxModelElements)
        throw CInvalidArgument("element total " + std::to_string(total) + " is out of range");
    m_elements.clear(); // the states move; elements are rebuilt by BuildElements
    m_states.resize(static_cast<std::size_t>(total));
    for (auto& state : m_states)
        state.module.weight = 1.0 / total;
}

void CSpeakerModel::ReadHeaderLines(CLineReader& reader) {
    std::string line;
    auto next = [&](const char* what) {
        if (!reader.ReadLine(line))
            Fail(std::string("the speaker data ends before its ") + what + " line");
    };
    next("model name");
    m_header.name = line;
    next("tap count");
    const int tapCount = ParseLeadingInt(line);
    const long long tapLine = reader.LineNumber();
    next("phi count");
    const int phiBlocks = ParseLeadingInt(line);
    next("theta count");
    const int thetaCount = ParseLeadingInt(line);
    next("points per octave");
    const int pointsPerOctave = ParseLeadingInt(line);
    next("lowest frequency");
    const double lowest = ParseLeadingDouble(line);
    next("highest frequency");
    const double highest = ParseLeadingDouble(line);

    // A model without taps cannot be installed; refuse it here rather than at installing.
    if (tapCount < 1 || tapCount > 0xFFFF)
        Fail("line " + std::to_string(tapLine) + ": tap count " + std::to_string(tapCount) +
             " is outside 1..65535 (a speaker needs at least one tap)");
    if (!std::isfinite(lowest) || !std::isfinite(highest))
        Fail("the frequency range " + std::to_string(lowest) + " to " + std::to_string(highest) +
             " Hz is not given in finite numbers");
    if (phiBlocks < 1 || phiBlocks > 0xFFFE)
        Fail("phi count " + std::to_string(phiBlocks) + " is outside 1..65534");
    if (thetaCount < 1 || thetaCount > 0xFFFF)
        Fail("theta count " + std::to_string(thetaCount) + " is outside 1..65535");
    if (pointsPerOctave < 1)
        Fail("points per octave " + std::to_string(pointsPerOctave) + " is not positive");

    m_header.tapCount = static_cast<std::uint16_t>(tapCount);
    m_header.phiCount = static_cast<std::uint16_t>(phiBlocks + 1);
    m_header.thetaCount = static_cast<std::uint16_t>(thetaCount);
    m_header.pointsPerOctave = pointsPerOctave;
    m_header.lowestFrequency = lowest;
    m_header.highestFrequency = highest;
    m_header.referenceDistance = 1.0;
    if (!m_header.GenerateFrequencyList())
        Fail("the frequency range " + std::to_string(lowest) + " to " + std::to_string(highest) +
             " Hz holds more than 65535 frequencies");
    if (m_header.frequencyCount == 0)
        Fail("no model frequency lies between " + std::to_string(lowest) + " and " +
             std::to_string(highest) + " Hz");
}

void CSpeakerModel::ReadTapLines(CLineReader& reader) {
    m_settings.taps.assign(m_header.tapCount, CTapElement{});
    std::string line;
    for (auto& tap : m_settings.taps) {
        if (!reader.ReadLine(line))
            Fail("the speaker data ends inside its tap lines");
        CCommaTokenizer tokens(line);
        int index = 0;
        std::string why;
        const long long at = reader.LineNumber();
        while (const char* token = tokens.Next()) {
            switch (index++) {
            case 0:
                if (token[0] == 'h') {
                    tap.lowImpedance = false;
                    tap.ampFactor = 1.0;
                } else if (token[0] == 'l') {
                    tap.lowImpedance = true;
                    tap.ampFactor = 2.0;
                }
                break;
            case 1:
                if (!ParseFiniteNumber(token, "tap rating", at, tap.tapRating, why))
                    Fail(why);
                break;
            case 2:
                if (!ParseFiniteNumber(token, "tap power", at, tap.tapPower, why))
                    Fail(why);
                break;
            case 3:
                if (!ParseFiniteNumber(token, "amplifier factor", at, tap.ampFactor, why))
                    Fail(why);
                break;
            default:
                break;
            }
        }
    }
}

void CSpeakerModel::ReadThetaLine(CLineReader& reader) {
    std::string line;
    if (!reader.ReadLine(line))
        Fail("the speaker data ends before its theta line");
    m_header.thetaGrid.assign(m_header.thetaCount, 0.0);
    CCommaTokenizer tokens(line);
    std::size_t index = 0;
    while (const char* token = tokens.Next()) {
        if (index >= m_header.thetaGrid.size())
            throw CInvalidArgument("the theta line holds more than the " +
                                   std::to_string(m_header.thetaCount) +
                                   " angles of the theta count");
        std::string why;
        if (!ParseFiniteNumber(token, "theta angle", reader.LineNumber(),
                               m_header.thetaGrid[index++], why))
            Fail(why);
    }
}

void CSpeakerModel::LoadFromText(CLineReader& reader, CProgressDialog1* progress) {
    ParseCounts(reader);
    ReadHeaderLines(reader);
    ReadTapLines(reader);
    ReadThetaLine(reader);

    const int total = ElementTotal();
    if (total < 1 || total > kMaxModelElements)
        Fail("element total " + std::to_string(total) + " is outside 1.." +
             std::to_string(kMaxModelElements));
    m_elements.clear();
    m_states.resize(static_cast<std::size_t>(total));
    ParseModules(reader);
    ApplyModules(1);
    ComputeAim();

    const std::size_t perBalloon =
        static_cast<std::size_t>(m_header.phiCount) * m_header.thetaCount * m_header.frequencyCount;
    if (m_balloons.empty() || perBalloon > MaxModelBalloonValues() / m_balloons.size())
        Fail("the balloons would hold " + std::to_string(perBalloon) + " x " +
             std::to_string(m_balloons.size()) + " values, more than the limit of " +
             std::to_string(MaxModelBalloonValues()));
    if (progress)
        progress->SetRange(0, static_cast<long long>(m_header.phiCount - 1) *
                                  m_header.frequencyCount *
                                  static_cast<long long>(m_balloons.size()));
    long long position = 0;
    for (std::size_t b = 0; b < m_balloons.size(); ++b) {
        CBalloonElement& balloon = m_balloons[b];
        balloon.SetDimensions(m_header.phiCount, m_header.thetaCount, m_header.frequencyCount);
        const std::string why = balloon.ReadBalloon(reader, progress, position);
        if (!why.empty()) {
            const std::string which = Kind() >= kKindTypeN
                                          ? "module type " + std::to_string(b + 1) + " of " +
                                                std::to_string(m_balloons.size())
                                          : std::string("the speaker");
            Fail("the directivity of " + which + " is incomplete: " + why);
        }
    }
    if (reader.Failed())
        Fail("the speaker data is damaged: " + reader.Error());
    BuildElements();
}
