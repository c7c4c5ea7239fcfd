// The speaker models' part of the project file.
#include "common/Archive.h"
#include "common/FileVersion.h"
#include "speaker/SpeakerModelContainer.h"

#include <string>

namespace {
template <class Archive>
void SerializeComplexValues(Archive& ar, ArchiveSubject<Archive, CBalloonElement>& balloon) {
    if constexpr (!Archive::kStoring)
        ar.RequireItems(balloon.data.size(), 2 * sizeof(double), "balloon values");
    for (auto& v : balloon.data) {
        ar.Double(v.re);
        ar.Double(v.im);
    }
}
} // namespace

void CSpeakerModel::Store(CArchiveOut& ar, std::uint32_t version) const {
    Transfer(ar, *this, version);
}

void CSpeakerModel::Load(CArchiveIn& ar, std::uint32_t version) {
    Transfer(ar, *this, version);
}

template <class Archive, class Model>
void CSpeakerModel::Transfer(Archive& ar, Model& model, std::uint32_t version) {
    constexpr bool loading = !Archive::kStoring;
    if constexpr (loading)
        model.LoadCounts(ar);
    else
        model.StoreCounts(ar);
    for (auto& word : model.m_settings.arrangementWords)
        ar.Word(word);

    if constexpr (loading) {
        const int total = model.ElementTotal();
        if (total < 1 || total > kMaxModelElements)
            ar.Fail("element total " + std::to_string(total) + " is outside 1.." +
                    std::to_string(kMaxModelElements));
        ar.RequireItems(static_cast<std::size_t>(total), 7 * sizeof(double), "elements");
        model.ResetWeights();
    }
    for (auto& state : model.m_states)
        SerializeOrientation(ar, state.orientation);
    ar.String(model.m_header.name);
    if (version != kVersion100 && version != kVersion130) {
        // For readers of the file only; the suffix follows from the counts.
        std::string suffix;
        if constexpr (!loading)
            suffix = model.NameSuffix();
        ar.String(suffix);
    }
    for (auto& state : model.m_states) {
        ar.Double(state.module.weight);
        SerializeVec3(ar, state.position);
    }
    if constexpr (loading) {
        model.LoadModules(ar);
        model.ApplyModules(0);
    } else {
        model.StoreModules(ar);
    }

    auto& header = model.m_header;
    ar.Double(header.referenceDistance);
    ar.Word(header.thetaCount);
    ar.Word(header.phiCount);
    ar.Word(header.frequencyCount);
    ar.Double(header.pointsPerOctave);
    ar.Double(header.lowestFrequency);
    ar.Double(header.highestFrequency);
    if (!loading && model.m_settings.taps.size() > 0xFFFF)
        ar.Fail("a model with more than 65535 taps cannot be stored");
    std::uint16_t tapCount = static_cast<std::uint16_t>(model.m_settings.taps.size());
    ar.Word(tapCount);

    ar.WordInt(model.m_settings.defaultTap);
    const bool hasAmpFactor = version != kVersion100 && version != kVersion130;
    if constexpr (loading) {
        header.tapCount = tapCount;
        ar.RequireItems(tapCount, 2 + 2 * sizeof(double) + (hasAmpFactor ? sizeof(double) : 0),
                        "taps");
        model.m_settings.taps.assign(tapCount, CTapElement{});
    }
    for (auto& tap : model.m_settings.taps) {
        ar.WordBool(tap.lowImpedance);
        ar.Double(tap.tapRating);
        ar.Double(tap.tapPower);
        if (hasAmpFactor)
            ar.Double(tap.ampFactor);
        else if constexpr (loading)
            tap.ampFactor = tap.lowImpedance ? 2.0 : 1.0;
    }

    if constexpr (loading) {
        ar.RequireItems(header.thetaCount, sizeof(double), "theta angles");
        header.thetaGrid.assign(header.thetaCount, 0.0);
    }
    for (auto& theta : header.thetaGrid)
        ar.Double(theta);

    auto& balloons = model.m_balloons;
    const std::size_t perBalloon =
        static_cast<std::size_t>(header.phiCount) * header.thetaCount * header.frequencyCount;
    if constexpr (loading) {
        if (balloons.empty() || perBalloon > MaxModelBalloonValues() / balloons.size())
            ar.Fail("the balloons would hold more than " + std::to_string(MaxModelBalloonValues()) +
                    " values");
        // At least one balloon's values must follow before any balloon is allocated.
        ar.RequireItems(header.phiCount + perBalloon * 2, sizeof(double), "directivity values");
        for (CBalloonElement& balloon : balloons)
            balloon.SetDimensions(header.phiCount, header.thetaCount, header.frequencyCount);
    }
    if (!balloons.empty()) {
        // One phi grid is stored; every balloon shares it.
        auto& phiGrid = balloons.front().phiGrid;
        if (!loading && phiGrid.size() != header.phiCount)
            ar.Fail("the phi grid does not match the phi count");
        for (auto& phi : phiGrid)
            ar.Double(phi);
        if constexpr (loading)
            for (CBalloonElement& balloon : balloons)
                balloon.phiGrid = phiGrid;
    }
    if (version == kVersion200)
        for (auto& balloon : balloons)
            SerializeComplexValues(ar, balloon);

    if constexpr (loading) {
        ar.RequireItems(header.frequencyCount, sizeof(double), "frequencies");
        header.frequencyList.assign(header.frequencyCount, 0.0);
    }
    for (auto& f : header.frequencyList)
        ar.Double(f);

    if constexpr (loading) {
        model.BuildElements();
        if (version != kVersion200) // the old layout stored each element's balloon values
            for (const CSpeakerElement& element : model.m_elements)
                for (CBalloonElement& balloon : balloons)
                    if (&balloon == &element.Balloon())
                        SerializeComplexValues(ar, balloon);
    }
}

void CSpeakerModelContainer::Store(CArchiveOut& ar, std::uint32_t version) const {
    if (version != kVersion200 && !m_models.empty())
        ar.Fail("only the current layout is written");
    ar.WordInt(m_currentIndex);
    ar.CountWord(m_models.size(), 2, "speaker models");
    for (const auto& model : m_models) {
        ar.Word(static_cast<std::uint16_t>(model->Kind()));
        model->Store(ar, version);
    }
}

void CSpeakerModelContainer::Load(CArchiveIn& ar, int lengthUnit, std::uint32_t version) {
    ar.WordInt(m_currentIndex);
    std::size_t count = 0;
    ar.CountWord(count, 2, "speaker models");
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
    CArchiveOut out;
    out.Word(static_cast<std::uint16_t>(model.Kind()));
    model.Store(out, kVersion200);
    CArchiveIn in(out.TakeBuffer());
    std::unique_ptr<CSpeakerModel> copy = LoadModelRecord(in, kVersion200);
    if (copy)
        copy->SetLengthUnit(model.Settings().lengthUnit);
    return copy;
}

std::unique_ptr<CSpeakerModel> CSpeakerModelContainer::LoadModelRecord(CArchiveIn& ar,
                                                                       std::uint32_t version) {
    std::uint16_t kind = 0;
    ar.Word(kind);
    std::unique_ptr<CSpeakerModel> model = CreateModel(kind);
    if (!model)
        return nullptr;
    try {
        model->Load(ar, version);
    } catch (const CInvalidArgument& e) {
        ar.Fail(std::string("invalid speaker model: ") + e.what());
    }
    return model;
}
