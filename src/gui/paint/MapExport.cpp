#include "paint/MapExport.h"

#include "paint/GuiText.h"
#include "paint/MapPainter.h"
#include "project/ColorMapViewModel.h"

#include <QBuffer>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgGenerator>

std::optional<EMapPicture> MapPictureFormat(const QString& path) {
    const QString lower = path.toLower();
    if (lower.endsWith(".png"))
        return EMapPicture::Png;
    if (lower.endsWith(".svg"))
        return EMapPicture::Svg;
    if (lower.endsWith(".pdf"))
        return EMapPicture::Pdf;
    return std::nullopt;
}

void PaintMapPicture(QPainter& painter, CDAXDoc& doc, const CColorMapViewModel& view) {
    CMapPaintOptions options;
    const CComboModel* combos[4] = {&view.FrequencyCombo(), &view.BandCombo(), &view.ModeCombo(),
                                    &view.QuantityCombo()};
    for (std::size_t i = 0; i < 4; ++i) {
        const CComboModel& combo = *combos[i];
        if (combo.selection >= 0 && combo.selection < static_cast<int>(combo.items.size()))
            options.comboTexts[i] = ToQString(combo.items[static_cast<std::size_t>(combo.selection)]);
    }
    PaintColorMap(painter, doc, view, options);
}

bool WriteMapPicture(const QString& path, EMapPicture format, CDAXDoc& doc,
                     const CColorMapViewModel& view, int width, int height, QString& error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        error = file.errorString();
        return false;
    }
    bool drawn = false;
    switch (format) {
    case EMapPicture::Png: {
        QImage image(width, height, QImage::Format_RGB32);
        if (image.isNull()) {
            error = QString("there is not enough memory for a picture of %1 x %2 pixels")
                        .arg(width)
                        .arg(height);
            file.cancelWriting();
            return false;
        }
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            PaintMapPicture(painter, doc, view);
        }
        drawn = image.save(&file, "PNG");
        break;
    }
    case EMapPicture::Svg: {
        QSvgGenerator svg;
        svg.setOutputDevice(&file);
        svg.setSize(QSize(width, height));
        svg.setViewBox(QRect(0, 0, width, height));
        svg.setTitle(QStringLiteral("Daxara colour map"));
        QPainter painter;
        if ((drawn = painter.begin(&svg))) {
            painter.fillRect(QRect(0, 0, width, height), Qt::white);
            PaintMapPicture(painter, doc, view);
            drawn = painter.end();
        }
        break;
    }
    case EMapPicture::Pdf: {
        QPdfWriter pdf(&file);
        pdf.setResolution(96);
        pdf.setPageSize(QPageSize(QSizeF(width * 72.0 / 96.0, height * 72.0 / 96.0),
                                  QPageSize::Point, QString(), QPageSize::ExactMatch));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setTitle(QStringLiteral("Daxara colour map"));
        QPainter painter;
        if ((drawn = painter.begin(&pdf))) {
            PaintMapPicture(painter, doc, view);
            drawn = painter.end();
        }
        break;
    }
    }
    if (!drawn) {
        file.cancelWriting();
        error = "the picture could not be drawn";
        return false;
    }
    if (!file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}
