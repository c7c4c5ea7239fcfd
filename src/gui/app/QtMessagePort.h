#pragma once

#include "project/Ports.h"
#include "project/Strings.h"

#include <QPointer>
#include <QWidget>

// The document's notices and questions as message boxes over the project window, all titled as
// the program's own message dialog.
class CQtMessagePort : public CMessagePort {
public:
    explicit CQtMessagePort(QWidget* parent) : m_parent(parent) {}

    bool Confirm(const std::string& text) override;
    void Inform(const std::string& text) override;
    bool AskWarning(const std::string& text) override;
    void ReportError(const std::string& text) override;
    // The one question before another file, or a file changed on disk, is replaced: the file
    // dialogs never ask it themselves. Keeping the file is the default answer.
    bool ConfirmReplace(EReplace why, const std::string& file, const std::string& text) override;
    void Beep() override;
    void ErrorBeep() override;

private:
    QPointer<QWidget> m_parent;
};

// The caption of every message box that has none of its own, as the message dialog's.
inline constexpr const char* kAppMessageTitle = Strings::kMessageTitle;
