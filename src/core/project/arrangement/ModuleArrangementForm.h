#pragma once

#include "project/arrangement/ArrangementPreview.h"
#include "project/arrangement/ComboState.h"
#include "speaker/ModuleArrangementPort.h"

#include <string>
#include <vector>

// What every module arrangement dialog holds: the working counts, one module vector per element
// and the preview's wedge angle (degrees) and depth (metres) per element. The family forms add
// their controls and rules. A dialog binds widgets to its form, forwards each user action to it
// and draws Preview(); the form keeps counts, lists and preview consistent after every action,
// so OK may be pressed at any time.
class CModuleArrangementForm {
public:
    virtual ~CModuleArrangementForm() = default;

    const CModuleCounts& Counts() const { return m_counts; }
    // The unit flag of the project (1 = imperial); the drawing does not depend on it.
    int LengthUnit() const { return m_lengthUnit; }
    const CAxisEntityArray& Vectors() const { return m_vectors; }
    const std::vector<double>& Wedges() const { return m_wedges; }
    const std::vector<double>& Depths() const { return m_depths; }
    // What the dialog should tell the user about data it could not use fully; empty when none.
    const std::string& Notice() const { return m_notice; }

    // The element outlines in metres, element order.
    std::vector<CPreviewCorners> Corners() const;
    // The edges this family draws, in metres.
    std::vector<CPreviewSegment> Outline() const;
    // The preview for a client area of width x height pixels.
    CPreviewPicture Preview(int width, int height) const;

    // The picture the dialog shows: Preview's, widened to the plane below a known site.
    CPreviewPicture SitePreview(int width, int height) const;
    // Where the array hangs (its drop to the calculation plane and its tilt), for the aiming
    // lines; unknown by default.
    void SetSite(const CArraySite& site) { m_site = site; }
    const CArraySite& Site() const { return m_site; }
    // What the picture shows besides the column, laid out on SitePreview(width, height)'s fit: each
    // element's aiming line, the plane, a scale bar and the array's total angle.
    CPreviewAnnotations Annotations(int width, int height) const;

    // Called when OK is pressed, before the caller reads the result.
    virtual void OnOK() {}

protected:
    CModuleArrangementForm(const CModuleCounts& counts, int lengthUnit)
        : m_counts(counts), m_lengthUnit(lengthUnit) {}
    virtual std::vector<CPreviewSegment>
    OutlineOf(const std::vector<CPreviewCorners>& corners) const = 0;
    // Throws CInvalidArgument unless 0 <= index < count; names the control.
    static void CheckChoice(int index, std::size_t count, const char* what);
    // Throws CInvalidArgument when the user could not reach the control.
    static void CheckEnabled(const CComboState& combo, const char* what);

    CModuleCounts m_counts;
    int m_lengthUnit = 0;
    CAxisEntityArray m_vectors;
    std::vector<double> m_wedges;
    std::vector<double> m_depths;
    std::string m_notice;
    CArraySite m_site;
};
