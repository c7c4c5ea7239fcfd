#include "dialogs/ArrangementTypeKDialog.h"

#include "paint/GuiText.h"
#include "project/arrangement/ArrangementStrings.h"
#include "project/arrangement/TypeKArrangementForm.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>

CTypeKModuleArrangementDialog::CTypeKModuleArrangementDialog(CTypeKArrangementForm& form,
                                                             QWidget* parent)
    : CArrangementDialog(form, ToQString(std::string(ArrangementStrings::kCaptionPrefix) + ArrangementStrings::kTypeKFamily), QSize(182, 272),
                         parent),
      m_form(form) {
    m_count = new CArrangementCombo(false, this);
    m_count->setObjectName(QStringLiteral("count"));
    AddCountRow(ToQString(ArrangementStrings::kBoxCount), m_count);
    connect(m_count, &CArrangementCombo::Chosen, this,
            [this](int s) { Act([&] { m_form.SelectCount(s); }); });

    auto* box = new QGroupBox(ToQString(ArrangementStrings::kTypeKGroup), this);
    auto* grid = new QGridLayout(box);
    m_first = new CArrangementCombo(false, box);
    m_first->setObjectName(QStringLiteral("cabinet0"));
    m_second = new CArrangementCombo(false, box);
    m_second->setObjectName(QStringLiteral("cabinet1"));
    CArrangementCombo* combos[2] = {m_first, m_second};
    for (int i = 0; i < 2; ++i) {
        auto* label = new QLabel(ToQString(ArrangementStrings::CabinetLabel(i)), box);
        label->setBuddy(combos[i]);
        grid->addWidget(label, i, 0);
        grid->addWidget(combos[i], i, 1);
    }
    grid->setColumnStretch(2, 1);
    connect(m_first, &CArrangementCombo::Chosen, this,
            [this](int index) { Act([&] { m_form.SelectFirstCabinet(index); }); });
    connect(m_second, &CArrangementCombo::Chosen, this,
            [this](int index) { Act([&] { m_form.SelectSecondCabinet(index); }); });
    Controls()->addWidget(box);
    Controls()->addStretch(1);
    Refresh();
}

void CTypeKModuleArrangementDialog::Sync() {
    m_count->Show(m_form.CountCombo());
    m_first->Show(m_form.FirstCabinetCombo());
    m_second->Show(m_form.SecondCabinetCombo());
}
