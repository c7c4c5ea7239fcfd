#pragma once

#include <QCursor>
#include <QIcon>
#include <QImage>

// The program's own pictures, painted from vector shapes so they stay sharp at any screen scale.
// Numbers are the resource numbers the program has always used for them.
enum class EDaxIcon {
    Application = 128,
    Speaker = 130,        // an installed speaker on the map
    CurrentSpeaker = 141, // the document's current installation
};

enum class EDaxCursor {
    OverSpeaker = 131,  // the pointer rests on a speaker
    PressSpeaker = 132, // the right button went down on a speaker
    DragSpeaker = 133,  // a speaker is being dragged
};

// The icon at `logicalSize` pixels for a device pixel ratio; the image carries that ratio.
QImage DaxIconImage(EDaxIcon icon, int logicalSize, qreal devicePixelRatio = 1.0);
// The icon at the usual sizes (16 to 256 pixels).
QIcon DaxIcon(EDaxIcon icon);
// A 32 x 32 cursor painted at the ratio of the screen it is shown on.
QCursor DaxCursor(EDaxCursor cursor, qreal devicePixelRatio = 1.0);
