// The colour map window: combo boxes, pointer, drops, wheel and rotation, menus and printing.
#include "views/ColorMapView.h"
#include "BusyWorkers.h"
#include "FakePorts.h"
#include "project/QuantityDisplay.h"
#include "GuiTestSupport.h"
#include "ModalAnswer.h"
#include "acoustics/ColorMapCondition.h"
#include "acoustics/InstallationElement.h"
#include "paint/MapPainter.h"
#include "project/CommandTable.h"
#include "project/DAXDoc.h"
#include "views/SpeakerDrag.h"

#include <QComboBox>
#include <QMenu>
#include <QMimeData>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <cmath>

namespace {
// A loaded project: a 10 x 10 x 3 room, a plane at 1.2 and one speaker model.
struct ViewFixture : CDocFixture {
    std::unique_ptr<CColorMapView> view;

    ViewFixture() {
        AddModel(DirectionalSpeaker(1, 3));
        EditSettings(doc)->loadedFromFile = 1;
        CColorMapCondition c;
        c.plane.Build(0, 0, 1.2, 10, 10, 0, 0.5, 100, 2);
        c.viewAngles = {0, 0, 0};
        c.scale = 0.05;
        Build(doc).Conditions().Append(c);
        view = std::make_unique<CColorMapView>(doc);
        view->resize(900, 700);
        view->show();
        view->InitialUpdate();
    }
    CColorMapViewModel& Model() { return view->Model(); }
    QPoint ViewportPoint(const CVec3& world) {
        const CPixel p = Model().PixelOf(world);
        return {p.x - view->horizontalScrollBar()->value(),
                p.y - view->verticalScrollBar()->value()};
    }
    // Hovers over a speaker's pixel and presses there. The pointer comes from elsewhere: a move
    // to where an earlier test left it would be no move.
    void PressOn(const QPoint& at) {
        QTest::mouseMove(view->viewport(), at + QPoint(30, 30));
        QTest::mouseMove(view->viewport(), at);
        QTest::mousePress(view->viewport(), Qt::LeftButton, {}, at);
        QVERIFY(Model().Dragging());
    }
    std::vector<QComboBox*> Combos() {
        auto combos = view->findChildren<QComboBox*>();
        std::sort(combos.begin(), combos.end(),
                  [](QComboBox* a, QComboBox* b) { return a->x() < b->x(); });
        return {combos.begin(), combos.end()};
    }
};
} // namespace

class ColorMapViewTest : public QObject {
    Q_OBJECT

private slots:
    void CombosShowTheConditionAndWriteItBack() {
        ViewFixture f;
        const auto combos = f.Combos();
        QCOMPARE(combos.size(), std::size_t(4));
        QCOMPARE(combos[0]->x(), 170);
        QCOMPARE(combos[3]->currentText(), QString("Direct SPL"));
        QVERIFY(combos[3]->findText("Total SPL") >= 0);
        QVERIFY(combos[3]->findText("STI") >= 0);
        QCOMPARE(combos[1]->currentText(), QString("1/3 Oct. Band"));
        QCOMPARE(combos[2]->count(), 2);
        QCOMPARE(combos[3]->x(), 530);
        QCOMPARE(combos[3]->currentText(), QString::fromStdString(QuantityLabel(EMapQuantity::Direct)));
        QVERIFY(combos[0]->findText("1000[Hz]") >= 0);
        QCOMPARE(combos[0]->currentText(), QString("1000[Hz]"));
        emit combos[1]->activated(1); // "1 Oct. Band"
        QCOMPARE(f.Model().Condition()->band, 1.0);
        QCOMPARE(combos[0]->currentText(), QString("1000[Hz]"));
        QVERIFY(combos[0]->count() < 12); // the octave list replaced the third-octave one
        emit combos[2]->activated(0);
        QCOMPARE(f.Model().Condition()->mode, int(kModeInterference));
        // Another quantity: the condition keeps it, the list shows it.
        emit combos[3]->activated(combos[3]->findText("Total SPL"));
        QCOMPARE(f.Model().Condition()->quantity, EMapQuantity::Total);
        QCOMPARE(combos[3]->currentText(), QString("Total SPL"));
        emit combos[3]->activated(0);
        QCOMPARE(f.Model().Condition()->quantity, EMapQuantity::Direct);

        // The document refills the lists (as after an import); the next change shows them.
        Build(f.doc).Conditions().At(f.Model().ConditionIndex())->band = 3;
        f.Model().SyncConditionControls(CColorMapViewModel::EListSync::Fill);
        f.doc.Notify(CDocumentChange::CurrentInstallation());
        QCOMPARE(combos[1]->currentText(), QString("1/3 Oct. Band"));

        // The model's data run from 100 Hz to 10 kHz: centres whose band reaches outside them
        // carry a mark and say why; those inside carry none.
        const auto tip = [&](const QString& label) {
            const int i = combos[0]->findText(label);
            return i < 0 ? QString("missing") : combos[0]->itemData(i, Qt::ToolTipRole).toString();
        };
        QCOMPARE(tip("25[Hz]"), QString("outside the speaker data"));
        QCOMPARE(tip("1000[Hz]"), QString());
        QVERIFY(combos[0]->itemIcon(combos[0]->findText("1000[Hz]")).isNull());
        QVERIFY(!combos[0]->itemIcon(combos[0]->findText("25[Hz]")).isNull());
        QCOMPARE(tip("16000[Hz]"), QString("outside the speaker data"));
    }

