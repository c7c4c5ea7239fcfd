// The colour map as pixels: the painter on an image, the command-line render, printed pages,
// exported pictures and the report.
#include "FakePorts.h"
#include "GuiTestSupport.h"
#include "acoustics/ColorMapCondition.h"
#include "paint/DaxIcons.h"
#include "paint/GuiText.h"
#include "paint/MapExport.h"
#include "paint/MapPainter.h"
#include "paint/ReportPainter.h"
#include "common/FormatSignificant.h"
#include "project/Report.h"
#include "project/ColorMapViewModel.h"
#include "project/ProjectFile.h"
#include "project/Strings.h"
#include "SceneFixtures.h"

#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <set>

namespace {
QColor FromColorRef(std::uint32_t c) {
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                  static_cast<int>((c >> 16) & 0xFF));
}

// A 10 x 10 room 10 high, the plane on the floor (so the ceiling grid and the speaker are drawn
// well above it in the diagonal view) and one directional speaker under the ceiling.
struct HallFixture : CDocFixture {
    std::unique_ptr<CColorMapViewModel> view;

    explicit HallFixture(int installations = 1) {
        AddModel(DirectionalSpeaker(1, 3));
        Build(doc).Room().roomHeight = 10;
        EditSettings(doc)->loadedFromFile = 1;
        CColorMapCondition c;
        c.plane.Build(0, 0, 0, 10, 10, 0, 0.5, 100, 2);
        c.viewAngles = {45, 75, 0};
        Build(doc).Conditions().Append(c);
        view = std::make_unique<CColorMapViewModel>(doc);
        view->OnInitialUpdate();
        for (int i = 0; i < installations; ++i)
            Build(doc).Room().AddInstallation(0, 0, {1 + 0.05 * i, 5, 9}, {0, 0, 60}, 1, true);
        Build(doc).Room().SetCurrentIndex(0);
        view->CalculateMap();
    }
};

// Where each sampled cell centre must show the cell's colour: cells away from the plane's
// edges (labels) and from the origin (axes).
void CheckCells(const QImage& image, const CColorMapViewModel& view, const CListeningPlane& plane) {
    std::set<QRgb> seen;
    int checked = 0;
    for (const CPlaceElement& cell : plane.points) {
        if (cell.x < 2.5 || cell.x > 8.5 || cell.y < 2.5 || cell.y > 8.5)
            continue;
        const CPixel p = view.PixelOf({cell.x, cell.y, cell.z});
        const QColor expected = FromColorRef(plane.ColorOf(cell.level));
        QCOMPARE(image.pixelColor(p.x, p.y), expected);
        seen.insert(expected.rgb());
        ++checked;
    }
    QVERIFY(checked > 100);
    QVERIFY2(seen.size() >= 3, "the sample should cover several colour classes");
}

void CheckLegend(const QImage& image, const CColorMapViewModel& view,
                 const CListeningPlane& plane) {
    const int h = view.FontHeight();
    for (int i = 0; i < kColorClasses; ++i)
        QCOMPARE(image.pixelColor(5 + h / 2, h * (i + 2) + kComboStripHeight + h / 2),
                 FromColorRef(plane.colors[static_cast<std::size_t>(i)]));
}

// The text of a PDF as pdftotext reads it, pages separated by form feeds; empty when the tool is
// missing. The PDF's font sets "ff", "fi", "fl", "ffi" and "ffl" as ligatures; the words are what
// count.
QString PdfText(const QString& pdf) {
    const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
    if (pdftotext.isEmpty())
        return {};
    QProcess text;
    text.start(pdftotext, {pdf, "-"});
    if (!text.waitForFinished(60000))
        return {};
    return QString::fromUtf8(text.readAllStandardOutput())
        .replace(QChar(0xFB00), "ff")
        .replace(QChar(0xFB01), "fi")
        .replace(QChar(0xFB02), "fl")
        .replace(QChar(0xFB03), "ffi")
        .replace(QChar(0xFB04), "ffl");
}

int PdfPages(const QString& text) {
    return int(text.count("\f")) + (text.endsWith("\f") ? 0 : 1);
}

