#pragma once

#include <functional>

class QWidget;

// The one guard of the desktop program: every event handler that calls into the core runs the
// call through it, so nothing thrown travels through the event loop. Bad data (CBadData) and
// memory running out end that action with "The command could not be completed: <why>."; any
// other exception is a fault of the program and is reported as one. Both are shown in a message
// box over `parent` with the program's title. False when the call threw.
bool RunGuarded(QWidget* parent, const std::function<void()>& step) noexcept;
