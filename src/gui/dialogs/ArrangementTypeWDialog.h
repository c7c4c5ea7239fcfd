#pragma once

#include "dialogs/ArrangementDialog.h"

class CTypeWArrangementForm;
class QCheckBox;

// The KV-W5 dialog: an editable, sorted cabinet count and the "KV-W5S" bottom option. A typed
// count must be one of the offered entries; anything else is refused and the dialog stays open.
class CTypeWModuleArrangementDialog1 : public CArrangementDialog {
    Q_OBJECT
public:
    CTypeWModuleArrangementDialog1(CTypeWArrangementForm& form, QWidget* parent = nullptr);

    void accept() override;

private:
    void Sync() override;

    CTypeWArrangementForm& m_form;
    CArrangementCombo* m_count = nullptr;
    QCheckBox* m_bottom = nullptr;
};