// Records the texts a painter writes, page by page, instead of drawing them.
class CTextRecorder : public QPaintDevice {
public:
    CTextRecorder(int width, int height) : m_engine(this), m_width(width), m_height(height) {}
    QPaintEngine* paintEngine() const override { return &m_engine; }
    std::vector<QString> texts;
    std::vector<QPointF> positions; // where each text starts, in page pixels

protected:
    int metric(PaintDeviceMetric metric) const override {
        switch (metric) {
        case PdmWidth:
            return m_width;
        case PdmHeight:
            return m_height;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 600;
        case PdmDepth:
            return 32;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return static_cast<int>(devicePixelRatioFScale());
        default:
            return 1;
        }
    }

private:
    class CEngine : public QPaintEngine {
    public:
        explicit CEngine(CTextRecorder* owner) : QPaintEngine(AllFeatures), m_owner(owner) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState& changed) override {
            if (changed.state() & QPaintEngine::DirtyTransform)
                m_transform = changed.transform();
        }
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
        void drawPath(const QPainterPath&) override {}
        void drawTextItem(const QPointF& p, const QTextItem& item) override {
            m_owner->texts.push_back(item.text());
            m_owner->positions.push_back(m_transform.map(p));
        }
        Type type() const override { return User; }

    private:
        CTextRecorder* m_owner;
        QTransform m_transform;
    };
    mutable CEngine m_engine;
    int m_width, m_height;
};
} // namespace

class MapRenderTest : public QObject {
    Q_OBJECT

private slots:
    void PaintedCellsLegendAndBackgroundHaveTheirColours() {
        HallFixture f;
        f.view->SetClientSize(1000, 800);
        f.view->ProjectView(true);
        QImage image(1000, 800, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            PaintColorMap(painter, f.doc, *f.view);
        }
        const CListeningPlane& plane = f.view->Condition()->plane;
        CheckCells(image, *f.view, plane);
        CheckLegend(image, *f.view, plane);
        QCOMPARE(image.pixelColor(999, 799), QColor(Qt::white));
        QCOMPARE(image.pixelColor(999, 100), QColor(Qt::white));
    }

    void APlaneWithoutSpeakersIsFilledWithTheLastColour() {
        HallFixture f(0);
        f.view->SetClientSize(800, 800);
        f.view->SetViewDirection(0, 0, 0);
        f.view->Fit();
        QImage image(800, 800, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            PaintColorMap(painter, f.doc, *f.view);
        }
        const CListeningPlane& plane = f.view->Condition()->plane;
        const CPixel centre = f.view->PixelOf({6.3, 6.3, 0});
        QCOMPARE(image.pixelColor(centre.x, centre.y), FromColorRef(plane.colors[24]));
    }

    void APlaneWithoutPointsStillDrawsTheRoomAndLegend() {
        HallFixture f;
        CColorMapCondition& condition = *Build(f.doc).Conditions().At(f.view->ConditionIndex());
        condition.plane.points.clear();
        condition.plane.pointCount = 0;
        f.view->SetClientSize(800, 600);
        f.view->Fit();
        QImage image(800, 600, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            PaintColorMap(painter, f.doc, *f.view);
        }
        CheckLegend(image, *f.view, f.view->Condition()->plane);
    }

    void IconsAndCursorsArePaintedForTheScreensRatio() {
        for (const qreal ratio : {1.0, 2.0}) {
            for (const EDaxIcon icon :
                 {EDaxIcon::Speaker, EDaxIcon::CurrentSpeaker, EDaxIcon::Application}) {
                const QImage image = DaxIconImage(icon, 32, ratio);
                QCOMPARE(image.size(), QSize(32, 32) * ratio);
                QCOMPARE(image.devicePixelRatio(), ratio);
                QVERIFY(qAlpha(image.pixel(image.width() / 2, image.height() / 2)) == 255);
                QVERIFY(qAlpha(image.pixel(0, 0)) < 255 || icon == EDaxIcon::Application);
            }
            const QCursor drag = DaxCursor(EDaxCursor::DragSpeaker, ratio);
            QCOMPARE(drag.hotSpot(), QPoint(16, 16));
            QCOMPARE(drag.pixmap().size(), QSize(32, 32) * ratio);
        }
        // The current speaker stands out from the others.
        QVERIFY(DaxIconImage(EDaxIcon::Speaker, 32) != DaxIconImage(EDaxIcon::CurrentSpeaker, 32));
    }

