#include "ByteWriter.h"
#include "FakePorts.h"
#include "GuiTestSupport.h"
#include "ModalDriver.h"
#include "acoustics/ColorMapCondition.h"
#include "app/DAXApp.h"
#include "app/DAXChildFrame.h"
#include "app/DAXMainFrame.h"
#include "app/QtMessagePort.h"
#include "paint/GuiText.h"
#include "project/ColorMapViewModel.h"
#include "project/DAXDoc.h"
#include "project/MenuLayout.h"
#include "project/ProjectFile.h"
#include "project/Strings.h"
#include "views/ColorMapView.h"
#include "views/InstallationContainerView.h"
#include "views/SoundGraphView.h"
#include "views/StdSPDataListView.h"
#include "views/TapListView.h"
#include "app/CalculationMonitor.h"
#include "acoustics/ColorMapCondition.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <functional>
#include <memory>

namespace {

QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteBytes(const QString& path, const std::vector<std::uint8_t>& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
}

// A project with one generated speaker installed once, as its file.
std::vector<std::uint8_t> ProjectBytes(const std::string& name) {
    CDocFixture f;
    EditSettings(f.doc)->projectName = name;
    f.AddModel(DirectionalSpeaker(1));
    f.Install(2, 3);
    return ProjectFile::Write(f.doc);
}

// A project seen from above: a 10 x 10 m plane at 1.2 m drawn at 30 pixels a metre, one ceiling
// speaker at (2, 3) and its map calculated, as its file.
std::vector<std::uint8_t> PlanProjectBytes() {
    CDocFixture f;
    f.AddModel(DirectionalSpeaker(1));
    EditSettings(f.doc)->loadedFromFile = 1;
    CColorMapCondition c;
    c.plane.Build(0, 0, 1.2, 10, 10, 0, 0.5, 100, 2);
    c.viewAngles = {0, 0, 0};
    c.scale = 0.03;
    Build(f.doc).Conditions().Append(c);
    CColorMapViewModel view(f.doc);
    view.OnInitialUpdate();
    view.ResetSpeakerDependentDisplay();
    f.Install(2, 3);
    view.CalculateMap();
    return ProjectFile::Write(f.doc);
}

// A project whose map takes seconds: 32 speakers over a plane of a million points, 1 octave at
// 1 kHz on speaker data of 12 points per octave; its map is not calculated yet.
std::vector<std::uint8_t> LargeProjectBytes() {
    CDocFixture f;
    EditSettings(f.doc)->projectName = "Large";
    f.AddModel(DirectionalSpeaker(1, 12));
    for (int i = 0; i < 32; ++i)
        Build(f.doc).Room().AddInstallation(0, 0, {1.0 + (i % 8) * 2.5, 2.0 + (i / 8) * 4.0, 3.0},
                                   {0, 0, 90}, 1.0, true);
    CColorMapCondition c;
    c.band = 1;
    c.centreFrequency = 1000;
    c.plane.Build(0, 0, 1.2, 20, 20, 0, 0.02, 100, 2);
    Build(f.doc).Conditions().Append(c);
    return ProjectFile::Write(f.doc);
}

// The same project in the legacy container that .dax files use.
std::vector<std::uint8_t> LegacyBytes(const std::string& name) {
    const std::vector<std::uint8_t> current = ProjectBytes(name);
    CByteWriter w;
    w.String("Version 2.0.0");
    w.Raw(current.data() + 13, current.size() - 13);
    return w.bytes;
}

QStringList MenuTitles(QMenuBar* bar) {
    QStringList titles;
    for (QAction* action : bar->actions())
        titles << action->text();
    return titles;
}

// The program with its settings file saying the first start is over.
struct CProgram {
    // Any message box that a test does not answer is refused and counted, so nothing hangs.
    CModalDriver driver;
    CGuiTestDir dir;
    std::unique_ptr<CDAXApp> app;

    CProgram() {
        QFile ini(dir.FilePath("VEL_DAX.ini"));
        if (ini.open(QIODevice::WriteOnly))
            ini.write("[IS_APP_FIRST_TIME]\nIsAppFirstTime=0\n");
        ini.close();
        app = std::make_unique<CDAXApp>(ini.fileName());
        app->InitInstance();
    }
    CDAXMainFrame& Frame() { return *app->MainFrame(); }
    // New Project, confirming the room the new project asks for.
    CDAXChildFrame* NewProject() {
        driver.Then(CModalDriver::Ok());
        return Frame().NewProject();
    }
    ~CProgram() {
        s_unexpected += driver.Unexpected();
        if (driver.Unexpected() > 0)
            qWarning("unexpected windows: %s", qPrintable(driver.Seen().join(" | ")));
    }
    static inline int s_unexpected = 0;
    int Projects() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return int(Frame().Children().size());
    }
};

} // namespace

class ProjectWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_store.Path());
    }

    // Every test ends with no window left unanswered.
    void cleanup() {
        const int unexpected = CProgram::s_unexpected;
        CProgram::s_unexpected = 0;
        QCOMPARE(unexpected, 0);
    }

    void undoAndRedoThroughTheEditKeys() {
        CProgram p;
        const QString path = p.dir.FilePath("undo.tdax");
        WriteBytes(path, ProjectBytes("Undo"));
        CDAXChildFrame* child = p.Frame().OpenProject(path);
        QVERIFY(child);
        CDAXDoc& doc = child->Document();
        QAction* undo = p.Frame().Action(kCmdUndo);
        QAction* redo = p.Frame().Action(kCmdRedo);
        p.Frame().UpdateCommandUI();
        QVERIFY(!undo->isEnabled());
        QCOMPARE(undo->text(), QString("&Undo"));

        // Remove All asks first; the step it records names itself in the Edit menu.
        p.driver.Then(CModalDriver::Ok());
        p.Frame().ExecuteCommand(kCmdRemoveAllInstallations);
        QVERIFY(!doc.HasInstallations());
        QVERIFY(undo->isEnabled());
        QCOMPARE(undo->text(), QString("&Undo ") + Strings::kStepRemoveAllSpeakers);
        QVERIFY(!redo->isEnabled());

        // Shortcuts reach the active window only.
        QWidget* window = &p.Frame();
        QApplication::setActiveWindow(window);
        QVERIFY(QTest::qWaitForWindowActive(window));
        QTest::keyClick(window, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(doc.HasInstallations());
        QVERIFY(!doc.IsModified());
        QVERIFY(redo->isEnabled());
        QCOMPARE(redo->text(), QString("&Redo ") + Strings::kStepRemoveAllSpeakers);

        QTest::keyClick(window, Qt::Key_Y, Qt::ControlModifier);
        QVERIFY(!doc.HasInstallations());
        QVERIFY(doc.IsModified());
        QTest::keyClick(window, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(!doc.HasInstallations()); // nothing left to redo
        QTest::keyClick(window, Qt::Key_Z, Qt::ControlModifier);
        QTest::keyClick(window, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(!doc.HasInstallations());
        QCOMPARE(p.driver.Unexpected(), 0);
    }

    // Whatever changed the project, the commands follow at once, without a menu being opened:
    // after a dialog edit run by a pane, a drag on the map, a choice in the map's frequency list
    // (which recalculates) and an undo, the Edit keys name the step and the shortcut sent to the
    // main window takes it back or does it again; Save is enabled after the calculation ended.
    void theEditKeysFollowEveryKindOfEditAtOnce() {
        CProgram p;
        const QString path = p.dir.FilePath("edits.tdax");
        WriteBytes(path, PlanProjectBytes());
        CDAXChildFrame* child = p.Frame().OpenProject(path);
        QVERIFY(child);
        CDAXDoc& doc = child->Document();
        QAction* undo = p.Frame().Action(kCmdUndo);
        QAction* redo = p.Frame().Action(kCmdRedo);
        QWidget* window = &p.Frame();
        QApplication::setActiveWindow(window);
        QVERIFY(QTest::qWaitForWindowActive(window));
        QVERIFY(!undo->isEnabled());
        const auto keyUndoes = [&](const char* kind, const std::function<bool()>& undone) {
            QTRY_VERIFY2(undo->isEnabled(), kind);
            QTest::keyClick(window, Qt::Key_Z, Qt::ControlModifier);
            QVERIFY2(undone(), kind);
        };

        // The installation list's Properties: the pane runs the command on the project.
        const CVec3 start = doc.Room().At(0)->position;
        p.driver.Then([](QWidget* modal) {
            if (auto* x = modal->findChild<QLineEdit*>("x"))
                x->setText("6");
            CModalDriver::Ok()(modal);
        });
        QVERIFY(doc.OnCommand(kCmdChangeInstallation));
        QCOMPARE(doc.Room().At(0)->position.x, 6.0);
        QTRY_COMPARE(undo->text(), QString("&Undo ") + Strings::kStepChangeSpeaker);
        keyUndoes("dialog", [&] { return doc.Room().At(0)->position == start; });
        // Undo itself: Redo follows and its key does the edit again.
        QTRY_VERIFY(redo->isEnabled());
        QTest::keyClick(window, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(doc.Room().At(0)->position.x, 6.0);

        // A drag on the map, whose drop asks in the properties dialog.
        auto* map = qobject_cast<CColorMapView*>(child->Pane(EPane::ColorMap));
        QVERIFY(map);
        const auto onScreen = [&](const CVec3& world) {
            const CPixel at = map->Model().PixelOf(world);
            return QPoint(at.x - map->horizontalScrollBar()->value(),
                          at.y - map->verticalScrollBar()->value());
        };
        const CVec3 before = doc.Room().At(0)->position;
        const QPoint from = onScreen(before);
        QVERIFY(map->viewport()->rect().contains(from));
        p.driver.Then(CModalDriver::Ok());
        QTest::mouseMove(map->viewport(), from + QPoint(30, 30));
        QTest::mouseMove(map->viewport(), from);
        QTest::mousePress(map->viewport(), Qt::LeftButton, {}, from);
        QTest::mouseMove(map->viewport(), onScreen({3.5, 7.5, 3}));
        QTest::mouseRelease(map->viewport(), Qt::LeftButton, {}, onScreen({3.5, 7.5, 3}));
        QTRY_COMPARE(doc.Room().At(0)->position.x, 3.5);
        QTRY_COMPARE(undo->text(), QString("&Undo ") + Strings::kStepMoveSpeaker);
        keyUndoes("drag", [&] { return doc.Room().At(0)->position == before; });

        // A choice in the frequency list recalculates the map; then everything follows.
        auto* frequencies = map->findChildren<QComboBox*>().value(0);
        for (QComboBox* combo : map->findChildren<QComboBox*>())
            if (combo->x() < frequencies->x())
                frequencies = combo;
        const double centre = doc.Conditions().At(0)->centreFrequency;
        doc.SetModified(false);
        emit frequencies->activated(frequencies->currentIndex() + 1);
        QVERIFY(doc.Conditions().At(0)->centreFrequency != centre);
        QTRY_VERIFY(p.Frame().Action(kCmdSave)->isEnabled());
        QVERIFY(child->isWindowModified());
        keyUndoes("frequency list",
                  [&] { return doc.Conditions().At(0)->centreFrequency == centre; });
        QCOMPARE(p.driver.Unexpected(), 0);
    }

    // Exit asks about every modified project before it closes any; Cancel at any question stops
    // the exit with every project open and unchanged, and asks nothing more.
    void cancelAtExitKeepsEveryProjectOpenAsItWas() {
        CProgram p;
        const QString a = p.dir.FilePath("a.tdax"), b = p.dir.FilePath("b.tdax");
        WriteBytes(a, ProjectBytes("A"));
        WriteBytes(b, ProjectBytes("B"));
        const QByteArray aBytes = ReadBytes(a), bBytes = ReadBytes(b);
        CDAXChildFrame* first = p.Frame().OpenProject(a);
        CDAXChildFrame* second = p.Frame().OpenProject(b);
        QVERIFY(first && second);
        for (CDAXChildFrame* child : {first, second}) {
            EditSettings(child->Document())->projectName = "changed";
            child->Document().SetModified();
        }
        CModalDriver& driver = p.driver;
        qsizetype seen = driver.Seen().size();
        driver.Then(CModalDriver::Press("No")); // the first is not saved...
        driver.Then(CModalDriver::Cancel());    // ...and the exit is cancelled at the second
        QVERIFY(!p.Frame().close());
        QCOMPARE(driver.Seen().size() - seen, 2);
        QCOMPARE(p.Projects(), 2);
        for (CDAXChildFrame* child : {first, second}) {
            QVERIFY(child->Document().IsModified());
            QCOMPARE(child->Document().Settings().projectName, std::string("changed"));
        }
        QCOMPARE(ReadBytes(a), aBytes);
        QCOMPARE(ReadBytes(b), bBytes);

        seen = driver.Seen().size();
        driver.Then(CModalDriver::Cancel());
        QVERIFY(!p.Frame().close());
        QCOMPARE(driver.Seen().size() - seen, 1); // nothing asked after Cancel
        QCOMPARE(p.Projects(), 2);

        // Asked again, each answer stands once: nothing is asked twice on the way out.
        seen = driver.Seen().size();
        driver.Then(CModalDriver::Press("No"));
        driver.Then(CModalDriver::Press("No"));
        QVERIFY(p.Frame().close());
        QCOMPARE(driver.Seen().size() - seen, 2);
        QCOMPARE(p.Projects(), 0);
        QCOMPARE(ReadBytes(a), aBytes);
        QCOMPARE(driver.Unexpected(), 0);
    }

    // The maps calculate on the workers while the user goes on: an edit or an undo starts the
    // map anew, another project opens and calculates meanwhile, Stop leaves the map incomplete
    // and says so, and closing a project ends its map. Run under AddressSanitizer and
    // ThreadSanitizer, this shows that no job reads what the project changes or frees.
    void editsUndoCloseAndOpenWhileALargeMapCalculates() {
        CProgram p;
        const QString large = p.dir.FilePath("large.tdax");
        WriteBytes(large, LargeProjectBytes());
        const QString small = p.dir.FilePath("small.tdax");
        WriteBytes(small, ProjectBytes("Small"));
        CDAXChildFrame* child = p.Frame().OpenProject(large);
        QVERIFY(child);
        CDAXDoc& doc = child->Document();
        const CListeningPlane& plane = doc.Conditions().At(0)->plane;
        QCOMPARE(plane.state, EMapState::NotCalculated);

        // The window's own timer keeps firing while the map calculates: nothing waits for it.
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
        ticker.start(5);
        p.Frame().ExecuteCommand(kCmdRecalculate);
        QVERIFY(doc.IsCalculating());
        QVERIFY(plane.calculating);
        QTRY_VERIFY(ticks > 3);

        // Remove (asked first) restarts the map; undo puts the speaker back and restarts it again.
        const int speakers = doc.Room().Count();
        p.driver.Then(CModalDriver::Ok());
        p.Frame().ExecuteCommand(kCmdRemoveInstallation);
        QCOMPARE(doc.Room().Count(), speakers - 1);
        QVERIFY(doc.IsCalculating());
        p.Frame().ExecuteCommand(kCmdUndo);
        QCOMPARE(doc.Room().Count(), speakers);
        QVERIFY(doc.IsCalculating());
        QVERIFY(plane.calculating);

        // Another project opens and calculates its map to the end meanwhile.
        CDAXChildFrame* other = p.Frame().OpenProject(small);
        QVERIFY(other);
        QVERIFY(other->Document().OnCommand(kCmdRecalculate));
        QTRY_VERIFY(!other->Document().IsCalculating());
        QCOMPARE(other->Document().Conditions().At(0)->plane.state, EMapState::Complete);

        // Stop, from the progress dialog the long map shows after a moment: the map is incomplete
        // and the status bar says so.
        QVERIFY(doc.OnCommand(kCmdRecalculate));
        QTRY_VERIFY(child->Calculations().Dialog() != nullptr);
        QTest::mouseClick(child->Calculations().Dialog()->StopButton(), Qt::LeftButton);
        QTRY_VERIFY(!doc.IsCalculating());
        QCOMPARE(plane.state, EMapState::Incomplete);
        QVERIFY(!plane.HasResult());
        QCOMPARE(p.Frame().statusBar()->currentMessage(),
                 QString::fromUtf8(Strings::kStatusMapIncomplete));

        // Closing a project whose map runs ends the map.
        QVERIFY(doc.OnCommand(kCmdRecalculate));
        QVERIFY(doc.IsCalculating());
        p.driver.Then(CModalDriver::Press("No")); // not saved
        child->parentWidget()->close();
        QCOMPARE(p.Projects(), 1);
        QCOMPARE(p.driver.Unexpected(), 0);
        QVERIFY(ticks > 3);
    }

    void commandsAreEnabledExactlyAsTheTableSays() {
        CProgram p;
        CDAXMainFrame& frame = p.Frame();
        QCOMPARE(MenuTitles(frame.menuBar()), (QStringList{"&File", "&View", "&Help"}));
        for (const CCommandInfo& info : CommandTable())
            QVERIFY2(!frame.Action(info.id)->isEnabled(), info.menuText.c_str());
        for (int id : {kCmdNew, kCmdOpen, kCmdPrintSetup, kCmdExit, kCmdAbout})
            QVERIFY(frame.Action(id)->isEnabled());
        QVERIFY(!frame.Action(kCmdSaveAs)->isEnabled());

        // The toolbar in its order, with a drawn or themed icon on every button.
        for (QAction* action : frame.ToolBar()->actions())
            QVERIFY(action->isSeparator() || !action->icon().isNull());
        QList<int> ids;
        for (QAction* action : frame.ToolBar()->actions()) {
            int id = 0;
            for (const CCommandInfo& info : CommandTable())
                if (frame.Action(info.id) == action)
                    id = info.id;
            for (const CCommandInfo& info : AppCommandTable())
                if (frame.Action(info.id) == action)
                    id = info.id;
            ids << id;
        }
        QCOMPARE(ids, QList<int>(ToolbarLayout().begin(), ToolbarLayout().end()));

        CDAXChildFrame* child = p.NewProject();
        QVERIFY(child);
        QCOMPARE(MenuTitles(frame.menuBar()),
                 (QStringList{"&File", "&Edit", "&View", "&Room", "&Speaker", "&Installation",
                              "&Tool", "&Window", "&Help"}));
        const auto checkAll = [&] {
            for (const CCommandInfo& info : CommandTable())
                QVERIFY2(frame.Action(info.id)->isEnabled() ==
                             child->Document().IsCommandEnabled(info.id),
                         info.menuText.c_str());
        };
        checkAll();
        QVERIFY(!frame.Action(kCmdDeleteSpeaker)->isEnabled());
        QVERIFY(frame.Action(kCmdRoomParameters)->isEnabled());
        QVERIFY(frame.Action(kCmdSaveAs)->isEnabled());

        // A speaker arrives: the commands that need one follow after the next update.
        const QString vsa = p.dir.FilePath("ceiling.vsa");
        QFile file(vsa);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray::fromStdString(GenerateVsa(DirectionalSpeaker(1))));
        file.close();
        child->Document().ImportSpeakerFile(ToCorePath(vsa));
        frame.UpdateCommandUI();
        QVERIFY(frame.Action(kCmdDeleteSpeaker)->isEnabled());
        QVERIFY(frame.Action(kCmdAutoInstall)->isEnabled());
        QVERIFY(!frame.Action(kCmdRemoveInstallation)->isEnabled());
        checkAll();
    }

    void newProjectOpensFivePanesAtTheirSizes() {
        QSettings(kMakerName, kStoreName).remove("ProjectWindow"); // no splitters kept yet
        CProgram p;
        p.Frame().resize(1400, 900);
        CDAXChildFrame* child = p.NewProject();
        QVERIFY(child);
        QVERIFY(QTest::qWaitForWindowExposed(child));
        QCOMPARE(p.driver.Seen(), QStringList{"Room Parameters:"});
        QCOMPARE(child->Document().Conditions().Count(), 1); // the map pane made its plane
        QVERIFY(qobject_cast<CStdSPDataListView*>(child->Pane(EPane::SpeakerList)));
        QVERIFY(qobject_cast<CTapListView*>(child->Pane(EPane::TapList)));
        QVERIFY(qobject_cast<CSoundGraphView*>(child->Pane(EPane::SoundGraph)));
        QVERIFY(qobject_cast<CColorMapView*>(child->Pane(EPane::ColorMap)));
        QVERIFY(qobject_cast<CInstallationContainerView*>(child->Pane(EPane::Installations)));
        // The project window fills the work area, and the map's pane takes most of it.
        QVERIFY(child->parentWidget()->isMaximized());
        QCOMPARE(child->parentWidget()->size(), p.Frame().MdiArea()->viewport()->size());
        auto* map = qobject_cast<CColorMapView*>(child->Pane(EPane::ColorMap));
        QVERIFY2(map->width() > child->width() * 7 / 10 && map->height() > child->height() * 6 / 10,
                 qPrintable(QString("map %1 x %2 of %3 x %4")
                                .arg(map->width())
                                .arg(map->height())
                                .arg(child->width())
                                .arg(child->height())));
        // The map was fitted to the pane it has: no scroll bar.
        QTest::qWait(20);
        QCOMPARE(map->horizontalScrollBar()->maximum(), 0);
        QCOMPARE(map->verticalScrollBar()->maximum(), 0);
        // The map's texts for the status bar reach the main window's, and the idle text returns.
        emit map->statusMessage("Preparing the live map... 40%");
        QCOMPARE(p.Frame().statusBar()->currentMessage(), QString("Preparing the live map... 40%"));
        emit map->statusMessage(QString());
        QCOMPARE(p.Frame().statusBar()->currentMessage(), QString("Ready"));
        const auto [outer, middle, inner] = child->Splitters();
        QCOMPARE(outer->orientation(), Qt::Vertical);
        QCOMPARE(middle->orientation(), Qt::Horizontal);
        QCOMPARE(inner->orientation(), Qt::Vertical);
        QCOMPARE(outer->widget(0), middle);
        QCOMPARE(outer->widget(1), child->Pane(EPane::Installations));
        QCOMPARE(middle->widget(0), inner);
        QCOMPARE(middle->widget(1), child->Pane(EPane::ColorMap));
        QCOMPARE(inner->widget(0), child->Pane(EPane::SpeakerList));
        QCOMPARE(inner->widget(1), child->Pane(EPane::TapList));
        QCOMPARE(inner->widget(2), child->Pane(EPane::SoundGraph));
        QCOMPARE(outer->sizes().value(1), 150);
        QCOMPARE(middle->sizes().value(0), 260);
        QCOMPARE(inner->sizes().value(0), 100);
        QCOMPARE(inner->sizes().value(1), 100);
        QVERIFY(inner->sizes().value(2) > 100);
        // A larger window goes to the map; the lists keep their sizes.
        const QSize before = map->size();
        p.Frame().resize(1600, 1000);
        QTest::qWait(20);
        QCOMPARE(outer->sizes().value(1), 150);
        QCOMPARE(middle->sizes().value(0), 260);
        QCOMPARE(inner->sizes().value(0), 100);
        QVERIFY(map->width() > before.width() && map->height() > before.height());
        QCOMPARE(child->windowTitle(), QString("Untitled[*]"));

        // Where the user puts the splitters, the next project window puts them too.
        middle->setSizes({400, middle->width() - 400 - middle->handleWidth()});
        child->Document().SetModified(false);
        QVERIFY(child->parentWidget()->close());
        CDAXChildFrame* next = p.NewProject();
        QVERIFY(QTest::qWaitForWindowExposed(next));
        QCOMPARE(next->Splitters()[1]->sizes().value(0), 400);
        next->Document().SetModified(false);
        QSettings(kMakerName, kStoreName).remove("ProjectWindow");
    }

    void projectsBecomeTabsAndBackAndKeepTheChoice() {
        {
            CProgram p;
            p.NewProject();
            p.NewProject();
            QCOMPARE(p.Projects(), 2);
            QAction* tabs = p.Frame().Action(kCmdTabbedWindows);
            QVERIFY(tabs && tabs->isCheckable());
            QVERIFY(!tabs->isChecked());
            tabs->trigger();
            QCOMPARE(p.Frame().MdiArea()->viewMode(), QMdiArea::TabbedView);
            QVERIFY(tabs->isChecked());
            for (CDAXChildFrame* child : p.Frame().Children())
                child->Document().SetModified(false);
        }
        CProgram again; // the next start shows tabs too
        QCOMPARE(again.Frame().MdiArea()->viewMode(), QMdiArea::TabbedView);
        again.NewProject();
        again.NewProject();
        again.Frame().Action(kCmdTabbedWindows)->trigger();
        QCOMPARE(again.Frame().MdiArea()->viewMode(), QMdiArea::SubWindowView);
        QTest::qWait(50);
        for (QMdiSubWindow* window : again.Frame().MdiArea()->subWindowList())
            QVERIFY(window->isVisible());
        for (CDAXChildFrame* child : again.Frame().Children())
            child->Document().SetModified(false);
    }

    void openSaveWithExtensionMigrationAndReopen() {
        CProgram p;
        const QString legacy = p.dir.FilePath("room.dax");
        WriteBytes(legacy, LegacyBytes("Hall"));
        const QByteArray legacyBytes = ReadBytes(legacy);
        // File Open offers both extensions.
        QStringList openFilters;
        p.driver.Then([&](QWidget* modal) {
            if (auto* dialog = qobject_cast<QFileDialog*>(modal))
                openFilters = dialog->nameFilters();
            CModalDriver::ChooseFile(legacy)(modal);
        });
        p.Frame().Action(kCmdOpen)->trigger();
        QCOMPARE(openFilters, QStringList{"DAX Files (*.tdax *.dax)"});
        CDAXChildFrame* child = p.Frame().ActiveChild();
        QVERIFY(child);
        QCOMPARE(child->Document().Settings().projectName, std::string("Hall"));
        QCOMPARE(child->Document().Room().Count(), 1);
        QCOMPARE(p.Frame().RecentFiles().value(0), legacy);

        EditSettings(child->Document())->projectName = "Hall B";
        child->Document().SetModified();
        CModalDriver& driver = p.driver;
        driver.Then(CModalDriver::Ok()); // the notice about the new extension
        p.Frame().Action(kCmdSave)->trigger();
        QCOMPARE(driver.Seen().size(), 2); // the file dialog, then the notice
        QCOMPARE(driver.Seen().last(), QString(kAppMessageTitle) + ": " + Strings::kSavedWithNewExtension);
        const QString migrated = p.dir.FilePath("room.tdax");
        QVERIFY(QFile::exists(migrated));
        QCOMPARE(ReadBytes(legacy), legacyBytes); // the old file stays as it was
        QCOMPARE(child->windowTitle(), QString("room.tdax[*]"));
        QVERIFY(!child->isWindowModified());
        // A maximised project window adds its own title in brackets after the program's.
        QVERIFY2(p.Frame().windowTitle().startsWith("VEL Daxara - room.tdax"),
                 qPrintable(p.Frame().windowTitle()));
        QCOMPARE(p.Frame().RecentFiles().value(0), migrated);

        const std::vector<std::uint8_t> saved = ProjectFile::Write(child->Document());
        child->parentWidget()->close();
        QCOMPARE(p.Projects(), 0);
        CDAXChildFrame* reopened = p.Frame().OpenProject(migrated);
        QVERIFY(reopened);
        QCOMPARE(reopened->Document().Settings().projectName, std::string("Hall B"));
        QVERIFY(ProjectFile::Write(reopened->Document()) == saved);
        QCOMPARE(driver.Unexpected(), 0);
    }

    void saveAsUnderALegacyNameAsksAndWritesTheNewExtension() {
        CProgram p;
        CDAXChildFrame* child = p.NewProject();
        EditSettings(child->Document())->projectName = "Foyer";
        child->Document().SetModified();
        CModalDriver& driver = p.driver;
        // Save As proposes the current extension only.
        driver.Then([&](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            QVERIFY(dialog);
            QCOMPARE(dialog->nameFilters(), QStringList{"DAX Files (*.tdax)"});
            QCOMPARE(dialog->defaultSuffix(), QString("tdax"));
            CModalDriver::ChooseFile(p.dir.FilePath("foyer.dax"))(modal);
        });
        driver.Then(CModalDriver::Ok()); // save with the new extension?
        driver.Then(CModalDriver::Ok()); // saved with the new extension
        p.Frame().Action(kCmdSaveAs)->trigger();
        QCOMPARE(driver.Pending(), 0);
        QCOMPARE(driver.Seen().mid(1),
                 (QStringList{"Save As:", QString(kAppMessageTitle) + ": " + Strings::kAskNewExtension,
                              QString(kAppMessageTitle) + ": " + Strings::kSavedWithNewExtension}));
        QVERIFY(QFile::exists(p.dir.FilePath("foyer.tdax")));
        QVERIFY(!QFile::exists(p.dir.FilePath("foyer.dax")));
        QCOMPARE(child->windowTitle(), QString("foyer.tdax[*]"));
        QVERIFY(!child->isWindowModified());

        // Declining the question saves nothing and keeps the mark.
        child->Document().SetModified();
        driver.Then(CModalDriver::ChooseFile(p.dir.FilePath("other.dax")));
        driver.Then(CModalDriver::Cancel());
        p.Frame().Action(kCmdSaveAs)->trigger();
        QVERIFY(!QFile::exists(p.dir.FilePath("other.tdax")));
        QVERIFY(child->Document().IsModified());
        QCOMPARE(driver.Unexpected(), 0);
    }

    void replacingAnotherFileIsAskedOnceNamingIt() {
        CProgram p;
        const QString other = p.dir.FilePath("other.tdax");
        WriteBytes(other, ProjectBytes("Other"));
        const QByteArray otherBytes = ReadBytes(other);
        CDAXChildFrame* child = p.NewProject();
        EditSettings(child->Document())->projectName = "Mine";
        child->Document().SetModified();
        CModalDriver& driver = p.driver;
        const QString replaceOther =
            QString(kAppMessageTitle) + ": " + QString::fromUtf8(Strings::kReplaceOtherFile).arg(other);

        // Save As over another project: the file dialog asks nothing, the project asks once,
        // and keeping the file is the answer Enter gives.
        qsizetype seen = driver.Seen().size();
        driver.Then(CModalDriver::ChooseFile(other));
        bool warns = false, keepsByDefault = false;
        driver.Then([&](QWidget* modal) {
            // Whatever it is, it is answered, so a wrong window fails the test instead of
            // hanging it.
            auto* box = qobject_cast<QMessageBox*>(modal);
            if (!box) {
                modal->close();
                return;
            }
            warns = box->icon() == QMessageBox::Warning;
            keepsByDefault = static_cast<QAbstractButton*>(box->defaultButton()) ==
                             box->button(QMessageBox::Cancel);
            if (QAbstractButton* cancel = box->button(QMessageBox::Cancel))
                cancel->click();
            else
                box->reject();
        });
        p.Frame().Action(kCmdSaveAs)->trigger();
        QCOMPARE(driver.Seen().mid(seen), (QStringList{"Save As:", replaceOther}));
        QVERIFY(warns);
        QVERIFY(keepsByDefault);
        QCOMPARE(ReadBytes(other), otherBytes);
        QVERIFY(child->Document().IsModified());
        QCOMPARE(child->windowTitle(), QString("Untitled[*]"));

        // Replacing it.
        seen = driver.Seen().size();
        driver.Then(CModalDriver::ChooseFile(other));
        driver.Then(CModalDriver::Press(Strings::kReplaceButton));
        p.Frame().Action(kCmdSaveAs)->trigger();
        QCOMPARE(driver.Seen().mid(seen), (QStringList{"Save As:", replaceOther}));
        CDAXDoc reread;
        std::string error;
        QVERIFY2(ProjectFile::Open(other.toStdString(), reread, error), error.c_str());
        QCOMPARE(reread.Settings().projectName, std::string("Mine"));
        QCOMPARE(child->windowTitle(), QString("other.tdax[*]"));
        QVERIFY(!child->Document().IsModified());

        // Its own file, unchanged since: nothing to ask.
        child->Document().SetModified();
        seen = driver.Seen().size();
        driver.Then(CModalDriver::ChooseFile(other));
        p.Frame().Action(kCmdSaveAs)->trigger();
        QCOMPARE(driver.Seen().mid(seen), QStringList{"Save As:"});
        QVERIFY(!child->Document().IsModified());

        // Changed by another program since: Save asks once, and declining keeps their file.
        const std::vector<std::uint8_t> theirs = ProjectBytes("Theirs");
        WriteBytes(other, theirs);
        child->Document().SetModified();
        seen = driver.Seen().size();
        driver.Then(CModalDriver::Cancel());
        QVERIFY(!child->Save());
        QCOMPARE(driver.Seen().mid(seen),
                 QStringList{QString(kAppMessageTitle) + ": " +
                             QString::fromUtf8(Strings::kReplaceChangedFile).arg(other)});
        QCOMPARE(ReadBytes(other), QByteArray(reinterpret_cast<const char*>(theirs.data()),
                                              qsizetype(theirs.size())));
        QVERIFY(child->Document().IsModified());
        QCOMPARE(driver.Pending(), 0);
    }

    void aSecondProjectOpensBesideTheFirst() {
        CProgram p;
        const QString a = p.dir.FilePath("a.tdax"), b = p.dir.FilePath("b.tdax");
        WriteBytes(a, ProjectBytes("A"));
        WriteBytes(b, ProjectBytes("B"));
        CDAXChildFrame* first = p.Frame().OpenProject(a);
        CDAXChildFrame* second = p.Frame().OpenProject(b);
        QVERIFY(first && second && first != second);
        QCOMPARE(p.Projects(), 2);
        QCOMPARE(first->Document().Settings().projectName, std::string("A"));
        QCOMPARE(second->Document().Settings().projectName, std::string("B"));
        QCOMPARE(p.Frame().ActiveChild(), second);
        // The same file again only brings its window forward.
        QCOMPARE(p.Frame().OpenProject(a), first);
        QCOMPARE(p.Projects(), 2);
        QCOMPARE(p.Frame().ActiveChild(), first);

        // The Window menu lists both and switches between them.
        QMenu* windowMenu = nullptr;
        for (QAction* action : p.Frame().menuBar()->actions())
            if (action->text() == "&Window")
                windowMenu = action->menu();
        QVERIFY(windowMenu);
        emit windowMenu->aboutToShow();
        emit windowMenu->aboutToShow(); // listed once however often it opens
        QStringList listed;
        QAction* entryOfB = nullptr;
        for (QAction* action : windowMenu->actions())
            if (action->property("windowEntry").toBool() && !action->isSeparator()) {
                listed << action->text();
                if (action->text().endsWith("b.tdax"))
                    entryOfB = action;
            }
        QCOMPARE(listed, (QStringList{"&1 a.tdax", "&2 b.tdax"}));
        QVERIFY(entryOfB);
        entryOfB->trigger();
        QCOMPARE(p.Frame().ActiveChild(), second);
    }

    void aForeignFileIsRefusedWhileAProjectIsOpen() {
        CProgram p;
        const QString a = p.dir.FilePath("a.tdax");
        WriteBytes(a, ProjectBytes("A"));
        CDAXChildFrame* first = p.Frame().OpenProject(a);
        QVERIFY(first);
        const std::vector<std::uint8_t> before = ProjectFile::Write(first->Document());
        const QString foreign = p.dir.FilePath("notes.tdax");
        WriteBytes(foreign, {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'});

        CModalDriver& driver = p.driver;
        driver.Then(CModalDriver::Ok());
        QVERIFY(!p.Frame().OpenProject(foreign));
        QCOMPARE(driver.Seen().size(), 1);
        QVERIFY2(driver.Seen()[0].startsWith(QString(kAppMessageTitle) + ": " + Strings::kFailedToOpen),
                 qPrintable(driver.Seen()[0]));
        QVERIFY(driver.Seen()[0].contains("notes.tdax"));
        QCOMPARE(p.Projects(), 1);
        QVERIFY(ProjectFile::Write(first->Document()) == before);
        QVERIFY(!first->Document().IsModified());
        QVERIFY(!p.Frame().RecentFiles().contains(foreign));
    }

    void aDamagedFileSaysWhyAndOpensNothing() {
        CProgram p;
        const QString damaged = p.dir.FilePath("cut.tdax");
        std::vector<std::uint8_t> bytes = ProjectBytes("Cut");
        bytes.resize(bytes.size() / 2);
        WriteBytes(damaged, bytes);
        CModalDriver& driver = p.driver;
        driver.Then(CModalDriver::Ok());
        QVERIFY(!p.Frame().OpenProject(damaged));
        QCOMPARE(driver.Seen().size(), 1);
        const QString text = driver.Seen()[0];
        QVERIFY2(text.startsWith(QString(kAppMessageTitle) + ": " + Strings::kFailedToOpen), qPrintable(text));
        QVERIFY2(text.size() > int(qstrlen(Strings::kFailedToOpen)) + 12, qPrintable(text));
        QCOMPARE(p.Projects(), 0);
    }

    void aFailedSaveSaysWhyAndKeepsTheModifiedMark() {
        CProgram p;
        CGuiTestDir gone;
        const QString path = gone.FilePath("a.tdax");
        WriteBytes(path, ProjectBytes("A"));
        CDAXChildFrame* child = p.Frame().OpenProject(path);
        QVERIFY(child);
        EditSettings(child->Document())->projectName = "A2";
        child->Document().SetModified();
        child->RefreshTitle();
        QVERIFY(QDir(gone.Path()).removeRecursively());

        CModalDriver& driver = p.driver;
        driver.Then(CModalDriver::Ok());
        QVERIFY(!child->Save());
        QCOMPARE(driver.Seen().size(), 1);
        QVERIFY2(driver.Seen()[0].contains("a.tdax"), qPrintable(driver.Seen()[0]));
        QVERIFY(child->Document().IsModified());
        QVERIFY(child->isWindowModified());
        QCOMPARE(child->windowTitle(), QString("a.tdax[*]"));
    }

    void closingAModifiedProjectAsksToSave() {
        CProgram p;
        CDAXChildFrame* child = p.NewProject();
        child->Document().SetModified();
        QMdiSubWindow* window = qobject_cast<QMdiSubWindow*>(child->parentWidget());
        CModalDriver& driver = p.driver;
        driver.Then(CModalDriver::Cancel());
        window->close();
        QCOMPARE(driver.Seen().size(), 2); // the room of the new project, then the question
        QCOMPARE(driver.Seen().last(), QString(kAppMessageTitle) + ": Save changes to Untitled?");
        QCOMPARE(p.Projects(), 1);

        driver.Then(CModalDriver::Press("No"));
        p.Frame().Action(kCmdClose)->trigger();
        QCOMPARE(driver.Seen().size(), 3);
        QCOMPARE(p.Projects(), 0);
        QCOMPARE(MenuTitles(p.Frame().menuBar()), (QStringList{"&File", "&View", "&Help"}));

        // An unmodified project closes without a question.
        p.NewProject();
        p.Frame().Action(kCmdClose)->trigger();
        QCOMPARE(p.Projects(), 0);
        QCOMPARE(driver.Seen().size(), 4); // its room only
        QCOMPARE(driver.Unexpected(), 0);
    }

    void droppedProjectFilesOpenAndOthersAreIgnored() {
        CProgram p;
        const QString a = p.dir.FilePath("a.tdax");
        WriteBytes(a, ProjectBytes("A"));
        const QString text = p.dir.FilePath("readme.txt");
        WriteBytes(text, {'x'});
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(text)});
        QDragEnterEvent refused(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton,
                                Qt::NoModifier);
        QApplication::sendEvent(&p.Frame(), &refused);
        QVERIFY(!refused.isAccepted());

        data.setUrls({QUrl::fromLocalFile(a), QUrl::fromLocalFile(text)});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(&p.Frame(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&p.Frame(), &drop);
        QTRY_COMPARE(p.Projects(), 1);
        QCOMPARE(p.Frame().ActiveChild()->Document().Settings().projectName, std::string("A"));
    }

    void theRecentListKeepsFourFilesNewestFirst() {
        CProgram p;
        QStringList paths;
        for (int i = 0; i < 5; ++i) {
            paths << p.dir.FilePath(QString("p%1.tdax").arg(i));
            WriteBytes(paths.last(), ProjectBytes("P"));
            QVERIFY(p.Frame().OpenProject(paths.last()));
        }
        QCOMPARE(p.Frame().RecentFiles(), (QStringList{paths[4], paths[3], paths[2], paths[1]}));
        QVERIFY(p.Frame().Action(kCmdRecentFirst) == nullptr); // recent entries are not commands
        // A project opened or saved again is listed once, at the top, however it was named.
        QVERIFY(p.Frame().OpenProject(paths[2])); // already open: its window comes forward
        QCOMPARE(p.Frame().RecentFiles(), (QStringList{paths[2], paths[4], paths[3], paths[1]}));
        CDAXChildFrame* third = p.Frame().OpenProject(paths[3]);
        for (int save = 0; save < 2; ++save) {
            third->Document().SetModified();
            QVERIFY(third->Save());
        }
        QCOMPARE(p.Frame().RecentFiles(), (QStringList{paths[3], paths[2], paths[4], paths[1]}));
        QVERIFY(QDir(p.dir.Path()).mkdir("sub"));
        QVERIFY(p.Frame().OpenProject(p.dir.FilePath("sub/../p4.tdax")));
        QVERIFY(QFile::link(paths[1], p.dir.FilePath("link.tdax")));
        QVERIFY(p.Frame().OpenProject(p.dir.FilePath("link.tdax")));
        QCOMPARE(p.Frame().RecentFiles(), (QStringList{paths[1], paths[4], paths[3], paths[2]}));
        const QStringList recent = p.Frame().RecentFiles();
        // A recent entry reopens its project after its window was closed.
        p.Frame().MdiArea()->closeAllSubWindows();
        QCOMPARE(p.Projects(), 0);
        CProgram later; // a new run reads the same per-user store
        QCOMPARE(later.Frame().RecentFiles(), recent);
    }

private:
    CGuiTestDir m_store;
};

QTEST_MAIN(ProjectWindowTest)
#include "ProjectWindowTest.moc"
