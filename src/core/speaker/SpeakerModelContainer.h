#pragma once

#include "speaker/SpeakerModel.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CArchive;
class CLineReader;
class CProgressDialog1;

// The project's speaker models and the current one. Installations refer to models by index.
class CSpeakerModelContainer {
public:
    // The model class of a type code, or nullptr for an unknown code.
    static std::unique_ptr<CSpeakerModel> CreateModel(int kind);

    // Reads the model type line and the rest of one model from speaker data text and appends the
    // model. On failure nothing is added and *reason (when given) says why. currentIndex stays.
    bool ImportModel(CLineReader& reader, int lengthUnit, CProgressDialog1* progress,
                     std::string* reason = nullptr);
    void RemoveModel(int index);
    void RemoveAll();
    void Append(std::unique_ptr<CSpeakerModel> model);
    // Takes a model out of the list without deleting it; currentIndex is left to the caller.
    std::unique_ptr<CSpeakerModel> Release(int index);

    CSpeakerModel* CurrentModel() const;
    CSpeakerModel& At(int index) const;
    int Count() const { return static_cast<int>(m_models.size()); }
    int CurrentIndex() const { return m_currentIndex; }
    void SetCurrentIndex(int index) { m_currentIndex = index; }
    // Stores or loads currentIndex, the count and every model with its type code. A model record
    // of an unknown type ends the load with an archive error.
    void Serialize(CArchive& ar, int lengthUnit, std::uint32_t version);
    // Reads one model record; nullptr (and nothing read after the type code) for an unknown type.
    static std::unique_ptr<CSpeakerModel> LoadModelRecord(CArchive& ar, std::uint32_t version);

    // Tells every model the project's length unit.
    void SetLengthUnit(int unit);

private:
    std::vector<std::unique_ptr<CSpeakerModel>> m_models;
    int m_currentIndex = 0;
};
