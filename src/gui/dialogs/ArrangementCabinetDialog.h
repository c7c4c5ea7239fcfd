#pragma once

#include "dialogs/ArrangementDialog.h"

#include <vector>

class CCabinetArrangementForm;
class CTypePArrangementForm;
class CTypeRArrangementForm;

// The KV-P10 and KV-R6 dialogs: the cabinet count, then one row per cabinet ("1:", its type)
// with the angle of each junction beside the gap between its two cabinets. Combos of cabinets
// not hung are disabled, not hidden.
class CCabinetModuleArrangementDialog : public CArrangementDialog {
    Q_OBJECT
protected:
    struct CSorting {
        bool count;
        bool cabinets;
        bool junctions;
    };
    CCabinetModuleArrangementDialog(CCabinetArrangementForm& form, const char* group,
                                    CSorting sorting, QSize previewUnits, QWidget* parent);

private:
    void Sync() override;

    CCabinetArrangementForm& m_form;
    CArrangementCombo* m_count = nullptr;
    std::vector<CArrangementCombo*> m_cabinets;
    std::vector<CArrangementCombo*> m_junctions;
};

class CTypePModuleArrangementDialog1 : public CCabinetModuleArrangementDialog {
    Q_OBJECT
public:
    CTypePModuleArrangementDialog1(CTypePArrangementForm& form, QWidget* parent = nullptr);
};

class CTypeRModuleArrangementDialog1 : public CCabinetModuleArrangementDialog {
    Q_OBJECT
public:
    CTypeRModuleArrangementDialog1(CTypeRArrangementForm& form, QWidget* parent = nullptr);
};