    void RenderWritesTheWindowPictureAndFailsOnBadOutputs() {
        CGuiTestDir dir;
        QVERIFY(dir.IsValid());
        HallFixture f;
        const QString project = dir.FilePath("hall.tdax");
        CProjectFileStorage storage;
        std::string error;
        QVERIFY2(storage.Save(f.doc, project.toStdString(), error), error.c_str());

        const QString png = dir.FilePath("hall.png");
        QProcess cli;
        cli.start(DAXARA_CLI, {"render", project, "--png", png, "--pdf", dir.FilePath("hall.pdf"),
                               "--size", "1000x800", "--view", "diagonal"});
        QVERIFY(cli.waitForFinished(60000));
        QCOMPARE(cli.exitCode(), 0);
        QImage image(png);
        QCOMPARE(image.size(), QSize(1000, 800));

        // The same projection the window would make of the saved project.
        CDAXDoc loaded;
        QVERIFY(ProjectFile::Open(project.toStdString(), loaded, error));
        CColorMapViewModel view(loaded);
        view.OnInitialUpdate();
        view.SetViewDirection(45, 75, 0);
        view.SetClientSize(1000, 800);
        view.ProjectView(true);
        CheckCells(image, view, loaded.Conditions().At(0)->plane);
        CheckLegend(image, view, loaded.Conditions().At(0)->plane);
        QCOMPARE(image.pixelColor(999, 799), QColor(Qt::white));
        QVERIFY(QFileInfo(dir.FilePath("hall.pdf")).size() > 1000);

        // The same picture as vectors: texts stay texts, and --force replaces the old drawing.
        const QString svg = dir.FilePath("hall.svg");
        for (const QStringList& extra : {QStringList{}, QStringList{"--force"}}) {
            cli.start(DAXARA_CLI, QStringList{"render", project, "--svg", svg, "--size",
                                              "1000x800"} + extra);
            QVERIFY(cli.waitForFinished(60000));
            QCOMPARE(cli.exitCode(), 0);
        }
        QFile drawing(svg);
        QVERIFY(drawing.open(QIODevice::ReadOnly));
        const QByteArray vectors = drawing.readAll();
        QVERIFY(vectors.contains("<svg"));
        QVERIFY(vectors.contains("viewBox=\"0 0 1000 800\""));
        QVERIFY(vectors.contains("100 - 98")); // a legend label as text
        QVERIFY(vectors.contains(Strings::kMapShownAt));

        // Each refusal names what was wrong; options are checked as they are read, like every
        // other option of the tool.
        // A picture that does not exist yet, so each refusal is its own.
        const QString fresh = dir.FilePath("fresh.png");
        const std::pair<QStringList, QByteArray> bad[] = {
            {{"render", project, "--png", dir.FilePath("no/such/folder/x.png")},
             "daxara-cli: --png: the folder"},
            {{"render", project, "--png", fresh, "--size", "0x100"}, "--size: \"0x100\" is outside"},
            {{"render", project, "--png", fresh, "--size", "wide"},
             "--size: \"wide\" is not WIDTHxHEIGHT"},
            {{"render", project, "--png", fresh, "--size", "100000x10"},
             "--size: \"100000x10\" is outside"},
            {{"render", project, "--png", fresh, "--size", "1e3x800"},
             "--size: \"1e3x800\" is not WIDTHxHEIGHT"},
            {{"render", project, "--png", fresh, "--condition", "3"}, "daxara-cli: --condition 3"},
            {{"render", project, "--png", fresh, "--condition", "nan"},
             "--condition: \"nan\" is not a whole number"},
            {{"render", project, "--png", fresh, "--condition", "-1"},
             "--condition: \"-1\" is not a whole number"},
            {{"render", dir.FilePath("missing.tdax"), "--png", fresh},
             "daxara-cli: " + dir.FilePath("missing.tdax").toUtf8()},
            {{"render", project}, "daxara-cli: render needs --png, --svg or --pdf"},
            // A drawing never replaces the project, and an existing one only with --force.
            {{"render", project, "--svg", project}, "is the project ("},
            {{"render", project, "--png", png}, "exists; use --force to replace it"},
            {{"render", project, "--svg", png}, "exists; use --force to replace it"},
        };
        const QByteArray before = [&] {
            QFile file(png);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        }();
        for (const auto& [arguments, reason] : bad) {
            cli.start(DAXARA_CLI, arguments);
            QVERIFY(cli.waitForFinished(60000));
            QVERIFY2(cli.exitCode() != 0, qPrintable(arguments.join(' ')));
            const QByteArray stderrText = cli.readAllStandardError();
            QVERIFY2(stderrText.contains(reason),
                     qPrintable(arguments.join(' ') + ": " + stderrText));
        }
        QFile after(png);
        QVERIFY(after.open(QIODevice::ReadOnly));
        QCOMPARE(after.readAll(), before); // a failed render leaves the old picture alone
        QVERIFY(!QFile::exists(fresh));
    }

