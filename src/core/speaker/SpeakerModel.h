#pragma once

#include "common/Errors.h"
#include "common/Vec3.h"
#include "speaker/AxisElement.h"
#include "speaker/BalloonElement.h"
#include "speaker/ModelSettings.h"
#include "speaker/SPVariableParam.h"
#include "speaker/SpeakerDataHeader.h"
#include "speaker/SpeakerElement.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

class CArchiveIn;
class CArchiveOut;
class CLineReader;
class CProgressDialog1;
class CModuleArrangementPort;

// Speaker data text that cannot be read: a missing line, a value out of range or data the model
// cannot hold. The message says what and, where it helps, on which line; readers throw it and
// the entry that started the reading turns it into its answer.
class CSpeakerTextError : public CBadData {
public:
    explicit CSpeakerTextError(const std::string& what) : CBadData(what) {}
};

// Model type codes as stored in speaker data and projects.
enum EModelKind : int {
    kKindStandard = 0,
    kKindCeiling = 1,
    kKindTypeN = 2,
    kKindTypeW = 3,
    kKindTypeK = 4,
    kKindQL9 = 5,
    kKindTypeP = 6,
    kKindTypeR = 7,
};

// Speaker data whose balloons together would exceed this many complex values (1 GiB) is refused.
inline constexpr std::size_t kMaxModelBalloonValues = std::size_t(1) << 26;
// The bound in force: kMaxModelBalloonValues, unless a fuzzer lowers it to try more inputs a
// second.
std::size_t MaxModelBalloonValues();
void SetMaxModelBalloonValues(std::size_t limit);
// More elements than this make no physical sense for one installed speaker.
inline constexpr int kMaxModelElements = 4096;

// The acoustic description of one loudspeaker product. The derived families differ only in how
// they read their module layout and build their elements.
class CSpeakerModel {
public:
    CSpeakerModel() = default;
    CSpeakerModel(const CSpeakerModel&) = delete; // elements point to their model
    CSpeakerModel& operator=(const CSpeakerModel&) = delete;
    virtual ~CSpeakerModel() = default;

    // The family's parts of the project record: its counts first, its modules after the
    // element states. Storing only reads the model.
    virtual void StoreCounts(CArchiveOut& ar) const = 0;
    virtual void LoadCounts(CArchiveIn& ar) = 0;
    virtual void StoreModules(CArchiveOut& ar) const = 0;
    virtual void LoadModules(CArchiveIn& ar) = 0;
    // Reads the speaker data text after its model type line. Throws CSpeakerTextError when a
    // required line is missing or the data cannot be held.
    virtual void LoadFromText(CLineReader& reader, CProgressDialog1* progress);
    virtual void ParseCounts(CLineReader& reader) = 0;
    virtual void ParseModules(CLineReader& reader) = 0;
    virtual void ComputeAim() = 0;
    virtual void BuildElements() = 0;
    virtual bool CanAutoInstall() const = 0;
    virtual bool CanArrangeModules() const = 0;
    virtual bool IsKindZero() const = 0;
    // Copies module entry i into element state i: whole with flag 1, the module vector otherwise.
    virtual void ApplyModules(int flag);
    virtual double DefaultElevation() const { return 0.0; }
    // Runs the family's arrangement dialog through the port. Returns old total / new total, or 0
    // when cancelled or when the family has no dialog.
    virtual double ArrangeModules(int lengthUnit, CModuleArrangementPort* port) {
        (void)lengthUnit;
        (void)port;
        return 0.0;
    }
    virtual std::string NameSuffix() const { return {}; }
    // The units whose taps the speaker data lists and over which an installation's power is
    // spread: one for a single speaker, the arranged boxes or cabinets of a line array. Each may
    // carry at most its tap's power.
    virtual int BoxCount() const { return 1; }
    // Sizes the element states to the element total, each with the weight 1/total.
    virtual void ResetWeights();
    // The model's record of the project file (after its type code).
    void Store(CArchiveOut& ar, std::uint32_t version) const;
    void Load(CArchiveIn& ar, std::uint32_t version);

