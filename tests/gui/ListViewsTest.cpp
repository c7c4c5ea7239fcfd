#include "FakePorts.h"
#include "ModalAnswer.h"
#include "app/Guard.h"
#include "common/Errors.h"
#include "dialogs/InstallationDialog.h"
#include "dialogs/QtDialogPort.h"
#include "project/Strings.h"
#include "views/InstallationContainerView.h"
#include "views/SpeakerDrag.h"
#include "views/StdSPDataListView.h"
#include "views/TapListView.h"

#include <QContextMenuEvent>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <fstream>
#include <memory>

namespace {
CVsaGenOptions Model(const std::string& name, int pitch, int taps) {
    CVsaGenOptions options = OmniSpeaker(90.0, pitch);
    options.name = name;
    options.taps.clear();
    for (int i = 0; i < taps; ++i)
        options.taps.push_back({false, 100.0 - 30 * i, 30.0 / (i + 1), {}});
    return options;
}

// A project window's three lists over one document.
struct CLists {
    QWidget window;
    CStdSPDataListView* speakers;
    CTapListView* taps;
    CInstallationContainerView* installations;

    explicit CLists(CDAXDoc& doc)
        : speakers(new CStdSPDataListView(doc)), taps(new CTapListView(doc)),
          installations(new CInstallationContainerView(doc)) {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(speakers);
        layout->addWidget(taps);
        layout->addWidget(installations);
        window.resize(500, 600);
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            qWarning("window not exposed");
    }
};

QTreeWidget* ListOf(QWidget* view) {
    return view->findChild<QTreeWidget*>();
}

QPoint RowCentre(QWidget* view, int row) {
    QTreeWidget* list = ListOf(view);
    return list->visualItemRect(list->topLevelItem(row)).center();
}

void ClickRow(QWidget* view, int row) {
    QTest::mouseClick(ListOf(view)->viewport(), Qt::LeftButton, {}, RowCentre(view, row));
}

int SelectedRow(QWidget* view) {
    QTreeWidget* list = ListOf(view);
    const QList<QTreeWidgetItem*> selected = list->selectedItems();
    return selected.size() == 1 ? list->indexOfTopLevelItem(selected.front()) : -1;
}

void RightClick(QWidget* view, const QPoint& pos) {
    QWidget* viewport = ListOf(view)->viewport();
    QContextMenuEvent event(QContextMenuEvent::Mouse, pos, viewport->mapToGlobal(pos));
    QApplication::sendEvent(viewport, &event);
}

QStringList MenuTexts(QMenu* menu) {
    QStringList texts;
    for (QAction* action : menu->actions())
        texts << action->text();
    return texts;
}

void Choose(QMenu* menu, const QString& text) {
    for (QAction* action : menu->actions())
        if (action->text() == text) {
            menu->setActiveAction(action);
            QTest::keyClick(menu, Qt::Key_Return);
            return;
        }
    qWarning("no menu entry %s", qPrintable(text));
}

// Whether the list shows that it takes the dragged data (the drop cursor).
bool DragEnter(QWidget* view, QMimeData* data) {
    QWidget* viewport = ListOf(view)->viewport();
    QDragEnterEvent enter(viewport->rect().center(), Qt::CopyAction, data, Qt::LeftButton, {});
    QApplication::sendEvent(viewport, &enter);
    return enter.isAccepted();
}

bool Drop(QWidget* view, QMimeData* data) {
    QWidget* viewport = ListOf(view)->viewport();
    QDropEvent drop(viewport->rect().center(), Qt::CopyAction, data, Qt::LeftButton, {});
    QApplication::sendEvent(viewport, &drop);
    return drop.isAccepted();
}

bool SendDrag(QWidget* view, QMimeData* data) {
    return DragEnter(view, data) && Drop(view, data);
}
// Answers only the export's file question, with a fixed name.
class CSofaNameOnly : public CFilePort {
public:
    explicit CSofaNameOnly(std::string path) : m_path(std::move(path)) {}
    std::string suggested;
    std::optional<std::string> ChooseSpeakerFile() override { return std::nullopt; }
    std::optional<std::string> ChooseProjectName(const std::string&) override {
        return std::nullopt;
    }
    std::optional<std::string> ChooseSofaExportName(const std::string& suggestion) override {
        suggested = suggestion;
        return m_path;
    }

private:
    std::string m_path;
};
} // namespace

