// The colour map view's picture geometry and its pointer handling: hover, drag and drops.
#include "acoustics/ColorMapCondition.h"
#include "acoustics/SoundPower.h"
#include "common/MathUtil.h"
#include "project/ColorMapViewModel.h"
#include "project/DAXDoc.h"
#include "project/MapJobs.h"
#include "project/Strings.h"

#include <cmath>

namespace {
// Beyond this many installation-grid cells the walk is refused rather than stalling the pointer.
constexpr long long kMaxGridCells = 4'000'000;
// The speaker symbol is hot while the pointer is less than this many pixels away in x and y.
constexpr int kHotRadius = 4;
} // namespace

int CColorMapViewModel::ContentHeight() const {
    const CColorMapCondition* condition = Condition();
    if (!condition)
        return 0;
    return ::ContentHeight(condition->scrollSize[1], condition->margins[3], FontHeight(),
                           m_doc.Settings().autoLayoutValid == 1);
}

int CColorMapViewModel::FontHeight() const {
    return m_printing ? m_pageHeight * 12 / 1200 : 12;
}

CPixel CColorMapViewModel::PixelOf(const CVec3& world) const {
    double u = 0, w = 0;
    Project(world, u, w);
    CPixel p;
    WorldToPixel(u, w, p.x, p.y);
    return p;
}

CMapProjector CColorMapViewModel::Projector() const {
    CMapProjector p;
    const CColorMapCondition* condition = Condition();
    if (!condition)
        return p;
    const auto a = condition->viewAngles;
    const double c1 = std::cos(DegToRad(a[0])), s1 = std::sin(DegToRad(a[0]));
    const double c2 = std::cos(DegToRad(a[1])), s2 = std::sin(DegToRad(a[1]));
    const double c3 = std::cos(DegToRad(a[2])), s3 = std::sin(DegToRad(a[2]));
    p.xu = c1 * c3, p.yu = s1 * c3, p.zu = -s3;
    p.xw = c1 * s3 * s2 - s1 * c2, p.yw = s1 * s3 * s2 + c1 * c2, p.zw = c3 * s2;
    p.minU = m_minU, p.minW = m_minW, p.scale = condition->scale;
    p.left = condition->margins[0];
    p.bottom = condition->scrollSize[1] - condition->margins[3];
    return p;
}

CQuad CColorMapViewModel::QuadOf(const std::array<CVec3, 4>& c) const {
    return {PixelOf(c[0]), PixelOf(c[3]), PixelOf(c[2]), PixelOf(c[1])};
}

CQuad CColorMapViewModel::CalculationPlaneQuad() const {
    const CColorMapCondition* condition = Condition();
    if (!condition)
        return {};
    const CListeningPlane& plane = condition->plane;
    return QuadOf(RectangleCorners({plane.originX, plane.originY, plane.originZ},
                                   {plane.extentX, plane.extentY, plane.extentZ}));
}

CQuad CColorMapViewModel::InstallationPlaneQuad() const {
    const CInstallationContainer& room = m_doc.Room();
    return QuadOf(RectangleCorners({room.roomZeroX, room.roomZeroY, room.roomHeight},
                                   {room.roomLength, room.roomWidth, 0.0}));
}

std::vector<CPlaneTick> CColorMapViewModel::AxisTicks() const {
    const CColorMapCondition* condition = Condition();
    if (!condition)
        return {};
    const std::vector<CPlaneLabel> labels =
        PlaneDimensionLabels(condition->plane, m_doc.Settings().lengthUnit);
    auto pixels = [&](const CVec3& a, const CVec3& b) {
        const CPixel pa = PixelOf(a), pb = PixelOf(b);
        return std::hypot(static_cast<double>(pb.x - pa.x), static_cast<double>(pb.y - pa.y));
    };
    // Labels 0 and 1 are the first edge's ends, 3 and 4 the second's.
    return PlaneTicks(condition->plane, pixels(labels[0].at, labels[1].at),
                      pixels(labels[3].at, labels[4].at), 5.0 * FontHeight());
}

int CColorMapViewModel::LineY(int line) const {
    const CColorMapCondition* condition = Condition();
    if (!condition)
        return line * FontHeight();
    return line * FontHeight() + condition->scrollSize[1] - condition->margins[3];
}

bool CColorMapViewModel::InsideCalculationPlane(const CPixel& p) const {
    const CColorMapCondition* condition = Condition();
    if (!condition)
        return false;
    return PointInQuad(CalculationPlaneQuad(), p, FacingOf(condition->plane.Orientation()));
}

bool CColorMapViewModel::InsideInstallationPlane(const CPixel& p) const {
    return Condition() && PointInQuad(InstallationPlaneQuad(), p, EFacing::FrontOnly);
}

