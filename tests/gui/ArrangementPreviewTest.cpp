#include "ArrangementTestSupport.h"
#include "dialogs/ArrangementCabinetDialog.h"
#include "dialogs/ArrangementPreviewWidget.h"
#include "dialogs/ArrangementQL9Dialog.h"
#include "paint/ArrangementPreviewPainter.h"

#include <QImage>
#include <QPainter>
#include <QTest>

#include <memory>

namespace {
const QRgb kPen = qRgb(0, 127, 0);
const QRgb kWhite = qRgb(255, 255, 255);

// Is a pen pixel within one pixel of (x, y)? Aliased lines may step either side of a point
// halfway between two pixel centres.
bool PenNear(const QImage& image, int x, int y) {
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const QPoint p(x + dx, y + dy);
            if (image.valid(p) && image.pixel(p) == kPen)
                return true;
        }
    return false;
}

// Every outline segment of the picture shows in the image at both ends and in its middle, and
// only the pen colour and white are used.
void ExpectDrawn(const QImage& image, const CPreviewPicture& picture) {
    QVERIFY(!picture.outline.empty());
    for (const CPixelLine& line : picture.outline) {
        QVERIFY(PenNear(image, line.from.x, line.from.y));
        QVERIFY(PenNear(image, line.to.x, line.to.y));
        QVERIFY2(PenNear(image, (line.from.x + line.to.x) / 2, (line.from.y + line.to.y) / 2),
                 qPrintable(QString("(%1,%2)-(%3,%4)")
                                .arg(line.from.x)
                                .arg(line.from.y)
                                .arg(line.to.x)
                                .arg(line.to.y)));
    }
    for (int y = 0; y < image.height(); y += 7)
        for (int x = 0; x < image.width(); x += 5) {
            const QRgb c = image.pixel(x, y);
            QVERIFY(c == kPen || c == kWhite);
        }
    // The reference mark: the circle's rightmost point and the arrow's tip.
    const CPixel& r = picture.reference;
    QVERIFY(PenNear(image, r.x + picture.markRadius, r.y));
    QVERIFY(PenNear(image, picture.arrow.front().to.x, picture.arrow.front().to.y));
}

QImage Render(CArrangementPreviewWidget& preview) {
    return preview.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace

class ArrangementPreviewTest : public QObject {
    Q_OBJECT
private slots:
    void everyFamilyIsDrawnWhereTheCoreGeometryPutsIt() {
        const QSize size(330, 480);
        CQL9ArrangementForm ql9(VectorsOf(QL9ArrayOptions()), false);
        CTypeWArrangementForm typeW(VectorsOf(KVW5ArrayOptions()));
        CTypePArrangementForm typeP(CabinetsOf(KVP10ArrayOptions()));
        CTypeRArrangementForm typeR(CabinetsOf(KVR6ArrayOptions()));
        CTypeKArrangementForm typeK(CabinetsOf(KVKArrayOptions()));
        typeP.SelectCount(3);
        typeP.SelectCabinet(2, 1);
        typeR.SelectCount(5);
        typeK.SelectCount(1);
        const CModuleArrangementForm* forms[] = {&ql9, &typeW, &typeP, &typeR, &typeK};
        for (const CModuleArrangementForm* form : forms) {
            CArrangementPreviewWidget preview(*form, QSize(100, 100));
            preview.resize(size);
            const QImage image = Render(preview);
            QCOMPARE(image.size(), size);
            ExpectDrawn(image, form->Preview(size.width(), size.height()));
            if (QTest::currentTestFailed())
                return;
        }
    }

    void anElementOutlineSitsAtItsCorners() {
        // The first upper QL-9 module: its front edge on the column line above the reference
        // point, its rear edge a module's depth behind it; inside it stays white.
        CQL9ArrangementForm form(VectorsOf(QL9ArrayOptions()), false);
        CArrangementPreviewWidget preview(form, QSize(100, 100));
        preview.resize(300, 420);
        const QImage image = Render(preview);
        const CPreviewPicture picture = form.Preview(300, 420);
        const CPreviewCorners c = form.Corners().at(0);
        for (const CPreviewPoint& corner : {c.topFront, c.bottomFront, c.topRear, c.bottomRear}) {
            const CPixel p = picture.fit.Map(corner);
            QVERIFY(PenNear(image, p.x, p.y));
        }
        const CPixel inside = picture.fit.Map(
            {(c.topFront.x + c.bottomRear.x) / 2, (c.topFront.z + c.bottomRear.z) / 2});
        QCOMPARE(image.pixel(inside.x, inside.y), kWhite);
        // Top left and bottom right of the area hold nothing.
        QCOMPARE(image.pixel(1, 1), kWhite);
        QCOMPARE(image.pixel(298, 418), kWhite);
    }

    void thePreviewFollowsEveryChange() {
        CTypePArrangementForm form(CabinetsOf(KVP10ArrayOptions()));
        CTypePModuleArrangementDialog1 dialog(form);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        CArrangementPreviewWidget* preview = dialog.Preview();
        const QSize size = preview->size();
        const QImage one = Render(*preview);
        QVERIFY(Pick(ComboOf(dialog, "count"), "KV-P10 x 4"));
        QVERIFY(Pick(ComboOf(dialog, "junction1"), "0deg"));
        const QImage four = Render(*preview);
        QVERIFY(one != four);
        ExpectDrawn(four, form.Preview(size.width(), size.height()));
        QCOMPARE(form.Preview(size.width(), size.height()).outline.size(), 16u);
    }

    void crispOnHighDensityScreens() {
        CQL9ArrangementForm form(VectorsOf(QL9ArrayOptions()), false);
        form.SelectCount(3);
        const int w = 300, h = 420;
        QImage image(2 * w, 2 * h, QImage::Format_RGB32);
        image.setDevicePixelRatio(2.0);
        image.fill(Qt::black);
        {
            QPainter painter(&image);
            ArrangementPreviewPainter::Paint(painter, form, w, h, 2.0);
        }
        const CPreviewPicture logical = form.Preview(w, h);
        const CPreviewPicture device = ArrangementPreviewPainter::DevicePicture(form, w, h, 2.0);
        // The whole area is painted, in device pixels, and the column keeps its place.
        QCOMPARE(image.pixel(2 * w - 1, 2 * h - 1), kWhite);
        ExpectDrawn(image, device);
        QCOMPARE(device.outline.size(), logical.outline.size());
        for (std::size_t i = 0; i < logical.outline.size(); ++i) {
            QVERIFY(std::abs(device.outline[i].from.x - 2 * logical.outline[i].from.x) <= 2);
            QVERIFY(std::abs(device.outline[i].from.y - 2 * logical.outline[i].from.y) <= 2);
        }
        // Only the two colours: no smoothing greys at the edges.
        int pen = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QRgb c = image.pixel(x, y);
                QVERIFY(c == kPen || c == kWhite);
                pen += c == kPen ? 1 : 0;
            }
        QVERIFY(pen > 1000);
        // At a ratio of 1 the picture is the core's own.
        QCOMPARE(ArrangementPreviewPainter::DevicePicture(form, w, h, 1.0).outline,
                 logical.outline);
    }
};

QTEST_MAIN(ArrangementPreviewTest)
#include "ArrangementPreviewTest.moc"
