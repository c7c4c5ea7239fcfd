// The colour map as a picture file: the window's painter, drawn without a display.
#include "CliCommands.h"
#include "CliSession.h"

#include "acoustics/ColorMapCondition.h"
#include "paint/GuiText.h"
#include "paint/MapPainter.h"
#include "project/ColorMapViewModel.h"

#include <QGuiApplication>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QSaveFile>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>

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

// Refuses an output whose folder does not exist before any work is done.
void CheckOutput(const std::string& path, const char* option) {
    namespace fs = std::filesystem;
    const fs::path target(path);
    if (target.filename().empty())
        throw CCliError(std::string(option) + " needs a file name, not \"" + path + "\"");
    const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    std::error_code error;
    if (!fs::is_directory(folder, error))
        throw CCliError(std::string(option) + ": the folder " + folder.string() +
                        " does not exist");
    if (fs::is_directory(target, error))
        throw CCliError(std::string(option) + ": " + path + " is a folder");
}

// Pictures are written beside their target and renamed over it, so a failed write keeps the old.
void OpenOutput(QSaveFile& file, const std::string& path, const char* option) {
    file.setFileName(FromCorePath(path));
    if (!file.open(QIODevice::WriteOnly))
        throw CCliError(std::string(option) + ": cannot write " + path + ": " +
                        ToCoreText(file.errorString()));
}

void CommitOutput(QSaveFile& file, const std::string& path, const char* option) {
    if (!file.commit())
        throw CCliError(std::string(option) + ": cannot write " + path + ": " +
                        ToCoreText(file.errorString()));
}

void WritePdf(const std::string& path, const CDAXDoc& doc, CColorMapViewModel& view) {
    QSaveFile file;
    OpenOutput(file, path, "--pdf");
    QPdfWriter pdf(&file);
    // The table's column offsets are printer pixels of a 600 dpi page.
    pdf.setResolution(600);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setTitle(QStringLiteral("Daxara colour map"));
    QPainter painter;
    if (!painter.begin(&pdf))
        throw CCliError("--pdf: cannot write " + path);
    const CTablePaging paging = view.BeginPrinting(pdf.width(), pdf.height());
    for (int page = 1; page <= paging.pageCount; ++page) {
        if (page > 1)
            pdf.newPage();
        PaintPrintedPage(painter, doc, view, paging, page);
    }
    view.EndPrinting();
    if (!painter.end())
        throw CCliError("--pdf: cannot write " + path);
    CommitOutput(file, path, "--pdf");
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
    if (o.png.empty() && o.pdf.empty())
        throw CCliError("render needs --png or --pdf");
    int width = 0, height = 0;
    if (const std::string problem = ParseRenderSize(o.size, width, height); !problem.empty())
        throw CCliError("--size: " + problem);
    if (!o.png.empty())
        CheckOutput(o.png, "--png");
    if (!o.pdf.empty())
        CheckOutput(o.pdf, "--pdf");

    const auto application = HeadlessApplication();
    CCliSession session;
    session.Open(o.project);
    CDAXDoc& doc = *session.doc;
    CColorMapViewModel view(doc);
    view.OnInitialUpdate();
    if (o.condition < 0 || o.condition >= doc.conditions.Count())
        throw CCliError("--condition " + std::to_string(o.condition) + ": the project has " +
                        std::to_string(doc.conditions.Count()) + " colour map(s), numbered from 0");
    view.SetConditionIndex(o.condition);
    // Levels that do not exist are not drawn: the plane stays grey and says why.
    if (const CListeningPlane& plane = doc.conditions.At(o.condition)->plane; !plane.HasResult())
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
    view.SyncConditionControls(0, 0);

    if (!o.png.empty()) {
        QImage image(width, height, QImage::Format_RGB32);
        // A picture the memory cannot hold is refused before anything paints into nothing.
        if (image.isNull())
            throw CCliError("--size " + o.size + ": there is not enough memory for a picture of " +
                            std::to_string((static_cast<long long>(width) * height * 4) >> 20) +
                            " MB; choose a smaller size");
        image.fill(Qt::white);
        CMapPaintOptions options;
        const CComboModel* combos[3] = {&view.FrequencyCombo(), &view.BandCombo(),
                                        &view.ModeCombo()};
        for (std::size_t i = 0; i < 3; ++i) {
            const CComboModel& combo = *combos[i];
            if (combo.selection >= 0 && combo.selection < static_cast<int>(combo.items.size()))
                options.comboTexts[i] =
                    ToQString(combo.items[static_cast<std::size_t>(combo.selection)]);
        }
        {
            QPainter painter(&image);
            PaintColorMap(painter, doc, view, options);
        }
        QSaveFile file;
        OpenOutput(file, o.png, "--png");
        if (!image.save(&file, "PNG"))
            throw CCliError("--png: cannot write " + o.png);
        CommitOutput(file, o.png, "--png");
    }
    if (!o.pdf.empty())
        WritePdf(o.pdf, doc, view);
    return 0;
}
