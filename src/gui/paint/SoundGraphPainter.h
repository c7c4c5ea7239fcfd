#pragma once

#include <QPainter>

struct CSoundGraphCondition;

// Draws one frequency response entry (grid, axis labels and curves) at its current scales onto
// any painter: a window, a printer page or an image. `fontHeight` is the text height in the
// painter's units (12 on screen).
void PaintSoundGraph(QPainter& painter, const CSoundGraphCondition& entry, int fontHeight);
