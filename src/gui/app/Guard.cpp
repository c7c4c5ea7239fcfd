#include "app/Guard.h"

#include "app/QtMessagePort.h"
#include "common/Errors.h"
#include "project/Strings.h"

#include <QMessageBox>

#include <exception>
#include <new>

namespace {

void Report(QWidget* parent, const char* lead, const char* what) noexcept {
    try {
        QString text = QString::fromUtf8(lead) + QString::fromUtf8(what);
        if (!text.endsWith('.'))
            text += '.';
        QMessageBox::critical(parent, kAppMessageTitle, text);
    } catch (...) {
        // Nothing more can be said when even the message box fails.
    }
}

} // namespace

bool RunGuarded(QWidget* parent, const std::function<void()>& step) noexcept {
    try {
        step();
        return true;
    } catch (const CBadData& e) {
        Report(parent, Strings::kCommandNotCompleted, e.what());
    } catch (const std::bad_alloc&) {
        Report(parent, Strings::kCommandNotCompleted, Strings::kNotEnoughMemory);
    } catch (const std::exception& e) {
        Report(parent, Strings::kProgramFault, e.what());
    } catch (...) {
        Report(parent, Strings::kProgramFault, "an unknown exception");
    }
    return false;
}