class ListViewsTest : public QObject {
    Q_OBJECT
private slots:
    void aSpeakerClickSelectsItAndRefillsItsTaps() {
        CDocFixture f;
        f.AddModel(Model("Two taps", 3, 2));
        f.AddModel(Model("One tap", 3, 1));
        CLists lists(f.doc);
        QCOMPARE(ListOf(lists.speakers)->topLevelItemCount(), 2);
        QCOMPARE(ListOf(lists.speakers)->topLevelItem(1)->text(1), QString("One tap"));
        QCOMPARE(SelectedRow(lists.speakers), 1);
        QCOMPARE(ListOf(lists.taps)->topLevelItemCount(), 1);

        // Below the last row: the current speaker stays selected.
        QWidget* viewport = ListOf(lists.speakers)->viewport();
        QTest::mouseClick(viewport, Qt::LeftButton, {}, {10, viewport->height() - 3});
        QCOMPARE(f.doc.Models().CurrentIndex(), 1);
        QCOMPARE(SelectedRow(lists.speakers), 1);

        ClickRow(lists.speakers, 0);
        QCOMPARE(f.doc.Models().CurrentIndex(), 0);
        QCOMPARE(SelectedRow(lists.speakers), 0);
        QCOMPARE(ListOf(lists.taps)->topLevelItemCount(), 2);
        QCOMPARE(ListOf(lists.taps)->topLevelItem(1)->text(1), QString("70V Line  15W"));

        // A tap click changes the default tap and nothing else.
        ClickRow(lists.taps, 1);
        QCOMPARE(f.doc.CurrentModel()->DefaultTap(), 1);
        QCOMPARE(SelectedRow(lists.taps), 1);
    }

    void anEmptyProjectIgnoresClicksAndTheRightButton() {
        CDocFixture f;
        CLists lists(f.doc);
        QWidget* viewport = ListOf(lists.speakers)->viewport();
        QTest::mouseClick(viewport, Qt::LeftButton, {}, {10, 10});
        RightClick(lists.speakers, {10, 10});
        QVERIFY(!QApplication::activePopupWidget());
        QCOMPARE(ListOf(lists.speakers)->topLevelItemCount(), 0);
        QVERIFY(!lists.speakers->CreateDragData());
    }

    void theSpeakerMenuOffersExportOnlyToDevelopers() {
        CDocFixture f;
        f.AddModel(Model("A", 3, 2));
        f.AddModel(Model("B", 3, 1));
        CLists lists(f.doc);
        QStringList shown;
        AnswerPopup<QMenu>([&](QMenu* menu) { shown = MenuTexts(menu); });
        RightClick(lists.speakers, RowCentre(lists.speakers, 0));
        QCOMPARE(shown, (QStringList{"&Import...", "Export as &SOFA...", "&Module Arrangement...",
                                     "Delete..."}));
        // The right button selects without refilling the taps.
        QCOMPARE(f.doc.Models().CurrentIndex(), 0);
        QCOMPARE(ListOf(lists.taps)->topLevelItemCount(), 1);

        f.settings.values["DEVELOPER_ID/DeveloperID"] = 1;
        AnswerPopup<QMenu>([&](QMenu* menu) {
            shown = MenuTexts(menu);
            Choose(menu, "Delete...");
        });
        RightClick(lists.speakers, RowCentre(lists.speakers, 1));
        QCOMPARE(shown, (QStringList{"Delete...", "&Module Arrangement...", "&Import...",
                                     "Export as &SOFA...", "Export vd1..."}));
        QCOMPARE(f.messages.asked.back(),
                 std::string("Are you sure you want to remove this speaker?"));
        QCOMPARE(f.doc.Models().Count(), 1);
        QCOMPARE(ListOf(lists.speakers)->topLevelItemCount(), 1);
        QCOMPARE(ListOf(lists.speakers)->topLevelItem(0)->text(1), QString("A"));
    }

    void exportAsSofaWritesTheChosenModel() {
        CDocFixture f;
        f.AddModel(Model("A", 3, 2));
        f.AddModel(Model("B", 3, 1));
        QTemporaryDir dir;
        const std::string path = dir.filePath("b.sofa").toStdString();
        CSofaNameOnly files(path);
        CDocumentPorts ports = f.doc.Ports();
        ports.files = &files;
        f.doc.SetPorts(ports);
        CLists lists(f.doc);
        AnswerPopup<QMenu>([&](QMenu* menu) { Choose(menu, "Export as &SOFA..."); });
        RightClick(lists.speakers, RowCentre(lists.speakers, 1));
        QCOMPARE(files.suggested, std::string("B.sofa"));
        QVERIFY(f.messages.errors.empty());
        std::ifstream in(path, std::ios::binary);
        char head[4] = {};
        in.read(head, 4);
        QCOMPARE(QByteArray(head, 4), QByteArray("\x89HDF", 4));
        QVERIFY(!f.doc.IsModified());
    }

