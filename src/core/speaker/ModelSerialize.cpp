// The speaker models' part of the project file.
#include "common/Archive.h"
#include "common/FileVersion.h"
#include "speaker/SpeakerModelContainer.h"

#include <string>

namespace {
void SerializeComplexValues(CArchive& ar, CBalloonElement& balloon) {
    if (ar.IsLoading())
        ar.RequireItems(balloon.data.size(), 2 * sizeof(double), "balloon values");
    for (CSPComplex& v : balloon.data) {
        ar.Double(v.re);
        ar.Double(v.im);
    }
}
} // namespace

void CSpeakerModel::Serialize(CArchive& ar, std::uint32_t version) {
    const bool loading = ar.IsLoading();
    SerializeCounts(ar);
    for (std::uint16_t& word : m_settings.arrangementWords)
        ar.Word(word);

    if (loading) {
        const int total = ElementTotal();
        if (total < 1 || total > kMaxModelElements)
            ar.Fail("element total " + std::to_string(total) + " is outside 1.." +
                    std::to_string(kMaxModelElements));
        ar.RequireItems(static_cast<std::size_t>(total), 7 * sizeof(double), "elements");
        ResetWeights();
    }
    for (CSPVariableParam& state : m_states)
        SerializeOrientation(ar, state.orientation);
    ar.String(m_header.name);
    if (version != kVersion100 && version != kVersion130) {
        std::string suffix = loading ? std::string() : NameSuffix();
        ar.String(suffix); // for readers of the file only; the suffix follows from the counts
    }
    for (CSPVariableParam& state : m_states) {
        ar.Double(state.module.weight);
        SerializeVec3(ar, state.position);
    }
    SerializeModules(ar);
    if (loading)
        ApplyModules(0);

    ar.Double(m_header.referenceDistance);
    ar.Word(m_header.thetaCount);
    ar.Word(m_header.phiCount);
    ar.Word(m_header.frequencyCount);
    ar.Double(m_header.pointsPerOctave);
    ar.Double(m_header.lowestFrequency);
    ar.Double(m_header.highestFrequency);
    if (!loading && m_settings.taps.size() > 0xFFFF)
        ar.Fail("a model with more than 65535 taps cannot be stored");
    std::uint16_t tapCount = static_cast<std::uint16_t>(m_settings.taps.size());
    ar.Word(tapCount);
    m_header.tapCount = tapCount;

    ar.WordInt(m_settings.defaultTap);
    const bool hasAmpFactor = version != kVersion100 && version != kVersion130;
    if (loading) {
        ar.RequireItems(tapCount, 2 + 2 * sizeof(double) + (hasAmpFactor ? sizeof(double) : 0),
                        "taps");
        m_settings.taps.assign(tapCount, CTapElement{});
    }
    for (CTapElement& tap : m_settings.taps) {
        ar.WordBool(tap.lowImpedance);
        ar.Double(tap.tapRating);
        ar.Double(tap.tapPower);
        if (hasAmpFactor)
            ar.Double(tap.ampFactor);
        else if (loading)
            tap.ampFactor = tap.lowImpedance ? 2.0 : 1.0;
    }

    if (loading) {
        ar.RequireItems(m_header.thetaCount, sizeof(double), "theta angles");
        m_header.thetaGrid.assign(m_header.thetaCount, 0.0);
    }
    for (double& theta : m_header.thetaGrid)
        ar.Double(theta);

    const std::size_t perBalloon =
        static_cast<std::size_t>(m_header.phiCount) * m_header.thetaCount * m_header.frequencyCount;
    if (loading) {
        if (m_balloons.empty() || perBalloon > MaxModelBalloonValues() / m_balloons.size())
            ar.Fail("the balloons would hold more than " + std::to_string(MaxModelBalloonValues()) +
                    " values");
        // At least one balloon's values must follow before any balloon is allocated.
        ar.RequireItems(m_header.phiCount + perBalloon * 2, sizeof(double), "directivity values");
        for (CBalloonElement& balloon : m_balloons)
            balloon.SetDimensions(m_header.phiCount, m_header.thetaCount, m_header.frequencyCount);
    }
    if (!m_balloons.empty()) {
        std::vector<double>& phiGrid = m_balloons.front().phiGrid;
        if (!loading && phiGrid.size() != m_header.phiCount)
            ar.Fail("the phi grid does not match the phi count");
        for (double& phi : phiGrid)
            ar.Double(phi);
        for (CBalloonElement& balloon : m_balloons)
            balloon.phiGrid = phiGrid;
    }
    if (version == kVersion200)
        for (CBalloonElement& balloon : m_balloons)
            SerializeComplexValues(ar, balloon);

    if (loading) {
        ar.RequireItems(m_header.frequencyCount, sizeof(double), "frequencies");
        m_header.frequencyList.assign(m_header.frequencyCount, 0.0);
    }
    for (double& f : m_header.frequencyList)
        ar.Double(f);

    if (loading) {
        BuildElements();
        if (version != kVersion200) // the old layout stored each element's balloon values
            for (const CSpeakerElement& element : m_elements)
                for (CBalloonElement& balloon : m_balloons)
                    if (&balloon == &element.Balloon())
                        SerializeComplexValues(ar, balloon);
    }
}

