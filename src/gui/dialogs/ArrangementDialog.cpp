#include "dialogs/ArrangementDialog.h"

#include "dialogs/ArrangementPreviewWidget.h"
#include "paint/GuiText.h"
#include "project/Strings.h"
#include "project/arrangement/ModuleArrangementForm.h"

#include <QBoxLayout>
#include <QCollator>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMessageBox>
#include <QSignalBlocker>

#include <algorithm>
#include <numeric>

CArrangementCombo::CArrangementCombo(bool sorted, QWidget* parent)
    : QComboBox(parent), m_sorted(sorted) {
    setSizeAdjustPolicy(QComboBox::AdjustToContents);
    connect(this, &QComboBox::currentIndexChanged, this, [this](int row) {
        if (row >= 0)
            emit Chosen(itemData(row).toInt());
    });
}

void CArrangementCombo::Show(const CComboState& state) {
    const QSignalBlocker quiet(this);
    if (state.items != m_items) {
        m_items = state.items;
        clear();
        std::vector<int> order(m_items.size());
        std::iota(order.begin(), order.end(), 0);
        if (m_sorted) {
            // Sorted as a list box sorts: by text, ignoring case.
            QCollator collator;
            collator.setCaseSensitivity(Qt::CaseInsensitive);
            std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
                return collator.compare(ToQString(m_items[static_cast<std::size_t>(a)]),
                                        ToQString(m_items[static_cast<std::size_t>(b)])) < 0;
            });
        }
        for (int index : order)
            addItem(ToQString(m_items[static_cast<std::size_t>(index)]), index);
    }
    setPlaceholderText(ToQString(state.placeholder));
    setCurrentIndex(RowOf(state.HasSelection() ? state.selection : -1));
    setEnabled(state.enabled);
    setVisible(state.visible);
}

int CArrangementCombo::FormIndex() const {
    return currentIndex() >= 0 ? itemData(currentIndex()).toInt() : -1;
}

int CArrangementCombo::RowOf(int formIndex) const {
    return formIndex >= 0 ? findData(formIndex) : -1;
}

CArrangementDialog::CArrangementDialog(const CModuleArrangementForm& form, const QString& caption,
                                       QSize previewUnits, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(caption);
    auto* outer = new QVBoxLayout(this);
    if (!form.Notice().empty()) {
        auto* notice = new QLabel(ToQString(form.Notice()), this);
        notice->setObjectName(QStringLiteral("notice"));
        notice->setWordWrap(true);
        outer->addWidget(notice);
    }
    auto* body = new QHBoxLayout;
    outer->addLayout(body, 1);
    m_controls = new QVBoxLayout;
    body->addLayout(m_controls);
    m_preview = new CArrangementPreviewWidget(form, previewUnits, this);
    m_preview->setObjectName(QStringLiteral("preview"));
    body->addWidget(m_preview, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setCenterButtons(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    outer->addWidget(buttons);
}

void CArrangementDialog::AddCountRow(const QString& label, CArrangementCombo* combo) {
    auto* row = new QHBoxLayout;
    auto* text = new QLabel(label, this);
    text->setBuddy(combo);
    row->addWidget(text);
    row->addWidget(combo);
    row->addStretch(1);
    m_controls->addLayout(row);
}

void CArrangementDialog::Refresh() {
    RunGuarded(this, [this] { Sync(); });
    m_preview->update();
}

void CArrangementDialog::ShowProblem(const QString& text) {
    QMessageBox::warning(this, ToQString(Strings::kMessageTitle), text);
}