    // The complex pressure of all elements at a receiver, added to the accumulator. Returns 0,
    // or 1 when the frequency is 0 or not one of the model's frequencies. Defined with the point
    // response (acoustics/PointResponse.cpp); not virtual, so the speaker layer never calls it.
    // A signal delay (ms) turns every element's phase, the ceiling image's too, as the longer
    // path it stands for would, without that path's loss. With an air attenuation (nepers per
    // metre of pressure at this frequency), every path loses it over its geometric length.
    int Evaluate(CSPComplex& accumulator, const CVec3& receiver, const CVec3& position,
                 const COrientation& orientation, double frequency, double ceilingHeight,
                 bool reversePolarity, double power, bool ceilingReflection, int lengthUnit,
                 double delayMs = 0.0, double airNepersPerMetre = 0.0) const;

    CSpeakerDataHeader& Header() { return m_header; }
    const CSpeakerDataHeader& Header() const { return m_header; }
    CModelSettings& Settings() { return m_settings; }
    const CModelSettings& Settings() const { return m_settings; }
    CAxisElementArray& Modules() { return m_modules; }
    const CAxisElementArray& Modules() const { return m_modules; }
    CBalloonElementArray& Balloons() { return m_balloons; }
    const CBalloonElementArray& Balloons() const { return m_balloons; }
    CSPVariableParamArray& States() { return m_states; }
    const CSPVariableParamArray& States() const { return m_states; }
    const CSpeakerElementArray& Elements() const { return m_elements; }

    int Kind() const { return m_header.kind; }
    const std::string& Name() const { return m_header.name; }
    std::string DisplayName() const { return m_header.name + NameSuffix(); }
    int ElementTotal() const { return m_settings.Total(); }
    const CTapElement& Tap(int row) const { return m_settings.Tap(row); }
    int DefaultTap() const { return m_settings.defaultTap; }
    void SetDefaultTap(int row) { m_settings.defaultTap = row; }
    void SetLengthUnit(int unit) { m_settings.lengthUnit = unit; }

    const CBalloonElement& Balloon(int index) const;
    const CAxisElement& Module(int index) const;
    const CSPVariableParam& State(int index) const;
    const CSpeakerElement& Element(int index) const;

protected:
    [[noreturn]] static void Fail(const std::string& reason);
    // Links element i to state i and the given balloon.
    void AddElement(int stateIndex, int balloonIndex);
    void SetCounts(int centre, int upper, int lower) {
        m_settings.centre = centre;
        m_settings.upper = upper;
        m_settings.lower = lower;
    }

    CSpeakerDataHeader m_header;
    CModelSettings m_settings;
    CAxisElementArray m_modules;
    CBalloonElementArray m_balloons;
    CSPVariableParamArray m_states;
    CSpeakerElementArray m_elements;

private:
    // Both directions of the record in one field order; Model is const when storing.
    template <class Archive, class Model>
    static void Transfer(Archive& ar, Model& model, std::uint32_t version);

    void ReadHeaderLines(CLineReader& reader);
    void ReadTapLines(CLineReader& reader);
    void ReadThetaLine(CLineReader& reader);
};

inline const CSpeakerDataHeader& CSpeakerElement::Header() const {
    return m_model->Header();
}
inline const CBalloonElement& CSpeakerElement::Balloon() const {
    return m_model->Balloon(m_balloon);
}
inline const CSPVariableParam& CSpeakerElement::State() const {
    return m_model->State(m_state);
}
inline CVec3 CSpeakerElement::Position() const {
    const CVec3& p = State().position;
    if (m_model->Settings().lengthUnit == kUnitImperial)
        return {p.x * kMetresToFeet, p.y * kMetresToFeet, p.z * kMetresToFeet};
    return p;
}