int CColorMapViewModel::InstallationAt(const CPixel& p) const {
    if (!Condition())
        return -1;
    int index = 0;
    for (const CInstallationElement& installation : m_doc.Room().List()) {
        const CPixel at = PixelOf(installation.position);
        if (std::abs(p.x - at.x) < kHotRadius && std::abs(p.y - at.y) < kHotRadius)
            return index;
        ++index;
    }
    return -1;
}

int CColorMapViewModel::CellAt(const CPixel& p) const {
    const CColorMapCondition* condition = Condition();
    if (!condition)
        return -1;
    const CListeningPlane& plane = condition->plane;
    const EPlaneOrientation orientation = plane.Orientation();
    const EFacing facing = FacingOf(orientation);
    const CMapProjector projector = Projector();
    for (std::size_t i = 0; i < plane.points.size(); ++i)
        if (PointInQuad(projector.Quad(CellCorners(plane.points[i], orientation)), p, facing))
            return static_cast<int>(i);
    return -1;
}

bool CColorMapViewModel::GridCellAt(const CPixel& p, CVec3& centre) const {
    const CInstallationContainer& room = m_doc.Room();
    if (!Condition() || !(room.gridPitchX > 0.0) || !(room.gridPitchY > 0.0) ||
        !(room.roomLength > 0.0) || !(room.roomWidth > 0.0))
        return false;
    const double nxReal = std::ceil(room.roomLength / room.gridPitchX);
    const double nyReal = std::ceil(room.roomWidth / room.gridPitchY);
    if (!(nxReal * nyReal <= static_cast<double>(kMaxGridCells)))
        return false;
    const int nx = static_cast<int>(nxReal), ny = static_cast<int>(nyReal);
    const CMapProjector projector = Projector();
    for (int j = 0; j < ny; ++j) {
        for (int i = 0; i < nx; ++i) {
            const double x = room.roomZeroX + i * room.gridPitchX;
            const double y = room.roomZeroY + j * room.gridPitchY;
            const double ex = std::min(room.gridPitchX, room.roomZeroX + room.roomLength - x);
            const double ey = std::min(room.gridPitchY, room.roomZeroY + room.roomWidth - y);
            if (PointInQuad(
                    projector.Quad(RectangleCorners({x, y, room.roomHeight}, {ex, ey, 0.0})), p,
                    EFacing::FrontOnly)) {
                centre = {(i + 0.5) * room.gridPitchX + room.roomZeroX,
                          (j + 0.5) * room.gridPitchY + room.roomZeroY, room.roomHeight};
                return true;
            }
        }
    }
    return false;
}

EMapCursor CColorMapViewModel::MouseMove(const CPixel& p) {
    return m_doc.Guarded(EMapCursor::Arrow, [&]() -> EMapCursor {
        if (m_dragging) {
            DragTo(p);
            return EMapCursor::Drag;
        }
        m_hot = false;
        const int hot = InstallationAt(p);
        if (hot >= 0) {
            m_hot = true;
            if (hot != m_doc.Room().CurrentIndex()) {
                Repaint();
                m_doc.SetCurrentInstallation(hot, CDAXDoc::EWithModel::Yes);
            }
        }
        if (m_doc.HasInstallations() && InsideCalculationPlane(p)) {
            const int cell = CellAt(p);
            if (cell >= 0) {
                const CPlaceElement& point =
                    Condition()->plane.points[static_cast<std::size_t>(cell)];
                const CVec3 centre{point.x, point.y, point.z};
                double level = 0.0;
                // A quantity beyond the direct sound reads the calculated map (its value at the
                // cell's centre): it rests on what the whole calculation gathered once.
                if (Condition()->quantity != EMapQuantity::Direct) {
                    if (Condition()->plane.HasResult() && !std::isnan(point.level))
                        m_readout = {true, centre, point.level};
                } else if (LevelAt(centre, level)) {
                    m_readout = {true, centre, level};
                }
                // With a calculation host the spectrum, which may take long, runs as a job and
                // comes back through the project.
                if (CCalculationHost* host = m_doc.Ports().calculations) {
                    if (!m_powerCache)
                        m_powerCache = std::make_shared<CSoundPowerCache>();
                    m_doc.MapJobs().StartSpectrum(m_conditionIndex, centre, m_powerCache);
                    host->CalculationStarted();
                } else {
                    PointSpectrum(centre);
                }
            }
        }
        return m_hot ? EMapCursor::Hot : EMapCursor::Arrow;
    });
}

EMapCursor CColorMapViewModel::LeftDown(const CPixel& p) {
    (void)p;
    if (!m_hot)
        return EMapCursor::Arrow;
    m_hot = false;
    m_dragging = true;
    BeginDrag();
    return EMapCursor::Drag;
}

