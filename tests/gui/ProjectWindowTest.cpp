#include "ByteWriter.h"
#include "FakePorts.h"
#include "GuiTestSupport.h"
#include "ModalDriver.h"
#include "app/DAXApp.h"
#include "app/DAXChildFrame.h"
#include "app/DAXMainFrame.h"
#include "paint/GuiText.h"
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
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <QToolBar>

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

// A project whose map takes seconds: 32 speakers over a plane of a million points, 1 octave at
// 1 kHz on speaker data of 12 points per octave; its map is not calculated yet.
std::vector<std::uint8_t> LargeProjectBytes() {
    CDocFixture f;
    EditSettings(f.doc)->projectName = "Large";
    f.AddModel(DirectionalSpeaker(1, 12));
    for (int i = 0; i < 32; ++i)
        f.doc.room.AddInstallation(0, 0, {1.0 + (i % 8) * 2.5, 2.0 + (i / 8) * 4.0, 3.0},
                                   {0, 0, 90}, 1.0, true);
    CColorMapCondition c;
    c.band = 1;
    c.centreFrequency = 1000;
    c.plane.Build(0, 0, 1.2, 20, 20, 0, 0.02, 100, 2);
    f.doc.conditions.Append(c);
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
        const CListeningPlane& plane = doc.conditions.At(0)->plane;
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
        const int speakers = doc.room.Count();
        p.driver.Then(CModalDriver::Ok());
        p.Frame().ExecuteCommand(kCmdRemoveInstallation);
        QCOMPARE(doc.room.Count(), speakers - 1);
        QVERIFY(doc.IsCalculating());
        p.Frame().ExecuteCommand(kCmdUndo);
        QCOMPARE(doc.room.Count(), speakers);
        QVERIFY(doc.IsCalculating());
        QVERIFY(plane.calculating);

        // Another project opens and calculates its map to the end meanwhile.
        CDAXChildFrame* other = p.Frame().OpenProject(small);
        QVERIFY(other);
        QVERIFY(other->Document().OnCommand(kCmdRecalculate));
        QTRY_VERIFY(!other->Document().IsCalculating());
        QCOMPARE(other->Document().conditions.At(0)->plane.state, EMapState::Complete);

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
        CProgram p;
        CDAXChildFrame* child = p.NewProject();
        QVERIFY(child);
        QVERIFY(QTest::qWaitForWindowExposed(child));
        QCOMPARE(p.driver.Seen(), QStringList{"Room Parameters:"});
        QCOMPARE(child->Document().conditions.Count(), 1); // the map pane made its plane
        QVERIFY(qobject_cast<CStdSPDataListView*>(child->Pane(EPane::SpeakerList)));
        QVERIFY(qobject_cast<CTapListView*>(child->Pane(EPane::TapList)));
        QVERIFY(qobject_cast<CSoundGraphView*>(child->Pane(EPane::SoundGraph)));
        QVERIFY(qobject_cast<CColorMapView*>(child->Pane(EPane::ColorMap)));
        QVERIFY(qobject_cast<CInstallationContainerView*>(child->Pane(EPane::Installations)));
        QCOMPARE(child->parentWidget()->size(), QSize(785, 500));
        // The pane a project made without a window was fitted to: the map, less its vertical
        // scroll bar, opens without a horizontal one.
        auto* map = qobject_cast<CColorMapView*>(child->Pane(EPane::ColorMap));
        const int bar = map->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, map);
        QCOMPARE(map->width() - 2 * map->frameWidth() - bar, kDefaultMapClientWidth);
        QCOMPARE(map->height() - 2 * map->frameWidth(), kDefaultMapClientHeight);
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
        QCOMPARE(outer->sizes().value(0), 400);
        QVERIFY(outer->sizes().value(1) >= 10);
        QCOMPARE(middle->sizes().value(0), 200);
        QCOMPARE(inner->sizes().value(0), 100);
        QCOMPARE(inner->sizes().value(1), 100);
        QVERIFY(inner->sizes().value(2) > 100);
        // A larger window goes to the last pane of each splitter.
        child->parentWidget()->resize(1000, 700);
        QTest::qWait(20);
        QCOMPARE(outer->sizes().value(0), 400);
        QCOMPARE(middle->sizes().value(0), 200);
        QCOMPARE(inner->sizes().value(0), 100);
        QCOMPARE(child->windowTitle(), QString("Untitled[*]"));
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
        QCOMPARE(child->Document().room.Count(), 1);
        QCOMPARE(p.Frame().RecentFiles().value(0), legacy);

        EditSettings(child->Document())->projectName = "Hall B";
        child->Document().SetModified();
        CModalDriver& driver = p.driver;
        driver.Then(CModalDriver::Ok()); // the notice about the new extension
        p.Frame().Action(kCmdSave)->trigger();
        QCOMPARE(driver.Seen().size(), 2); // the file dialog, then the notice
        QCOMPARE(driver.Seen().last(), QString("DAX: ") + Strings::kSavedWithNewExtension);
        const QString migrated = p.dir.FilePath("room.tdax");
        QVERIFY(QFile::exists(migrated));
        QCOMPARE(ReadBytes(legacy), legacyBytes); // the old file stays as it was
        QCOMPARE(child->windowTitle(), QString("room.tdax[*]"));
        QVERIFY(!child->isWindowModified());
        QCOMPARE(p.Frame().windowTitle(), QString("VEL Daxara - room.tdax"));
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
                 (QStringList{"Save As:", QString("DAX: ") + Strings::kAskNewExtension,
                              QString("DAX: ") + Strings::kSavedWithNewExtension}));
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
            QString("DAX: ") + QString::fromUtf8(Strings::kReplaceOtherFile).arg(other);

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
                 QStringList{QString("DAX: ") +
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
        QVERIFY2(driver.Seen()[0].startsWith(QString("DAX: ") + Strings::kFailedToOpen),
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
        QVERIFY2(text.startsWith(QString("DAX: ") + Strings::kFailedToOpen), qPrintable(text));
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
        QCOMPARE(driver.Seen().last(), QString("DAX: Save changes to Untitled?"));
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
        const QStringList recent = p.Frame().RecentFiles();
        QCOMPARE(recent, (QStringList{paths[4], paths[3], paths[2], paths[1]}));
        QVERIFY(p.Frame().Action(kCmdRecentFirst) == nullptr); // recent entries are not commands
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
