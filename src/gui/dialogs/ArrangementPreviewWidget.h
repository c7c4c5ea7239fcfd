#pragma once

#include <QWidget>

class CModuleArrangementForm;

// The side view beside the controls of every arrangement dialog. It draws whatever the form
// holds at the time of the paint; the dialog calls update() after every change.
class CArrangementPreviewWidget : public QWidget {
    Q_OBJECT
public:
    // minimumLogical: the smallest size in dialog units (a quarter of the average character
    // width across, an eighth of the font height down), so the preview grows with the font.
    CArrangementPreviewWidget(const CModuleArrangementForm& form, QSize minimumDialogUnits,
                              QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QSize FromDialogUnits(QSize units) const;

    const CModuleArrangementForm& m_form;
    QSize m_minimumUnits;
};
