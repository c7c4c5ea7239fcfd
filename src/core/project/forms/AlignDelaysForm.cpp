#include "project/forms/AlignDelaysForm.h"

#include "acoustics/ColorMapCondition.h"
#include "common/Units.h"
#include "project/DAXDoc.h"
#include "project/Strings.h"

#include <algorithm>

CAlignDelaysForm::CAlignDelaysForm(const CDAXDoc& doc, const std::vector<int>& chosen) {
    const int count = doc.Room().Count();
    for (int i = 0; i < count; ++i) {
        const int model = doc.Room().At(i)->modelIndex;
        const std::string name =
            model >= 0 && model < doc.Models().Count() ? doc.Models().At(model).DisplayName() : "";
        m_installations.push_back(std::to_string(i + 1) + "  " + name);
    }
    m_fills.assign(static_cast<std::size_t>(count), 0);
    for (int i : chosen)
        if (i >= 0 && i < count)
            m_fills[static_cast<std::size_t>(i)] = 1;
    std::vector<CChoice<double>> mains;
    for (int i = 0; i < count; ++i)
        mains.push_back({m_installations[static_cast<std::size_t>(i)], static_cast<double>(i)});
    m_main.Assign(mains);
    int main = 0;
    while (main < count && m_fills[static_cast<std::size_t>(main)])
        ++main;
    SelectMain(main < count ? main : 0);

    std::vector<CChoice<double>> points;
    for (const CListeningPoint& p : doc.Settings().listeningPoints) {
        points.push_back({p.name, static_cast<double>(points.size())});
        m_pointPositions.push_back(p.position);
    }
    points.push_back({Strings::kTypedPosition, static_cast<double>(points.size())});
    m_point.Assign(points);

    const std::string unit =
        doc.Settings().lengthUnit == kUnitImperial ? Strings::kUnitFeet : Strings::kUnitMetre;
    auto set = [&](Edit edit, const char* label, const std::string& unitText, double lo, double hi,
                   double value) {
        CNumberField& f = m_fields[edit];
        f.label = label;
        f.unit = unitText;
        f.minimum = lo;
        f.maximum = hi;
        f.SetValue(value);
    };
    // Typed, the point starts at the middle of the first calculation plane.
    CVec3 middle{doc.Room().roomZeroX + doc.Room().roomLength / 2,
                 doc.Room().roomZeroY + doc.Room().roomWidth / 2, 0.0};
    if (const CColorMapCondition* c = doc.Conditions().At(0)) {
        const CListeningPlane& plane = c->plane;
        middle = {plane.originX + plane.extentX / 2, plane.originY + plane.extentY / 2,
                  plane.originZ + plane.extentZ / 2};
    }
    set(kX, "X", unit, -10000, 10000, middle.x);
    set(kY, "Y", unit, -10000, 10000, middle.y);
    set(kZ, "Z", unit, -10000, 10000, middle.z);
    set(kOffset, Strings::kAlignOffset, Strings::kUnitMillisecond, -kMaxAlignOffsetMs,
        kMaxAlignOffsetMs, kDefaultAlignOffsetMs);
    SelectPoint(0);
}

std::string CAlignDelaysForm::Title() const {
    return Strings::kAlignTitle;
}

std::string CAlignDelaysForm::FillsLabel() {
    return Strings::kAlignFills;
}

std::string CAlignDelaysForm::MainLabel() {
    return Strings::kAlignMain;
}

std::string CAlignDelaysForm::PointLabel() {
    return Strings::kAlignPoint;
}

bool CAlignDelaysForm::IsFill(int installation) const {
    return installation >= 0 && installation < static_cast<int>(m_fills.size()) &&
           m_fills[static_cast<std::size_t>(installation)] != 0;
}

void CAlignDelaysForm::SetFill(int installation, bool fill) {
    if (installation < 0 || installation >= static_cast<int>(m_fills.size()))
        return;
    if (fill && installation == m_main.selection)
        return;
    m_fills[static_cast<std::size_t>(installation)] = fill ? 1 : 0;
}

void CAlignDelaysForm::SelectMain(int installation) {
    if (installation < 0 || installation >= m_main.Count())
        return;
    m_main.selection = installation;
    m_fills[static_cast<std::size_t>(installation)] = 0;
}

void CAlignDelaysForm::SelectPoint(int index) {
    if (index < 0 || index >= m_point.Count())
        return;
    m_point.selection = index;
    if (PointTyped())
        return;
    const CVec3& p = m_pointPositions[static_cast<std::size_t>(index)];
    m_fields[kX].SetValue(p.x);
    m_fields[kY].SetValue(p.y);
    m_fields[kZ].SetValue(p.z);
}

bool CAlignDelaysForm::PointTyped() const {
    return m_point.selection == m_point.Count() - 1;
}

bool CAlignDelaysForm::Accept(std::string* message) {
    auto refuse = [&](const char* text) {
        if (message)
            *message = text;
        return false;
    };
    CAlignRequest request;
    for (std::size_t i = 0; i < m_fills.size(); ++i)
        if (m_fills[i])
            request.fills.push_back(static_cast<int>(i));
    if (request.fills.empty())
        return refuse(Strings::kAlignNoFill);
    if (m_main.selection < 0)
        return refuse(Strings::kAlignNoMain);
    request.main = m_main.selection;
    double values[kEditCount];
    for (int e = 0; e < kEditCount; ++e) {
        const std::optional<double> v = m_fields[e].Parse(message);
        if (!v)
            return false;
        values[e] = *v;
    }
    request.point = {values[kX], values[kY], values[kZ]};
    request.offsetMs = values[kOffset] + 0.0;
    m_request = request;
    return true;
}
