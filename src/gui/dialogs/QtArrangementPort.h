#pragma once

#include "project/arrangement/ModuleArrangementDialogs.h"

#include <QPointer>
#include <QWidget>

class CSettingsPort;

// The arrangement port of the desktop program: each family's dialog, modal over `parent`.
// "SpecialUserLevel" is read from the settings port at every run, so a changed settings file
// counts from the next dialog on; without a settings port it is 0.
class CQtArrangementPort : public CModuleArrangementDialogs {
public:
    explicit CQtArrangementPort(QWidget* parent, CSettingsPort* settings = nullptr);

    void SetSettings(CSettingsPort* settings) { m_settings = settings; }
    void SetParent(QWidget* parent) { m_parent = parent; }

    bool Run(CQL9ArrangementForm& form) override;
    bool Run(CTypeWArrangementForm& form) override;
    bool Run(CTypePArrangementForm& form) override;
    bool Run(CTypeRArrangementForm& form) override;
    bool Run(CTypeKArrangementForm& form) override;
    bool SpecialUserLevel() const override;

private:
    template <class Dialog, class Form> bool Exec(Form& form);

    QPointer<QWidget> m_parent;
    CSettingsPort* m_settings = nullptr;
};