    // A table header broken onto two lines pushes the rows down: on every page the first row is
    // written a line below the header's second line, and no row shares a line with the header.
    void TheFirstRowIsBelowAHeaderOfTwoLines() {
        HallFixture f(80);
        EditSettings(f.doc)->advancedMode = 1; // the columns whose headers break
        CTextRecorder page(4800, 6800);
        const CTablePaging paging =
            f.view->BeginPrinting(page.width(), page.height(), MapTextWidth);
        QCOMPARE(f.view->PrintedTableHeader().lineCount, 2);
        const int h = f.view->FontHeight();
        const QString name = ToQString(f.doc.Models().At(0).DisplayName());
        for (int p = 1; p <= paging.pageCount; ++p) {
            page.texts.clear();
            page.positions.clear();
            {
                QPainter painter(&page);
                PaintPrintedPage(painter, f.doc, *f.view, paging, p);
            }
            double headerBottom = -1, firstRow = 1e9;
            for (std::size_t i = 0; i < page.texts.size(); ++i) {
                const QString& text = page.texts[i];
                if (text == "(Left+)" || text == "(Down+)" || text == "(Right+)")
                    headerBottom = std::max(headerBottom, page.positions[i].y());
                if (text == name)
                    firstRow = std::min(firstRow, page.positions[i].y());
            }
            QVERIFY2(headerBottom > 0, qPrintable(QString("page %1 has no broken header").arg(p)));
            if (firstRow == 1e9)
                continue; // a first page that holds the header only
            QVERIFY2(firstRow >= headerBottom + h - 1,
                     qPrintable(QString("page %1: row at %2, header line at %3")
                                    .arg(p)
                                    .arg(firstRow)
                                    .arg(headerBottom)));
        }
        f.view->EndPrinting();
    }

    void ALongTablePrintsOnEveryPageUnderARepeatedHeader() {
        HallFixture f(150);
        EditSettings(f.doc)->advancedMode = 1;
        CTextRecorder page(4800, 6800);
        const CTablePaging paging = f.view->BeginPrinting(page.width(), page.height());
        QVERIFY(paging.pageCount >= 3);
        const QString name = ToQString(f.doc.Models().At(0).DisplayName());
        std::vector<QString> numbers;
        for (int p = 1; p <= paging.pageCount; ++p) {
            page.texts.clear();
            {
                QPainter painter(&page);
                PaintPrintedPage(painter, f.doc, *f.view, paging, p);
            }
            const auto count = std::count(page.texts.begin(), page.texts.end(),
                                          QString(Strings::kTableSpeakerName));
            QCOMPARE(count, 1);
            QCOMPARE(std::count(page.texts.begin(), page.texts.end(), QString("Polarity")), 1);
            const bool title = std::any_of(page.texts.begin(), page.texts.end(), [](auto& t) {
                return t.startsWith(Strings::kMapShownAt);
            });
            QCOMPARE(title, p == 1); // the map and its title only on page 1
            // Rows follow the header: "No" then the row numbers of this page.
            const auto header = std::find(page.texts.begin(), page.texts.end(), QString("No"));
            QVERIFY(header != page.texts.end());
            for (auto it = header; it != page.texts.end(); ++it) {
                bool number = false;
                it->toInt(&number);
                if (number && it + 1 != page.texts.end() && *(it + 1) == name)
                    numbers.push_back(*it);
            }
        }
        f.view->EndPrinting();
        QCOMPARE(static_cast<int>(numbers.size()), 150);
        for (int i = 0; i < 150; ++i)
            QCOMPARE(numbers[static_cast<std::size_t>(i)], QString::number(i + 1));
    }


