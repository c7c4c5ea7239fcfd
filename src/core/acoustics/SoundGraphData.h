#pragma once

#include <memory>
#include <string>
#include <vector>

// One curve of the frequency response view.
struct CSoundGraphData {
    std::string name;
    std::vector<double> frequencies;
    std::vector<double> levels;

    int PointCount() const { return static_cast<int>(frequencies.size()); }
    // n points; a missing array gives zeros.
    void SetPoints(int n, const double* frequencyValues, const double* levelValues);
    friend bool operator==(const CSoundGraphData&, const CSoundGraphData&) = default;
};

// The axes and curves of one frequency response view.
class CSoundGraphDataList {
public:
    CSoundGraphDataList();

    void InitAxes(int frequencyAxis, int levelAxis, double frequencyMinimum, double levelMinimum,
                  double frequencyMaximum, double levelMaximum, double frequencyStepValue,
                  double levelStepValue);
    // Curve i takes n points; nothing for an invalid index.
    void SetCurve(int i, int n, const double* frequencyValues, const double* levelValues);
    // Every value of curve i becomes 0; the number of points stays.
    void ClearCurve(int i);

    int CurveCount() const { return static_cast<int>(curves.size()); }
    const CSoundGraphData* Curve(int i) const;

    std::vector<CSoundGraphData> curves;
    int frequencyAxisType = 1; // 0 linear, 1 logarithmic
    int levelAxisType = 0;
    double frequencyStep = 1000.0;
    double levelStep = 10.0;
    double frequencyMax = 20000.0;
    double levelMax = 120.0;
    double frequencyMin = 20.0;
    double levelMin = 50.0;
    int reservedWord = 0;

    friend bool operator==(const CSoundGraphDataList&, const CSoundGraphDataList&) = default;
};

// Settings of one frequency response view: margins, scales and its curve list.
struct CSoundGraphCondition {
    double xScale = 0.0;
    double yScale = 0.0;
    int left = 30, top = 20, right = 20, bottom = 36;
    CSoundGraphDataList data;
    // With room acoustics, the reverberant and the total spectrum at the point of curve 0 (the
    // direct sound); empty otherwise. Not saved: they follow the pointer as curve 0 does.
    std::vector<CSoundGraphData> roomCurves;
    // On a speech map, the octave table of the speech transmission at that point (text lines);
    // empty otherwise. Not saved either.
    std::vector<std::string> speechTable;
};

class CSoundGraphConditionList {
public:
    // Appends an entry: the given values when the list is empty or source is -1, else a copy of
    // entry source (the last one when source lies beyond it).
    void AddGraphCondition(int source, int left, int top, int right, int bottom, double xScale,
                           double yScale, const CSoundGraphDataList& data);
    void RemoveGraphCondition(int i);
    void RemoveAll() { m_entries.clear(); }
    int Count() const { return static_cast<int>(m_entries.size()); }
    CSoundGraphCondition* At(int i);
    const CSoundGraphCondition* At(int i) const;

    int currentIndex = 0;

private:
    std::vector<CSoundGraphCondition> m_entries;
};
