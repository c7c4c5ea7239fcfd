#pragma once

#include <QIcon>
#include <QImage>

class QPainter;

// Toolbar and window icons. File, print, zoom and help buttons take the desktop theme's icon when
// the theme has one; everything else, and every button on a desktop without a theme, uses our own
// drawings, painted at several sizes so they stay crisp at any scale.
QIcon CommandIcon(int commandId);
// Our own drawing of a command, whatever the theme offers; null for a command without a drawing.
QIcon DrawnCommandIcon(int commandId);
// The program's icon, at the usual sizes, and as one image for the installed icon theme.
QIcon ApplicationIcon();
QImage PaintApplicationImage(int size);

// The drawing of a command in a 16 x 16 design box scaled to the painter's target; false when
// the command has none.
bool PaintCommandGlyph(QPainter& painter, int commandId, int size);