void CColorMapViewModel::LeftUp(const CPixel& p) {
    m_doc.Guarded([&] {
        if (!m_dragging)
            return;
        m_dragging = false;
        // The picture goes back to the document's state before the edit asks its questions.
        m_drag.reset();
        Repaint();
        const bool inside = InsideInstallationPlane(p) || InsideCalculationPlane(p);
        CDAXDoc::CEditStep step(m_doc,
                                inside ? Strings::kStepMoveSpeaker : Strings::kStepRemoveSpeaker);
        if (inside) {
            if (MoveCurrentInstallation(p) != 1)
                return;
        } else {
            if (m_doc.Room().Current())
                m_doc.RemoveInstallations(false);
            // Declining the removal still leaves the project marked changed, as it always has.
            m_doc.SetModified(true);
        }
    });
}

EMapMenu CColorMapViewModel::RightDown(const CPixel& p, EMapCursor& cursor) {
    (void)p;
    if (!m_hot) {
        cursor = EMapCursor::Arrow;
        return EMapMenu::Room;
    }
    m_hot = false;
    cursor = EMapCursor::Pressed;
    return EMapMenu::Speaker;
}

int CColorMapViewModel::DropSpeaker(const CPixel& p) {
    return m_doc.Guarded(2, [&]() -> int {
        CVec3 centre;
        if (!InsideInstallationPlane(p) || !GridCellAt(p, centre))
            return 2;
        return m_doc.InstallSpeaker(centre.x, centre.y).IsDone() ? 1 : 2;
    });
}

int CColorMapViewModel::MoveCurrentInstallation(const CPixel& p) {
    const CInstallationElement* current = m_doc.Room().Current();
    if (!current)
        return 2;
    // A point in neither grid nor plane cell (an edge pixel) moves to the origin, as it always has.
    CVec3 target;
    DropTarget(p, target);
    CInstallationElement values = *current;
    // A speaker dragged across the room keeps its own height (the dialog shows it for changing):
    // the grid lies at the ceiling and a horizontal plane at the listeners. Only a cell of a
    // vertical plane names the height the speaker was dropped at.
    CVec3 onGrid;
    const CColorMapCondition* condition = Condition();
    const bool verticalCell =
        !GridCellAt(p, onGrid) && condition && !condition->plane.IsParallelToXY() && CellAt(p) >= 0;
    if (!verticalCell)
        target.z = current->position.z;
    values.position = target;
    CDAXDoc::CEditStep step(m_doc, Strings::kStepMoveSpeaker);
    return m_doc.EditInstallation(values).IsDone() ? 1 : 2;
}

bool CColorMapViewModel::DropTarget(const CPixel& p, CVec3& target) const {
    if (GridCellAt(p, target))
        return true;
    const int cell = CellAt(p);
    if (cell < 0)
        return false;
    const CPlaceElement& point = Condition()->plane.points[static_cast<std::size_t>(cell)];
    target = {point.x, point.y, point.z};
    return true;
}

CTablePaging CColorMapViewModel::BeginPrinting(int pageWidth, int pageHeight,
                                               const CTextWidth& width) {
    CColorMapCondition* condition = EditCondition();
    SetPrinting(true, pageWidth, pageHeight);
    if (!condition)
        return {};
    m_savedMargins = condition->margins;
    m_savedScale = condition->scale;
    // The picture takes the page's width between the legend's column and a small right margin;
    // below it the annotation lines, the title and the table keep their third of the page.
    condition->margins = PrintMargins(pageWidth, pageHeight);
    ProjectView(true);
    // The table starts at a tenth of the page width and may reach the printable area's edge.
    m_tableHeader =
        FitTableHeader(TableHeader(m_doc), pageWidth - pageWidth * 10 / 100, FontHeight(), width);
    return TablePaging(m_doc.Room().Count(), FontHeight(), pageHeight, LineY(32),
                       m_tableHeader.lineCount);
}

void CColorMapViewModel::BeginFigure(int width, int height, const std::array<int, 4>& margins) {
    CColorMapCondition* condition = EditCondition();
    if (!condition || m_figure)
        return;
    m_figure = true;
    m_savedMargins = condition->margins;
    m_savedScale = condition->scale;
    m_savedScroll = condition->scrollSize;
    m_savedClient = {m_clientWidth, m_clientHeight};
    condition->margins = margins;
    SetClientSize(width, height);
    ProjectView(true);
}

void CColorMapViewModel::EndFigure() {
    CColorMapCondition* condition = EditCondition();
    if (!condition || !m_figure)
        return;
    m_figure = false;
    condition->margins = m_savedMargins;
    condition->scale = m_savedScale;
    m_clientWidth = m_savedClient[0];
    m_clientHeight = m_savedClient[1];
    ProjectView(false);
    // The window that shows this condition keeps the scroll size its own pane gave it.
    condition->scrollSize = m_savedScroll;
}

void CColorMapViewModel::EndPrinting() {
    SetPrinting(false);
    if (CColorMapCondition* condition = EditCondition()) {
        condition->margins = m_savedMargins;
        condition->scale = m_savedScale;
        ProjectView(false);
    }
}
