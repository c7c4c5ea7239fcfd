#include "dialogs/ArrangementQL9Dialog.h"

#include "paint/GuiText.h"
#include "project/arrangement/ArrangementStrings.h"
#include "project/arrangement/QL9ArrangementForm.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>

namespace {
// A module drawn as a framed tile with its name, as high as a junction combo, so that each
// junction combo straddles the line between two tiles.
QLabel* ModuleFrame(const QString& title, QWidget* parent) {
    auto* tile = new QLabel(title, parent);
    tile->setFrameStyle(QFrame::Box | QFrame::Plain);
    tile->setMargin(tile->fontMetrics().height() / 3);
    return tile;
}
} // namespace

CQL9ModuleArrangementDialog1::CQL9ModuleArrangementDialog1(CQL9ArrangementForm& form,
                                                           QWidget* parent)
    : CArrangementDialog(form, ToQString(ArrangementStrings::kQL9Caption), QSize(210, 305), parent),
      m_form(form) {
    static_assert(kModules == CQL9ArrangementForm::kMaxModules);
    static_assert(kBoxes == CQL9ArrangementForm::kBoxes);
    const int perBox = CQL9ArrangementForm::kModulesPerBox;

    m_count = new CArrangementCombo(false, this);
    m_count->setObjectName(QStringLiteral("count"));
    AddCountRow(ToQString(ArrangementStrings::kQL9BoxCount), m_count);
    connect(m_count, &CArrangementCombo::Chosen, this,
            [this](int s) { Act([&] { m_form.SelectCount(s); }); });

    for (int k = 0; k < kModules - 1; ++k) {
        auto* combo = new CArrangementCombo(false, this);
        combo->setObjectName(QStringLiteral("junction%1").arg(k));
        connect(combo, &CArrangementCombo::Chosen, this,
                [this, k](int mode) { Act([&] { m_form.SelectJunction(k, mode); }); });
        m_junctions[static_cast<std::size_t>(k)] = combo;
    }

    for (int b = 0; b < kBoxes; ++b) {
        auto* box = new QGroupBox(ToQString(ArrangementStrings::QL9BoxLabel(b)), this);
        box->setObjectName(QStringLiteral("box%1").arg(b));
        auto* grid = new QGridLayout(box);
        grid->setColumnStretch(0, 1);
        grid->setVerticalSpacing(2);
        // Module r fills rows 2r and 2r+1; the junction below it straddles rows 2r+1 and 2r+2.
        for (int r = 0; r < perBox; ++r) {
            const int row = b * perBox + r;
            QLabel* module = ModuleFrame(ToQString(ArrangementStrings::QL9ModuleLabel(row)), box);
            module->setObjectName(QStringLiteral("module%1").arg(row));
            grid->addWidget(module, 2 * r, 0, 2, 1);
            m_modules[static_cast<std::size_t>(row)] = module;
            if (r + 1 < perBox)
                grid->addWidget(m_junctions[static_cast<std::size_t>(row)], 2 * r + 1, 1, 2, 1,
                                Qt::AlignVCenter);
        }
        Controls()->addWidget(box);
        m_boxes[static_cast<std::size_t>(b)] = box;
        if (b + 1 < kBoxes) {
            auto* joint = new QGroupBox(ToQString(ArrangementStrings::kQL9Joint), this);
            joint->setObjectName(QStringLiteral("joint%1").arg(b));
            auto* line = new QHBoxLayout(joint);
            line->addStretch(1);
            line->addWidget(m_junctions[static_cast<std::size_t>(b * perBox + perBox - 1)]);
            Controls()->addWidget(joint);
            m_joints[static_cast<std::size_t>(b)] = joint;
        }
    }
    Controls()->addStretch(1);
    Refresh();
}

void CQL9ModuleArrangementDialog1::Sync() {
    m_count->Show(m_form.CountCombo());
    for (int k = 0; k < kModules - 1; ++k)
        m_junctions[static_cast<std::size_t>(k)]->Show(m_form.JunctionCombo(k));
    for (int r = 0; r < kModules; ++r)
        m_modules[static_cast<std::size_t>(r)]->setVisible(r < m_form.ShownModuleGroups());
    for (int b = 0; b < kBoxes; ++b)
        m_boxes[static_cast<std::size_t>(b)]->setVisible(b < m_form.ShownBoxGroups());
    for (int b = 0; b < kBoxes - 1; ++b)
        m_joints[static_cast<std::size_t>(b)]->setVisible(b < m_form.ShownJointGroups());
}
