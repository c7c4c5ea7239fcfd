#include "SceneFixtures.h"
#include "acoustics/ColorMapCondition.h"
#include "acoustics/MapCalculation.h"
#include "dialogs/QtProgress.h"
#include "project/Strings.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include <climits>
#include <cmath>

class ProgressTest : public QObject {
    Q_OBJECT
private slots:
    void stopInALongMapKeepsTheLevelsSoFarAndTheWindowResponds() {
        CTestScene scene;
        scene.AddModel(DirectionalSpeaker(0, 12));
        scene.Install(0, {50, 50, 3}, {0, 0, 90});
        CColorMapCondition condition;
        condition.band = 1;
        condition.centreFrequency = 1000;
        condition.plane.Build(0, 0, 1.5, 100, 100, 0, 0.1, 100, 2);
        const long long total = condition.plane.pointCount;
        QVERIFY(total >= 1000000);
        constexpr double kPrevious = -7.0; // what the plane held before this calculation
        for (CPlaceElement& p : condition.plane.points)
            p.level = kPrevious;

        QWidget window;
        auto* button = new QPushButton("Other", &window);
        (new QVBoxLayout(&window))->addWidget(button);
        int clicks = 0;
        connect(button, &QPushButton::clicked, [&] { ++clicks; });
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        // While the map runs: a timer of the window keeps firing, and Stop is pressed once the
        // bar has moved.
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
        ticker.start(5);
        QString caption, text;
        QTimer stopper;
        connect(&stopper, &QTimer::timeout, [&] {
            auto* dialog = window.findChild<CProgressDialog*>();
            if (!dialog || dialog->Bar()->value() <= 0 || dialog->Stopped())
                return;
            caption = dialog->windowTitle();
            text = dialog->findChild<QLabel*>("progressText")->text();
            QTest::mouseClick(dialog->StopButton(), Qt::LeftButton);
        });
        stopper.start(2);

        CQtProgressFactory factory(&window);
        std::unique_ptr<CProgressDialog1> progress = factory.CreateProgress();
        const CMapResult result = CalculateMap(scene.Scene(), condition, progress.get());
        stopper.stop();
        ticker.stop();

        QCOMPARE(result.status, ECalcStatus::Stopped);
        QCOMPARE(caption, QString(Strings::kProgressCaption));
        QCOMPARE(text, QString("Calculating..."));
        // The points reached have their levels; the others have none (not the previous ones).
        long long computed = 0;
        for (const CPlaceElement& p : condition.plane.points)
            if (!std::isnan(p.level)) {
                ++computed;
                QVERIFY(p.level > 0.0);
            }
        QVERIFY(computed > 0);
        QVERIFY(computed < total);
        QCOMPARE(computed, result.computed);
        QCOMPARE(condition.plane.maximumLevel, 0.0);
        QCOMPARE(condition.plane.pinkNoiseAverage, 0.0);
        QCOMPARE(condition.plane.state, EMapState::Incomplete);
        QVERIFY(ticks > 0);

        progress.reset();
        QVERIFY(!window.findChild<CProgressDialog*>());
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(clicks, 1);
    }

    void escapeAndCloseOnlyDisableStop() {
        QWidget window;
        CQtProgress progress(&window);
        CProgressDialog* dialog = progress.Dialog();
        QVERIFY(dialog->isVisible());
        QVERIFY(progress.PumpAndCheck());
        QTest::keyClick(dialog, Qt::Key_Escape);
        QVERIFY(dialog->isVisible());
        QVERIFY(!dialog->StopButton()->isEnabled());
        QVERIFY(!progress.PumpAndCheck());
        dialog->close();
        QVERIFY(dialog->isVisible());
    }

    void aRangeBeyondTheBarIsShownScaled() {
        CProgressDialog dialog;
        dialog.SetRange(0, 1LL << 40);
        dialog.SetPos(1LL << 39);
        QVERIFY(qAbs(dialog.Bar()->value() - INT_MAX / 2) <= 1);
        dialog.SetRange(0, 100);
        dialog.SetPos(250);
        QCOMPARE(dialog.Bar()->value(), 100);
        QCOMPARE(dialog.Bar()->maximum(), 100);
    }
};

QTEST_MAIN(ProgressTest)
#include "ProgressTest.moc"
