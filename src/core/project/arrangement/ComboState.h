#pragma once

#include <string>
#include <vector>

// What one combo box of an arrangement dialog shows: its entries in display order, the selected
// entry (-1 for none) and whether it can be used or is shown at all.
struct CComboState {
    std::vector<std::string> items;
    int selection = -1;
    bool enabled = true;
    bool visible = true;
    // Shown without a selection: a stored value no entry stands for, which stays as it is.
    std::string placeholder;

    bool HasSelection() const {
        return selection >= 0 && selection < static_cast<int>(items.size());
    }
    // The selected text, or an empty text without a selection.
    std::string SelectedText() const {
        return HasSelection() ? items[static_cast<std::size_t>(selection)] : std::string();
    }
};
