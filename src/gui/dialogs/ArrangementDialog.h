#pragma once

#include "app/Guard.h"
#include "project/arrangement/ComboState.h"

#include <QComboBox>
#include <QDialog>

#include <exception>
#include <vector>

class CModuleArrangementForm;
class CArrangementPreviewWidget;
class QBoxLayout;

// A combo box that shows one combo of an arrangement form. Every entry carries its index in the
// form's list, so a sorted box still tells the form which entry the user picked.
class CArrangementCombo : public QComboBox {
    Q_OBJECT
public:
    explicit CArrangementCombo(bool sorted, QWidget* parent = nullptr);

    // Entries, selection, enabled and shown as the form has them; emits nothing.
    void Show(const CComboState& state);
    // The form's index of the entry shown, or -1.
    int FormIndex() const;
    // The display row of the form's entry `formIndex`, or -1.
    int RowOf(int formIndex) const;

signals:
    // The user picked the entry with this index in the form's list.
    void Chosen(int formIndex);

private:
    bool m_sorted;
    std::vector<std::string> m_items; // the form's entries last shown, in form order
};

// What the five arrangement dialogs share: the controls on the left with the count combo at the
// top, the preview on the right, OK and Cancel centred below. Each user action goes to the form;
// afterwards the dialog shows the form's state again and repaints the preview, so the widgets
// never hold a rule of their own. Nothing a form throws leaves the dialog.
class CArrangementDialog : public QDialog {
    Q_OBJECT
public:
    CArrangementPreviewWidget* Preview() const { return m_preview; }

protected:
    // previewUnits: the preview's size in dialog units, as the dialog was first drawn.
    CArrangementDialog(const CModuleArrangementForm& form, const QString& caption,
                       QSize previewUnits, QWidget* parent);

    // The column of controls; the count row is already at its top.
    QBoxLayout* Controls() const { return m_controls; }
    // Adds "label" and the count combo at the top left.
    void AddCountRow(const QString& label, CArrangementCombo* combo);

    // Shows the form's state in the widgets.
    virtual void Sync() = 0;
    // Runs one user action on the form, then shows the result.
    // Runs one user action on the form through the program's one guard, then shows the result.
    template <class Action> void Act(Action&& action) {
        RunGuarded(this, action);
        Refresh();
    }
    void Refresh();
    // A message over the dialog; the dialog stays open.
    void ShowProblem(const QString& text);

private:
    QBoxLayout* m_controls = nullptr;
    CArrangementPreviewWidget* m_preview = nullptr;
};