    // File > Export Map: the window's picture at a chosen size in the format the name asks for.
    void ExportedPicturesTakeTheirFormatFromTheNameAndTheirSizeFromTheChoice() {
        CGuiTestDir dir;
        QVERIFY(dir.IsValid());
        HallFixture f;
        QCOMPARE(MapPictureFormat("a.PNG"), std::optional(EMapPicture::Png));
        QCOMPARE(MapPictureFormat("b.svg"), std::optional(EMapPicture::Svg));
        QCOMPARE(MapPictureFormat("c.Pdf"), std::optional(EMapPicture::Pdf));
        QVERIFY(!MapPictureFormat("d.jpg"));
        CColorMapViewModel view(f.doc);
        view.SetConditionIndex(0);
        view.SetClientSize(800, 600);
        view.ProjectView(true);
        view.SyncConditionControls(CColorMapViewModel::EListSync::Fill);
        QString error;
        QVERIFY2(WriteMapPicture(dir.FilePath("m.png"), EMapPicture::Png, f.doc, view, 800, 600,
                                 error),
                 qPrintable(error));
        const QImage image(dir.FilePath("m.png"));
        QCOMPARE(image.size(), QSize(800, 600));
        CheckCells(image, view, f.doc.Conditions().At(0)->plane);
        QVERIFY(WriteMapPicture(dir.FilePath("m.pdf"), EMapPicture::Pdf, f.doc, view, 800, 600,
                                error));
        QFile pdf(dir.FilePath("m.pdf"));
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        const QByteArray bytes = pdf.readAll();
        QVERIFY(bytes.startsWith("%PDF"));
        QVERIFY(bytes.contains("/MediaBox [0 0 600")); // 800 pixels at 96 per inch: 600 points
        // A folder that does not exist: refused, nothing written.
        QVERIFY(!WriteMapPicture(dir.FilePath("no/m.svg"), EMapPicture::Svg, f.doc, view, 800,
                                 600, error));
        QVERIFY(!error.isEmpty());
    }

    // daxara-cli report: the pages a client reads, checked from their text.
    void TheReportNamesTheProjectItsPlannerEquipmentMapsAndPoints() {
        const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
        QVERIFY2(!pdftotext.isEmpty(), "pdftotext (poppler-utils) is needed to read the report");
        CGuiTestDir dir;
        QVERIFY(dir.IsValid());
        HallFixture f(30); // a table longer than a page
        CProjectSettings settings = f.doc.Settings();
        settings.projectName = "Concert hall";
        settings.projectDate = "7 Dec 2026";
        f.doc.ReplaceSettings(settings);
        const QString project = dir.FilePath("hall.tdax");
        CProjectFileStorage storage;
        std::string error;
        QVERIFY2(storage.Save(f.doc, project.toStdString(), error), error.c_str());
        const QString pdf = dir.FilePath("report.pdf");
        QProcess cli;
        const QStringList arguments{"report",    project,       "--pdf",
                                    pdf,         "--planner",   "Ada Planner",
                                    "--company", "Sound & Co"};
        cli.start(DAXARA_CLI, arguments);
        QVERIFY(cli.waitForFinished(60000));
        QVERIFY2(cli.exitCode() == 0, cli.readAllStandardError().constData());
        const QString report = PdfText(pdf);
        const CReport model = BuildReport(f.doc, {"Ada Planner", "Sound & Co"});
        for (const QString& expected :
             {QString(Strings::kReportHeading), QString("Concert hall"), QString("7 Dec 2026"),
              QString("Planner : Ada Planner"), QString("Company : Sound & Co"),
              ToQString(model.sections[2].title), QString(Strings::kReportPinkAverage),
              ToQString(Strings::kAmplifierPower + AmplifierEstimate(f.doc)),
              QString(Strings::kReportPlaneCentre), QString("100 - 98")})
            QVERIFY2(report.contains(expected), qPrintable(expected + " missing:\n" + report));
        // Every installation has its row; every page says which of how many it is.
        const QString name = ToQString(f.doc.Models().At(0).DisplayName());
        // The rows and the count per model; a name longer than its column wraps in the cell.
        QCOMPARE(int(report.simplified().count(name)), 30 + 1);
        const int pages = PdfPages(report);
        QVERIFY(pages >= 3);
        for (int p = 1; p <= pages; ++p)
            QVERIFY2(report.contains(QString("Page %1 of %2").arg(p).arg(pages)),
                     qPrintable(QString("page %1 of %2").arg(p).arg(pages)));
        // The statistics as the command line's map prints them.
        const CListeningPlane& plane = f.doc.Conditions().At(0)->plane;
        QVERIFY(report.contains(ToQString(FormatSignificant(plane.maximumLevel, 4) + " dB")));

        // An existing report is replaced only when told.
        cli.start(DAXARA_CLI, arguments);
        QVERIFY(cli.waitForFinished(60000));
        QVERIFY(cli.exitCode() != 0);
        QVERIFY(cli.readAllStandardError().contains("exists; use --force"));
        cli.start(DAXARA_CLI, arguments + QStringList{"--force"});
        QVERIFY(cli.waitForFinished(60000));
        QCOMPARE(cli.exitCode(), 0);
    }