void CSpeakerModelContainer::Serialize(CArchive& ar, int lengthUnit, std::uint32_t version) {
    ar.WordInt(m_currentIndex);
    std::size_t count = m_models.size();
    ar.CountWord(count, 2, "speaker models");
    if (ar.IsStoring()) {
        for (auto& model : m_models) {
            if (version != kVersion200)
                ar.Fail("only the current layout is written");
            std::uint16_t kind = static_cast<std::uint16_t>(model->Kind());
            ar.Word(kind);
            model->Serialize(ar, version);
        }
        return;
    }
    m_models.clear();
    for (std::size_t i = 0; i < count; ++i) {
        ar.SetContext("speaker model " + std::to_string(i));
        if (version != kVersion200) {
            std::uint8_t obsolete[30];
            ar.Bytes(obsolete, sizeof obsolete, "an obsolete model header");
        }
        std::unique_ptr<CSpeakerModel> model = LoadModelRecord(ar, version);
        if (!model)
            ar.Fail("the speaker model type is unknown");
        if (version != kVersion200 && !LoadModelRecord(ar, version))
            ar.Fail("the second copy of the speaker model has an unknown type");
        model->SetLengthUnit(lengthUnit);
        m_models.push_back(std::move(model));
    }
    ar.SetContext({});
}

std::unique_ptr<CSpeakerModel> CSpeakerModelContainer::CloneModel(const CSpeakerModel& model) {
    // Storing only reads the model.
    CSpeakerModel& source = const_cast<CSpeakerModel&>(model);
    CArchive out = CArchive::ForStoring();
    std::uint16_t kind = static_cast<std::uint16_t>(source.Kind());
    out.Word(kind);
    source.Serialize(out, kVersion200);
    CArchive in = CArchive::ForLoading(out.TakeBuffer());
    std::unique_ptr<CSpeakerModel> copy = LoadModelRecord(in, kVersion200);
    if (copy)
        copy->SetLengthUnit(model.Settings().lengthUnit);
    return copy;
}

std::unique_ptr<CSpeakerModel> CSpeakerModelContainer::LoadModelRecord(CArchive& ar,
                                                                       std::uint32_t version) {
    std::uint16_t kind = 0;
    ar.Word(kind);
    std::unique_ptr<CSpeakerModel> model = CreateModel(kind);
    if (!model)
        return nullptr;
    try {
        model->Serialize(ar, version);
    } catch (const CInvalidArgument& e) {
        ar.Fail(std::string("invalid speaker model: ") + e.what());
    }
    return model;
}
