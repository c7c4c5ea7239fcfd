#include "dialogs/ArrangementCabinetDialog.h"

#include "paint/GuiText.h"
#include "project/arrangement/ArrangementStrings.h"
#include "project/arrangement/CabinetArrangementForm.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>

CCabinetModuleArrangementDialog::CCabinetModuleArrangementDialog(CCabinetArrangementForm& form,
                                                                 const char* group,
                                                                 CSorting sorting,
                                                                 QSize previewUnits,
                                                                 QWidget* parent)
    : CArrangementDialog(form, ToQString(std::string(ArrangementStrings::kCaptionPrefix) + group), previewUnits,
                         parent),
      m_form(form) {
    m_count = new CArrangementCombo(sorting.count, this);
    m_count->setObjectName(QStringLiteral("count"));
    AddCountRow(ToQString(ArrangementStrings::kBoxCount), m_count);
    connect(m_count, &CArrangementCombo::Chosen, this,
            [this](int s) { Act([&] { m_form.SelectCount(s); }); });

    auto* box = new QGroupBox(ToQString(group), this);
    auto* grid = new QGridLayout(box);
    grid->addWidget(new QLabel(ToQString(ArrangementStrings::kCabinet), box), 0, 1);
    grid->addWidget(new QLabel(ToQString(ArrangementStrings::kAngle), box), 0, 2);
    // Cabinet i fills rows 2i+1 and 2i+2; junction i, below it, straddles rows 2i+2 and 2i+3.
    const int cabinets = form.MaxCabinets();
    for (int i = 0; i < cabinets; ++i) {
        auto* combo = new CArrangementCombo(sorting.cabinets, box);
        combo->setObjectName(QStringLiteral("cabinet%1").arg(i));
        auto* label = new QLabel(ToQString(ArrangementStrings::CabinetLabel(i)), box);
        label->setBuddy(combo);
        grid->addWidget(label, 2 * i + 1, 0, 2, 1);
        grid->addWidget(combo, 2 * i + 1, 1, 2, 1);
        connect(combo, &CArrangementCombo::Chosen, this,
                [this, i](int type) { Act([&] { m_form.SelectCabinet(i, type); }); });
        m_cabinets.push_back(combo);
    }
    for (int j = 0; j + 1 < cabinets; ++j) {
        auto* combo = new CArrangementCombo(sorting.junctions, box);
        combo->setObjectName(QStringLiteral("junction%1").arg(j));
        grid->addWidget(combo, 2 * j + 2, 2, 2, 1);
        connect(combo, &CArrangementCombo::Chosen, this,
                [this, j](int angle) { Act([&] { m_form.SelectJunction(j, angle); }); });
        m_junctions.push_back(combo);
    }
    Controls()->addWidget(box);
    Controls()->addStretch(1);
    Refresh();
}

void CCabinetModuleArrangementDialog::Sync() {
    m_count->Show(m_form.CountCombo());
    for (std::size_t i = 0; i < m_cabinets.size(); ++i)
        m_cabinets[i]->Show(m_form.CabinetCombo(static_cast<int>(i)));
    for (std::size_t j = 0; j < m_junctions.size(); ++j)
        m_junctions[j]->Show(m_form.JunctionCombo(static_cast<int>(j)));
}

CTypePModuleArrangementDialog1::CTypePModuleArrangementDialog1(CTypePArrangementForm& form,
                                                               QWidget* parent)
    // The junction entries come in the order of their angles; sorting their texts would put
    // "10deg" before "5deg".
    : CCabinetModuleArrangementDialog(form, ArrangementStrings::kTypePGroup, {true, true, false},
                                      QSize(182, 275), parent) {}

CTypeRModuleArrangementDialog1::CTypeRModuleArrangementDialog1(CTypeRArrangementForm& form,
                                                               QWidget* parent)
    : CCabinetModuleArrangementDialog(form, ArrangementStrings::kTypeRGroup, {false, false, false},
                                      QSize(182, 275), parent) {}
