#pragma once

#include "dialogs/FormDialog.h"
#include "project/forms/SurfacesAndAirForm.h"

#include <array>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QLabel;
class CReverberationGraph;

// Room > Surfaces and Air: a row per face (material list and seven coefficients), the extra
// absorption, the air, the formula and the background noise; V, S, the mean absorption and a
// graph of the Sabine and Eyring times follow the typed values at once.
class CSurfacesAndAirDialog1 : public CFormDialog {
    Q_OBJECT
public:
    CSurfacesAndAirDialog1(CSurfacesAndAirForm& form, QWidget* parent = nullptr);

protected:
    bool Validate(std::string& message) override;

private:
    // The widgets' texts and choices into the form.
    void ReadAll();
    // The form's values into the widgets (after a library material or a noise curve filled them).
    void ShowAll();
    void UpdateResults();

    CSurfacesAndAirForm& m_form;
    std::array<QComboBox*, kRoomFaceCount> m_materials{};
    std::array<std::array<QLineEdit*, kOctaveCount>, kRoomFaceCount> m_alpha{};
    std::array<QLineEdit*, kOctaveCount> m_extra{};
    QLineEdit* m_temperature = nullptr;
    QLineEdit* m_humidity = nullptr;
    QCheckBox* m_airOnDirect = nullptr;
    QComboBox* m_formula = nullptr;
    QCheckBox* m_noiseOn = nullptr;
    QComboBox* m_noiseCurve = nullptr;
    std::array<QLineEdit*, kOctaveCount> m_noise{};
    QLineEdit* m_stiTarget = nullptr;
    QLabel* m_summary = nullptr;
    std::array<QLabel*, kOctaveCount> m_meanAlpha{};
    std::array<QLabel*, kOctaveCount> m_sabine{};
    std::array<QLabel*, kOctaveCount> m_eyring{};
    CReverberationGraph* m_graph = nullptr;
    bool m_showing = false;
};
