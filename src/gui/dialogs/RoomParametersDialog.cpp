#include "dialogs/RoomParametersDialog.h"

#include "paint/GuiText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {
using Form = CRoomParametersForm;

const char* const kFieldNames[Form::kFieldCount] = {
    "roomZeroX",  "roomZeroY",  "roomLength",   "roomWidth",  "roomHeight",
    "gridPitchX", "gridPitchY", "planeA",       "planeB",     "planeC",
    "planeD",     "planeE",     "colorMaximum", "colorPitch", "dotPitch"};

} // namespace

CPropertyDialog1::CPropertyDialog1(CRoomParametersForm& form, QWidget* parent)
    : CFormDialog(parent, form.Title(), form.CancelVisible()), m_form(form),
      m_name(new QLineEdit(ToQString(form.projectName), this)),
      m_date(new QLineEdit(ToQString(form.projectDate), this)), m_unit(new QComboBox(this)),
      m_orientation(new QComboBox(this)),
      m_sameAsRoom(new QCheckBox(ToQString(Form::SameAsRoomLabel()), this)),
      m_halfSpace(new QRadioButton(ToQString(Form::HalfSpaceLabel()), this)),
      m_fullSpace(new QRadioButton(ToQString(Form::FullSpaceLabel()), this)) {
    setObjectName("roomParametersDialog");
    m_name->setObjectName("projectName");
    m_date->setObjectName("date");
    m_unit->setObjectName("unit");
    m_orientation->setObjectName("orientation");
    m_sameAsRoom->setObjectName("sameAsRoom");
    m_halfSpace->setObjectName("halfSpace");
    m_fullSpace->setObjectName("fullSpace");
    FillCombo(m_unit, form.UnitCombo());
    FillCombo(m_orientation, form.OrientationCombo());
    m_sameAsRoom->setChecked(form.SameAsRoomChecked());
    (form.halfSpaceChecked ? m_halfSpace : m_fullSpace)->setChecked(true);

    auto* project = new QFormLayout;
    project->addRow(ToQString(Form::ProjectNameLabel()), m_name);
    project->addRow(ToQString(Form::DateLabel()), m_date);
    project->addRow(ToQString(Form::UnitsLabel()), m_unit);
    Body()->addLayout(project);

    const std::array<std::string, 3> groups = Form::GroupLabels();
    auto addGroup = [&](const std::string& title, std::initializer_list<Form::Edit> edits,
                        auto before, auto after) {
        auto* box = new QGroupBox(ToQString(title), this);
        auto* grid = new QGridLayout(box);
        int row = before(grid);
        for (Form::Edit edit : edits)
            m_fields[edit] = AddField(grid, row++, form.Field(edit), kFieldNames[edit]);
        after(grid, row);
        Body()->addWidget(box);
    };
    auto nothingBefore = [](QGridLayout*) { return 0; };
    addGroup(groups[0],
             {Form::kRoomZeroX, Form::kRoomZeroY, Form::kRoomLength, Form::kRoomWidth,
              Form::kRoomHeight, Form::kGridPitchX, Form::kGridPitchY},
             nothingBefore, [&](QGridLayout* grid, int row) {
                 grid->addWidget(m_halfSpace, row, 0, 1, 3);
                 grid->addWidget(m_fullSpace, row + 1, 0, 1, 3);
             });
    addGroup(
        groups[1], {Form::kPlaneA, Form::kPlaneB, Form::kPlaneC, Form::kPlaneD, Form::kPlaneE},
        [&](QGridLayout* grid) {
            grid->addWidget(m_orientation, 0, 0, 1, 3);
            grid->addWidget(m_sameAsRoom, 1, 0, 1, 3);
            return 2;
        },
        [](QGridLayout*, int) {});
    addGroup(groups[2], {Form::kColorMaximum, Form::kColorPitch, Form::kDotPitch}, nothingBefore,
             [](QGridLayout*, int) {});
    ShowFields(false);

    connect(m_unit, &QComboBox::currentIndexChanged, this, &CPropertyDialog1::UnitChosen);
    connect(m_orientation, &QComboBox::currentIndexChanged, this,
            &CPropertyDialog1::OrientationChosen);
    connect(m_sameAsRoom, &QCheckBox::toggled, this, &CPropertyDialog1::SameAsRoomToggled);
}

void CPropertyDialog1::ReadFields() {
    for (int f = 0; f < Form::kFieldCount; ++f)
        m_fields[f].Read(m_form.Field(static_cast<Form::Edit>(f)));
}

void CPropertyDialog1::ShowFields(bool texts) {
    for (int f = 0; f < Form::kFieldCount; ++f) {
        const Form::Edit edit = static_cast<Form::Edit>(f);
        m_fields[f].ShowAttributes(m_form.Field(edit));
        if (texts)
            m_fields[f].ShowText(m_form.Field(edit));
        m_fields[f].edit->setEnabled(m_form.Enabled(edit));
    }
}

void CPropertyDialog1::UnitChosen(int unit) {
    ReadFields();
    std::string message;
    if (!m_form.SelectUnit(unit, &message)) {
        // The lengths stay as typed and the unit as it was until they read as numbers.
        const QSignalBlocker block(m_unit);
        m_unit->setCurrentIndex(m_form.UnitCombo().selection);
        ShowMessage(message);
        return;
    }
    ShowMessage({});
    ShowFields(true);
}

void CPropertyDialog1::OrientationChosen(int orientation) {
    ReadFields();
    m_form.SelectOrientation(orientation);
    ShowFields(false);
}

void CPropertyDialog1::SameAsRoomToggled(bool checked) {
    m_form.SetSameAsRoom(checked);
    ShowFields(false);
}

bool CPropertyDialog1::Validate(std::string& message) {
    ReadFields();
    m_form.projectName = ToCoreText(m_name->text());
    m_form.projectDate = ToCoreText(m_date->text());
    m_form.halfSpaceChecked = m_halfSpace->isChecked();
    m_form.SetSameAsRoom(m_sameAsRoom->isChecked());
    return m_form.Accept(&message);
}