    // A room with acoustics: its reverberation and STI pages are printed, the STI map drawn on
    // its own scale from the report's copy while the planner's plane stays as it was.
    void TheReportOfARoomWithAcousticsPrintsItsReverberationAndSpeechPages() {
        QVERIFY2(!QStandardPaths::findExecutable("pdftotext").isEmpty(),
                 "pdftotext (poppler-utils) is needed to read the report");
        CGuiTestDir dir;
        QVERIFY(dir.IsValid());
        HallFixture f;
        EditSettings(f.doc)->listeningPoints = {{"Front", {3, 5, 1.2}}, {"Back", {8, 8, 1.2}}};
        const auto print = [&](const QString& name) {
            const QString pdf = dir.FilePath(name);
            QString error;
            const bool written = WriteReportPdf(pdf, f.doc, BuildReport(f.doc, {}), error);
            return written ? PdfText(pdf) : "not written: " + error;
        };
        const QString plain = print("plain.pdf");
        QVERIFY(!plain.contains(Strings::kReportAcousticsTitle));

        EditSettings(f.doc)->roomAcoustics = FurnishedHall();
        EditSettings(f.doc)->speech = HallSpeech();
        const CColorMapCondition before = *f.doc.Conditions().At(0);
        const CReport model = BuildReport(f.doc, {});
        const QString acoustic = print("acoustic.pdf");
        QVERIFY2(PdfPages(acoustic) > PdfPages(plain), qPrintable(acoustic));
        QStringList expected{Strings::kReportAcousticsTitle, Strings::kReportSpeechTitle,
                             QString(Strings::kFormulaEyring) + Strings::kReportDrivingMark,
                             QString(Strings::kRtEyring) + Strings::kReportDrivingMark,
                             "Carpet on concrete", "[STI]", "A+"};
        for (const CReportSection& section : model.sections)
            for (const CReportBlock& block : section.blocks)
                if (const auto* table = std::get_if<CReportTable>(&block))
                    if (!table->title.empty())
                        expected << ToQString(table->title);
        QVERIFY(expected.size() == 7 + 2 + 2); // two room tables, two points
        for (const QString& text : expected)
            QVERIFY2(acoustic.contains(text), qPrintable(text + " missing:\n" + acoustic));
        // The map of the planner's window is untouched: its quantity, levels and picture.
        const CColorMapCondition& after = *f.doc.Conditions().At(0);
        QCOMPARE(after.quantity, EMapQuantity::Direct);
        QCOMPARE(after.scale, before.scale);
        QCOMPARE(after.margins, before.margins);
        QCOMPARE(after.scrollSize, before.scrollSize);
        QCOMPARE(after.plane.maximumLevel, before.plane.maximumLevel);
        for (std::size_t i = 0; i < after.plane.points.size(); ++i)
            QCOMPARE(after.plane.points[i].level, before.plane.points[i].level);
    }
};

QTEST_MAIN(MapRenderTest)
#include "MapRenderTest.moc"
