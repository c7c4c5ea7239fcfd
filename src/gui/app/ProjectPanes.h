#pragma once

class CDAXDoc;
class QWidget;

// The five panes of a project window.
enum class EPane { SpeakerList, TapList, SoundGraph, ColorMap, Installations };
inline constexpr int kPaneCount = 5;

// Creates one pane of a project window, registered with its document as a view.
QWidget* CreatePane(EPane pane, CDAXDoc& document, QWidget* parent);
