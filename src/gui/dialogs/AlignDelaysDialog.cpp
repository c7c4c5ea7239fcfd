#include "dialogs/AlignDelaysDialog.h"

#include "paint/GuiText.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>

namespace {
using Form = CAlignDelaysForm;

} // namespace

CAlignDelaysDialog::CAlignDelaysDialog(CAlignDelaysForm& form, QWidget* parent)
    : CFormDialog(parent, form.Title(), true), m_form(form), m_fills(new QListWidget(this)),
      m_main(new QComboBox(this)), m_point(new QComboBox(this)) {
    setObjectName("alignDelaysDialog");
    m_fills->setObjectName("fills");
    m_main->setObjectName("main");
    m_point->setObjectName("point");
    for (const std::string& item : form.InstallationItems())
        m_fills->addItem(ToQString(item));
    FillCombo(m_main, form.MainCombo());
    FillCombo(m_point, form.PointCombo());

    auto* grid = new QGridLayout;
    auto addRow = [&](int row, const std::string& label, QWidget* widget) {
        auto* text = new QLabel(ToQString(label), this);
        text->setBuddy(widget);
        grid->addWidget(text, row, 0, Qt::AlignTop);
        grid->addWidget(widget, row, 1, 1, 2);
    };
    addRow(0, Form::FillsLabel(), m_fills);
    addRow(1, Form::MainLabel(), m_main);
    addRow(2, Form::PointLabel(), m_point);
    const char* const names[] = {"x", "y", "z", "offset"};
    for (int e = 0; e < Form::kEditCount; ++e)
        m_fields[e] = AddField(grid, 3 + e, form.Field(static_cast<Form::Edit>(e)), names[e]);
    Body()->addLayout(grid);
    ShowTicks();
    ShowPoint();

    connect(m_fills, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        m_form.SetFill(m_fills->row(item), item->checkState() == Qt::Checked);
        ShowTicks();
    });
    connect(m_main, &QComboBox::currentIndexChanged, this, [this](int index) {
        m_form.SelectMain(index);
        ShowTicks();
    });
    connect(m_point, &QComboBox::currentIndexChanged, this, [this](int index) {
        for (int e = Form::kX; e <= Form::kZ; ++e)
            m_fields[e].Read(m_form.Field(static_cast<Form::Edit>(e)));
        m_form.SelectPoint(index);
        ShowPoint();
    });
}

void CAlignDelaysDialog::ShowTicks() {
    const QSignalBlocker block(m_fills);
    for (int i = 0; i < m_fills->count(); ++i) {
        QListWidgetItem* item = m_fills->item(i);
        const bool main = i == m_form.MainCombo().selection;
        // The main installation is the one the others follow: it cannot be ticked.
        item->setFlags(main ? Qt::ItemIsSelectable
                            : Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(m_form.IsFill(i) ? Qt::Checked : Qt::Unchecked);
    }
}

void CAlignDelaysDialog::ShowPoint() {
    // A marked point gives its position; only a typed one is edited.
    const bool typed = m_form.PointTyped();
    for (int e = Form::kX; e <= Form::kZ; ++e) {
        m_fields[e].ShowText(m_form.Field(static_cast<Form::Edit>(e)));
        m_fields[e].edit->setEnabled(typed);
    }
}

bool CAlignDelaysDialog::Validate(std::string& message) {
    for (int e = 0; e < Form::kEditCount; ++e)
        m_fields[e].Read(m_form.Field(static_cast<Form::Edit>(e)));
    return m_form.Accept(&message);
}