    void advancedColumnsComeAndGoAtTheNextRefresh() {
        CDocFixture f;
        f.AddModel(Model("A", 3, 1));
        QCOMPARE(f.Install(2, 3), 0);
        CLists lists(f.doc);
        QTreeWidget* list = ListOf(lists.installations);
        QCOMPARE(list->columnCount(), 5);
        EditSettings(f.doc)->advancedMode = 2;
        QCOMPARE(list->columnCount(), 5);
        f.doc.Notify(CDocumentChange::ListSettings());
        QCOMPARE(list->columnCount(), 11);
        QCOMPARE(list->headerItem()->text(6), QString("Elevation(Down+)"));
        // Every column keeps at least its width and is wide enough for its header to read.
        const int margin = list->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, list);
        const std::vector<CListColumn> columns = InstallationColumns(f.doc);
        for (int i = 0; i < list->columnCount(); ++i) {
            const QString title = list->headerItem()->text(i);
            const int size = list->header()->sectionSize(i);
            QVERIFY2(size >= columns[std::size_t(i)].width, qPrintable(title));
            QVERIFY2(size >= list->header()->fontMetrics().horizontalAdvance(title) + 2 * margin,
                     qPrintable(title));
        }
        QCOMPARE(list->topLevelItem(0)->text(9), QString("Normal"));
        QCOMPARE(list->headerItem()->text(10), QString("Delay"));
        QCOMPARE(list->topLevelItem(0)->text(10), QString("0"));
        EditSettings(f.doc)->advancedMode = 0;
        f.doc.Notify(CDocumentChange::ListSettings());
        QCOMPARE(list->columnCount(), 5);
        QCOMPARE(list->topLevelItem(0)->text(2), QString("2"));
    }

    void installationClicksAndTheirMenu() {
        CDocFixture f;
        f.AddModel(Model("A", 3, 1));
        QCOMPARE(f.Install(1, 1), 0);
        QCOMPARE(f.Install(2, 2), 0);
        CLists lists(f.doc);
        QCOMPARE(SelectedRow(lists.installations), 1);
        ClickRow(lists.installations, 0);
        QCOMPARE(f.doc.Room().CurrentIndex(), 0);

        QStringList shown;
        AnswerPopup<QMenu>([&](QMenu* menu) {
            shown = MenuTexts(menu);
            Choose(menu, "Remove...");
        });
        RightClick(lists.installations, RowCentre(lists.installations, 1));
        QCOMPARE(shown, (QStringList{"Remove...", "Properties...", "Align Delays..."}));
        QCOMPARE(f.doc.Room().Count(), 1);
        QCOMPARE(f.doc.Room().At(0)->position.x, 1.0); // the right-clicked one went
        QCOMPARE(ListOf(lists.installations)->topLevelItemCount(), 1);
    }

    void ctrlClicksSelectSeveralDeleteRemovesThemAndADoubleClickOpensProperties() {
        CDocFixture f;
        f.AddModel(Model("A", 3, 1));
        for (double x : {1.0, 2.0, 3.0, 4.0})
            QCOMPARE(f.Install(x, x), 0);
        CLists lists(f.doc);
        QTreeWidget* list = ListOf(lists.installations);
        ClickRow(lists.installations, 0);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          RowCentre(lists.installations, 2));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          RowCentre(lists.installations, 3));
        QCOMPARE(list->selectedItems().size(), 3);
        // Delete asks once for the three, and removes them as one step.
        f.messages.answers = {true};
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Delete);
        QCOMPARE(f.messages.asked.back(),
                 std::string(Strings::kConfirmRemoveSpeakersBefore) + "3" +
                     Strings::kConfirmRemoveSpeakersAfter);
        QCOMPARE(f.doc.Room().Count(), 1);
        QCOMPARE(f.doc.Room().At(0)->position.x, 2.0);
        QCOMPARE(list->topLevelItemCount(), 1);
        QVERIFY(f.doc.Undo());
        QCOMPARE(f.doc.Room().Count(), 4);

        // A double click on a row makes it current and opens its Properties.
        int runs = 0;
        f.dialogs.installation = [&](CInstallationForm&) {
            ++runs;
            return false;
        };
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, RowCentre(lists.installations, 1));
        QCOMPARE(f.doc.Room().CurrentIndex(), 1);
        QCOMPARE(runs, 1);
    }

    void aSpeakerDroppedOnTheInstallationListInstallsThroughTheDialog() {
        CDocFixture f;
        f.AddModel(Model("A", 3, 1));
        CQtDialogPort port(nullptr);
        f.doc.Ports().dialogs = &port;
        CLists lists(f.doc);
        std::unique_ptr<QMimeData> data(lists.speakers->CreateDragData());
        QVERIFY(data);
        QCOMPARE(data->data("application/x-daxara-speaker"), QByteArray("0"));

        AnswerModal<CInstallationDialog1>([](CInstallationDialog1* d) {
            QLineEdit* x = d->findChild<QLineEdit*>("x");
            QCOMPARE(x->text(), QString("5")); // the centre of the 10 m room
            x->selectAll();
            QTest::keyClicks(x, "4");
            QTest::mouseClick(
                d->findChild<QDialogButtonBox*>("buttons")->button(QDialogButtonBox::Ok),
                Qt::LeftButton);
        });
        QVERIFY(SendDrag(lists.installations, data.get()));
        QTRY_COMPARE(f.doc.Room().Count(), 1);
        QCOMPARE(f.doc.Room().At(0)->position.x, 4.0);
        QCOMPARE(ListOf(lists.installations)->topLevelItemCount(), 1);
        QVERIFY(f.doc.IsModified()); // an installed speaker is saved like any other edit
    }

    void pressingAndMovingOnASpeakerStartsItsDrag() {
        CDocFixture f;
        f.AddModel(Model("A", 3, 1));
        f.AddModel(Model("B", 3, 1));
        CLists lists(f.doc);
        QWidget* from = ListOf(lists.speakers)->viewport();
        const QPoint start = RowCentre(lists.speakers, 0);
        QList<int> dragged;
        connect(lists.speakers, &CStdSPDataListView::DragStarted,
                [&](int index) { dragged << index; });
        QTest::mousePress(from, Qt::LeftButton, {}, start);
        QTest::mouseMove(from, start + QPoint(2, 0)); // not yet a drag
        QVERIFY(dragged.isEmpty());
        QTest::mouseMove(from, start + QPoint(40, 0));
        QTest::mouseRelease(from, Qt::LeftButton, {}, start + QPoint(40, 0));
        QCOMPARE(dragged, QList<int>{0}); // the pressed row became current and is dragged
        QCOMPARE(f.doc.Models().CurrentIndex(), 0);
    }

    // Bad data ends the action with its reason; a programming error is told as a fault.
    void aFailureInsideAListActionIsReportedNotThrown() {
        QString shown;
        const auto answer = [&] {
            AnswerModal<QMessageBox>([&](QMessageBox* box) {
                shown = box->text();
                box->close();
            });
        };
        QWidget parent;
        answer();
        const bool done = RunGuarded(&parent, [] { throw CInvalidArgument("no tap 7"); });
        QVERIFY(!done);
        QCOMPARE(shown, QString("The command could not be completed: no tap 7."));
        answer();
        QVERIFY(!RunGuarded(&parent, [] { throw CMissingPort("dialog port"); }));
        QCOMPARE(shown, QString(Strings::kProgramFault) + "the project has no dialog port to ask.");
        QVERIFY(RunGuarded(&parent, [] {}));
    }

    void anotherProjectsSpeakerAndAnUninstallableOneAreRefused() {
        CDocFixture f, other;
        f.AddModel(Model("A", 3, 1));
        other.AddModel(Model("B", 3, 1));
        CLists lists(f.doc), otherLists(other.doc);
        std::unique_ptr<QMimeData> foreign(otherLists.speakers->CreateDragData());
        QVERIFY(foreign);
        QVERIFY(!DragEnter(lists.installations, foreign.get()));
        QVERIFY(!Drop(lists.installations, foreign.get()));
        QTest::qWait(20);
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(f.doc.Room().Count(), 0);
        QCOMPARE(f.dialogs.installationRuns, 0);

        // A third-octave room cannot take a twelfth-octave speaker.
        QCOMPARE(f.Install(1, 1), 0);
        f.AddModel(Model("Fine", 12, 1));
        f.doc.Notify(CDocumentChange::SpeakerImported());
        ClickRow(lists.speakers, 1);
        QCOMPARE(f.doc.Settings().installState, 0);
        QVERIFY(!lists.speakers->CreateDragData());
    }
};

QTEST_MAIN(ListViewsTest)
#include "ListViewsTest.moc"
