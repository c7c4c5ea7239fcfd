#pragma once

#include "speaker/SpeakerModel.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CArchiveIn;
class CArchiveOut;
class CLineReader;
class CProgressDialog1;

// The project's speaker models and the current one. Installations refer to models by index.
class CSpeakerModelContainer {
public:
    // The model class of a type code, or nullptr for an unknown code.
    static std::unique_ptr<CSpeakerModel> CreateModel(int kind);

    // Reads the model type line and the rest of one model from speaker data text. On failure
    // nullptr and *reason (when given) says why.
    static std::unique_ptr<CSpeakerModel> ReadModel(CLineReader& reader, int lengthUnit,
                                                    CProgressDialog1* progress,
                                                    std::string* reason = nullptr);
    // ReadModel, then appends the model. On failure nothing is added. currentIndex stays.
    bool ImportModel(CLineReader& reader, int lengthUnit, CProgressDialog1* progress,
                     std::string* reason = nullptr);
    // An independent copy of a model, made through its project record: what a project file
    // keeps of it is equal, nothing is shared.
    static std::unique_ptr<CSpeakerModel> CloneModel(const CSpeakerModel& model);
    void RemoveModel(int index);
    void RemoveAll();
    void Append(std::unique_ptr<CSpeakerModel> model);

    // The models as shared handles, for a snapshot of the project that must not copy them. A
    // model that is shared this way is never changed in place: whoever changes one first puts a
    // copy in its slot (Replace).
    const std::vector<std::shared_ptr<CSpeakerModel>>& Shared() const { return m_models; }
    // Takes the given models and current index, as a snapshot holds them.
    void Adopt(std::vector<std::shared_ptr<CSpeakerModel>> models, int currentIndex) noexcept;
    // Puts another model into slot index; returns the one that was there.
    std::shared_ptr<CSpeakerModel> Replace(int index, std::shared_ptr<CSpeakerModel> model);

    CSpeakerModel* CurrentModel() const;
    CSpeakerModel& At(int index) const;
    int Count() const { return static_cast<int>(m_models.size()); }
    int CurrentIndex() const { return m_currentIndex; }
    void SetCurrentIndex(int index) { m_currentIndex = index; }
    // Stores or loads currentIndex, the count and every model with its type code. A model record
    // of an unknown type ends the load with an archive error.
    void Store(CArchiveOut& ar, std::uint32_t version) const;
    void Load(CArchiveIn& ar, int lengthUnit, std::uint32_t version);
    // Reads one model record; nullptr (and nothing read after the type code) for an unknown type.
    static std::unique_ptr<CSpeakerModel> LoadModelRecord(CArchiveIn& ar, std::uint32_t version);

    // Tells every model the project's length unit.
    void SetLengthUnit(int unit);

private:
    std::vector<std::shared_ptr<CSpeakerModel>> m_models;
    int m_currentIndex = 0;
};
