#include "dialogs/AutoInstallationDialog.h"

#include "paint/GuiText.h"
#include "project/forms/AutoInstallationForm.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {
using Form = CAutoInstallationForm;

} // namespace

CAutoInstallationDialog1::CAutoInstallationDialog1(CAutoInstallationForm& form, QWidget* parent)
    : CFormDialog(parent, form.Title(), true), m_form(form), m_pattern(new QComboBox(this)),
      m_shape(new QComboBox(this)), m_band(new QComboBox(this)), m_frequency(new QComboBox(this)),
      m_bandEdges(new QLabel(this)) {
    setObjectName("autoInstallationDialog");
    m_pattern->setObjectName("pattern");
    m_shape->setObjectName("shape");
    m_band->setObjectName("band");
    m_frequency->setObjectName("frequency");
    m_bandEdges->setObjectName("bandEdges");
    FillCombo(m_pattern, form.PatternCombo());
    FillCombo(m_shape, form.ShapeCombo());
    FillCombo(m_band, form.BandCombo());

    auto* grid = new QGridLayout;
    auto addCombo = [&](int row, const std::string& label, QComboBox* combo, bool visible) {
        auto* text = new QLabel(ToQString(label), this);
        text->setBuddy(combo);
        grid->addWidget(text, row, 0);
        grid->addWidget(combo, row, 1, 1, 2);
        text->setVisible(visible);
        combo->setVisible(visible);
    };
    addCombo(0, Form::DensityLabel(), m_pattern, true);
    addCombo(1, Form::ShapeLabel(), m_shape, true);
    const char* const names[] = {"azimuth", "elevation", "rotation", "height"};
    for (int e = 0; e < Form::kEditCount; ++e)
        m_fields[e] = AddField(grid, 2 + e, form.Field(static_cast<Form::Edit>(e)), names[e]);
    const bool judgment = form.JudgmentVisible();
    addCombo(6, Form::BandLabel(), m_band, judgment);
    addCombo(7, Form::FrequencyLabel(), m_frequency, judgment);
    grid->addWidget(m_bandEdges, 8, 1, 1, 2);
    m_bandEdges->setVisible(judgment);
    Body()->addLayout(grid);
    ShowFrequencies();

    connect(m_pattern, &QComboBox::currentIndexChanged, this,
            [this](int index) { m_form.SelectPattern(index); });
    connect(m_shape, &QComboBox::currentIndexChanged, this,
            [this](int index) { m_form.SelectShape(index); });
    connect(m_band, &QComboBox::currentIndexChanged, this, [this](int index) {
        m_form.SelectBand(index);
        ShowFrequencies();
    });
    connect(m_frequency, &QComboBox::currentIndexChanged, this, [this](int index) {
        m_form.SelectFrequency(index);
        m_bandEdges->setText(ToQString(m_form.BandEdgeText()));
    });
}

void CAutoInstallationDialog1::ShowFrequencies() {
    FillCombo(m_frequency, m_form.FrequencyCombo());
    m_bandEdges->setText(ToQString(m_form.BandEdgeText()));
}

bool CAutoInstallationDialog1::Validate(std::string& message) {
    for (int e = 0; e < Form::kEditCount; ++e)
        m_fields[e].Read(m_form.Field(static_cast<Form::Edit>(e)));
    return m_form.Accept(&message);
}
