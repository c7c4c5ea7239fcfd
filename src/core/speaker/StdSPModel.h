#pragma once

#include "speaker/SpeakerModel.h"

// The standard single-box speaker: one element at the reference point. Kind 1 is the ceiling
// speaker, aimed down by default and usable by the automatic layout.
class CStdSPModel : public CSpeakerModel {
public:
    explicit CStdSPModel(int kind) { m_header.kind = kind; }
    // Counts (1, 0, 0) with one module entry and one balloon, for a model built from other data
    // than speaker data text.
    void MakeSingleElement() { SetSingleElement(); }

    // Nothing of the counts or modules is stored: both follow from the single element.
    void StoreCounts(CArchiveOut&) const override {}
    void LoadCounts(CArchiveIn& ar) override;
    void StoreModules(CArchiveOut&) const override {}
    void LoadModules(CArchiveIn& ar) override;
    void ParseCounts(CLineReader& reader) override;
    void ParseModules(CLineReader& reader) override;
    void ComputeAim() override;
    void BuildElements() override;
    bool CanAutoInstall() const override { return m_header.kind == kKindCeiling; }
    bool CanArrangeModules() const override { return false; }
    bool IsKindZero() const override { return m_header.kind == kKindStandard; }
    double DefaultElevation() const override { return m_header.kind == kKindCeiling ? 90.0 : 0.0; }

private:
    void SetSingleElement();
};
