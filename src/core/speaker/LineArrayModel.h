#pragma once

#include "speaker/ModuleArrangementPort.h"
#include "speaker/SpeakerModel.h"

#include <string>

class CCalcAimAngleZX;

// What the line-array families share: reading and storing their counts and module table, the
// capability answers, and the stacking of elements into a column.
class CLineArrayModel : public CSpeakerModel {
public:
    // The base import, refused when a module type's balloon got no directivity data at all: an
    // array whose file lacks a balloon would otherwise radiate silence from some elements.
    void LoadFromText(CLineReader& reader, CProgressDialog1* progress) override;
    // Reads the three count lines; counts the family cannot hold are refused with the reason.
    void ParseCounts(CLineReader& reader) override;
    // Reads every module-table entry: name, pitch, offset, splay, weight. Missing lines leave
    // values unchanged.
    void ParseModules(CLineReader& reader) override;
    // Three WORD counts; on loading, counts the family cannot hold raise CArchiveException.
    void StoreCounts(CArchiveOut& ar) const override;
    void LoadCounts(CArchiveIn& ar) override;
    // The module table: per entry its name and the vector (offset, pitch, splay).
    void StoreModules(CArchiveOut& ar) const override;
    void LoadModules(CArchiveIn& ar) override;
    bool CanAutoInstall() const override { return false; }
    bool CanArrangeModules() const override { return true; }
    bool IsKindZero() const override { return false; }

    CModuleCounts Counts() const { return {m_settings.centre, m_settings.upper, m_settings.lower}; }

protected:
    // The counts the family keeps when speaker data gives (c0, c1, c2).
    virtual CModuleCounts CountsFromText(const CModuleCounts& read) const = 0;
    // Empty when the family can hold these counts, otherwise the reason it cannot.
    virtual std::string CheckCounts(const CModuleCounts& counts) const = 0;
    // Sizes of the module table and the balloon list for the given counts.
    virtual int ModuleTableSize(const CModuleCounts& counts) const = 0;
    virtual int BalloonCount() const = 0;
    // The family's name in messages ("KV-P10").
    virtual const char* FamilyName() const = 0;

    // Sets the counts and sizes the module table and balloons for them.
    void AdoptCounts(const CModuleCounts& counts);
    // Throws CInvalidArgument unless the family can hold the counts.
    void RequireValidCounts(const CModuleCounts& counts) const;
    // Throws CInvalidArgument unless there are at least `count` element states.
    void RequireStates(int count) const;
    // Aims and places one element: its splay turns the calculator, then it takes one step.
    static void Place(CCalcAimAngleZX& calculator, CSPVariableParam& state);
    // Stacks elements 0 .. count-1 downward from the reference point.
    void StackLower(int count);
    // What a vector dialog starts from: the counts and every element's module vector.
    CVectorArrangement VectorArrangement(int lengthUnit) const;
    // " (x n)" for a column of n boxes of perBox modules, n from 2 to 4; empty otherwise.
    static std::string BoxSuffix(int total, int perBox);
    // Every element takes the share 1/total of the installation's power.
    void SetEqualWeights();
    // Builds `count` elements on balloon 0 after checking that they can be built.
    void BuildOnFirstBalloon(int count);
};
