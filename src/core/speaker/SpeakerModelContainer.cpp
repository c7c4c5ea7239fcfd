#include "speaker/SpeakerModelContainer.h"

#include "common/Errors.h"
#include "common/LineReader.h"
#include "common/TextParse.h"
#include "speaker/QL9Model.h"
#include "speaker/StdSPModel.h"
#include "speaker/TypeKModel.h"
#include "speaker/TypeNModel.h"
#include "speaker/TypePModel.h"
#include "speaker/TypeRModel.h"
#include "speaker/TypeWModel.h"

#include <new>

std::unique_ptr<CSpeakerModel> CSpeakerModelContainer::CreateModel(int kind) {
    switch (kind) {
    case kKindStandard:
    case kKindCeiling:
        return std::make_unique<CStdSPModel>(kind);
    case kKindTypeN:
        return std::make_unique<CTypeNModel>();
    case kKindTypeW:
        return std::make_unique<CTypeWModel>();
    case kKindTypeK:
        return std::make_unique<CTypeKModel>();
    case kKindQL9:
        return std::make_unique<CQL9Model>();
    case kKindTypeP:
        return std::make_unique<CTypePModel>();
    case kKindTypeR:
        return std::make_unique<CTypeRModel>();
    default:
        return nullptr;
    }
}

bool CSpeakerModelContainer::ImportModel(CLineReader& reader, int lengthUnit,
                                         CProgressDialog1* progress, std::string* reason) {
    std::unique_ptr<CSpeakerModel> model = ReadModel(reader, lengthUnit, progress, reason);
    if (!model)
        return false;
    m_models.push_back(std::move(model));
    return true;
}

std::unique_ptr<CSpeakerModel> CSpeakerModelContainer::ReadModel(CLineReader& reader,
                                                                 int lengthUnit,
                                                                 CProgressDialog1* progress,
                                                                 std::string* reason) {
    auto fail = [&](std::string why) -> std::unique_ptr<CSpeakerModel> {
        if (reason)
            *reason = std::move(why);
        return nullptr;
    };
    std::string line;
    if (!reader.ReadLine(line))
        return fail(reader.Failed() ? "the speaker data is damaged: " + reader.Error()
                                    : "the speaker data has no model type line");
    const int kind = ParseLeadingInt(line);
    std::unique_ptr<CSpeakerModel> model = CreateModel(kind);
    if (!model)
        return fail("model type " + std::to_string(kind) + " is unknown");
    model->SetLengthUnit(lengthUnit);
    try {
        model->LoadFromText(reader, progress);
    } catch (const CSpeakerTextError& e) {
        // A line over the length cap ends reading early; that, not the missing rest, is the cause.
        return fail(reader.Failed() ? "the speaker data is damaged: " + reader.Error()
                                    : std::string(e.what()));
    } catch (const CInvalidArgument& e) {
        return fail(std::string("invalid speaker data: ") + e.what());
    } catch (const std::bad_alloc&) {
        return fail("not enough memory for the speaker data");
    }
    return model;
}

void CSpeakerModelContainer::RemoveModel(int index) {
    if (index < 0 || index >= Count())
        return;
    m_models.erase(m_models.begin() + index);
    if (m_models.empty() || m_currentIndex >= Count())
        m_currentIndex = m_models.empty() ? 0 : Count() - 1;
}

void CSpeakerModelContainer::RemoveAll() {
    m_models.clear();
    m_currentIndex = 0;
}

void CSpeakerModelContainer::Append(std::unique_ptr<CSpeakerModel> model) {
    m_models.push_back(std::move(model));
}

void CSpeakerModelContainer::Adopt(std::vector<std::shared_ptr<CSpeakerModel>> models,
                                   int currentIndex) noexcept {
    m_models.swap(models);
    m_currentIndex = currentIndex;
}

std::shared_ptr<CSpeakerModel>
CSpeakerModelContainer::Replace(int index, std::shared_ptr<CSpeakerModel> model) {
    CheckIndex(index, m_models.size(), "speaker model");
    m_models[static_cast<std::size_t>(index)].swap(model);
    return model;
}

CSpeakerModel* CSpeakerModelContainer::CurrentModel() const {
    if (m_currentIndex < 0 || m_currentIndex >= Count())
        return nullptr;
    return m_models[static_cast<std::size_t>(m_currentIndex)].get();
}

CSpeakerModel& CSpeakerModelContainer::At(int index) const {
    CheckIndex(index, m_models.size(), "speaker model");
    return *m_models[static_cast<std::size_t>(index)];
}

void CSpeakerModelContainer::SetLengthUnit(int unit) {
    for (auto& model : m_models)
        model->SetLengthUnit(unit);
}
