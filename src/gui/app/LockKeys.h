#pragma once

#include <QString>

// The lock keys as the keyboard's LEDs show them. Linux publishes the LEDs under
// /sys/class/leds as "<device>::capslock" and so on; a lock counts as on when any keyboard
// lights it. Without such entries (no keyboard, another system) every lock reads as off.
struct CLockKeys {
    bool caps = false;
    bool num = false;
    bool scroll = false;
};
CLockKeys ReadLockKeys(const QString& ledFolder = "/sys/class/leds");
