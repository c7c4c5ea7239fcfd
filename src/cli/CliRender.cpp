// The colour map as a picture file: the window's painter, drawn without a display.
#include "CliCommands.h"
#include "CliOutput.h"
#include "CliSession.h"

#include "acoustics/ColorMapCondition.h"
#include "paint/GuiText.h"
#include "paint/MapExport.h"
#include "paint/MapPainter.h"
#include "paint/ReportPainter.h"
#include "project/ColorMapViewModel.h"
#include "project/Report.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <vector>

namespace {
// A client area larger than this is not a window any more, and would need gigabytes of image.
constexpr int kMaxRenderSide = 16384;

// Qt wants its application object before any font or image work; the command needs no display.
void QuietHandler(QtMsgType type, const QMessageLogContext&, const QString& message) {
    // Without a session Qt notes the missing runtime folder; that says nothing about the picture.
    if (type == QtDebugMsg || type == QtInfoMsg || message.startsWith("QStandardPaths:"))
        return;
    fprintf(stderr, "daxara-cli: %s\n", qPrintable(message));
}

std::unique_ptr<QGuiApplication> HeadlessApplication() {
    if (QGuiApplication::instance())
        return nullptr;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(QuietHandler);
    static int argc = 1;
    static char name[] = "daxara-cli";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

// Pictures are drawn into memory and written beside their target, then renamed over it, so a
// failed write keeps the old file.
std::vector<std::uint8_t> Bytes(const QByteArray& data) {
    return {reinterpret_cast<const std::uint8_t*>(data.constData()),
            reinterpret_cast<const std::uint8_t*>(data.constData()) + data.size()};
}

void WritePdf(const std::string& path, const CDAXDoc& doc, CColorMapViewModel& view) {
    QByteArray data;
    QBuffer file(&data);
    file.open(QIODevice::WriteOnly);
    QPdfWriter pdf(&file);
    // The table's column offsets are printer pixels of a 600 dpi page.
    pdf.setResolution(600);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setTitle(QStringLiteral("Daxara colour map"));
    // The window's print job: the same pages, the table's header fitted the same way.
    if (!PrintColorMap(pdf, doc, view))
        throw CCliError("--pdf: cannot write " + path);
    WriteOutput(path, "--pdf", Bytes(data));
}
} // namespace

std::string ParseRenderSize(const std::string& text, int& width, int& height) {
    static const QRegularExpression pattern("^(\\d{1,6})x(\\d{1,6})$");
    const auto match = pattern.match(QString::fromStdString(text));
    if (!match.hasMatch())
        return "\"" + text + "\" is not WIDTHxHEIGHT in whole pixels, for example 1200x900";
    width = match.captured(1).toInt();
    height = match.captured(2).toInt();
    if (width < 1 || height < 1 || width > kMaxRenderSide || height > kMaxRenderSide)
        return "\"" + text + "\" is outside 1x1 to " + std::to_string(kMaxRenderSide) + "x" +
               std::to_string(kMaxRenderSide);
    return {};
}

int RunRender(const CRenderOptions& o) {
    if (!o.png && !o.pdf && !o.svg)
        throw CCliError("render needs --png, --svg or --pdf");
    int width = 0, height = 0;
    if (const std::string problem = ParseRenderSize(o.size, width, height); !problem.empty())
        throw CCliError("--size: " + problem);
    std::vector<CKeptFile> keep = ProjectFiles(o.project, false);
    if (o.png) {
        CheckOutput(*o.png, "--png", o.force, keep);
        keep.push_back({*o.png, "the --png picture"});
    }
    if (o.svg) {
        CheckOutput(*o.svg, "--svg", o.force, keep);
        keep.push_back({*o.svg, "the --svg drawing"});
    }
    if (o.pdf)
        CheckOutput(*o.pdf, "--pdf", o.force, keep);

    const auto application = HeadlessApplication();
    CCliSession session;
    session.Open(o.project);
    CDAXDoc& doc = *session.doc;
    CColorMapViewModel view(doc);
    view.OnInitialUpdate();
    if (o.condition < 0 || o.condition >= doc.Conditions().Count())
        throw CCliError("--condition " + std::to_string(o.condition) + ": the project has " +
                        std::to_string(doc.Conditions().Count()) +
                        " colour map(s), numbered from 0");
    view.SetConditionIndex(o.condition);
    // Levels that do not exist are not drawn: the plane stays grey and says why.
    if (const CListeningPlane& plane = doc.Conditions().At(o.condition)->plane; !plane.HasResult())
        std::cerr << "daxara-cli: colour map " << o.condition
                  << " is not calculated (daxara-cli map --save calculates it); the picture "
                     "shows the room without a map\n";
    if (o.view == "plan")
        view.SetViewDirection(0, 0, 0);
    else if (o.view == "front")
        view.SetViewDirection(0, 90, 0);
    else if (o.view == "side")
        view.SetViewDirection(90, 90, 0);
    else if (o.view == "diagonal")
        view.SetViewDirection(45, 75, 0);
    view.SetClientSize(width, height);
    view.ProjectView(true);
    view.SyncConditionControls(CColorMapViewModel::EListSync::Fill);

    if (o.png) {
        QImage image(width, height, QImage::Format_RGB32);
        // A picture the memory cannot hold is refused before anything paints into nothing.
        if (image.isNull())
            throw CCliError("--size " + o.size + ": there is not enough memory for a picture of " +
                            std::to_string((static_cast<long long>(width) * height * 4) >> 20) +
                            " MB; choose a smaller size");
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            PaintMapPicture(painter, doc, view);
        }
        QByteArray data;
        QBuffer file(&data);
        file.open(QIODevice::WriteOnly);
        if (!image.save(&file, "PNG"))
            throw CCliError("--png: cannot write " + *o.png);
        WriteOutput(*o.png, "--png", Bytes(data));
    }
    if (o.svg) {
        QString error;
        if (!WriteMapPicture(FromCorePath(*o.svg), EMapPicture::Svg, doc, view, width, height,
                             error))
            throw CCliError("--svg: cannot write " + *o.svg + ": " + ToCoreText(error));
    }
    if (o.pdf)
        WritePdf(*o.pdf, doc, view);
    return 0;
}

int RunReport(const CReportOptions& o) {
    CheckOutput(o.pdf, "--pdf", o.force, ProjectFiles(o.project, false));
    const auto application = HeadlessApplication();
    CCliSession session;
    session.Open(o.project);
    CDAXDoc& doc = *session.doc;
    const CReport report =
        BuildReport(doc, {o.planner, o.company}, std::string("Daxara ") + DAXARA_VERSION);
    QString error;
    if (!WriteReportPdf(FromCorePath(o.pdf), doc, report, error))
        throw CCliError("--pdf: cannot write " + o.pdf + ": " + ToCoreText(error));
    return 0;
}
