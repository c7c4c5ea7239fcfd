#include "views/SoundGraphView.h"
#include "FakePorts.h"
#include "acoustics/SoundGraphData.h"
#include "paint/SoundGraphPainter.h"
#include "project/SoundGraphLayout.h"

#include <QImage>
#include <QPainter>
#include <QTest>

#include <memory>

namespace {
// Counts the paint events a widget receives.
class CPaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

QImage Render(QWidget& view) {
    return view.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

int Grey(const QImage& image, int x, int y) {
    const QRgb pixel = image.pixel(x, y);
    return qRed(pixel) == qGreen(pixel) && qGreen(pixel) == qBlue(pixel) ? qRed(pixel) : -1;
}
} // namespace

class SoundGraphViewTest : public QObject {
    Q_OBJECT
private slots:
    void aDefaultEntryFitsA330By256ClientArea() {
        CDocFixture f;
        CSoundGraphView view(f.doc);
        view.resize(330, 256);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        const CSoundGraphCondition& entry = *Build(f.doc).Graphs().At(view.Model().EntryIndex());
        QCOMPARE(f.doc.Graphs().Count(), 1);
        QVERIFY(qAbs(entry.xScale - 280.0 / 3) < 1e-9);
        QVERIFY(qAbs(entry.yScale - 200.0 / 70) < 1e-9);

        const QImage image = Render(view);
        QCOMPARE(image.size(), QSize(330, 256));
        // Between two level lines: labelled frequencies are grey, the others light grey.
        const int y = LevelToY(entry, 75);
        QCOMPARE(Grey(image, FrequencyToX(entry, 100), y), 127);
        QCOMPARE(Grey(image, FrequencyToX(entry, 1000), y), 127);
        QCOMPARE(Grey(image, FrequencyToX(entry, 30), y), 200);
        QCOMPARE(Grey(image, FrequencyToX(entry, 5000), y), 200);
        QCOMPARE(Grey(image, (FrequencyToX(entry, 500) + FrequencyToX(entry, 600)) / 2, y), 255);
        // Every 10 dB a grey line across the graph.
        const int x = (FrequencyToX(entry, 500) + FrequencyToX(entry, 600)) / 2;
        QCOMPARE(Grey(image, x, LevelToY(entry, 80)), 127);
        QCOMPARE(Grey(image, x, LevelToY(entry, 120)), 127);
        // Nothing is drawn right of the 20 kHz line inside the graph's height.
        QCOMPARE(Grey(image, FrequencyToX(entry, 20000) + 3, y), 255);
    }

    void resizingRefitsSoTheGraphNeverScrolls() {
        CDocFixture f;
        CSoundGraphView view(f.doc);
        view.resize(330, 256);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.resize(610, 456);
        QTRY_VERIFY(qAbs(view.Model().Entry()->xScale - 560.0 / 3) < 1e-9);
        QVERIFY(qAbs(view.Model().Entry()->yScale - 400.0 / 70) < 1e-9);
        const CGraphSize size = GraphSize(*view.Model().Entry());
        QCOMPARE(size.width, 610);
        QCOMPARE(size.height, 456);
    }

    void onlyTheResponseHintRedrawsAndTheCurveIsDrawn() {
        CDocFixture f;
        CSoundGraphView view(f.doc);
        view.resize(330, 256);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        CPaintCounter counter;
        view.installEventFilter(&counter);
        // Wait until the window has settled: no paints of its own for a while.
        for (int i = 0; i < 40; ++i) {
            counter.paints = 0;
            QTest::qWait(25);
            if (counter.paints == 0)
                break;
        }
        // Lists, speakers and taps refill; the graph stays as it is.
        f.doc.Notify(CDocumentChange::ListSettings());
        f.doc.Notify(CDocumentChange::SpeakerImported());
        f.doc.Notify(CDocumentChange::CurrentModel());
        QTest::qWait(30);
        QCOMPARE(counter.paints, 0);

        CSoundGraphCondition& entry = *Build(f.doc).Graphs().At(view.Model().EntryIndex());
        const double frequencies[] = {0, 100, 1000, 10000};
        const double levels[] = {0, 95, 95, 95};
        entry.data.SetCurve(0, 4, frequencies, levels);
        f.doc.Notify(CDocumentChange::Curves());
        QTRY_VERIFY(counter.paints > 0);
        const QImage image = Render(view);
        // A flat curve at 95 dB: black between its points, the cleared point left out.
        const int y = LevelToY(entry, 95);
        QCOMPARE(Grey(image, (FrequencyToX(entry, 300) + FrequencyToX(entry, 400)) / 2, y), 0);
        QCOMPARE(Grey(image, FrequencyToX(entry, 45), y), 255);
    }

    void aCurveBelowTheAxisStaysInsideTheFrame() {
        CDocFixture f;
        CSoundGraphView view(f.doc);
        view.resize(330, 256);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        CSoundGraphCondition& entry = *Build(f.doc).Graphs().At(view.Model().EntryIndex());
        // A band without data reads 0 dB, far below the axis.
        const double frequencies[] = {300, 700, 2000};
        const double levels[] = {95, 0, 95};
        entry.data.SetCurve(0, 3, frequencies, levels);
        f.doc.Notify(CDocumentChange::Curves());
        QTest::qWait(30);
        const QImage image = Render(view);
        // The fall shows inside the frame ...
        bool crossed = false;
        for (int x = FrequencyToX(entry, 300); x <= FrequencyToX(entry, 700); ++x)
            crossed = crossed || Grey(image, x, LevelToY(entry, 60)) == 0;
        QVERIFY(crossed);
        // ... and stops at its bottom line, above the labels.
        const int x = FrequencyToX(entry, 700);
        for (int y = LevelToY(entry, 50) + 1; y < image.height(); ++y)
            QCOMPARE(Grey(image, x, y), 255);
    }

    void closingTheFirstOfTwoViewsLeavesTheOtherOnEntryZero() {
        CDocFixture f;
        auto first = std::make_unique<CSoundGraphView>(f.doc);
        CSoundGraphView second(f.doc);
        QCOMPARE(f.doc.Graphs().Count(), 2);
        QCOMPARE(second.Model().EntryIndex(), 1);
        first.reset();
        QCOMPARE(f.doc.Graphs().Count(), 1);
        QCOMPARE(second.Model().EntryIndex(), 0);
    }

    void thePainterDrawsOnAPrinterSizedPage() {
        // The same painter serves any device: a page at print scale keeps the proportions.
        CSoundGraphCondition entry;
        entry.data.InitAxes(1, 0, 20, 50, 20000, 120, 1000, 10);
        FitGraph(entry, true, kPrintPageWidth / 4, kPrintPageHeight / 4);
        QImage page(kPrintPageWidth / 4, kPrintPageHeight / 4, QImage::Format_RGB32);
        page.fill(Qt::white);
        QPainter painter(&page);
        PaintSoundGraph(painter, entry, 30);
        painter.end();
        QCOMPARE(Grey(page, FrequencyToX(entry, 1000), LevelToY(entry, 85)), 127);
    }
};

QTEST_MAIN(SoundGraphViewTest)
#include "SoundGraphViewTest.moc"
