#include "app/Guard.h"

#include "app/QtMessagePort.h"

#include <QMessageBox>

#include <exception>
#include <new>

namespace {

void Report(QWidget* parent, const QString& what) noexcept {
    try {
        QMessageBox::critical(parent, kAppMessageTitle,
                              "The command could not be completed: " + what);
    } catch (...) {
        // Nothing more can be said when even the message box fails.
    }
}

} // namespace

bool RunGuarded(QWidget* parent, const std::function<void()>& step) noexcept {
    try {
        step();
        return true;
    } catch (const std::bad_alloc&) {
        Report(parent, "not enough memory.");
    } catch (const std::exception& e) {
        Report(parent, QString::fromUtf8(e.what()));
    } catch (...) {
        Report(parent, "an unexpected error.");
    }
    return false;
}
