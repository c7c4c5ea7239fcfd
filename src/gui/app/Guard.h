#pragma once

#include <functional>

class QWidget;

// Runs a step of the core from an event handler. Whatever it throws is shown to the user and
// stops there: nothing thrown may travel through the event loop. False when the step threw.
bool RunGuarded(QWidget* parent, const std::function<void()>& step) noexcept;
