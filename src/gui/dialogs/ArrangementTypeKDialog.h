#pragma once

#include "dialogs/ArrangementDialog.h"

class CTypeKArrangementForm;

// The KV-K dialog: one or two cabinets, the first of any type the count allows, the second
// always a K3L.
class CTypeKModuleArrangementDialog : public CArrangementDialog {
    Q_OBJECT
public:
    CTypeKModuleArrangementDialog(CTypeKArrangementForm& form, QWidget* parent = nullptr);

private:
    void Sync() override;

    CTypeKArrangementForm& m_form;
    CArrangementCombo* m_count = nullptr;
    CArrangementCombo* m_first = nullptr;
    CArrangementCombo* m_second = nullptr;
};
