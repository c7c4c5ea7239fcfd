#pragma once

#include "dialogs/FormDialog.h"

#include <array>

class CAutoInstallationForm;
class QComboBox;
class QLabel;

// "Properties for Auto Installation": density, grid shape, aim, height and judgment band.
class CAutoInstallationDialog1 : public CFormDialog {
    Q_OBJECT
public:
    CAutoInstallationDialog1(CAutoInstallationForm& form, QWidget* parent = nullptr);

protected:
    bool Validate(std::string& message) override;

private:
    void ShowFrequencies();

    CAutoInstallationForm& m_form;
    std::array<CFieldWidgets, 4> m_fields;
    QComboBox* m_pattern;
    QComboBox* m_shape;
    QComboBox* m_band;
    QComboBox* m_frequency;
    QLabel* m_bandEdges;
};
