#pragma once

#include "app/ProjectPanes.h"
#include "app/ProjectPorts.h"

#include <QList>
#include <QWidget>

#include <array>
#include <memory>

class CCalculationMonitor;
class CDAXDoc;
class QSplitter;

// One project window: the project, its ports and its five panes in three nested splitters. The
// speaker list, tap list and frequency response are stacked on the left, the colour map fills
// the large right pane and the installation list runs along the bottom.
class CDAXChildFrame : public QWidget {
    Q_OBJECT
public:
    // Takes over the project; the panes register with it as its views.
    CDAXChildFrame(std::unique_ptr<CDAXDoc> document, CSettingsPort* settings,
                   QWidget* parent = nullptr);
    ~CDAXChildFrame() override;

    CDAXDoc& Document() { return *m_doc; }
    const CDAXDoc& Document() const { return *m_doc; }
    QWidget* Pane(EPane pane) const { return m_panes[static_cast<int>(pane)]; }
    // Runs the project's calculations in the background and shows their progress.
    CCalculationMonitor& Calculations() const { return *m_calculations; }
    // outer (2 rows), middle (2 columns), inner (3 rows)
    std::array<QSplitter*, 3> Splitters() const { return {m_outer, m_middle, m_inner}; }

    // The first update of the panes: a new project's map creates its calculation plane and
    // asks for the room here.
    void InitialUpdate();

    // The file name, or "Untitled".
    QString DocumentTitle() const;
    // Brings the window title and modified mark up to date with the project.
    void RefreshTitle();

    // Save and Save As; false when cancelled or failed (the modified mark then stays).
    bool Save();
    bool SaveAs();
    // Before closing: asks to save a modified project; false when the window must stay.
    bool SaveModified();
    // Exit asks every project before it closes any: the answer given here stands for the next
    // close, which then asks nothing. ForgetCloseAnswer takes it back when the exit stopped.
    bool AskBeforeExit();
    void ForgetCloseAnswer() { m_answered = false; }
    // Moves the focus to the next (or previous) pane.
    void FocusPane(int step);

signals:
    // The project was written to this file.
    void saved(const QString& path);
    // A pane asks for a menu command (from its context menu).
    void commandRequested(int id);
    // A pane has a text for the status bar (empty: the idle text).
    void statusMessage(const QString& text);
    // The project changed in a way the commands, the Edit menu or the title may show.
    void stateChanged();

protected:
    void closeEvent(QCloseEvent* event) override;
    // The splitters' positions are kept for the next project window.
    void SaveSplitters() const;
    QString SplitterKey(const QSplitter* splitter) const;
    void showEvent(QShowEvent* event) override;

private:
    std::unique_ptr<CDAXDoc> m_doc;
    CProjectPorts m_ports;
    // Goes before the project: no poll reaches a project that is gone.
    std::unique_ptr<CCalculationMonitor> m_calculations;
    QSplitter* m_outer;
    QSplitter* m_middle;
    QSplitter* m_inner;
    std::array<QWidget*, kPaneCount> m_panes{};
    bool m_sized = false;
    bool m_closed = false;
    bool m_answered = false;
};

// Gives each splitter pane but one its ideal size (as far as the others keep their minimum);
// pane `stretch` (-1: the last) takes the rest and any later change of the splitter's size.
void ApplyIdealSizes(QSplitter* splitter, const QList<int>& ideals, int minimum = 10,
                     int stretch = -1);
