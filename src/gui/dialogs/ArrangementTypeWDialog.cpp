#include "dialogs/ArrangementTypeWDialog.h"

#include "paint/GuiText.h"
#include "project/arrangement/ArrangementStrings.h"
#include "project/arrangement/TypeWArrangementForm.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>

CTypeWModuleArrangementDialog1::CTypeWModuleArrangementDialog1(CTypeWArrangementForm& form,
                                                               QWidget* parent)
    : CArrangementDialog(form, ToQString(std::string(ArrangementStrings::kCaptionPrefix) + ArrangementStrings::kTypeWFamily), QSize(210, 258),
                         parent),
      m_form(form) {
    m_count = new CArrangementCombo(true, this);
    m_count->setObjectName(QStringLiteral("count"));
    m_count->setEditable(true);
    m_count->setInsertPolicy(QComboBox::NoInsert);
    AddCountRow(ToQString(ArrangementStrings::kBoxCount), m_count);
    connect(m_count, &CArrangementCombo::Chosen, this,
            [this](int s) { Act([&] { m_form.SelectCount(s); }); });

    auto* group = new QGroupBox(ToQString(ArrangementStrings::kTypeWGroup), this);
    auto* inside = new QVBoxLayout(group);
    m_bottom = new QCheckBox(ToQString(ArrangementStrings::kTypeWBottom), group);
    m_bottom->setObjectName(QStringLiteral("bottom"));
    inside->addWidget(m_bottom);
    Controls()->addWidget(group);
    Controls()->addStretch(1);
    connect(m_bottom, &QCheckBox::clicked, this,
            [this](bool ticked) { Act([&] { m_form.SetBottomOption(ticked); }); });
    Refresh();
}

void CTypeWModuleArrangementDialog1::Sync() {
    m_count->Show(m_form.CountCombo());
    m_bottom->setChecked(m_form.BottomOption());
}

void CTypeWModuleArrangementDialog1::accept() {
    // A count typed but not yet taken: take it when it is an offered entry, refuse it otherwise.
    const QString typed = m_count->currentText().trimmed();
    if (typed != m_count->itemText(m_count->currentIndex())) {
        const int row = m_count->findText(typed, Qt::MatchFixedString);
        if (row < 0) {
            ShowProblem(ToQString(ArrangementStrings::CountNotOffered(ToCoreText(typed))));
            m_count->lineEdit()->selectAll();
            m_count->setFocus();
            return;
        }
        if (row != m_count->currentIndex())
            m_count->setCurrentIndex(row); // the form takes it through Chosen
        else
            Refresh();
    }
    CArrangementDialog::accept();
}
