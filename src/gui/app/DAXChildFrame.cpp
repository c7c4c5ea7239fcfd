#include "app/DAXChildFrame.h"

#include "app/DAXApp.h"
#include "app/CalculationMonitor.h"
#include "app/Guard.h"
#include "app/QtMessagePort.h"
#include "paint/GuiText.h"
#include "project/DAXDoc.h"
#include "project/Strings.h"
#include "views/ColorMapView.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QMessageBox>
#include <QSettings>
#include <QSplitter>
#include <QVBoxLayout>

namespace {

constexpr int kMinimumPane = 10;

QSplitter* MakeSplitter(Qt::Orientation orientation, QWidget* parent) {
    auto* splitter = new QSplitter(orientation, parent);
    splitter->setChildrenCollapsible(false);
    splitter->setOpaqueResize(true);
    return splitter;
}

} // namespace

void ApplyIdealSizes(QSplitter* splitter, const QList<int>& ideals, int minimum, int stretch) {
    const int count = int(ideals.size());
    if (stretch < 0 || stretch >= count)
        stretch = count - 1;
    const bool vertical = splitter->orientation() == Qt::Vertical;
    const int total =
        (vertical ? splitter->height() : splitter->width()) - splitter->handleWidth() * (count - 1);
    QList<int> sizes(count, minimum);
    int used = 0;
    int fixed = 0; // panes given their ideal so far, the stretching one not counted
    for (int i = 0; i < count; ++i) {
        if (i == stretch)
            continue;
        const int room = total - used - minimum * (count - 1 - fixed);
        sizes[i] = std::max(minimum, std::min(ideals[i], room));
        used += sizes[i];
        ++fixed;
    }
    sizes[stretch] = std::max(minimum, total - used);
    for (int i = 0; i < count; ++i)
        splitter->setStretchFactor(i, i == stretch ? 1 : 0);
    splitter->setSizes(sizes);
}

CDAXChildFrame::CDAXChildFrame(std::unique_ptr<CDAXDoc> document, CSettingsPort* settings,
                               QWidget* parent)
    : QWidget(parent), m_doc(std::move(document)), m_ports(this, settings),
      m_calculations(std::make_unique<CCalculationMonitor>(*m_doc, this)) {
    CDocumentPorts ports = m_ports.Ports();
    ports.calculations = m_calculations.get();
    m_doc->SetPorts(ports);
    m_doc->SetStateListener([this] { emit stateChanged(); });
    connect(m_calculations.get(), &CCalculationMonitor::statusMessage, this,
            &CDAXChildFrame::statusMessage);
    m_outer = MakeSplitter(Qt::Vertical, this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_outer);
    m_middle = MakeSplitter(Qt::Horizontal, m_outer);
    m_inner = MakeSplitter(Qt::Vertical, m_middle);
    const auto add = [this](EPane pane, QSplitter* splitter) {
        QWidget* widget = CreatePane(pane, *m_doc, splitter);
        widget->setMinimumSize(kMinimumPane, kMinimumPane);
        splitter->addWidget(widget);
        m_panes[static_cast<int>(pane)] = widget;
    };
    add(EPane::SpeakerList, m_inner);
    add(EPane::TapList, m_inner);
    add(EPane::SoundGraph, m_inner);
    m_middle->addWidget(m_inner);
    add(EPane::ColorMap, m_middle);
    m_outer->addWidget(m_middle);
    add(EPane::Installations, m_outer);
    if (auto* map = qobject_cast<CColorMapView*>(Pane(EPane::ColorMap))) {
        connect(map, &CColorMapView::commandRequested, this, &CDAXChildFrame::commandRequested);
        connect(map, &CColorMapView::statusMessage, this, &CDAXChildFrame::statusMessage);
    }
    // Sizes before the first layout; the real ones follow once the window has its size.
    m_outer->setSizes({400, 100});
    m_middle->setSizes({200, 600});
    m_inner->setSizes({100, 100, 200});

    setFocusProxy(Pane(EPane::SpeakerList));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(785, 500);
    RefreshTitle();
}

CDAXChildFrame::~CDAXChildFrame() {
    m_doc->SetStateListener({});
    // The panes are views of the project: they go before it does.
    delete m_outer;
}

