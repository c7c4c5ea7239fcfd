#pragma once

#include "project/ColorMapViewModel.h"
#include "project/DelayAlignment.h"
#include "project/forms/NumberField.h"

#include <array>
#include <string>
#include <vector>

class CDAXDoc;

// "Align Delays": which installations follow which main one, at a marked listening point or a
// typed position, and the offset. Installations are listed as the installation list numbers them.
class CAlignDelaysForm {
public:
    enum Edit { kX, kY, kZ, kOffset, kEditCount };

    // `chosen` are the installations ticked at first (the installation list's selection);
    // the main one is the first installation not among them.
    CAlignDelaysForm(const CDAXDoc& doc, const std::vector<int>& chosen);

    std::string Title() const;
    static std::string FillsLabel();
    static std::string MainLabel();
    static std::string PointLabel();

    const std::vector<std::string>& InstallationItems() const { return m_installations; }
    bool IsFill(int installation) const;
    // Ticks or unticks an installation; the main one cannot be ticked.
    void SetFill(int installation, bool fill);
    const CComboModel& MainCombo() const { return m_main; }
    // Another main installation; it is no longer among the aligned ones.
    void SelectMain(int installation);
    // The marked listening points, then "Typed position".
    const CComboModel& PointCombo() const { return m_point; }
    // A marked point fills X, Y and Z with its position; a typed position keeps what they hold.
    void SelectPoint(int index);
    bool PointTyped() const;
    CNumberField& Field(Edit edit) { return m_fields[edit]; }
    const CNumberField& Field(Edit edit) const { return m_fields[edit]; }

    // Checks the choice and the fields; on a refusal returns false with its message and the
    // dialog stays open. On success Request() holds what was chosen.
    bool Accept(std::string* message = nullptr);
    const CAlignRequest& Request() const { return m_request; }

private:
    std::vector<std::string> m_installations;
    std::vector<unsigned char> m_fills;
    CComboModel m_main;
    CComboModel m_point;
    std::vector<CVec3> m_pointPositions;
    std::array<CNumberField, kEditCount> m_fields;
    CAlignRequest m_request;
};
