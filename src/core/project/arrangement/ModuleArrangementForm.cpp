#include "project/arrangement/ModuleArrangementForm.h"

#include "common/Errors.h"

std::vector<CPreviewCorners> CModuleArrangementForm::Corners() const {
    return LayOutPreview(m_counts, m_vectors, m_wedges, m_depths);
}

std::vector<CPreviewSegment> CModuleArrangementForm::Outline() const {
    return OutlineOf(Corners());
}

CPreviewPicture CModuleArrangementForm::Preview(int width, int height) const {
    const std::vector<CPreviewCorners> corners = Corners();
    return PaintPreview(m_counts, corners, OutlineOf(corners), width, height);
}

CPreviewPicture CModuleArrangementForm::SitePreview(int width, int height) const {
    const std::vector<CPreviewCorners> corners = Corners();
    return PaintPreview(SiteFit(FitPreview(m_counts, corners, width, height), corners, m_site),
                        OutlineOf(corners));
}

CPreviewAnnotations CModuleArrangementForm::Annotations(int width, int height) const {
    const std::vector<CPreviewCorners> corners = Corners();
    return AnnotatePreview(
        corners, SiteFit(FitPreview(m_counts, corners, width, height), corners, m_site), m_site);
}

void CModuleArrangementForm::CheckChoice(int index, std::size_t count, const char* what) {
    CheckIndex(index, count, what);
}

void CModuleArrangementForm::CheckEnabled(const CComboState& combo, const char* what) {
    if (!combo.enabled || !combo.visible)
        throw CInvalidArgument(std::string(what) + " cannot be changed now: it is " +
                               (combo.visible ? "disabled" : "hidden"));
}