void CDAXChildFrame::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_sized)
        return;
    m_sized = true;
    layout()->activate();
    // Each splitter places its panes at once, so the inner ones already have their sizes. The
    // map's pane takes what the lists leave: the list along the bottom and the column on the
    // left keep their ideal sizes however large the window is.
    ApplyIdealSizes(m_outer, {400, 150}, kMinimumPane, 0);
    ApplyIdealSizes(m_middle, {260, 600}, kMinimumPane, 1);
    ApplyIdealSizes(m_inner, {100, 100, 200}, kMinimumPane, 2);
    // Where the user last put the splitters, for every project window alike.
    const QSettings store(kMakerName, kStoreName);
    for (QSplitter* splitter : Splitters()) {
        const QByteArray state = store.value(SplitterKey(splitter)).toByteArray();
        if (!state.isEmpty())
            splitter->restoreState(state);
    }
}

QString CDAXChildFrame::SplitterKey(const QSplitter* splitter) const {
    return QStringLiteral("ProjectWindow/") +
           (splitter == m_outer ? "outer" : splitter == m_middle ? "middle" : "inner");
}

void CDAXChildFrame::SaveSplitters() const {
    if (!m_sized)
        return;
    QSettings store(kMakerName, kStoreName);
    for (QSplitter* splitter : Splitters())
        store.setValue(SplitterKey(splitter), splitter->saveState());
}

void CDAXChildFrame::InitialUpdate() {
    // The lists and the response view set themselves up when made; the map waits for this.
    if (auto* map = qobject_cast<CColorMapView*>(Pane(EPane::ColorMap)))
        map->InitialUpdate();
    RefreshTitle();
}

QString CDAXChildFrame::DocumentTitle() const {
    if (m_doc->PathName().empty())
        return "Untitled";
    return QFileInfo(FromCorePath(m_doc->PathName())).fileName();
}

void CDAXChildFrame::RefreshTitle() {
    setWindowTitle(DocumentTitle() + "[*]");
    setWindowModified(m_doc->IsModified());
}

bool CDAXChildFrame::Save() {
    bool ok = false;
    RunGuarded(this, [&] { ok = m_doc->SaveProject(); });
    RefreshTitle();
    if (ok)
        emit saved(FromCorePath(m_doc->PathName()));
    return ok;
}

bool CDAXChildFrame::SaveAs() {
    bool ok = false;
    RunGuarded(this, [&] {
        const std::string suggestion =
            m_doc->PathName().empty() ? m_doc->Settings().projectName : m_doc->PathName();
        CFilePort* files = m_doc->Ports().files;
        const std::optional<std::string> path =
            files ? files->ChooseProjectName(suggestion) : std::nullopt;
        if (path)
            ok = m_doc->DoSave(*path);
    });
    RefreshTitle();
    if (ok)
        emit saved(FromCorePath(m_doc->PathName()));
    return ok;
}

bool CDAXChildFrame::SaveModified() {
    if (!m_doc->IsModified())
        return true;
    QMessageBox box(QMessageBox::Warning, kAppMessageTitle,
                    QString::fromUtf8(Strings::kSaveChanges).arg(DocumentTitle()),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, this);
    box.setDefaultButton(QMessageBox::Yes);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Save();
    case QMessageBox::No:
        return true;
    default:
        return false;
    }
}

bool CDAXChildFrame::AskBeforeExit() {
    m_answered = SaveModified();
    return m_answered;
}

void CDAXChildFrame::closeEvent(QCloseEvent* event) {
    if (!m_closed && !m_answered && !SaveModified()) {
        event->ignore();
        return;
    }
    if (!m_closed) {
        SaveSplitters();
        RunGuarded(this, [this] { m_doc->OnCloseDocument(); });
    }
    m_closed = true;
    event->accept();
}

void CDAXChildFrame::FocusPane(int step) {
    int current = 0;
    for (int i = 0; i < kPaneCount; ++i)
        if (m_panes[i]->isAncestorOf(focusWidget()) || m_panes[i] == focusWidget())
            current = i;
    QWidget* next = m_panes[(current + step + kPaneCount) % kPaneCount];
    next->setFocus(Qt::OtherFocusReason);
}
