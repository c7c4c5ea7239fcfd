#include "speaker/LineArrayModel.h"

#include "common/Archive.h"
#include "common/LineReader.h"
#include "common/TextParse.h"
#include "speaker/CalcAimAngle.h"

#include <algorithm>

void CLineArrayModel::LoadFromText(CLineReader& reader, CProgressDialog1* progress) {
    CSpeakerModel::LoadFromText(reader, progress);
    for (std::size_t b = 0; b < m_balloons.size(); ++b) {
        const CSPComplexArray& data = m_balloons[b].data;
        const bool empty = std::all_of(data.begin(), data.end(),
                                       [](const CSPComplex& v) { return v == CSPComplex{}; });
        if (empty)
            Fail("the speaker data ends before the directivity of module type " +
                 std::to_string(b + 1) + " of " + std::to_string(m_balloons.size()));
    }
}

void CLineArrayModel::ParseCounts(CLineReader& reader) {
    int read[3] = {0, 0, 0};
    std::string line;
    for (int& value : read) {
        if (!reader.ReadLine(line))
            Fail(std::string("the ") + FamilyName() +
                 " speaker data ends inside its three module count lines");
        value = ParseLeadingInt(line);
    }
    const CModuleCounts counts = CountsFromText({read[0], read[1], read[2]});
    const std::string problem = CheckCounts(counts);
    if (!problem.empty())
        Fail(problem);
    AdoptCounts(counts);
}

void CLineArrayModel::ParseModules(CLineReader& reader) {
    std::string line, why;
    const auto ended = [&] {
        Fail(reader.Failed()
                 ? reader.Error()
                 : "the speaker data ends after line " + std::to_string(reader.LineNumber()) +
                       ", inside its module table");
    };
    for (CAxisElement& entry : m_modules) {
        if (!reader.ReadLine(line))
            ended();
        entry.name = line;
        const std::pair<double*, const char*> fields[] = {{&entry.vector.pitch, "module pitch"},
                                                          {&entry.vector.offset, "module offset"},
                                                          {&entry.vector.splay, "module splay"},
                                                          {&entry.weight, "module weight"}};
        for (const auto& [value, field] : fields) {
            if (!reader.ReadLine(line))
                ended();
            if (!ParseFiniteNumber(line.c_str(), field, reader.LineNumber(), *value, why))
                Fail(why);
        }
    }
}

void CLineArrayModel::StoreCounts(CArchiveOut& ar) const {
    for (int count : {m_settings.centre, m_settings.upper, m_settings.lower}) {
        if (count < 0 || count > 0xFFFF)
            ar.Fail("module count " + std::to_string(count) + " does not fit a WORD");
        ar.Word(static_cast<std::uint16_t>(count));
    }
}

void CLineArrayModel::LoadCounts(CArchiveIn& ar) {
    std::uint16_t w[3] = {0, 0, 0};
    for (std::uint16_t& value : w)
        ar.Word(value);
    const CModuleCounts counts{w[0], w[1], w[2]};
    const std::string problem = CheckCounts(counts);
    if (!problem.empty())
        ar.Fail(problem);
    AdoptCounts(counts);
}

void CLineArrayModel::AdoptCounts(const CModuleCounts& counts) {
    SetCounts(counts.centre, counts.upper, counts.lower);
    m_modules.resize(static_cast<std::size_t>(ModuleTableSize(counts)));
    m_balloons.resize(static_cast<std::size_t>(BalloonCount()));
}

void CLineArrayModel::RequireValidCounts(const CModuleCounts& counts) const {
    const std::string problem = CheckCounts(counts);
    if (!problem.empty())
        throw CInvalidArgument(problem);
}

void CLineArrayModel::RequireStates(int count) const {
    if (count < 0 || static_cast<std::size_t>(count) > m_states.size())
        throw CInvalidArgument(std::string(FamilyName()) + " needs " + std::to_string(count) +
                               " element states but has " + std::to_string(m_states.size()));
}

void CLineArrayModel::Place(CCalcAimAngleZX& calculator, CSPVariableParam& state) {
    const CModuleVector& v = state.module.vector;
    state.orientation.elevation = calculator.AddAngle(v.splay);
    double x = 0.0;
    double z = 0.0;
    calculator.Step(v.pitch, v.offset, x, z);
    state.position = {x, 0.0, z};
}

void CLineArrayModel::StackLower(int count) {
    RequireStates(count);
    CCalcAimAngleLowerZX lower;
    for (int i = 0; i < count; ++i)
        Place(lower, m_states[static_cast<std::size_t>(i)]);
}

void CLineArrayModel::SetEqualWeights() {
    const double weight = 1.0 / static_cast<double>(m_states.size());
    for (CSPVariableParam& state : m_states)
        state.module.weight = weight;
}

namespace {
template <class Archive>
void SerializeModuleTable(Archive& ar, ArchiveSubject<Archive, CAxisElementArray>& modules) {
    if constexpr (!Archive::kStoring)
        ar.RequireItems(modules.size(), 1 + 3 * sizeof(double), "module entries");
    for (auto& entry : modules) {
        ar.String(entry.name);
        ar.Double(entry.vector.offset);
        ar.Double(entry.vector.pitch);
        ar.Double(entry.vector.splay);
    }
}
} // namespace

void CLineArrayModel::StoreModules(CArchiveOut& ar) const {
    SerializeModuleTable(ar, m_modules);
}

void CLineArrayModel::LoadModules(CArchiveIn& ar) {
    SerializeModuleTable(ar, m_modules);
}

void CLineArrayModel::BuildOnFirstBalloon(int count) {
    if (m_balloons.empty())
        throw CInvalidArgument(std::string("the ") + FamilyName() + " model has no balloon");
    RequireStates(count);
    m_elements.clear();
    m_elements.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        AddElement(i, 0);
}

CVectorArrangement CLineArrayModel::VectorArrangement(int lengthUnit) const {
    CVectorArrangement arrangement;
    arrangement.counts = Counts();
    arrangement.lengthUnit = lengthUnit;
    for (const CSPVariableParam& state : m_states)
        arrangement.vectors.push_back(state.module.vector);
    return arrangement;
}

std::string CLineArrayModel::BoxSuffix(int total, int perBox) {
    for (int boxes = 2; boxes <= 4; ++boxes)
        if (total == boxes * perBox)
            return " (x " + std::to_string(boxes) + ")";
    return {};
}
