#pragma once

#include <QString>

#include <optional>

class CDAXDoc;
class CColorMapViewModel;
class QPainter;

// Pictures of a colour map as files: what the window shows at a chosen size, through the one map
// painter. The desktop program's File > Export Map and `daxara-cli render` both write them.
enum class EMapPicture { Png, Svg, Pdf };

// The format a file name asks for by its extension (any case); nothing for another one.
std::optional<EMapPicture> MapPictureFormat(const QString& path);

// The window's picture on any painter: the view must be fitted to its client size; the band,
// frequency and mode texts stand in the combo box strip.
void PaintMapPicture(QPainter& painter, CDAXDoc& doc, const CColorMapViewModel& view);

// Writes the view's picture at its client size (width x height pixels) in the format, through a
// temporary file beside the target; false with the reason when it cannot. A PDF is one page of
// the picture's size at 96 pixels per inch, with the texts as text.
bool WriteMapPicture(const QString& path, EMapPicture format, CDAXDoc& doc,
                     const CColorMapViewModel& view, int width, int height, QString& error);
