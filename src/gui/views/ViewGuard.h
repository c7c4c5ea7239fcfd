#pragma once

#include <QMessageBox>
#include <QWidget>

#include <exception>
#include <new>

// Runs a call from an event handler into the core. Whatever it throws ends that action with a
// message; nothing thrown reaches the event loop.
template <class F> bool RunViewGuarded(QWidget* parent, F&& call) {
    QString reason;
    try {
        call();
        return true;
    } catch (const std::bad_alloc&) {
        reason = QStringLiteral("not enough memory");
    } catch (const std::exception& e) {
        reason = QString::fromLocal8Bit(e.what());
    } catch (...) {
        reason = QStringLiteral("an unexpected error");
    }
    QMessageBox::warning(parent, QStringLiteral("Daxara"),
                         QStringLiteral("The action could not be completed: %1.").arg(reason));
    return false;
}
