#pragma once

#include "dialogs/ArrangementDialog.h"

#include <array>

class CQL9ArrangementForm;
class QGroupBox;
class QLabel;

// "Properties for QL-9": the box count, and the modules top to bottom in four boxes with the
// angle mode of each junction beside the gap between its two modules; the junction between two
// boxes sits in the "MR-JT1" joint between them.
class CQL9ModuleArrangementDialog1 : public CArrangementDialog {
    Q_OBJECT
public:
    CQL9ModuleArrangementDialog1(CQL9ArrangementForm& form, QWidget* parent = nullptr);

private:
    void Sync() override;

    static constexpr int kModules = 16;
    static constexpr int kBoxes = 4;
    CQL9ArrangementForm& m_form;
    CArrangementCombo* m_count = nullptr;
    std::array<CArrangementCombo*, kModules - 1> m_junctions{};
    std::array<QLabel*, kModules> m_modules{};
    std::array<QGroupBox*, kBoxes> m_boxes{};
    std::array<QGroupBox*, kBoxes - 1> m_joints{};
};
