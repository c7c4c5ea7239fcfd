#include "app/ProjectExport.h"

#include "app/QtMessagePort.h"
#include "paint/GuiText.h"
#include "paint/MapExport.h"
#include "paint/ReportPainter.h"
#include "acoustics/ColorMapCondition.h"
#include "project/ColorMapViewModel.h"
#include "project/DAXDoc.h"
#include "project/Report.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QMessageBox>
#include <QSpinBox>

namespace {
QString Suggestion(const CDAXDoc& doc, const QString& extension) {
    QString base = doc.PathName().empty() ? QStringLiteral("Untitled")
                                          : QFileInfo(FromCorePath(doc.PathName())).completeBaseName();
    const QString folder =
        doc.PathName().empty() ? QString() : QFileInfo(FromCorePath(doc.PathName())).absolutePath();
    return (folder.isEmpty() ? base : folder + "/" + base) + extension;
}

// The picture's size in pixels; false on Cancel.
bool AskSize(QWidget* parent, int& width, int& height) {
    QDialog dialog(parent);
    dialog.setObjectName("exportMapSize");
    dialog.setWindowTitle("Export Map");
    auto* form = new QFormLayout(&dialog);
    auto* w = new QSpinBox(&dialog);
    auto* h = new QSpinBox(&dialog);
    w->setObjectName("width");
    h->setObjectName("height");
    for (QSpinBox* box : {w, h}) {
        box->setRange(200, 16384);
        box->setSuffix(" px");
    }
    w->setValue(width);
    h->setValue(height);
    form->addRow("Width:", w);
    form->addRow("Height:", h);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    width = w->value();
    height = h->value();
    return true;
}
} // namespace

void ExportMap(QWidget* parent, CDAXDoc& doc, int condition, int width, int height) {
    if (!doc.Conditions().At(condition) || !AskSize(parent, width, height))
        return;
    QString filter = "PNG picture (*.png)";
    const QString path = QFileDialog::getSaveFileName(
        parent, "Export Map", Suggestion(doc, ".png"),
        "PNG picture (*.png);;SVG drawing (*.svg);;PDF document (*.pdf)", &filter);
    if (path.isEmpty())
        return;
    std::optional<EMapPicture> format = MapPictureFormat(path);
    QString target = path;
    if (!format) { // no known extension: the chosen filter's
        format = filter.startsWith("SVG")   ? EMapPicture::Svg
                 : filter.startsWith("PDF") ? EMapPicture::Pdf
                                            : EMapPicture::Png;
        target += format == EMapPicture::Svg   ? ".svg"
                  : format == EMapPicture::Pdf ? ".pdf"
                                               : ".png";
    }
    // A view of its own, fitted to the picture; the window's scale and scroll come back after.
    CColorMapViewModel view(doc);
    view.SetConditionIndex(condition);
    view.BeginFigure(width, height, doc.Conditions().At(condition)->margins);
    view.SyncConditionControls(CColorMapViewModel::EListSync::Fill);
    QString error;
    const bool written = WriteMapPicture(target, *format, doc, view, width, height, error);
    view.EndFigure();
    if (!written)
        QMessageBox::warning(parent, kAppMessageTitle,
                             QString("The map could not be written to %1: %2.").arg(target, error));
}

void ExportReport(QWidget* parent, CDAXDoc& doc, CSettingsPort* settings) {
    const QString path = QFileDialog::getSaveFileName(parent, "Export Report",
                                                      Suggestion(doc, "-report.pdf"),
                                                      "PDF document (*.pdf)");
    if (path.isEmpty())
        return;
    const QString target = path.endsWith(".pdf", Qt::CaseInsensitive) ? path : path + ".pdf";
    const CReport report = BuildReport(doc, ReadReportIdentity(settings),
                                       std::string("Daxara ") + DAXARA_VERSION);
    QString error;
    if (!WriteReportPdf(target, doc, report, error))
        QMessageBox::warning(
            parent, kAppMessageTitle,
            QString("The report could not be written to %1: %2.").arg(target, error));
}
