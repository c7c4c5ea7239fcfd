#include "dialogs/InstallationDialog.h"

#include "paint/GuiText.h"
#include "project/Strings.h"
#include "project/forms/InstallationForm.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {
const char* const kFieldNames[] = {"x",         "y",        "z",     "azimuth",
                                   "elevation", "rotation", "power", "delay"};
}

CInstallationDialog1::CInstallationDialog1(CInstallationForm& form, QWidget* parent)
    : CFormDialog(parent, form.Title(), true), m_form(form), m_polarity(new QComboBox(this)),
      m_tap(new QComboBox(this)) {
    setObjectName("installationDialog");
    auto* grid = new QGridLayout;
    for (int row = 0; row < CInstallationForm::kRowCount; ++row)
        m_fields[row] = AddField(grid, row, form.Field(static_cast<CInstallationForm::Row>(row)),
                                 kFieldNames[row]);
    auto* polarityLabel = new QLabel(ToQString(Strings::kPolarityLabel), this);
    polarityLabel->setBuddy(m_polarity);
    m_polarity->setObjectName("polarity");
    for (const std::string& item : form.PolarityItems())
        m_polarity->addItem(ToQString(item));
    m_polarity->setCurrentIndex(form.polaritySelection);
    polarityLabel->setVisible(form.PolarityVisible());
    m_polarity->setVisible(form.PolarityVisible());
    grid->addWidget(polarityLabel, CInstallationForm::kRowCount, 0);
    grid->addWidget(m_polarity, CInstallationForm::kRowCount, 1);

    // The installation's own tap: choosing another brings its power into the power row.
    auto* tapLabel = new QLabel(ToQString(Strings::kTapLabel), this);
    m_tap->setObjectName("tap");
    tapLabel->setBuddy(m_tap);
    for (const std::string& item : form.TapItems())
        m_tap->addItem(ToQString(item));
    m_tap->setCurrentIndex(form.TapSelection());
    tapLabel->setVisible(form.TapVisible());
    m_tap->setVisible(form.TapVisible());
    grid->addWidget(tapLabel, CInstallationForm::kRowCount + 1, 0);
    grid->addWidget(m_tap, CInstallationForm::kRowCount + 1, 1);
    connect(m_tap, qOverload<int>(&QComboBox::activated), this, [this](int row) {
        if (m_form.SelectTap(row))
            m_fields[CInstallationForm::kPower].ShowText(m_form.Field(CInstallationForm::kPower));
    });
    Body()->addLayout(grid);
}

bool CInstallationDialog1::Validate(std::string& message) {
    for (int row = 0; row < CInstallationForm::kRowCount; ++row)
        m_fields[row].Read(m_form.Field(static_cast<CInstallationForm::Row>(row)));
    m_form.polaritySelection = m_polarity->currentIndex();
    return m_form.Accept(&message);
}