    void TheMapFitsEveryNewPaneSizeUntilTheUserZoomsOrScrolls() {
        ViewFixture f;
        f.view->resize(600, 500);
        QTest::qWait(10);
        const double small = f.Model().Condition()->scale;
        f.view->resize(1200, 900);
        QTest::qWait(10);
        const double large = f.Model().Condition()->scale;
        QVERIFY(large > small);
        QCOMPARE(f.view->horizontalScrollBar()->maximum(), 0);
        QCOMPARE(f.view->verticalScrollBar()->maximum(), 0);
        // The wheel zooms: from then on the pane's size leaves the scale alone.
        const QPoint at = f.view->viewport()->rect().center();
        QWheelEvent wheel(at, f.view->viewport()->mapToGlobal(at), QPoint(), QPoint(0, 120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(f.view->viewport(), &wheel);
        const double zoomed = f.Model().Condition()->scale;
        f.view->resize(700, 600);
        QTest::qWait(10);
        QCOMPARE(f.Model().Condition()->scale, zoomed);
        // Fit brings the fitting back; moving a scroll bar stops it again.
        f.view->Fit();
        const double fitted = f.Model().Condition()->scale;
        f.view->ZoomIn();
        f.view->Fit();
        QCOMPARE(f.Model().Condition()->scale, fitted);
        f.view->resize(1000, 800);
        QTest::qWait(10);
        QVERIFY(f.Model().Condition()->scale > fitted);
        QVERIFY(f.Model().AutoFit());
        f.view->horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QVERIFY(!f.Model().AutoFit());
    }

    void HoverMakesASpeakerHotAndShowsItsCursor() {
        ViewFixture f;
        QCOMPARE(f.Install(3, 4), 0);
        f.view->update();
        const QPoint at = f.ViewportPoint(f.doc.Room().At(0)->position);
        QTest::mouseMove(f.view->viewport(), at + QPoint(2, 2));
        QVERIFY(f.Model().Hot());
        QCOMPARE(f.view->viewport()->cursor().shape(), Qt::BitmapCursor);
        QTest::mouseMove(f.view->viewport(), at + QPoint(60, 60));
        QVERIFY(!f.Model().Hot());
        QVERIFY(f.Model().Readout().valid); // the plane below reads out
        QCOMPARE(f.view->viewport()->cursor().shape(), Qt::ArrowCursor);
    }

    void ASpeakerDroppedFromTheListIsInstalledAtTheGridCell() {
        ViewFixture f;
        CSpeakerDragData data(f.doc, 0);
        const QPoint at = f.ViewportPoint({4.2, 6.7, 3});
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(f.view->viewport(), &enter); // the drag becomes ours
        QVERIFY(enter.isAccepted());
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(f.view->viewport(), &drop);
        QTRY_COMPARE(f.doc.Room().Count(), 1);
        QCOMPARE(f.doc.Room().At(0)->position.x, 4.5);
        QCOMPARE(f.doc.Room().At(0)->position.y, 6.5);
        // Outside the room nothing is installed and nothing is asked.
        QDropEvent outside(QPoint(2, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(f.view->viewport(), &outside);
        QTest::qWait(20);
        QCOMPARE(f.doc.Room().Count(), 1);
        QCOMPARE(f.dialogs.installationRuns, 1);
    }

    // A speaker dragged from another project's list names a model of that project: the map
    // refuses the drag and its drop, and nothing is installed or made current, although this
    // project has a model of that index. A drag from outside the program is refused alike.
    void ASpeakerFromAnotherProjectIsRefused() {
        ViewFixture f;
        const int wall = f.AddModel(DirectionalSpeaker(0, 3));
        Build(f.doc).Models().SetCurrentIndex(0);
        CDocFixture other;
        other.AddModel(OmniSpeaker());
        other.AddModel(DirectionalSpeaker(1, 3));
        const QPoint at = f.ViewportPoint({4.2, 6.7, 3});
        CSpeakerDragData foreign(other.doc, wall);
        QMimeData outside;
        outside.setData(CColorMapView::SpeakerMimeType(), QByteArray::number(wall));
        for (QMimeData* data : {static_cast<QMimeData*>(&foreign), &outside}) {
            QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(f.view->viewport(), &enter);
            QVERIFY(!enter.isAccepted());
            QDragMoveEvent move(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(f.view->viewport(), &move);
            QVERIFY(!move.isAccepted());
            QDropEvent drop(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(f.view->viewport(), &drop);
            QVERIFY(!drop.isAccepted());
        }
        QTest::qWait(20);
        QCOMPARE(f.doc.Room().Count(), 0);
        QCOMPARE(f.dialogs.installationRuns, 0);
        QCOMPARE(f.doc.Models().CurrentIndex(), 0);
        QVERIFY(!f.doc.IsModified());
        QCOMPARE(other.doc.Room().Count(), 0);

        // This project's own drag installs the model it names.
        CSpeakerDragData own(f.doc, wall);
        QDragEnterEvent enter(at, Qt::CopyAction, &own, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(f.view->viewport(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(at, Qt::CopyAction, &own, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(f.view->viewport(), &drop);
        QTRY_COMPARE(f.doc.Room().Count(), 1);
        QCOMPARE(f.doc.Room().At(0)->modelIndex, wall);
    }

    void TheWheelZoomsAboutThePointerAndTheMiddleButtonTurnsTheView() {
        ViewFixture f;
        Build(f.doc).Conditions().At(f.Model().ConditionIndex())->scale = 0.12;
        f.view->ZoomOut(); // a picture larger than the window, so it can scroll to keep the point
        const double scale = f.Model().Condition()->scale;
        const CVec3 target{7, 3, 3};
        const QPoint before = f.ViewportPoint(target);
        QWheelEvent wheel(before, f.view->viewport()->mapToGlobal(before), QPoint(), QPoint(0, 120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(f.view->viewport(), &wheel);
        QCOMPARE(f.Model().Condition()->scale, scale * 1.2);
        const QPoint after = f.ViewportPoint(target);
        QVERIFY2((after - before).manhattanLength() <= 2, qPrintable(QString("%1,%2 -> %3,%4")
                                                                         .arg(before.x())
                                                                         .arg(before.y())
                                                                         .arg(after.x())
                                                                         .arg(after.y())));

        QTest::mousePress(f.view->viewport(), Qt::MiddleButton, {}, QPoint(300, 300));
        QTest::mouseMove(f.view->viewport(), QPoint(300, 360));
        QTest::mouseRelease(f.view->viewport(), Qt::MiddleButton, {}, QPoint(300, 360));
        QCOMPARE(f.Model().Condition()->viewAngles[1], 30.0);
    }

    void CommandsMenusAndBadSizes() {
        ViewFixture f;
        QVERIFY(f.view->HandleCommand(kCmdViewPlusY));
        QCOMPARE(f.Model().Condition()->viewAngles, (std::array<double, 3>{0, 90, 0}));
        f.view->ViewDiagonal();
        QCOMPARE(f.Model().Condition()->viewAngles, (std::array<double, 3>{45, 75, 0}));

        std::unique_ptr<QMenu> speaker(f.view->CreateContextMenu(EMapMenu::Speaker, nullptr));
        QCOMPARE(speaker->actions().size(), 2);
        QCOMPARE(speaker->actions()[0]->text(), QString("Remove..."));
        QCOMPARE(speaker->actions()[0]->data().toInt(), int(kCmdRemoveInstallation));
        QCOMPARE(speaker->actions()[1]->data().toInt(), int(kCmdChangeInstallation));
        std::unique_ptr<QMenu> room(f.view->CreateContextMenu(EMapMenu::Room, nullptr));
        QCOMPARE(room->actions()[0]->text(), QString("Room Parameters..."));

        // A window squeezed to nothing keeps a usable scale instead of a negative one.
        const double scale = f.Model().Condition()->scale;
        f.view->resize(0, 0);
        f.view->Fit();
        QCOMPARE(f.Model().Condition()->scale, scale);
        QVERIFY(std::isfinite(f.Model().Condition()->scale));
    }

    void ADraggedSpeakerTakesTheMapAlongAndTheDropCalculatesIt() {
        ViewFixture f;
        QCOMPARE(f.Install(2.5, 2.5), 0);
        QCOMPARE(f.Install(7.5, 7.5), 0);
        const CVec3 start = f.doc.Room().At(0)->position;
        const CListeningPlane& plane = f.Model().Condition()->plane;
        std::vector<double> stored;
        for (const CPlaceElement& p : plane.points)
            stored.push_back(p.level);
        const QPoint from = f.ViewportPoint(start);
        QTest::mouseMove(f.view->viewport(), from);
        QTest::mousePress(f.view->viewport(), Qt::LeftButton, {}, from);
        QVERIFY(f.Model().Dragging());
        QTest::mouseMove(f.view->viewport(), f.ViewportPoint({7.3, 2.2, 0}));
        // The map follows once the throttle lets it; the project itself stays as it was.
        QTRY_VERIFY(f.Model().PreviewLevels() != nullptr);
        QCOMPARE(f.doc.Room().At(0)->position, start);
        const std::vector<double> preview = *f.Model().PreviewLevels();

        // A cell away from both speakers' symbols whose colour the move changes.
        const auto cellPixel = [&](std::size_t i) {
            const CPlaceElement& p = plane.points[i];
            return f.ViewportPoint({p.x, p.y, p.z});
        };
        std::size_t cell = plane.points.size();
        for (std::size_t i = 0; i < plane.points.size(); ++i) {
            const CPlaceElement& p = plane.points[i];
            const bool clear = std::hypot(p.x - 7.5, p.y - 2.5) > 1.5 &&
                               std::hypot(p.x - 7.5, p.y - 7.5) > 1.5 && p.x > 3;
            if (clear && plane.ColorOf(preview[i]) != plane.ColorOf(stored[i])) {
                cell = i;
                break;
            }
        }
        QVERIFY(cell < plane.points.size());
        const auto colourAt = [&](const QPoint& at) {
            return f.view->viewport()->grab().toImage().pixelColor(at);
        };
        const auto colourOf = [](std::uint32_t c) {
            return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
        };
        QCOMPARE(colourAt(cellPixel(cell)), colourOf(plane.ColorOf(preview[cell])));

        QTest::mouseRelease(f.view->viewport(), Qt::LeftButton, {}, f.ViewportPoint({7.3, 2.2, 0}));
        QVERIFY(!f.Model().Dragging());
        QCOMPARE(f.doc.Room().At(0)->position.x, 7.5);
        QCOMPARE(f.doc.Room().At(0)->position.y, 2.5);
        QVERIFY(f.Model().PreviewLevels() == nullptr);
        // The exact map replaced the stored one and the window shows it.
        QVERIFY(std::abs(plane.points[cell].level - preview[cell]) < 0.01);
        QCOMPARE(colourAt(cellPixel(cell)), colourOf(plane.ColorOf(plane.points[cell].level)));
    }

    void WhileTheLiveMapIsPreparedTheSpeakerFollowsOverTheStoredMap() {
        ViewFixture f;
        QCOMPARE(f.Install(2.5, 2.5), 0);
        QCOMPARE(f.Install(7.5, 7.5), 0);
        CBusyWorkers busy; // the preview's build waits in their queue until released
        f.Model().previewWorkers = &busy.pool;
        QSignalSpy status(f.view.get(), &CColorMapView::statusMessage);
        const CListeningPlane& plane = f.Model().Condition()->plane;
        const auto image = [&] { return f.view->viewport()->grab().toImage(); };
        const QPoint from = f.ViewportPoint(f.doc.Room().At(0)->position);
        const QPoint to = f.ViewportPoint({7.5, 2.5, 0});
        const QImage before = image();
        f.PressOn(from);
        QTest::mouseMove(f.view->viewport(), to);
        QTRY_VERIFY(f.Model().PreviewPreparing());
        QTRY_COMPARE(status.count(), 1);
        QCOMPARE(status.at(0).at(0).toString(), QString("Preparing the live map... 0%"));
        // The symbol left its place and sits under the pointer; the map is the stored one.
        QTest::qWait(50);
        QVERIFY(f.Model().PreviewPending()); // still waiting for the preview
        const QImage during = image();
        QVERIFY(during.pixelColor(from) != before.pixelColor(from));
        QVERIFY(during.pixelColor(to) != before.pixelColor(to));
        const CPlaceElement& far = plane.points.front(); // (0, 0): clear of both speakers
        const QPoint farPixel = f.ViewportPoint({far.x, far.y, far.z});
        QCOMPARE(during.pixelColor(farPixel), before.pixelColor(farPixel));

        busy.Release();
        QTRY_VERIFY(f.Model().PreviewLevels() != nullptr);
        QCOMPARE(status.count(), 2);
        QCOMPARE(status.at(1).at(0).toString(), QString());
        QTest::mouseRelease(f.view->viewport(), Qt::LeftButton, {}, to);
        QCOMPARE(f.doc.Room().At(0)->position.x, 7.5);
        QCOMPARE(status.count(), 2);
    }

    void ADropBeforeTheLiveMapIsReadyCalculatesTheExactMap() {
        ViewFixture f;
        QCOMPARE(f.Install(2.5, 2.5), 0);
        QCOMPARE(f.Install(7.5, 7.5), 0);
        CBusyWorkers busy;
        f.Model().previewWorkers = &busy.pool;
        QSignalSpy status(f.view.get(), &CColorMapView::statusMessage);
        const CListeningPlane& plane = f.Model().Condition()->plane;
        std::vector<double> stored;
        for (const CPlaceElement& p : plane.points)
            stored.push_back(p.level);
        const QPoint from = f.ViewportPoint(f.doc.Room().At(0)->position);
        const QPoint to = f.ViewportPoint({7.3, 2.2, 0});
        f.PressOn(from);
        QTest::mouseMove(f.view->viewport(), to);
        QTRY_VERIFY(f.Model().PreviewPreparing());
        // Every worker of the preview's pool is held: the release must not wait for them.
        QTest::mouseRelease(f.view->viewport(), Qt::LeftButton, {}, to);
        QVERIFY(!f.Model().Dragging());
        QVERIFY(!f.doc.IsCalculating());
        QCOMPARE(f.doc.Room().At(0)->position.x, 7.5);
        QCOMPARE(f.doc.Room().At(0)->position.y, 2.5);
        QVERIFY(f.Model().PreviewLevels() == nullptr);
        int changed = 0;
        for (std::size_t i = 0; i < stored.size(); ++i)
            changed += std::abs(plane.points[i].level - stored[i]) > 0.1;
        QVERIFY(changed > 0); // the drop recalculated the map
        QCOMPARE(status.count(), 2);
        QCOMPARE(status.at(1).at(0).toString(), QString());
    }

    void AFittedWideRoomShowsNoScrollBar() {
        ViewFixture f;
        Build(f.doc).Room().roomLength = 30;
        Build(f.doc).Room().roomWidth = 10;
        Build(f.doc)
            .Conditions()
            .At(f.Model().ConditionIndex())
            ->plane.Build(0, 0, 1.2, 30, 10, 0, 1.0, 100, 2);
        f.Model().SetViewDirection(45, 75, 0);
        for (const QSize& size : {QSize(1400, 500), QSize(900, 700), QSize(573, 400)}) {
            f.view->resize(size);
            f.view->Fit();
            QTest::qWait(10);
            QCOMPARE(f.view->horizontalScrollBar()->maximum(), 0);
            QCOMPARE(f.view->verticalScrollBar()->maximum(), 0);
            QVERIFY(!f.view->horizontalScrollBar()->isVisible());
        }
        // Zoomed in, the picture is larger than the pane and both bars scroll it.
        f.view->ZoomIn();
        f.view->ZoomIn();
        QTest::qWait(10);
        QVERIFY(f.view->horizontalScrollBar()->maximum() > 0);
        QVERIFY(f.view->verticalScrollBar()->maximum() > 0);
    }

    // Print and print preview draw every page of the job, the last one included: a table that
    // needs two pages gives two, a single installation one; a range prints its pages only.
    void PrintAndPreviewIncludeTheLastPage() {
        ViewFixture f;
        CGuiTestDir dir;
        const auto pagesIn = [](const QString& pdf) {
            QFile file(pdf);
            if (!file.open(QIODevice::ReadOnly))
                return -1;
            static const QRegularExpression page("/Type\\s*/Page[^s]");
            return int(QString::fromLatin1(file.readAll()).count(page));
        };
        int pages = 0;
        for (const int installations : {1, 60}) {
            Build(f.doc).Room().RemoveAll();
            for (int i = 0; i < installations; ++i)
                Build(f.doc).Room().AddInstallation(0, 0, {1 + 0.1 * i, 5, 3}, {}, 1, true);
            const QString pdf = dir.FilePath(QString("map%1.pdf").arg(installations));
            QPrinter printer(QPrinter::HighResolution);
            printer.setResolution(600);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            pages =
                f.Model().BeginPrinting(printer.width(), printer.height(), MapTextWidth).pageCount;
            f.Model().EndPrinting();
            QVERIFY(installations == 1 ? pages == 1 : pages >= 2);
            QVERIFY(f.view->PrintTo(printer));
            QCOMPARE(pagesIn(pdf), pages);

            // The preview shows the same pages.
            int previewed = -1;
            AnswerModal<QPrintPreviewDialog>([&](QPrintPreviewDialog* preview) {
                if (auto* widget = preview->findChild<QPrintPreviewWidget*>()) {
                    widget->updatePreview();
                    previewed = widget->pageCount();
                }
                preview->reject();
            });
            f.view->PrintPreview();
            QCOMPARE(previewed, pages);
        }
        // A range from the last page prints that page.
        QPrinter printer(QPrinter::HighResolution);
        printer.setResolution(600);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.FilePath("last.pdf"));
        printer.setPrintRange(QPrinter::PageRange);
        printer.setFromTo(pages, pages);
        QVERIFY(f.view->PrintTo(printer));
        QCOMPARE(pagesIn(dir.FilePath("last.pdf")), 1);
    }

    void PrintingToAFileDrawsAndGivesTheScreenBack() {
        ViewFixture f;
        QCOMPARE(f.Install(3, 4), 0);
        CGuiTestDir dir;
        const auto margins = f.Model().Condition()->margins;
        const double scale = f.Model().Condition()->scale;
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.FilePath("map.pdf"));
        QVERIFY(f.view->PrintTo(printer));
        QVERIFY(QFileInfo(dir.FilePath("map.pdf")).size() > 1000);
        QCOMPARE(f.Model().Condition()->margins, margins);
        QCOMPARE(f.Model().Condition()->scale, scale);
        QVERIFY(!f.Model().Printing());
    }
};

QTEST_MAIN(ColorMapViewTest)
#include "ColorMapViewTest.moc"
